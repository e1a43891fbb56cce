// The show's processor use and memory on a real X server, the way a screensaver daemon runs it.
//
// The benchmark starts its own Xvfb (1920 x 1080 x 24; another size with the first argument
// or KX_BENCH_SIZE, e.g. 3840x2160), makes three screensavers with kxpack's packaging code from
// media it generates, and plays each one for a measured window in a full-screen window that it
// creates with Xlib, as xscreensaver does (`SAVER --window-id 0xID`):
//
//   (a) photo show    five photo-like 1920 x 1080 JPEGs in list order, 8 s each, 2 s
//                     transitions (the builder's default effect list); also played with /S,
//                     in the engine's own full-screen window
//   (b) scene         a water scene (reflection over the lower half) with 1000 snowflakes and
//                     the clock, one item; also played with /S
//   (c) still         one still picture, no clock: nothing on the screen changes
//
// When xscreensaver's glslideshow is installed it plays the same photos in the same kind of
// window (--duration 10 --pan 10 --fade 2: a new photo every 10 s with a 2 s cross-fade; its
// default pan and zoom), with HOME pointed at a folder whose .xscreensaver names the photo
// folder as imageDirectory. It is the baseline: every case prints its ratio against it.
//
// Each case gets a fresh X server. After a warm-up (KX_BENCH_WARMUP seconds, default 4: the
// start-up and first frame are not what a screensaver costs for hours) the processor time of
// the player process and of the X server is read from /proc/PID/stat (utime + stime, plus the
// children they have waited for: glslideshow loads its pictures through helper programs) over
// the measured window (KX_BENCH_SECONDS, default 20), as percent of one core. Both slide
// shows repeat every 10 s, so a window of a multiple of 10 s holds the same share of
// transitions wherever it starts. Peak memory is the player's VmHWM at the end of the window.
// "waited" is the time the player's threads were ready to run but had no processor: on a busy
// machine a starved player draws fewer frames and its figure reads low, so compare runs whose
// waits are alike. KX_BENCH_SHOTS=DIR writes a screenshot of each case into DIR just before its
// measured window, to see that the right thing is playing. KX_BENCH_ONLY=WORD,WORD plays only
// the cases whose names hold one of the words (e.g. "glslideshow,water").
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "imaging/PictureCodec.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "scene/ScenePackageWriter.h"
#include "tools/kxpack/BuildCommand.h"
#include "tools/kxpack/SceneCommands.h"

extern char** environ;

