#include "saver/ShowPresenter.h"

#include <algorithm>
#include <cstring>

namespace kx {

namespace {
constexpr uint32_t kBlack = Rgb(0, 0, 0);
}

void CopyClipped(const Bitmap32& source, Bitmap32& target, int32_t x, int32_t y) {
  const int32_t left = std::max(0, x), top = std::max(0, y);
  const int32_t right = std::min(target.Width(), x + source.Width());
  const int32_t bottom = std::min(target.Height(), y + source.Height());
  if (left >= right || top >= bottom) return;
  const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
  for (int32_t row = top; row < bottom; ++row)
    std::memcpy(target.Row(row) + left, source.Row(row - y) + (left - x), bytes);
}

void TShowPresenter::Start(bool directX) {
  screen_ = window_.ScreenSize();
  directX_ = directX && window_.StartScaledPresentation();
  if (directX_) {
    surface_.SetSize(0, 0);
  } else {
    surface_.SetSize(screen_.Width, screen_.Height, kBlack);
  }
}

void TShowPresenter::CopyToSurface(const Bitmap32& frame, int32_t x, int32_t y) {
  if (frame.Width() == surface_.Width() && frame.Height() == surface_.Height() && x == 0 && y == 0) {
    if (!frame.Empty()) std::memcpy(surface_.Data(), frame.Data(), frame.PixelCount() * sizeof(uint32_t));
    return;
  }
  CopyClipped(frame, surface_, x, y);
}

void TShowPresenter::LoadSurface(const Bitmap32& bitmap) {
  if (!directX_) return;
  if (surface_.Width() != bitmap.Width() || surface_.Height() != bitmap.Height())
    surface_.SetSize(bitmap.Width(), bitmap.Height());
  CopyToSurface(bitmap, 0, 0);
}

bool TShowPresenter::PresentBitmap32(const Bitmap32& frame, int32_t x, int32_t y) {
  if (directX_) {
    if (!window_.CanDraw()) return false;
    LoadSurface(frame);
    window_.Present(surface_, true);
    return true;
  }
  CopyToSurface(frame, x, y);
  window_.Present(surface_, false);
  return true;
}

void TShowPresenter::PresentBitmap(const Bitmap32& bitmap, int32_t x, int32_t y) {
  // Both kinds of frame reach the display the same way here.
  PresentBitmap32(bitmap, x, y);
}

void TShowPresenter::FillBlack() {
  if (!directX_) surface_.Fill(kBlack);
}

}  // namespace kx
