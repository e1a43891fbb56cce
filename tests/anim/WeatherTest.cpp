// Rain and snow: how far particles move in a frame, where they come back, and what each
// one draws (shape, grey, alpha), clipped to the frame.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "AnimFixtures.h"
#include "anim/Canvas.h"
#include "anim/Rain.h"
#include "anim/Snow.h"
#include "base/Random.h"

namespace kx {
namespace {

using testing::Grey;

constexpr uint32_t kBlack = 0xFF000000u;

// The grey a white-ish colour `level` at `alpha` leaves on black.
uint32_t OnBlack(uint32_t level, int alpha) { return BlendOverReference(kBlack, Grey(level), alpha); }

int LitPixels(const Bitmap32& b) {
  int n = 0;
  for (size_t i = 0; i < b.PixelCount(); ++i) n += b.Data()[i] != kBlack;
  return n;
}

// --- Rain ------------------------------------------------------------------------------

TRain MakeRain(Bitmap32& frame) {
  TRain rain(&frame);
  rain.SetCount(1);
  rain.FrameTime = 33;
  rain.SpeedIndex = 10;
  rain.Speed = 100;
  rain.Angle = 90;
  rain.LengthFactor = 10;
  rain.Opacity = 6;
  rain.Drops[0] = {50, 20, 3, 2};
  return rain;
}

TEST(RainTest, ADepth3DropFalls594PixelsIn33Ms) {
  Bitmap32 frame(100, 100, kBlack);
  TRain rain = MakeRain(frame);
  EXPECT_NEAR(rain.Velocity(), 0.66, 1e-12);
  rain.Move();
  EXPECT_NEAR(rain.Drops[0].Y, 25.94, 1e-9);
  EXPECT_NEAR(rain.Drops[0].X, 50, 1e-9);
  // Wind: Angle 60 moves it cos 60 = 0.5 pixels right per pixel of fall.
  rain.Angle = 60;
  rain.Move();
  EXPECT_NEAR(rain.Drops[0].Y, 31.88, 1e-9);
  EXPECT_NEAR(rain.Drops[0].X, 52.97, 1e-9);
}

TEST(RainTest, SpeedsScaleTheFall) {
  Bitmap32 frame(100, 100, kBlack);
  TRain rain = MakeRain(frame);
  rain.SpeedIndex = 19;  // 480 percent
  rain.Speed = 50;
  EXPECT_NEAR(rain.Velocity(), 33 / 50.0 * 4.8 * 0.5, 1e-12);
  rain.SpeedIndex = 99;  // beyond the table: its last value, 500
  rain.Speed = 100;
  EXPECT_NEAR(rain.Velocity(), 33 / 50.0 * 5, 1e-12);
  rain.SpeedIndex = -4;  // its first, 10
  EXPECT_NEAR(rain.Velocity(), 33 / 50.0 * 0.1, 1e-12);
}

TEST(RainTest, AFrameTimeOver1000MsCountsAs10) {
  Bitmap32 frame(100, 400, kBlack);
  TRain rain = MakeRain(frame);
  rain.FrameTime = 5000;
  rain.Move();
  EXPECT_NEAR(rain.Drops[0].Y, 20 + 3 * (10 / 50.0) * 3, 1e-9);
  rain.FrameTime = 1000;  // a whole second still counts
  rain.Drops[0].Y = 0;
  rain.Move();
  EXPECT_NEAR(rain.Drops[0].Y, 3 * 20.0 * 3, 1e-9);
}

TEST(RainTest, DropsThatLeaveComeBack) {
  Bitmap32 frame(100, 80, kBlack);
  TRain rain = MakeRain(frame);
  RandomSeed = 11;
  rain.Drops[0] = {50, 79, 4, 1};  // falls past the bottom
  rain.Move();
  EXPECT_LE(rain.Drops[0].Y, 0);
  EXPECT_GT(rain.Drops[0].Y, -100);
  rain.Drops[0] = {130, 10, 4, 1};  // blown past the right edge
  rain.Move();
  EXPECT_LE(rain.Drops[0].X, 0);
  EXPECT_GT(rain.Drops[0].X, -100);
  rain.Drops[0] = {40, 10, 9, 1};  // a depth out of range is kept within 2 .. 4
  rain.Move();
  EXPECT_EQ(rain.Drops[0].Depth, 4);
}

TEST(RainTest, ScatterPlacesEveryDropInsideTheFrame) {
  Bitmap32 frame(120, 90, kBlack);
  TRain rain(&frame);
  rain.SetCount(500);
  RandomSeed = 3;
  rain.Scatter();
  std::set<int> depths, lengths;
  for (const TRainDrop& d : rain.Drops) {
    ASSERT_GE(d.X, 0);
    ASSERT_LT(d.X, 120);
    ASSERT_GE(d.Y, 0);
    ASSERT_LT(d.Y, 90);
    depths.insert(d.Depth);
    lengths.insert(d.DropLength);
  }
  EXPECT_EQ(depths, (std::set<int>{2, 3, 4}));
  EXPECT_EQ(lengths, (std::set<int>{1, 2, 3, 4}));
}

TEST(RainTest, SetCountKeepsAtMost1000) {
  TRain rain;
  rain.SetCount(5000);
  EXPECT_EQ(rain.Count, 1000);
  EXPECT_EQ(rain.Drops.size(), 1000u);
  rain.SetCount(-1);
  EXPECT_EQ(rain.Count, 0);
  EXPECT_TRUE(rain.Drops.empty());
}

struct StreakCase {
  const char* name;
  int depth;
  int opacity;
  uint32_t grey;
  int tailAlpha;
  int headAlpha;
};

TEST(RainTest, AStreakIsAFaintTailAndABrighterHead) {
  // A drop at (10, 20) of length 2, straight down: it reaches row 20 + depth x 2, and its
  // head is the last quarter, from row round(20 + 6 x (yb - 20) / 8).
  for (const StreakCase& c : {StreakCase{"depth4", 4, 6, 255, 78, 141},  // round(130 x .6), round(235 x .6)
                              StreakCase{"depth3", 3, 6, 227, 66, 129},  // 110 x .6, 215 x .6
                              StreakCase{"depth2", 2, 10, 218, 90, 195},
                              StreakCase{"opacity20", 4, 20, 255, 255, 255}}) {
    Bitmap32 frame(30, 40, kBlack);
    TRain rain = MakeRain(frame);
    rain.Opacity = c.opacity;
    rain.Drops[0] = {10, 20, c.depth, 2};
    rain.Draw();
    const int yb = 20 + 2 * c.depth;
    const int ym = static_cast<int>(std::nearbyint(20 + 6.0 * (yb - 20) / 8));
    for (int y = 0; y < 40; ++y) {
      const uint32_t expected = y < 20 || y > yb ? kBlack : OnBlack(c.grey, y < ym ? c.tailAlpha : c.headAlpha);
      EXPECT_EQ(frame.Pixel(10, y), expected) << c.name << " row " << y;
    }
    EXPECT_EQ(LitPixels(frame), yb - 20 + 1) << c.name;
  }
}

// Stored streak lengths at the ends of their range: the streak is drawn, clipped, with no
// overflow on the way (INT32_MAX made the end row wrap around).
TEST(RainTest, HugeStreakLengthsAreDrawnClipped) {
  for (const int32_t factor : {INT32_MAX, INT32_MIN}) {
    Bitmap32 frame(20, 20, kBlack);
    TRain rain = MakeRain(frame);
    rain.Angle = 60;
    rain.LengthFactor = factor;
    rain.Drops[0] = {10, 10, 4, 4};
    rain.Draw();
    EXPECT_GT(LitPixels(frame), 5) << factor;
  }
}

TEST(RainTest, SlantedStreaksAreClippedToTheFrame) {
  Bitmap32 frame(20, 20, kBlack);
  TRain rain = MakeRain(frame);
  rain.Angle = 0;  // cos 0 = 1: one pixel right per pixel down
  rain.LengthFactor = 20;
  rain.Drops[0] = {16, 12, 4, 4};  // a 32-pixel streak: mostly outside
  rain.Draw();
  // Visible part: from (16, 12) down-right to the frame's edge at (19, 15).
  for (int i = 0; i < 4; ++i) EXPECT_NE(frame.Pixel(16 + i, 12 + i), kBlack) << i;
  EXPECT_EQ(LitPixels(frame), 4);
}

TEST(RainTest, ACountOf0DrawsNothing) {
  Bitmap32 frame(20, 20, kBlack);
  TRain rain(&frame);
  rain.SetCount(0);
  rain.Scatter();
  rain.FrameTime = 33;
  rain.Opacity = 10;
  rain.Animate();
  EXPECT_EQ(LitPixels(frame), 0);
}

// --- Snow ------------------------------------------------------------------------------

TSnow MakeSnow(Bitmap32& frame) {
  TSnow snow(&frame);
  snow.SetCount(1);
  snow.FrameTime = 33;
  snow.SpeedIndex = 10;
  snow.Speed = 100;
  snow.Opacity = 9;
  snow.MaxSize = 8;
  snow.Flakes[0] = {50, 20, 4, 1};
  return snow;
}

TEST(SnowTest, ASize4FlakeFalls189PixelsIn33Ms) {
  Bitmap32 frame(100, 100, kBlack);
  TSnow snow = MakeSnow(frame);
  snow.MaxSize = 4;
  EXPECT_NEAR(snow.Velocity(), 33 / 70.0, 1e-12);
  snow.Move();
  EXPECT_NEAR(snow.Flakes[0].Y - 20, 33 / 70.0 * 4, 1e-9);  // 1.886
  EXPECT_NEAR(snow.Flakes[0].X - 50, 33 / 70.0, 1e-9);     // Drift +1
}

TEST(SnowTest, AFrameTimeOver1000MsCountsAs10) {
  Bitmap32 frame(100, 100, kBlack);
  TSnow snow = MakeSnow(frame);
  snow.MaxSize = 4;
  snow.FrameTime = 5000;
  snow.Move();
  EXPECT_NEAR(snow.Flakes[0].Y - 20, 10 / 70.0 * 4, 1e-9);
}

TEST(SnowTest, MaxSize4ShrinksScatteredFlakesOnTheFirstFrame) {
  Bitmap32 frame(200, 200, kBlack);
  TSnow snow(&frame);
  snow.SetCount(300);
  RandomSeed = 21;
  snow.Scatter();  // MaxSize 8: sizes 6 .. 8
  std::set<int> scattered;
  for (const TSnowFlake& f : snow.Flakes) scattered.insert(f.Size);
  EXPECT_EQ(scattered, (std::set<int>{6, 7, 8}));
  snow.MaxSize = 4;
  snow.FrameTime = 33;
  snow.Speed = 100;
  snow.Move();
  for (const TSnowFlake& f : snow.Flakes) ASSERT_EQ(f.Size, 4);
}

TEST(SnowTest, SizesKeepWithinTwoBelowTheLargest) {
  Bitmap32 frame(200, 200, kBlack);
  TSnow snow(&frame);
  snow.MaxSize = 6;
  snow.SetCount(200);
  RandomSeed = 5;
  snow.Scatter();
  snow.FrameTime = 33;
  snow.Speed = 100;
  std::set<int> seen;
  for (int i = 0; i < 200; ++i) {
    snow.Move();
    for (const TSnowFlake& f : snow.Flakes) {
      ASSERT_GE(f.Size, 4);
      ASSERT_LE(f.Size, 6);
      seen.insert(f.Size);
    }
  }
  EXPECT_EQ(seen, (std::set<int>{4, 5, 6}));
}

TEST(SnowTest, FlakesThatLeaveComeBack) {
  Bitmap32 frame(100, 80, kBlack);
  TSnow snow = MakeSnow(frame);
  RandomSeed = 8;
  snow.Flakes[0] = {50, 79, 8, 0};  // past the last row
  snow.Move();
  EXPECT_LE(snow.Flakes[0].Y, 0);
  EXPECT_GT(snow.Flakes[0].Y, -100);
  snow.Flakes[0] = {99.9, 10, 8, 1};  // past the right edge
  snow.Move();
  EXPECT_LE(snow.Flakes[0].X, 0);
  EXPECT_GT(snow.Flakes[0].X, -50);
}

TEST(SnowTest, ScatterDrawsDriftsAndSizes) {
  Bitmap32 frame(64, 64, kBlack);
  TSnow snow(&frame);
  snow.MaxSize = 5;
  snow.SetCount(300);
  RandomSeed = 2;
  snow.Scatter();
  std::set<double> drifts;
  std::set<int> sizes;
  for (const TSnowFlake& f : snow.Flakes) {
    ASSERT_GE(f.X, 0);
    ASSERT_LT(f.X, 64);
    ASSERT_GE(f.Y, 0);
    ASSERT_LT(f.Y, 64);
    drifts.insert(f.Drift);
    sizes.insert(f.Size);
  }
  EXPECT_EQ(drifts, (std::set<double>{-1, 0, 1}));
  EXPECT_EQ(sizes, (std::set<int>{3, 4, 5}));
}

TEST(SnowTest, ASize8FlakeIsADiscOfAlpha162UnderADiscOfAlpha225) {
  // M = 8, O = 9: outer round(180 x .9) = 162 with radius 4, inner round(250 x .9) = 225
  // with radius 3, over the centre drawn in the inner alpha.
  Bitmap32 frame(20, 20, kBlack);
  TSnow snow = MakeSnow(frame);
  snow.Flakes[0] = {10, 10, 8, 0};
  snow.Draw();
  const uint32_t outerOnly = OnBlack(255, 162);
  const uint32_t both = BlendOverReference(outerOnly, Grey(255), 225);
  EXPECT_EQ(frame.Pixel(14, 10), outerOnly);  // radius 4 row 0 reaches x + 4
  EXPECT_EQ(frame.Pixel(10, 14), outerOnly);
  EXPECT_EQ(frame.Pixel(13, 10), both);
  EXPECT_EQ(frame.Pixel(12, 12), both);       // i = 2: round(sqrt(5)) = 2
  EXPECT_EQ(frame.Pixel(13, 12), outerOnly);  // inside radius 4 (round(sqrt(12)) = 3) only
  EXPECT_EQ(frame.Pixel(13, 13), outerOnly);  // i = 3: radius 4 reaches round(sqrt(7)) = 3, radius 3 only 0
  EXPECT_EQ(frame.Pixel(10, 13), both);
  EXPECT_EQ(frame.Pixel(15, 10), kBlack);
  EXPECT_EQ(frame.Pixel(14, 12), kBlack);
  // The centre: first alone in the inner alpha, then under both discs.
  EXPECT_EQ(frame.Pixel(10, 10), BlendOverReference(BlendOverReference(OnBlack(255, 225), Grey(255), 162), Grey(255), 225));
  EXPECT_EQ(LitPixels(frame), 57);  // the radius-4 disc: 9 + 2 x (9 + 7 + 7 + 1)
}

TEST(SnowTest, SmallerFlakesAreFainter) {
  // Size 6 of M = 8, O = 9: inner round((250 - 120) x .9) = 117, outer round(60 x .9) = 54.
  Bitmap32 frame(20, 20, kBlack);
  TSnow snow = MakeSnow(frame);
  snow.Flakes[0] = {10, 10, 6, 0};
  snow.Draw();
  const uint32_t outer = OnBlack(255, 54);
  EXPECT_EQ(frame.Pixel(13, 10), outer);  // radius 3 only
  EXPECT_EQ(frame.Pixel(12, 10), BlendOverReference(outer, Grey(255), 117));
  EXPECT_EQ(frame.Pixel(10, 10), BlendOverReference(BlendOverReference(OnBlack(255, 117), Grey(255), 54), Grey(255), 117));
}

struct FlakeShapeCase {
  const char* name;
  int size;
  std::vector<std::pair<int, int>> pixels;  // offsets from the centre that are lit
};

TEST(SnowTest, SmallFlakeShapes) {
  const std::vector<FlakeShapeCase> cases = {
      {"size1", 1, {{0, 0}}},
      {"size2", 2, {{0, 0}, {1, 0}, {0, 1}}},
      {"size3", 3, {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}}},
      {"size4", 4, {{0, 0}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {0, 2}, {1, -1}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}}},
  };
  for (const FlakeShapeCase& c : cases) {
    Bitmap32 frame(12, 12, kBlack);
    TSnow snow = MakeSnow(frame);
    snow.MaxSize = c.size;
    snow.Opacity = 10;
    snow.Flakes[0] = {5, 5, c.size, 0};
    snow.Draw();
    for (const auto& [dx, dy] : c.pixels) EXPECT_NE(frame.Pixel(5 + dx, 5 + dy), kBlack) << c.name << " " << dx << "," << dy;
    EXPECT_EQ(LitPixels(frame), static_cast<int>(c.pixels.size())) << c.name;
  }
  // The halo alphas of sizes 2 and 3, opacity 10.
  Bitmap32 frame(12, 12, kBlack);
  TSnow snow = MakeSnow(frame);
  snow.MaxSize = 3;
  snow.Opacity = 10;
  snow.Flakes[0] = {5, 5, 3, 0};
  snow.Draw();
  EXPECT_EQ(frame.Pixel(5, 5), OnBlack(255, 250));
  EXPECT_EQ(frame.Pixel(6, 5), OnBlack(255, 200));
  EXPECT_EQ(frame.Pixel(6, 6), OnBlack(255, 60));
}

TEST(SnowTest, FlakesAtTheEdgesAreClipped) {
  Bitmap32 frame(10, 10, kBlack);
  TSnow snow(&frame);
  snow.SetCount(4);
  snow.MaxSize = 8;
  snow.Opacity = 9;
  snow.Flakes = {{0, 0, 8, 0}, {9.4, 9.4, 8, 0}, {-3, 5, 8, 0}, {5, -30, 8, 0}};
  snow.Draw();
  EXPECT_NE(frame.Pixel(0, 0), kBlack);
  EXPECT_NE(frame.Pixel(9, 9), kBlack);
  EXPECT_NE(frame.Pixel(1, 5), kBlack);  // a flake centred left of the frame reaches in
  EXPECT_EQ(frame.Pixel(2, 5), kBlack);
}

TEST(SnowTest, ACountOf0DrawsNothing) {
  Bitmap32 frame(20, 20, kBlack);
  TSnow snow(&frame);
  snow.SetCount(0);
  snow.Scatter();
  snow.FrameTime = 33;
  snow.Opacity = 10;
  snow.Animate();
  EXPECT_EQ(LitPixels(frame), 0);
}

}  // namespace
}  // namespace kx
