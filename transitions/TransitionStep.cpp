#include "transitions/TransitionStep.h"

#include <cstring>

#include "base/MulDiv.h"
#include "transitions/EffectTable.h"

namespace kx {

DoneXY DeriveDone(int32_t width, int32_t height, int32_t percent) {
  DoneXY done;
  if (width <= 0 || height <= 0) return done;
  if (width >= height) {
    done.X = MulDiv(width, percent, 100);
    done.Y = MulDiv(done.X, height, width);
  } else {
    done.Y = MulDiv(height, percent, 100);
    done.X = MulDiv(done.Y, width, height);
  }
  return done;
}

bool TransitionStep(int32_t effectIndex, const Bitmap32& oldPicture, const Bitmap32& newPicture,
                    int32_t percent, Bitmap32& target) {
  if (!IsEffectIndex(effectIndex) || oldPicture.Empty() ||
      oldPicture.Width() != newPicture.Width() || oldPicture.Height() != newPicture.Height())
    return false;
  const int32_t w = oldPicture.Width(), h = oldPicture.Height();
  if (target.Width() != w || target.Height() != h) target.SetSize(w, h);
  std::memcpy(target.Data(), oldPicture.Data(), oldPicture.PixelCount() * 4);
  const DoneXY done = DeriveDone(w, h, percent);
  Effects[effectIndex].Proc(target, newPicture, w, h, done.X, done.Y, percent);
  return true;
}

}  // namespace kx
