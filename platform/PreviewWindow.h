#pragma once
// A foreign window, given by its numeric id, into which the preview picture is drawn.
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/Bitmap32.h"

namespace kx {

class PreviewWindow {
 public:
  virtual ~PreviewWindow() = default;
  virtual bool IsVisible() = 0;
  // Width and height of the window; false when the window is gone.
  virtual bool GetSize(int& width, int& height) = 0;
  // Processes pending window-system events (the wait loop calls it while it waits).
  virtual void ProcessEvents() = 0;
  // Draws the picture stretched to (0, 0)-(width, height) of the window.
  virtual bool DrawStretched(const Bitmap32& picture, int width, int height) = 0;
};

class PreviewWindowFactory {
 public:
  virtual ~PreviewWindowFactory() = default;
  // nullptr when there is no such window (or no display).
  virtual std::unique_ptr<PreviewWindow> Open(uint64_t windowId) = 0;
};

}  // namespace kx
