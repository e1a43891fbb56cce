#include "anim/ObjectDrawing.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

namespace {

// (s x a + d x (255 - a)) div 255 on every channel, the source's alpha byte counting as 255
// (so the destination alpha becomes a + d.alpha x (255 - a) div 255). Red and blue, and alpha
// and green, share one 32-bit product each: every lane stays below 65535, where
// (x + 1 + (x >> 8)) >> 8 is exactly x div 255.
inline uint32_t Blend(uint32_t d, uint32_t s, uint32_t a) {
  const uint32_t ia = 255 - a;
  uint32_t rb = (s & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * ia;
  uint32_t ag = (((s >> 8) & 0x000000FFu) | 0x00FF0000u) * a + ((d >> 8) & 0x00FF00FFu) * ia;
  rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  ag = (ag + 0x00010001u + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return ag | rb;
}

// For each of `count` target positions from `first` (offsets from the rectangle's start),
// the source index under its centre: floor((u + 0.5) x source / target).
void SampleTable(std::vector<int32_t>& table, int64_t first, int64_t count, int64_t target, int64_t source,
                 bool mirror) {
  table.resize(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    int64_t u = first + i;
    if (mirror) u = target - 1 - u;
    table[static_cast<size_t>(i)] = static_cast<int32_t>(((2 * u + 1) * source) / (2 * target));
  }
}

// One row: `count` frame pixels from `dst`, the image pixel of frame pixel i being
// src[column[i]] (or src[i] when `column` is null), drawn with the object's alpha a0.
void BlendRowPlain(uint32_t* dst, const uint32_t* src, const int32_t* column, size_t count, uint32_t a0) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t s = column != nullptr ? src[column[i]] : src[i];
    const uint32_t a = (s >> 24) * a0 / 255;
    if (a == 255) {
      dst[i] = s | 0xFF000000u;
    } else if (a != 0) {
      dst[i] = Blend(dst[i], s, a);
    }
  }
}

#if defined(__SSE2__)
// x div 255 in every 16-bit lane, exact for x < 65535.
inline __m128i Div255(__m128i x) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
}

// The same four pixels at a time; the last count % 4 pixels go through BlendRowPlain.
void BlendRow(uint32_t* dst, const uint32_t* src, const int32_t* column, size_t count, uint32_t a0) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha0 = _mm_set1_epi32(static_cast<int>(a0));
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i full = _mm_set1_epi16(255);
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i s = column != nullptr
                          ? _mm_set_epi32(static_cast<int>(src[column[i + 3]]), static_cast<int>(src[column[i + 2]]),
                                          static_cast<int>(src[column[i + 1]]), static_cast<int>(src[column[i]]))
                          : _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    // a = coverage x a0 div 255, one per pixel; the products fit in 16 bits.
    __m128i a = _mm_mullo_epi16(_mm_srli_epi32(s, 24), alpha0);
    a = _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(a, _mm_set1_epi32(1)), _mm_srli_epi32(a, 8)), 8);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0xFFFF) continue;
    const __m128i pair = _mm_or_si128(a, _mm_slli_epi32(a, 16));  // a in both halves
    const __m128i aLo = _mm_unpacklo_epi32(pair, pair), aHi = _mm_unpackhi_epi32(pair, pair);
    const __m128i so = _mm_or_si128(s, opaque);
    __m128i* out = reinterpret_cast<__m128i*>(dst + i);
    const __m128i d = _mm_loadu_si128(out);
    const __m128i lo = Div255(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(so, zero), aLo),
                                            _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, aLo))));
    const __m128i hi = Div255(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(so, zero), aHi),
                                            _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, aHi))));
    _mm_storeu_si128(out, _mm_packus_epi16(lo, hi));
  }
  BlendRowPlain(dst + i, column != nullptr ? src : src + i, column != nullptr ? column + i : nullptr, count - i, a0);
}
#else
void BlendRow(uint32_t* dst, const uint32_t* src, const int32_t* column, size_t count, uint32_t a0) {
  BlendRowPlain(dst, src, column, count, a0);
}
#endif

using RowFn = void (*)(uint32_t*, const uint32_t*, const int32_t*, size_t, uint32_t);

