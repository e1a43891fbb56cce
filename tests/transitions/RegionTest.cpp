#include "transitions/Region.h"

#include <gtest/gtest.h>

#include <random>

#include "ShapeCases.h"

namespace kx {
namespace {

using testing::kWindow;
using testing::Shape;
using testing::ShapeCase;

// Compares the region with a point test over the whole window; returns the first difference.
template <typename F>
::testing::AssertionResult SamePixels(const Region& region, F&& contains) {
  if (!region.IsCanonical()) return ::testing::AssertionFailure() << "region breaks its rules";
  int64_t count = 0;
  for (int32_t y = kWindow.Top; y < kWindow.Bottom; ++y) {
    for (int32_t x = kWindow.Left; x < kWindow.Right; ++x) {
      const bool expected = contains(x, y);
      if (region.Contains(x, y) != expected)
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") should be "
                                             << (expected ? "in" : "out");
      count += expected;
    }
  }
  if (region.PixelCount() != count)
    return ::testing::AssertionFailure() << "region has pixels outside the window or counts "
                                         << region.PixelCount() << " instead of " << count;
  return ::testing::AssertionSuccess();
}

constexpr int kShapeCases = 600;

TEST(Region, EveryShapeCaseCoversExactlyThePixelsOfItsShape) {
  for (int n = 0; n < kShapeCases; ++n) {
    const Shape s = ShapeCase(n);
    EXPECT_TRUE(SamePixels(s.region, s.contains)) << "case " << n << ": " << s.description;
  }
}

TEST(Region, CombinesAgreeWithThePixelOperations) {
  const struct {
    CombineMode mode;
    bool (*op)(bool, bool);
  } modes[] = {
      {CombineMode::And, [](bool a, bool b) { return a && b; }},
      {CombineMode::Or, [](bool a, bool b) { return a || b; }},
      {CombineMode::Xor, [](bool a, bool b) { return a != b; }},
      {CombineMode::Diff, [](bool a, bool b) { return a && !b; }},
      {CombineMode::Copy, [](bool a, bool) { return a; }},
  };
  for (int n = 0; n < 150; ++n) {
    const Shape a = ShapeCase(2 * n), b = ShapeCase(2 * n + 7);
    for (const auto& m : modes) {
      const Region r = Region::Combine(a.region, b.region, m.mode);
      EXPECT_TRUE(SamePixels(r, [&](int32_t x, int32_t y) { return m.op(a.contains(x, y), b.contains(x, y)); }))
          << "case " << n << " mode " << static_cast<int>(m.mode) << ": " << a.description << " with "
          << b.description;
    }
  }
}

TEST(Region, ChainsOfCombinesStayExact) {
  // A union of many shapes, then a xor with another chain: the way grids and cross shapes are
  // built up one shape at a time.
  for (int n = 0; n < 20; ++n) {
    std::vector<Shape> shapes;
    for (int k = 0; k < 8; ++k) shapes.push_back(ShapeCase(1000 + 8 * n + k));
    Region acc;
    for (int k = 0; k < 6; ++k) CombineRgn(acc, acc, shapes[k].region, CombineMode::Or);
    CombineRgn(acc, acc, shapes[6].region, CombineMode::Xor);
    CombineRgn(acc, shapes[7].region, acc, CombineMode::And);
    EXPECT_TRUE(SamePixels(acc, [&](int32_t x, int32_t y) {
      bool in = false;
      for (int k = 0; k < 6; ++k) in = in || shapes[k].contains(x, y);
      in = in != shapes[6].contains(x, y);
      return in && shapes[7].contains(x, y);
    })) << "chain " << n;
  }
}

TEST(Region, RectangleListsGiveTheUnionOfTheirRectangles) {
  for (int n = 0; n < 200; ++n) {
    std::mt19937 rng(static_cast<uint32_t>(n) + 99);
    auto v = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Rect> rects(static_cast<size_t>(v(0, 40)));
    for (Rect& r : rects) {
      r.Left = v(-45, 55);
      r.Top = v(-45, 75);
      r.Right = r.Left + v(-5, 30);  // some empty and some inverted
      r.Bottom = r.Top + (v(0, 3) == 0 ? v(-5, 2) : v(1, 12));
    }
    EXPECT_TRUE(SamePixels(RegionFromRects(rects), [&](int32_t x, int32_t y) {
      for (const Rect& r : rects)
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
      return false;
    })) << "case " << n;
  }
}

TEST(Region, RectangleListsWithTopsFarApartGiveTheUnionToo) {
  // Tops spread far wider than the list is long are sorted by comparison instead of being
  // counted into buckets; the union is the same.
  for (int n = 0; n < 50; ++n) {
    std::mt19937 rng(static_cast<uint32_t>(n) + 7);
    auto v = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Rect> rects(static_cast<size_t>(v(1, 30)));
    for (Rect& r : rects) {
      r.Left = v(-45, 55);
      r.Top = v(-45, 75);
      r.Right = r.Left + v(-5, 30);
      r.Bottom = r.Top + v(1, 12);
    }
    const std::vector<Rect> inWindow = rects;
    rects.push_back({0, -1000000000, 10, -999999997});  // 30 pixels far above
    rects.push_back({5, 1000000000, 15, 1000000002});   // 20 pixels far below
    const Region all = RegionFromRects(rects);
    const Region near = all.Intersected(kWindow);
    EXPECT_TRUE(SamePixels(near, [&](int32_t x, int32_t y) {
      for (const Rect& r : inWindow)
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
      return false;
    })) << "case " << n;
    EXPECT_EQ(all.PixelCount(), near.PixelCount() + 50) << "case " << n;
    EXPECT_TRUE(all.IsCanonical());
  }
}

TEST(Region, EqualPixelSetsHaveEqualRegions) {
  // Two different ways to the same set must compare equal (the canonical form).
  const Region a = RegionFromRects(std::vector<Rect>{{0, 0, 10, 5}, {0, 5, 10, 10}});
  const Region b = CreateRectRgn(0, 0, 10, 10);
  EXPECT_EQ(a, b);
  const Region c = Region::Combine(CreateRectRgn(0, 0, 6, 10), CreateRectRgn(6, 0, 10, 10), CombineMode::Or);
  EXPECT_EQ(c, b);
  EXPECT_EQ(c.Bands().size(), 1u);
  const Region d = Region::Combine(b, CreateRectRgn(3, 3, 7, 7), CombineMode::Xor);
  const Region e = Region::Combine(Region::Combine(b, CreateRectRgn(3, 3, 7, 7), CombineMode::Or),
                                   Region::Combine(b, CreateRectRgn(3, 3, 7, 7), CombineMode::And), CombineMode::Diff);
  EXPECT_EQ(d, e);
  EXPECT_EQ(d.PixelCount(), 100 - 16);
}

TEST(Region, TrianglesThatShareADiagonalTileTheirRectangle) {
  // The centre rule must neither drop nor double the pixels on the shared edge.
  const struct {
    const char* name;
    Rect r;
  } rects[] = {{"square", {0, 0, 20, 20}}, {"wide", {-3, 2, 37, 9}}, {"tall", {5, -8, 12, 33}}, {"thin", {0, 0, 1, 30}}};
  for (const auto& c : rects) {
    const Rect& r = c.r;
    const Point tl{r.Left, r.Top}, tr{r.Right, r.Top}, bl{r.Left, r.Bottom}, br{r.Right, r.Bottom};
    for (int diagonal = 0; diagonal < 2; ++diagonal) {
      const std::vector<Point> a = diagonal ? std::vector<Point>{tl, tr, br} : std::vector<Point>{tl, tr, bl};
      const std::vector<Point> b = diagonal ? std::vector<Point>{tl, br, bl} : std::vector<Point>{tr, br, bl};
      const Region ra = CreatePolygonRgn(a), rb = CreatePolygonRgn(b);
      EXPECT_TRUE(Region::Combine(ra, rb, CombineMode::And).IsEmpty()) << c.name << " " << diagonal;
      EXPECT_EQ(Region::Combine(ra, rb, CombineMode::Or), CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom))
          << c.name << " " << diagonal;
    }
  }
}

TEST(Region, PolygonsIgnoreOrientationAndStartPoint) {
  for (int n = 0; n < 60; ++n) {
    std::mt19937 rng(static_cast<uint32_t>(n) + 5);
    auto v = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Point> pts(static_cast<size_t>(v(3, 7)));
    for (Point& p : pts) p = {v(-20, 60), v(-20, 60)};
    const Region forward = CreatePolygonRgn(pts);
    std::vector<Point> reversed(pts.rbegin(), pts.rend());
    std::vector<Point> rotated(pts.begin() + 1, pts.end());
    rotated.push_back(pts.front());
    EXPECT_EQ(CreatePolygonRgn(reversed), forward) << "case " << n;
    EXPECT_EQ(CreatePolygonRgn(rotated), forward) << "case " << n;
    // Moving the points moves the pixels.
    std::vector<Point> moved = pts;
    for (Point& p : moved) p = {p.X + 13, p.Y - 7};
    Region shifted = forward;
    shifted.Offset(13, -7);
    EXPECT_EQ(CreatePolygonRgn(moved), shifted) << "case " << n;
  }
}

TEST(Region, WindingFillKeepsTheCentreOfAStar) {
  // A five-pointed star drawn in one stroke winds twice around its centre: winding fill keeps
  // the centre, where an even-odd fill would leave a hole.
  const std::vector<int32_t> star = {50, 0, 79, 90, 2, 35, 98, 35, 21, 90};
  const Region r = PolygonRgn(star);
  EXPECT_TRUE(r.Contains(50, 50));
  EXPECT_TRUE(r.Contains(50, 30));
  EXPECT_FALSE(r.Contains(5, 80));
  // The flat list form drops an odd last value.
  std::vector<int32_t> withOdd = star;
  withOdd.push_back(7);
  EXPECT_EQ(PolygonRgn(withOdd), r);
}

TEST(Region, ShapesOfTheWholeSizeEqualOtherShapes) {
  // Corner ellipses as large as the rectangle make the ellipse; no rounding makes the rectangle.
  EXPECT_EQ(CreateRoundRectRgn(3, 4, 40, 25, 37, 21), CreateEllipticRgn(3, 4, 40, 25));
  EXPECT_EQ(CreateRoundRectRgn(3, 4, 40, 25, 500, 900), CreateEllipticRgn(3, 4, 40, 25));
  EXPECT_EQ(CreateRoundRectRgn(3, 4, 40, 25, 0, 10), CreateRectRgn(3, 4, 40, 25));
  EXPECT_EQ(CreateRoundRectRgn(3, 4, 40, 25, -4, 10), CreateRectRgn(3, 4, 40, 25));
  // A stadium: the full height rounds both ends into half discs.
  const Region stadium = CreateRoundRectRgn(0, 0, 60, 20, 20, 100);
  EXPECT_TRUE(stadium.Contains(30, 0));
  EXPECT_FALSE(stadium.Contains(0, 0));
  EXPECT_TRUE(stadium.Contains(0, 9));
  EXPECT_TRUE(stadium.Contains(59, 10));
}

TEST(Region, DegenerateShapesAreEmpty) {
  const std::vector<Point> line = {{0, 0}, {10, 10}, {20, 20}};
  const std::vector<Point> two = {{0, 0}, {10, 10}};
  const std::vector<Point> flat = {{0, 5}, {30, 5}, {12, 5}};
  const Region regions[] = {CreateRectRgn(5, 5, 5, 9),       CreateRectRgn(9, 5, 5, 9),
                            CreateEllipticRgn(0, 0, 0, 10),  CreateEllipticRgn(10, 10, 0, 0),
                            CreateRoundRectRgn(10, 0, 0, 10, 4, 4),
                            CreatePolygonRgn(line),          CreatePolygonRgn(two),
                            CreatePolygonRgn(flat),          PolygonRgn(std::vector<int32_t>{})};
  for (const Region& r : regions) {
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.Bounds(), Rect{});
  }
}

