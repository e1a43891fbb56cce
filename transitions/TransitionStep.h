#pragma once
// One step of a transition: restore the old picture on the work bitmap, turn the percentage
// into progress in pixels along each axis, and let the effect draw.
#include <cstdint>

#include "imaging/Bitmap32.h"

namespace kx {

struct DoneXY {
  int32_t X = 0, Y = 0;
  bool operator==(const DoneXY&) const = default;
};

// The longer side is scaled first and the other in proportion:
// W >= H: X = MulDiv(W, P, 100), Y = MulDiv(X, H, W); otherwise Y = MulDiv(H, P, 100),
// X = MulDiv(Y, W, H).
DoneXY DeriveDone(int32_t width, int32_t height, int32_t percent);

// Copies oldPicture onto target (which takes its size) and draws step `percent` of effect
// `effectIndex` from newPicture. Returns false, leaving target untouched, when the index is
// not 1 .. 169, the pictures are empty or their sizes differ.
bool TransitionStep(int32_t effectIndex, const Bitmap32& oldPicture, const Bitmap32& newPicture,
                    int32_t percent, Bitmap32& target);

}  // namespace kx
