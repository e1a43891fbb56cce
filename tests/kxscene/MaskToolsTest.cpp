// The region tools against masks computed here pixel by pixel from each shape's definition
// (a pixel belongs to a shape when its centre does).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "kxscene/MaskTools.h"
#include "scene/WaterMask.h"
#include "tests/kxscene/ExpectedMask.h"

namespace kx::kxscene {
namespace {

// Pixels where two masks differ, for readable failures.
int Differences(const Bitmap32& a, const Bitmap32& b) {
  int n = 0;
  for (size_t i = 0; i < a.PixelCount(); ++i) n += a.Data()[i] != b.Data()[i];
  return n;
}

TEST(MaskTools, ShapesWriteExactlyThePixelsWhoseCentresTheyCover) {
  struct Case {
    const char* name;
    std::function<MaskBox(Bitmap32&)> tool;
    int region;
    std::function<bool(double, double)> inside;
  };
  auto segmentDistance2 = [](double px, double py, MaskPoint a, MaskPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - px, ey = a.y + t * dy - py;
    return ex * ex + ey * ey;
  };
  const Case cases[] = {
      {"disc", [](Bitmap32& m) { return PaintDisc(m, {20.3, 15.7}, 6.5, 2); }, 2,
       [](double x, double y) { return (x - 20.3) * (x - 20.3) + (y - 15.7) * (y - 15.7) <= 6.5 * 6.5; }},
      {"disc over the corner is clipped", [](Bitmap32& m) { return PaintDisc(m, {1, 1}, 5, 1); }, 1,
       [](double x, double y) { return (x - 1) * (x - 1) + (y - 1) * (y - 1) <= 25; }},
      {"diagonal stroke", [](Bitmap32& m) { return PaintStroke(m, {5, 5}, {50, 30}, 3, 3); }, 3,
       [&](double x, double y) { return segmentDistance2(x, y, {5, 5}, {50, 30}) <= 9; }},
      {"below a slanted line", [](Bitmap32& m) { return FillBelowLine(m, {0, 20}, {64, 30}, 1); }, 1,
       [](double x, double y) { return y > 20 + x * 10.0 / 64; }},
      {"below a line given right to left", [](Bitmap32& m) { return FillBelowLine(m, {60, 10.5}, {4, 10.5}, 4); }, 4,
       [](double, double y) { return y > 10.5; }},
      // Corners off the pixel grid: no pixel centre lies exactly on an edge.
      {"triangle", [](Bitmap32& m) { return FillPolygon(m, {{10.2, 5.1}, {50.3, 20.7}, {15.1, 40.3}}, 5); }, 5,
       [](double x, double y) {
         auto side = [&](double ax, double ay, double bx, double by) { return (bx - ax) * (y - ay) - (by - ay) * (x - ax); };
         const double a = side(10.2, 5.1, 50.3, 20.7), b = side(50.3, 20.7, 15.1, 40.3), c = side(15.1, 40.3, 10.2, 5.1);
         return (a > 0 && b > 0 && c > 0) || (a < 0 && b < 0 && c < 0);
       }},
  };
  Bitmap32 base(64, 48, 0);
  base.SetPixel(30, 30, MaskPixelOfRegion(6));  // a pixel of another region, written over or kept
  for (const Case& c : cases) {
    Bitmap32 mask = base;
    const MaskBox box = c.tool(mask);
    const Bitmap32 expected = Expected(base, c.region, c.inside);
    EXPECT_EQ(Differences(mask, expected), 0) << c.name;
    // Every changed pixel lies inside the box the tool reports.
    for (int y = 0; y < mask.Height(); ++y)
      for (int x = 0; x < mask.Width(); ++x)
        if (mask.Pixel(x, y) != base.Pixel(x, y)) {
          ASSERT_TRUE(x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom) << c.name << " " << x << "," << y;
        }
  }
}

TEST(MaskTools, ShapesThatWriteNothing) {
  Bitmap32 mask(20, 20, 0);
  const Bitmap32 before = mask;
  EXPECT_TRUE(PaintDisc(mask, {-50, -50}, 5, 1).Empty());
  EXPECT_TRUE(FillPolygon(mask, {{1, 1}, {10, 10}}, 1).Empty());
  EXPECT_TRUE(FillBelowLine(mask, {5, 0}, {5, 10}, 1).Empty());  // vertical: no "below"
  EXPECT_TRUE(FillBelowLine(mask, {0, 40}, {10, 40}, 1).Empty()); // under the mask
  EXPECT_EQ(mask, before);
}

TEST(MaskTools, FillSimilarStopsAtColoursBeyondTheToleranceAndAtGaps) {
  // Sky (blue, slightly varied) over land (green), and a second blue patch cut off by land.
  Bitmap32 picture(12, 8, Rgb(40, 160, 40));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 12; ++x) picture.SetPixel(x, y, Rgb(30, 60, 200 + (x % 3) * 8));
  picture.SetPixel(9, 6, Rgb(30, 60, 200));
  Bitmap32 mask(12, 8, 0);
  const MaskBox box = FillSimilar(mask, picture, 0, 0, 16, 2);
  EXPECT_EQ(box, (MaskBox{0, 0, 12, 3}));
  EXPECT_EQ(CountRegions(mask)[2], 36);
  EXPECT_EQ(mask.Pixel(9, 6), 0u) << "a patch not joined to the seed stays";
  Bitmap32 strict(12, 8, 0);
  FillSimilar(strict, picture, 0, 0, 7, 2);
  // Column 1 differs by 8 and walls column 0 off from the rest of the sky.
  EXPECT_EQ(CountRegions(strict)[2], 3);
}

}  // namespace
}  // namespace kx::kxscene
