#include "transitions/GridEffects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "RegionEffectCases.h"
#include "ShapeCases.h"
#include "base/MulDiv.h"
#include "base/Random.h"
#include "transitions/EffectTable.h"

namespace kx {
namespace {

using testing::NewMask;
using testing::StepMask;

constexpr long double kPi = 3.141592653589793238462643383279502884L;

TEST(RotatePoints, TurnClockwiseOnTheScreenAndRoundToTheNearest) {
  const struct {
    const char* name;
    std::vector<int32_t> coords;
    int32_t cx, cy;
    long double angle;
    std::vector<int32_t> expected;
  } cases[] = {
      {"quarter turn: right becomes down", {10, 0, 0, 10}, 0, 0, kPi / 2, {0, 10, -10, 0}},
      {"half turn about another centre", {7, 3, 5, 5}, 5, 5, kPi, {3, 7, 5, 5}},
      {"30 degrees: 86.6 and 50", {100, 0, -100, 0}, 0, 0, kPi / 6, {87, 50, -87, -50}},
      {"full turn", {13, -4}, 2, 2, 2 * kPi, {13, -4}},
      {"an odd last value is left alone", {1, 0, 9}, 0, 0, kPi / 2, {0, 1, 9}},
  };
  for (const auto& c : cases) {
    std::vector<int32_t> coords = c.coords;
    RotatePoints(coords, c.cx, c.cy, c.angle);
    EXPECT_EQ(coords, c.expected) << c.name;
  }
}

TEST(GridEffects, TurningRectanglesAtAQuarterTurn) {
  // 400 x 300 at P = 25: X = 100, Y = 75, a quarter turn. The 100 x 74 rectangle about the
  // centre (corners 150, 113 and 250, 187) turned about the centre (149) stands upright at
  // 163 .. 236 x 100 .. 199; turned about (X, Y) = (100, 75) (151) it lands at -12 .. 61 x
  // 125 .. 224, partly off the screen.
  const struct {
    int effect;
    Rect expected;
  } cases[] = {{149, {163, 100, 237, 200}}, {151, {-12, 125, 62, 225}}};
  for (const auto& c : cases) {
    const NewMask m = StepMask(c.effect, 400, 300, 25);
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) {
        const Rect& r = c.expected;
        const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        ASSERT_EQ(m.At(x, y), inside) << "effect " << c.effect << " at " << x << "," << y;
      }
  }
}

TEST(GridEffects, ShapesTurnClockwise) {
  // 400 x 300 at P = 10: the 40 x 30 rectangle about the centre turned by 36
  // degrees clockwise: the right end has gone down. (214, 159) lies in the turned rectangle
  // (about 17 along and 1 across from the centre); its mirror image (214, 140) lies 16 across,
  // outside it, and would be inside after an anticlockwise turn.
  const NewMask rectangle = StepMask(149, 400, 300, 10);
  EXPECT_TRUE(rectangle.At(214, 159));
  EXPECT_FALSE(rectangle.At(214, 140));
  EXPECT_TRUE(rectangle.At(185, 140));
  EXPECT_FALSE(rectangle.At(185, 159));
}

TEST(GridEffects, ShredGridsAreTheUnionOfTheirShapes) {
  // Each grid against its shapes tested one by one at every pixel, on 200 x 100 at P = 50
  // (X = 100) and P = 80, cells laid out from the top-left corner 2c apart.
  using Holds = std::function<bool(int cx, int cy, int x, int y)>;
  const struct {
    int effect;
    int cw, ch;       // cell size across and down
    int rowLimit;     // rows of cells while 2k ch < rowLimit
    std::function<Holds(int p)> shape;
  } cases[] = {
      {120, 21, 11, 100 + 11, [](int p) -> Holds {
         const int bw = MulDiv(21, p, 50), bh = MulDiv(11, p, 50);
         return [=](int cx, int cy, int x, int y) {
           return testing::WindingAt({{cx - bw, cy - bh}, {cx, cy + bh}, {cx + bw, cy - bh}}, x, y) != 0;
         };
       }},
      {152, 11, 11, 100, [](int p) -> Holds {
         const int r = MulDiv(33, p, 200);
         return [=](int cx, int cy, int x, int y) {
           return testing::EllipseHolds(cx - r, cy - r, cx + r, cy + r, x, y);
         };
       }},
      {164, 11, 11, 100, [](int p) -> Holds {
         const int b = MulDiv(11, p, 50);
         return [=](int cx, int cy, int x, int y) {
           return testing::WindingAt({{cx - b, cy}, {cx, cy - b}, {cx + b, cy}, {cx, cy + b}}, x, y) != 0;
         };
       }},
      {144, 11, 11, 100, [](int p) -> Holds {
         const int a = MulDiv(11, p, 100);
         return [=](int cx, int cy, int x, int y) {  // columns and rows cx - a .. cx + a - 1
           return std::abs(2 * (x - cx) + 1) < 2 * a && std::abs(2 * (y - cy) + 1) < 2 * a;
         };
       }},
  };
  for (int p : {50, 80}) {
    for (const auto& c : cases) {
      const NewMask m = StepMask(c.effect, 200, 100, p);
      const Holds holds = c.shape(p);
      for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
          bool expected = false;
          for (int i = 0; 2 * i * c.cw < 200 && !expected; ++i)
            for (int k = 0; 2 * k * c.ch < c.rowLimit && !expected; ++k)
              expected = holds((2 * i + 1) * c.cw, (2 * k + 1) * c.ch, x, y);
          ASSERT_EQ(m.At(x, y), expected) << "effect " << c.effect << " at " << p << "% at " << x << "," << y;
        }
    }
  }
}

