#include "transitions/PixelEffects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "TestPictures.h"
#include "base/Random.h"
#include "transitions/EffectTable.h"
#include "transitions/Region.h"
#include "transitions/TransitionStep.h"

namespace kx {
namespace {

using testing::NewPicture;
using testing::OldPicture;
using testing::OriginOf;

Bitmap32 Step(int effect, const Bitmap32& old, const Bitmap32& fresh, int percent) {
  Bitmap32 target;
  EXPECT_TRUE(TransitionStep(effect, old, fresh, percent, target));
  return target;
}

TEST(PixelEffects, AtTheStartLeaveTheOldPictureAndAtTheEndShowTheNew) {
  for (const auto& [w, h] : {std::pair{40, 30}, std::pair{41, 31}, std::pair{23, 38}}) {
    const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
    for (int effect : testing::PixelEffectRows()) {
      EXPECT_EQ(Step(effect, old, fresh, 0), old) << "effect " << effect;
      const Bitmap32 end = Step(effect, old, fresh, 100);
      if (effect == 1 || (effect >= 121 && effect <= 124)) continue;  // below
      EXPECT_EQ(end, fresh) << "effect " << effect;
    }
    // Fade ends with the new colours and the old fourth byte.
    const Bitmap32 faded = Step(1, old, fresh, 100);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(faded.Pixel(x, y), (fresh.Pixel(x, y) & 0x00FFFFFFu) | (old.Pixel(x, y) & 0xFF000000u));
  }
}

TEST(Fade, BlendsEachColourByteAndRoundsTowardMinusInfinity) {
  // Byte pairs (old, new) in blue, green and red; the fourth byte must stay.
  const struct {
    const char* name;
    int percent;
    uint8_t t, n, expected;
  } cases[] = {
      {"k = 128, one up", 50, 10, 11, 10},     {"k = 128, one down", 50, 11, 10, 10},
      {"k = 128, down to 0", 50, 1, 0, 0},     {"k = 128, half way", 50, 200, 0, 100},
      {"k = 128, up", 50, 0, 255, 127},        {"k = 0", 0, 37, 250, 37},
      {"k = 256", 100, 37, 250, 250},          {"k = 256 down", 100, 250, 3, 3},
      {"k = 3 (1 percent)", 1, 0, 255, 2},     {"k = 84 (33 percent)", 33, 100, 0, 67},
  };
  for (const auto& c : cases) {
    Bitmap32 target(3, 2, Argb(0x42, c.t, c.t, c.t)), fresh(3, 2, Argb(0x99, c.n, c.n, c.n));
    Fade(target, fresh, 3, 2, 0, 0, c.percent);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(target.Pixel(x, y), Argb(0x42, c.expected, c.expected, c.expected)) << c.name;
  }
  // The three bytes are blended independently of one another.
  Bitmap32 target(1, 1, Argb(7, 255, 0, 1)), fresh(1, 1, Argb(9, 0, 255, 0));
  Fade(target, fresh, 1, 1, 0, 0, 50);
  EXPECT_EQ(target.Pixel(0, 0), Argb(7, 127, 127, 0));
}

TEST(BlendRect, IsLimitedToItsBlockAndTheBitmap) {
  Bitmap32 target(10, 8, Rgb(0, 0, 0));
  const Bitmap32 fresh(10, 8, Rgb(200, 200, 200));
  BlendRect(target, fresh, 50, 7, -3, 20, 5);  // right part of the top two rows
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(target.Pixel(x, y), (x >= 7 && y < 2) ? Rgb(100, 100, 100) : Rgb(0, 0, 0)) << x << "," << y;
}

// Pictures for the zoom tests: any blend toward the black new picture keeps the pixels of a
// 64 x 64 window apart, so a frame pixel tells which pixel of the blended block it shows.
Bitmap32 ZoomOld(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Argb(0x11, 4 * (x % 64), 4 * (y % 64), 0));
  return b;
}

// Finds which pixel of the block of `blended` shows at each frame pixel, (-1, -1) for none.
struct BlockLookup {
  const Bitmap32& blended;
  Rect block;
  std::pair<int, int> operator()(uint32_t p) const {
    for (int sy = block.Top; sy < block.Bottom; ++sy)
      for (int sx = block.Left; sx < block.Right; ++sx)
        if (blended.Pixel(sx, sy) == p) return {sx, sy};
    return {-1, -1};
  }
};

TEST(Pixelate, AtHalfWayBlowsUpABlendedBlockOf20By14) {
  const Bitmap32 old = ZoomOld(1000, 750), fresh(1000, 750, 0);
  const Bitmap32 f = Step(2, old, fresh, 50);
  Bitmap32 blended = old;
  BlendRect(blended, fresh, 50, 0, 0, 1000, 750);
  const BlockLookup sourceOf{blended, {490, 368, 510, 382}};
  // Along a row the source columns rise block by block; inner blocks are 2960 / 20 = 148
  // screen columns wide.
  std::vector<int> columnRuns;
  int previous = -1, run = 0;
  for (int x = 0; x < 1000; ++x) {
    const auto [sx, sy] = sourceOf(f.Pixel(x, 400));
    ASSERT_GE(sx, 490) << x;
    ASSERT_TRUE(sx == previous || sx == previous + 1 || previous < 0) << x;
    if (sx != previous && previous >= 0) {
      columnRuns.push_back(run);
      run = 0;
    }
    previous = sx;
    ++run;
  }
  ASSERT_EQ(columnRuns.size(), 7u);  // source columns 496 .. 503 are on the screen
  for (size_t i = 1; i < columnRuns.size(); ++i) EXPECT_EQ(columnRuns[i], 148) << i;
  // Down a column, blocks of 2222 / 14, about 159 rows.
  std::vector<int> rowRuns;
  previous = -1, run = 0;
  for (int y = 0; y < 750; ++y) {
    const auto [sx, sy] = sourceOf(f.Pixel(500, y));
    ASSERT_GE(sy, 368) << y;
    ASSERT_TRUE(sy == previous || sy == previous + 1 || previous < 0) << y;
    if (sy != previous && previous >= 0) {
      rowRuns.push_back(run);
      run = 0;
    }
    previous = sy;
    ++run;
  }
  ASSERT_GE(rowRuns.size(), 4u);
  for (size_t i = 1; i < rowRuns.size(); ++i) {
    EXPECT_GE(rowRuns[i], 158) << i;
    EXPECT_LE(rowRuns[i], 159) << i;
  }
}

TEST(Pixelate, CrossFadesOnlyBetween41And59Percent) {
  // Uniform pictures: the frame is uniform too, and shows the blend weight directly.
  const Bitmap32 old(200, 150, Rgb(0, 0, 0)), fresh(200, 150, Rgb(200, 200, 200));
  const struct {
    int percent;
    uint32_t expected;
  } cases[] = {
      {40, Rgb(0, 0, 0)},
      {41, Rgb(10, 10, 10)},     // weight 5: k = 13, 200 * 13 / 256 = 10.2
      {59, Rgb(189, 189, 189)},  // weight 95: k = 243, 200 * 243 / 256 = 189.8
      {60, Rgb(200, 200, 200)},
  };
  for (const auto& c : cases) {
    const Bitmap32 f = Step(2, old, fresh, c.percent);
    EXPECT_EQ(f, Bitmap32(200, 150, c.expected)) << c.percent;
  }
}

TEST(Pixelate, PastHalfWayCropsAroundWhatIsLeftToGo) {
  // P = 51 at 1000 x 750: f = 100, the crop is (W - X, H - Y) = (490, 367) from the corner,
  // so the block (490, 367, 20, 16), blended with weight 55, fills the screen about its centre.
  const Bitmap32 old = ZoomOld(1000, 750), fresh(1000, 750, 0);
  const Bitmap32 f = Step(2, old, fresh, 51);
  Bitmap32 blended = old;
  BlendRect(blended, fresh, 55, 0, 0, 1000, 750);
  const BlockLookup sourceOf{blended, {490, 367, 510, 383}};
  for (int y = 0; y < 750; y += 13)
    for (int x = 0; x < 1000; x += 11) ASSERT_GE(sourceOf(f.Pixel(x, y)).first, 490) << x << "," << y;
  const auto [cx, cy] = sourceOf(f.Pixel(500, 375));
  EXPECT_TRUE(cx == 499 || cx == 500) << cx;
  EXPECT_TRUE(cy == 374 || cy == 375) << cy;
}

// The pattern reference: the shared generator itself, drawn in memory order.
std::vector<bool> ReferencePattern(uint32_t seed, size_t count, int percent) {
  const uint32_t saved = RandomSeed;
  RandomSeed = seed;
  std::vector<bool> shown(count);
  for (size_t i = 0; i < count; ++i) shown[i] = RandomBelow(100) < percent;
  RandomSeed = saved;
  return shown;
}

TEST(Dissolve, DrawsOneNumberPerPixelFromTheBottomRowUpAndRestoresTheGenerator) {
  const int w = 37, h = 23;
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  RandomSeed = 4242;
  const int32_t nextWithoutStep = [] {
    const uint32_t s = RandomSeed;
    const int32_t v = RandomBelow(1000);
    RandomSeed = s;
    return v;
  }();
  const Bitmap32 at30 = Step(3, old, fresh, 30);
  const Bitmap32 at60 = Step(3, old, fresh, 60);
  EXPECT_EQ(RandomSeed, 4242u);
  EXPECT_EQ(RandomBelow(1000), nextWithoutStep);
  const auto pattern30 = ReferencePattern(w + h, size_t(w) * h, 30);
  size_t i = 0, shown30 = 0;
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x, ++i) {
      ASSERT_EQ(at30.Pixel(x, y) == fresh.Pixel(x, y), pattern30[i]) << x << "," << y;
      if (pattern30[i]) {
        ++shown30;
        ASSERT_EQ(at60.Pixel(x, y), fresh.Pixel(x, y)) << "shown at 30 percent, so shown at 60";
      } else {
        ASSERT_EQ(at30.Pixel(x, y), old.Pixel(x, y));
      }
    }
  EXPECT_GT(shown30, size_t(w) * h / 5);
  EXPECT_LT(shown30, size_t(w) * h * 2 / 5);
}

