// The engine: which frame it presents, what it composes into Frame and in which order, the
// weather it creates from the project, the objects it starts and draws, and its timing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
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

// An object that records what the engine does with it and fills a rectangle when drawn.
class RecordingObject final : public TAnimObject {
 public:
  RecordingObject(std::vector<std::string>& log, uint32_t colour, bool visible)
      : log_(log), colour_(colour), visible_(visible) {}
  void Stop() override { log_.push_back("stop " + std::to_string(Index)); }
  void Prepare() override {
    log_.push_back("prepare " + std::to_string(Index));
    preparedRect = FrameRect;
    preparedDesign = {DesignWidth, DesignHeight};
  }
  void Resume() override { log_.push_back("resume " + std::to_string(Index)); }
  void Draw(Bitmap32& frame) override {
    ++draws;
    if (!visible_) return;
    for (int y = 0; y < frame.Height(); ++y) {
      for (int x = 0; x < frame.Width() / 2; ++x) frame.SetPixel(x, y, colour_);
    }
  }
  TRect preparedRect;
  std::pair<int, int> preparedDesign;
  int draws = 0;

 private:
  std::vector<std::string>& log_;
  uint32_t colour_;
  bool visible_;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeScene(project_, 64, 48);
    PaintRows(project_, 1, 24, 47);
    TWaveParam& p = *project_.WaveParams[0];
    p.Amplitude = 3;
    p.Waves = 9;
    p.Speed = 20;
  }
  // The saver window's calling order for a scene.
  void ShowScene(TAnimObjects* objects = nullptr) {
    engine_.SetProject(project_, objects);
    engine_.SetWeather(false);
    engine_.Start();
    engine_.SetWeather(project_.Weather->Kind > 0);
  }
  void Frame(uint32_t dt = 33) {
    clock_.now += dt;
    engine_.RenderFrame();
  }

  test::FakeClock clock_;
  TProject project_;
  TAnimEngine engine_{clock_};
};

TEST_F(EngineTest, ASceneWithNothingOverTheWaterPresentsTheWaterFrameAndLeavesFrameAlone) {
  ShowScene();
  EXPECT_EQ(&engine_.GetFrame(), &engine_.WaterFrame);
  for (int i = 0; i < 3; ++i) Frame();
  EXPECT_EQ(&engine_.GetFrame(), &engine_.WaterFrame);
  EXPECT_TRUE(engine_.Frame.Empty());
  EXPECT_GT(DifferingPixels(engine_.WaterFrame, *project_.Picture), 0);  // the water moves
}

TEST_F(EngineTest, StartLeavesThePlainPictureForTheFirstFrame) {
  ShowScene();
  EXPECT_EQ(engine_.WaterFrame, *project_.Picture);
}

