#include "payload/Marker.h"

namespace kx {

// "#KXPAYLOAD#" followed by 0x1A 0xA5, every byte decreased by 1. Read through a volatile
// pointer so the compiler cannot fold the plain marker into the program's data.
static const volatile uint8_t kStoredMarker[kMarkerSize] = {
    0x22, 0x4A, 0x57, 0x4F, 0x40, 0x58, 0x4B, 0x4E, 0x40, 0x43, 0x22, 0x19, 0xA4};

Marker ContainerMarker() {
  Marker marker{};
  for (size_t i = 0; i < kMarkerSize; ++i) marker[i] = static_cast<uint8_t>(kStoredMarker[i] + 1);
  return marker;
}

}  // namespace kx