namespace {

constexpr int kPhotoWidth = 1920;
constexpr int kPhotoHeight = 1080;
constexpr int kPhotoCount = 5;
constexpr const char* kGlSlideshow = "/usr/libexec/xscreensaver/glslideshow";
constexpr const char* kHackFolder = "/usr/libexec/xscreensaver";

double EnvSeconds(const char* name, double fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  const double value = std::atof(text);
  return value > 0 ? value : fallback;
}

void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

bool WritePicture(const std::string& path, const kx::Bitmap32& picture, bool png) {
  std::vector<uint8_t> bytes;
  std::string error;
  const bool encoded = png ? kx::EncodePng(picture, bytes, error) : kx::EncodeJpeg(picture, 90, bytes, error);
  if (!encoded || !kx::WriteWholeFile(path, bytes, error)) {
    std::fprintf(stderr, "bench_show_cpu: cannot write %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

// A landscape that compresses like a photo: a sky gradient, a sun, two ranges of hills, a sea
// below the horizon, and film grain so the JPEG is not unnaturally small. Each variant has its
// own light (day, sunset, dusk, morning, haze), so that a transition changes every pixel.
kx::Bitmap32 Photo(int variant) {
  static constexpr double kLight[][3] = {{1, 1, 1}, {1.35, 0.8, 0.55}, {0.55, 0.5, 0.8}, {1.1, 1.05, 0.8}, {0.9, 0.95, 0.95}};
  const double* light = kLight[variant % 5];
  kx::Bitmap32 b(kPhotoWidth, kPhotoHeight);
  uint32_t noise = 7919u * (variant + 1);
  const double hue = variant * 0.9;
  const int horizon = kPhotoHeight * 11 / 20;
  const double sunX = kPhotoWidth * (0.2 + 0.15 * variant), sunY = kPhotoHeight * 0.25;
  for (int y = 0; y < kPhotoHeight; ++y) {
    uint32_t* row = b.Row(y);
    for (int x = 0; x < kPhotoWidth; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28) - 8;
      const double far = horizon - 120 - 60 * std::sin(x * 0.004 + hue) - 25 * std::sin(x * 0.017 + 2 * hue);
      const double near = horizon - 40 - 50 * std::sin(x * 0.007 + 3 * hue) - 12 * std::sin(x * 0.05 + hue);
      double r, g, bl;
      if (y > horizon) {  // sea: darker towards the viewer, with ripples
        const double t = double(y - horizon) / (kPhotoHeight - horizon);
        const double ripple = 10 * std::sin(y * 0.35 + std::sin(x * 0.01) * 3);
        r = 30 + 40 * (1 - t) + ripple, g = 70 + 50 * (1 - t) + ripple, bl = 110 + 60 * (1 - t) + ripple;
      } else if (y > near) {
        r = 40 + 20 * std::sin(hue), g = 80 + 15 * std::sin(x * 0.02), bl = 35;
      } else if (y > far) {
        r = 90 + 20 * std::sin(hue), g = 100, bl = 120 + 10 * std::sin(x * 0.01);
      } else {
        const double t = double(y) / horizon;
        const double d = std::hypot(x - sunX, y - sunY);
        const double glow = d < 60 ? 255 : 120 * std::exp(-d / 260);
        r = 70 + 150 * t + glow + 30 * std::sin(hue), g = 110 + 90 * t + glow * 0.8, bl = 200 - 40 * t + glow * 0.3;
      }
      auto clamp = [&](double v) { return static_cast<uint32_t>(std::lround(std::fmin(255, std::fmax(0, v + grain)))); };
      row[x] = kx::Rgb(clamp(r * light[0]), clamp(g * light[1]), clamp(bl * light[2]));
    }
  }
  return b;
}

// ---- child processes ----

struct Child {
  pid_t pid = -1;
  explicit operator bool() const { return pid > 0; }
};

// The children alive now (the X server, a player, a screenshot), so that an interrupted run
// ends them instead of leaving an X server and a saver behind.
constexpr int kMaxLive = 8;
volatile sig_atomic_t g_live[kMaxLive] = {};

void Track(pid_t pid, bool alive) {
  for (auto& slot : g_live)
    if (alive ? slot == 0 : slot == pid) {
      slot = alive ? pid : 0;
      return;
    }
}

void EndChildrenAndExit(int sig) {
  for (auto& slot : g_live)
    if (slot != 0) kill(slot, SIGTERM);
  _exit(128 + sig);
}

std::vector<std::string> Environment(const std::vector<std::pair<std::string, std::string>>& overrides) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const auto& [name, value] : overrides) replaced |= entry.compare(0, name.size() + 1, name + "=") == 0;
    if (!replaced) env.push_back(entry);
  }
  for (const auto& [name, value] : overrides) env.push_back(name + "=" + value);
  return env;
}

// Starts `args` with `env`; its output goes to `log` (appended). Descriptors without
// FD_CLOEXEC stay open in the child (Xvfb's -displayfd pipe).
Child Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& log) {
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // A process group of its own, so that the terminal's Ctrl+C reaches only this program,
  // which then ends its children itself (EndChildrenAndExit).
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  Child child;
  if (posix_spawnp(&child.pid, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) child.pid = -1;
  if (child.pid > 0) Track(child.pid, true);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  return child;
}

bool Alive(const Child& child) { return child.pid > 0 && waitpid(child.pid, nullptr, WNOHANG) == 0; }

// SIGTERM as a daemon sends it, then SIGKILL after 3 s.
void Stop(Child& child) {
  if (child.pid <= 0) return;
  Track(child.pid, false);
  kill(child.pid, SIGTERM);
  for (int i = 0; i < 60; ++i) {
    if (waitpid(child.pid, nullptr, WNOHANG) != 0) {
      child.pid = -1;
      return;
    }
    SleepSeconds(0.05);
  }
  kill(child.pid, SIGKILL);
  waitpid(child.pid, nullptr, 0);
  child.pid = -1;
}

// utime + stime + cutime + cstime of a process, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(stat.substr(close + 2));
  std::vector<std::string> f;
  for (std::string token; fields >> token && f.size() < 15;) f.push_back(token);
  if (f.size() < 15) return 0;  // f[0] is field 3 (state); utime is field 14
  double ticks = 0;
  for (int i = 11; i <= 14; ++i) ticks += std::atof(f[i].c_str());
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Seconds the threads of a process have spent ready to run but waiting for a processor
// (second field of each thread's schedstat). On a busy machine a player that waits a lot draws
// fewer frames than it would alone, and its processor figure is then too low.
double WaitSeconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task/";
  double ns = 0;
  for (const auto& tid : kx::ListDirectory(tasks)) {
    std::ifstream in(tasks + tid + "/schedstat");
    double run = 0, wait = 0;
    if (in >> run >> wait) ns += wait;
  }
  return ns * 1e-9;
}

