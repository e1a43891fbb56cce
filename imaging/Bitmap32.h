#pragma once
// The engine's 32-bit bitmap.
//
// Pixel format, fixed for the whole engine: each pixel is one uint32_t holding 0xAARRGGBB, so
// in memory (little-endian) the bytes are blue, green, red, alpha. This is the memory layout
// of QImage::Format_ARGB32, so a frame can be wrapped by a QImage without a copy. Alpha is
// straight (not premultiplied). Rows are stored top row first, each exactly Width() pixels
// long (the stride is Width() * 4 bytes); code that needs the bottom-up order of the
// transition bitmaps walks the rows from Height() - 1 down.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/LargePages.h"

namespace kx {

class Bitmap32 {
 public:
  Bitmap32() = default;
  Bitmap32(int width, int height, uint32_t fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  size_t PixelCount() const { return pixels_.size(); }
  size_t StrideBytes() const { return static_cast<size_t>(width_) * 4; }

  // Sets a new size; the contents become `fill`. Negative sizes count as 0.
  void SetSize(int width, int height, uint32_t fill = 0);
  void Fill(uint32_t value);

  uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  uint32_t* Data() { return pixels_.data(); }
  const uint32_t* Data() const { return pixels_.data(); }

  uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, uint32_t value) { Row(y)[x] = value; }
  // Bounds-checked forms: outside pixels read as 0 and are not written.
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  uint32_t PixelOr0(int x, int y) const { return Contains(x, y) ? Pixel(x, y) : 0; }

  bool operator==(const Bitmap32& other) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  // Large buffers (full-screen frames) on large memory pages: see base/LargePages.h.
  std::vector<uint32_t, LargePageAllocator<uint32_t>> pixels_;
};

// Colour helpers for 0xAARRGGBB values.
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return Argb(0xFF, r, g, b); }
constexpr uint32_t AlphaOf(uint32_t c) { return c >> 24; }
constexpr uint32_t RedOf(uint32_t c) { return (c >> 16) & 0xFF; }
constexpr uint32_t GreenOf(uint32_t c) { return (c >> 8) & 0xFF; }
constexpr uint32_t BlueOf(uint32_t c) { return c & 0xFF; }
// A Windows colour value 0x00BBGGRR (red in the lowest byte) as an opaque pixel.
constexpr uint32_t FromColorRef(uint32_t colorref) {
  return Rgb(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

}  // namespace kx
