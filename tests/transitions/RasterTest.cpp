#include "transitions/Raster.h"

#include <gtest/gtest.h>

#include <random>

#include "ShapeCases.h"

namespace kx {
namespace {

uint32_t PixelCode(uint32_t salt, int x, int y) {
  uint32_t v = salt * 0x9E3779B9u ^ (static_cast<uint32_t>(x) * 0x85EBCA6Bu) ^ (static_cast<uint32_t>(y) * 0xC2B2AE35u);
  v ^= v >> 15;
  return v * 0x2C1B3C6Du;
}

Bitmap32 Coded(int w, int h, uint32_t salt) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, PixelCode(salt, x, y));
  return b;
}

// The slow reference: visits every destination step of the block one pixel at a time and
// reads from a copy of the source taken before anything is written.
void ReferenceStretch(Bitmap32& dst, int x, int y, int w, int h, const Bitmap32& srcBefore, int sx,
                      int sy, int sw, int sh, const Region* clip) {
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
  const int aw = std::abs(w), ah = std::abs(h), asw = std::abs(sw), ash = std::abs(sh);
  for (int j = 0; j < ah; ++j) {
    for (int i = 0; i < aw; ++i) {
      const int X = w > 0 ? x + i : x - i, Y = h > 0 ? y + j : y - j;
      if (!dst.Contains(X, Y) || (clip && !clip->Contains(X, Y))) continue;
      const int si = static_cast<int>(int64_t{i} * asw / aw), sj = static_cast<int>(int64_t{j} * ash / ah);
      const int SX = sw > 0 ? sx + si : sx - si, SY = sh > 0 ? sy + sj : sy - sj;
      if (!srcBefore.Contains(SX, SY)) continue;
      dst.SetPixel(X, Y, srcBefore.Pixel(SX, SY));
    }
  }
}

struct CopyCase {
  int dw, dh, sw0, sh0;  // bitmap sizes (source unused for self-copies)
  bool self;
  bool clipped;
  int x, y, w, h, sx, sy, sw, sh;
};

CopyCase MakeCopyCase(int n, bool stretch) {
  std::mt19937 rng(static_cast<uint32_t>(n) * 7919u + (stretch ? 3u : 1u));
  auto v = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto pos = [&](int limit) { return v(0, 3) == 0 ? v(-limit, 2 * limit) : v(-2, limit); };
  CopyCase c{};
  c.dw = v(1, 28), c.dh = v(1, 28), c.sw0 = v(1, 30), c.sh0 = v(1, 30);
  c.self = v(0, 2) == 0;
  if (c.self) c.sw0 = c.dw, c.sh0 = c.dh;
  c.clipped = v(0, 1) == 0;
  c.x = pos(c.dw), c.y = pos(c.dh), c.sx = pos(c.sw0), c.sy = pos(c.sh0);
  auto size = [&](int limit) {
    const int k = v(0, 9);
    if (k == 0) return 0;
    if (k <= 2 && stretch) return -v(1, 2 * limit);
    return v(1, 2 * limit);
  };
  c.w = size(c.dw), c.h = size(c.dh);
  c.sw = stretch ? size(c.sw0) : c.w;
  c.sh = stretch ? size(c.sh0) : c.h;
  if (stretch && v(0, 4) == 0) c.sw = c.w;  // plain shifts along x
  return c;
}

TEST(BitBlt, MatchesThePixelByPixelReference) {
  for (int n = 0; n < 1500; ++n) {
    const CopyCase c = MakeCopyCase(n, false);
    Bitmap32 dst = Coded(c.dw, c.dh, 1000 + n);
    const Bitmap32 other = Coded(c.sw0, c.sh0, 5000 + n);
    const Bitmap32& src = c.self ? dst : other;
    const Bitmap32 srcBefore = src;
    const testing::Shape clipShape = testing::ShapeCase(n);
    const Region* clip = c.clipped ? &clipShape.region : nullptr;
    Bitmap32 expected = dst;
    if (c.w > 0 && c.h > 0) ReferenceStretch(expected, c.x, c.y, c.w, c.h, srcBefore, c.sx, c.sy, c.w, c.h, clip);
    BitBlt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy, clip);
    ASSERT_EQ(dst, expected) << "case " << n << (c.self ? " self" : "") << (c.clipped ? " clipped" : "");
  }
}

TEST(BitBlt, SelfCopiesAlongARowUnderAStripedClipReadTheSourceFirst) {
  // Several runs per row: a run written early must not be read again by a later run.
  std::vector<Rect> stripes;
  for (int x = 0; x < 30; x += 3) stripes.push_back({x, 0, x + 2, 20});
  for (int y = 0; y < 20; y += 4) stripes.push_back({0, y, 30, y + 1});
  const Region clip = RegionFromRects(stripes);
  for (int shift : {-7, -2, -1, 1, 2, 7}) {
    for (bool alongRows : {true, false}) {
      Bitmap32 b = Coded(30, 20, 11);
      const Bitmap32 before = b;
      Bitmap32 expected = b;
      const int dx = alongRows ? shift : 0, dy = alongRows ? 0 : shift;
      ReferenceStretch(expected, dx, dy, 30, 20, before, 0, 0, 30, 20, &clip);
      BitBlt(b, dx, dy, 30, 20, b, 0, 0, &clip);
      EXPECT_EQ(b, expected) << "shift " << shift << (alongRows ? " along rows" : " along columns");
    }
  }
}