// Peak resident memory (VmHWM) in MB.
double PeakMb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

// ---- the X server and the daemon's window ----

struct XServer {
  Child process;
  std::string display;
};

std::optional<XServer> StartXvfb(int width, int height, const std::string& log) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);  // only the write end is the server's
  XServer server;
  server.process = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                          std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"},
                         Environment({}), log);
  close(fds[1]);
  std::string number;
  char c;
  while (server.process && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!server.process || number.empty()) {
    Stop(server.process);
    return std::nullopt;
  }
  server.display = ":" + number;
  return server;
}

// A full-screen window like the one xscreensaver gives its hacks: override-redirect, black,
// mapped and raised.
struct DaemonWindow {
  Display* dpy = nullptr;
  Window window = 0;
  std::string Id() const {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
  }
  ~DaemonWindow() {
    if (dpy != nullptr) XCloseDisplay(dpy);
  }
};

bool OpenDaemonWindow(const std::string& display, int width, int height, DaemonWindow& out) {
  out.dpy = XOpenDisplay(display.c_str());
  if (out.dpy == nullptr) return false;
  const int screen = DefaultScreen(out.dpy);
  XSetWindowAttributes attrs{};
  attrs.override_redirect = True;
  attrs.background_pixel = BlackPixel(out.dpy, screen);
  out.window = XCreateWindow(out.dpy, RootWindow(out.dpy, screen), 0, 0, width, height, 0, CopyFromParent,
                             InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attrs);
  XStoreName(out.dpy, out.window, "screensaver");
  XMapRaised(out.dpy, out.window);
  XSync(out.dpy, False);
  return true;
}

// ---- one case ----

struct Case {
  std::string name;
  std::vector<std::string> command;  // "{WINDOW}" is replaced by the window id
  std::vector<std::pair<std::string, std::string>> env;
  bool inWindow = true;
  bool baseline = false;
};

struct Figures {
  bool ok = false;
  std::string problem;
  std::string note;  // something the player said that matters for reading its figures
  double saverPercent = 0, serverPercent = 0, peakMb = 0, waitPercent = 0;
  double Total() const { return saverPercent + serverPercent; }
};

struct Setup {
  int width = 1920, height = 1080;
  double warmup = 4, window = 20;
  std::string dir, shots;
};

// "(a) photo show, /S" becomes "a-photo-show-s".
std::string ShotName(const std::string& caseName) {
  std::string name;
  for (char c : caseName) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!name.empty() && name.back() != '-')
      name += '-';
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  return name;
}