TEST(GridEffects, TriangularShredBuildsOneRowOfTrianglesBelowTheScreen) {
  // 100 x 100: ch = 11, rows of cells while 22k < 111, so the last row is centred on y = 121,
  // below the bottom edge.
  const auto region = GridRegion(120, 100, 100, 50, 50, 50);
  ASSERT_TRUE(region.has_value());
  EXPECT_GT(region->Bounds().Bottom, 121);
}

TEST(RandomSquares, On1024By768AreSquaresOf32FromSeed28672AndPutTheSeedBack) {
  // u = 768 div 50 + 1 = 16: squares of 32 pixels, 32 columns of 24, one draw each, column by
  // column, from RandomSeed = (1024 + 768) * 16 = 28672.
  RandomSeed = 0xABCDEF;
  const NewMask m = StepMask(129, 1024, 768, 40);
  EXPECT_EQ(RandomSeed, 0xABCDEFu);
  RandomSeed = 28672;
  int shown = 0;
  for (int i = 0; i < 32; ++i)
    for (int k = 0; k < 24; ++k) {
      const bool shows = RandomBelow(100) < 40;
      shown += shows;
      for (int y = 32 * k; y < 32 * k + 32; ++y)
        for (int x = 32 * i; x < 32 * i + 32; ++x) ASSERT_EQ(m.At(x, y), shows) << "square " << i << "," << k;
    }
  RandomSeed = 0xABCDEF;
  EXPECT_GT(shown, 32 * 24 / 5);
  EXPECT_LT(shown, 32 * 24 * 3 / 5);
  // At the start no square is chosen, so there is no region at all, and the seed is back too.
  EXPECT_FALSE(GridRegion(129, 1024, 768, 0, 0, 0).has_value());
  EXPECT_EQ(RandomSeed, 0xABCDEFu);
}

TEST(Blinds, SlatsOpenFromTheirMiddleLines) {
  // "Blind vertically" on 1024: n = 26, slats every 52 columns; at P = 50, a = 13, so each
  // slat shows columns 13 to 38 of its 52. "Blind horizontally" on 300 rows: n = 8, a = 4,
  // rows 4 to 11 of every 16.
  const NewMask v = StepMask(138, 1024, 300, 50), h = StepMask(139, 1024, 300, 50);
  for (int y = 0; y < 300; y += 7)
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(v.At(x, y), x % 52 >= 13 && x % 52 < 39) << x << "," << y;
      ASSERT_EQ(h.At(x, y), y % 16 >= 4 && y % 16 < 12) << x << "," << y;
    }
}