TEST(StretchBlt, MatchesThePixelByPixelReference) {
  for (int n = 0; n < 1500; ++n) {
    const CopyCase c = MakeCopyCase(n, true);
    Bitmap32 dst = Coded(c.dw, c.dh, 1000 + n);
    const Bitmap32 other = Coded(c.sw0, c.sh0, 5000 + n);
    const Bitmap32& src = c.self ? dst : other;
    const Bitmap32 srcBefore = src;
    const testing::Shape clipShape = testing::ShapeCase(n + 1);
    const Region* clip = c.clipped ? &clipShape.region : nullptr;
    Bitmap32 expected = dst;
    ReferenceStretch(expected, c.x, c.y, c.w, c.h, srcBefore, c.sx, c.sy, c.sw, c.sh, clip);
    StretchBlt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.sw, c.sh, clip);
    ASSERT_EQ(dst, expected) << "case " << n << (c.self ? " self" : "") << (c.clipped ? " clipped" : "") << " "
                             << c.x << "," << c.y << " " << c.w << "x" << c.h << " <- " << c.sx << "," << c.sy
                             << " " << c.sw << "x" << c.sh;
  }
}

TEST(StretchBlt, SelfCopiesOfTheSqueezeAndZoomKindsReadTheSourceFirst) {
  // Squeezes, mirrors and a zoom around the centre of a bitmap onto itself: the cases whose
  // rows are read on one side of where they are written, and the case that reads on both.
  const struct {
    const char* name;
    int x, y, w, h, sx, sy, sw, sh;
  } cases[] = {
      {"squeeze right", 7, 0, 33, 30, 0, 0, 40, 30},
      {"squeeze left", 0, 0, 33, 30, 0, 0, 40, 30},
      {"squeeze down", 0, 9, 40, 21, 0, 0, 40, 30},
      {"squeeze up", 0, 0, 40, 21, 0, 0, 40, 30},
      {"mirror in place", 39, 29, -40, -30, 0, 0, 40, 30},
      {"zoom about the centre", -30, -20, 100, 70, 15, 10, 10, 10},
      {"shrink to the middle", 10, 10, 20, 10, 0, 0, 40, 30},
  };
  for (const auto& c : cases) {
    Bitmap32 b = Coded(40, 30, 77);
    const Bitmap32 before = b;
    Bitmap32 expected = b;
    ReferenceStretch(expected, c.x, c.y, c.w, c.h, before, c.sx, c.sy, c.sw, c.sh, nullptr);
    StretchBlt(b, c.x, c.y, c.w, c.h, b, c.sx, c.sy, c.sw, c.sh);
    EXPECT_EQ(b, expected) << c.name;
  }
}

TEST(StretchBlt, NegativeWidthCoversTheColumnsLeftOfItsStart) {
  // Width -3 at x = 5 covers columns 3 .. 5, column 5 showing the first source column.
  Bitmap32 dst(8, 1, 0);
  Bitmap32 src(4, 1);
  for (int x = 0; x < 4; ++x) src.SetPixel(x, 0, 10 + x);
  StretchBlt(dst, 5, 0, -3, 1, src, 1, 0, 3, 1);
  const uint32_t expected[8] = {0, 0, 0, 13, 12, 11, 0, 0};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.Pixel(x, 0), expected[x]) << x;
}

TEST(CopyThroughRegion, TakesTheSourceExactlyInsideTheRegion) {
  const Bitmap32 before = Coded(37, 29, 3), source = Coded(37, 29, 4);
  for (int n = 0; n < 200; ++n) {
    const testing::Shape s = testing::ShapeCase(n);
    Bitmap32 target = before;
    CopyThroughRegion(target, source, s.region);
    for (int y = 0; y < 29; ++y)
      for (int x = 0; x < 37; ++x)
        ASSERT_EQ(target.Pixel(x, y), (s.contains(x, y) ? source : before).Pixel(x, y))
            << "case " << n << " " << s.description << " at " << x << "," << y;
  }
}

TEST(Canvas, ClipIsACopyAndExcludedRectanglesStayUntouched) {
  const Bitmap32 source = Coded(20, 10, 9);
  Bitmap32 target(20, 10, 0);
  {
    Canvas canvas(target);
    {
      const Region r = CreateRectRgn(-5, -5, 10, 8);
      canvas.SelectClipRgn(&r);
    }  // the region is gone; its copy is the clip
    canvas.ExcludeClipRect(2, 2, 4, 4);
    canvas.BitBlt(0, 0, 20, 10, source, 0, 0);
    EXPECT_EQ(canvas.Clip()->Bounds(), (Rect{0, 0, 10, 8}));
  }
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool drawn = x < 10 && y < 8 && !(x >= 2 && x < 4 && y >= 2 && y < 4);
      EXPECT_EQ(target.Pixel(x, y), drawn ? source.Pixel(x, y) : 0u) << x << "," << y;
    }

  // Excluding with no clip selected excludes from the whole bitmap; removing the clip draws all.
  Bitmap32 second(20, 10, 0);
  Canvas canvas(second);
  canvas.ExcludeClipRect(0, 0, 19, 10);
  canvas.StretchBlt(0, 0, 20, 10, source, 0, 0, 20, 10);
  EXPECT_EQ(second.Pixel(19, 5), source.Pixel(19, 5));
  EXPECT_EQ(second.Pixel(18, 5), 0u);
  canvas.SelectClipRgn(nullptr);
  EXPECT_EQ(canvas.Clip(), nullptr);
  canvas.BitBlt(0, 0, 20, 10, source, 0, 0);
  EXPECT_EQ(second, source);
}

}  // namespace
}  // namespace kx
