// The hack mode for real, on a virtual X server: a screensaver made with the packaging code
// plays in a window of ours named in each way a daemon names it (its pixels read back), follows
// the window's new size, ends within a second on SIGTERM, SIGINT and SIGHUP (as /S does) and
// when its window is destroyed, removes its extraction folder, plays silent in a small window,
// and keeps the user's settings in the config folder when its own folder is not writable.
#include <gtest/gtest.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "payload/SaverFolders.h"
#include "platform/Files.h"
#include "tests/saver/SaverFixtures.h"
#include "tools/kxpack/BuildCommand.h"

// Last: Xlib's macros (None, Status, Bool) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kx::test {
namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kRed = Rgb(230, 30, 30);

struct EngineRun {
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::string>> env;  // set in the child
  uid_t uid = 0;  // another user to run as (0: this one)
};

pid_t Start(const std::string& exe, const EngineRun& run) {
  const pid_t child = fork();
  if (child == 0) {
    unsetenv("XSCREENSAVER_WINDOW");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const auto& [name, value] : run.env) setenv(name.c_str(), value.c_str(), 1);
    if (run.uid != 0) {
      setgroups(0, nullptr);
      if (setgid(run.uid) != 0 || setuid(run.uid) != 0) _exit(126);
    }
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : run.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  return child;
}

// Exit code of the child, or -1 when it has not ended within `limit` (it is then killed).
int WaitForExit(pid_t child, Ms limit) {
  const auto end = SteadyClock::now() + limit;
  while (SteadyClock::now() < end) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(Ms(10));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

bool Near(uint32_t a, uint32_t b) {
  auto close = [](uint32_t x, uint32_t y) { return (x > y ? x - y : y - x) <= 24; };
  return close(RedOf(a), RedOf(b)) && close(GreenOf(a), GreenOf(b)) && close(BlueOf(a), BlueOf(b));
}

class XServer {
 public:
  XServer() : display_(XOpenDisplay(nullptr)) {}
  ~XServer() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  Display* get() const { return display_; }

  Window MakeWindow(int width, int height) {
    const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, width, height, 0, 0,
                                              BlackPixel(display_, DefaultScreen(display_)));
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
  }

  // The colour at (x, y) of the window (0: the root window), 0xRRGGBB.
  uint32_t PixelAt(Window window, int x, int y) {
    XImage* image = XGetImage(display_, window == 0 ? DefaultRootWindow(display_) : window, x, y, 1, 1, AllPlanes,
                              ZPixmap);
    if (image == nullptr) return 0;
    const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }

  // Waits until every point shows `colour`.
  bool WaitFor(Window window, const std::vector<std::pair<int, int>>& points, uint32_t colour, Ms limit) {
    const auto end = SteadyClock::now() + limit;
    while (SteadyClock::now() < end) {
      bool all = true;
      for (const auto& [x, y] : points) all = all && Near(PixelAt(window, x, y), colour);
      if (all) return true;
      std::this_thread::sleep_for(Ms(50));
    }
    return false;
  }

 private:
  Display* display_;
};

std::string Hex(Window window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(window));
  return text;
}

class HackE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (run under xvfb-run)";
    server_ = new XServer();
    ASSERT_NE(server_->get(), nullptr) << "cannot connect to the X server";
    dir_ = new TempDir();
    WriteBmp(*dir_, "red.bmp", Solid(160, 120, kRed));
    WriteWav(*dir_ / "tune.wav");
    // One red item filling whatever it is shown in, a long time per item, music on.
    WriteText(*dir_ / "saver.ini",
              "[Package]\nSkin=" KXSKIN_PATH "\n"
              "[Items]\nred.bmp\n"
              "[Default]\nDuration=60\nStretch=1\nProportional=0\nShowImageMode=1\n"
              "Music=1\nSound=0\nDirectX=0\nTransition=0\n"
              "[Advance]\nMusicFile=tune.wav\n");
    PackageManifest manifest;
    std::string error;
    ASSERT_TRUE(LoadManifest(*dir_ / "saver.ini", KXSAVER_PATH, manifest, error)) << error;
    ASSERT_TRUE(BuildScreensaver(manifest, *dir_ / "Show.scr", error)) << error;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
    delete server_;
    server_ = nullptr;
  }

  std::string Saver() const { return *dir_ / "Show.scr"; }
  std::string Extraction(const TempDir& tmp, pid_t child) const {
    return tmp / (TempRootName("Show") + "/" + std::to_string(child));
  }

  // Sends `signal` and expects a clean end within a second: exit code 0, nothing left behind.
  void ExpectCleanEndOn(int signal, pid_t child, const TempDir& tmp, const std::string& what) {
    const std::string extraction = Extraction(tmp, child);
    EXPECT_TRUE(IsRealDirectory(extraction)) << what << ": extracted while running";
    const auto sent = SteadyClock::now();
    kill(child, signal);
    const int code = WaitForExit(child, Ms(1000));
    const auto ms = std::chrono::duration_cast<Ms>(SteadyClock::now() - sent).count();
    EXPECT_EQ(code, 0) << what << " (" << strsignal(signal) << "): ended after " << ms << " ms";
    EXPECT_FALSE(FileExists(extraction)) << what;
    EXPECT_TRUE(ListDirectory(tmp.path()).empty()) << what << ": the temporary folder is not empty";
  }

  static TempDir* dir_;
  // One connection for the whole suite: a virtual X server resets when its last client goes,
  // and a connection asked for meanwhile is refused.
  static XServer* server_;
  XServer& x_ = *server_;
};

