#include "platform/x11/X11DaemonWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <vector>

#include "base/LargePages.h"

#include "platform/StopSignals.h"
#include "platform/x11/X11Support.h"

namespace kx {
namespace {

// Changed rows this close together go out as one request: a few unchanged rows cost less
// than another request.
constexpr int32_t kJoinRows = 8;

// Xlib ends the process itself after this handler returns; we end it first, cleanly.
int OnConnectionLost(Display*) { EmergencyExit(); }

class X11DaemonWindow final : public DaemonWindow {
 public:
  X11DaemonWindow(Display* display, Window window, const XWindowAttributes& attributes)
      : display_(display),
        window_(window),
        visual_(attributes.visual),
        depth_(attributes.depth),
        width_(attributes.width),
        height_(attributes.height),
        screenWidth_(WidthOfScreen(attributes.screen)),
        screenHeight_(HeightOfScreen(attributes.screen)),
        viewable_(attributes.map_state == IsViewable) {
    native_ = depth_ >= 24 && visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 &&
              visual_->blue_mask == 0xFF && ImageByteOrder(display_) == LSBFirst;
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Frames made from now on can go to the server without a copy.
    inPlaceFailed_ = !native_ || !XShmQueryExtension(display_);
    if (!inPlaceFailed_) large_pages::ShareBuffers(true);
  }

  ~X11DaemonWindow() override {
    large_pages::ShareBuffers(false);
    for (XShmSegmentInfo& info : inPlace_) XShmDetach(display_, &info);
    DropCopy();
    x11::ClearXError();
    if (!gone_) XSelectInput(display_, window_, NoEventMask);
    XFreeGC(display_, gc_);
    if (wake_ >= 0) close(wake_);
    XSync(display_, False);
    XCloseDisplay(display_);
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int ScreenWidth() const override { return screenWidth_; }
  int ScreenHeight() const override { return screenHeight_; }
  bool Viewable() const override { return viewable_ && !gone_; }

  DaemonWindowEvents ProcessEvents() override {
    DaemonWindowEvents events;
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      switch (event.type) {
        case ConfigureNotify:
          if (event.xconfigure.window == window_ &&
              (event.xconfigure.width != width_ || event.xconfigure.height != height_)) {
            width_ = event.xconfigure.width;
            height_ = event.xconfigure.height;
            events.resized = true;
          }
          break;
        case DestroyNotify:
          if (event.xdestroywindow.window == window_) gone_ = true;
          break;
        case MapNotify:
          if (event.xmap.window == window_) viewable_ = true;
          break;
        case UnmapNotify:
          if (event.xunmap.window == window_) viewable_ = false;
          break;
        case Expose:
          if (event.xexpose.window == window_) events.exposed = true;
          break;
        default:
          break;
      }
    }
    events.gone = gone_;
    return events;
  }

  void WaitForEvents(int ms) override {
    XFlush(display_);
    if (XPending(display_) > 0) return;
    pollfd fds[3] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_, POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
    poll(fds, 3, ms);  // a negative descriptor is skipped
    uint64_t count;
    if (wake_ >= 0) [[maybe_unused]] const ssize_t n = read(wake_, &count, sizeof count);
  }

