#pragma once
// TKXHackWindow: the show in a screensaver daemon's window (the "hack" mode).
//
// The same show as the full-screen saver window (TSaverShow), presented into a window the
// daemon owns: the window's size takes the place of the screen's, a new size is taken up
// between two idle calls (never in the middle of a transition), no input is read, no cursor
// is touched and no window of our own is opened. The show ends when a stop signal arrives
// (SIGTERM from the daemon), or when the window goes away; a running transition then stops at
// its next step instead of being drawn to its end.
//
// The loop is the window's own: each turn handles the window's events, takes up a new size,
// and calls the show's idle handler while it is installed (the show paces itself, and rests
// while nothing on the screen can change); without it, the loop waits for the window or a
// signal. An exposed window gets the last frame again.
#include "platform/DaemonWindow.h"
#include "project/KXCProject.h"
#include "saver/SaverShow.h"
#include "saver/SaverWindowPort.h"

namespace kx {

// A window smaller than half its screen in both directions is a settings dialog's preview:
// it plays silent.
bool IsSmallPreviewWindow(int width, int height, int screenWidth, int screenHeight);

class TKXHackWindow final : public SaverWindowPort {
 public:
  TKXHackWindow(TKXCProject& project, DaemonWindow& window, SaverEnvironment environment);
  ~TKXHackWindow() override;

  // Plays the show until a stop request or the window's end.
  void Run();
  TSaverShow& Show() { return show_; }

  // SaverWindowPort.
  ItemSize ScreenSize() override;
  bool StartScaledPresentation() override { return true; }
  bool CanDraw() override;
  void Present(const Bitmap32& surface, bool scaled, const ChangedRows* changed) override;
  void Retarget(const Bitmap32& surface) override {
    lastSurface_ = &surface;
    scaledFrom_ = nullptr;
  }
  void ProcessPendingMessages() override;
  void RequestClose() override { closing_ = true; }
  bool Stopping() override { return closing_; }
  void SetCursorHidden(bool) override {}
  void SetIdleHandler(bool installed) override { idle_ = installed; }
  void WakeForMusic() override { window_.Wake(); }
  bool IdleAgainAfter(uint32_t ms) override;

 private:
  DaemonWindow& window_;
  TSaverShow show_;
  ItemSize size_;
  Bitmap32 scaled_;  // a scaled frame at the window's size
  const Bitmap32* scaledFrom_ = nullptr;  // the surface scaled_ was last made from
  ChangedRows scaledChanged_;              // the rows of scaled_ made anew
  bool idle_ = false;
  bool closing_ = false;
  bool resizePending_ = false;
  uint32_t restMs_ = 0;  // the show asked to rest this long before its next idle call
  const Bitmap32* lastSurface_ = nullptr;  // what was presented last, owned by the show
  bool lastScaled_ = false;
};

}  // namespace kx
