// The water pass of TAnimEngine: the region map, the reflected picture, the column offsets
// and the row renderer.
//
// The wave of region k in row y has the phase argument
//   t = (H - y) x freq x 360 / H + Phase[k],   freq = Waves / (360 / Period)
// so the phase turns by Waves x Period degrees from the bottom row to the top. The row's
// vertical shift is round(cos(round(t) mod Period) x amp) and its sideways sway
// round(cos(round(t) mod 360) x amp). Slanted styles (2 to 5) replace the shift in every
// pixel by one whose argument also grows along the row. A water pixel (x, y) then takes the
// source picture's pixel (x - sway, y + shift) when both that pixel and the destination lie
// in the same region.
//
// This is the hot path of every scene. Rows are reached through row-start tables built at
// the start of the pass; per-region values are computed once per row; a dry pixel costs one
// 16-bit read of the region map; the only per-pixel real arithmetic is the slanted styles'
// argument.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "anim/AnimEngine.h"
#include "base/Random.h"
#include "imaging/Resample.h"
#include "scene/WaterMask.h"

namespace kx {

namespace {

constexpr int32_t kNoRegionTop = 50000;

// round() with halves to even, for values that may lie beyond int32 (an absurd Waves or
// Amplitude); anything not finite or beyond int64 counts as 0.
inline int64_t RoundWide(double v) {
  // Adding and taking away 1.5 x 2^52 rounds to a whole number in the default rounding
  // mode (to nearest, halves to even), without a library call; it is exact below 2^51.
  constexpr double kMagic = 6755399441055744.0;
  if (std::fabs(v) < 2251799813685248.0) return static_cast<int64_t>((v + kMagic) - kMagic);
  if (!(std::fabs(v) < 9.0e18)) return 0;
  return static_cast<int64_t>(std::nearbyint(v));
}

// The remainder with the sign of the dividend; a Period of 0 (which the builder does not
// write) does not wrap.
inline int64_t ModPeriod(int64_t v, int32_t period) {
  if (period == 0) return v;
  if (v == static_cast<int32_t>(v)) return static_cast<int32_t>(v) % period;  // the usual case: a shorter division
  return v % period;
}

// The table index of a whole number of degrees: |v mod 360|. Most periods are at most 360,
// so the remainder by the period usually lies in range already.
inline size_t CosIndex(int64_t v) {
  if (v >= 360 || v <= -360) v %= 360;
  return static_cast<size_t>(v < 0 ? -v : v);
}

#if defined(__SSE2__)
// Eight pixels: dst takes src where the 16-bit lanes of `take` are all ones.
inline void Select8(uint32_t* dst, const uint32_t* src, __m128i take) {
  const __m128i low = _mm_unpacklo_epi16(take, take), high = _mm_unpackhi_epi16(take, take);
  const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
  const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4));
  const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(_mm_and_si128(low, s0), _mm_andnot_si128(low, d0)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4),
                   _mm_or_si128(_mm_and_si128(high, s1), _mm_andnot_si128(high, d1)));
}

inline __m128i Load8(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
#endif

// dst[i] takes src[i] where mask[i] is k (one mask) or where both masks are k, without a
// branch per pixel: whether a shifted source pixel is water of the same region changes along
// the wave and cannot be predicted.
inline void MaskedCopy(uint32_t* dst, const uint32_t* src, const int16_t* mask, int16_t k, int n) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i kk = _mm_set1_epi16(k);
  for (; i + 8 <= n; i += 8) Select8(dst + i, src + i, _mm_cmpeq_epi16(Load8(mask + i), kk));
#endif
  for (; i < n; ++i) dst[i] = mask[i] == k ? src[i] : dst[i];
}
inline void MaskedCopy2(uint32_t* dst, const uint32_t* src, const int16_t* maskA, const int16_t* maskB,
                        int16_t k, int n) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i kk = _mm_set1_epi16(k);
  for (; i + 8 <= n; i += 8)
    Select8(dst + i, src + i, _mm_and_si128(_mm_cmpeq_epi16(Load8(maskA + i), kk), _mm_cmpeq_epi16(Load8(maskB + i), kk)));
#endif
  for (; i < n; ++i) dst[i] = ((maskA[i] == k) & (maskB[i] == k)) ? src[i] : dst[i];
}

