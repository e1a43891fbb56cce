#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace kx {

TimeOfDay Clock::LocalTimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_hour, local.tm_min, local.tm_sec};
}

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