TEST(RandomBars, HorizontalDrawsPerRowFromTheBottomAndVerticalPerColumnFromTheLeft) {
  RandomSeed = 99;
  {
    const int w = 30, h = 50;
    const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
    const Bitmap32 f = Step(168, old, fresh, 45);
    const auto pattern = ReferencePattern(w + h, h, 45);
    for (int k = 0; k < h; ++k) {
      const int y = h - 1 - k;
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(f.Pixel(x, y), pattern[k] ? fresh.Pixel(x, y) : old.Pixel(x, y)) << x << "," << y;
    }
  }
  {
    // 1024 x 768 always starts from the seed 1792.
    const int w = 1024, h = 768;
    const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
    const Bitmap32 f = Step(169, old, fresh, 50);
    const auto pattern = ReferencePattern(1792, w, 50);
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; y += 97)
        ASSERT_EQ(f.Pixel(x, y), pattern[x] ? fresh.Pixel(x, y) : old.Pixel(x, y)) << x << "," << y;
  }
  EXPECT_EQ(RandomSeed, 99u);
}

// The reference rotation: every target pixel on its own, straight from the 16.16 formulas.
void ReferenceRotate(Bitmap32& target, const Bitmap32& image, int pivotX, long double angle, int pivotRow) {
  const int64_t s = static_cast<int64_t>(std::trunc(65536.0L * std::sin(-angle)));
  const int64_t c = static_cast<int64_t>(std::trunc(65536.0L * std::cos(-angle)));
  const int W = target.Width(), H = target.Height();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int64_t m = H - 1 - y, f = x + 1 - pivotX, e = m + 1 - pivotRow;
      const int64_t sx = pivotX + static_cast<int64_t>(std::floor(double(f * c - e * s) / 65536.0));
      const int64_t sm = pivotRow + static_cast<int64_t>(std::floor(double(f * s + e * c) / 65536.0));
      if (sx >= 0 && sx < W && sm >= 0 && sm < H) target.SetPixel(x, y, image.Pixel(int(sx), int(H - 1 - sm)));
    }
}

