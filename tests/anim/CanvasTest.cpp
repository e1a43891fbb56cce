// Blended drawing: the fast blends against the plain per-channel formula, lines, discs and
// the anti-aliased polygon fill.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "anim/Canvas.h"
#include "anim/FastRound.h"
#include "base/MulDiv.h"
#include "base/Random.h"

namespace kx {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;

std::set<std::pair<int, int>> LitPixels(const Bitmap32& b, uint32_t background = kBlack) {
  std::set<std::pair<int, int>> lit;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      if (b.Pixel(x, y) != background) lit.insert({x, y});
    }
  }
  return lit;
}

TEST(CanvasTest, BlendOverEqualsThePerChannelFormulaForEveryValue) {
  // Every source value against every destination value at every alpha, each channel
  // taking a different value so that lanes cannot leak into each other unseen.
  for (int a = 0; a <= 255; ++a) {
    for (uint32_t s = 0; s <= 255; ++s) {
      const uint32_t rgb = (s << 16) | ((255 - s) << 8) | (s ^ 0x5A);
      for (uint32_t d = 0; d <= 255; ++d) {
        const uint32_t dst = ((d ^ 0xC3) << 24) | ((255 - d) << 16) | (d << 8) | ((d * 7) & 0xFF);
        ASSERT_EQ(BlendOver(dst, rgb, a), BlendOverReference(dst, rgb, a)) << a << " " << s << " " << d;
      }
    }
  }
}

TEST(CanvasTest, BlendOverEndsAndClamps) {
  EXPECT_EQ(BlendOver(0x80102030u, 0x123456, 0), 0x80102030u);
  EXPECT_EQ(BlendOver(0x80102030u, 0xFF123456, 255), 0xFF123456u);  // the colour's alpha byte is ignored
  EXPECT_EQ(BlendOver(0x80102030u, 0x123456, 400), 0xFF123456u);
  EXPECT_EQ(BlendOver(0x80102030u, 0x123456, -5), 0x80102030u);
  // Opaque frames stay opaque; a transparent one takes the alpha.
  EXPECT_EQ(AlphaOf(BlendOver(0xFF000000u, 0xFFFFFF, 77)), 255u);
  EXPECT_EQ(AlphaOf(BlendOver(0x00000000u, 0xFFFFFF, 77)), 77u);
}

TEST(CanvasTest, RunsEqualPixelByPixelBlending) {
  // Runs of every length up to 13 at every start within a row, clipped at both ends.
  for (int alpha : {1, 77, 128, 254}) {
    for (int x0 = -3; x0 < 10; ++x0) {
      for (int len = 1; len < 14; ++len) {
        Bitmap32 run(16, 3), each(16, 3);
        RandomSeed = static_cast<uint32_t>(x0 * 100 + len);
        for (size_t i = 0; i < run.PixelCount(); ++i) {
          run.Data()[i] = each.Data()[i] = static_cast<uint32_t>(RandomBelow(0x7FFFFFFF)) * 2u + 1u;
        }
        BlendRun(run, 1, x0, x0 + len - 1, 0x3399CC, alpha);
        for (int x = x0; x < x0 + len; ++x) BlendPixel(each, x, 1, 0x3399CC, alpha);
        ASSERT_EQ(run, each) << "alpha " << alpha << " x0 " << x0 << " len " << len;
      }
    }
  }
}

TEST(CanvasTest, RunsGoEitherWayAndOutsideRowsDrawNothing) {
  Bitmap32 a(10, 4, kBlack), b(10, 4, kBlack);
  BlendRun(a, 2, 7, 3, 0xFFFFFF, 100);
  BlendRun(b, 2, 3, 7, 0xFFFFFF, 100);
  EXPECT_EQ(a, b);
  EXPECT_EQ(LitPixels(a).size(), 5u);
  BlendRun(a, -1, 0, 9, 0xFFFFFF, 255);
  BlendRun(a, 4, 0, 9, 0xFFFFFF, 255);
  BlendRun(a, 1, 12, 30, 0xFFFFFF, 255);
  EXPECT_EQ(a, b);
}