TEST(Region, HugeShapesAreClampedAndStayExactNearTheScreen) {
  // A triangle far larger than any screen: its pixels near the origin are still right.
  const std::vector<Point> big = {{-2000000000, -5000}, {2000000000, -5000}, {0, 3000}};
  const Region r = CreatePolygonRgn(big);
  EXPECT_TRUE(r.IsCanonical());
  EXPECT_TRUE(r.Contains(0, 0));
  EXPECT_TRUE(r.Contains(-1000000, -4990));
  EXPECT_FALSE(r.Contains(0, 3000));
  EXPECT_EQ(r.Bounds().Top, -5000);
  EXPECT_EQ(CreateRectRgn(INT32_MIN, -1, INT32_MAX, 1).PixelCount(), int64_t{2} * (int64_t{INT32_MAX} - INT32_MIN));
}

TEST(Region, IntersectingWithARectangleClipsAndMerges) {
  // Two bands that differ only outside the rectangle become one band once clipped.
  const Region r = RegionFromRects(std::vector<Rect>{{0, 0, 10, 5}, {0, 5, 20, 10}});
  ASSERT_EQ(r.Bands().size(), 2u);
  const Region clipped = r.Intersected({2, -3, 8, 40});
  EXPECT_EQ(clipped, CreateRectRgn(2, 0, 8, 10));
  EXPECT_EQ(clipped.Bands().size(), 1u);
  EXPECT_TRUE(r.Intersected({0, 0, 0, 0}).IsEmpty());
  EXPECT_EQ(r.Bounds(), (Rect{0, 0, 20, 10}));
}

}  // namespace
}  // namespace kx
