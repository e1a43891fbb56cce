#pragma once
// The one time source of the engine: a millisecond tick and a sleep. Every timing rule
// (display times, sound intervals, item duration, frame floors) reads this service, so
// tests drive time with a fake clock instead of waiting.
#include <cstdint>

namespace kx {

// A time of day: Hour 0 .. 23, Minute 0 .. 59, Second 0 .. 59.
struct TimeOfDay {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps around after 2^32 ms like the platform tick.
  virtual uint32_t TickMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  // The local time of day, as the scene clock shows it. This default reads the system's
  // local time; fakes return a time of their own.
  virtual TimeOfDay LocalTimeOfDay();
};

class SystemClock final : public Clock {
 public:
  uint32_t TickMs() override;
  void SleepMs(uint32_t ms) override;
};

// The process-wide clock used when no other is given.
Clock& DefaultClock();

}  // namespace kx