TEST(RotateBitmap, MatchesThePixelByPixelReference) {
  const Bitmap32 image = NewPicture(45, 32);
  for (int n = 0; n < 120; ++n) {
    const long double angle = (n * 0.0537L - 3.2L);
    const int pivots[][2] = {{-1, -1}, {45, 32}, {-1, 32}, {45, -1}, {20, 11}, {-30, 70}};
    const auto& p = pivots[n % 6];
    Bitmap32 fast = OldPicture(45, 32), slow = fast;
    RotateBitmap(fast, image, p[0], angle, p[1]);
    ReferenceRotate(slow, image, p[0], angle, p[1]);
    ASSERT_EQ(fast, slow) << "case " << n;
  }
}

TEST(Pivots, EndOneColumnAndRowShortAndStartOffTheScreen) {
  // At P = 100 (no turn) target (x, y) shows new (x + 1, y - 1): the top row and the rightmost
  // column keep the old picture in the last step.
  const int w = 30, h = 20;
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  for (int effect = 121; effect <= 124; ++effect) {
    const Bitmap32 f = Step(effect, old, fresh, 100);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t expected = (y == 0 || x == w - 1) ? old.Pixel(x, y) : fresh.Pixel(x + 1, y - 1);
        ASSERT_EQ(f.Pixel(x, y), expected) << effect << " at " << x << "," << y;
      }
    // Half way, part of the new picture is on the screen and part of the old is left.
    const Bitmap32 half = Step(effect, old, fresh, 50);
    int fromNew = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) fromNew += OriginOf(half.Pixel(x, y)).fromNew;
    EXPECT_GT(fromNew, w * h / 5) << effect;
    EXPECT_LT(fromNew, w * h * 4 / 5) << effect;
  }
}

TEST(Pivots, TurnAboutTheCornerTheyAreNamedAgainst) {
  // The screen corner next to the turning point shows the new picture's own corner early on;
  // the named corner does not.
  const int w = 60, h = 40;
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  const struct {
    int effect;
    int x, y;  // a pixel near the turning point
  } cases[] = {{121, 2, h - 3}, {122, 2, 2}, {123, w - 3, h - 3}, {124, w - 3, 2}};
  for (const auto& c : cases) {
    const auto o = OriginOf(Step(c.effect, old, fresh, 90).Pixel(c.x, c.y));
    EXPECT_TRUE(o.fromNew) << c.effect;
    EXPECT_LE(std::abs(o.x - c.x), 3) << c.effect;
    EXPECT_LE(std::abs(o.y - c.y), 3) << c.effect;
  }
}

}  // namespace
}  // namespace kx
