#pragma once
// Integer helpers with the engine's rounding rules.
//
// - MulDiv(a, b, c): a * b / c with a 64-bit intermediate, rounded to the nearest integer,
//   halves away from zero. Division by zero yields -1, as the platform call it stands in for.
// - RoundHalfEven(x): real to integer with halves to the even neighbour (the rounding of
//   every other real value in the engine).
// - Plain integer div and mod are C++'s / and %: truncation toward zero, and a remainder
//   with the sign of the dividend.
#include <cmath>
#include <cstdint>

namespace kx {

constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t num = static_cast<int64_t>(a) * b;
  const bool negative = (num < 0) != (c < 0);
  const uint64_t un = num < 0 ? static_cast<uint64_t>(-num) : static_cast<uint64_t>(num);
  const uint64_t uc = c < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(c)) : static_cast<uint64_t>(c);
  const uint64_t q = (un + uc / 2) / uc;  // halves away from zero
  const int64_t result = negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int32_t>(result);
}

// Values beyond the int32 range saturate to its ends, and NaN gives 0: a stored value scaled
// up (a wave amplitude fitted to a larger screen) stays the largest value instead of wrapping.
inline int32_t RoundHalfEven(double x) {
  if (!(x == x)) return 0;
  const double r = std::nearbyint(x);  // default FP rounding mode is to-nearest-even
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(r);
}

}  // namespace kx
