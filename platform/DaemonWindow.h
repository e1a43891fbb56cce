#pragma once
// A window that belongs to a screensaver daemon (or the root window), into which the hack
// mode draws. The daemon owns the window, its input and its cursor: we only draw, follow its
// size and notice when it goes away.
#include <cstdint>
#include <memory>

#include "imaging/Bitmap32.h"
#include "imaging/ChangedRows.h"

namespace kx {

struct DaemonWindowEvents {
  bool resized = false;  // the window has a new size (see Size)
  bool gone = false;     // the window was destroyed or the display connection was lost
  bool exposed = false;  // part of the window must be drawn again
};

class DaemonWindow {
 public:
  virtual ~DaemonWindow() = default;
  // The window's size as last reported.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The size of the screen the window is on.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  // Whether the window is mapped and can show what is drawn.
  virtual bool Viewable() const = 0;
  // Handles the window system's events that are waiting and says what they changed.
  virtual DaemonWindowEvents ProcessEvents() = 0;
  // Waits up to `ms` for a window-system event, a stop signal or a Wake call.
  virtual void WaitForEvents(int ms) = 0;
  // Ends a wait of WaitForEvents early; may be called from any thread.
  virtual void Wake() = 0;
  // Draws `frame` with its top-left corner at the window's top-left corner (what lies
  // beyond the frame is left as it is). `changed`, when given, names the rows in which
  // `frame` differs from the frame of the previous Put; only those need drawing. False when
  // the window can no longer be drawn into.
  virtual bool Put(const Bitmap32& frame, const ChangedRows* changed) = 0;
};

class DaemonWindowFactory {
 public:
  virtual ~DaemonWindowFactory() = default;
  // The window with this id, 0 for the root window; nullptr when there is no such window
  // (or no display).
  virtual std::unique_ptr<DaemonWindow> Open(uint64_t windowId) = 0;
};

}  // namespace kx