TempDir* HackE2E::dir_ = nullptr;
XServer* HackE2E::server_ = nullptr;

TEST_F(HackE2E, PlaysInTheWindowNamedInEachWayAndEndsOnSigterm) {
  struct Case {
    const char* name;
    bool rootWindow;
    std::function<EngineRun(Window)> run;
  };
  const Case cases[] = {
      {"--window-id in hex", false, [](Window w) { return EngineRun{{"--window-id", Hex(w)}, {}}; }},
      {"-window-id in decimal", false,
       [](Window w) { return EngineRun{{"-window-id", std::to_string(static_cast<unsigned long>(w))}, {}}; }},
      {"--root with XSCREENSAVER_WINDOW", false,
       [](Window w) { return EngineRun{{"--root"}, {{"XSCREENSAVER_WINDOW", Hex(w)}}}; }},
      {"--root alone: the root window", true, [](Window) { return EngineRun{{"-root"}, {}}; }},
  };
  for (const Case& c : cases) {
    TempDir tmp;
    const Window window = c.rootWindow ? 0 : x_.MakeWindow(320, 240);
    EngineRun run = c.run(window);
    run.env.push_back({"TMPDIR", tmp.path()});
    run.env.push_back({"XDG_RUNTIME_DIR", tmp.path()});
    const pid_t child = Start(Saver(), run);
    const int w = c.rootWindow ? 640 : 320, h = c.rootWindow ? 480 : 240;
    const bool red = x_.WaitFor(window, {{2, 2}, {w / 2, h / 2}, {w - 3, h - 3}}, kRed, Ms(15000));
    EXPECT_TRUE(red) << c.name << ": the item never filled the window";
    ExpectCleanEndOn(SIGTERM, child, tmp, c.name);
    if (window != 0) XDestroyWindow(x_.get(), window);
    XSync(x_.get(), False);
  }
}

TEST_F(HackE2E, FollowsTheWindowWhenItIsResized) {
  TempDir tmp;
  const Window window = x_.MakeWindow(200, 150);
  const pid_t child = Start(Saver(), EngineRun{{"--window-id", Hex(window)}, {{"TMPDIR", tmp.path()}, {"XDG_RUNTIME_DIR", tmp.path()}}});
  ASSERT_TRUE(x_.WaitFor(window, {{195, 145}}, kRed, Ms(15000)));
  XResizeWindow(x_.get(), window, 500, 400);
  XSync(x_.get(), False);
  EXPECT_TRUE(x_.WaitFor(window, {{495, 395}, {250, 200}}, kRed, Ms(5000))) << "the show did not follow the new size";
  ExpectCleanEndOn(SIGTERM, child, tmp, "resized");
  XDestroyWindow(x_.get(), window);
}

TEST_F(HackE2E, EverySignalEndsTheShowAndTheHackMode) {
  for (const char* mode : {"/S", "--window-id"}) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
      TempDir tmp;
      const bool hack = std::string(mode) == "--window-id";
      const Window window = hack ? x_.MakeWindow(640, 480) : 0;
      EngineRun run{{mode}, {{"TMPDIR", tmp.path()}, {"XDG_RUNTIME_DIR", tmp.path()}}};
      if (hack) run.args.push_back(Hex(window));
      const pid_t child = Start(Saver(), run);
      EXPECT_TRUE(x_.WaitFor(window, {{320, 240}}, kRed, Ms(15000))) << mode;
      ExpectCleanEndOn(signal, child, tmp, mode);
      if (hack) XDestroyWindow(x_.get(), window);
      XSync(x_.get(), False);
    }
  }
}

