#pragma once
// Span kernels of the transition effects: blend, masked select, clamped add and fill over a
// run of 0xAARRGGBB pixels. Each has a plain loop that states the rule and, on x86-64, an SSE2
// version (SSE2 is part of every x86-64 processor) that does four pixels at a time; both give
// the same pixels. Spans may be empty; source and destination spans do not overlap.
#include <algorithm>
#include <cstddef>
#include <cstdint>

// KX_TRANSITIONS_PLAIN builds the plain loops only (the tests run both builds).
#if defined(__SSE2__) && !defined(KX_TRANSITIONS_PLAIN)
#define KX_TRANSITIONS_SSE2 1
#include <emmintrin.h>
#endif

namespace kx::pixelops {

// t := t + floor((n - t) * k / 256) in blue, green and red, fourth byte kept; k in 0 .. 256.
// Written as (t (256 - k) + n k) >> 8, which equals it and never leaves 0 .. 255.
inline uint32_t BlendPixel(uint32_t t, uint32_t n, uint32_t k) {
  const uint32_t inv = 256 - k;
  const uint32_t rb = (((t & 0x00FF00FFu) * inv + (n & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
  const uint32_t g = (((t & 0x0000FF00u) * inv + (n & 0x0000FF00u) * k) >> 8) & 0x0000FF00u;
  return (t & 0xFF000000u) | rb | g;
}

inline void BlendSpan(uint32_t* t, const uint32_t* n, size_t count, uint32_t k) {
  size_t i = 0;
#if KX_TRANSITIONS_SSE2
  const __m128i vk = _mm_set1_epi16(static_cast<short>(k));
  const __m128i vinv = _mm_set1_epi16(static_cast<short>(256 - k));
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; i + 4 <= count; i += 4) {
    const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i nv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n + i));
    // Each byte widened to 16 bits: t * (256 - k) + n * k is at most 255 * 256, so it fits.
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(tv, zero), vinv),
                                                    _mm_mullo_epi16(_mm_unpacklo_epi8(nv, zero), vk)), 8);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(tv, zero), vinv),
                                                    _mm_mullo_epi16(_mm_unpackhi_epi8(nv, zero), vk)), 8);
    const __m128i blended = _mm_packus_epi16(lo, hi);
    const __m128i out = _mm_or_si128(_mm_and_si128(tv, alpha), _mm_andnot_si128(alpha, blended));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(t + i), out);
  }
#endif
  for (; i < count; ++i) t[i] = BlendPixel(t[i], n[i], k);
}

// t := n where mask is all ones, kept where it is 0.
inline void SelectSpan(uint32_t* t, const uint32_t* n, const uint32_t* mask, size_t count) {
  size_t i = 0;
#if KX_TRANSITIONS_SSE2
  for (; i + 4 <= count; i += 4) {
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + i));
    const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i nv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(t + i), _mm_or_si128(_mm_and_si128(m, nv), _mm_andnot_si128(m, tv)));
  }
#endif
  for (; i < count; ++i) t[i] = (n[i] & mask[i]) | (t[i] & ~mask[i]);
}

// Adds v to blue, green and red, each clamped to 0 .. 255; the fourth byte is kept.
inline uint32_t AddToColour(uint32_t pixel, int v) {
  const int b = std::clamp(static_cast<int>(pixel & 0xFF) + v, 0, 255);
  const int g = std::clamp(static_cast<int>((pixel >> 8) & 0xFF) + v, 0, 255);
  const int r = std::clamp(static_cast<int>((pixel >> 16) & 0xFF) + v, 0, 255);
  return (pixel & 0xFF000000u) | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// An amount to add as the pair of byte-wise saturating steps that make it: `up` holds the
// positive part and `down` the negative part in the blue, green and red bytes.
struct ColourStep {
  uint32_t up, down;
};
inline ColourStep MakeColourStep(int v) {
  const uint32_t a = static_cast<uint32_t>(std::min(std::abs(v), 255));
  const uint32_t bytes = a | (a << 8) | (a << 16);
  return v >= 0 ? ColourStep{bytes, 0} : ColourStep{0, bytes};
}

// p[i] gains steps[i] (clamped), i = 0 .. count - 1.
inline void AddStepsSpan(uint32_t* p, [[maybe_unused]] const ColourStep* steps, const int* amounts,
                         size_t count) {
  size_t i = 0;
#if KX_TRANSITIONS_SSE2
  static_assert(sizeof(ColourStep) == 8);
  for (; i + 4 <= count; i += 4) {
    // Gather the four up and four down words out of the interleaved steps.
    const __m128i s01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(steps + i));
    const __m128i s23 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(steps + i + 2));
    const __m128i a = _mm_shuffle_epi32(s01, _MM_SHUFFLE(3, 1, 2, 0));  // up0 up1 down0 down1
    const __m128i b = _mm_shuffle_epi32(s23, _MM_SHUFFLE(3, 1, 2, 0));  // up2 up3 down2 down3
    const __m128i up = _mm_unpacklo_epi64(a, b), down = _mm_unpackhi_epi64(a, b);
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    v = _mm_subs_epu8(_mm_adds_epu8(v, up), down);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
  }
#endif
  for (; i < count; ++i) p[i] = AddToColour(p[i], amounts[i]);
}

// Every pixel of the span gains v (clamped).
inline void AddConstantSpan(uint32_t* p, size_t count, int v) {
  size_t i = 0;
#if KX_TRANSITIONS_SSE2
  const ColourStep s = MakeColourStep(v);
  const __m128i up = _mm_set1_epi32(static_cast<int>(s.up)), down = _mm_set1_epi32(static_cast<int>(s.down));
  for (; i + 4 <= count; i += 4) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    x = _mm_subs_epu8(_mm_adds_epu8(x, up), down);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), x);
  }
#endif
  for (; i < count; ++i) p[i] = AddToColour(p[i], v);
}

inline void FillSpan(uint32_t* d, size_t count, uint32_t value) {
  size_t i = 0;
#if KX_TRANSITIONS_SSE2
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  for (; i + 4 <= count; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), v);
#endif
  for (; i < count; ++i) d[i] = value;
}

}  // namespace kx::pixelops
