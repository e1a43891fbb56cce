// Separable resampling: one pass along rows, one along columns, through an 8-bit
// intermediate bitmap.
//
// For each target index i the weights are computed once: the target pixel's centre in
// source coordinates is c = (i + 0.5) * scale with scale = source size / target size; the
// kernel is stretched by s = max(scale, 1), so source pixel j gets K((j + 0.5 - c) / s) for
// |j + 0.5 - c| < radius * s. The weights are normalised and turned into 14-bit fixed point
// whose sum is exactly 1 << 14 (the rounding remainder goes to the largest weight).
//
// The column pass accumulates whole rows at a time (accumulator row += weight * source row),
// a loop over contiguous bytes that the compiler vectorises; the row pass walks the taps of
// each target pixel. Which pass runs first is chosen by the smaller amount of work. Both
// passes reuse buffers made once per call: nothing is allocated per pixel or per row.
#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kx {
namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kOne = 1 << kWeightBits;

double Triangle(double x) {
  x = std::fabs(x);
  return x < 1.0 ? 1.0 - x : 0.0;
}

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

double Lanczos3(double x) { return std::fabs(x) < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0; }

// The taps of every target index along one axis.
struct Taps {
  std::vector<int> first;      // first source index of target i
  std::vector<int> count;      // number of taps of target i
  std::vector<int32_t> weight;  // maxTaps weights per target index, fixed point
  int maxTaps = 0;
  double total = 0;  // sum of the tap counts: the work of a pass
};

Taps MakeTaps(int sourceSize, int targetSize, ResampleFilter filter) {
  const double radius = filter == ResampleFilter::Lanczos3 ? 3.0 : 1.0;
  double (*kernel)(double) = filter == ResampleFilter::Lanczos3 ? Lanczos3 : Triangle;
  const double scale = static_cast<double>(sourceSize) / targetSize;
  const double stretch = std::max(scale, 1.0);
  const double support = radius * stretch;
  Taps taps;
  taps.maxTaps = static_cast<int>(std::ceil(support)) * 2 + 1;
  taps.first.resize(targetSize);
  taps.count.resize(targetSize);
  taps.weight.assign(static_cast<size_t>(targetSize) * taps.maxTaps, 0);
  std::vector<double> w(static_cast<size_t>(taps.maxTaps));
  for (int i = 0; i < targetSize; ++i) {
    const double centre = (i + 0.5) * scale;
    int lo = std::max(0, static_cast<int>(std::floor(centre - support + 0.5)));
    int hi = std::min(sourceSize, static_cast<int>(std::floor(centre + support + 0.5)));
    hi = std::min(hi, lo + taps.maxTaps);
    double sum = 0;
    for (int j = lo; j < hi; ++j) {
      w[j - lo] = kernel((j + 0.5 - centre) / stretch);
      sum += w[j - lo];
    }
    if (hi <= lo || sum == 0.0) {
      // No tap carries weight (cannot happen for these kernels, kept for safety): take the
      // nearest source pixel.
      lo = std::clamp(static_cast<int>(centre), 0, sourceSize - 1);
      hi = lo + 1;
      w[0] = 1.0;
      sum = 1.0;
    }
    int32_t* out = taps.weight.data() + static_cast<size_t>(i) * taps.maxTaps;
    int32_t fixedSum = 0;
    int largest = 0;
    for (int j = 0; j < hi - lo; ++j) {
      out[j] = static_cast<int32_t>(std::lround(w[j] / sum * kOne));
      fixedSum += out[j];
      if (out[j] > out[largest]) largest = j;
    }
    out[largest] += kOne - fixedSum;
    taps.first[i] = lo;
    taps.count[i] = hi - lo;
    taps.total += hi - lo;
  }
  return taps;
}

