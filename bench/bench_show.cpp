// The show's CPU use at 1920 x 1080 and its 30 frames per second, as percent of one core:
// the process CPU time over the wall time while the idle handler runs a fixed number of
// frames with the real clock and its 33 ms frame floor.
//
//   still       a still picture, between changes
//   scene       a water scene (reflection, sway, perspective on the lower half) with 1000
//               snowflakes and the clock, between changes
//   transitions item changes back to back (duration 0): every idle call loads the next
//               picture and plays a 1-second transition; the steps run without pauses, so
//               this is bound to be near 100 percent; steps per second tell its frame rate
//   scene-scaled the scene rendered at 800 x 600 and scaled to the whole display (the
//               presentation a user settings file asks for by default); in the core case
//               the frames stay at 800 x 600, nothing scales them
//
// Each case runs twice: "core", where frames end in the show's display surface (the window
// is a stub that presents nothing), and "window", where they are painted by the real saver
// window on Qt's offscreen platform (a 1920 x 1080 screen; no X server, no display
// hardware). Target: the scene under 25 percent of one core outside transitions.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "imaging/PictureCodec.h"
#include "platform/Files.h"
#include "saver/SaverShow.h"
#include "saver/qt/ScrSvrWindow.h"
#include "scene/ScenePackageWriter.h"
#include "scene/WaterMask.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}
double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class NullAudio final : public kx::AudioService {
 public:
  void OpenVoice(int) override {}
  void CloseVoice(int) override {}
  void LoadVoice(int, const kx::PcmSound&) override {}
  void PlayVoice(int, int32_t, bool) override {}
  void StopVoice(int) override {}
  void PlaySimple(const kx::PcmSound&, bool) override {}
  void StopSimple() override {}
  void OpenMusic(const std::string&) override { throw kx::AudioError("no music"); }
  void CloseMusic() override {}
  void PlayMusic() override {}
  int64_t MusicPositionMs() override { return 0; }
  int64_t MusicLengthMs() override { return 0; }
  void SetMusicVolume(int32_t) override {}
  void SetMusicFinishedHandler(std::function<void()>) override {}
};

class NullMessages final : public kx::MessageBoxService {
 public:
  void Show(kx::MessageKind, const std::string&, const std::string&) override {}
  bool Ask(const std::string&, const std::string&) override { return true; }
};

// Frames end in the show's surface; nothing is painted.
class StubWindow final : public kx::SaverWindowPort {
 public:
  kx::ItemSize ScreenSize() override { return {kWidth, kHeight}; }
  bool StartScaledPresentation() override { return scaled; }
  bool CanDraw() override { return true; }
  void Present(const kx::Bitmap32& surface, bool, const kx::ChangedRows*) override {
    ++presents;
    benchmark::DoNotOptimize(surface.Data());
  }
  void Retarget(const kx::Bitmap32&) override {}
  void ProcessPendingMessages() override {}
  void RequestClose() override {}
  void SetCursorHidden(bool) override {}
  void SetIdleHandler(bool) override {}
  void WakeForMusic() override {}
  int presents = 0;
  bool scaled = false;
};

kx::Bitmap32 MakePicture(int w, int h, uint32_t seed) {
  kx::Bitmap32 b(w, h);
  uint32_t noise = seed;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[x] = kx::Rgb((x * 255 / w + (noise >> 28)) & 0xFF, (y * 255 / h) & 0xFF,
                       ((x + y) * 127 / (w + h) + (seed & 0x3F) + (noise >> 29)) & 0xFF);
    }
  }
  return b;
}

struct Media {
  std::string folder;
  std::string still, still2, scene;
};

const Media& BenchMedia() {
  static Media media = [] {
    Media m;
    char pattern[] = "/tmp/kx-bench-show-XXXXXX";
    m.folder = std::string(mkdtemp(pattern)) + "/";
    std::vector<uint8_t> jpeg;
    std::string error;
    kx::EncodeJpeg(MakePicture(kWidth, kHeight, 7), 90, jpeg, error);
    m.still = m.folder + "still.jpg";
    kx::WriteWholeFile(m.still, jpeg, error);
    kx::EncodeJpeg(MakePicture(kWidth, kHeight, 99), 90, jpeg, error);
    m.still2 = m.folder + "still2.jpg";
    kx::WriteWholeFile(m.still2, jpeg, error);

    kx::ScenePackage p;
    kx::EncodeJpeg(MakePicture(kWidth, kHeight, 31), 90, p.PictureJpeg, error);
    kx::EncodeJpeg(MakePicture(80, 45, 3), 80, p.ThumbnailJpeg, error);
    kx::Bitmap32 mask(kWidth, kHeight, 0);
    for (int y = kHeight / 2; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) mask.SetPixel(x, y, kx::MaskPixelOfRegion(1));
    p.MaskCodes = kx::EncodeMaskRuns(mask);
    kx::TWaveParam& wave = p.Waves[0];
    wave = kx::TWaveParam::Defaults();
    wave.Style = 1;
    wave.Perspective = 1;
    wave.Sway = 1;
    wave.Reflection = 1;
    p.Weather.Kind = kx::kWeatherSnow;
    p.Weather.Count = 1000;
    p.Weather.SpeedIndex = 10;
    p.Weather.SizeOrWind = 8;
    p.Weather.Opacity = 9;
    m.scene = m.folder + "snow.kxp";
    kx::WriteScenePackageFile(m.scene, p, error);
    return m;
  }();
  return media;
}