TEST_F(EngineTest, TheClockAlonePresentsFrameWithTheClockOverTheWater) {
  MakeScene(project_, 400, 300);
  PaintRows(project_, 1, 150, 299);
  project_.WaveParams[0]->Amplitude = 3;
  project_.WaveParams[0]->Speed = 20;
  engine_.ShowClock = true;
  engine_.Clock.Corner = 3;
  ShowScene();
  Frame();
  ASSERT_EQ(&engine_.GetFrame(), &engine_.Frame);
  EXPECT_EQ(engine_.Clock.ClockWidth, 50);  // round(400 / 8)
  const TPoint origin = engine_.Clock.Origin(400, 300);
  EXPECT_EQ(origin, (TPoint{340, 240}));
  // Outside the clock Frame is the water frame; inside it the clock changed something.
  int insideChanged = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 400; ++x) {
      const bool inside = x >= origin.X && x < origin.X + 50 && y >= origin.Y && y < origin.Y + 50;
      if (inside) {
        insideChanged += engine_.Frame.Pixel(x, y) != engine_.WaterFrame.Pixel(x, y);
      } else {
        ASSERT_EQ(engine_.Frame.Pixel(x, y), engine_.WaterFrame.Pixel(x, y)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(insideChanged, 100);
}

TEST_F(EngineTest, ObjectsAreStartedWithTheFrameAndDesignSizesAndDrawnInListOrder) {
  std::vector<std::string> log;
  TAnimObjects objects;
  auto* first = new RecordingObject(log, Rgb(255, 0, 255), true);
  auto* hidden = new RecordingObject(log, Rgb(0, 255, 255), false);
  objects.Add(std::unique_ptr<TAnimObject>(first));
  objects.Add(std::unique_ptr<TAnimObject>(hidden));
  EXPECT_EQ(first->Index, 0);
  EXPECT_EQ(hidden->Index, 1);
  project_.PictureWidth = 1024;  // the design size of a package shown resized
  project_.PictureHeight = 768;
  ShowScene(&objects);
  EXPECT_EQ(log, (std::vector<std::string>{"stop 0", "prepare 0", "resume 0", "stop 1", "prepare 1", "resume 1"}));
  EXPECT_EQ(first->preparedRect, (TRect{0, 0, 64, 48}));
  EXPECT_EQ(first->preparedDesign, (std::pair<int, int>{1024, 768}));
  ASSERT_EQ(&engine_.GetFrame(), &engine_.Frame);
  const int drawsAfterStart = first->draws;
  Frame();
  Frame();
  EXPECT_EQ(first->draws, drawsAfterStart + 2);
  EXPECT_EQ(hidden->draws, drawsAfterStart + 2);
  EXPECT_EQ(engine_.Frame.Pixel(5, 5), Rgb(255, 0, 255));
  EXPECT_EQ(engine_.Frame.Pixel(40, 30), engine_.WaterFrame.Pixel(40, 30));
  // An empty list counts as no objects.
  TAnimObjects none;
  engine_.SetProject(project_, &none);
  EXPECT_FALSE(engine_.HasObjects());
}

TEST_F(EngineTest, WeatherIsDrawnOverTheObjectsAndTheClockOverBoth) {
  std::vector<std::string> log;
  TAnimObjects objects;
  objects.Add(std::make_unique<RecordingObject>(log, Rgb(0, 0, 0), true));  // black left half
  MakeScene(project_, 160, 120);
  project_.Weather->Kind = kWeatherSnow;
  project_.Weather->Count = 400;
  project_.Weather->SizeOrWind = 5;
  project_.Weather->SpeedIndex = 10;
  project_.Weather->Opacity = 10;
  engine_.ShowClock = true;
  engine_.Clock.Corner = 0;  // top left, over the object
  ShowScene(&objects);
  Frame();
  // Snow lands on the black half; the clock sits over it at (10, 10), 20 x 20.
  int snowOnObject = 0;
  for (int y = 40; y < 120; ++y) {
    for (int x = 0; x < 80; ++x) snowOnObject += engine_.Frame.Pixel(x, y) != Rgb(0, 0, 0);
  }
  EXPECT_GT(snowOnObject, 50);
  // The clock's centre cap is opaque: it lies over the snow and the object.
  EXPECT_EQ(engine_.Clock.ClockWidth, 20);
  EXPECT_EQ(engine_.Frame.Pixel(19, 19), 0xFFFFFFFFu);
  EXPECT_EQ(engine_.Frame.Pixel(16, 20), 0xFF707070u);
}

TEST_F(EngineTest, SnowFlakesAreAtMostSize8WhateverTheSizeSetting) {
  project_.Weather->Kind = kWeatherSnow;
  project_.Weather->Count = 300;
  project_.Weather->SizeOrWind = 12;
  project_.Weather->SpeedIndex = 10;
  project_.Weather->Opacity = 9;
  ShowScene();
  ASSERT_NE(engine_.Snow, nullptr);
  EXPECT_EQ(engine_.Rain, nullptr);
  for (int i = 0; i < 10; ++i) {
    Frame();
    EXPECT_EQ(engine_.Snow->MaxSize, 8);
    for (const TSnowFlake& f : engine_.Snow->Flakes) ASSERT_LE(f.Size, 8);
  }
  // The handed settings of every frame.
  EXPECT_EQ(engine_.Snow->FrameTime, 33);
  EXPECT_EQ(engine_.Snow->Opacity, 9);
  EXPECT_EQ(engine_.Snow->SpeedIndex, 10);
  EXPECT_EQ(engine_.Snow->Speed, 100);
}

TEST_F(EngineTest, RainGetsTheAngleFrom180MinusTheWindAndItsStreakLength) {
  project_.Weather->Kind = kWeatherRain;
  project_.Weather->Count = 50;
  project_.Weather->SizeOrWind = 75;
  project_.Weather->StreakLength = 14;
  project_.Weather->Opacity = 6;
  project_.Weather->SpeedIndex = 12;
  project_.Speed = 80;
  ShowScene();
  ASSERT_NE(engine_.Rain, nullptr);
  EXPECT_EQ(engine_.Rain->LengthFactor, 10);  // until the first frame
  Frame(40);
  EXPECT_EQ(engine_.Rain->Angle, 105);
  EXPECT_EQ(engine_.Rain->LengthFactor, 14);
  EXPECT_EQ(engine_.Rain->Opacity, 6);
  EXPECT_EQ(engine_.Rain->SpeedIndex, 12);
  EXPECT_EQ(engine_.Rain->Speed, 80);
  EXPECT_EQ(engine_.Rain->FrameTime, 40);
}

struct CountCase {
  int32_t kind;
  int32_t count;
  int32_t expected;
};

TEST_F(EngineTest, TheWeatherCountIsLimitedTo1000) {
  for (const CountCase& c : {CountCase{kWeatherSnow, 5000, 1000}, CountCase{kWeatherRain, 5000, 1000},
                             CountCase{kWeatherSnow, 1000, 1000}, CountCase{kWeatherRain, 0, 0},
                             CountCase{kWeatherSnow, -7, 0}}) {
    project_.Weather->Kind = c.kind;
    project_.Weather->Count = c.count;
    project_.Weather->SizeOrWind = 4;
    ShowScene();
    const int32_t count = c.kind == kWeatherSnow ? engine_.Snow->Count : engine_.Rain->Count;
    const size_t particles = c.kind == kWeatherSnow ? engine_.Snow->Flakes.size() : engine_.Rain->Drops.size();
    EXPECT_EQ(count, c.expected) << c.kind << " " << c.count;
    EXPECT_EQ(particles, static_cast<size_t>(c.expected)) << c.kind << " " << c.count;
  }
}

TEST_F(EngineTest, SetWeatherCreatesOnlyWhatTheKindAsksFor) {
  project_.Weather->Kind = 3;
  project_.Weather->Count = 10;
  ShowScene();
  engine_.SetWeather(true);
  EXPECT_EQ(engine_.Snow, nullptr);
  EXPECT_EQ(engine_.Rain, nullptr);
  EXPECT_TRUE(engine_.WeatherOn);
  EXPECT_EQ(&engine_.GetFrame(), &engine_.Frame);  // weather on composes Frame, even empty
  Frame();
  EXPECT_EQ(engine_.Frame, engine_.WaterFrame);
  project_.Weather->Kind = kWeatherRain;
  engine_.SetWeather(true);
  EXPECT_NE(engine_.Rain, nullptr);
  engine_.SetWeather(false);
  EXPECT_EQ(engine_.Rain, nullptr);
  EXPECT_EQ(&engine_.GetFrame(), &engine_.WaterFrame);
}

TEST_F(EngineTest, StartSeedsTheRandomGeneratorFromTheClock) {
  project_.WaveParams[0]->Jitter = 6;
  project_.Weather->Kind = kWeatherSnow;
  project_.Weather->Count = 20;
  project_.Weather->SizeOrWind = 6;
  ShowScene();
  const auto offsets = engine_.ColumnOffset[0];
  const auto flakes = engine_.Snow->Flakes;
  RandomSeed = 999;  // whatever ran in between
  ShowScene();
  EXPECT_EQ(engine_.ColumnOffset[0], offsets);
  ASSERT_EQ(engine_.Snow->Flakes.size(), flakes.size());
  for (size_t i = 0; i < flakes.size(); ++i) EXPECT_EQ(engine_.Snow->Flakes[i].X, flakes[i].X);
  clock_.now += 1;
  ShowScene();
  EXPECT_NE(engine_.ColumnOffset[0], offsets);
}

TEST_F(EngineTest, AProjectWithoutAPictureRendersNothingAndDoesNotFail) {
  TProject empty;
  engine_.ShowClock = true;
  engine_.SetProject(empty);
  engine_.SetWeather(false);
  engine_.Start();
  engine_.SetWeather(true);
  Frame();
  EXPECT_TRUE(engine_.GetFrame().Empty());
  empty.Clear();  // a project whose parts are gone
  engine_.SetProject(empty);
  engine_.Start();
  Frame();
  engine_.Reset();
  EXPECT_TRUE(engine_.WaterFrame.Empty());
}

TEST_F(EngineTest, TheTickCounterWrappingAroundIsOneOrdinaryFrame) {
  project_.WaveParams[0]->Speed = 10;
  project_.WaveParams[0]->Style = 1;
  clock_.now = 0xFFFFFFF0u;
  ShowScene();
  Frame(40);  // wraps to 0x18
  EXPECT_EQ(engine_.Phase[0], 8);
}

}  // namespace
}  // namespace kx