  void Wake() override {
    const uint64_t one = 1;
    if (wake_ >= 0) [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
  }

  bool Put(const Bitmap32& frame, const ChangedRows* changed) override {
    if (gone_ || frame.Empty()) return !gone_;
    const int width = std::min(frame.Width(), width_), height = std::min(frame.Height(), height_);
    if (width <= 0 || height <= 0) return true;
    // The rows to send: those that changed since the frame before when the window shows
    // that frame (it went out whole or in part at the same size); else all of them. The
    // copying way also needs its buffer to hold that frame.
    const bool follows = changed != nullptr && changed->Height() == frame.Height() && lastWidth_ == frame.Width() &&
                         lastHeight_ == frame.Height();
    const bool copiedBefore = lastWay_ == Way::Copied;
    lastWidth_ = lastHeight_ = 0;
    rows_.clear();
    if (follows) {
      for (const RowRange& r : changed->Ranges(kJoinRows)) {
        if (r.First >= height) break;
        rows_.push_back({r.First, std::min(r.Last, height - 1)});
      }
    } else {
      rows_.push_back({0, height - 1});
    }
    if (PutInPlace(frame.Data(), frame.Width(), frame.Height(), width)) return Sent(frame, Way::InPlace);
    if (follows && !copiedBefore) rows_.assign(1, {0, height - 1});
    if (PutCopied(frame, width)) return Sent(frame, Way::Copied);
    XImage* image = nullptr;
    if (native_) {
      // The frame's own memory: rows of 32-bit B, G, R, x, as the server wants them.
      image = XCreateImage(display_, visual_, depth_, ZPixmap, 0,
                           reinterpret_cast<char*>(const_cast<uint32_t*>(frame.Data())), frame.Width(),
                           frame.Height(), 32, static_cast<int>(frame.StrideBytes()));
    } else {
      ConvertRows(frame, width, height);  // the rows to send
      image = XCreateImage(display_, visual_, depth_, ZPixmap, 0, reinterpret_cast<char*>(converted_.data()),
                           width, height, 32, width * 4);
    }
    if (image == nullptr) return false;
    x11::ClearXError();
    for (const RowRange& r : rows_) XPutImage(display_, window_, gc_, image, 0, r.First, 0, r.First, width, r.Count());
    image->data = nullptr;  // not Xlib's to free
    XDestroyImage(image);
    return Sent(frame, Way::Plain);
  }

 private:
  // Ends a Put: waiting for the server keeps at most one frame in flight (a shared segment
  // is free again) and tells at once when the window is gone. The next Put may send only
  // its changed rows when this one went out whole or in part the same way.
  enum class Way { Plain, Copied, InPlace };
  bool Sent(const Bitmap32& frame, Way way) {
    XSync(display_, False);
    if (x11::XErrorSeen()) gone_ = true;
    if (gone_) return false;
    lastWidth_ = frame.Width();
    lastHeight_ = frame.Height();
    lastWay_ = way;
    return true;
  }

  // The rows of rows_ straight from the shared segment the frame lies in (see
  // large_pages::ShareBuffers): the server reads the frame where it is, without a copy.
  // False when it lies in none or the server cannot attach it.
  bool PutInPlace(const uint32_t* pixels, int frameWidth, int frameHeight, int width) {
    if (inPlaceFailed_) return false;
    const large_pages::SharedSegment segment =
        large_pages::SharedSegmentOf(pixels, static_cast<size_t>(frameWidth) * frameHeight * sizeof(uint32_t));
    if (segment.id < 0) return false;
    XShmSegmentInfo* info = Attached(segment);
    if (info == nullptr) return false;
    XImage* image = XShmCreateImage(display_, visual_, depth_, ZPixmap, reinterpret_cast<char*>(const_cast<uint32_t*>(pixels)),
                                    info, frameWidth, frameHeight);
    if (image == nullptr) return false;
    const bool layout = image->bytes_per_line == frameWidth * 4 && image->bits_per_pixel == 32;
    x11::ClearXError();
    if (layout) {
      for (const RowRange& r : rows_)
        XShmPutImage(display_, window_, gc_, image, 0, r.First, 0, r.First, width, r.Count(), False);
    }
    image->data = nullptr;  // the frame's
    XDestroyImage(image);
    return layout;
  }

  // The server's attachment of `segment`, made when it is first needed. Attachments of
  // segments that are gone (their buffers freed) are dropped first. A server that cannot
  // attach (on another machine) is not asked again, and no more buffers are shared.
  XShmSegmentInfo* Attached(const large_pages::SharedSegment& segment) {
    for (auto it = inPlace_.begin(); it != inPlace_.end();) {
      const large_pages::SharedSegment now = large_pages::SharedSegmentOf(it->shmaddr, 1);
      if (now.id == it->shmid && now.base == it->shmaddr) {
        if (now.id == segment.id) return &*it;
        ++it;
        continue;
      }
      x11::ClearXError();
      XShmDetach(display_, &*it);
      it = inPlace_.erase(it);
    }
    XShmSegmentInfo info{};
    info.shmid = segment.id;
    info.shmaddr = static_cast<char*>(const_cast<void*>(segment.base));
    info.readOnly = True;
    x11::ClearXError();
    const bool attached = XShmAttach(display_, &info) != 0;
    XSync(display_, False);
    if (!attached || x11::XErrorSeen()) {
      inPlaceFailed_ = true;
      large_pages::ShareBuffers(false);
      return nullptr;
    }
    inPlace_.push_back(info);
    return &inPlace_.back();
  }

  // A frame in ordinary memory: the rows of rows_ are copied into the window's own shared
  // buffer, made at the frame's size (again only when that size changes), and sent from
  // there. The buffer keeps the rows not sent since they last were. False when no buffer can
  // be had or the server cannot attach it; the frame then goes through the connection.
  bool PutCopied(const Bitmap32& frame, int width) {
    if (inPlaceFailed_) return false;
    if (copy_ == nullptr || copyWidth_ != frame.Width() || copyHeight_ != frame.Height()) {
      DropCopy();
      copy_ = static_cast<uint32_t*>(large_pages::AllocateSharedBuffer(frame.PixelCount() * sizeof(uint32_t)));
      if (copy_ == nullptr) return false;
      copyWidth_ = frame.Width();
      copyHeight_ = frame.Height();
      rows_.assign(1, {0, std::min(frame.Height(), height_) - 1});
    }
    const size_t rowPixels = static_cast<size_t>(frame.Width());
    for (const RowRange& r : rows_)
      std::memcpy(copy_ + rowPixels * static_cast<size_t>(r.First), frame.Row(r.First),
                  frame.StrideBytes() * static_cast<size_t>(r.Count()));
    return PutInPlace(copy_, copyWidth_, copyHeight_, width);
  }

  void DropCopy() {
    if (copy_ != nullptr) large_pages::FreeSharedBuffer(copy_);
    copy_ = nullptr;
    copyWidth_ = copyHeight_ = 0;
  }

  void ConvertRows(const Bitmap32& frame, int width, int height) {
    const x11::Channel red(visual_->red_mask), green(visual_->green_mask), blue(visual_->blue_mask);
    converted_.resize(static_cast<size_t>(width) * height);
    for (const RowRange& r : rows_) {
      for (int y = r.First; y <= r.Last; ++y) {
        const uint32_t* src = frame.Row(y);
        uint32_t* dst = converted_.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
          dst[x] = x11::PackPixel(src[x], red, green, blue);
        }
      }
    }
  }


