#include "saver/ShowTick.h"

namespace kx {

uint64_t ShowTick::NowMs() {
  const uint32_t now = clock_.TickMs();
  if (started_ && now < last_) ++wraps_;
  started_ = true;
  last_ = now;
  return (wraps_ << 32) | now;
}

}  // namespace kx
