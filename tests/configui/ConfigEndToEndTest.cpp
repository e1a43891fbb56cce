// The demo screensaver end to end on a virtual X server: /C is clicked through with xdotool
// (the next picture, the settings dialog with two changed settings, OK, Close), the settings
// file next to the screensaver is checked, and /S then shows the chosen picture alone at its
// own size, as those settings ask. Screens are read with ImageMagick's import.
//
// Run under xvfb-run with a 1600 x 1200 screen; DEMO_SCR is the built demo and DEMO_MEDIA the
// folder of its generated media.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "imaging/PictureCodec.h"
#include "platform/desktop/ChildProcess.h"
#include "project/IniText.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace kx {
namespace {

using namespace std::chrono_literals;

class ConfigEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    xdotool = FindProgram("xdotool", path != nullptr ? path : "");
    import = FindProgram("import", path != nullptr ? path : "");
    ASSERT_FALSE(xdotool.empty()) << "needs xdotool";
    ASSERT_FALSE(import.empty()) << "needs ImageMagick's import";
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (run under xvfb-run)";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(DEMO_SCR, bytes));
    test::WriteText(Scr(), bytes);
    chmod(Scr().c_str(), 0755);
  }
  void TearDown() override {
    if (engine > 0) {
      kill(engine, SIGKILL);
      waitpid(engine, nullptr, 0);
    }
  }
  std::string Scr() const { return dir / "Demo.scr"; }

  void Start(const char* mode) {
    std::string exe = Scr();
    char* argv[] = {exe.data(), const_cast<char*>(mode), nullptr};
    ASSERT_EQ(posix_spawn(&engine, exe.c_str(), nullptr, nullptr, argv, environ), 0);
  }
  // True when the engine ended within `limit`.
  bool WaitForEnd(std::chrono::milliseconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
      int status = 0;
      if (waitpid(engine, &status, WNOHANG) == engine) {
        engine = -1;
        return true;
      }
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  std::string Xdotool(const std::vector<std::string>& arguments, int timeoutMs = 3000) {
    ChildResult r = RunChildProcess(xdotool, arguments, true, timeoutMs);
    if (r.exitCode != 0 && arguments.front() == "mousemove") {
      // A pointer move can be refused while the X server is busy; moving again is harmless.
      std::this_thread::sleep_for(300ms);
      r = RunChildProcess(xdotool, arguments, true, timeoutMs);
    }
    EXPECT_EQ(r.exitCode, 0) << "xdotool " << arguments.front();
    return r.output;
  }
  // The id of the visible window whose name matches, waiting for it to appear.
  std::string Window(const std::string& pattern) {
    std::string id = Xdotool({"search", "--sync", "--onlyvisible", "--name", pattern}, 20000);
    id = id.substr(0, id.find('\n'));
    EXPECT_FALSE(id.empty()) << pattern;
    return id;
  }
  void Click(const std::string& window, int x, int y) {
    Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
    std::this_thread::sleep_for(150ms);
    Xdotool({"click", "1"});
    std::this_thread::sleep_for(300ms);
  }
  void Keys(const std::vector<std::string>& keys) {
    for (const auto& key : keys) {
      Xdotool({"key", key});
      std::this_thread::sleep_for(150ms);
    }
  }
  Bitmap32 Screen() {
    const std::string file = dir / "screen.png";
    EXPECT_EQ(RunChildProcess(import, {"-window", "root", file}, false, 20000).exitCode, 0);
    Bitmap32 shot;
    std::string error;
    EXPECT_TRUE(DecodePictureFile(file, shot, error)) << error;
    return shot;
  }

  test::TempDir dir;
  std::string xdotool, import;
  pid_t engine = -1;
};

struct Box {
  int left, top, right, bottom;  // inclusive
  bool operator==(const Box&) const = default;
};

// The bounding box of the pixels that are not black.
Box LitBox(const Bitmap32& shot) {
  Box box{shot.Width(), shot.Height(), -1, -1};
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x)
      if ((shot.Pixel(x, y) & 0xFFFFFF) > 0x080808) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

int MeanDistance(const Bitmap32& shot, int dx, int dy, const Bitmap32& picture) {
  int64_t sum = 0, n = 0;
  for (int y = 0; y < picture.Height(); y += 16)
    for (int x = 0; x < picture.Width(); x += 16) {
      const uint32_t a = shot.Pixel(x + dx, y + dy), b = picture.Pixel(x, y);
      for (int s = 0; s <= 16; s += 8) sum += std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF));
      n += 3;
    }
  return static_cast<int>(sum / n);
}

TEST_F(ConfigEndToEnd, SettingsChosenInTheConfigurationWindowPlayInTheShow) {
  // /C: picture 2 of the list, then Image Size "Original Size" and Show Image "Single -
  // Selected Image" in the settings dialog.
  Start("/C");
  const std::string main = Window("^kxsaver Demo$");
  Click(main, 336, 364);  // the next picture
  Click(main, 484, 150);  // Settings
  const std::string settings = Window("^Settings");
  Click(settings, 12 + 141 + 90, 32 + 97 + 10);  // Image Size
  Keys({"Home", "Return"});
  Click(settings, 12 + 141 + 90, 32 + 127 + 10);  // Show Image
  Keys({"End", "Return"});
  Click(settings, 198 + 37, 289 + 12);  // OK
  Click(main, 484, 362);  // Close
  ASSERT_TRUE(WaitForEnd(10s)) << "the configuration window did not close";

  const IniText ini = IniText::LoadFile(dir / "Demo.ini");
  EXPECT_EQ(ini.ReadString("Setting", "ImageSize", ""), "0");
  EXPECT_EQ(ini.ReadString("Setting", "ImageMode", ""), "3");
  EXPECT_EQ(ini.ReadString("Setting", "Index", ""), "1");
  // The rest as the demo project has them.
  EXPECT_EQ(ini.ReadString("Setting", "Duration", ""), "3");
  EXPECT_EQ(ini.ReadString("Setting", "Speed", ""), "10");
  EXPECT_EQ(ini.ReadString("Setting", "DirectX", ""), "0");
  EXPECT_EQ(ini.ReadString("Setting", "ShowClock", ""), "1");

  // /S: the sunset picture (1024 x 768) alone, unscaled in the middle of the screen, also
  // after its duration of three seconds.
  Bitmap32 sunset;
  std::string error;
  ASSERT_TRUE(DecodePictureFile(std::string(DEMO_MEDIA) + "/sunset.jpg", sunset, error)) << error;
  Start("/S");
  std::this_thread::sleep_for(3500ms);
  const Bitmap32 first = Screen();
  std::this_thread::sleep_for(4000ms);
  const Bitmap32 later = Screen();
  ASSERT_EQ(first.Width(), 1600);
  ASSERT_EQ(first.Height(), 1200);
  const Box expected{288, 216, 288 + 1023, 216 + 767};
  for (const Bitmap32* shot : {&first, &later}) {
    const Box box = LitBox(*shot);
    EXPECT_EQ(box, expected) << box.left << "," << box.top << " - " << box.right << "," << box.bottom;
    EXPECT_LE(MeanDistance(*shot, 288, 216, sunset), 6);
  }
  // Moving the mouse ends the show (the first few movements after it starts do not count).
  for (int i = 0; i < 10 && engine > 0; ++i) {
    Xdotool({"mousemove", std::to_string(100 + 50 * i), std::to_string(100 + 40 * i)});
    WaitForEnd(100ms);
  }
  EXPECT_TRUE(WaitForEnd(10s)) << "the show did not end";
}

}  // namespace
}  // namespace kx
