// The scene maker's live preview while painting, at 1920 x 1080: one frame is a brush dab
// on the mask handed to the player (its region map rebuilt) followed by the next rendered
// frame, as the preview does for every mouse move. Printed against one plain copy of a full
// frame, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/BenchFrames.h"
#include "kxscene/PreviewPlayer.h"
#include "kxscene/SceneDocument.h"

namespace {

using namespace kx;
using namespace kx::kxscene;

void BM_PreviewWhilePainting(benchmark::State& state) {
  Bitmap32 photo(1920, 1080);
  for (int y = 0; y < 1080; ++y)
    for (int x = 0; x < 1920; ++x) photo.SetPixel(x, y, Rgb(x & 255, y & 255, (x ^ y) & 255));
  SceneDocument doc;
  std::string error;
  if (!doc.NewFromPicture(photo, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  doc.EditMask([](Bitmap32& m) { return FillBelowLine(m, {0, 600}, {1920, 640}, 1); });
  doc.EndStroke();
  bench::StepClock clock;
  PreviewPlayer player(clock);
  player.Load(doc);
  double x = 100;
  const bool paint = state.range(0) != 0;
  const double fastest = bench::FastestIteration(state, [&] {
    if (paint) {
      const double from = x;
      x = x > 1800 ? 100 : x + 7;
      const MaskBox box = doc.EditMask([&](Bitmap32& m) { return PaintStroke(m, {from, 500}, {x, 500}, 30, 2); });
      player.MaskChanged(doc, box);
    }
    clock.now += 33;
    benchmark::DoNotOptimize(player.Frame().Data());
  });
  doc.EndStroke();
  const double copy = bench::FastestFrameCopySeconds(1920, 1080);
  state.counters["frame_ms"] = fastest * 1e3;
  state.counters["frame_copy_ms"] = copy * 1e3;
  state.counters["frame_copies"] = fastest / copy;
}
// 0: the preview alone; 1: the preview while painting.
BENCHMARK(BM_PreviewWhilePainting)->Arg(0)->Arg(1)->Iterations(60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