Figures RunCase(const Setup& setup, const Case& c) {
  Figures figures;
  // Each case writes its own log, so that what its player said can be looked up afterwards.
  const std::string log = setup.dir + "log-" + ShotName(c.name) + ".txt";
  auto server = StartXvfb(setup.width, setup.height, log);
  if (!server) {
    figures.problem = "Xvfb did not start (see " + log + ")";
    return figures;
  }
  DaemonWindow window;
  if (c.inWindow && !OpenDaemonWindow(server->display, setup.width, setup.height, window)) {
    figures.problem = "cannot open the display " + server->display;
    Stop(server->process);
    return figures;
  }
  std::vector<std::string> command = c.command;
  for (auto& arg : command)
    if (arg == "{WINDOW}") arg = window.Id();
  std::vector<std::pair<std::string, std::string>> env = c.env;
  env.push_back({"DISPLAY", server->display});
  env.push_back({"QT_QPA_PLATFORM", "xcb"});
  env.push_back({"SDL_AUDIODRIVER", "dummy"});
  Child player = Spawn(command, Environment(env), log);

  SleepSeconds(setup.warmup);
  if (!setup.shots.empty()) {
    Child shot = Spawn({"import", "-display", server->display, "-window", "root",
                        setup.shots + "/" + ShotName(c.name) + "-" + std::to_string(setup.width) + ".png"},
                       Environment({}), log);
    if (shot) waitpid(shot.pid, nullptr, 0);
    Track(shot.pid, false);
  }
  if (!Alive(player)) {
    figures.problem = "the player ended early (see " + log + ")";
  } else {
    const auto start = std::chrono::steady_clock::now();
    const double saver0 = CpuSeconds(player.pid), server0 = CpuSeconds(server->process.pid);
    const double wait0 = WaitSeconds(player.pid);
    SleepSeconds(setup.window);
    const double saver1 = CpuSeconds(player.pid), server1 = CpuSeconds(server->process.pid);
    const double wait1 = WaitSeconds(player.pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.peakMb = PeakMb(player.pid);
    if (!Alive(player)) {
      figures.problem = "the player ended during the measurement (see " + log + ")";
    } else {
      figures.ok = true;
      figures.saverPercent = 100 * (saver1 - saver0) / wall;
      figures.serverPercent = 100 * (server1 - server0) / wall;
      figures.waitPercent = 100 * (wait1 - wait0) / wall;
    }
  }
  Stop(player);
  if (window.dpy != nullptr) {
    XCloseDisplay(window.dpy);
    window.dpy = nullptr;
  }
  Stop(server->process);
  // glslideshow measures its frame rate and, below its cutoff (5 fps), stops panning and
  // fading for good: it then shows still pictures with plain cuts, far less work than a slide
  // show with transitions, and its figure is no longer the baseline it stands for.
  std::string output;
  kx::ReadFileBytes(log, output);
  const size_t slow = output.find("Turning off pan/fade");
  if (slow != std::string::npos) {
    const size_t from = output.rfind("only", slow);
    figures.note = "turned off pan and fade (\"" +
                   output.substr(from == std::string::npos ? slow : from, output.find('\n', slow) - from) + "\")";
  }
  return figures;
}

// ---- the screensavers ----

bool BuildFromManifest(const std::string& manifestPath, const std::string& engine, const std::string& out) {
  kx::PackageManifest manifest;
  std::string error;
  if (!kx::LoadManifest(manifestPath, kx::ManifestDefaults{engine, ""}, manifest, error) ||
      !kx::BuildScreensaver(manifest, out, error)) {
    std::fprintf(stderr, "bench_show_cpu: cannot build %s: %s\n", out.c_str(), error.c_str());
    return false;
  }
  return true;
}

// The water scene: a photo whose lower part below the horizon is water that mirrors the rest.
bool MakeScene(const std::string& dir) {
  if (!WritePicture(dir + "bay.jpg", Photo(kPhotoCount), false)) return false;
  kx::Bitmap32 mask(kPhotoWidth, kPhotoHeight, kx::Rgb(0, 0, 0));
  for (int y = kPhotoHeight * 11 / 20 + 1; y < kPhotoHeight; ++y)
    for (int x = 0; x < kPhotoWidth; ++x) mask.SetPixel(x, y, kx::Rgb(0, 0, 255));
  if (!WritePicture(dir + "bay-mask.png", mask, true)) return false;
  WriteText(dir + "bay.scene",
            "[Scene]\nTitle=Bench Bay\nPicture=bay.jpg\nMask=bay-mask.png\n"
            "[Wave1]\nReflection=1\nAmplitude=4\nWaves=30\nSpeed=8\nSway=1\nPerspective=1\n"
            "[Weather]\nKind=snow\nCount=1000\nSpeedIndex=10\nSizeOrWind=8\nOpacity=9\n");
  kx::ScenePackage package;
  std::string error;
  if (!kx::BuildScenePackageFromDescription(dir + "bay.scene", package, error) ||
      !kx::WriteScenePackageFile(dir + "bay.kxp", package, error)) {
    std::fprintf(stderr, "bench_show_cpu: cannot make the scene: %s\n", error.c_str());
    return false;
  }
  return true;
}

bool MakeScreensavers(const std::string& dir, const std::string& engine) {
  kx::CreatePrivateDirectory(dir + "photos");
  std::string items;
  for (int i = 0; i < kPhotoCount; ++i) {
    const std::string name = "photos/photo" + std::to_string(i + 1) + ".jpg";
    if (!WritePicture(dir + name, Photo(i), false)) return false;
    items += name + "\n";
  }
  if (!MakeScene(dir)) return false;
  const std::string quiet = "Music=0\nSound=0\n";
  WriteText(dir + "photos.ini", "[Items]\n" + items +
                                    "[General]\nProductName=Bench Photos\n"
                                    "[Default]\nDuration=8\nTransition=1\nTransitionTime=2000\nShowImageMode=1\n" +
                                    quiet);
  WriteText(dir + "scene.ini", "[Items]\nbay.kxp\n[General]\nProductName=Bench Scene\n"
                               "[Default]\nDuration=3600\nShowClock=1\nClockPos=1\n" + quiet);
  WriteText(dir + "still.ini", "[Items]\nphotos/photo1.jpg\n[General]\nProductName=Bench Still\n"
                               "[Default]\nDuration=3600\nShowClock=0\n" + quiet);
  return BuildFromManifest(dir + "photos.ini", engine, dir + "Photos.scr") &&
         BuildFromManifest(dir + "scene.ini", engine, dir + "Scene.scr") &&
         BuildFromManifest(dir + "still.ini", engine, dir + "Still.scr");
}

}  // namespace

