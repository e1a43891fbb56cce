#pragma once
// Colours of object keys ("TextColor", "TransparentColor"): Windows colour values, 0x00BBGGRR
// with red in the lowest byte, or 0xFF0000nn for system colour nn, which resolves to the
// classic desktop palette (the same one the skin controls use).
#include <cstdint>

namespace kx {

// The colour as 0x00RRGGBB.
inline uint32_t ObjectColorRgb(int32_t value) {
  static constexpr uint32_t kClassic[] = {
      0xD4D0C8, 0x3A6EA5, 0x0A246A, 0x808080, 0xD4D0C8, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xD4D0C8, 0xD4D0C8, 0x808080, 0x0A246A, 0xFFFFFF, 0xD4D0C8,
      0x808080, 0x808080, 0x000000, 0xD4D0C8, 0xFFFFFF, 0x404040, 0xD4D0C8, 0x000000,
      0xFFFFE1, 0xB5B5B5, 0x000080, 0xA6CAF0, 0xC0C0C0, 0x316AC5, 0xD4D0C8,
  };
  const uint32_t v = static_cast<uint32_t>(value);
  if ((v & 0xFF000000u) == 0xFF000000u) {
    const uint32_t index = v & 0xFF;
    return index < sizeof kClassic / sizeof kClassic[0] ? kClassic[index] : 0;
  }
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

}  // namespace kx
