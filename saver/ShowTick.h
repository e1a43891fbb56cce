#pragma once
// The show's own millisecond tick: 64 bits wide, so that no timing rule of the show (item
// duration, sound intervals, the frame floor) misbehaves when the platform's 32-bit tick
// wraps after 2^32 ms (49.7 days of uptime).
//
// The platform tick is widened by counting its wraps: every reading that is smaller than the
// one before is taken as one wrap. That holds as long as the tick is read at least once per
// wrap period, which the show does many times a second.
#include <cstdint>

#include "platform/Clock.h"

namespace kx {

class ShowTick {
 public:
  explicit ShowTick(Clock& clock) : clock_(clock) {}

  // Milliseconds, never decreasing while the platform tick is read often enough.
  uint64_t NowMs();
  void SleepMs(uint32_t ms) { clock_.SleepMs(ms); }
  Clock& Source() { return clock_; }

 private:
  Clock& clock_;
  bool started_ = false;
  uint32_t last_ = 0;   // the platform tick of the previous reading
  uint64_t wraps_ = 0;  // how often the platform tick has wrapped since the first reading
};

}  // namespace kx
