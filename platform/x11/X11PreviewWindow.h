#pragma once
#include "platform/PreviewWindow.h"

namespace kx {

// Preview windows on an X11 display ($DISPLAY). Errors of the X server (a window id that is
// not a window, a window destroyed meanwhile) are caught and reported as failures, never as
// the default handler's process exit.
class X11PreviewWindowFactory final : public PreviewWindowFactory {
 public:
  std::unique_ptr<PreviewWindow> Open(uint64_t windowId) override;
};

}  // namespace kx