TEST_F(HackE2E, AWindowDestroyedUnderTheShowEndsItCleanly) {
  TempDir tmp;
  const Window window = x_.MakeWindow(320, 240);
  const pid_t child = Start(Saver(), EngineRun{{"--window-id", Hex(window)}, {{"TMPDIR", tmp.path()}, {"XDG_RUNTIME_DIR", tmp.path()}}});
  ASSERT_TRUE(x_.WaitFor(window, {{160, 120}}, kRed, Ms(15000)));
  const std::string extraction = Extraction(tmp, child);
  XDestroyWindow(x_.get(), window);
  XSync(x_.get(), False);
  EXPECT_EQ(WaitForExit(child, Ms(1000)), 0);
  EXPECT_FALSE(FileExists(extraction));
}

TEST_F(HackE2E, AWindowIdThatNamesNoWindowEndsQuietly) {
  for (const char* id : {"0x7ffffff0", "lake"}) {
    TempDir tmp;
    const pid_t child = Start(Saver(), EngineRun{{"--window-id", id}, {{"TMPDIR", tmp.path()}, {"XDG_RUNTIME_DIR", tmp.path()}}});
    EXPECT_EQ(WaitForExit(child, Ms(5000)), 0) << id;
    EXPECT_TRUE(ListDirectory(tmp.path()).empty()) << id;
  }
}

// The music reaches SDL's disk driver in a large window and nothing does in a small one.
TEST_F(HackE2E, ASmallPreviewIsSilent) {
  struct Case {
    int width, height;
    bool audible;
  };
  for (const Case c : {Case{200, 150, false}, Case{640, 480, true}}) {
    TempDir tmp;
    const std::string sound = tmp / "sound.raw";
    const Window window = x_.MakeWindow(c.width, c.height);
    EngineRun run{{"--window-id", Hex(window)}, {{"TMPDIR", tmp.path()}, {"XDG_RUNTIME_DIR", tmp.path()},
                                           {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", sound}}};
    const pid_t child = Start(Saver(), run);
    EXPECT_TRUE(x_.WaitFor(window, {{c.width / 2, c.height / 2}}, kRed, Ms(15000)));
    std::this_thread::sleep_for(Ms(1500));
    kill(child, SIGTERM);
    EXPECT_EQ(WaitForExit(child, Ms(2000)), 0);
    std::string bytes;
    ReadFileBytes(sound, bytes);
    bool anySound = false;
    for (char b : bytes) anySound = anySound || b != 0;
    EXPECT_EQ(anySound, c.audible) << c.width << "x" << c.height << ", " << bytes.size() << " bytes of output";
    XDestroyWindow(x_.get(), window);
    XSync(x_.get(), False);
  }
}

// As an installed screensaver in a folder the user may not write: the configuration window
// keeps the user's choices in $XDG_CONFIG_HOME/kxsaver/NAME.ini.
TEST_F(HackE2E, SettingsGoToTheConfigFolderWhenTheProgramsFolderIsNotWritable) {
  TempDir installed, tmp, config;
  const std::string saver = installed / "Show.scr";
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(Saver(), bytes));
  ASSERT_TRUE(WriteFileReplacing(saver, bytes));
  chmod(saver.c_str(), 0755);
  EngineRun run{{"/C"},
          {{"TMPDIR", tmp.path()}, {"XDG_RUNTIME_DIR", tmp.path()}, {"XDG_CONFIG_HOME", config.path()}, {"HOME", config.path()}}};
  if (geteuid() == 0) {
    // Root may write anywhere: the program runs as an ordinary user, who may read the
    // display's key, own the temporary and config folders, and not write the program's.
    const uid_t nobody = 65534;
    for (const TempDir* d : {&tmp, &config}) ASSERT_EQ(chown(d->path().c_str(), nobody, nobody), 0);
    if (const char* authority = std::getenv("XAUTHORITY")) {
      std::string key;
      ASSERT_TRUE(ReadFileBytes(authority, key));
      const std::string copy = tmp / "Xauthority";
      ASSERT_TRUE(WriteFileReplacing(copy, key));
      ASSERT_EQ(chown(copy.c_str(), nobody, nobody), 0);
      run.env.push_back({"XAUTHORITY", copy});
    }
    run.uid = nobody;
  }
  chmod(installed.path().c_str(), 0555);
  const pid_t child = Start(saver, run);
  std::this_thread::sleep_for(Ms(3000));  // the configuration window is up
  kill(child, SIGTERM);
  EXPECT_EQ(WaitForExit(child, Ms(2000)), 0);
  chmod(installed.path().c_str(), 0755);
  EXPECT_TRUE(FileExists(config / "kxsaver/Show.ini")) << "the choices were not kept in the config folder";
  EXPECT_FALSE(FileExists(installed / "Show.ini"));
}

}  // namespace
}  // namespace kx::test
