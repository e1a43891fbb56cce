#pragma once
// Block copies between Bitmap32s, limited by an optional clip region: what the transition
// effects need of the platform's drawing calls.
//
// Rules shared by every copy:
//  - Drawing is limited to the destination bitmap, to the clip region when one is given, and
//    to the destination block; source pixels that lie outside the source bitmap are not
//    copied (their destination pixels keep what they had).
//  - Whole pixels are copied, all four bytes.
//  - The source may be the destination itself, with overlapping blocks: the result is then as
//    if the whole source block had been read before any pixel was written.
//  - Rows and runs of pixels are copied with memcpy / memmove; the only per-pixel loop is the
//    column lookup of a scaled copy.
#include <cstdint>
#include <optional>

#include "imaging/Bitmap32.h"
#include "transitions/Region.h"

namespace kx {

// Copies the w x h block at (sx, sy) of src to (x, y) of dst. Nothing when w or h is not
// positive.
void BitBlt(Bitmap32& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap32& src,
            int32_t sx, int32_t sy, const Region* clip = nullptr);

// Copies the sw x sh block at (sx, sy) of src onto the w x h block at (x, y) of dst, picking
// source pixels (nearest sampling, no smoothing): destination step i of a row takes source
// step floor(i * |sw| / |w|). A negative w mirrors left to right: the copy then covers the
// columns x - |w| + 1 .. x and column x shows the first source column; a negative h likewise
// mirrors top to bottom. A negative sw or sh walks the source the other way round in the same
// manner. Nothing when any of the four sizes is 0.
void StretchBlt(Bitmap32& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap32& src,
                int32_t sx, int32_t sy, int32_t sw, int32_t sh, const Region* clip = nullptr);

// Clip-and-copy: every pixel of `region` inside the bitmap takes the value of `source` at the
// same place, all others keep theirs. Both bitmaps must have the same size.
void CopyThroughRegion(Bitmap32& target, const Bitmap32& source, const Region& region);

// A bitmap with its clip state, standing in for a drawing context on it. Selecting a region
// copies it, so the caller may drop its region at once. The clip goes when the Canvas goes.
class Canvas {
 public:
  explicit Canvas(Bitmap32& target) : target_(target) {}

  Bitmap32& Target() { return target_; }
  // Makes `region` (clipped to the bitmap) the area that drawing may change; nullptr removes
  // the clip.
  void SelectClipRgn(const Region* region);
  // Takes the rectangle out of the area that drawing may change (with no clip selected, out of
  // the whole bitmap).
  void ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  const Region* Clip() const { return clip_ ? &*clip_ : nullptr; }

  void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap32& src, int32_t sx,
              int32_t sy) {
    kx::BitBlt(target_, x, y, w, h, src, sx, sy, Clip());
  }
  void StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap32& src, int32_t sx,
                  int32_t sy, int32_t sw, int32_t sh) {
    kx::StretchBlt(target_, x, y, w, h, src, sx, sy, sw, sh, Clip());
  }

 private:
  Bitmap32& target_;
  std::optional<Region> clip_;
};

}  // namespace kx
