#include "transitions/BarEffects.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "RegionEffectCases.h"
#include "base/Random.h"
#include "transitions/EffectTable.h"

namespace kx {
namespace {

using testing::NewMask;
using testing::RegionMask;
using testing::StepMask;

// The generator's next `n` values of RandomBelow(range) from `seed`, without disturbing it.
std::vector<int32_t> Draws(uint32_t seed, int n, int32_t range) {
  const uint32_t saved = RandomSeed;
  RandomSeed = seed;
  std::vector<int32_t> v;
  for (int i = 0; i < n; ++i) v.push_back(RandomBelow(range));
  RandomSeed = saved;
  return v;
}
uint32_t Stepped(uint32_t seed, int n) {
  for (int i = 0; i < n; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

TEST(Bars, InFromRightFillTheEvenBarsAtHalfWayThenStartTheOddOnesFromTheRight) {
  // 100 x 60: bars e = 60 div 50 + 1 = 2 rows thick. At P = 50, X = 50 and A = 2X = W: the
  // even bars (rows 0-1, 4-5, ...) are full, the odd ones empty. One step later (X = 51,
  // A = 102) the odd bars have grown A - W = 2 columns from the right edge.
  const NewMask half = StepMask(63, 100, 60, 50), later = StepMask(63, 100, 60, 51);
  for (int y = 0; y < 60; ++y) {
    const bool even = (y / 2) % 2 == 0;
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(half.At(x, y), even) << x << "," << y;
      ASSERT_EQ(later.At(x, y), even || x >= 98) << x << "," << y;
    }
  }
}

TEST(Bars, FromBothSidesGrowTheEvenBarsFromTheRightAndTheOddFromTheLeft) {
  // 67 passes A = X and never enters a second phase: at X = 30 the even bars show columns
  // W - X = 70 to 99 and the odd bars columns 0 to 29; at X = W both reach across.
  const NewMask m = StepMask(67, 100, 60, 30), end = StepMask(67, 100, 60, 100);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool even = (y / 2) % 2 == 0;
      ASSERT_EQ(m.At(x, y), even ? x >= 70 : x < 30) << x << "," << y;
      ASSERT_TRUE(end.At(x, y)) << x << "," << y;
    }
}

TEST(Bars, BounceFromTheFarSideInTheSecondHalf) {
  // 65 "Bars left then right" grows the even bars from the left, then the odd bars from the
  // right; 66 the other way round. 75 "Bars from top" grows columns down from the top.
  const struct {
    const char* name;
    int effect, percent;
    std::function<bool(int x, int y)> shows;
  } cases[] = {
      {"65 first half", 65, 25, [](int x, int y) { return (y / 2) % 2 == 0 && x < 50; }},
      {"65 second half", 65, 75, [](int x, int y) { return (y / 2) % 2 == 0 || x >= 50; }},
      {"66 first half", 66, 25, [](int x, int y) { return (y / 2) % 2 == 0 && x >= 50; }},
      {"66 second half", 66, 75, [](int x, int y) { return (y / 2) % 2 == 0 || x < 50; }},
      // Y = MulDiv(X, 60, 100) = 15 at P = 25, so B = 30: even columns down to row 29.
      {"75 first half", 75, 25, [](int x, int y) { return (x / 2) % 2 == 0 && y < 30; }},
      // P = 75: Y = 45, B = 90 > H: odd columns grown B - H = 30 rows from the top.
      {"75 second half", 75, 75, [](int x, int y) { return (x / 2) % 2 == 0 || y < 30; }},
  };
  for (const auto& c : cases) {
    const NewMask m = StepMask(c.effect, 100, 60, c.percent);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 100; ++x) ASSERT_EQ(m.At(x, y), c.shows(x, y)) << c.name << " at " << x << "," << y;
  }
}

TEST(Bars, CrissCrossFromBottomLeftTopRightIsTheIntersectionOfTwoCrissCrosses) {
  // At P = 25 on 100 x 60 (X = 25, Y = 15, reaches 50 and 30): the bars from the bottom
  // right cover the even rows right of x = 50 and the even columns below y = 30, those from
  // the top left the even rows left of 50 and the even columns above 30. Their intersection is
  // the crossings of even rows and even columns in the top-right and bottom-left quarters.
  const NewMask m = StepMask(102, 100, 60, 25);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool crossing = (y / 2) % 2 == 0 && (x / 2) % 2 == 0;
      ASSERT_EQ(m.At(x, y), crossing && ((x >= 50 && y < 30) || (x < 50 && y >= 30))) << x << "," << y;
    }
  EXPECT_EQ(StepMask(102, 100, 60, 0).Count(), 0);
  EXPECT_EQ(StepMask(102, 100, 60, 100).Count(), 100 * 60);
}

