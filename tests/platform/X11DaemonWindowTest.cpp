// Frames put into a daemon's window on a real X server (run under Xvfb): read back from the
// window, a frame put with its changed rows named shows exactly as if it had been put whole,
// and rows the frame does not name are not sent; both for a small frame (copied into the
// window's own shared segment) and for a frame large enough to lie in a shared buffer of its
// own (read by the server where it lies).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/LargePages.h"
#include "imaging/Bitmap32.h"
#include "imaging/ChangedRows.h"
#include "platform/x11/X11DaemonWindow.h"

// Last: Xlib's macros (None, Status, Bool) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kx {
namespace {

struct WindowSize {
  const char* name;
  int width, height;
  bool inPlace;  // frames of this size lie in shared buffers
};

class X11DaemonWindowTest : public ::testing::TestWithParam<WindowSize> {
 protected:
  const int kWidth = GetParam().width;
  const int kHeight = GetParam().height;

  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) GTEST_SKIP() << "no X display";
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, kWidth, kHeight, 0, 0, 0);
    XSelectInput(display_, window_, StructureNotifyMask);
    XMapWindow(display_, window_);
    XEvent event;
    do XNextEvent(display_, &event);
    while (event.type != MapNotify);
    daemon_ = X11DaemonWindowFactory().Open(window_);
    ASSERT_NE(daemon_, nullptr);
    daemon_->ProcessEvents();
  }
  void TearDown() override {
    daemon_.reset();
    if (display_ != nullptr) {
      XDestroyWindow(display_, window_);
      XCloseDisplay(display_);
    }
  }

  // The window's pixels as the server has them.
  Bitmap32 ReadBack() {
    XImage* image = XGetImage(display_, window_, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    Bitmap32 pixels(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels.SetPixel(x, y, 0xFF000000u | XGetPixel(image, x, y));
    XDestroyImage(image);
    return pixels;
  }

  Display* display_ = nullptr;
  Window window_ = 0;
  std::unique_ptr<DaemonWindow> daemon_;

  Bitmap32 Pattern(uint32_t seed) const;
  Bitmap32 WithRows(const Bitmap32& base, const Bitmap32& other, int first, int last) const;
};

// A frame whose every pixel differs from those of other seeds.
Bitmap32 X11DaemonWindowTest::Pattern(uint32_t seed) const {
  Bitmap32 frame(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) frame.SetPixel(x, y, Rgb(x * 4 + seed, y * 5 + seed * 3, seed * 40));
  return frame;
}

// `base` with rows first .. last taken from `other`.
Bitmap32 X11DaemonWindowTest::WithRows(const Bitmap32& base, const Bitmap32& other, int first, int last) const {
  Bitmap32 out = base;
  for (int y = first; y <= last; ++y)
    for (int x = 0; x < kWidth; ++x) out.SetPixel(x, y, other.Pixel(x, y));
  return out;
}

TEST_P(X11DaemonWindowTest, ChangedRowsAloneReachTheWindow) {
  const Bitmap32 first = Pattern(1), second = Pattern(2);
  const bool shared = large_pages::SharedSegmentOf(first.Data(), first.PixelCount() * 4).id >= 0;
  EXPECT_EQ(shared, GetParam().inPlace);
  const size_t buffers = large_pages::SharedCount();
  ASSERT_TRUE(daemon_->Put(first, nullptr));
  // A frame in ordinary memory goes through a shared copy of the window's own.
  EXPECT_EQ(large_pages::SharedCount(), buffers + (shared ? 0 : 1));
  EXPECT_EQ(ReadBack(), first) << "a whole frame";

  // Two bands changed, named as such: the window shows the new frame.
  const Bitmap32 banded = WithRows(WithRows(first, second, 3, 7), second, 30, 40);
  ChangedRows changed;
  changed.Reset(kHeight);
  changed.Mark(3, 7);
  changed.Mark(30, 40);
  ASSERT_TRUE(daemon_->Put(banded, &changed));
  EXPECT_EQ(ReadBack(), banded) << "the changed bands";

  // Rows that changed but are not named stay as they were: only named rows are sent.
  const Bitmap32 whole = Pattern(3);
  changed.Reset(kHeight);
  changed.Mark(20, 25);
  ASSERT_TRUE(daemon_->Put(whole, &changed));
  EXPECT_EQ(ReadBack(), WithRows(banded, whole, 20, 25)) << "rows not named were sent";

  // A frame of another size is sent whole whatever it names, and so is the frame after
  // a Put without names.
  Bitmap32 tall(kWidth, kHeight + 10, Rgb(9, 90, 200));
  changed.Reset(kHeight + 10);
  changed.Mark(0, 1);
  ASSERT_TRUE(daemon_->Put(tall, &changed));
  EXPECT_EQ(ReadBack(), Bitmap32(kWidth, kHeight, Rgb(9, 90, 200))) << "a new size";
}

// Buffers come and go (a new item, a new size): a frame in a new buffer, perhaps at the
// address of one that is gone, shows as it is.
TEST_P(X11DaemonWindowTest, FramesInNewBuffersShowAsTheyAre) {
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    const Bitmap32 frame = Pattern(seed);
    ASSERT_TRUE(daemon_->Put(frame, nullptr));
    EXPECT_EQ(ReadBack(), frame) << "frame " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, X11DaemonWindowTest,
                         ::testing::Values(WindowSize{"Small", 64, 48, false}, WindowSize{"Large", 640, 480, true}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) { return info.param.name; });

}  // namespace
}  // namespace kx
