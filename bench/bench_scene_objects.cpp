// Scene frames at 1920 x 1080 with animated objects: 20 still PNG images with soft alpha
// (192 x 192) and 5 animated GIFs (128 x 96, 8 frames) over the water, drawn by the engine's
// RenderFrame; the objects step once per frame on the calling thread (no workers), driven by a
// fake clock that advances 33 ms per frame.
//
//   a  water only (lower half, Style 1): the reference scene
//   b  a + 20 images + 5 GIFs, design size = frame size (drawn 1:1)
//   c  b on a dry picture: the frame copy and the objects alone
//   d  b with a 1024 x 768 design scaled to the frame (scaled copies of the images)
//
// One memcpy of a full frame is measured first, in the same run; every case prints its
// milliseconds per frame and its ratio to that copy ("x_copy"), and the objects' share is
// printed as the difference to a. Figures only: nothing here passes or fails.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFrames.h"
#include "anim/AnimEngine.h"
#include "anim/AnimObjects.h"
#include "imaging/Bitmap32.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "platform/Clock.h"
#include "scene/Project.h"
#include "scene/WaterMask.h"

namespace {

using kx::bench::StepClock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Case {
  const char* name;
  bool water;
  bool objects;
  int designW, designH;
  double seconds = 0;
};

Case cases[] = {
    {"a water only", true, false, kWidth, kHeight},
    {"b a + 20 IMG + 5 GIF", true, true, kWidth, kHeight},
    {"c b on a dry picture", false, true, kWidth, kHeight},
    {"d b, 1024x768 design scaled", true, true, 1024, 768},
};
double frameCopySeconds = 0;
std::string mediaFolder;

kx::Bitmap32 MakePicture(int w, int h) {
  kx::Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, kx::Rgb(x * 255 / w, y * 255 / h, (x + y) * 127 / (w + h)));
  return b;
}

void WriteMedia() {
  char pattern[] = "/tmp/kxbench-objects-XXXXXX";
  mediaFolder = std::string(mkdtemp(pattern)) + "/";
  kx::Bitmap32 orb(192, 192);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 192; ++x) {
      const double d = std::hypot(x - 95.5, y - 95.5) / 96.0;
      orb.SetPixel(x, y, kx::Argb(static_cast<uint32_t>(255 * std::clamp(1.0 - d, 0.0, 1.0)), 250, 200, 90));
    }
  }
  std::vector<uint8_t> bytes;
  std::string error;
  kx::EncodePng(orb, bytes, error);
  kx::WriteWholeFile(mediaFolder + "orb.png", bytes, error);

  kx::GifAnimation gif;
  gif.width = 128;
  gif.height = 96;
  gif.loopCount = 0;
  gif.globalColorTable = {kx::Rgb(0, 0, 0), kx::Rgb(200, 40, 40), kx::Rgb(40, 200, 40), kx::Rgb(40, 40, 200)};
  for (int f = 0; f < 8; ++f) {
    kx::GifFrame frame;
    frame.width = 128;
    frame.height = 96;
    frame.delayCs = 5;
    frame.transparentIndex = 0;
    frame.indices.resize(128 * 96);
    for (int i = 0; i < 128 * 96; ++i) frame.indices[static_cast<size_t>(i)] = static_cast<uint8_t>(((i % 128) / 16 + f) % 4);
    gif.frames.push_back(std::move(frame));
  }
  kx::EncodeGif(gif, bytes, error);
  kx::WriteWholeFile(mediaFolder + "anim.gif", bytes, error);
}

std::string ObjectList(int designW, int designH) {
  std::string list;
  for (int i = 0; i < 25; ++i) {
    const bool image = i < 20;
    list += "[Obj" + std::to_string(i) + "]\r\nObjType=" + (image ? "IMG" : "GIF") + "\r\nFilename=" + mediaFolder +
            (image ? "orb.png" : "anim.gif") + "\r\nMotion=" + std::to_string(1 + i % 7) + "\r\nMotionSpeed=40\r\n" +
            "PosLeft=" + std::to_string((i * 97) % designW) + "\r\nPosTop=" + std::to_string((i * 53) % designH) +
            "\r\nOpacity=" + std::to_string(i % 2 == 0 ? 10 : 7) + "\r\nDirFlip=1\r\n";
  }
  return list;
}

void RenderScene(benchmark::State& state, Case* c) {
  StepClock clock;
  kx::TProject project;
  *project.Picture = MakePicture(kWidth, kHeight);
  project.PictureWidth = c->designW;  // the design size; the picture has the frame's size
  project.PictureHeight = c->designH;
  project.WaterMask->SetSize(kWidth, kHeight, 0);
  if (c->water) {
    for (int y = kHeight / 2; y < kHeight; ++y) {
      uint32_t* row = project.WaterMask->Row(y);
      std::fill(row, row + kWidth, kx::MaskPixelOfRegion(1));
    }
  }
  *project.WaveParams[0] = kx::TWaveParam::Defaults();

  kx::TAnimObjects objects(kx::TObjectServices{&clock, nullptr, "", false});
  if (c->objects) objects.LoadFromText(ObjectList(c->designW, c->designH));
  kx::TAnimEngine engine(clock);
  engine.SetProject(project, &objects);
  engine.SetWeather(false);
  engine.Start();
  // With the dry picture and no objects the engine would present the water frame itself.
  for (int i = 0; i < 5; ++i) {  // warm up: scaled copies are made on the first draw
    clock.now += 33;
    objects.StepAll();
    engine.RenderFrame();
  }
  const double fastest = kx::bench::FastestIteration(state, [&] {
    clock.now += 33;
    objects.StepAll();
    engine.RenderFrame();
    benchmark::DoNotOptimize(engine.GetFrame().Data());
  });
  c->seconds = fastest;
  state.counters["ms_frame"] = fastest * 1e3;
  state.counters["x_copy"] = fastest / frameCopySeconds;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  WriteMedia();
  frameCopySeconds = kx::bench::FastestFrameCopySeconds(kWidth, kHeight);
  std::printf("frame copy %dx%d: %.3f ms\n", kWidth, kHeight, frameCopySeconds * 1e3);
  for (Case& c : cases) {
    benchmark::RegisterBenchmark((std::string("SceneObjects/") + c.name).c_str(), RenderScene, &c)
        ->Iterations(40)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("\n%-40s %10s %10s\n", "1920x1080 scene frame", "ms", "x copy");
  for (const Case& c : cases) {
    if (c.seconds > 0) std::printf("%-40s %10.3f %10.2f\n", c.name, c.seconds * 1e3, c.seconds / frameCopySeconds);
  }
  const double a = cases[0].seconds;
  for (int i = 1; i < 4; i += 2) {
    if (a > 0 && cases[i].seconds > 0)
      std::printf("%s: the objects add %.2f frame copies over a\n", cases[i].name, (cases[i].seconds - a) / frameCopySeconds);
  }
  std::error_code ec;
  std::filesystem::remove_all(mediaFolder, ec);
  return 0;
}