struct Case {
  const char* name;
  std::vector<std::string> items;
  int32_t duration;
  int frames;
  bool scaled = false;  // rendered at 800 x 600 and scaled to the whole display
};

std::vector<Case> Cases() {
  const Media& m = BenchMedia();
  return {
      {"still", {m.still}, 1000, 150},
      {"scene", {m.scene}, 1000, 150},
      {"transitions", {m.still, m.still2}, 0, 4},
      {"scene-scaled", {m.scene}, 1000, 150, true},
  };
}

kx::TKXCProject ProjectOf(const Case& c) {
  kx::TKXCProject project;
  for (const std::string& item : c.items) {
    project.FileList.Names.push_back(item);
    project.FileList.Flags.push_back("TRUE");
  }
  kx::TKXCSetting& s = project.Setting;
  s.Music = false;
  s.Sound = false;
  s.Stretch = false;  // the media have the screen's size
  s.DirectX = c.scaled;
  s.DirectXQuality = 1;
  s.ShowImageMode = 1;
  s.Duration = c.duration;
  s.Transition = true;
  s.TransitionTime = 1000;
  s.ShowClock = true;
  return project;
}

kx::SaverEnvironment Environment(NullAudio& audio, NullMessages& messages) {
  kx::SaverEnvironment env;
  env.clock = &kx::DefaultClock();
  env.audio = &audio;
  env.messages = &messages;
  env.extractionFolder = BenchMedia().folder;
  return env;
}

void Report(benchmark::State& state, double cpu, double wall, int frames, int presents) {
  state.counters["core_percent"] = 100.0 * cpu / wall;
  state.counters["fps"] = presents / wall;
  state.counters["cpu_ms_per_present"] = 1000.0 * cpu / presents;
  state.counters["idle_calls"] = frames;
}

void RunCore(benchmark::State& state, Case c) {
  NullAudio audio;
  NullMessages messages;
  StubWindow window;
  window.scaled = c.scaled;
  kx::TKXCProject project = ProjectOf(c);
  for (auto _ : state) {
    kx::TSaverShow show(window, Environment(audio, messages));
    show.SetProject(project);
    show.FormShow();
    for (int i = 0; i < 5; ++i) show.AppIdle();  // the first frames, past the load
    window.presents = 0;
    const double cpu0 = ProcessSeconds(), wall0 = WallSeconds();
    for (int i = 0; i < c.frames; ++i) show.AppIdle();
    Report(state, ProcessSeconds() - cpu0, WallSeconds() - wall0, c.frames, window.presents);
    show.FormClose();
  }
}

// The real saver window on the offscreen platform. Paints are counted as the presents.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void RunWindow(benchmark::State& state, Case c) {
  NullAudio audio;
  NullMessages messages;
  kx::TKXCProject project = ProjectOf(c);
  for (auto _ : state) {
    kx::TKXfmScrSvr window(project, Environment(audio, messages));
    PaintCounter counter;
    window.installEventFilter(&counter);
    window.Open();
    // Idle calls run whenever the queue is empty; each ends with one present (a paint).
    while (counter.paints < 5) QCoreApplication::processEvents();
    counter.paints = 0;
    const int wanted = c.duration == 0 ? 4 * 40 : c.frames;
    const double cpu0 = ProcessSeconds(), wall0 = WallSeconds();
    while (counter.paints < wanted) QCoreApplication::processEvents();
    Report(state, ProcessSeconds() - cpu0, WallSeconds() - wall0, 0, counter.paints);
    window.removeEventFilter(&counter);
    window.close();
  }
}

}  // namespace

int main(int argc, char** argv) {
  // One offscreen screen of 1920 x 1080 for the window cases.
  const std::string config = BenchMedia().folder + "screen.json";
  const std::string json = R"({"windowFrameMargins": false, "screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080}]})";
  std::string error;
  kx::WriteWholeFile(config, std::vector<uint8_t>(json.begin(), json.end()), error);
  std::string platform = "offscreen:configfile=" + config;
  int qtArgc = 3;
  char* qtArgv[] = {argv[0], const_cast<char*>("-platform"), platform.data(), nullptr};
  QApplication app(qtArgc, qtArgv);

  // The baseline of this run: one copy of a full frame.
  {
    std::vector<uint32_t> a(size_t(kWidth) * kHeight, 1), b(size_t(kWidth) * kHeight, 2);
    double fastest = 1e9;
    for (int i = 0; i < 30; ++i) {
      const double t0 = WallSeconds();
      std::memcpy(b.data(), a.data(), a.size() * 4);
      benchmark::ClobberMemory();
      fastest = std::min(fastest, WallSeconds() - t0);
      std::swap(a, b);
    }
    std::printf("baseline: one 1920 x 1080 frame copy takes %.2f ms (%.1f percent of one core at 30 fps)\n",
                fastest * 1000, fastest * 30 * 100);
  }

  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark((std::string("core/") + c.name).c_str(), RunCore, c)
        ->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("window/") + c.name).c_str(), RunWindow, c)
        ->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kx::RemoveTreeNoFollow(BenchMedia().folder);
  return 0;
}
