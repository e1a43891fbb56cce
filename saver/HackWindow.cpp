#include "saver/HackWindow.h"

#include "imaging/Resample.h"
#include "platform/StopSignals.h"

namespace kx {

// How long the loop waits for an event when the show has nothing to do.
constexpr int kIdleWaitMs = 100;

bool IsSmallPreviewWindow(int width, int height, int screenWidth, int screenHeight) {
  return 2 * width < screenWidth && 2 * height < screenHeight;
}

TKXHackWindow::TKXHackWindow(TKXCProject& project, DaemonWindow& window, SaverEnvironment environment)
    : window_(window), show_(*this, std::move(environment)), size_{window.Width(), window.Height()} {
  show_.SetProject(project);
}

TKXHackWindow::~TKXHackWindow() {
  if (show_.Running()) show_.FormClose();
}

void TKXHackWindow::Run() {
  show_.FormShow();
  while (true) {
    ProcessPendingMessages();
    if (closing_) break;
    if (resizePending_) {
      resizePending_ = false;
      size_ = {window_.Width(), window_.Height()};
      show_.ScreenResized();
    }
    if (idle_) {
      show_.AppIdle();
      if (restMs_ > 0) window_.WaitForEvents(static_cast<int>(restMs_));
      restMs_ = 0;
    } else {
      window_.WaitForEvents(kIdleWaitMs);
    }
  }
  show_.FormClose();
}

ItemSize TKXHackWindow::ScreenSize() { return size_; }

bool TKXHackWindow::CanDraw() { return !closing_ && window_.Viewable(); }

bool TKXHackWindow::IdleAgainAfter(uint32_t ms) {
  restMs_ = ms;
  return true;
}

void TKXHackWindow::Present(const Bitmap32& surface, bool scaled, const ChangedRows* changed) {
  if (closing_) return;
  lastSurface_ = &surface;
  lastScaled_ = scaled;
  bool drawn;
  if (scaled && (surface.Width() != size_.Width || surface.Height() != size_.Height)) {
    // Scaled to the window; a frame that follows the one scaled last has only the window
    // rows taken from its changed rows scaled again and sent.
    const bool follows = changed != nullptr && scaledFrom_ == &surface && scaled_.Width() == size_.Width &&
                         scaled_.Height() == size_.Height;
    if (scaled_.Width() != size_.Width || scaled_.Height() != size_.Height) scaled_.SetSize(size_.Width, size_.Height);
    if (follows) {
      NearestChangedRowsInto(surface, scaled_, *changed, scaledChanged_);
    } else {
      ResampleInto(surface, scaled_, ResampleFilter::Nearest);
    }
    scaledFrom_ = &surface;
    drawn = window_.Put(scaled_, follows ? &scaledChanged_ : nullptr);
  } else {
    scaledFrom_ = nullptr;
    drawn = window_.Put(surface, changed);
  }
  if (!drawn) closing_ = true;
}

void TKXHackWindow::ProcessPendingMessages() {
  const DaemonWindowEvents events = window_.ProcessEvents();
  if (events.gone || StopRequested()) closing_ = true;
  if (events.resized) resizePending_ = true;
  if (events.exposed && !events.resized && lastSurface_ != nullptr) Present(*lastSurface_, lastScaled_, nullptr);
  if (events.resized) scaledFrom_ = nullptr;
}

}  // namespace kx
