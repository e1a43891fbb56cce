// One step of every block-copy and pixel effect at 50 percent, at 1920 x 1080 and 1024 x 768.
//
// A step includes restoring the old picture onto the work bitmap, so one memcpy of a full frame
// is its floor. That memcpy is measured first, in the same run, and every effect's time is
// printed with its ratio to it ("x_copy"). The targets are 4 frame copies for block-copy
// effects and 10 for pixel effects at 1920 x 1080; a summary at the end lists the ratios
// against them. Figures only: nothing here passes or fails.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "transitions/EffectTable.h"
#include "transitions/TransitionStep.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Size {
  int w, h;
  int iterations;
  double frameCopySeconds = 0;
  kx::Bitmap32 oldPicture, newPicture;
};

struct Result {
  int effect;
  const Size* size;
  double stepSeconds;
  bool pixelEffect;
};
std::vector<Result> results;

// Pictures with smooth gradients and some texture, so that nothing is uniform.
kx::Bitmap32 MakePicture(int w, int h, uint32_t salt) {
  kx::Bitmap32 b(w, h);
  uint32_t noise = salt;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const uint32_t r = (x * 255 / w + (noise >> 28)) & 0xFF;
      const uint32_t g = (y * 255 / h + salt) & 0xFF;
      const uint32_t bl = ((x + y) * 127 / (w + h) + (noise >> 29)) & 0xFF;
      row[x] = kx::Rgb(r, g, bl);
    }
  }
  return b;
}

double MeasureFrameCopy(const Size& s) {
  std::vector<uint32_t> a(size_t(s.w) * s.h, 1), b(size_t(s.w) * s.h, 2);
  std::vector<double> times;
  for (int i = 0; i < 60; ++i) {
    const auto t0 = Clock::now();
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::ClobberMemory();
    times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    std::swap(a, b);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void EffectStep(benchmark::State& state, int effect, Size* size, bool pixelEffect) {
  kx::Bitmap32 target;
  kx::TransitionStep(effect, size->oldPicture, size->newPicture, 50, target);  // warm up
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    kx::TransitionStep(effect, size->oldPicture, size->newPicture, 50, target);
    benchmark::DoNotOptimize(target.Data());
    benchmark::ClobberMemory();
    seconds += std::chrono::duration<double>(Clock::now() - t0).count();
  }
  const double perStep = seconds / static_cast<double>(state.iterations());
  state.counters["x_copy"] = perStep / size->frameCopySeconds;
  state.SetLabel(pixelEffect ? "pixel" : "block");
  results.push_back({effect, size, perStep, pixelEffect});
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static Size sizes[] = {{1920, 1080, 12}, {1024, 768, 25}};
  for (Size& s : sizes) {
    s.oldPicture = MakePicture(s.w, s.h, 17);
    s.newPicture = MakePicture(s.w, s.h, 91);
    s.frameCopySeconds = MeasureFrameCopy(s);
    std::printf("frame copy %dx%d: %.3f ms\n", s.w, s.h, s.frameCopySeconds * 1e3);
  }
  std::vector<std::pair<int, bool>> effects;
  for (int i : {1, 2, 3, 121, 122, 123, 124, 168, 169}) effects.push_back({i, true});
  for (int i = 4; i <= 60; ++i) effects.push_back({i, false});
  for (int i = 130; i <= 137; ++i) effects.push_back({i, false});
  for (Size& s : sizes) {
    for (const auto& [effect, pixel] : effects) {
      const std::string name = "Step/" + std::to_string(s.w) + "x" + std::to_string(s.h) + "/" +
                               std::to_string(effect) + " " + kx::Effects[effect].Name;
      benchmark::RegisterBenchmark(name.c_str(), EffectStep, effect, &s, pixel)
          ->Iterations(s.iterations)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // Summary against the targets at 1920 x 1080.
  double worstBlock = 0, worstPixel = 0;
  int overBlock = 0, overPixel = 0;
  for (const Result& r : results) {
    if (r.size != &sizes[0]) continue;
    const double ratio = r.stepSeconds / r.size->frameCopySeconds;
    if (r.pixelEffect) {
      worstPixel = std::max(worstPixel, ratio);
      overPixel += ratio > 10;
    } else {
      worstBlock = std::max(worstBlock, ratio);
      overBlock += ratio > 4;
    }
    if ((r.pixelEffect && ratio > 10) || (!r.pixelEffect && ratio > 4))
      std::printf("over target at 1920x1080: %d %s: %.2f frame copies\n", r.effect,
                  kx::Effects[r.effect].Name, ratio);
  }
  std::printf("1920x1080: block-copy effects at most %.2f frame copies (target 4, %d over); "
              "pixel effects at most %.2f (target 10, %d over)\n",
              worstBlock, overBlock, worstPixel, overPixel);
  return 0;
}