int main(int argc, char** argv) {
  Setup setup;
  std::string size = argc > 1 ? argv[1] : "";
  if (size.empty() && std::getenv("KX_BENCH_SIZE") != nullptr) size = std::getenv("KX_BENCH_SIZE");
  if (!size.empty() && (std::sscanf(size.c_str(), "%dx%d", &setup.width, &setup.height) != 2 || setup.width < 64 ||
                        setup.height < 64 || setup.width > 8192 || setup.height > 8192)) {
    std::fprintf(stderr, "usage: bench_show_cpu [WIDTHxHEIGHT]\n");
    return 2;
  }
  setup.warmup = EnvSeconds("KX_BENCH_WARMUP", 4);
  setup.window = EnvSeconds("KX_BENCH_SECONDS", 20);
  if (const char* shots = std::getenv("KX_BENCH_SHOTS")) setup.shots = shots;
  signal(SIGPIPE, SIG_IGN);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, EndChildrenAndExit);

  char pattern[] = "/tmp/kxbench-showcpu-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  setup.dir = std::string(pattern) + "/";
  const std::string engine = kx::FolderOf(kx::ExecutablePath()) + "kxsaver";
  std::printf("bench_show_cpu: %d x %d, %.0f s warm-up, %.0f s measured per case; making the screensavers in %s\n",
              setup.width, setup.height, setup.warmup, setup.window, setup.dir.c_str());
  std::fflush(stdout);
  if (!MakeScreensavers(setup.dir, engine)) {
    kx::RemoveTreeNoFollow(setup.dir);
    return 1;
  }
  // The savers extract into a private runtime folder of their own, removed with the rest.
  const std::string runtime = setup.dir + "runtime";
  kx::CreatePrivateDirectory(runtime);
  const std::vector<std::pair<std::string, std::string>> saverEnv = {{"XDG_RUNTIME_DIR", runtime}};

  std::vector<Case> cases;
  const bool haveGl = access(kGlSlideshow, X_OK) == 0;
  if (haveGl) {
    // xscreensaver-getimage reads the photo folder from ~/.xscreensaver and is found on PATH,
    // as the daemon sets it for its hacks.
    const std::string home = setup.dir + "home";
    kx::CreatePrivateDirectory(home);
    WriteText(home + "/.xscreensaver", "grabDesktopImages: False\ngrabVideoFrames: False\nchooseRandomImages: True\n"
                                       "imageDirectory: " + setup.dir + "photos\n");
    const char* path = std::getenv("PATH");
    cases.push_back({"glslideshow (same photos)",
                     {kGlSlideshow, "--window-id", "{WINDOW}", "--duration", "10", "--pan", "10", "--fade", "2"},
                     {{"HOME", home}, {"PATH", std::string(kHackFolder) + ":" + (path ? path : "/usr/bin:/bin")}},
                     true,
                     true});
  }
  cases.push_back({"(a) photo show, hack window", {setup.dir + "Photos.scr", "--window-id", "{WINDOW}"}, saverEnv});
  cases.push_back({"(a) photo show, /S", {setup.dir + "Photos.scr", "/S"}, saverEnv, false});
  cases.push_back({"(b) water + 1000 snow + clock", {setup.dir + "Scene.scr", "--window-id", "{WINDOW}"}, saverEnv});
  cases.push_back({"(b) water + snow + clock, /S", {setup.dir + "Scene.scr", "/S"}, saverEnv, false});
  cases.push_back({"(c) still picture", {setup.dir + "Still.scr", "--window-id", "{WINDOW}"}, saverEnv});

  if (const char* only = std::getenv("KX_BENCH_ONLY"); only != nullptr && *only != '\0') {
    std::vector<std::string> words;
    std::stringstream list(only);
    for (std::string word; std::getline(list, word, ',');)
      if (!word.empty()) words.push_back(word);
    std::vector<Case> chosen;
    for (const Case& c : cases)
      for (const std::string& word : words)
        if (c.name.find(word) != std::string::npos) {
          chosen.push_back(c);
          break;
        }
    cases = std::move(chosen);
  }

  std::vector<Figures> results;
  for (const auto& c : cases) {
    std::printf("  %s ...\n", c.name.c_str());
    std::fflush(stdout);
    results.push_back(RunCase(setup, c));
  }

  std::optional<double> baseline;
  for (size_t i = 0; i < cases.size(); ++i)
    if (cases[i].baseline && results[i].ok && results[i].Total() > 0) baseline = results[i].Total();

  double load[3] = {0, 0, 0};
  getloadavg(load, 3);
  std::printf("\nshow at %d x %d, %.0f s per case, %% of one core (load average %.2f %.2f %.2f)\n", setup.width,
              setup.height, setup.window, load[0], load[1], load[2]);
  std::printf("%-32s %8s %9s %8s %8s %12s %9s\n", "case", "saver %", "X server %", "total %", "peak MB",
              "ratio to gl", "waited %");
  for (size_t i = 0; i < cases.size(); ++i) {
    const Figures& f = results[i];
    if (!f.ok) {
      std::printf("%-32s %s\n", cases[i].name.c_str(), f.problem.c_str());
      continue;
    }
    char ratio[32] = "n/a";
    if (baseline) std::snprintf(ratio, sizeof ratio, "%.2f", f.Total() / *baseline);
    std::printf("%-32s %8.1f %9.1f %8.1f %8.1f %12s %9.1f\n", cases[i].name.c_str(), f.saverPercent,
                f.serverPercent, f.Total(), f.peakMb, ratio, f.waitPercent);
  }
  for (size_t i = 0; i < cases.size(); ++i)
    if (!results[i].note.empty()) std::printf("note: %s %s\n", cases[i].name.c_str(), results[i].note.c_str());
  if (!haveGl) std::printf("(%s is not installed: no baseline, no ratios)\n", kGlSlideshow);
  std::printf("waited: the player's threads ready to run but without a processor, %% of the window\n");
  std::printf("targets: photo show at most 0.25 of glslideshow, scene at most 0.17, still picture at most 3 %%\n");

  bool allOk = true;
  for (const auto& f : results) allOk &= f.ok;
  // A failed case keeps the folder with the players' log for a look; KX_BENCH_KEEP keeps it always.
  if (allOk && std::getenv("KX_BENCH_KEEP") == nullptr)
    kx::RemoveTreeNoFollow(setup.dir);
  else
    std::printf("kept %s (log-CASE.txt holds each player's output)\n", setup.dir.c_str());
  return allOk ? 0 : 1;
}
