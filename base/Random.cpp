#include "base/Random.h"

#include <chrono>

namespace kx {

thread_local uint32_t RandomSeed = 0;

int32_t RandomBelow(int32_t n) {
  RandomSeed = RandomSeed * 134775813u + 1u;
  const int64_t product = static_cast<int64_t>(RandomSeed) * static_cast<int64_t>(n);
  return static_cast<int32_t>(product >> 32);
}

void Randomize() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  RandomSeed = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

}  // namespace kx
