#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace kx {

uint32_t SystemClock::TickMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SystemClock::SleepMs(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace kx
