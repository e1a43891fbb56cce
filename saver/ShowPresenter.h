#pragma once
// The two ways frames reach the display, chosen once when the show starts:
//
// - Unscaled ("GDI"): the display surface has the size of the screen and stands for the
//   window's content. A frame is copied onto it unscaled at its offset (clipped to the
//   screen; pixels outside the frame keep what was there), then the surface is shown.
// - Scaled ("DirectDraw"): frames are rendered at a reduced size; the surface takes each
//   presented frame as it is and the window scales it to the whole display. The surface is
//   the last presented frame, so it can be read back when a transition starts. A frame that
//   arrives while the window cannot draw is skipped.
//
// In both ways the surface is what the display shows now: a transition reads its old picture
// from it.
#include "imaging/Bitmap32.h"
#include "saver/ItemFit.h"
#include "saver/SaverWindowPort.h"

namespace kx {

class TShowPresenter {
 public:
  explicit TShowPresenter(SaverWindowPort& window) : window_(window) {}

  // Takes the screen size and chooses the way: scaled when `directX` is asked for and the
  // window can start it, else unscaled. The unscaled surface starts black.
  void Start(bool directX);

  bool DirectXActive() const { return directX_; }
  ItemSize Screen() const { return screen_; }

  // A 32-bit frame at (x, y); the scaled way ignores the position. False when the frame did
  // not reach the display (the scaled way skips frames while the window cannot draw).
  bool PresentBitmap32(const Bitmap32& frame, int32_t x, int32_t y);
  // A transition buffer at (x, y); the scaled way loads it into the surface whole.
  void PresentBitmap(const Bitmap32& bitmap, int32_t x, int32_t y);
  // Unscaled way: the whole window becomes black (shown with the next frame). The scaled
  // display is always covered by the next frame, so there it does nothing.
  void FillBlack();
  // Scaled way: the surface takes the bitmap's size and content without being shown.
  void LoadSurface(const Bitmap32& bitmap);

  // What the display shows now.
  const Bitmap32& Surface() const { return surface_; }
  ItemSize SurfaceSize() const { return {surface_.Width(), surface_.Height()}; }

 private:
  void CopyToSurface(const Bitmap32& frame, int32_t x, int32_t y);

  SaverWindowPort& window_;
  bool directX_ = false;
  ItemSize screen_;
  Bitmap32 surface_;
};

// Copies `source` onto `target` with its top-left corner at (x, y), clipped to the target.
void CopyClipped(const Bitmap32& source, Bitmap32& target, int32_t x, int32_t y);

}  // namespace kx
