#pragma once
// What the show needs of its window. The show's logic (TSaverShow) runs without a display;
// the full-screen window implements this interface and forwards its input to the show.
//
// All calls come from the window thread, except WakeForMusic.
#include <cstdint>

#include "imaging/Bitmap32.h"
#include "imaging/ChangedRows.h"
#include "saver/ItemFit.h"

namespace kx {

class SaverWindowPort {
 public:
  virtual ~SaverWindowPort() = default;

  // The size of the primary screen, which the window covers.
  virtual ItemSize ScreenSize() = 0;
  // Starts the scaled presentation (frames of any size fill the whole display); false when
  // it cannot be had, and the show then draws frames unscaled.
  virtual bool StartScaledPresentation() = 0;
  // Whether a frame can be put on the display now (the window is shown and exposed).
  virtual bool CanDraw() = 0;
  // Puts `surface` on the display: unscaled at (0, 0), or scaled to the whole display.
  // `changed`, when given, names the rows in which `surface` differs from what the previous
  // call put on the display (the same bitmap, drawn anew in those rows only): the window
  // may then send just those rows. The surface stays valid until the next Present or
  // Retarget call. It may be drawn anew meanwhile (a scene renders its next frame into it);
  // a redraw of the window (an expose) then shows the newer pixels.
  virtual void Present(const Bitmap32& surface, bool scaled, const ChangedRows* changed) = 0;
  // The display goes on showing what it shows, now held in `surface` (a redraw reads it
  // from there): the bitmap presented last may change or go away after this call.
  virtual void Retarget(const Bitmap32& surface) = 0;
  // Handles the input and other events that are waiting, then returns.
  virtual void ProcessPendingMessages() = 0;
  // Asks the window to close. Closing takes effect once the idle call that is running (if
  // any) has returned, so a transition is always drawn to its end.
  virtual void RequestClose() = 0;
  // True when the show must end at once (a stop signal, the window gone): long work such as
  // a transition stops at its next step instead of being drawn to its end.
  virtual bool Stopping() { return false; }
  virtual void SetCursorHidden(bool hidden) = 0;
  // Installs or removes the idle handler: while installed, the window calls the show's
  // AppIdle whenever its event queue is empty.
  virtual void SetIdleHandler(bool installed) = 0;
  // Called on the audio output's thread when a music file has ended: the window arranges a
  // call of TSaverShow::DeliverMusicNotification on its own thread. Must be thread-safe.
  virtual void WakeForMusic() = 0;
  // The show has nothing to draw for `ms`: the window may make the next idle call come that
  // much later, handling input (and a music notification) meanwhile. False when the window
  // cannot wait that way; the show then sleeps on its clock.
  virtual bool IdleAgainAfter(uint32_t /*ms*/) { return false; }
  // The refresh rate of the display the window is on, in Hz; 0 when unknown.
  virtual double RefreshRateHz() { return 0; }
};

}  // namespace kx
