#pragma once
// Rounding of reals to whole numbers with halves to the even neighbour, as RoundHalfEven
// does, but without a library call: the drawing loops round several values per particle
// and per row. Adding and taking away 1.5 x 2^52 leaves the value rounded in the default
// rounding mode (to nearest, halves to even); this needs strict floating-point semantics
// (no -ffast-math), which the build uses.
#include <cmath>
#include <cstdint>

namespace kx {

// Values beyond the int32 range saturate; NaN gives 0.
inline int32_t RoundEven(double v) {
  constexpr double kMagic = 6755399441055744.0;
  if (v >= -2147483648.5 && v < 2147483647.5) return static_cast<int32_t>((v + kMagic) - kMagic);
  if (v >= 2147483647.5) return INT32_MAX;
  if (v < -2147483648.5) return INT32_MIN;
  return 0;
}

}  // namespace kx
