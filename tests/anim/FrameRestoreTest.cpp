// Frame is brought back to the water frame before each composition; copying only the water
// rows and what the overlays drew must give exactly the frames a whole copy gives.
#include <gtest/gtest.h>

#include <vector>

#include "AnimFixtures.h"
#include "anim/AnimEngine.h"
#include "anim/SaveUnder.h"
#include "base/Random.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using testing::DifferingPixels;
using testing::MakeScene;
using testing::PaintRows;

struct RestoreCase {
  const char* name;
  uint8_t weather;  // 1 snow, 2 rain
  bool clock;
  int32_t sizeOrWind;
  int32_t jitter = 0;  // column offsets move the water rows' writes up to jitter - 1 rows
};

// Renders frames of one scene; the clock is switched off and on again half-way. `changed`,
// when given, receives each frame's changed rows.
std::vector<Bitmap32> Render(const RestoreCase& c, bool incremental, std::vector<ChangedRows>* changed = nullptr) {
  test::FakeClock clock;
  TProject project;
  MakeScene(project, 320, 200);
  PaintRows(project, 1, 120, 199);
  TWaveParam& wave = *project.WaveParams[0];
  wave.Amplitude = 4;
  wave.Waves = 7;
  wave.Speed = 25;
  wave.Jitter = c.jitter;
  project.Weather->Kind = c.weather;
  project.Weather->Count = 400;
  project.Weather->SpeedIndex = 14;
  project.Weather->SizeOrWind = c.sizeOrWind;
  project.Weather->StreakLength = 30;
  project.Weather->Opacity = 9;

  TAnimEngine engine(clock);
  engine.IncrementalRestore = incremental;
  engine.ShowClock = c.clock;
  engine.Clock.Corner = 3;
  RandomSeed = 12345;
  engine.SetProject(project, nullptr);
  engine.SetWeather(false);
  engine.Start();
  engine.SetWeather(c.weather > 0);
  std::vector<Bitmap32> frames;
  for (int i = 0; i < 40; ++i) {
    if (c.clock && i == 20) engine.ShowClock = false;
    if (c.clock && i == 25) engine.ShowClock = true;
    clock.now += 40;
    engine.RenderFrame();
    frames.push_back(engine.GetFrame());
    if (changed != nullptr) changed->push_back(engine.Changed());
  }
  return frames;
}

TEST(FrameRestore, GivesTheFramesOfAWholeCopy) {
  const RestoreCase cases[] = {
      {"snow", 1, false, 8},
      {"big snow and the clock", 1, true, 12},
      {"flakes of sizes 2 to 4", 1, false, 4},
      {"flakes of sizes 1 to 3", 1, false, 3},
      {"rain with wind and the clock", 2, true, 60},
      {"rain with wind from the other side", 2, false, 130},
      {"snow over jittered water", 1, true, 8, 6},
      {"the clock alone", 0, true, 0},
  };
  for (const auto& c : cases) {
    const auto whole = Render(c, false);
    const auto incremental = Render(c, true);
    ASSERT_EQ(whole.size(), incremental.size());
    for (size_t i = 0; i < whole.size(); ++i) {
      ASSERT_EQ(DifferingPixels(whole[i], incremental[i]), 0) << c.name << ", frame " << i;
    }
    EXPECT_GT(DifferingPixels(whole.front(), whole.back()), 0) << c.name << ": nothing moved";
  }
}

