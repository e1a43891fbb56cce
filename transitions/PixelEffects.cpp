// Fade, pixelate, dissolve, pivot and random-bar effects.
//
// Blends use the weight as a multiplier k of 0 .. 256 (see PixelOps.h). The random patterns
// step a local copy of the shared generator's state by the generator's own rule, so the pattern
// is the one that RandomBelow would give from the same seed, and RandomSeed itself is never
// disturbed. RandomBelow(100) < P is the same test as state < ceil(P * 2^32 / 100), which
// needs no second multiplication. The generator can jump any number of steps at once (k steps
// are again a map state -> a * state + c), which lets Dissolve step sixteen pixels side by
// side and walk the rows from the top, the direction in which memory is read fastest, while
// each row still gets the draws that the bottom-up order gives it.
#include "transitions/PixelEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/MulDiv.h"
#include "transitions/PixelOps.h"
#include "transitions/Raster.h"

namespace kx {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// The shared generator's step and RandomBelow's result, on a state held in a register.
inline uint32_t NextState(uint32_t seed) { return seed * 134775813u + 1u; }
inline uint32_t Below(uint32_t seed, uint32_t n) {
  return static_cast<uint32_t>((static_cast<uint64_t>(seed) * n) >> 32);
}

// The generator stepped k times at once: state -> a * state + c.
struct Jump {
  uint32_t a = 1, c = 0;
};
// First `first`, then `then`.
Jump Then(Jump first, Jump then) { return {then.a * first.a, then.a * first.c + then.c}; }
Jump JumpAhead(int64_t k) {
  Jump result, step{134775813u, 1u};
  for (; k > 0; k >>= 1, step = Then(step, step))
    if (k & 1) result = Then(result, step);
  return result;
}

// The jump back: state -> a' * state + c' undoes state -> a * state + c (a is odd, so it has
// an inverse modulo 2^32, found by Newton's iteration).
Jump Inverse(Jump j) {
  uint32_t inv = j.a;  // correct to 3 bits for odd a; each round doubles the bits
  for (int i = 0; i < 5; ++i) inv *= 2u - j.a * inv;
  return {inv, 0u - inv * j.c};
}

// Lowest state that fails RandomBelow(100) < percent, for 0 < percent < 100.
uint32_t ShowThreshold(int32_t percent) {
  return static_cast<uint32_t>(((static_cast<uint64_t>(percent) << 32) + 99) / 100);
}

#if KX_TRANSITIONS_SSE2
inline __m128i MulLow32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}
#endif

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Narrows [first, end) to the x for which lo <= a0 + x * step < hi.
void KeepWhereInside(int64_t a0, int64_t step, int64_t lo, int64_t hi, int64_t& first, int64_t& end) {
  if (step == 0) {
    if (a0 < lo || a0 >= hi) end = first;
    return;
  }
  if (step > 0) {
    first = std::max(first, -FloorDiv(a0 - lo, step));      // ceil((lo - a0) / step)
    end = std::min(end, -FloorDiv(a0 - hi, step));          // ceil((hi - a0) / step)
  } else {
    end = std::min(end, FloorDiv(a0 - lo, -step) + 1);
    first = std::max(first, FloorDiv(a0 - hi, -step) + 1);
  }
}

}  // namespace

void BlendRect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Weight, int32_t Left,
               int32_t Top, int32_t Cols, int32_t Rows) {
  const uint32_t k = static_cast<uint32_t>(std::clamp(MulDiv(256, Weight, 100), 0, 256));
  const int64_t x0 = std::max<int64_t>(Left, 0);
  const int64_t x1 = std::min<int64_t>({int64_t{Left} + Cols, Target.Width(), NewImage.Width()});
  const int64_t y0 = std::max<int64_t>(Top, 0);
  const int64_t y1 = std::min<int64_t>({int64_t{Top} + Rows, Target.Height(), NewImage.Height()});
  if (x0 >= x1 || y0 >= y1 || k == 0) return;
  for (int64_t y = y0; y < y1; ++y)
    pixelops::BlendSpan(Target.Row(static_cast<int32_t>(y)) + x0, NewImage.Row(static_cast<int32_t>(y)) + x0,
                        static_cast<size_t>(x1 - x0), k);
}

void Fade(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
          int32_t /*DoneX*/, int32_t /*DoneY*/, int32_t Percent) {
  BlendRect(Target, NewImage, Percent, 0, 0, Width, Height);
}

