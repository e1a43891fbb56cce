#include "platform/x11/X11PreviewWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/x11/X11Support.h"

namespace kx {
namespace {

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

    const x11::Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);
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
        dst[x] = native ? (c & 0xFFFFFF) : x11::PackPixel(c, red, green, blue);
      }
    }
    XImage* image = XCreateImage(display_, visual, attributes.depth, ZPixmap, 0,
                                 reinterpret_cast<char*>(data), width, height, 32, width * 4);
    if (image == nullptr) {
      std::free(data);
      return false;
    }
    x11::ClearXError();
    GC gc = XCreateGC(display_, window_, 0, nullptr);
    XPutImage(display_, window_, gc, image, 0, 0, 0, 0, width, height);
    XFreeGC(display_, gc);
    XSync(display_, False);
    XDestroyImage(image);  // frees data
    return !x11::XErrorSeen();
  }

 private:
  bool Attributes(XWindowAttributes& attributes) {
    x11::ClearXError();
    const Status ok = XGetWindowAttributes(display_, window_, &attributes);
    XSync(display_, False);
    return ok != 0 && !x11::XErrorSeen();
  }

  Display* display_;
  Window window_;
};

}  // namespace

std::unique_ptr<PreviewWindow> X11PreviewWindowFactory::Open(uint64_t windowId) {
  if (windowId == 0) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  x11::RecordXErrors();
  auto window = std::make_unique<X11PreviewWindow>(display, static_cast<Window>(windowId));
  int width, height;
  if (!window->GetSize(width, height)) return nullptr;  // not a window
  return window;
}

}  // namespace kx
