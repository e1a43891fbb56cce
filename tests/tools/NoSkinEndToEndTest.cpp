// A screensaver made by `kxpack photos`, which names no skin, on a virtual X server: /C opens
// the configuration window of the project's own skin (titled with the product name), and /S
// shows a window titled with the product name too.
//
// Run under xvfb-run; KXPACK_PATH is the kxpack to use.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "imaging/PictureCodec.h"
#include "platform/desktop/ChildProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/KxpackRun.h"

extern char** environ;

namespace kx {
namespace {

class NoSkinEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    xdotool = FindProgram("xdotool", path != nullptr ? path : "");
    ASSERT_FALSE(xdotool.empty()) << "needs xdotool";
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (run under xvfb-run)";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Bitmap32 photo(320, 240, 0xFF3080C0u);
    std::vector<uint8_t> jpeg;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(photo, 90, jpeg, error)) << error;
    ASSERT_TRUE(WriteWholeFile(dir / "beach.jpg", jpeg, error)) << error;
    const auto r = test::RunKxpack({"photos", dir / "beach.jpg", "-o", dir / "Beach.scr", "--title", "Sunny Beach"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
  }
  void TearDown() override {
    if (engine > 0) {
      kill(engine, SIGKILL);
      waitpid(engine, nullptr, 0);
    }
  }
  void Start(const char* mode) {
    std::string exe = dir / "Beach.scr";
    char* argv[] = {exe.data(), const_cast<char*>(mode), nullptr};
    ASSERT_EQ(posix_spawn(&engine, exe.c_str(), nullptr, nullptr, argv, environ), 0);
  }
  // True when a visible window with exactly this name shows up within 20 seconds.
  bool WindowAppears(const std::string& name) {
    const ChildResult r = RunChildProcess(xdotool, {"search", "--sync", "--onlyvisible", "--name", "^" + name + "$"}, true, 20000);
    return r.exitCode == 0 && !r.output.empty();
  }
  void Stop() {
    kill(engine, SIGTERM);
    for (int i = 0; i < 50 && waitpid(engine, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (waitpid(engine, nullptr, WNOHANG) == 0) {
      kill(engine, SIGKILL);
      waitpid(engine, nullptr, 0);
    }
    engine = -1;
  }
  test::TempDir dir;
  std::string xdotool;
  pid_t engine = -1;
};

TEST_F(NoSkinEndToEnd, ConfigurationAndShowWindowsCarryTheProductName) {
  Start("/C");
  EXPECT_TRUE(WindowAppears("Sunny Beach")) << "the configuration window of the project's own skin";
  Stop();
  Start("/S");
  EXPECT_TRUE(WindowAppears("Sunny Beach")) << "the show window";
  Stop();
}

}  // namespace
}  // namespace kx