TEST(Bars, EqualStepsDrawEqualFramesAndLeaveTheGeneratorAlone) {
  RandomSeed = 77;
  for (int effect : testing::BarRows()) {
    EXPECT_EQ(StepMask(effect, 96, 64, 40), StepMask(effect, 96, 64, 40)) << "effect " << effect;
  }
  EXPECT_EQ(RandomSeed, 77u);
}

TEST(Shreds, DrawOneLengthPerBandInBandOrderAroundTheReach) {
  // 200 x 100: e = 100 div 200 + 1 = 1, so every row (column) is a band, with no remainder.
  // At P = 25, X = 50 and Y = 25; the scatter l is W div 10 = 20 for the rows and
  // H div 10 = 10 for the columns. Band k is r_k = RandomBelow(2l) + reach - l long, the k-th
  // draw from the generator as it stood.
  const int W = 200, H = 100;
  const uint32_t seed = 123456;
  const struct {
    int effect;
    bool columns;
    std::function<bool(int v, int r)> shows;  // v: position along the band
  } cases[] = {
      {68, false, [](int x, int r) { return x >= W - r; }},
      {69, false, [](int x, int r) { return x < r; }},
      {70, false, [](int x, int r) { return x >= W / 2 - r / 2 && x < W / 2 + r / 2; }},
      {71, false, [](int x, int r) { return x < r / 2 || x >= W - r / 2; }},
      {79, true, [](int y, int r) { return y >= H - r; }},
      {80, true, [](int y, int r) { return y < r; }},
      {81, true, [](int y, int r) { return y >= H / 2 - r / 2 && y < H / 2 + r / 2; }},
      {82, true, [](int y, int r) { return y < r / 2 || y >= H - r / 2; }},
  };
  for (const auto& c : cases) {
    RandomSeed = seed;
    const NewMask m = StepMask(c.effect, W, H, 25);
    const int bands = c.columns ? W : H, l = c.columns ? 10 : 20, reach = c.columns ? 25 : 50;
    EXPECT_EQ(RandomSeed, Stepped(seed, bands)) << "one draw per band, effect " << c.effect;
    const auto draws = Draws(seed, bands, 2 * l);
    for (int band = 0; band < bands; ++band) {
      const int r = draws[band] + reach - l;
      for (int v = 0; v < (c.columns ? H : W); ++v)
        ASSERT_EQ(c.columns ? m.At(band, v) : m.At(v, band), c.shows(v, r))
            << "effect " << c.effect << " band " << band << " at " << v;
    }
  }
}

TEST(Shreds, TakeTheRowsFirstThenTheColumns) {
  // 104 "Uneven shred from top and right" is the rows from the right, drawn first, united
  // with the columns from the top, drawn with the generator where the rows left it.
  const int W = 120, H = 90;
  RandomSeed = 999;
  const auto both = ShredRegion(40, 30, W, H, 1, 2);
  const uint32_t afterBoth = RandomSeed;
  RandomSeed = 999;
  const auto rows = ShredRegion(40, 0, W, H, 1, 0);
  const auto columns = ShredRegion(0, 30, W, H, 0, 2);
  EXPECT_EQ(RandomSeed, afterBoth);
  ASSERT_TRUE(both && rows && columns);
  EXPECT_EQ(*both, Region::Combine(*rows, *columns, CombineMode::Or));
}

TEST(Shreds, AtTheStartAboutHalfTheBandsShowASliverShorterThanTheScatter) {
  // P = 0: A = 0 and l = W div 10 = 20, so band lengths run from -20 to 19; the negative ones
  // make inverted rectangles that show nothing.
  RandomSeed = 2024;
  const NewMask m = StepMask(68, 200, 100, 0);
  int withSliver = 0;
  for (int y = 0; y < 100; ++y) {
    int run = 0;
    while (run < 200 && m.At(199 - run, y)) ++run;
    for (int x = 0; x < 200 - run; ++x) ASSERT_FALSE(m.At(x, y)) << "one run at the right edge, row " << y;
    EXPECT_LE(run, 19);
    withSliver += run > 0;
  }
  EXPECT_GT(withSliver, 30);
  EXPECT_LT(withSliver, 70);
}

