#include "anim/AnimObjects.h"

namespace kx {

void TAnimObjects::Add(std::unique_ptr<TAnimObject> object) {
  if (!object) return;
  object->Index = Count();
  items_.push_back(std::move(object));
}

void TAnimObjects::Clear() {
  // Last first, so that no object outlives one added after it.
  while (!items_.empty()) items_.pop_back();
}

}  // namespace kx
