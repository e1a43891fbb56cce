#include "transitions/CurvedEffects.h"

#include <gtest/gtest.h>

#include <array>

#include "RegionEffectCases.h"
#include "ShapeCases.h"
#include "transitions/EffectTable.h"

namespace kx {
namespace {

using testing::NewMask;
using testing::StepMask;

TEST(CurvedEffects, StartWhereTheirNamesSay) {
  // 400 x 300 at P = 30 (X = 120, Y = 90): a pixel where the new picture has already come in
  // and one where it has not yet. A recipe with a wrong corner, side or sign fails here. (The
  // shrinking shape of 88 still covers the screen's corners at 30 percent; it is probed at
  // 60.)
  const struct {
    int effect;
    int newX, newY, oldX, oldY;
  } cases[] = {
      {61, 5, 150, 395, 150},   {62, 395, 150, 5, 150},   {72, 200, 5, 200, 295},   {73, 200, 295, 200, 5},
      {83, 5, 5, 395, 295},     {84, 395, 5, 5, 295},     {85, 5, 295, 395, 5},     {86, 395, 295, 5, 5},
      {87, 200, 150, 5, 5},     {88, 5, 5, 200, 150},       {113, 5, 5, 395, 295},    {114, 395, 5, 5, 295},
      {115, 5, 295, 395, 5},    {116, 395, 295, 5, 5},    {117, 395, 150, 200, 5},  {118, 200, 5, 5, 150},
      {119, 60, 5, 5, 45},      {161, 5, 45, 60, 5},      {153, 5, 150, 395, 150},  {154, 395, 150, 5, 150},
      {155, 200, 5, 200, 295},  {156, 200, 295, 200, 5},  {157, 395, 150, 200, 150}, {158, 200, 5, 5, 150},
      {159, 5, 150, 200, 150},  {160, 200, 150, 5, 150},  {162, 5, 150, 5, 5},      {163, 200, 150, 5, 150},
      {165, 200, 150, 5, 5},    {166, 5, 5, 200, 150},    {167, 200, 20, 200, 150},
  };
  for (const auto& c : cases) {
    const NewMask m = StepMask(c.effect, 400, 300, c.effect == 88 ? 60 : 30);
    EXPECT_TRUE(m.At(c.newX, c.newY)) << "effect " << c.effect;
    EXPECT_FALSE(m.At(c.oldX, c.oldY)) << "effect " << c.effect;
  }
}

TEST(CurvedEffects, CurvedRevealsAreMirrorImagesOfEachOther) {
  // The rounded rectangles are symmetric about their own centres, so the twins are exact
  // mirror images pixel for pixel, for odd sides too.
  const struct {
    int a, b;
    bool flipX, flipY;
  } twins[] = {{61, 62, true, false}, {72, 73, false, true}, {83, 84, true, false},
               {83, 85, false, true}, {83, 86, true, true}};
  for (const auto& [w, h] : {std::pair{160, 120}, std::pair{161, 121}}) {
    for (int p : {10, 35, 60, 85}) {
      for (const auto& t : twins) {
        const NewMask a = StepMask(t.a, w, h, p), b = StepMask(t.b, w, h, p);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(a.At(x, y), b.At(t.flipX ? w - 1 - x : x, t.flipY ? h - 1 - y : y))
                << t.a << " and " << t.b << " at " << p << "%, " << w << "x" << h << " at " << x << "," << y;
      }
    }
  }
}

TEST(CurvedEffects, PolygonTwinsAreMirrorImagesUpToTheirSlantedEdges) {
  // A polygon's pixel is decided at its centre, and a centre that lies exactly on an edge is
  // inside on a left edge and outside on a right one, so a mirrored polygon may differ from
  // its twin in those pixels only: at most one per row or column for each slanted edge.
  // Effects listed with themselves are symmetric on their own.
  const struct {
    int a, b;
    bool flipX, flipY;
  } twins[] = {{113, 114, true, false}, {113, 115, false, true}, {113, 116, true, true},
               {153, 154, true, false}, {155, 156, false, true}, {119, 161, true, false},
               {157, 157, true, false}, {158, 158, false, true}, {159, 159, true, true},
               {160, 160, true, true},  {165, 165, true, true},  {166, 166, true, true},
               {167, 167, true, true}};
  const int w = 160, h = 120;
  for (int p : {15, 40, 65, 90}) {
    for (const auto& t : twins) {
      const NewMask a = StepMask(t.a, w, h, p), b = StepMask(t.b, w, h, p);
      int differ = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) differ += a.At(x, y) != b.At(t.flipX ? w - 1 - x : x, t.flipY ? h - 1 - y : y);
      EXPECT_LE(differ, w + h) << t.a << " and " << t.b << " at " << p << "%";
      EXPECT_GT(a.Count(), 0) << t.a << " at " << p << "%";
    }
  }
}

TEST(CurvedEffects, CurvedRevealFromLeftHasItsTipAtTwiceX) {
  // 400 x 300 at P = 25: X = 100. The front is a half ellipse of radii W and (H + 1) / 2 whose
  // tip reaches x = 2X = 200 on the middle line; the top row has not been reached yet.
  const NewMask m = StepMask(61, 400, 300, 25);
  for (int x = 0; x < 400; ++x) {
    EXPECT_EQ(m.At(x, 150), x < 200) << x;
    EXPECT_FALSE(m.At(x, 0)) << x;
  }
}

TEST(CurvedEffects, EllipticRevealOutFromCentreAt100By75) {
  // 400 x 300 at P = 25: X = 100 and Y = 75. The shape spans 200 by 150 pixels about the
  // centre (200, 150), its corners rounded by ellipses 180 by 135 pixels.
  const NewMask m = StepMask(87, 400, 300, 25);
  int64_t count = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      ASSERT_EQ(m.At(x, y), testing::RoundRectHolds(100, 75, 300, 225, 180, 135, x, y)) << x << "," << y;
      count += m.At(x, y);
    }
  EXPECT_TRUE(m.At(100, 150) && m.At(299, 150) && m.At(200, 75) && m.At(200, 224));
  EXPECT_FALSE(m.At(99, 150) || m.At(300, 150) || m.At(200, 74) || m.At(200, 225));
  EXPECT_LT(count, 200 * 150);
}

