#include "anim/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "anim/FastRound.h"

namespace kx {

namespace {

int ClampAlpha(int alpha) { return std::clamp(alpha, 0, 255); }

uint32_t Mix(uint32_t src, uint32_t dst, uint32_t a) {
  return (src * a + dst * (255 - a) + 127) / 255;
}

// Lines longer than this many steps lie mostly far outside any frame; they are not drawn
// rather than walked pixel by pixel.
constexpr int64_t kLongestLine = 1 << 16;

// Source-over of one colour at one alpha, on all four channels at once (the source's alpha
// byte counts as 255, so the destination alpha becomes a + dstAlpha x (255 - a) / 255).
// Red and blue, and alpha and green, share one 32-bit product each: every channel's
// s x a + d x (255 - a) + 128 stays below 2^16, and (t + (t >> 8)) >> 8 is that sum divided
// by 255 and rounded, exactly.
class Blender {
 public:
  Blender(uint32_t rgb, int alpha) {
    const uint32_t a = static_cast<uint32_t>(ClampAlpha(alpha));
    const uint32_t s = 0xFF000000u | (rgb & 0x00FFFFFFu);
    inverse_ = 255 - a;
    redBlue_ = (s & 0x00FF00FFu) * a + 0x00800080u;
    alphaGreen_ = ((s >> 8) & 0x00FF00FFu) * a + 0x00800080u;
  }
  uint32_t operator()(uint32_t d) const {
    uint32_t rb = (d & 0x00FF00FFu) * inverse_ + redBlue_;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((d >> 8) & 0x00FF00FFu) * inverse_ + alphaGreen_;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
  }

 private:
  uint32_t inverse_;
  uint32_t redBlue_;
  uint32_t alphaGreen_;
};

}  // namespace

uint32_t BlendOver(uint32_t dst, uint32_t rgb, int alpha) {
  if (alpha <= 0) return dst;
  return Blender(rgb, alpha)(dst);
}

uint32_t BlendOverReference(uint32_t dst, uint32_t rgb, int alpha) {
  const uint32_t a = static_cast<uint32_t>(ClampAlpha(alpha));
  const uint32_t r = Mix(RedOf(rgb), RedOf(dst), a);
  const uint32_t g = Mix(GreenOf(rgb), GreenOf(dst), a);
  const uint32_t b = Mix(BlueOf(rgb), BlueOf(dst), a);
  const uint32_t da = a + (AlphaOf(dst) * (255 - a) + 127) / 255;
  return (da << 24) | (r << 16) | (g << 8) | b;
}

void BlendPixel(Bitmap32& target, int x, int y, uint32_t rgb, int alpha) {
  if (!target.Contains(x, y) || alpha <= 0) return;
  uint32_t& p = target.Row(y)[x];
  p = Blender(rgb, alpha)(p);
}

namespace {

// Blends runs of pixels with one colour and alpha; set up once for all the runs of a shape.
class SpanBlender {
 public:
  SpanBlender(uint32_t rgb, int alpha)
      : alpha_(static_cast<uint32_t>(ClampAlpha(alpha))), opaque_(0xFF000000u | (rgb & 0x00FFFFFFu)), blend_(rgb, alpha) {
#if defined(__SSE2__)
    inverse_ = _mm_set1_epi16(static_cast<int16_t>(255 - alpha_));
    add_ = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(opaque_)), _mm_setzero_si128()),
                                         _mm_set1_epi16(static_cast<int16_t>(alpha_))),
                         _mm_set1_epi16(128));
#endif
  }

  // Pixels x0 .. x1 of row y, clipped.
  void Run(Bitmap32& target, int y, int x0, int x1) const {
    if (alpha_ == 0 || y < 0 || y >= target.Height()) return;
    if (x0 > x1) std::swap(x0, x1);
    x0 = std::max(x0, 0);
    x1 = std::min(x1, target.Width() - 1);
    if (x0 > x1) return;
    uint32_t* p = target.Row(y) + x0;
    int count = x1 - x0 + 1;
    if (alpha_ == 255) {
      std::fill(p, p + count, opaque_);
      return;
    }
#if defined(__SSE2__)
    if (count >= 4) {
      // Four pixels at a time. A length that is not a multiple of four ends with the last
      // four pixels of the run, blended from their values before the run was drawn: the
      // pixels it shares with the previous group get the same result twice.
      uint32_t* const last = p + count - 4;
      const __m128i lastBefore = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last));
      for (; count >= 4; count -= 4, p += 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), Blend4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
      }
      if (count > 0) _mm_storeu_si128(reinterpret_cast<__m128i*>(last), Blend4(lastBefore));
      return;
    }