// The first x from `x` on (at most w) whose map entry is not k: the end of a run of one
// region, or of dry land with k = -1. Eight entries are compared at a time.
inline int RunEnd(const int16_t* row, int x, int w, int16_t k) {
#if defined(__SSE2__)
  const __m128i kk = _mm_set1_epi16(k);
  for (; x + 8 <= w; x += 8) {
    const int same = _mm_movemask_epi8(_mm_cmpeq_epi16(Load8(row + x), kk));
    if (same != 0xFFFF) return x + __builtin_ctz(static_cast<unsigned>(~same)) / 2;
  }
#endif
  while (x < w && row[x] == k) ++x;
  return x;
}

// A wave record that moves nothing: regions whose record is missing copy onto themselves.
const TWaveParam kStillWave{};

// The per-frame state of one region.
struct RegionWave {
  const TWaveParam* param = &kStillWave;
  bool inRows = false;     // the region has pixels at all
  bool animated = false;
  bool sway = false;
  bool slant = false;      // styles 2 .. 5: the shift grows along the row
  bool mirrored = false;   // styles 2 and 5: it grows with W - 1 - x
  bool offsetRows = false; // styles below 2: the column offset moves both rows
  bool perspective = false;
  int32_t period = 360;
  int32_t phase = 0;
  double amp = 0, freq = 0, ampStep = 0, freqStep = 0;
  const int32_t* offsets = nullptr;
  // Every column offset is 0 and the shift does not vary along the row: the whole row of
  // the region moves as one (the fast path).
  bool uniformRow = false;
  // This row's values.
  int32_t shift = 0;
  int32_t swayShift = 0;
};

}  // namespace

const Bitmap32& TAnimEngine::FittedMask() {
  const int w = Picture != nullptr ? Picture->Width() : 0;
  const int h = Picture != nullptr ? Picture->Height() : 0;
  if (WaterMask != nullptr && WaterMask->Width() == w && WaterMask->Height() == h) return *WaterMask;
  if (WaterMask != nullptr && !WaterMask->Empty() && w > 0 && h > 0) {
    fittedMask_ = ResizeNearest(*WaterMask, w, h);
  } else {
    fittedMask_.SetSize(w, h, 0);  // no mask: all dry
  }
  return fittedMask_;
}

void TAnimEngine::BuildRegionMap() {
  RegionTop.fill(kNoRegionTop);
  RegionBottom.fill(0);
  const int w = Picture != nullptr ? Picture->Width() : 0;
  const int h = Picture != nullptr ? Picture->Height() : 0;
  RegionMap.assign(static_cast<size_t>(w) * h, -1);
  RowRegion.assign(static_cast<size_t>(h), -2);
  const Bitmap32& mask = FittedMask();
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = mask.Row(y);
    int16_t* out = RegionMap.data() + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      const int r = RegionOfMaskPixel(row[x]);
      if (r == 0) continue;
      const size_t k = static_cast<size_t>(r - 1);
      RegionTop[k] = std::min(RegionTop[k], y);
      RegionBottom[k] = std::max(RegionBottom[k], y);
      out[x] = static_cast<int16_t>(k);
    }
  }
  for (int y = 0; y < h; ++y) {
    const int16_t* row = RegionMap.data() + static_cast<size_t>(y) * w;
    if (w > 0 && row[0] >= 0 && std::all_of(row, row + w, [&](int16_t k) { return k == row[0]; }))
      RowRegion[static_cast<size_t>(y)] = row[0];
  }
}

void TAnimEngine::BuildReflection() {
  if (Picture == nullptr) return;
  ReflectedPicture = *Picture;
  const int w = Picture->Width();
  const int h = Picture->Height();
  const Bitmap32& mask = FittedMask();
  // First row of each region, found while scanning top to bottom; the region mirrors the
  // picture about the line just above that row.
  std::array<int, kMaskWaterRegions + 1> top;
  top.fill(-1);
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = mask.Row(y);
    uint32_t* out = ReflectedPicture.Row(y);
    for (int x = 0; x < w; ++x) {
      const int r = RegionOfMaskPixel(row[x]);
      if (r == 0) continue;
      const TWaveParam* p = WaveParams[static_cast<size_t>(r - 1)];
      if (p == nullptr || p->Reflection == 0) continue;
      if (top[static_cast<size_t>(r)] == -1) top[static_cast<size_t>(r)] = y;
      const int sy = 2 * top[static_cast<size_t>(r)] - y - 1;
      if (sy >= 0) out[x] = Picture->Pixel(x, sy);
    }
  }
}

