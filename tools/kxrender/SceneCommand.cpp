// kxrender scene FILE.kxp --frames N --dt MS --out DIR [options]: renders N frames of a scene
// package headless, as the show would present them, and writes them as DIR/frame-0001.png,
// frame-0002.png, ...
//
// The engine runs on a clock of its own that starts at tick --seed (default 1; the engine
// seeds the random generator from the tick when the scene starts, so the seed fixes the
// water's jitter and the weather) and advances --dt milliseconds before every frame. The
// clock's local time starts at --time (default 10:10:00) and runs with the ticks.
//
// Options:
//   --size WxH       the display size; needed by --resize and --stretch
//   --resize         fit the scene into the display size keeping its aspect ratio, as the
//                    show does with "Proportional"
//   --stretch        stretch the scene to the display size
//   --clock CORNER   show the clock: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
//   --time HH:MM:SS  the clock's time at the first frame
//   --speed PERCENT  the show's animation speed (default 100)
//   --seed S         the tick at which the scene starts
//   --media DIR      where object images are looked for when their stored name names no
//                    file (as the show looks in its extraction folder); default: the
//                    package's folder
// The scene's animated objects step every 5 ms of the clock, as their workers do in the
// show, but on this thread, so that their timing shows in the numbered frames; text objects
// are drawn with QtGui's fonts on its offscreen platform.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "anim/AnimEngine.h"
#include "anim/AnimObjects.h"
#include "anim/TextObject.h"
#include "anim/qt/QtTextPainter.h"
#include "imaging/PictureCodec.h"
#include "platform/Clock.h"
#include "scene/Project.h"
#include "tools/kxrender/Commands.h"

namespace kx::kxrender {

namespace {

constexpr char kUsage[] =
    "kxrender scene: expected FILE.kxp --frames N --dt MS --out DIR [--size WxH] [--resize | --stretch] "
    "[--clock CORNER] [--time HH:MM:SS] [--speed PERCENT] [--seed S] [--media DIR]\n";

// The engine's time: a tick that only moves when told to, and a local time that runs with it.
class RenderClock final : public Clock {
 public:
  RenderClock(uint32_t startTick, int startSecondOfDay) : now(startTick), start_(startTick), startSecond_(startSecondOfDay) {}
  uint32_t TickMs() override { return now; }
  void SleepMs(uint32_t ms) override { now += ms; }
  TimeOfDay LocalTimeOfDay() override {
    const int64_t second = (startSecond_ + static_cast<int64_t>(now - start_) / 1000) % 86400;
    return {static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60), static_cast<int>(second % 60)};
  }
  uint32_t now;

 private:
  uint32_t start_;
  int startSecond_;
};

bool ParseLong(const std::string& text, long lo, long hi, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' && value >= lo && value <= hi;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  long w = 0, h = 0;
  if (x == std::string::npos || !ParseLong(text.substr(0, x), 1, 16384, w) || !ParseLong(text.substr(x + 1), 1, 16384, h) ||
      w * h > kMaxPicturePixels) {
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ParseTime(const std::string& text, int& secondOfDay) {
  long h = 0, m = 0, s = 0;
  if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !ParseLong(text.substr(0, 2), 0, 23, h) ||
      !ParseLong(text.substr(3, 2), 0, 59, m) || !ParseLong(text.substr(6, 2), 0, 59, s)) {
    return false;
  }
  secondOfDay = static_cast<int>(h * 3600 + m * 60 + s);
  return true;
}

struct Options {
  std::string package;
  std::string out;
  long frames = -1;
  long dt = -1;
  int width = 0, height = 0;
  bool resize = false, stretch = false;
  long corner = -1;  // no clock
  int timeOfDay = 10 * 3600 + 10 * 60;
  long speed = 100;
  long seed = 1;
  std::string media;  // "" : the package's folder
};

// Reads the arguments; false with a message for anything malformed.
bool ParseOptions(const Args& args, Options& o, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& v) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      v = args[++i];
      return true;
    };
    // False with `message` unless an earlier message says more.
    auto check = [&](bool ok, const char* message) {
      if (!ok && error.empty()) error = message;
      return ok;
    };
    std::string v;
    if (a == "--resize") {
      o.resize = true;
    } else if (a == "--stretch") {
      o.stretch = true;
    } else if (a == "--frames") {
      if (!check(value(v) && ParseLong(v, 1, 100000, o.frames), "--frames must be from 1 to 100000")) return false;
    } else if (a == "--dt") {
      if (!check(value(v) && ParseLong(v, 0, 3600000, o.dt), "--dt must be from 0 to 3600000 ms")) return false;
    } else if (a == "--out") {
      if (!value(o.out)) return false;
    } else if (a == "--media") {
      if (!value(o.media)) return false;
    } else if (a == "--size") {
      if (!check(value(v) && ParseSize(v, o.width, o.height), "--size must be WxH, 1 to 16384 each")) return false;
    } else if (a == "--clock") {
      if (!check(value(v) && ParseLong(v, 0, 3, o.corner), "--clock must be a corner from 0 to 3")) return false;
    } else if (a == "--time") {
      if (!check(value(v) && ParseTime(v, o.timeOfDay), "--time must be HH:MM:SS")) return false;
    } else if (a == "--speed") {
      if (!check(value(v) && ParseLong(v, 1, 10000, o.speed), "--speed must be from 1 to 10000 percent")) return false;
    } else if (a == "--seed") {
      if (!check(value(v) && ParseLong(v, 0, 4294967295L, o.seed), "--seed must be from 0 to 4294967295")) return false;
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else if (o.package.empty()) {
      o.package = a;
    } else {
      error = "more than one scene package given";
      return false;
    }
  }
  if (o.package.empty() || o.out.empty() || o.frames < 0 || o.dt < 0) {
    error = "FILE.kxp, --frames, --dt and --out are needed";
    return false;
  }
  if (o.resize && o.stretch) {
    error = "--resize and --stretch exclude each other";
    return false;
  }
  if ((o.resize || o.stretch) && o.width == 0) {
    error = "--resize and --stretch need --size WxH";
    return false;
  }
  return true;
}

}  // namespace

