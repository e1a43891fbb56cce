#include "transitions/BlockEffects.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "TestPictures.h"
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

const struct {
  const char* name;
  int w, h;
} kSizes[] = {{"even", 40, 30}, {"odd width", 41, 30}, {"odd height", 40, 31}, {"both odd", 41, 31}, {"tall", 23, 38}};

TEST(BlockEffects, AtTheStartLeaveTheOldPictureExceptTheBuildUps) {
  const std::set<int> buildUps = {19, 20, 36, 37};
  for (const auto& size : kSizes) {
    const Bitmap32 old = OldPicture(size.w, size.h), fresh = NewPicture(size.w, size.h);
    for (int effect : testing::BlockEffectRows()) {
      if (buildUps.count(effect)) continue;
      EXPECT_EQ(Step(effect, old, fresh, 0), old) << "effect " << effect << ", " << size.name;
    }
  }
}

TEST(BlockEffects, BuildUpsStartWithTheFirstOrLastTenthStretchedOverTheScreen) {
  // 19 and 36 stretch the first tenth (columns or rows 0 .. L div 10 - 1), 20 and 37 the
  // last; each screen line shows one line of that tenth, in order, and every line of the tenth
  // shows.
  const struct {
    int effect;
    bool vertical, lastTenth;
  } cases[] = {{19, false, false}, {20, false, true}, {36, true, false}, {37, true, true}};
  for (const auto& size : kSizes) {
    const Bitmap32 old = OldPicture(size.w, size.h), fresh = NewPicture(size.w, size.h);
    for (const auto& c : cases) {
      const Bitmap32 frame = Step(c.effect, old, fresh, 0);
      const int L = c.vertical ? size.h : size.w;
      const int first = c.lastTenth ? L - L / 10 : 0, end = c.lastTenth ? L : L / 10;
      std::set<int> seen;
      int previous = -1;
      for (int k = 0; k < L; ++k) {
        const auto o = OriginOf(c.vertical ? frame.Pixel(3, k) : frame.Pixel(k, 3));
        ASSERT_TRUE(o.fromNew) << c.effect << " " << size.name << " line " << k;
        const int line = c.vertical ? o.y : o.x;
        EXPECT_GE(line, first);
        EXPECT_LT(line, end);
        EXPECT_GE(line, previous) << c.effect << " " << size.name << " line " << k;
        previous = line;
        seen.insert(line);
        // The other coordinate is not scaled.
        EXPECT_EQ(c.vertical ? o.x : o.y, 3);
      }
      EXPECT_EQ(static_cast<int>(seen.size()), end - first) << c.effect << " " << size.name;
    }
  }
}

