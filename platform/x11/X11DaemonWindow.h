#pragma once
#include "platform/DaemonWindow.h"

namespace kx {

// Daemon windows on the X11 display of $DISPLAY. Where the window's visual has the frame's own
// pixel layout (32-bit B, G, R, x on a little-endian machine) and the server has MIT-SHM, a
// window switches on the sharing of large buffers (large_pages::ShareBuffers) while it is
// open, and the server reads each frame from the shared segment it lies in; a frame in
// ordinary memory is copied into a segment of the window's, and without MIT-SHM it goes
// through the connection (converted row by row for another layout). Only the rows a frame
// names as changed are sent. Errors of the server (a window destroyed meanwhile) are caught; a
// lost connection ends the program through the emergency exit of StopSignals instead of
// Xlib's own exit.
class X11DaemonWindowFactory final : public DaemonWindowFactory {
 public:
  std::unique_ptr<DaemonWindow> Open(uint64_t windowId) override;
};

}  // namespace kx
