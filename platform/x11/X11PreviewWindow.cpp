#include "platform/x11/X11PreviewWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace kx {
namespace {

bool g_x_error = false;

int RecordXError(Display*, XErrorEvent*) {
  g_x_error = true;
  return 0;
}

// Position of the lowest set bit and the width of a channel mask.
void MaskShape(unsigned long mask, int& shift, int& bits) {
  shift = 0;
  bits = 0;
  if (mask == 0) return;
  while (((mask >> shift) & 1) == 0) ++shift;
  while (((mask >> (shift + bits)) & 1) != 0) ++bits;
}

unsigned long PackChannel(uint32_t value8, unsigned long mask) {
  int shift, bits;
  MaskShape(mask, shift, bits);
  if (bits == 0) return 0;
  const unsigned long scaled = bits >= 8 ? (value8 << (bits - 8)) : (value8 >> (8 - bits));
  return (scaled << shift) & mask;
}

class X11PreviewWindow final : public PreviewWindow {
 public:
  X11PreviewWindow(Display* display, Window window) : display_(display), window_(window) {}
  ~X11PreviewWindow() override {
    XSync(display_, False);
    XCloseDisplay(display_);
  }

  bool IsVisible() override {
    XWindowAttributes attributes;
    return Attributes(attributes) && attributes.map_state == IsViewable;
  }

  bool GetSize(int& width, int& height) override {
    XWindowAttributes attributes;
    if (!Attributes(attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
  }

  void ProcessEvents() override {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
    }
  }

  bool DrawStretched(const Bitmap32& picture, int width, int height) override {
    XWindowAttributes attributes;
    if (picture.Empty() || width <= 0 || height <= 0 || !Attributes(attributes)) return false;
    Visual* visual = attributes.visual;
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) return false;
    const bool native = attributes.depth >= 24 && visual->red_mask == 0xFF0000 &&
                        visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;

    // Nearest sampling: column and row of the source for each target pixel.
    std::vector<int> sourceX(width);
    for (int x = 0; x < width; ++x)
      sourceX[x] = static_cast<int>(static_cast<int64_t>(x) * picture.Width() / width);
    auto* data = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(width) * height * 4));
    if (data == nullptr) return false;
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = picture.Row(static_cast<int>(static_cast<int64_t>(y) * picture.Height() / height));
      uint32_t* dst = data + static_cast<size_t>(y) * width;
      for (int x = 0; x < width; ++x) {
        const uint32_t c = src[sourceX[x]];
        dst[x] = native ? (c & 0xFFFFFF)
                        : static_cast<uint32_t>(PackChannel((c >> 16) & 0xFF, visual->red_mask) |
                                                PackChannel((c >> 8) & 0xFF, visual->green_mask) |
                                                PackChannel(c & 0xFF, visual->blue_mask));
      }
    }
    XImage* image = XCreateImage(display_, visual, attributes.depth, ZPixmap, 0,
                                 reinterpret_cast<char*>(data), width, height, 32, width * 4);
    if (image == nullptr) {
      std::free(data);
      return false;
    }
    g_x_error = false;
    GC gc = XCreateGC(display_, window_, 0, nullptr);
    XPutImage(display_, window_, gc, image, 0, 0, 0, 0, width, height);
    XFreeGC(display_, gc);
    XSync(display_, False);
    XDestroyImage(image);  // frees data
    return !g_x_error;
  }

 private:
  bool Attributes(XWindowAttributes& attributes) {
    g_x_error = false;
    const Status ok = XGetWindowAttributes(display_, window_, &attributes);
    XSync(display_, False);
    return ok != 0 && !g_x_error;
  }

  Display* display_;
  Window window_;
};

}  // namespace

std::unique_ptr<PreviewWindow> X11PreviewWindowFactory::Open(uint64_t windowId) {
  if (windowId == 0) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  XSetErrorHandler(RecordXError);
  auto window = std::make_unique<X11PreviewWindow>(display, static_cast<Window>(windowId));
  int width, height;
  if (!window->GetSize(width, height)) return nullptr;  // not a window
  return window;
}

}  // namespace kx