inline uint8_t ClampByte(int32_t acc) {
  const int32_t v = (acc + kOne / 2) >> kWeightBits;
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Row pass: target has the source's height and taps.first.size() columns.
void FilterRows(const Bitmap32& source, Bitmap32& target, const Taps& taps) {
  const int width = target.Width();
  for (int y = 0; y < source.Height(); ++y) {
    const uint8_t* src = reinterpret_cast<const uint8_t*>(source.Row(y));
    uint8_t* dst = reinterpret_cast<uint8_t*>(target.Row(y));
    for (int x = 0; x < width; ++x) {
      const uint8_t* s = src + static_cast<size_t>(taps.first[x]) * 4;
      const int32_t* w = taps.weight.data() + static_cast<size_t>(x) * taps.maxTaps;
      int32_t a0 = 0, a1 = 0, a2 = 0, a3 = 0;
      for (int k = 0, n = taps.count[x]; k < n; ++k, s += 4) {
        a0 += w[k] * s[0];
        a1 += w[k] * s[1];
        a2 += w[k] * s[2];
        a3 += w[k] * s[3];
      }
      dst[4 * x] = ClampByte(a0);
      dst[4 * x + 1] = ClampByte(a1);
      dst[4 * x + 2] = ClampByte(a2);
      dst[4 * x + 3] = ClampByte(a3);
    }
  }
}

// Column pass: target has the source's width and taps.first.size() rows. The rows are
// walked in chunks small enough that the accumulators stay in the first-level cache.
void FilterColumns(const Bitmap32& source, Bitmap32& target, const Taps& taps) {
  constexpr size_t kChunk = 2048;  // bytes of a row per step: 8 KiB of accumulators
  const size_t bytes = source.StrideBytes();
  // Float accumulators hold the same integers as int32 would (every partial sum stays below
  // 2^24, where float is exact) but vectorise far better without SSE4.1's 32-bit multiply.
  float acc[kChunk];
  for (int y = 0; y < target.Height(); ++y) {
    const int32_t* w = taps.weight.data() + static_cast<size_t>(y) * taps.maxTaps;
    const int first = taps.first[y], count = taps.count[y];
    uint8_t* dst = reinterpret_cast<uint8_t*>(target.Row(y));
    for (size_t start = 0; start < bytes; start += kChunk) {
      const size_t n = std::min(kChunk, bytes - start);
      std::fill(acc, acc + n, 0.0f);
      for (int k = 0; k < count; ++k) {
        const uint8_t* src = reinterpret_cast<const uint8_t*>(source.Row(first + k)) + start;
        const float weight = static_cast<float>(w[k]);
        for (size_t i = 0; i < n; ++i) acc[i] += weight * static_cast<float>(src[i]);
      }
      for (size_t i = 0; i < n; ++i) dst[start + i] = ClampByte(static_cast<int32_t>(acc[i]));
    }
  }
}

bool IsOpaque(const Bitmap32& picture) {
  const uint32_t* p = picture.Data();
  return std::all_of(p, p + picture.PixelCount(), [](uint32_t c) { return c >= 0xFF000000u; });
}

Bitmap32 Premultiplied(const Bitmap32& picture) {
  Bitmap32 out(picture.Width(), picture.Height());
  const uint32_t* src = picture.Data();
  uint32_t* dst = out.Data();
  for (size_t i = 0; i < picture.PixelCount(); ++i) {
    const uint32_t c = src[i], a = AlphaOf(c);
    dst[i] = Argb(a, (RedOf(c) * a + 127) / 255, (GreenOf(c) * a + 127) / 255, (BlueOf(c) * a + 127) / 255);
  }
  return out;
}

void Unpremultiply(Bitmap32& picture) {
  uint32_t* p = picture.Data();
  for (size_t i = 0; i < picture.PixelCount(); ++i) {
    const uint32_t c = p[i], a = AlphaOf(c);
    if (a == 0) {
      p[i] = 0;
      continue;
    }
    if (a == 255) continue;
    // Ringing can push a premultiplied channel above its alpha: clamp it first.
    auto un = [a](uint32_t v) { return (std::min(v, a) * 255 + a / 2) / a; };
    p[i] = Argb(a, un(RedOf(c)), un(GreenOf(c)), un(BlueOf(c)));
  }
}

// The source line a target line takes its pixels from: the one under the target line's centre.
int NearestLine(int targetLine, int sourceCount, int targetCount) {
  return static_cast<int>((2 * static_cast<int64_t>(targetLine) + 1) * sourceCount / (2 * static_cast<int64_t>(targetCount)));
}

// Nearest-neighbour scaling of the target rows `rows` allows (all when null).
void NearestRows(const Bitmap32& source, Bitmap32& target, const ChangedRows* sourceRows, ChangedRows* targetRows) {
  const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
  std::vector<int> column(static_cast<size_t>(tw));
  for (int x = 0; x < tw; ++x) column[x] = NearestLine(x, sw, tw);
  for (int y = 0; y < th; ++y) {
    const int from = NearestLine(y, sh, th);
    if (sourceRows != nullptr) {
      if (!sourceRows->IsMarked(from)) continue;
      targetRows->Mark(y, y);
    }
    const uint32_t* src = source.Row(from);
    uint32_t* dst = target.Row(y);
    for (int x = 0; x < tw; ++x) dst[x] = src[column[x]];
  }
}

void NearestInto(const Bitmap32& source, Bitmap32& target) { NearestRows(source, target, nullptr, nullptr); }

void FilterInto(const Bitmap32& source, Bitmap32& target, ResampleFilter filter) {
  const int sw = source.Width(), sh = source.Height(), tw = target.Width(), th = target.Height();
  const bool opaque = IsOpaque(source);
  Bitmap32 premultiplied;
  if (!opaque) premultiplied = Premultiplied(source);
  const Bitmap32& input = opaque ? source : premultiplied;

  const bool rows = sw != tw, columns = sh != th;
  if (!rows && !columns) {
    target = source;
    return;
  }
  const Taps horizontal = rows ? MakeTaps(sw, tw, filter) : Taps();
  const Taps vertical = columns ? MakeTaps(sh, th, filter) : Taps();
  if (rows && columns) {
    // Work of each order: rows first filters sh rows to tw columns, then th rows of tw;
    // columns first filters th rows of sw, then th rows to tw columns.
    const double rowsFirst = horizontal.total * sh + vertical.total * tw;
    const double columnsFirst = vertical.total * sw + horizontal.total * th;
    if (rowsFirst <= columnsFirst) {
      Bitmap32 middle(tw, sh);
      FilterRows(input, middle, horizontal);
      FilterColumns(middle, target, vertical);
    } else {
      Bitmap32 middle(sw, th);
      FilterColumns(input, middle, vertical);
      FilterRows(middle, target, horizontal);
    }
  } else if (rows) {
    FilterRows(input, target, horizontal);
  } else {
    FilterColumns(input, target, vertical);
  }
  if (!opaque) Unpremultiply(target);
}

}  // namespace