void TAnimEngine::BuildColumnOffsets() {
  const int w = Picture != nullptr ? Picture->Width() : 0;
  for (int k = 0; k < kWaveParamCount; ++k) {
    std::vector<int32_t>& offsets = ColumnOffset[static_cast<size_t>(k)];
    offsets.assign(static_cast<size_t>(w), 0);
    const TWaveParam* p = WaveParams[static_cast<size_t>(k)];
    const int32_t jitter = p != nullptr ? std::max(0, p->Jitter) : 0;
    for (int x = 0; x < w; ++x) offsets[static_cast<size_t>(x)] = RandomBelow(jitter);
  }
}

bool TAnimEngine::WaterReady() const {
  if (Picture == nullptr || Picture->Empty()) return false;
  const int w = Picture->Width();
  const int h = Picture->Height();
  const Bitmap32& source = UseReflection ? ReflectedPicture : *Picture;
  if (WaterFrame.Width() != w || WaterFrame.Height() != h) return false;
  if (source.Width() != w || source.Height() != h) return false;
  if (RegionMap.size() != static_cast<size_t>(w) * h || RowRegion.size() != static_cast<size_t>(h)) return false;
  for (const auto& offsets : ColumnOffset) {
    if (offsets.size() != static_cast<size_t>(w)) return false;
  }
  return true;
}

