#pragma once
// What the X11 windows of the platform share: errors of the X server recorded instead of
// ending the process (a window id that names no window, a window destroyed meanwhile), and
// the packing of 8-bit colour channels into a visual's pixel layout.
#include <X11/Xlib.h>

#include <cstdint>

namespace kx::x11 {

// Installs the recording error handler; every error of any connection then only sets the
// flag below.
void RecordXErrors();
// Clears and reads the flag: clear it, make the requests, XSync, then ask.
void ClearXError();
bool XErrorSeen();

// One channel of a visual: where its bits lie in a pixel.
struct Channel {
  int shift = 0, bits = 0;
  explicit Channel(unsigned long mask);
  // An 8-bit value scaled to the channel's width and moved into place.
  unsigned long Pack(uint32_t value8) const {
    if (bits == 0) return 0;
    const unsigned long scaled = bits >= 8 ? (value8 << (bits - 8)) : (value8 >> (8 - bits));
    return scaled << shift;
  }
};

// 0xAARRGGBB as a pixel of the visual.
inline uint32_t PackPixel(uint32_t colour, const Channel& red, const Channel& green, const Channel& blue) {
  return static_cast<uint32_t>(red.Pack((colour >> 16) & 0xFF) | green.Pack((colour >> 8) & 0xFF) |
                               blue.Pack(colour & 0xFF));
}

}  // namespace kx::x11