void ResampleInto(const Bitmap32& source, Bitmap32& target, ResampleFilter filter) {
  if (source.Empty() || target.Empty()) return;
  if (filter == ResampleFilter::Nearest) NearestInto(source, target);
  else FilterInto(source, target, filter);
}

Bitmap32 Resample(const Bitmap32& source, int width, int height, ResampleFilter filter) {
  if (source.Empty() || width <= 0 || height <= 0) return Bitmap32();
  Bitmap32 target(width, height);
  ResampleInto(source, target, filter);
  return target;
}

void NearestChangedRowsInto(const Bitmap32& source, Bitmap32& target, const ChangedRows& sourceRows,
                             ChangedRows& targetRows) {
  targetRows.Reset(target.Height());
  if (source.Empty() || target.Empty()) return;
  NearestRows(source, target, &sourceRows, &targetRows);
}

std::vector<uint8_t> ResizeNearestPlane(const std::vector<uint8_t>& plane, int sourceWidth, int sourceHeight,
                                        int width, int height) {
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0 ||
      plane.size() != static_cast<size_t>(sourceWidth) * sourceHeight)
    return out;
  out.resize(static_cast<size_t>(width) * height);
  std::vector<int> column(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x)
    column[x] = static_cast<int>((2 * static_cast<int64_t>(x) + 1) * sourceWidth / (2 * static_cast<int64_t>(width)));
  for (int y = 0; y < height; ++y) {
    const uint8_t* src =
        plane.data() + static_cast<size_t>((2 * static_cast<int64_t>(y) + 1) * sourceHeight / (2 * static_cast<int64_t>(height))) * sourceWidth;
    uint8_t* dst = out.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) dst[x] = src[column[x]];
  }
  return out;
}

}  // namespace kx