struct LineCase {
  const char* name;
  int x0, y0, x1, y1;
  bool includeEnd;
  std::set<std::pair<int, int>> pixels;
};

TEST(CanvasTest, LinesVisitEachPixelOfTheLongerAxisOnce) {
  const LineCase cases[] = {
      {"horizontal", 1, 2, 5, 2, true, {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}},
      {"horizontalWithoutEnd", 1, 2, 5, 2, false, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
      {"verticalUp", 3, 6, 3, 3, true, {{3, 6}, {3, 5}, {3, 4}, {3, 3}}},
      {"diagonal", 0, 0, 3, 3, true, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {"shallow", 0, 0, 4, 2, true, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
      {"steepLeft", 4, 0, 2, 4, true, {{4, 0}, {4, 1}, {3, 2}, {3, 3}, {2, 4}}},
      {"shallowLeftUp", 6, 4, 2, 2, true, {{6, 4}, {5, 4}, {4, 3}, {3, 3}, {2, 2}}},
      {"shallowLeftUpClipped", 9, 5, 5, 3, true, {{7, 4}, {6, 4}, {5, 3}}},
      {"point", 5, 5, 5, 5, true, {{5, 5}}},
      {"pointWithoutEnd", 5, 5, 5, 5, false, {}},
      {"clippedLeft", -3, 1, 2, 1, true, {{0, 1}, {1, 1}, {2, 1}}},
      {"whollyOutside", -5, -5, -1, 20, true, {}},
      {"farAway", -100000000, 3, 100000000, 3, true, {}},
  };
  for (const LineCase& c : cases) {
    Bitmap32 b(8, 8, kBlack);
    BlendLine(b, c.x0, c.y0, c.x1, c.y1, 0xFFFFFF, 200, c.includeEnd);
    EXPECT_EQ(LitPixels(b), c.pixels) << c.name;
    for (const auto& p : LitPixels(b)) EXPECT_EQ(b.Pixel(p.first, p.second), BlendOverReference(kBlack, 0xFFFFFF, 200)) << c.name;
  }
}

// A line that leaves the bitmap (the walk stops at the edge it has passed) draws exactly the
// pixels that the whole line has inside: the same line drawn on a canvas large enough to hold
// all of it, cut to the bitmap, is the reference. Every direction, steep and shallow, from
// inside out, from outside in and across.
TEST(CanvasTest, LinesLeavingTheBitmapDrawWhatTheWholeLineHasInside) {
  constexpr int kW = 9, kH = 7, kMargin = 40;
  const int ends[][2] = {{-30, -20}, {-30, 3}, {-30, 26}, {4, -35}, {4, 38}, {38, -20},
                         {38, 3},    {38, 26}, {-7, 30}, {15, -9}, {30, 11}, {-25, -3}};
  const int starts[][2] = {{4, 3}, {0, 0}, {8, 6}, {-3, 2}, {12, 5}};
  for (const auto& a : starts) {
    for (const auto& b : ends) {
      for (const bool includeEnd : {true, false}) {
        Bitmap32 clipped(kW, kH, kBlack), whole(kW + 2 * kMargin, kH + 2 * kMargin, kBlack);
        BlendLine(clipped, a[0], a[1], b[0], b[1], 0xFFFFFF, 200, includeEnd);
        BlendLine(whole, a[0] + kMargin, a[1] + kMargin, b[0] + kMargin, b[1] + kMargin, 0xFFFFFF, 200, includeEnd);
        // Each way round: from the far end into the bitmap too.
        Bitmap32 reversed(kW, kH, kBlack), wholeReversed(kW + 2 * kMargin, kH + 2 * kMargin, kBlack);
        BlendLine(reversed, b[0], b[1], a[0], a[1], 0xFFFFFF, 200, includeEnd);
        BlendLine(wholeReversed, b[0] + kMargin, b[1] + kMargin, a[0] + kMargin, a[1] + kMargin, 0xFFFFFF, 200,
                  includeEnd);
        for (int y = 0; y < kH; ++y) {
          for (int x = 0; x < kW; ++x) {
            ASSERT_EQ(clipped.Pixel(x, y), whole.Pixel(x + kMargin, y + kMargin))
                << a[0] << "," << a[1] << " to " << b[0] << "," << b[1] << " at " << x << "," << y;
            ASSERT_EQ(reversed.Pixel(x, y), wholeReversed.Pixel(x + kMargin, y + kMargin))
                << b[0] << "," << b[1] << " to " << a[0] << "," << a[1] << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(CanvasTest, TwoLinesMeetingAtAPointBlendItOnce) {
  Bitmap32 b(10, 10, kBlack);
  BlendLine(b, 1, 1, 4, 4, 0xFFFFFF, 100, false);
  BlendLine(b, 4, 4, 7, 4, 0xFFFFFF, 100, true);
  EXPECT_EQ(b.Pixel(4, 4), BlendOverReference(kBlack, 0xFFFFFF, 100));
}

TEST(CanvasTest, DiscRowsAreRoundedHalfWidths) {
  const struct {
    int r;
    size_t pixels;
  } cases[] = {{0, 1}, {1, 5}, {2, 17}, {3, 33}, {4, 57}, {-1, 0}, {31, 0}, {32, 0}, {40, 0}};
  for (const auto& c : cases) {
    Bitmap32 b(101, 101, kBlack);
    BlendDisc(b, 50, 50, c.r, 0xFFFFFF, 255);
    if (c.pixels > 0 || c.r < 0) {  // the large discs (small ones come from a table) row by row only
      EXPECT_EQ(LitPixels(b).size(), c.pixels) << c.r;
    }
    if (c.r < 0) continue;
    for (int i = 0; i <= c.r; ++i) {
      const int w = RoundHalfEven(std::sqrt(double(c.r * c.r - i * i)));
      EXPECT_NE(b.Pixel(50 + w, 50 + i), kBlack) << c.r << " " << i;
      EXPECT_EQ(b.Pixel(50 + w + 1, 50 - i), kBlack) << c.r << " " << i;
    }
  }
}

TEST(CanvasTest, AnAlignedRectangleFillsItsPixelsExactly) {
  // Corners on pixel edges: (1.5, 1.5) .. (5.5, 4.5) covers columns 2 .. 5, rows 2 .. 4.
  Bitmap32 b(8, 8, kBlack);
  const PointD quad[4] = {{1.5, 1.5}, {5.5, 1.5}, {5.5, 4.5}, {1.5, 4.5}};
  FillPolygonAA(b, quad, 4, 0xFFFFFF, 255);
  std::set<std::pair<int, int>> expected;
  for (int y = 2; y <= 4; ++y) {
    for (int x = 2; x <= 5; ++x) expected.insert({x, y});
  }
  EXPECT_EQ(LitPixels(b), expected);
  for (const auto& p : expected) EXPECT_EQ(b.Pixel(p.first, p.second), 0xFFFFFFFFu);
}

TEST(CanvasTest, AConcavePolygonFillsEachOfItsSpans) {
  // A U on pixel edges: columns 1 .. 6, rows 1 .. 6, without columns 3 .. 4 of rows 1 .. 3.
  Bitmap32 b(8, 8, kBlack);
  const PointD u[8] = {{0.5, 0.5}, {2.5, 0.5}, {2.5, 3.5}, {4.5, 3.5}, {4.5, 0.5}, {6.5, 0.5}, {6.5, 6.5}, {0.5, 6.5}};
  FillPolygonAA(b, u, 8, 0xFFFFFF, 255);
  std::set<std::pair<int, int>> expected;
  for (int y = 1; y <= 6; ++y) {
    for (int x = 1; x <= 6; ++x) {
      if (!(y <= 3 && (x == 3 || x == 4))) expected.insert({x, y});
    }
  }
  EXPECT_EQ(LitPixels(b), expected);
  for (const auto& p : expected) EXPECT_EQ(b.Pixel(p.first, p.second), 0xFFFFFFFFu);
}

TEST(CanvasTest, EdgesThroughPixelCentresCoverHalfThePixel) {
  // A rectangle from the centre of column 2 to the centre of column 5, rows 2 .. 4 whole.
  Bitmap32 b(8, 8, kBlack);
  const PointD quad[4] = {{2, 1.5}, {5, 1.5}, {5, 4.5}, {2, 4.5}};
  FillPolygonAA(b, quad, 4, 0xFFFFFF, 200);
  EXPECT_EQ(b.Pixel(2, 3), BlendOverReference(kBlack, 0xFFFFFF, 100));
  EXPECT_EQ(b.Pixel(3, 3), BlendOverReference(kBlack, 0xFFFFFF, 200));
  EXPECT_EQ(b.Pixel(5, 3), BlendOverReference(kBlack, 0xFFFFFF, 100));
  EXPECT_EQ(b.Pixel(6, 3), kBlack);
}

TEST(CanvasTest, CoverageAddsUpToTheArea) {
  // Any polygon: the coverage summed over its pixels is its area (up to the sampling of
  // eight heights per row and the rounding of each pixel's alpha).
  const PointD triangle[3] = {{3.2, 2.7}, {40.6, 11.1}, {12.9, 33.4}};
  Bitmap32 b(48, 40, 0xFF000000u);
  FillPolygonAA(b, triangle, 3, 0xFFFFFF, 255);
  double sum = 0;
  for (size_t i = 0; i < b.PixelCount(); ++i) sum += BlueOf(b.Data()[i]) / 255.0;
  const double area = std::fabs((40.6 - 3.2) * (33.4 - 2.7) - (12.9 - 3.2) * (11.1 - 2.7)) / 2;
  EXPECT_NEAR(sum, area, area * 0.01);
}

TEST(CanvasTest, TwoPolygonsSharingAnEdgeCoverEachPixelOnce) {
  // A square cut along its diagonal: in every pixel the two halves' coverages add up to the
  // whole (each drawn on its own bitmap at alpha 255, so the value is the coverage).
  const PointD lower[3] = {{0.5, 0.5}, {9.5, 9.5}, {0.5, 9.5}};
  const PointD upper[3] = {{0.5, 0.5}, {9.5, 0.5}, {9.5, 9.5}};
  Bitmap32 a(12, 12, kBlack), b(12, 12, kBlack);
  FillPolygonAA(a, lower, 3, 0xFFFFFF, 255);
  FillPolygonAA(b, upper, 3, 0xFFFFFF, 255);
  for (int y = 1; y <= 9; ++y) {
    for (int x = 1; x <= 9; ++x) {
      const int total = static_cast<int>(BlueOf(a.Pixel(x, y)) + BlueOf(b.Pixel(x, y)));
      EXPECT_NEAR(total, 255, 1) << x << "," << y;
    }
  }
}

TEST(CanvasTest, PolygonsAreClippedAndDegenerateOnesDrawNothing) {
  Bitmap32 b(8, 8, kBlack);
  const PointD huge[4] = {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}};
  FillPolygonAA(b, huge, 4, 0xFFFFFF, 255);
  EXPECT_EQ(LitPixels(b).size(), 64u);
  Bitmap32 c(8, 8, kBlack);
  const PointD flat[4] = {{1, 3}, {6, 3}, {6, 3}, {1, 3}};
  FillPolygonAA(c, flat, 4, 0xFFFFFF, 255);
  const PointD outside[3] = {{20, 20}, {30, 20}, {25, 30}};
  FillPolygonAA(c, outside, 3, 0xFFFFFF, 255);
  const PointD notANumber[3] = {{1, 1}, {NAN, 4}, {5, 5}};
  FillPolygonAA(c, notANumber, 3, 0xFFFFFF, 255);
  EXPECT_TRUE(LitPixels(c).empty());
}

TEST(CanvasTest, FastRoundingMatchesRoundHalfEven) {
  for (double v : {0.0, 0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 2.4999999, 2.5000001, 1e9 + 0.5, -1e9 - 0.5,
                   123456.49, 2147483646.5, -2147483647.5}) {
    EXPECT_EQ(RoundEven(v), RoundHalfEven(v)) << v;
  }
  EXPECT_EQ(RoundEven(1e12), INT32_MAX);
  EXPECT_EQ(RoundEven(-1e12), INT32_MIN);
  EXPECT_EQ(RoundEven(NAN), 0);
}

}  // namespace
}  // namespace kx
