// Scene frames at 1920 x 1080: the engine's RenderFrame for a picture whose lower half is
// water, driven by a fake clock that advances 33 ms per frame.
//
//   a  water, Style 1
//   b  water with reflection, sway and perspective
//   c  b with 1000 snowflakes
//   d  b with 1000 raindrops and the clock
//   e  water, Style 3 (slanted, the per-pixel cosine) with jitter, for reference
//   f  b with weather switched on but no particles: composing Frame alone
//
// Every scene is set up first and kept. The run then goes round them `rounds` times: each
// round times one memcpy of a full frame 20 times, then 20 frames of every scene in turn.
// A case's figure is its fastest frame over all rounds against the fastest copy over all
// rounds (other work on a shared machine only adds time, and going round the cases spreads
// that work over all of them); the median over the rounds of each round's own ratio is
// printed beside it. Targets: b within 8 frame copies; c and d add at most 2 copies each
// over b. Figures only: nothing here passes or fails.
//
//   bench_water [rounds]   (default 40)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFrames.h"
#include "anim/AnimEngine.h"
#include "imaging/Bitmap32.h"
#include "platform/Clock.h"
#include "scene/Project.h"
#include "scene/WaterMask.h"

namespace {

using kx::bench::StepClock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

kx::Bitmap32 MakePicture(int w, int h) {
  kx::Bitmap32 b(w, h);
  uint32_t noise = 7;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[x] = kx::Rgb((x * 255 / w + (noise >> 28)) & 0xFF, (y * 255 / h) & 0xFF,
                       ((x + y) * 127 / (w + h) + (noise >> 29)) & 0xFF);
    }
  }
  return b;
}

struct Case {
  const char* name;
  bool fancyWater;  // reflection, sway, perspective
  int style;
  int jitter;
  int weather;      // 0, snow, rain
  bool clock;
  bool weatherOn = false;  // switch weather on even without particles
};

const Case cases[] = {
    {"a water, Style 1", false, 1, 0, kx::kWeatherNone, false},
    {"b reflection + sway + perspective", true, 1, 0, kx::kWeatherNone, false},
    {"c b + 1000 snowflakes", true, 1, 0, kx::kWeatherSnow, false},
    {"d b + 1000 raindrops + clock", true, 1, 0, kx::kWeatherRain, true},
    {"e water, Style 3, Jitter 4", false, 3, 4, kx::kWeatherNone, false},
    {"f b + weather on, no particles", true, 1, 0, kx::kWeatherNone, false, true},
};

// One case's scene and engine, set up as the show sets them up.
struct Scene {
  explicit Scene(const Case& c) : engine(clock) {
    *project.Picture = MakePicture(kWidth, kHeight);
    project.PictureWidth = kWidth;
    project.PictureHeight = kHeight;
    project.WaterMask->SetSize(kWidth, kHeight, 0);
    for (int y = kHeight / 2; y < kHeight; ++y) {
      uint32_t* row = project.WaterMask->Row(y);
      std::fill(row, row + kWidth, kx::MaskPixelOfRegion(1));
    }
    kx::TWaveParam& wave = *project.WaveParams[0];
    wave = kx::TWaveParam::Defaults();
    wave.Style = c.style;
    wave.Jitter = c.jitter;
    wave.Perspective = c.fancyWater;
    wave.Sway = c.fancyWater;
    wave.Reflection = c.fancyWater;
    kx::TWeatherParam& weather = *project.Weather;
    weather.Kind = c.weather;
    weather.Count = 1000;
    weather.SpeedIndex = 10;
    weather.SizeOrWind = c.weather == kx::kWeatherSnow ? 8 : 80;
    weather.StreakLength = 15;
    weather.Opacity = c.weather == kx::kWeatherSnow ? 9 : 6;

    engine.ShowClock = c.clock;
    engine.Clock.Corner = 1;
    engine.SetProject(project);
    engine.SetWeather(false);
    engine.Start();
    engine.SetWeather(weather.Kind > 0 || c.weatherOn);
    for (int i = 0; i < 5; ++i) Frame();  // warm up
  }
  void Frame() {
    clock.now += 33;
    engine.RenderFrame();
  }
  // The fastest of n frames, in seconds.
  double FastestFrame(int n) {
    double fastest = 1e9;
    for (int i = 0; i < n; ++i) {
      const auto t0 = kx::bench::SteadyClock::now();
      Frame();
      benchmark::DoNotOptimize(engine.GetFrame().Data());
      benchmark::ClobberMemory();
      fastest = std::min(fastest, std::chrono::duration<double>(kx::bench::SteadyClock::now() - t0).count());
    }
    return fastest;
  }

  StepClock clock;
  kx::TProject project;
  kx::TAnimEngine engine;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  constexpr int kFramesPerRound = 20;
  constexpr size_t kCases = std::size(cases);
  std::vector<std::unique_ptr<Scene>> scenes;
  for (const Case& c : cases) scenes.push_back(std::make_unique<Scene>(c));

  double fastestCopy = 1e9;
  std::array<double, kCases> fastest;
  fastest.fill(1e9);
  std::array<std::vector<double>, kCases> ratios;  // per round: fastest frame / fastest copy
  std::vector<double> addsC, addsD;                // per round: over b, in copies
  for (int r = 0; r < rounds; ++r) {
    const double copy = kx::bench::FastestFrameCopySeconds(kWidth, kHeight, 20);
    fastestCopy = std::min(fastestCopy, copy);
    std::array<double, kCases> round{};
    for (size_t k = 0; k < kCases; ++k) {
      round[k] = scenes[k]->FastestFrame(kFramesPerRound);
      fastest[k] = std::min(fastest[k], round[k]);
      ratios[k].push_back(round[k] / copy);
    }
    addsC.push_back((round[2] - round[1]) / copy);
    addsD.push_back((round[3] - round[1]) / copy);
  }

  std::printf("%d rounds of %d frames per case; fastest frame copy %dx%d: %.3f ms\n\n", rounds, kFramesPerRound, kWidth,
              kHeight, fastestCopy * 1e3);
  std::printf("%-36s %10s %10s %14s\n", "1920x1080 scene frame", "ms", "x copy", "median x copy");
  for (size_t k = 0; k < kCases; ++k) {
    std::printf("%-36s %10.3f %10.2f %14.2f\n", cases[k].name, fastest[k] * 1e3, fastest[k] / fastestCopy, Median(ratios[k]));
  }
  std::printf("\nb: %.2f frame copies (target at most 8)\n", fastest[1] / fastestCopy);
  std::printf("c adds %.2f frame copies over b, median of the rounds %.2f (target at most 2)\n",
              (fastest[2] - fastest[1]) / fastestCopy, Median(addsC));
  std::printf("d adds %.2f frame copies over b, median of the rounds %.2f (target at most 2)\n",
              (fastest[3] - fastest[1]) / fastestCopy, Median(addsD));
  return 0;
}