TEST(CurvedEffects, ZigzagBandsOf24Points) {
  // 1024 x 768 at P = 50 (Y = 384): amp = 76, step = 102, c = 38 + 192 = 230; the upper edge
  // alternates between y = 230 and 78, the lower edge between 690 and 538, and the band
  // reaches x = 11 * 102 = 1122, beyond the right edge.
  const auto h = ZigzagPoints(false, 1024, 768, 512, 384, 50);
  for (int k = 0; k <= 11; ++k) {
    EXPECT_EQ(h[2 * k], k * 102);
    EXPECT_EQ(h[2 * k + 1], k % 2 == 0 ? 230 : 78) << "upper point " << k;
    const int back = 11 - k;  // points 12 .. 23 run back from k = 11
    EXPECT_EQ(h[2 * (12 + k)], back * 102);
    EXPECT_EQ(h[2 * (12 + k) + 1], back % 2 == 0 ? 690 : 538) << "lower point " << back;
  }
  // The vertical band: amp = 102, step = 76, c = 51 + 256 = 307 about x = 512.
  const auto v = ZigzagPoints(true, 1024, 768, 512, 384, 50);
  EXPECT_EQ((std::array{v[0], v[1], v[2], v[3]}), (std::array{307, 0, 103, 76}));
  EXPECT_EQ((std::array{v[24], v[25], v[46], v[47]}), (std::array{717, 836, 921, 0}));

  const NewMask m = StepMask(162, 1024, 768, 50);
  for (int k = 0; k <= 10; ++k) {
    const int x = k * 102, up = k % 2 == 0 ? 230 : 78, down = k % 2 == 0 ? 690 : 538;
    EXPECT_FALSE(m.At(x, up - 3)) << k;
    EXPECT_TRUE(m.At(x, up + 3)) << k;
    EXPECT_TRUE(m.At(x, down - 3)) << k;
    EXPECT_FALSE(m.At(x, down + 3)) << k;
  }
  EXPECT_TRUE(m.At(1023, 400));
}

TEST(CurvedEffects, DiagonalCrossOutHalfWay) {
  // 1000 x 800 at P = 50: a = 250, b = 200; the wedges that still keep the old picture have
  // their tips at (250, 400), (750, 400), (500, 200) and (500, 600).
  const NewMask m = StepMask(160, 1000, 800, 50);
  const struct {
    int x, y;
    bool shows;
  } probes[] = {
      {245, 400, false}, {255, 400, true},  {755, 400, false}, {745, 400, true},
      {500, 195, false}, {500, 205, true},  {500, 605, false}, {500, 595, true},
      {0, 400, false},   {0, 195, true},    {0, 205, false},   {500, 400, true},
  };
  for (const auto& p : probes) EXPECT_EQ(m.At(p.x, p.y), p.shows) << p.x << "," << p.y;
}

TEST(CurvedEffects, IndicesOutsideTheFamilyHaveNoRegion) {
  EXPECT_TRUE(CurvedRegion(63, 100, 100, 50, 50, 50).IsEmpty());
  EXPECT_TRUE(CurvedRegion(1, 100, 100, 50, 50, 50).IsEmpty());
}

}  // namespace
}  // namespace kx
