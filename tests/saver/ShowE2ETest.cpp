// The whole show on a virtual X server: a screensaver made with the packaging code runs
// with /S, screenshots taken seconds apart show an item change, a key sent with xdotool ends
// it, and the process leaves with exit code 0 and removes its extraction folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "imaging/PictureCodec.h"
#include "payload/SaverFolders.h"
#include "platform/Files.h"
#include "tests/saver/SaverFixtures.h"
#include "tools/kxpack/BuildCommand.h"

namespace kx::test {
namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kRed = Rgb(230, 30, 30);
constexpr uint32_t kBlue = Rgb(30, 30, 230);

pid_t StartEngine(const std::string& exe, const std::string& tmpdir, const std::string& runtimeDir) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("TMPDIR", tmpdir.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(exe.c_str(), exe.c_str(), "/S", static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// The root window as ImageMagick's import sees it.
bool Screenshot(const std::string& path, Bitmap32& out) {
  const std::string command = "import -window root " + path + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) return false;
  std::string error;
  return DecodePictureFile(path, out, error);
}

bool Near(uint32_t a, uint32_t b) {
  auto close = [](uint32_t x, uint32_t y) { return (x > y ? x - y : y - x) <= 24; };
  return close(RedOf(a), RedOf(b)) && close(GreenOf(a), GreenOf(b)) && close(BlueOf(a), BlueOf(b));
}

// Takes screenshots until the whole screen shows `colour` (the item is stretched to it):
// its centre and two opposite corners. False after `limit`.
bool WaitForScreen(const std::string& path, uint32_t colour, Ms limit, Bitmap32& shot) {
  const auto end = SteadyClock::now() + limit;
  while (SteadyClock::now() < end) {
    if (Screenshot(path, shot) && !shot.Empty() && Near(shot.Pixel(shot.Width() / 2, shot.Height() / 2), colour) &&
        Near(shot.Pixel(2, 2), colour) && Near(shot.Pixel(shot.Width() - 3, shot.Height() - 3), colour))
      return true;
    std::this_thread::sleep_for(Ms(150));
  }
  return false;
}

// Waits for the child; -1 when it has not ended within `limit`.
int WaitForExit(pid_t child, Ms limit) {
  const auto end = SteadyClock::now() + limit;
  while (SteadyClock::now() < end) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(Ms(20));
  }
  return -1;
}

TEST(ShowE2E, PlaysChangesItemsAndEndsOnAKey) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (run under xvfb-run)";
  TempDir dir, tmp, runtime;
  WriteBmp(dir, "red.bmp", Solid(160, 120, kRed));
  WriteBmp(dir, "blue.bmp", Solid(160, 120, kBlue));
  WriteText(dir / "saver.ini",
            "[Items]\nred.bmp\nblue.bmp\n"
            "[Default]\nDuration=2\nTransitionTime=800\nStretch=1\nProportional=0\nShowImageMode=1\n"
            "Music=0\nSound=0\nDirectX=0\n");
  PackageManifest manifest;
  std::string error;
  ASSERT_TRUE(LoadManifest(dir / "saver.ini", KXSAVER_PATH, manifest, error)) << error;
  ASSERT_TRUE(BuildScreensaver(manifest, dir / "Show.scr", error)) << error;

  const pid_t child = StartEngine(dir / "Show.scr", tmp.path(), runtime.path());
  ASSERT_GT(child, 0);
  Bitmap32 first, second;
  const bool sawRed = WaitForScreen(tmp / "first.png", kRed, Ms(15000), first);
  // The extraction folder exists while the show runs.
  const std::string extraction = runtime / (TempRootName("Show") + "/" + std::to_string(child));
  const bool extractedWhileRunning = IsRealDirectory(extraction);
  const bool sawBlue = sawRed && WaitForScreen(tmp / "second.png", kBlue, Ms(8000), second);
  auto describe = [&](const Bitmap32& shot) {
    char text[160];
    const int status = waitpid(child, nullptr, WNOHANG);
    std::snprintf(text, sizeof text, "last screenshot %dx%d, centre %08X; engine %s", shot.Width(), shot.Height(),
                  shot.Empty() ? 0u : shot.Pixel(shot.Width() / 2, shot.Height() / 2),
                  status == 0 ? "running" : "ended");
    return std::string(text);
  };
  if (!sawRed || !sawBlue) {
    const std::string state = describe(sawRed ? second : first);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(sawRed) << "the first item never appeared: " << state;
    ASSERT_TRUE(sawBlue) << "the second item never appeared: " << state;
  }
  EXPECT_FALSE(first == second);
  EXPECT_EQ(first.Width(), 640);
  EXPECT_TRUE(extractedWhileRunning) << extraction;

  ASSERT_EQ(std::system("xdotool key a"), 0);
  const int code = WaitForExit(child, Ms(2000));
  if (code == -1) kill(child, SIGKILL);
  EXPECT_EQ(code, 0) << "the show did not end with exit code 0 within two seconds of the key";
  EXPECT_FALSE(FileExists(extraction));
  for (const std::string& name : ListDirectory(tmp.path()))
    EXPECT_TRUE(name == "first.png" || name == "second.png") << "left behind: " << name;
}

}  // namespace
}  // namespace kx::test
