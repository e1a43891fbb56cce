// Runs the engine in preview mode against a real X11 window on a virtual X server and reads
// the window's pixels back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "imaging/PictureCodec.h"
#include "tests/support/TestSupport.h"
#include "tools/kxpack/BuildCommand.h"

// Xlib last: its macros (None, Status, ...) clash with the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kx {
namespace {

using test::TempDir;
using test::WriteText;

// A preview picture of four coloured quarters.
Bitmap32 Quarters() {
  Bitmap32 picture(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      picture.SetPixel(x, y, y < 24 ? (x < 32 ? Rgb(220, 20, 20) : Rgb(20, 200, 30))
                                    : (x < 32 ? Rgb(30, 40, 210) : Rgb(240, 240, 240)));
  return picture;
}

int RunEngine(const std::string& exe, const std::vector<std::string>& args) {
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PreviewX11, DrawsThePreviewIntoTheWindow) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "needs an X server (run under xvfb-run)";

  TempDir dir;
  std::vector<uint8_t> jpeg;
  std::string error;
  ASSERT_TRUE(EncodeJpeg(Quarters(), 95, jpeg, error)) << error;
  ASSERT_TRUE(WriteWholeFile(dir / "preview.jpg", jpeg, error));
  WriteText(dir / "item.jpg", std::string(jpeg.begin(), jpeg.end()));
  WriteText(dir / "saver.ini", "[Items]\nitem.jpg\n[Advance]\nPreviewFile=preview.jpg\n");
  PackageManifest manifest;
  ASSERT_TRUE(LoadManifest(dir / "saver.ini", KXSAVER_PATH, manifest, error)) << error;
  ASSERT_TRUE(BuildScreensaver(manifest, dir / "Preview.scr", error)) << error;

  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 160, 120, 0,
                                            BlackPixel(display, screen), BlackPixel(display, screen));
  XMapWindow(display, window);
  XSync(display, False);

  ASSERT_EQ(RunEngine(dir / "Preview.scr", {"/p", std::to_string(window)}), 0);

  XImage* image = XGetImage(display, window, 0, 0, 160, 120, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  struct Probe {
    int x, y;
    int r, g, b;
  };
  const Probe probes[] = {{40, 30, 220, 20, 20}, {120, 30, 20, 200, 30}, {40, 90, 30, 40, 210}, {120, 90, 240, 240, 240}};
  for (const auto& p : probes) {
    const unsigned long pixel = XGetPixel(image, p.x, p.y);
    EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), p.r, 16) << p.x << "," << p.y;
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), p.g, 16) << p.x << "," << p.y;
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), p.b, 16) << p.x << "," << p.y;
  }
  XDestroyImage(image);

  // A window id that is no window ends the run quietly.
  EXPECT_EQ(RunEngine(dir / "Preview.scr", {"/p", "4194303"}), 0);
  EXPECT_EQ(RunEngine(dir / "Preview.scr", {"/p", "notanumber"}), 0);
  XDestroyWindow(display, window);
  XCloseDisplay(display);
}

}  // namespace
}  // namespace kx
