#pragma once
// The one time source of the engine: a millisecond tick and a sleep. Every timing rule
// (display times, sound intervals, item duration, frame floors) reads this service, so
// tests drive time with a fake clock instead of waiting.
#include <cstdint>

namespace kx {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps around after 2^32 ms like the platform tick.
  virtual uint32_t TickMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};

class SystemClock final : public Clock {
 public:
  uint32_t TickMs() override;
  void SleepMs(uint32_t ms) override;
};

// The process-wide clock used when no other is given.
Clock& DefaultClock();

}  // namespace kx
