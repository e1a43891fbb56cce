// Fitting a still picture to the screen: decoding a 4000 x 3000 JPEG and Lanczos-resampling
// it to 1920 x 1080 (and to 1440 x 1080, its aspect kept), against one memcpy of a
// 1920 x 1080 32-bit frame measured in the same run. The JPEG is made in memory from
// generated photo-like content (gradients, waves and grain), quality 90.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "imaging/PictureCodec.h"
#include "imaging/Resample.h"

namespace {

using kx::Bitmap32;

const std::vector<uint8_t>& SourceJpeg() {
  static const std::vector<uint8_t> jpeg = [] {
    Bitmap32 picture(4000, 3000);
    uint32_t noise = 12345;
    for (int y = 0; y < picture.Height(); ++y) {
      uint32_t* row = picture.Row(y);
      for (int x = 0; x < picture.Width(); ++x) {
        noise = noise * 1664525u + 1013904223u;
        const int grain = static_cast<int>(noise >> 28) - 8;
        const double wave = std::sin(x * 0.013 + std::sin(y * 0.007) * 3.0) * 60.0;
        auto channel = [&](double v) { return static_cast<uint32_t>(std::clamp(v + grain, 0.0, 255.0)); };
        row[x] = kx::Rgb(channel(x * 0.05 + wave + 40), channel(y * 0.06 + 30 - wave * 0.5),
                         channel(160 + std::cos(x * 0.002 * y * 0.001) * 80));
      }
    }
    std::vector<uint8_t> out;
    std::string error;
    if (!kx::EncodeJpeg(picture, 90, out, error)) std::fprintf(stderr, "encode failed: %s\n", error.c_str());
    return out;
  }();
  return jpeg;
}

const Bitmap32& DecodedSource() {
  static const Bitmap32 picture = [] {
    Bitmap32 out;
    std::string error;
    const std::vector<uint8_t>& jpeg = SourceJpeg();
    if (!kx::DecodeJpeg(jpeg.data(), jpeg.size(), out, error)) std::fprintf(stderr, "decode failed: %s\n", error.c_str());
    return out;
  }();
  return picture;
}

void BM_DecodeJpeg4000x3000(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = SourceJpeg();
  std::string error;
  for (auto _ : state) {
    Bitmap32 out;
    if (!kx::DecodeJpeg(jpeg.data(), jpeg.size(), out, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(out.Data());
  }
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}

void BM_LanczosFit(benchmark::State& state) {
  const Bitmap32& source = DecodedSource();
  Bitmap32 target(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    kx::ResampleInto(source, target, kx::ResampleFilter::Lanczos3);
    benchmark::DoNotOptimize(target.Data());
    benchmark::ClobberMemory();
  }
}

void BM_MemcpyFrame1920x1080(benchmark::State& state) {
  const Bitmap32 from(1920, 1080, 0xFF336699);
  Bitmap32 to(1920, 1080);
  for (auto _ : state) {
    std::memcpy(to.Data(), from.Data(), from.PixelCount() * 4);
    benchmark::DoNotOptimize(to.Data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_MemcpyFrame1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LanczosFit)->Args({1920, 1080})->Args({1440, 1080})->Unit(benchmark::kMillisecond);

// Prints the usual table, then every stage's time per iteration and its ratio to the memcpy.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.iterations > 0 && run.run_type == Run::RT_Iteration)
        seconds_[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto base = seconds_.find("BM_MemcpyFrame1920x1080");
    if (base == seconds_.end() || base->second <= 0) return;
    std::printf("\n%-36s %12s %14s\n", "stage", "ms", "x memcpy");
    for (const auto& [name, s] : seconds_) std::printf("%-36s %12.3f %14.1f\n", name.c_str(), s * 1e3, s / base->second);
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SourceJpeg();  // made before timing starts
  DecodedSource();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
