#include "saver/ShowPresenter.h"

#include <algorithm>
#include <cstring>

namespace kx {

namespace {
constexpr uint32_t kBlack = Rgb(0, 0, 0);

// Rows firstRow .. lastRow of `source`, placed as CopyClipped places the whole of it.
void CopyRowsClipped(const Bitmap32& source, Bitmap32& target, int32_t x, int32_t y, int32_t firstRow,
                     int32_t lastRow) {
  const int32_t left = std::max(0, x), top = std::max({0, y, y + firstRow});
  const int32_t right = std::min(target.Width(), x + source.Width());
  const int32_t bottom = std::min({target.Height(), y + source.Height(), y + lastRow + 1});
  if (left >= right || top >= bottom) return;
  const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
  for (int32_t row = top; row < bottom; ++row)
    std::memcpy(target.Row(row) + left, source.Row(row - y) + (left - x), bytes);
}
}  // namespace

void CopyClipped(const Bitmap32& source, Bitmap32& target, int32_t x, int32_t y) {
  CopyRowsClipped(source, target, x, y, 0, source.Height() - 1);
}

void TShowPresenter::Start(bool directX) {
  screen_ = window_.ScreenSize();
  directX_ = directX && window_.StartScaledPresentation();
  if (directX_) {
    surface_.SetSize(0, 0);
  } else {
    surface_.SetSize(screen_.Width, screen_.Height, kBlack);
  }
  shown_ = &surface_;
  copied_ = nullptr;
  window_.Retarget(surface_);
}

void TShowPresenter::CopyToSurface(const Bitmap32& frame, int32_t x, int32_t y) {
  if (frame.Width() == surface_.Width() && frame.Height() == surface_.Height() && x == 0 && y == 0) {
    if (!frame.Empty()) std::memcpy(surface_.Data(), frame.Data(), frame.PixelCount() * sizeof(uint32_t));
    return;
  }
  CopyClipped(frame, surface_, x, y);
}

void TShowPresenter::TakeBackSurface(bool copyShown) {
  if (shown_ == &surface_) return;
  if (copyShown) {
    if (surface_.Width() != shown_->Width() || surface_.Height() != shown_->Height())
      surface_.SetSize(shown_->Width(), shown_->Height());
    CopyToSurface(*shown_, 0, 0);
  }
  shown_ = &surface_;
  window_.Retarget(surface_);
}

void TShowPresenter::HoldShownFrame() {
  TakeBackSurface(true);
  copied_ = nullptr;
}

void TShowPresenter::LoadSurface(const Bitmap32& bitmap) {
  if (!directX_) return;
  TakeBackSurface(false);
  copied_ = nullptr;
  if (surface_.Width() != bitmap.Width() || surface_.Height() != bitmap.Height())
    surface_.SetSize(bitmap.Width(), bitmap.Height());
  CopyToSurface(bitmap, 0, 0);
}

void TShowPresenter::PresentWhole(const Bitmap32& frame, bool scaled, const ChangedRows* changed) {
  const bool again = shown_ == &frame;
  shown_ = &frame;
  copied_ = nullptr;
  window_.Present(frame, scaled, again ? changed : nullptr);
}

bool TShowPresenter::PresentBitmap32(const Bitmap32& frame, int32_t x, int32_t y, const ChangedRows* changed) {
  if (changed != nullptr && changed->Height() != frame.Height()) changed = nullptr;
  if (directX_) {
    if (!window_.CanDraw()) return false;
    PresentWhole(frame, true, changed);
    return true;
  }
  if (x == 0 && y == 0 && frame.Width() == surface_.Width() && frame.Height() == surface_.Height()) {
    PresentWhole(frame, false, changed);
    return true;
  }
  // The frame goes onto the surface at its place; when the surface holds this frame's
  // previous content there, only its changed rows are copied and shown.
  const bool again = changed != nullptr && shown_ == &surface_ && copied_ == &frame && copiedX_ == x && copiedY_ == y;
  TakeBackSurface(true);
  if (again) {
    surfaceChanged_.Reset(surface_.Height());
    for (const RowRange& r : changed->Ranges()) {
      CopyRowsClipped(frame, surface_, x, y, r.First, r.Last);
      surfaceChanged_.Mark(y + r.First, y + r.Last);
    }
  } else {
    CopyToSurface(frame, x, y);
  }
  copied_ = &frame;
  copiedX_ = x;
  copiedY_ = y;
  window_.Present(surface_, false, again ? &surfaceChanged_ : nullptr);
  return true;
}

void TShowPresenter::PresentBitmap(const Bitmap32& bitmap, int32_t x, int32_t y) {
  // Both kinds of frame reach the display the same way here.
  PresentBitmap32(bitmap, x, y);
}

void TShowPresenter::FillBlack() {
  if (directX_) return;
  TakeBackSurface(false);
  copied_ = nullptr;
  surface_.Fill(kBlack);
}

}  // namespace kx