void TAnimEngine::RenderWater(uint32_t dtMs) {
  if (WaterReady()) {
    const int w = Picture->Width();
    const int h = Picture->Height();
    const Bitmap32& source = UseReflection ? ReflectedPicture : *Picture;
    mapRows_.resize(static_cast<size_t>(h));
    sourceRows_.resize(static_cast<size_t>(h));
    frameRows_.resize(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
      mapRows_[static_cast<size_t>(y)] = RegionMap.data() + static_cast<size_t>(y) * w;
      sourceRows_[static_cast<size_t>(y)] = source.Row(y);
      frameRows_[static_cast<size_t>(y)] = WaterFrame.Row(y);
    }

    // Shifts beyond the picture clamp to its edge anyway; bounding them keeps sums in range.
    const int32_t rowLimit = h;
    const int32_t colLimit = w;
    RegionWave regions[kWaveParamCount];
    int active[kWaveParamCount];
    int activeCount = 0;
    int32_t lowestOffset = 0, highestOffset = 0;
    for (int k = 0; k < kWaveParamCount; ++k) {
      RegionWave& r = regions[k];
      if (WaveParams[static_cast<size_t>(k)] != nullptr) r.param = WaveParams[static_cast<size_t>(k)];
      const TWaveParam& p = *r.param;
      r.inRows = RegionTop[static_cast<size_t>(k)] <= RegionBottom[static_cast<size_t>(k)];
      r.animated = p.Animated != 0;
      r.sway = p.Sway != 0;
      r.slant = p.Style >= 2 && p.Style <= 5;
      r.mirrored = p.Style == 2 || p.Style == 5;
      r.offsetRows = p.Style < 2;
      r.perspective = p.Perspective != 0;
      r.period = p.Period;
      r.phase = Phase[static_cast<size_t>(k)];
      r.offsets = ColumnOffset[static_cast<size_t>(k)].data();
      r.amp = p.Amplitude;
      r.freq = p.Waves / (360.0 / p.Period);
      if (!std::isfinite(r.freq)) r.freq = 0;
      if (r.perspective) {
        // Flat at the region's top row, growing to full height at its bottom row while the
        // frequency falls.
        r.amp = 0;
        const int32_t rows = RegionBottom[static_cast<size_t>(k)] - RegionTop[static_cast<size_t>(k)];
        if (rows != 0) {
          r.ampStep = static_cast<double>(p.Amplitude) / rows;
          r.freqStep = r.freq / rows;
        } else {
          r.ampStep = p.Amplitude;
          r.freqStep = r.freq;
        }
      }
      const std::vector<int32_t>& offsets = ColumnOffset[static_cast<size_t>(k)];
      const bool zeroOffsets = std::all_of(offsets.begin(), offsets.end(), [](int32_t o) { return o == 0; });
      r.uniformRow = zeroOffsets && !(r.animated && r.slant);
      if (r.inRows) {
        active[activeCount++] = k;
        if (!zeroOffsets) {
          const auto [least, most] = std::minmax_element(offsets.begin(), offsets.end());
          lowestOffset = std::min(lowestOffset, *least);
          highestOffset = std::max(highestOffset, *most);
        }
      }
    }

    // Copying finished rows into a second bitmap. A row is finished once no later row can
    // write into it: the column offsets move writes up by at most highestOffset rows.
    int32_t mirrorTop = 0, mirrorBottom = -1;
    Bitmap32* mirror = mirrorTo_;
    if (mirror != nullptr && (mirror->Width() != w || mirror->Height() != h || lowestOffset < 0)) mirror = nullptr;
    if (mirror != nullptr) WaterRows(mirrorTop, mirrorBottom);
    const int32_t lag = std::clamp(highestOffset, 0, h);
    auto mirrorRow = [&](int32_t row) {
      if (row >= mirrorTop && row <= mirrorBottom) {
        std::memcpy(mirror->Row(row), frameRows_[static_cast<size_t>(row)], static_cast<size_t>(w) * sizeof(uint32_t));
      }
    };

    const int16_t* rowRegions = RowRegion.data();

    // Rows without water are not visited: no region moves anything there.
    int32_t firstRow = h, lastRow = -1;
    for (int i = 0; i < activeCount; ++i) {
      firstRow = std::min(firstRow, RegionTop[static_cast<size_t>(active[i])]);
      lastRow = std::max(lastRow, RegionBottom[static_cast<size_t>(active[i])]);
    }
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, h - 1);
    for (int y = firstRow; y <= lastRow; ++y) {
      for (int i = 0; i < activeCount; ++i) {
        const int k = active[i];
        if (y < RegionTop[static_cast<size_t>(k)] || y > RegionBottom[static_cast<size_t>(k)]) continue;
        RegionWave& r = regions[k];
        if (r.perspective) {
          r.amp += r.ampStep;
          r.freq -= 0.8 * r.freqStep;
        }
        const double t = static_cast<double>(h - y) * r.freq * 360 / h + r.phase;
        const int64_t rt = RoundWide(t);
        const double cosShift = CosTable[CosIndex(ModPeriod(rt, r.period))];
        r.shift = static_cast<int32_t>(std::clamp<int64_t>(RoundWide(cosShift * r.amp), -rowLimit, rowLimit));
        if (r.sway) {
          // The table holds the exact cosine of every whole degree.
          const double cosSway = CosTable[CosIndex(rt)];
          r.swayShift = static_cast<int32_t>(std::clamp<int64_t>(RoundWide(cosSway * r.amp), -colLimit, colLimit));
        }
      }

      const int16_t* mapRow = mapRows_[static_cast<size_t>(y)];
      uint32_t* frameRow = frameRows_[static_cast<size_t>(y)];
      const double slantRow = h - y / 2.0;

      // The pixel step for any region, one pixel at a time.
      auto pixelStep = [&](RegionWave& r, int16_t k, int x) {
        const int32_t offset = r.offsets[x];
        int32_t srcY;
        if (r.animated) {
          if (r.slant) {
            const double xs = r.mirrored ? static_cast<double>(w - 1 - x) : static_cast<double>(x);
            const int64_t a = RoundWide(xs * r.freq / 2 * slantRow / h + r.phase);
            const double c = CosTable[CosIndex(ModPeriod(a, r.period))];
            r.shift = static_cast<int32_t>(std::clamp<int64_t>(RoundWide(c * r.amp), -rowLimit, rowLimit));
          }
          srcY = y + r.shift;
          if (r.offsetRows) srcY -= offset;
        } else {
          srcY = y - offset;
        }
        int32_t dstY = r.offsetRows ? y - offset : y;
        srcY = std::clamp(srcY, 0, h - 1);
        dstY = std::clamp(dstY, 0, h - 1);
        int32_t srcX = x;
        if (r.sway) srcX = std::clamp(x - r.swayShift, 0, w - 1);
        // Only water of the same region moves: the source pixel and the destination row
        // must both lie in region k. The destination pixel itself must too, so that a
        // shifted row never paints over the shore.
        const int16_t* dstMap = mapRows_[static_cast<size_t>(dstY)];
        if (dstMap[srcX] != k || mapRows_[static_cast<size_t>(srcY)][srcX] != k) return;
        if (dstY != y && dstMap[x] != k) return;
        frameRows_[static_cast<size_t>(dstY)][x] = sourceRows_[static_cast<size_t>(srcY)][srcX];
      };

      // A run of one region's pixels whose row moves as one: every pixel takes the source
      // row srcY, moved sideways by the sway, where the source is of the same region.
      auto uniformRun = [&](RegionWave& r, int16_t k, int x0, int x1) {
        const int32_t srcY = std::clamp(r.animated ? y + r.shift : y, 0, h - 1);
        const int16_t* srcMap = mapRows_[static_cast<size_t>(srcY)];
        const uint32_t* src = sourceRows_[static_cast<size_t>(srcY)];
        const int32_t sw = r.sway ? r.swayShift : 0;
        // Rows wholly of region k need no look at the map.
        const bool srcWhole = rowRegions[srcY] == k;
        if (sw == 0) {
          // The destination lies in the run, so only the source needs testing.
          if (srcY == y || srcWhole) {
            std::copy(src + x0, src + x1, frameRow + x0);
          } else {
            MaskedCopy(frameRow + x0, src + x0, srcMap + x0, k, x1 - x0);
          }
          return;
        }
        // Columns whose source x - sw lies inside the row move as a block; the rest clamp
        // to the edge column.
        const int lo = std::clamp(sw, x0, x1);
        const int hi = std::clamp(w + sw, lo, x1);
        for (int x = x0; x < lo; ++x) pixelStep(r, k, x);
        if (srcWhole && rowRegions[y] == k) {
          std::copy(src + lo - sw, src + hi - sw, frameRow + lo);
        } else {
          MaskedCopy2(frameRow + lo, src + lo - sw, mapRow + lo - sw, srcMap + lo - sw, k, hi - lo);
        }
        for (int x = hi; x < x1; ++x) pixelStep(r, k, x);
      };

      // A run of a slanted region while the waves move: the shift changes from pixel to
      // pixel, the destination row is always y and no column offset applies.
      auto slantRun = [&](RegionWave& r, int16_t k, int x0, int x1) {
        // Locals, so that the frame stores do not make the compiler reload them.
        const int32_t sw = r.sway ? r.swayShift : 0;
        const bool mirrored = r.mirrored;
        const double freq = r.freq, amp = r.amp, phase = r.phase;
        const int32_t period = r.period;
        const int16_t* const* maps = mapRows_.data();
        const uint32_t* const* sources = sourceRows_.data();
        int32_t shift = r.shift;
        for (int x = x0; x < x1; ++x) {
          const double xs = mirrored ? static_cast<double>(w - 1 - x) : static_cast<double>(x);
          const int64_t a = RoundWide(xs * freq / 2 * slantRow / h + phase);
          const double c = CosTable[CosIndex(ModPeriod(a, period))];
          shift = static_cast<int32_t>(std::clamp<int64_t>(RoundWide(c * amp), -rowLimit, rowLimit));
          const int32_t srcY = std::clamp(y + shift, 0, h - 1);
          const int32_t srcX = std::clamp(x - sw, 0, w - 1);
          // Chosen without a branch: whether the source is water of k changes along the
          // wave and cannot be predicted.
          const bool same = (mapRow[srcX] == k) & (maps[srcY][srcX] == k);
          const uint32_t moved = sources[srcY][srcX];
          frameRow[x] = same ? moved : frameRow[x];
        }
        r.shift = shift;
      };

      int x = 0;
      while (x < w) {
        int16_t k = rowRegions[y];
        int end = w;  // a row wholly of one region is one run
        if (k < 0) {
          x = RunEnd(mapRow, x, w, -1);  // dry land
          if (x >= w) break;
          k = mapRow[x];
          if (k < 0) {
            ++x;
            continue;
          }
          end = RunEnd(mapRow, x + 1, w, k);
        }
        RegionWave& r = regions[k];
        if (r.animated && r.slant) {
          slantRun(r, k, x, end);
        } else if (r.uniformRow) {
          uniformRun(r, k, x, end);
        } else {
          for (int i = x; i < end; ++i) pixelStep(r, k, i);
        }
        x = end;
      }
      if (mirror != nullptr) mirrorRow(y - lag);
    }
    if (mirror != nullptr) {
      // The rows the loop above has not copied yet.
      for (int32_t row = std::max({0, lastRow + 1 - lag, firstRow}); row < h; ++row) mirrorRow(row);
      waterMirrored_ = true;
    }
  }

  // Advance the phases: Speed degrees per 50 ms at 100 percent animation speed.
  for (int k = 0; k < kWaveParamCount; ++k) {
    const TWaveParam* p = WaveParams[static_cast<size_t>(k)];
    if (p == nullptr) continue;
    const int64_t delta = RoundWide(static_cast<double>(p->Speed) * dtMs / 50 * Speed / 100);
    uint32_t phase = static_cast<uint32_t>(Phase[static_cast<size_t>(k)]);
    const bool decreasing = p->Style == 0 || p->Style == 4 || p->Style == 5;
    phase = decreasing ? phase - static_cast<uint32_t>(delta) : phase + static_cast<uint32_t>(delta);
    Phase[static_cast<size_t>(k)] = static_cast<int32_t>(phase);
  }
}

}  // namespace kx
