#pragma once
#include "platform/DaemonWindow.h"

namespace kx {

// Daemon windows on the X11 display of $DISPLAY. Frames go to the server with XPutImage
// straight from the frame's memory where the window's visual has the frame's own pixel layout
// (32-bit B, G, R, x on a little-endian machine), converted row by row otherwise. Errors of
// the server (a window destroyed meanwhile) are caught; a lost connection ends the program
// through the emergency exit of StopSignals instead of Xlib's own exit.
class X11DaemonWindowFactory final : public DaemonWindowFactory {
 public:
  std::unique_ptr<DaemonWindow> Open(uint64_t windowId) override;
};

}  // namespace kx
