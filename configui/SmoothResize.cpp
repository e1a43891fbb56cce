#include "configui/SmoothResize.h"

#include "imaging/Resample.h"

namespace kx {
namespace {

constexpr int64_t kOne = 32768;

Bitmap32 Opaque(Bitmap32 bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint32_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) row[x] |= 0xFF000000u;
  }
  return bitmap;
}

uint32_t Mix(uint32_t p0, uint32_t p1, uint32_t q0, uint32_t q1, int64_t l, int64_t h, int64_t lowLeft, int64_t m) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int64_t value = ((p0 >> shift) & 0xFF) * l + ((p1 >> shift) & 0xFF) * h +
                          ((q0 >> shift) & 0xFF) * lowLeft + ((q1 >> shift) & 0xFF) * m;
    out |= static_cast<uint32_t>(value / kOne) << shift;
  }
  return out;
}

}  // namespace

Bitmap32 SmoothResize(const Bitmap32& source, int width, int height) {
  if (source.Empty() || width < 1 || height < 1) return Bitmap32();
  const int sw = source.Width(), sh = source.Height();
  if (sw == 1) return Opaque(ResizeNearest(source, width, height));
  if (sw == width && sh == height) return Opaque(source);

  Bitmap32 target(width, height);
  const int64_t xstep = (static_cast<int64_t>(sw - 1) * kOne) / width;
  const int64_t ystep = (static_cast<int64_t>(sh - 1) * kOne) / height;
  int64_t sy = 0;
  for (int y = 0; y < height; ++y, sy += ystep) {
    const int r = static_cast<int>(sy / kOne);
    const int64_t fy = sy % kOne;
    const uint32_t* upper = source.Row(r);
    const uint32_t* lower = sh == 1 ? upper : source.Row(r + 1);
    uint32_t* out = target.Row(y);
    int64_t sx = 0;
    for (int x = 0; x < width; ++x, sx += xstep) {
      const int c = static_cast<int>(sx / kOne);
      const int64_t fx = sx % kOne;
      const int64_t h = (fx * (kOne - fy)) / kOne;
      const int64_t l = kOne - fy - h;
      const int64_t m = (fx * fy) / kOne;
      out[x] = Mix(upper[c], upper[c + 1], lower[c], lower[c + 1], l, h, fy - m, m);
    }
  }
  return target;
}

}  // namespace kx
