// The preview's smooth resize and the grid's shading rule.
#include <gtest/gtest.h>

#include "configui/SkinColors.h"
#include "configui/SmoothResize.h"
#include "imaging/Resample.h"
#include "tests/configui/MediaFixtures.h"

namespace kx {
namespace {

Bitmap32 Grey(int w, int h, std::initializer_list<int> values) {
  Bitmap32 b(w, h);
  auto v = values.begin();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, ++v) b.SetPixel(x, y, Rgb(*v, *v, *v));
  return b;
}

std::vector<int> GreyRow(const Bitmap32& b, int y) {
  std::vector<int> out;
  for (int x = 0; x < b.Width(); ++x) out.push_back(static_cast<int>(BlueOf(b.Pixel(x, y))));
  return out;
}

TEST(SmoothResize, StepsInFixedPointAndNeverReachTheLastSourcePixel) {
  // xstep = 2 x 32768 div 4 = 16384: positions 0, 0.5, 1, 1.5 of the source.
  const Bitmap32 out = SmoothResize(Grey(3, 1, {0, 100, 200}), 4, 1);
  EXPECT_EQ(GreyRow(out, 0), (std::vector<int>{0, 50, 100, 150}));
}

TEST(SmoothResize, MixesFourNeighboursWithTruncatedWeights) {
  // 2 x 2 into 3 x 3: steps of 10922, so pixel (1, 1) has fx = fy = 10922; the weights are
  // h = 7281, l = 14565, m = 3640, and (90 h + 180 (fy - m) + 255 m) div 32768 = 88. Pixel
  // (2, 1) has fx = 21844: h = 14563, m = 7280, giving 116.
  const Bitmap32 out = SmoothResize(Grey(2, 2, {0, 90, 180, 255}), 3, 3);
  EXPECT_EQ(GreyRow(out, 0)[0], 0);
  EXPECT_EQ(GreyRow(out, 1)[1], 88);
  EXPECT_EQ(GreyRow(out, 1)[2], 116);
}

TEST(SmoothResize, EdgeCasesOfTheSourceSize) {
  // One pixel high: the lower neighbours come from the same row.
  EXPECT_EQ(GreyRow(SmoothResize(Grey(3, 1, {0, 100, 200}), 4, 2), 1), (std::vector<int>{0, 50, 100, 150}));
  // One pixel wide: nearest neighbour.
  const Bitmap32 column = Grey(1, 2, {10, 250});
  EXPECT_EQ(SmoothResize(column, 3, 4), ResizeNearest(column, 3, 4));
  // Equal sizes copy; the alpha byte is dropped either way.
  Bitmap32 see(2, 2, Argb(0x40, 1, 2, 3));
  EXPECT_EQ(SmoothResize(see, 2, 2), Bitmap32(2, 2, Rgb(1, 2, 3)));
  EXPECT_EQ(AlphaOf(SmoothResize(see, 5, 3).Pixel(4, 2)), 0xFFu);
  // Nothing to make.
  EXPECT_TRUE(SmoothResize(Bitmap32(), 10, 10).Empty());
  EXPECT_TRUE(SmoothResize(see, 0, 10).Empty());
  EXPECT_TRUE(SmoothResize(see, 10, -1).Empty());
}

TEST(SmoothResize, ABigPictureShrinksToTheExactSizeAndStaysInRange) {
  const Bitmap32 source = test::Gradient(1600, 1200);
  const Bitmap32 out = SmoothResize(source, 236, 176);
  ASSERT_EQ(out.Width(), 236);
  ASSERT_EQ(out.Height(), 176);
  // Each pixel lies between the source pixels around its position.
  for (int y = 0; y < 176; y += 7) {
    for (int x = 0; x < 236; x += 5) {
      const int c = static_cast<int>(int64_t{x} * ((1599 * 32768) / 236) / 32768);
      const int r = static_cast<int>(int64_t{y} * ((1199 * 32768) / 176) / 32768);
      const uint32_t p = out.Pixel(x, y);
      EXPECT_GE(RedOf(p), RedOf(source.Pixel(c, r))) << x << "," << y;
      EXPECT_LE(RedOf(p), RedOf(source.Pixel(c + 1, r))) << x << "," << y;
      EXPECT_GE(GreenOf(p), GreenOf(source.Pixel(c, r))) << x << "," << y;
      EXPECT_LE(GreenOf(p), GreenOf(source.Pixel(c, r + 1))) << x << "," << y;
      EXPECT_EQ(BlueOf(p), 90u);  // a flat channel stays flat
    }
  }
}

TEST(ShadeColor, DarkensTheBaseByTheTintsShare) {
  struct Case {
    const char* name;
    TColor tint, base;
    int percent;
    TColor expected;
  } cases[] = {
      {"black 20 % on light grey", clBlack, RgbColor(240, 240, 240), 20, RgbColor(189, 189, 189)},
      {"percent 0 keeps the base", clBlack, RgbColor(12, 130, 250), 0, RgbColor(12, 130, 250)},
      {"a tint at 100 % on white is the tint", RgbColor(10, 36, 106), clWhite, 100, RgbColor(10, 36, 106)},
      {"a white tint changes nothing", clWhite, RgbColor(50, 60, 70), 80, RgbColor(50, 60, 70)},
      {"channels apart", RgbColor(255, 0, 155), RgbColor(255, 255, 255), 50, RgbColor(255, 128, 205)},
      {"clamped at 0", clBlack, RgbColor(20, 20, 20), 50, RgbColor(0, 0, 0)},
      {"a negative share lightens, clamped at 255", clBlack, RgbColor(200, 250, 0), -40, RgbColor(255, 255, 102)},
  };
  for (const auto& c : cases) EXPECT_EQ(ShadeColor(c.tint, c.base, c.percent), c.expected) << c.name;
}

}  // namespace
}  // namespace kx