int RunScene(const Args& args) {
  Options o;
  std::string error;
  if (!ParseOptions(args, o, error)) {
    std::fprintf(stderr, "kxrender scene: %s\n%s", error.c_str(), kUsage);
    return 2;
  }

  TProject project;
  if (!project.LoadFromFile(o.package)) {
    // The show goes on with what was read; without a picture there is nothing to show.
    if (!project.Picture || project.Picture->Empty()) {
      std::fprintf(stderr, "kxrender scene: cannot read %s: %s\n", o.package.c_str(), project.LastError().c_str());
      return 1;
    }
    std::fprintf(stderr, "kxrender scene: %s is damaged (%s); rendering what was read\n", o.package.c_str(),
                 project.LastError().c_str());
  }
  project.SetSpeed(static_cast<int32_t>(o.speed));
  if (o.resize || o.stretch) project.Resize(o.resize, o.width, o.height);

  std::error_code ec;
  std::filesystem::create_directories(o.out, ec);
  if (ec) {
    std::fprintf(stderr, "kxrender scene: cannot make the folder %s: %s\n", o.out.c_str(), ec.message().c_str());
    return 1;
  }

  RenderClock clock(static_cast<uint32_t>(o.seed), o.timeOfDay);
  TAnimEngine engine(clock);
  engine.ShowClock = o.corner >= 0;
  if (engine.ShowClock) engine.Clock.Corner = static_cast<uint8_t>(o.corner);
  // The objects step by hand on the render clock; fonts only when a text object needs them.
  TQtTextPainter painter;
  TAnimObjects objects(TObjectServices{&clock, &painter, "", false});
  objects.LoadFromText(project.ObjectListText);
  std::string media = o.media.empty() ? std::filesystem::path(o.package).parent_path().string() : o.media;
  if (media.empty()) media = ".";
  if (media.back() != '/') media += '/';
  objects.ResolveFiles(media);
  std::unique_ptr<QGuiApplication> gui;
  for (int i = 0; i < objects.Count(); ++i) {
    if (dynamic_cast<TTextObject*>(&objects.Item(i)) != nullptr) {
      gui = StartOffscreenGui();
      break;
    }
  }

  engine.SetProject(project, &objects);
  engine.SetWeather(false);
  engine.Start();
  engine.SetWeather(project.Weather && project.Weather->Kind > 0);

  uint32_t stepTick = clock.now;
  for (long i = 1; i <= o.frames; ++i) {
    const uint32_t target = clock.now + static_cast<uint32_t>(o.dt);
    while (target - stepTick >= 5) {
      stepTick += 5;
      clock.now = stepTick;
      objects.StepAll();
    }
    clock.now = target;
    engine.RenderFrame();
    std::vector<uint8_t> png;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04ld.png", i);
    const std::string path = (std::filesystem::path(o.out) / name).string();
    if (!EncodePng(engine.GetFrame(), png, error) || !WriteWholeFile(path, png, error)) {
      std::fprintf(stderr, "kxrender scene: %s\n", error.c_str());
      return 1;
    }
  }
  std::printf("%ld frames of %dx%d written to %s\n", o.frames, engine.GetFrame().Width(), engine.GetFrame().Height(),
              o.out.c_str());
  return 0;
}

}  // namespace kx::kxrender