void Pixelate(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
              int32_t DoneX, int32_t DoneY, int32_t Percent) {
  // The first half blows the old picture up around the centre, the second half shrinks a
  // blow-up of the new picture back; f is the crop factor in percent of the progress.
  const Bitmap32* source = &Target;
  int32_t f, dx, dy;
  if (Percent > 50) {
    source = &NewImage;
    f = MulDiv(Percent - 100, 82, 50) + 180;
    dx = Width - DoneX;
    dy = Height - DoneY;
  } else {
    f = 180 - MulDiv(Percent, 82, 50);
    dx = DoneX;
    dy = DoneY;
  }
  const int32_t xs = MulDiv(dx, f, 100), ys = MulDiv(dy, f, 100);
  const int32_t sw = std::max(Width - 2 * xs, 2), sh = std::max(Height - 2 * ys, 2);
  if (Percent > 40 && Percent < 60) {
    BlendRect(Target, NewImage, 5 * Percent - 200, xs, ys, sw, sh);
    source = &Target;
  }
  StretchBlt(Target, -2 * xs, -2 * ys, Width + 4 * xs, Height + 4 * ys, *source, xs, ys, sw, sh);
}

void Dissolve(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
              int32_t /*DoneX*/, int32_t /*DoneY*/, int32_t Percent) {
  const int32_t w = std::min({Width, Target.Width(), NewImage.Width()});
  const int32_t h = std::min({Height, Target.Height(), NewImage.Height()});
  if (w <= 0 || h <= 0 || Percent <= 0) return;
  if (Percent >= 100) {  // every draw is below 100
    for (int32_t y = 0; y < h; ++y) std::memcpy(Target.Row(y), NewImage.Row(y), static_cast<size_t>(w) * 4);
    return;
  }
  const uint32_t threshold = ShowThreshold(Percent);
  // Row y takes draws (H - 1 - y) * W + 1 onward. The rows are walked from the top, where
  // memory is read forward, so the state starts (H - 1) rows of draws ahead and steps one row
  // back per row.
  const Jump rowBack = Inverse(JumpAhead(Width));
  [[maybe_unused]] const Jump sixteen = JumpAhead(16);
  const Jump toTop = JumpAhead(int64_t{Width} * (Height - 1));
  uint32_t seed = toTop.a * static_cast<uint32_t>(Width + Height) + toTop.c;
  for (int32_t y = 0; y < h; ++y, seed = rowBack.a * seed + rowBack.c) {
    uint32_t* t = Target.Row(y);
    const uint32_t* n = NewImage.Row(y);
    int32_t x = 0;
#if KX_TRANSITIONS_SSE2
    // Sixteen pixels a round, in four vectors whose lane i holds the state drawn for pixel
    // x + 4v + i; each vector jumps sixteen steps ahead, and the four chains run side by side.
    const __m128i a16 = _mm_set1_epi32(static_cast<int>(sixteen.a)), c16 = _mm_set1_epi32(static_cast<int>(sixteen.c));
    const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i limit = _mm_set1_epi32(static_cast<int>(threshold ^ 0x80000000u));
    alignas(16) uint32_t start[16];
    for (uint32_t k = 0, st = seed; k < 16; ++k) start[k] = st = NextState(st);
    __m128i states[4];
    for (int v = 0; v < 4; ++v) states[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(start + 4 * v));
    for (; x + 16 <= w; x += 16) {
      for (int v = 0; v < 4; ++v) {
        const __m128i show = _mm_cmplt_epi32(_mm_xor_si128(states[v], flip), limit);  // unsigned <
        const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + x + 4 * v));
        const __m128i nv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n + x + 4 * v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + x + 4 * v),
                         _mm_or_si128(_mm_and_si128(show, nv), _mm_andnot_si128(show, tv)));
        states[v] = _mm_add_epi32(MulLow32(states[v], a16), c16);
      }
    }
    alignas(16) uint32_t drawn[16];
    for (int v = 0; v < 4; ++v) _mm_store_si128(reinterpret_cast<__m128i*>(drawn + 4 * v), states[v]);
    for (int32_t i = 0; x < w; ++x, ++i)
      if (drawn[i] < threshold) t[x] = n[x];
