#pragma once
// Two generated pictures for the effect tests. Every pixel of each is different from every
// other pixel of both, so a frame tells exactly which picture, and which place of it, each
// pixel came from: the old picture has alpha 0x11, the new one 0xEE, and the colour bytes
// spell out the column and row (up to 4096 each).
#include <cstdint>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx::testing {

inline uint32_t OldPixel(int x, int y) {
  return Argb(0x11, x & 0xFF, y & 0xFF, ((x >> 8) & 0xF) | ((y >> 8) << 4));
}
inline uint32_t NewPixel(int x, int y) {
  return Argb(0xEE, y & 0xFF, x & 0xFF, ((y >> 8) & 0xF) | ((x >> 8) << 4));
}

inline Bitmap32 OldPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, OldPixel(x, y));
  return b;
}
inline Bitmap32 NewPicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, NewPixel(x, y));
  return b;
}

// Where a pixel of a frame came from.
struct Origin {
  bool fromNew = false, fromOld = false;
  int x = -1, y = -1;
};
inline Origin OriginOf(uint32_t p) {
  Origin o;
  const uint32_t a = p >> 24, hi = p & 0xFF;
  if (a == 0x11) {
    o.fromOld = true;
    o.x = static_cast<int>(((p >> 16) & 0xFF) | ((hi & 0xF) << 8));
    o.y = static_cast<int>(((p >> 8) & 0xFF) | ((hi >> 4) << 8));
  } else if (a == 0xEE) {
    o.fromNew = true;
    o.y = static_cast<int>(((p >> 16) & 0xFF) | ((hi & 0xF) << 8));
    o.x = static_cast<int>(((p >> 8) & 0xFF) | ((hi >> 4) << 8));
  }
  return o;
}

// The effect rows built so far: block-copy effects and pixel effects.
inline std::vector<int> BlockEffectRows() {
  std::vector<int> rows;
  for (int i = 4; i <= 60; ++i) rows.push_back(i);
  for (int i = 130; i <= 137; ++i) rows.push_back(i);
  return rows;
}
inline std::vector<int> PixelEffectRows() { return {1, 2, 3, 121, 122, 123, 124, 168, 169}; }

}  // namespace kx::testing
