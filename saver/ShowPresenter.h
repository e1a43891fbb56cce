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
//
// A frame that fills the whole surface (every scaled frame; an unscaled frame of the
// screen's size at (0, 0)) is not copied: it is handed to the window as it is and stands
// for the surface until something else is presented, so a scene's frame travels to the
// display with one copy less. Whoever presented such a frame calls HoldShownFrame before the
// frame changes or goes (a new item, a transition, the end of the show).
#include "imaging/Bitmap32.h"
#include "saver/ItemFit.h"
#include "saver/SaverWindowPort.h"

namespace kx {

class TShowPresenter {
 public:
  explicit TShowPresenter(SaverWindowPort& window) : window_(window) {}
  TShowPresenter(const TShowPresenter&) = delete;  // shown_ may point at its own surface
  TShowPresenter& operator=(const TShowPresenter&) = delete;

  // Takes the screen size and chooses the way: scaled when `directX` is asked for and the
  // window can start it, else unscaled. The unscaled surface starts black.
  void Start(bool directX);

  bool DirectXActive() const { return directX_; }
  ItemSize Screen() const { return screen_; }

  // A 32-bit frame at (x, y); the scaled way ignores the position. False when the frame did
  // not reach the display (the scaled way skips frames while the window cannot draw).
  // `changed`, when given, names the rows in which `frame` differs from the last frame
  // presented, which must be this same bitmap at the same place (it is ignored otherwise).
  bool PresentBitmap32(const Bitmap32& frame, int32_t x, int32_t y, const ChangedRows* changed = nullptr);
  // A transition buffer at (x, y), presented as a frame is.
  void PresentBitmap(const Bitmap32& bitmap, int32_t x, int32_t y);
  // Unscaled way: the whole window becomes black (shown with the next frame). The scaled
  // display is always covered by the next frame, so there it does nothing.
  void FillBlack();
  // Scaled way: the surface takes the bitmap's size and content without being shown.
  void LoadSurface(const Bitmap32& bitmap);

  // Copies a frame that stands for the surface into the surface itself, and has the window
  // hold that: the frame presented last may change or go afterwards.
  void HoldShownFrame();

  // What the display shows now.
  const Bitmap32& Surface() const { return *shown_; }
  ItemSize SurfaceSize() const { return {shown_->Width(), shown_->Height()}; }

 private:
  void CopyToSurface(const Bitmap32& frame, int32_t x, int32_t y);
  // Presents a frame that fills the whole surface, without copying it.
  void PresentWhole(const Bitmap32& frame, bool scaled, const ChangedRows* changed);
  // Makes the surface itself what is shown again (after a whole frame stood for it).
  void TakeBackSurface(bool copyShown);

  SaverWindowPort& window_;
  bool directX_ = false;
  ItemSize screen_;
  Bitmap32 surface_;
  const Bitmap32* shown_ = &surface_;  // surface_, or the whole frame that stands for it
  // Unscaled: the frame copied last and where, and its changed rows moved to that place.
  const Bitmap32* copied_ = nullptr;
  int32_t copiedX_ = 0, copiedY_ = 0;
  ChangedRows surfaceChanged_;
};

// Copies `source` onto `target` with its top-left corner at (x, y), clipped to the target.
void CopyClipped(const Bitmap32& source, Bitmap32& target, int32_t x, int32_t y);

}  // namespace kx
