#pragma once
// Shared pieces of the frame benchmarks: the baseline (one memcpy of a full 32-bit frame),
// a clock that only moves when told to, and the fastest time of a step over the iterations.
// Each figure is the fastest run: other work on a shared machine only adds time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/Clock.h"

namespace kx::bench {

using SteadyClock = std::chrono::steady_clock;

// The fastest of `runs` copies of a width x height frame, in seconds.
inline double FastestFrameCopySeconds(int width, int height, int runs = 60) {
  std::vector<uint32_t> a(size_t(width) * height, 1), b(size_t(width) * height, 2);
  double fastest = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = SteadyClock::now();
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::ClobberMemory();
    fastest = std::min(fastest, std::chrono::duration<double>(SteadyClock::now() - t0).count());
    std::swap(a, b);
  }
  return fastest;
}

// The fastest time of `step` over the benchmark's iterations, in seconds.
template <typename Step>
double FastestIteration(benchmark::State& state, Step&& step) {
  double fastest = 1e9;
  for (auto _ : state) {
    const auto t0 = SteadyClock::now();
    step();
    benchmark::ClobberMemory();
    fastest = std::min(fastest, std::chrono::duration<double>(SteadyClock::now() - t0).count());
  }
  return fastest;
}

// Ticks only when told to (or by the amount each sleep asks for); the time of day is fixed.
class StepClock final : public kx::Clock {
 public:
  uint32_t TickMs() override { return now; }
  void SleepMs(uint32_t ms) override { now += ms; }
  kx::TimeOfDay LocalTimeOfDay() override { return {10, 10, 30}; }
  uint32_t now = 12345;
};

}  // namespace kx::bench