#endif
    for (int i = 0; i < count; ++i) p[i] = blend_(p[i]);
  }

 private:
#if defined(__SSE2__)
  // Four pixels on 16-bit lanes: the same rounded division as Blender.
  __m128i Blend4(__m128i d) const {
    const __m128i zero = _mm_setzero_si128();
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inverse_), add_);
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inverse_), add_);
    lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
    hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
    return _mm_packus_epi16(lo, hi);
  }
#endif
  uint32_t alpha_;
  uint32_t opaque_;
  Blender blend_;
#if defined(__SSE2__)
  __m128i inverse_;
  __m128i add_;
#endif
};

}  // namespace

void BlendRun(Bitmap32& target, int y, int x0, int x1, uint32_t rgb, int alpha) {
  if (alpha <= 0) return;
  SpanBlender(rgb, alpha).Run(target, y, x0, x1);
}

void BlendLine(Bitmap32& target, int x0, int y0, int x1, int y1, uint32_t rgb, int alpha,
               bool includeEnd) {
  if (alpha <= 0 || target.Empty()) return;
  const int w = target.Width();
  const int h = target.Height();
  // Wholly on one side of the bitmap: nothing to draw.
  if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= w && x1 >= w) || (y0 >= h && y1 >= h)) return;
  const int64_t dx = std::llabs(int64_t{x1} - x0);
  const int64_t dy = std::llabs(int64_t{y1} - y0);
  const int64_t steps = std::max(dx, dy);
  if (steps > kLongestLine) return;
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  const int64_t count = includeEnd ? steps + 1 : steps;
  // Bresenham: one pixel per step along the longer axis.
  int64_t err = (dx > dy ? dx : -dy) / 2;
  int x = x0, y = y0;
  const Blender blend(rgb, alpha);
  for (int64_t i = 0; i < count; ++i) {
    if (x >= 0 && y >= 0 && x < w && y < h) {
      uint32_t& p = target.Row(y)[x];
      p = blend(p);
    }
    const int64_t e = err;
    if (e > -dx) {
      err -= dy;
      x += sx;
    }
    if (e < dy) {
      err += dx;
      y += sy;
    }
  }
}

namespace {

// The half width of row i of a disc of radius r: round(sqrt(r^2 - i^2)), halves to even.
int DiscHalfWidth(int r, int i) {
  return RoundEven(std::sqrt(static_cast<double>(r) * r - static_cast<double>(i) * i));
}

// Half widths of the small discs (snow flakes), row by row: entry r * (r + 1) / 2 + i.
constexpr int kTabledRadius = 31;
struct DiscTable {
  DiscTable() {
    for (int r = 0; r <= kTabledRadius; ++r) {
      for (int i = 0; i <= r; ++i) widths[r * (r + 1) / 2 + i] = static_cast<uint8_t>(DiscHalfWidth(r, i));
    }
  }
  uint8_t widths[(kTabledRadius + 1) * (kTabledRadius + 2) / 2];
};

const uint8_t* TabledHalfWidths(int r) {
  static const DiscTable table;
  return r <= kTabledRadius ? table.widths + r * (r + 1) / 2 : nullptr;
}

}  // namespace

void BlendDisc(Bitmap32& target, int x, int y, int r, uint32_t rgb, int alpha) {
  if (r < 0 || alpha <= 0) return;
  const SpanBlender span(rgb, alpha);
  const uint8_t* widths = TabledHalfWidths(r);
  for (int i = 0; i <= r; ++i) {
    const int w = widths != nullptr ? widths[i] : DiscHalfWidth(r, i);
    span.Run(target, y + i, x - w, x + w);
    if (i > 0) span.Run(target, y - i, x - w, x + w);
  }
}