TEST(Shreds, EqualStepsDrawDifferentEdges) {
  RandomSeed = 5;
  for (int effect : {68, 79, 103, 111, 112}) {
    EXPECT_NE(StepMask(effect, 96, 64, 40), StepMask(effect, 96, 64, 40)) << "effect " << effect;
  }
}

TEST(Shreds, WithBandsThickerThanAPixelOverlapByTheRemainder) {
  // 1030 x 1003: e = 1003 div 200 + 1 = 6, gH = 1003 mod 6 = 1 and gW = 1030 mod 6 = 4. At
  // the end every band has its full length and together they cover the screen.
  const auto rows = ShredRegion(1030, 0, 1030, 1003, 2, 0);
  const auto columns = ShredRegion(0, 1003, 1030, 1003, 0, 1);
  ASSERT_TRUE(rows && columns);
  EXPECT_EQ(rows->Intersected({0, 0, 1030, 1003}), CreateRectRgn(0, 0, 1030, 1003));
  EXPECT_EQ(columns->Intersected({0, 0, 1030, 1003}), CreateRectRgn(0, 0, 1030, 1003));
  // Row bands start every 6 rows and are 7 thick: the last starts at 1002 and ends at 1009.
  // Column bands are 10 wide: the last starts at 1026 and ends at 1036.
  EXPECT_EQ(rows->Bounds(), (Rect{0, 0, 1030, 1009}));
  EXPECT_EQ(columns->Bounds(), (Rect{0, 0, 1036, 1003}));
}

TEST(Speckles, OnceTheReachHasCrossedTheScreenAreOnlyTheSolidPart) {
  // A >= W: g = 0, s = 2, n = 0: rows of 2 pixels every pixel, no cells and no draws.
  for (const auto& [a, b, horz, vert] : {std::tuple{160, 0, 1, 0}, std::tuple{170, 0, 2, 0},
                                         std::tuple{0, 120, 0, 1}, std::tuple{0, 130, 0, 2}}) {
    RandomSeed = 31;
    const auto region = SpeckleRegion(a, b, 160, 120, horz, vert);
    EXPECT_EQ(RandomSeed, 31u);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(RegionMask(*region, 160, 120).Count(), 160 * 120) << horz << vert;
  }
}

TEST(Speckles, ScatterCellsAheadOfTheFrontFromTheFarthestToTheNearest) {
  // 400 x 100, "Speckle appear from right" at P = 25: A = X = 100, g = 40, cells s = 2
  // pixels, n = 20 per row, the first lim = 120 div 8 = 15 twice as likely. Rows are 2 high
  // and start every pixel, so pixel row 0 is row 0 alone: its cell j (columns 300 - 2j to
  // 301 - 2j) shows when the row's (n - j)-th draw RandomBelow(j) is at most 1 (j <= 15)
  // or 0.
  const uint32_t seed = 4711;
  RandomSeed = seed;
  const NewMask m = StepMask(125, 400, 100, 25);
  EXPECT_EQ(RandomSeed, Stepped(seed, 100 * 20)) << "100 rows of 20 draws";
  RandomSeed = seed;
  for (int j = 20; j >= 1; --j) {
    const bool shows = RandomBelow(j) <= (j <= 15 ? 1 : 0);
    for (int x = 300 - 2 * j; x < 302 - 2 * j; ++x) ASSERT_EQ(m.At(x, 0), shows) << "cell " << j;
  }
  for (int y = 0; y < 100; ++y) {
    for (int x = 300; x < 400; ++x) ASSERT_TRUE(m.At(x, y)) << "the solid part";
    for (int x = 296; x < 300; ++x) ASSERT_TRUE(m.At(x, y)) << "cells 1 and 2 always show";
    for (int x = 0; x < 260; ++x) ASSERT_FALSE(m.At(x, y)) << "nothing beyond n cells";
  }
  // Far cells are rarer than near ones.
  int near = 0, far = 0;
  for (int y = 0; y < 100; ++y) near += m.At(290, y), far += m.At(262, y);
  EXPECT_GT(near, far);
}

TEST(Speckles, EqualStepsDrawDifferentSpeckles) {
  RandomSeed = 6;
  for (int effect : testing::SpeckleRows()) {
    EXPECT_NE(StepMask(effect, 200, 150, 40), StepMask(effect, 200, 150, 40)) << "effect " << effect;
  }
}

}  // namespace
}  // namespace kx
