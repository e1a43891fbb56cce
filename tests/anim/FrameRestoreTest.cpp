// Frame is brought back to the water frame before each composition; copying only the water
// rows and what the overlays drew must give exactly the frames a whole copy gives.
#include <gtest/gtest.h>

#include <vector>

#include "AnimFixtures.h"
#include "anim/AnimEngine.h"
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
};

// Renders frames of one scene; the clock is switched off and on again half-way.
std::vector<Bitmap32> Render(const RestoreCase& c, bool incremental) {
  test::FakeClock clock;
  TProject project;
  MakeScene(project, 320, 200);
  PaintRows(project, 1, 120, 199);
  TWaveParam& wave = *project.WaveParams[0];
  wave.Amplitude = 4;
  wave.Waves = 7;
  wave.Speed = 25;
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

}  // namespace
}  // namespace kx
