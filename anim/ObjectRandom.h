#pragma once
// An object's own random generator, lent to the thread's RandomSeed for one piece of work:
// the scope puts the object's state into RandomSeed, and on leaving stores the advanced state
// back into the object and gives the thread its own state again.
#include <cstdint>

#include "base/Random.h"

namespace kx {

class ObjectRandomScope {
 public:
  explicit ObjectRandomScope(uint32_t& state) : state_(state), saved_(RandomSeed) { RandomSeed = state; }
  ~ObjectRandomScope() {
    state_ = RandomSeed;
    RandomSeed = saved_;
  }
  ObjectRandomScope(const ObjectRandomScope&) = delete;
  ObjectRandomScope& operator=(const ObjectRandomScope&) = delete;

 private:
  uint32_t& state_;
  uint32_t saved_;
};

}  // namespace kx
