#include "anim/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "anim/CanvasRaster.h"
#include "anim/FastRound.h"

namespace kx {

using raster::Blender;
using raster::ClampAlpha;

namespace raster {

std::vector<double>& CoverageScratch() {
  thread_local std::vector<double> coverage;
  return coverage;
}

}  // namespace raster

namespace {

uint32_t Mix(uint32_t src, uint32_t dst, uint32_t a) {
  return (src * a + dst * (255 - a) + 127) / 255;
}

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
  const Blender blend(rgb, alpha);
  raster::WalkLine(target.Width(), target.Height(), x0, y0, x1, y1, includeEnd, [&](int x, int y) {
    uint32_t& p = target.Row(y)[x];
    p = blend(p);
  });
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
  if (alpha <= 0 || target.Empty()) return;
  raster::WalkPolygonAA(target.Width(), target.Height(), points, count, alpha, [&](int x, int y, int a) {
    uint32_t& p = target.Row(y)[x];
    p = BlendOver(p, rgb, a);
  });
}

}  // namespace kx