TEST(BlockEffects, AtTheEndShowTheNewPictureExceptWhereOddSidesAreHalved) {
  // The pixels that keep the old picture in the last step, for each effect that has some.
  using Kept = std::function<bool(int w, int h, int x, int y)>;
  const std::map<int, Kept> kept = {
      {15, [](int w, int, int x, int) { return w % 2 && x == w / 2; }},
      {16, [](int w, int, int x, int) { return w % 2 && x == w / 2; }},
      {32, [](int, int h, int, int y) { return h % 2 && y == h / 2; }},
      {33, [](int, int h, int, int y) { return h % 2 && y == h / 2; }},
      {57, [](int w, int h, int x, int y) { return w % 2 && h % 2 && x == w / 2 && y == h / 2; }},
      {58, [](int w, int h, int x, int y) { return (w % 2 && x == w / 2) || (h % 2 && y == h / 2); }},
      {59, [](int w, int h, int x, int y) { return (w % 2 && x == w / 2) || (h % 2 && y == h / 2); }},
      {60, [](int w, int h, int x, int y) {
         const int hw = w / 2, hh = h / 2;
         return (w % 2 && ((y < hh && x == w - 1) || (y >= hh && x == hw))) ||
                (h % 2 && ((x < hw && y == hh) || (x >= hw && y == h - 1)));
       }},
  };
  for (const auto& size : kSizes) {
    const Bitmap32 old = OldPicture(size.w, size.h), fresh = NewPicture(size.w, size.h);
    for (int effect : testing::BlockEffectRows()) {
      const Bitmap32 frame = Step(effect, old, fresh, 100);
      const auto k = kept.find(effect);
      for (int y = 0; y < size.h; ++y) {
        for (int x = 0; x < size.w; ++x) {
          const bool keepsOld = k != kept.end() && k->second(size.w, size.h, x, y);
          const auto o = OriginOf(frame.Pixel(x, y));
          ASSERT_EQ(o.fromOld, keepsOld) << "effect " << effect << ", " << size.name << " at " << x << "," << y;
          if (keepsOld) {
            ASSERT_EQ(o.x, x);
            ASSERT_EQ(o.y, y);
          } else if (k == kept.end()) {
            ASSERT_EQ(frame.Pixel(x, y), fresh.Pixel(x, y)) << "effect " << effect << ", " << size.name << " at " << x << "," << y;
          } else {
            // Beside a kept line, a halved side may show its half one pixel over.
            ASSERT_TRUE(o.fromNew);
            ASSERT_TRUE((o.x == x || o.x == x - 1) && (o.y == y || o.y == y - 1))
                << "effect " << effect << ", " << size.name << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(BlockEffects, SlideInFromLeftAt100ShowsTheRightmost100Columns) {
  const Bitmap32 old = OldPicture(400, 50), fresh = NewPicture(400, 50);
  const Bitmap32 frame = Step(7, old, fresh, 25);  // X = 100
  for (int y = 0; y < 50; y += 7)
    for (int x = 0; x < 400; ++x) {
      const uint32_t expected = x < 100 ? fresh.Pixel(300 + x, y) : old.Pixel(x, y);
      ASSERT_EQ(frame.Pixel(x, y), expected) << x << "," << y;
    }
}

TEST(BlockEffects, TwinsAlongYMatchTheirRuleAlongXOnTurnedPictures) {
  // Transposing the pictures turns each x effect into its y twin (17, 18 and their twins
  // 34, 35 shade differently along rows and are left out).
  const int w = 37, h = 37;  // square, so that X and Y agree
  auto transpose = [](const Bitmap32& b) {
    Bitmap32 t(b.Height(), b.Width());
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) t.SetPixel(y, x, b.Pixel(x, y));
    return t;
  };
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  const Bitmap32 oldT = transpose(old), freshT = transpose(fresh);
  for (int effect = 4; effect <= 20; ++effect) {
    if (effect == 17 || effect == 18) continue;
    for (int p : {13, 50, 77}) {
      EXPECT_EQ(transpose(Step(effect, oldT, freshT, p)), Step(effect + 17, old, fresh, p))
          << "effect " << effect << " and " << effect + 17 << " at " << p;
    }
  }
}

TEST(BlockEffects, PushesMoveTheOldPictureAndTheNewFollows) {
  const int w = 60, h = 40;
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  {
    const Bitmap32 f = Step(130, old, fresh, 25);  // "Push right", X = 15
    EXPECT_EQ(f.Pixel(15, 5), old.Pixel(0, 5));
    EXPECT_EQ(f.Pixel(59, 5), old.Pixel(44, 5));
    EXPECT_EQ(f.Pixel(0, 5), fresh.Pixel(45, 5));
    EXPECT_EQ(f.Pixel(14, 5), fresh.Pixel(59, 5));
  }
  {
    const Bitmap32 f = Step(131, old, fresh, 25);  // "Push left"
    EXPECT_EQ(f.Pixel(0, 5), old.Pixel(15, 5));
    EXPECT_EQ(f.Pixel(44, 5), old.Pixel(59, 5));
    EXPECT_EQ(f.Pixel(45, 5), fresh.Pixel(0, 5));
  }
  {
    const Bitmap32 f = Step(135, old, fresh, 25);  // "Push up", Y = 10
    EXPECT_EQ(f.Pixel(7, 0), old.Pixel(7, 10));
    EXPECT_EQ(f.Pixel(7, 29), old.Pixel(7, 39));
    EXPECT_EQ(f.Pixel(7, 30), fresh.Pixel(7, 0));
  }
  // Squeezes: the whole old picture, in order, in the part that is left.
  for (int effect : {132, 133, 136, 137}) {
    const bool vertical = effect >= 136, forward = effect == 132 || effect == 136;
    const Bitmap32 f = Step(effect, old, fresh, 25);
    const int L = vertical ? h : w, D = vertical ? 10 : 15;
    int previous = -1;
    for (int k = 0; k < L; ++k) {
      const auto o = OriginOf(vertical ? f.Pixel(7, k) : f.Pixel(k, 7));
      const bool inNewPart = forward ? k < D : k >= L - D;
      ASSERT_EQ(o.fromNew, inNewPart) << effect << " line " << k;
      if (inNewPart) {
        EXPECT_EQ(vertical ? o.y : o.x, forward ? L - D + k : k - (L - D)) << effect << " line " << k;
        continue;
      }
      const int line = vertical ? o.y : o.x;
      EXPECT_GT(line, previous) << effect << " line " << k;  // squeezed, nothing repeated
      previous = line;
    }
    EXPECT_GE(previous, L - 2) << effect << ": the old picture reaches its far edge";
  }
}

// Profile of a shading: what each column (or row) of a uniform grey bitmap gains.
std::vector<int> Profile(bool rows, int n, int grey = 128) {
  Bitmap32 b(rows ? 3 : n + 4, rows ? n + 4 : 3, Argb(0x5A, grey, grey, grey));
  if (rows) ShadeRows(b, 2, n);
  else ShadeColumns(b, 2, n);
  std::vector<int> p;
  for (int k = 0; k < n + 4; ++k) {
    const uint32_t px = rows ? b.Pixel(1, k) : b.Pixel(k, 1);
    EXPECT_EQ(AlphaOf(px), 0x5Au);
    EXPECT_EQ(RedOf(px), BlueOf(px));
    EXPECT_EQ(GreenOf(px), BlueOf(px));
    p.push_back(static_cast<int>(BlueOf(px)) - grey);
  }
  EXPECT_EQ(p.front(), 0);  // lines outside the strip stay as they were
  EXPECT_EQ(p.back(), 0);
  return std::vector<int>(p.begin() + 2, p.end() - 2);
}

TEST(ShadeColumns, ProfilesOf100And20Columns) {
  std::vector<int> p100;
  for (int j = 0; j < 50; ++j) p100.push_back(-48 + j);
  for (int j = 50; j < 100; ++j) p100.push_back(50 - j);
  EXPECT_EQ(Profile(false, 100), p100);
  const std::vector<int> p20 = {-48, -44, -40, -36, -32, -28, -24, -20, -16, -12,
                                -8,  -12, -16, -20, -24, -28, -32, -36, -40, -44};
  EXPECT_EQ(Profile(false, 20), p20);
  EXPECT_EQ(Profile(false, 1), std::vector<int>{0});  // too narrow to shade
}

TEST(ShadeColumns, ClampsAtBothEnds) {
  EXPECT_EQ(Profile(false, 20, 20)[0], -20);   // 20 - 48 stops at 0
  EXPECT_EQ(Profile(false, 100, 255)[49], 0);  // 255 + 1 stops at 255
}

TEST(ShadeRows, CountsFromTheBottomRowOfTheStrip) {
  // 20 rows: half = 10 < 48, so each row steps by 48 div 10 = 4, starting at the bottom row.
  const std::vector<int> p20 = {-52, -48, -44, -40, -36, -32, -28, -24, -20, -16,
                                -12, -16, -20, -24, -28, -32, -36, -40, -44, -48};
  EXPECT_EQ(Profile(true, 20), p20);
  // 100 rows: one step every row, up to +1 and back down to -49 at the top.
  std::vector<int> p100(100);
  for (int i = 1; i <= 100; ++i) p100[100 - i] = i <= 50 ? -49 + i : 50 - i + 1;
  EXPECT_EQ(Profile(true, 100), p100);
}

// The roll strip: the columns that no longer show the plain old picture, less the X columns
// unrolled flat.
int StripWidth(int effect, int w, int percent) {
  const Bitmap32 old(w, 3, Argb(0x11, 100, 100, 100)), fresh(w, 3, Argb(0xEE, 128, 128, 128));
  const Bitmap32 f = Step(effect, old, fresh, percent);
  int changed = 0;
  for (int x = 0; x < w; ++x) changed += f.Pixel(x, 1) != old.Pixel(x, 1);
  return changed - DeriveDone(w, 3, percent).X;
}

TEST(Rolls, StripWidthsAtWidth1000) {
  EXPECT_EQ(StripWidth(17, 1000, 5), 50);   // X = 50: as wide as the part unrolled
  EXPECT_EQ(StripWidth(17, 1000, 50), 100); // X = 500: a tenth of the width
  EXPECT_EQ(StripWidth(17, 1000, 90), 50);  // X = 900: half of the 100 columns left
  EXPECT_EQ(StripWidth(17, 1000, 100), 0);
  EXPECT_EQ(StripWidth(18, 1000, 5), 50);
  EXPECT_EQ(StripWidth(18, 1000, 50), 100);
  EXPECT_EQ(StripWidth(18, 1000, 90), 50);
}

TEST(Rolls, UnrollFromRightWithAnEvenRestReadsOneColumnBeforeThePicture) {
  // With W - X = 2r the strip's source starts at column -1, which is dropped: the strip column
  // next to the flat part keeps the old picture (shaded), the other r - 1 show the new one.
  const Bitmap32 old(1000, 3, Argb(0x11, 100, 100, 100)), fresh(1000, 3, Argb(0xEE, 128, 128, 128));
  const Bitmap32 f = Step(18, old, fresh, 90);  // x0 = 100, r = 50
  EXPECT_EQ(AlphaOf(f.Pixel(99, 1)), 0x11u);
  EXPECT_NE(f.Pixel(99, 1), old.Pixel(99, 1));
  for (int x = 50; x < 99; ++x) EXPECT_EQ(AlphaOf(f.Pixel(x, 1)), 0xEEu) << x;
  EXPECT_EQ(f.Pixel(49, 1), old.Pixel(49, 1));
}

TEST(Rolls, TheStripMirrorsTheNextLinesOfTheNewPicture) {
  // The alpha byte survives the shading, so it carries the column (or row) number.
  const int w = 200, h = 200;
  Bitmap32 old(w, h, 0), byColumn(w, h), byRow(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      byColumn.SetPixel(x, y, Argb(x, 100, 100, 100));
      byRow.SetPixel(x, y, Argb(y, 100, 100, 100));
    }
  const int X = 60, r = 20;  // P = 30 at 200 x 200
  {
    const Bitmap32 f = Step(17, old, byColumn, 30);
    for (int i = 0; i < r; ++i) EXPECT_EQ(AlphaOf(f.Pixel(X + r - 1 - i, 9)), unsigned(X + r + i)) << i;
    EXPECT_EQ(f.Pixel(X - 1, 9), byColumn.Pixel(X - 1, 9));  // flat, unshaded
    EXPECT_EQ(f.Pixel(X + r, 9), 0u);
  }
  {
    const Bitmap32 f = Step(18, old, byColumn, 30);
    const int x0 = w - X;
    for (int i = 0; i < r; ++i) EXPECT_EQ(AlphaOf(f.Pixel(x0 - 1 - i, 9)), unsigned(x0 - 2 * r - 1 + i)) << i;
    EXPECT_EQ(f.Pixel(x0, 9), byColumn.Pixel(x0, 9));
    EXPECT_EQ(f.Pixel(x0 - r - 1, 9), 0u);
  }
  {
    const Bitmap32 f = Step(34, old, byRow, 30);
    for (int i = 0; i < r; ++i) EXPECT_EQ(AlphaOf(f.Pixel(9, X + r - 1 - i)), unsigned(X + r + i)) << i;
    // Rows shade from the strip's bottom row: -48 there.
    EXPECT_EQ(BlueOf(f.Pixel(9, X + r - 1)), 100u - 48u);
  }
  {
    const Bitmap32 f = Step(35, old, byRow, 30);
    const int y0 = h - X;
    for (int i = 0; i < r; ++i) EXPECT_EQ(AlphaOf(f.Pixel(9, y0 - 1 - i)), unsigned(y0 - 2 * r - 1 + i)) << i;
    EXPECT_EQ(f.Pixel(9, y0), byRow.Pixel(9, y0));
  }
}

TEST(BlockEffects, ExpandsAndRevealsCoverTheirGrowingBlock) {
  // At 25 percent of 80 x 60 (X = 20, Y = 15): which pixels show the new picture, and whether
  // the new picture is shown in place (reveals) or scaled (expands).
  const struct {
    int effect;
    Rect block;
    bool inPlace;
  } cases[] = {
      {4, {60, 0, 80, 60}, false},  {5, {0, 0, 20, 60}, false},  {8, {0, 0, 20, 60}, true},
      {9, {60, 0, 80, 60}, true},   {13, {30, 0, 50, 60}, false}, {14, {30, 0, 50, 60}, true},
      {22, {0, 0, 80, 15}, false},  {26, {0, 45, 80, 60}, true},  {38, {60, 45, 80, 60}, false},
      {41, {0, 45, 20, 60}, false}, {46, {0, 0, 20, 15}, true},   {48, {60, 45, 80, 60}, true},
      {55, {30, 22, 50, 37}, false}, {56, {30, 22, 50, 37}, true},
  };
  const Bitmap32 old = OldPicture(80, 60), fresh = NewPicture(80, 60);
  for (const auto& c : cases) {
    const Bitmap32 f = Step(c.effect, old, fresh, 25);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 80; ++x) {
        const bool inside = x >= c.block.Left && x < c.block.Right && y >= c.block.Top && y < c.block.Bottom;
        const auto o = OriginOf(f.Pixel(x, y));
        ASSERT_EQ(o.fromNew, inside) << c.effect << " at " << x << "," << y;
        if (!inside) continue;
        if (c.inPlace) {
          ASSERT_EQ(f.Pixel(x, y), fresh.Pixel(x, y)) << c.effect;
        }
      }
    if (!c.inPlace) {
      // A scaled whole picture: its corners land on the block's corners.
      EXPECT_EQ(f.Pixel(c.block.Left, c.block.Top), fresh.Pixel(0, 0)) << c.effect;
      const auto o = OriginOf(f.Pixel(c.block.Right - 1, c.block.Bottom - 1));
      EXPECT_GE(o.x, 80 - 80 / (c.block.Right - c.block.Left) - 1) << c.effect;
      EXPECT_GE(o.y, 60 - 60 / (c.block.Bottom - c.block.Top) - 1) << c.effect;
    }
  }
}

}  // namespace
}  // namespace kx