TEST(Blinds, UnevenSlatsArePeriodXAndOpenPPercent) {
  // 200 x 100 at P = 30: X = 60, Y = 30, slats 18 (X) or 9 (Y) wide.
  const struct {
    int effect;
    std::function<bool(int x, int y)> shows;
  } cases[] = {
      {140, [](int x, int) { return x % 60 < 18; }},              // from 0, 60, 120, 180
      {141, [](int x, int) { return (200 - x - 1) % 60 < 18; }},  // ending at 200, 140, 80, 20
      {142, [](int, int y) { return y % 30 < 9; }},
      {143, [](int, int y) { return (100 - y - 1) % 30 < 9; }},
  };
  for (const auto& c : cases) {
    const NewMask m = StepMask(c.effect, 200, 100, 30);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x)
        ASSERT_EQ(m.At(x, y), c.shows(x, y)) << "effect " << c.effect << " at " << x << "," << y;
  }
}

TEST(Blinds, UnevenBlindFromLeftAtX1AndP1ShowsNothing) {
  // 100 wide at P = 1: X = 1, so a = MulDiv(1, 1, 100) = 0 and every one of the 100
  // rectangles is empty.
  const auto region = GridRegion(140, 100, 50, 1, 1, 1);
  ASSERT_TRUE(region.has_value());
  EXPECT_TRUE(region->IsEmpty());
  EXPECT_EQ(StepMask(140, 100, 50, 1).Count(), 0);
}

TEST(Rectangles, StripesEvery3gAndUnevenSlatsTheOtherWay) {
  // 200 x 100 at P = 50 (X = 100, Y = 50). 145 and 146: g = H div 20 = 5, stripes 2a = 6
  // rows about b = -5, 10, 25, ...; slats k = 50 columns wide with period 100. 147 and 148:
  // g = W div 20 = 10, stripes 10 columns about b = -10, 20, 50, ...; slats 25 rows, period 50.
  auto stripe = [](int v, int g, int a, int side) {
    for (int b = -g; b < side; b += 3 * g)
      if (v >= b - a && v < b + a) return true;
    return false;
  };
  auto rowStripe = [&](int y) { return stripe(y, 5, 3, 100); };
  auto columnStripe = [&](int x) { return stripe(x, 10, 5, 200); };
  const struct {
    int effect;
    std::function<bool(int x, int y)> shows;
  } cases[] = {
      {145, [&](int x, int y) { return rowStripe(y) || x % 100 < 50; }},
      {146, [&](int x, int y) { return rowStripe(y) || x % 100 >= 50; }},
      {147, [&](int x, int y) { return columnStripe(x) || y % 50 < 25; }},
      {148, [&](int x, int y) { return columnStripe(x) || y % 50 >= 25; }},
  };
  for (const auto& c : cases) {
    const NewMask m = StepMask(c.effect, 200, 100, 50);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x)
        ASSERT_EQ(m.At(x, y), c.shows(x, y)) << "effect " << c.effect << " at " << x << "," << y;
  }
  // Fewer than 20 rows (columns) give no stripes, and the effect draws nothing at all.
  EXPECT_FALSE(GridRegion(145, 200, 19, 100, 10, 50).has_value());
  EXPECT_EQ(StepMask(145, 200, 19, 100).Count(), 0);
  EXPECT_FALSE(GridRegion(147, 19, 100, 10, 100, 50).has_value());
}

TEST(GridEffects, StartWhereTheirNamesSay) {
  // 400 x 300 at P = 30 (X = 120, Y = 90): the slats of the uneven blinds start at their
  // side (one is shown there, 36 columns or 27 rows wide) and leave the rest of their period
  // open; the star grows about the centre.
  const struct {
    int effect;
    int newX, newY, oldX, oldY;
  } cases[] = {{140, 5, 150, 100, 150},   {141, 395, 150, 300, 150}, {142, 200, 5, 200, 50},
               {143, 200, 295, 200, 250}, {145, 5, 150, 100, 150},   {146, 395, 150, 300, 150},
               {147, 200, 5, 200, 50},    {148, 200, 295, 200, 250}, {150, 200, 150, 5, 5}};
  for (const auto& c : cases) {
    const NewMask m = StepMask(c.effect, 400, 300, 30);
    EXPECT_TRUE(m.At(c.newX, c.newY)) << "effect " << c.effect;
    EXPECT_FALSE(m.At(c.oldX, c.oldY)) << "effect " << c.effect;
  }
}

}  // namespace
}  // namespace kx