void Draw(Bitmap32& frame, const Bitmap32& image, const TRect& rect, bool mirror, int32_t alpha, RowFn row) {
  alpha = std::clamp(alpha, 0, 255);
  const int64_t dw = static_cast<int64_t>(rect.Right) - rect.Left;
  const int64_t dh = static_cast<int64_t>(rect.Bottom) - rect.Top;
  if (alpha == 0 || dw <= 0 || dh <= 0 || image.Empty() || frame.Empty()) return;
  const int64_t x0 = std::max<int64_t>(rect.Left, 0), x1 = std::min<int64_t>(rect.Right, frame.Width());
  const int64_t y0 = std::max<int64_t>(rect.Top, 0), y1 = std::min<int64_t>(rect.Bottom, frame.Height());
  if (x0 >= x1 || y0 >= y1) return;

  thread_local std::vector<int32_t> columns, rows;
  // An image drawn at its own width, not mirrored, is read straight along its rows.
  const bool direct = dw == image.Width() && !mirror;
  if (!direct) SampleTable(columns, x0 - rect.Left, x1 - x0, dw, image.Width(), mirror);
  SampleTable(rows, y0 - rect.Top, y1 - y0, dh, image.Height(), false);
  const size_t width = static_cast<size_t>(x1 - x0);
  const uint32_t a0 = static_cast<uint32_t>(alpha);
  for (int64_t y = y0; y < y1; ++y) {
    const uint32_t* src = image.Row(rows[static_cast<size_t>(y - y0)]);
    uint32_t* dst = frame.Row(static_cast<int>(y)) + x0;
    if (direct) {
      row(dst, src + (x0 - rect.Left), nullptr, width, a0);
    } else {
      row(dst, src, columns.data(), width, a0);
    }
  }
}

}  // namespace

void DrawCoverageImage(Bitmap32& frame, const Bitmap32& image, const TRect& rect, bool mirror, int32_t alpha) {
  Draw(frame, image, rect, mirror, alpha, BlendRow);
}

void DrawCoverageImageReference(Bitmap32& frame, const Bitmap32& image, const TRect& rect, bool mirror, int32_t alpha) {
  Draw(frame, image, rect, mirror, alpha, BlendRowPlain);
}

Bitmap32 DraftScale(const Bitmap32& image, int32_t width, int32_t height) {
  Bitmap32 out;
  if (image.Empty() || width <= 0 || height <= 0) return out;
  out.SetSize(width, height);
  const int64_t sw = image.Width(), sh = image.Height();
  // The source block of target index t along an axis of `source` pixels drawn as `target`.
  auto block = [](int64_t t, int64_t target, int64_t source, int64_t& from, int64_t& to) {
    from = t * source / target;
    to = std::max((t + 1) * source / target, from + 1);
  };
  for (int32_t y = 0; y < height; ++y) {
    int64_t sy0, sy1;
    block(y, height, sh, sy0, sy1);
    uint32_t* dst = out.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      int64_t sx0, sx1;
      block(x, width, sw, sx0, sx1);
      uint64_t cover = 0, red = 0, green = 0, blue = 0;
      for (int64_t sy = sy0; sy < sy1; ++sy) {
        const uint32_t* src = image.Row(static_cast<int>(sy));
        for (int64_t sx = sx0; sx < sx1; ++sx) {
          const uint32_t s = src[sx];
          const uint32_t c = s >> 24;
          cover += c;
          red += c * ((s >> 16) & 0xFF);
          green += c * ((s >> 8) & 0xFF);
          blue += c * (s & 0xFF);
        }
      }
      if (cover == 0) {
        dst[x] = 0;
        continue;
      }
      const uint64_t n = static_cast<uint64_t>((sy1 - sy0) * (sx1 - sx0));
      const uint32_t c = static_cast<uint32_t>((cover + n / 2) / n);
      const uint32_t r = static_cast<uint32_t>((red + cover / 2) / cover);
      const uint32_t g = static_cast<uint32_t>((green + cover / 2) / cover);
      const uint32_t b = static_cast<uint32_t>((blue + cover / 2) / cover);
      dst[x] = (c << 24) | (r << 16) | (g << 8) | b;
    }
  }
  return out;
}

}  // namespace kx
