// A scene made in the scene maker and packed with "Make a screensaver" plays in the show:
// on a virtual X server the screensaver runs with /S, and two screenshots taken a moment
// apart differ in the water and nowhere on land.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "imaging/PictureCodec.h"
#include "kxscene/MakeSaverDialog.h"
#include "kxscene/MaskCanvas.h"
#include "kxscene/SceneWindow.h"
#include "tests/support/TestSupport.h"

namespace kx::kxscene {
namespace {

using test::TempDir;
using Ms = std::chrono::milliseconds;

bool Screenshot(const std::string& path, Bitmap32& out) {
  if (std::system(("import -window root " + path + " 2>/dev/null").c_str()) != 0) return false;
  std::string error;
  return DecodePictureFile(path, out, error);
}

TEST(KxsceneE2E, SceneMadeInTheMakerPlaysInTheShow) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (run under xvfb-run)";
  static int argc = 1;
  static char name[] = "test_kxscene_e2e";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);  // offscreen: the maker's windows stay off the X screen
  TempDir dir, tmp, runtime;

  // A 320 x 240 photo: plain land above row 120, a lake of fine stripes below, so that any
  // vertical displacement of the water shows.
  Bitmap32 photo(320, 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      photo.SetPixel(x, y, y < 120 ? Rgb(90, 140, 60) : ((y / 3) % 2 ? Rgb(20, 60, 200) : Rgb(200, 220, 250)));
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(EncodePng(photo, png, error) && WriteWholeFile(dir / "lake.png", png, error)) << error;

  // Open the photo, paint the lake (water below the shore line), save the scene.
  {
    SceneWindow window;
    window.resize(1000, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(window.OpenFile(QString::fromStdString(dir / "lake.png")));
    window.SelectTool(static_cast<int>(MaskTool::BelowLine));
    window.SelectRegion(1);
    MaskCanvas& canvas = window.Canvas();
    QTest::mousePress(&canvas, Qt::LeftButton, {}, canvas.ToWidget({0, 121}).toPoint());
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, canvas.ToWidget({319, 121}).toPoint());
    ASSERT_GT(CountRegions(window.Document().Mask())[1], 300 * 100);
    ASSERT_TRUE(window.SaveTo(QString::fromStdString(dir / "lake.kxp")));
  }
  // "Make a screensaver" with the scene as its only item.
  {
    MakeSaverDialog dialog(dir / "lake.kxp");
    dialog.SetOutPath(QString::fromStdString(dir / "Lake.scr"));
    SaverChoices c = dialog.Choices();
    ASSERT_EQ(c.items.size(), 1u);
    c.durationSeconds = 120;
    c.transitionMs = 0;
    ASSERT_TRUE(MakeScreensaver(c, KXSAVER_PATH, error)) << error;
  }

  const pid_t child = fork();
  if (child == 0) {
    setenv("TMPDIR", tmp.path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("QT_QPA_PLATFORM");
    const std::string exe = dir / "Lake.scr";
    execl(exe.c_str(), exe.c_str(), "/S", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(child, 0);
  // Wait until the scene fills the screen (land colour at the top), then two shots.
  Bitmap32 first, second;
  const auto end = std::chrono::steady_clock::now() + Ms(20000);
  bool shown = false;
  while (!shown && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(Ms(300));
    shown = Screenshot(tmp / "a.png", first) && first.Width() == 640 && GreenOf(first.Pixel(320, 40)) > 120 &&
            RedOf(first.Pixel(320, 40)) < 110;
  }
  std::this_thread::sleep_for(Ms(600));
  const bool again = shown && Screenshot(tmp / "a.png", first);
  std::this_thread::sleep_for(Ms(400));
  const bool twice = again && Screenshot(tmp / "b.png", second);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(shown) << "the scene never filled the screen";
  ASSERT_TRUE(twice);
  ASSERT_EQ(first.Width(), second.Width());
  // Land is rows 0 .. 239 of the screen (the scene is stretched twice); keep clear of the
  // shore, where the waves may lift the water.
  int landChanged = 0, waterChanged = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const bool differs = first.Pixel(x, y) != second.Pixel(x, y);
      if (y < 220) landChanged += differs;
      if (y > 260) waterChanged += differs;
    }
  EXPECT_EQ(landChanged, 0);
  EXPECT_GT(waterChanged, 640 * 220 / 20) << "the water should move between the shots";
}

}  // namespace
}  // namespace kx::kxscene
