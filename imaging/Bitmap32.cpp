#include "imaging/Bitmap32.h"

#include <algorithm>

namespace kx {

Bitmap32::Bitmap32(int width, int height, uint32_t fill) { SetSize(width, height, fill); }

void Bitmap32::SetSize(int width, int height, uint32_t fill) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (width_ == 0 || height_ == 0) width_ = height_ = 0;
  pixels_.assign(static_cast<size_t>(width_) * height_, fill);
}

void Bitmap32::Fill(uint32_t value) { std::fill(pixels_.begin(), pixels_.end(), value); }

}  // namespace kx