void FillPolygonAA(Bitmap32& target, const PointD* points, int count, uint32_t rgb, int alpha) {
  constexpr int kMaxPoints = 16;
  constexpr int kSubRows = 8;
  count = std::min(count, kMaxPoints);
  if (count < 3 || alpha <= 0 || target.Empty()) return;
  // Pixel (px, py) covers [px - 0.5, px + 0.5) x [py - 0.5, py + 0.5); shifting by a half
  // pixel puts the pixel edges on whole numbers.
  PointD p[kMaxPoints];
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (int i = 0; i < count; ++i) {
    p[i] = {points[i].X + 0.5, points[i].Y + 0.5};
    if (!std::isfinite(p[i].X) || !std::isfinite(p[i].Y)) return;
    minX = std::min(minX, p[i].X);
    maxX = std::max(maxX, p[i].X);
    minY = std::min(minY, p[i].Y);
    maxY = std::max(maxY, p[i].Y);
  }
  const int col0 = static_cast<int>(std::max(0.0, std::floor(minX)));
  const int col1 = static_cast<int>(std::min<double>(target.Width(), std::ceil(maxX)));  // exclusive
  const int row0 = static_cast<int>(std::max(0.0, std::floor(minY)));
  const int row1 = static_cast<int>(std::min<double>(target.Height(), std::ceil(maxY)));
  if (col0 >= col1 || row0 >= row1) return;

  // Kept between calls: the clock fills dozens of small polygons every frame.
  thread_local std::vector<double> coverage;
  coverage.resize(static_cast<size_t>(col1 - col0) + 1);
  // The edges that are not horizontal, each as its top, bottom, x at the top and slope.
  struct Edge {
    double top, bottom, x, slope;
    int winding;
  } edges[kMaxPoints];
  int edgeCount = 0;
  for (int i = 0; i < count; ++i) {
    const PointD& a = p[i];
    const PointD& b = p[(i + 1) % count];
    if (a.Y == b.Y) continue;
    const bool down = a.Y < b.Y;
    const PointD& t = down ? a : b;
    const PointD& u = down ? b : a;
    edges[edgeCount++] = {t.Y, u.Y, t.X, (u.X - t.X) / (u.Y - t.Y), down ? 1 : -1};
  }

  const double weight = 1.0 / kSubRows;
  std::fill(coverage.begin(), coverage.end(), 0.0);
  for (int py = row0; py < row1; ++py) {
    // Columns touched in this row; only they are blended and cleared again.
    int touched0 = col1, touched1 = col0 - 1;
    for (int s = 0; s < kSubRows; ++s) {
      const double sy = py + (s + 0.5) * weight;
      if (sy < minY || sy >= maxY) continue;
      struct Crossing {
        double x;
        int winding;
      } crossings[kMaxPoints];
      int n = 0;
      for (int i = 0; i < edgeCount; ++i) {
        const Edge& e = edges[i];
        if (sy < e.top || sy >= e.bottom) continue;
        const double x = e.x + (sy - e.top) * e.slope;
        int j = n++;
        while (j > 0 && crossings[j - 1].x > x) {
          crossings[j] = crossings[j - 1];
          --j;
        }
        crossings[j] = {x, e.winding};
      }
      int winding = 0;
      for (int i = 0; i + 1 < n; ++i) {
        winding += crossings[i].winding;
        if (winding == 0) continue;
        // Coverage of the span [xl, xr) on this sub-row, exact across the row.
        const double xl = std::max(crossings[i].x, static_cast<double>(col0));
        const double xr = std::min(crossings[i + 1].x, static_cast<double>(col1));
        if (xl >= xr) continue;
        // Both are at least col0 >= 0, so truncation is the floor.
        const int il = static_cast<int>(xl);
        const int ir = std::min(static_cast<int>(xr), col1 - 1);
        touched0 = std::min(touched0, il);
        touched1 = std::max(touched1, ir);
        if (il == ir) {
          coverage[il - col0] += (xr - xl) * weight;
          continue;
        }
        coverage[il - col0] += (il + 1 - xl) * weight;
        for (int c = il + 1; c < ir; ++c) coverage[c - col0] += weight;
        coverage[ir - col0] += (xr - ir) * weight;
      }
    }
    if (touched0 > touched1) continue;
    uint32_t* row = target.Row(py);
    const int full = std::min(alpha, 255);
    for (int c = touched0; c <= touched1; ++c) {
      double& cover = coverage[c - col0];
      const int a = static_cast<int>(full * std::min(1.0, cover) + 0.5);
      cover = 0;
      if (a > 0) row[c] = BlendOver(row[c], rgb, a);
    }
  }
}

}  // namespace kx
