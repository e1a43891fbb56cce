#pragma once
// The mask a tool should leave, computed the slow way: every pixel whose centre a predicate
// says is inside takes the region's colour, over `base`.
#include <functional>

#include "imaging/Bitmap32.h"
#include "scene/WaterMask.h"

namespace kx::kxscene {

inline Bitmap32 Expected(const Bitmap32& base, int region, const std::function<bool(double, double)>& inside) {
  Bitmap32 m = base;
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      if (inside(x + 0.5, y + 0.5)) m.SetPixel(x, y, MaskPixelOfRegion(region));
  return m;
}

}  // namespace kx::kxscene