// The display copies only the rows a frame names as changed: every pixel that differs from
// the frame before must lie in one of them, and most rows of a frame with a few overlays
// over its water must not be named.
TEST(FrameRestore, ChangedRowsHoldEveryDifference) {
  const RestoreCase cases[] = {
      {"snow and the clock", 1, true, 8},
      {"rain with wind", 2, false, 60},
      {"snow over jittered water", 1, false, 8, 6},
      {"the clock alone", 0, true, 0},
      {"water alone", 0, false, 0},
  };
  for (const auto& c : cases) {
    std::vector<ChangedRows> changed;
    const auto frames = Render(c, true, &changed);
    for (size_t i = 1; i < frames.size(); ++i) {
      const Bitmap32& before = frames[i - 1];
      const Bitmap32& now = frames[i];
      ASSERT_EQ(changed[i].Height(), now.Height()) << c.name;
      if (before.Width() != now.Width() || before.Height() != now.Height()) continue;
      for (int y = 0; y < now.Height(); ++y) {
        if (changed[i].IsMarked(y)) continue;
        for (int x = 0; x < now.Width(); ++x) {
          ASSERT_EQ(now.Pixel(x, y), before.Pixel(x, y)) << c.name << ", frame " << i << ": row " << y
                                                         << " changed but is not named";
        }
      }
    }
    EXPECT_TRUE(changed.front().All()) << c.name << ": the first frame after the start";
    if (c.weather == 0) {
      // Water in rows 120 .. 199 of 200, and the clock's box.
      EXPECT_LT(changed.back().MarkedRows(), 200 * 3 / 4) << c.name;
    }
  }
}

// Overlapping boxes, each drawn right after it was kept, come back in reverse order to the
// frame before the first one; rows of the skipped band and pixels outside the frame are
// never kept or written.
TEST(FrameRestore, KeptBoxesComeBackLastFirst) {
  Bitmap32 frame(40, 30);
  for (size_t i = 0; i < frame.PixelCount(); ++i) frame.Data()[i] = static_cast<uint32_t>(i * 2654435761u);
  const Bitmap32 before = frame;
  // Wide and narrow boxes (narrow ones move in groups of four pixels), at the edges too.
  const PixelRect boxes[] = {{5, 2, 15, 12}, {10, 6, 20, 25}, {-4, -3, 3, 4}, {35, 20, 50, 40}, {12, 8, 13, 9},
                             {0, 9, 40, 13}, {38, 5, 41, 8}, {11, 3, 14, 9},  {0, 27, 2, 30}, {39, 0, 40, 30}};
  TSaveUnder under;
  under.Begin(frame, 10, 14);
  uint32_t ink = 0xFF000001u;
  for (const PixelRect& b : boxes) {
    under.Keep(b);
    for (int y = std::max(b.Top, 0); y < std::min(b.Bottom, frame.Height()); ++y) {
      for (int x = std::max(b.Left, 0); x < std::min(b.Right, frame.Width()); ++x) frame.SetPixel(x, y, ink);
    }
    ++ink;
  }
  // What the band's rows hold is left to whoever rewrites them.
  Bitmap32 expected = before;
  for (int y = 10; y <= 14; ++y) {
    for (int x = 0; x < frame.Width(); ++x) expected.SetPixel(x, y, frame.Pixel(x, y));
  }
  under.Restore();
  EXPECT_EQ(DifferingPixels(frame, expected), 0);
  EXPECT_TRUE(under.Empty());

  // A frame narrower than a group of four.
  Bitmap32 thin(2, 6);
  for (size_t i = 0; i < thin.PixelCount(); ++i) thin.Data()[i] = static_cast<uint32_t>(i + 1);
  const Bitmap32 thinBefore = thin;
  under.Begin(thin, 0, -1);
  under.Keep({1, 0, 2, 6});
  thin.Fill(0);
  under.Restore();
  for (int y = 0; y < 6; ++y) EXPECT_EQ(thin.Pixel(1, y), thinBefore.Pixel(1, y)) << y;

  // A frame that changed its size in between gets nothing back.
  under.Begin(frame, 0, -1);
  under.Keep({0, 0, 10, 10});
  frame.SetSize(5, 5, 7);
  under.Restore();
  EXPECT_EQ(DifferingPixels(frame, Bitmap32(5, 5, 7)), 0);
}

}  // namespace
}  // namespace kx