#else
    uint32_t state = seed;
    for (; x < w; ++x) {
      state = NextState(state);
      if (state < threshold) t[x] = n[x];
    }
#endif
  }
}

void RotateBitmap(Bitmap32& Target, const Bitmap32& NewImage, int32_t PivotX, long double Angle,
                  int32_t PivotRow) {
  const int64_t s = static_cast<int64_t>(std::trunc(65536.0L * std::sin(-Angle)));
  const int64_t c = static_cast<int64_t>(std::trunc(65536.0L * std::cos(-Angle)));
  const int32_t W = Target.Width(), H = Target.Height();
  const int64_t srcW = NewImage.Width(), srcH = NewImage.Height();
  if (W == 0 || H == 0 || srcW == 0 || srcH == 0) return;
  // Target pixel (x, m) with f = x + 1 - PivotX, e = m + 1 - PivotRow reads
  //   sx = PivotX + floor((f c - e s) / 65536), sm = PivotRow + floor((f s + e c) / 65536).
  // Along a row f rises by 1, so both numerators rise by c and s; the columns whose source
  // lies inside NewImage form one run, found by solving the two linear bounds, and the run is
  // copied without further tests. (No random draws here, so rows go in any order: from the
  // top, which reads memory forward.)
  const int64_t loX = -int64_t{PivotX} * 65536, hiX = (srcW - PivotX) * 65536;
  const int64_t loM = -int64_t{PivotRow} * 65536, hiM = (srcH - PivotRow) * 65536;
  const int64_t f0 = 1 - int64_t{PivotX};
  const uint32_t* src = NewImage.Data();
  // Index of source pixel (sx, sm) = (srcH - 1 - sm) * srcW + sx.
  const int64_t base = (srcH - 1 - PivotRow) * srcW + PivotX;
  for (int32_t y = 0; y < H; ++y) {
    const int64_t e = (H - 1 - y) + 1 - int64_t{PivotRow};
    const int64_t ax0 = f0 * c - e * s, ay0 = f0 * s + e * c;
    int64_t first = 0, end = W;
    KeepWhereInside(ax0, c, loX, hiX, first, end);
    KeepWhereInside(ay0, s, loM, hiM, first, end);
    uint32_t* t = Target.Row(y);
    int64_t ax = ax0 + first * c, ay = ay0 + first * s;
    for (int64_t x = first; x < end; ++x, ax += c, ay += s) t[x] = src[base + (ax >> 16) - (ay >> 16) * srcW];
  }
}

void PivotSteps(bool rightColumn, bool topRow, Bitmap32& Target, const Bitmap32& NewImage,
                int32_t Width, int32_t Height, int32_t Percent) {
  // A quarter turn at P = 0 falling to none at P = 100; the turning sense depends on the
  // corner so that the picture always swings in over the screen.
  const long double angle = (rightColumn == topRow ? (100 - Percent) : (Percent - 100)) * kPi / 200;
  RotateBitmap(Target, NewImage, rightColumn ? Width : -1, angle, topRow ? Height : -1);
}

void RandomBarsSteps(bool vertical, Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                     int32_t Height, int32_t Percent) {
  const int32_t w = std::min({Width, Target.Width(), NewImage.Width()});
  const int32_t h = std::min({Height, Target.Height(), NewImage.Height()});
  if (w <= 0 || h <= 0) return;
  uint32_t seed = static_cast<uint32_t>(Width + Height);
  auto shown = [&] {
    seed = NextState(seed);
    return static_cast<int64_t>(Below(seed, 100)) < Percent;
  };
  if (!vertical) {
    for (int32_t y = Height - 1; y >= 0; --y)
      if (shown() && y < h) std::memcpy(Target.Row(y), NewImage.Row(y), static_cast<size_t>(w) * 4);
    return;
  }
  // Columns: decide them all first, then take the chosen ones row by row through a mask.
  thread_local std::vector<uint32_t> mask;
  mask.assign(static_cast<size_t>(w), 0);
  bool any = false;
  for (int32_t x = 0; x < Width; ++x) {
    if (shown() && x < w) {
      mask[x] = 0xFFFFFFFFu;
      any = true;
    }
  }
  if (!any) return;
  for (int32_t y = 0; y < h; ++y)
    pixelops::SelectSpan(Target.Row(y), NewImage.Row(y), mask.data(), static_cast<size_t>(w));
}

}  // namespace kx