  Display* display_;
  Window window_;
  Visual* visual_;
  int depth_;
  int width_, height_;
  int screenWidth_, screenHeight_;
  bool viewable_;
  bool native_ = false;
  bool gone_ = false;
  GC gc_;
  int wake_ = -1;  // an eventfd that ends a wait early
  std::vector<uint32_t> converted_;
  // The window's own copy of a frame in ordinary memory, in a shared buffer.
  uint32_t* copy_ = nullptr;
  int copyWidth_ = 0, copyHeight_ = 0;
  // Rows to send in the Put under way.
  std::vector<RowRange> rows_;
  // What the last Put sent: its frame's size (0 after a failure) and the way it went.
  int lastWidth_ = 0, lastHeight_ = 0;
  Way lastWay_ = Way::Plain;
  // The server's attachments of our shared buffers (their addresses must not move), and
  // whether it cannot attach any (no MIT-SHM, another machine, another pixel layout).
  std::list<XShmSegmentInfo> inPlace_;
  bool inPlaceFailed_ = true;
};

}  // namespace

std::unique_ptr<DaemonWindow> X11DaemonWindowFactory::Open(uint64_t windowId) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  x11::RecordXErrors();
  XSetIOErrorHandler(OnConnectionLost);
  const Window window = windowId == 0 ? DefaultRootWindow(display) : static_cast<Window>(windowId);
  x11::ClearXError();
  XWindowAttributes attributes;
  const Status ok = XGetWindowAttributes(display, window, &attributes);
  XSync(display, False);
  if (ok == 0 || x11::XErrorSeen() || attributes.c_class != InputOutput ||
      (attributes.visual->c_class != TrueColor && attributes.visual->c_class != DirectColor)) {
    XCloseDisplay(display);
    return nullptr;
  }
  // Size changes, the end of the window, mapping, exposure. Input stays the daemon's.
  XSelectInput(display, window, StructureNotifyMask | ExposureMask);
  XSync(display, False);
  if (x11::XErrorSeen()) {
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<X11DaemonWindow>(display, window, attributes);
}

}  // namespace kx
