#pragma once
// Fixtures of the show tests: a fake window that records what reaches the display, pictures
// and scene packages written to a temporary folder, and a harness that wires a show to the
// fake clock and the recording audio service.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/WaveFile.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "saver/SaverShow.h"
#include "scene/ScenePackageWriter.h"
#include "scene/WaterMask.h"
#include "tests/audio/RecordingAudioService.h"
#include "tests/support/TestSupport.h"

namespace kx::test {

class FakeWindow final : public SaverWindowPort {
 public:
  ItemSize screen{1280, 1024};
  bool scaledAvailable = true;
  bool canDraw = true;

  int presents = 0;
  bool lastScaled = false;
  const Bitmap32* lastSurface = nullptr;  // what the display shows, as last presented or retargeted
  // The rows named as changed by the last present; nullopt when it named none.
  std::optional<std::vector<RowRange>> lastChanged;
  int retargets = 0;
  // Runs for every present, with the surface that is put on the display.
  std::function<void(const Bitmap32&, bool)> onPresent;
  int messageCalls = 0;
  std::function<void()> onMessages;
  int closeRequests = 0;
  bool cursorHidden = false;
  int cursorChanges = 0;
  bool idleInstalled = false;
  std::atomic<int> wakeUps{0};

  ItemSize ScreenSize() override { return screen; }
  bool StartScaledPresentation() override { return scaledAvailable; }
  bool CanDraw() override { return canDraw; }
  void Present(const Bitmap32& surface, bool scaled, const ChangedRows* changed) override {
    ++presents;
    lastScaled = scaled;
    lastSurface = &surface;
    lastChanged.reset();
    if (changed != nullptr) lastChanged = changed->Ranges();
    if (onPresent) onPresent(surface, scaled);
  }
  void Retarget(const Bitmap32& surface) override {
    ++retargets;
    lastSurface = &surface;
  }
  void ProcessPendingMessages() override {
    ++messageCalls;
    if (onMessages) onMessages();
  }
  void RequestClose() override { ++closeRequests; }
  void SetCursorHidden(bool hidden) override {
    cursorHidden = hidden;
    ++cursorChanges;
  }
  void SetIdleHandler(bool installed) override { idleInstalled = installed; }
  void WakeForMusic() override { ++wakeUps; }
  double refreshHz = 0;  // 0: the display does not say
  double RefreshRateHz() override { return refreshHz; }
};

// A picture of one colour.
inline Bitmap32 Solid(int width, int height, uint32_t colour) { return Bitmap32(width, height, colour); }

// A picture whose pixels tell their position: red = x mod 256, green = y mod 256, blue =
// (x / 256) * 16 + y / 256. Lossless formats keep it exactly.
inline Bitmap32 PositionPicture(int width, int height) {
  Bitmap32 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, Rgb(x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8)));
  return picture;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  ASSERT_TRUE(WriteWholeFile(path, bytes, error)) << error;
}

inline std::string WriteBmp(const TempDir& dir, const std::string& name, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodeBmp24(picture, bytes));
  WriteBytes(dir / name, bytes);
  return dir / name;
}

inline std::string WriteJpeg(const TempDir& dir, const std::string& name, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodeJpeg(picture, 95, bytes, error)) << error;
  WriteBytes(dir / name, bytes);
  return dir / name;
}

inline std::string WriteGif(const TempDir& dir, const std::string& name, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodeGifAnimation({picture}, 10, bytes, error)) << error;
  WriteBytes(dir / name, bytes);
  return dir / name;
}

// A scene package of a w x h picture (all dry land), with optional weather and sounds.
inline ScenePackage ScenePackageOf(const Bitmap32& picture) {
  ScenePackage p;
  p.Title = "Test scene";
  std::string error;
  EXPECT_TRUE(EncodeJpeg(Solid(4, 3, Rgb(9, 9, 9)), 90, p.ThumbnailJpeg, error));
  EXPECT_TRUE(EncodeJpeg(picture, 95, p.PictureJpeg, error));
  p.MaskCodes = {picture.Width(), picture.Height()};
  return p;
}

inline TSoundSlot SoundSlot(const std::string& file, int32_t mode, int32_t minTime = 0, int32_t maxTime = 0) {
  TSoundSlot slot;
  slot.SetFileName(file);
  slot.Mode = mode;
  slot.MinTime = minTime;
  slot.MaxTime = maxTime;
  return slot;
}

inline std::string WriteScene(const TempDir& dir, const std::string& name, const ScenePackage& package) {
  std::string error;
  EXPECT_TRUE(WriteScenePackageFile(dir / name, package, error)) << error;
  return dir / name;
}

// A 320 x 200 scene: a picture whose pixels differ everywhere, water in rows 120 .. 199.
inline std::string WriteWaterScene(const TempDir& dir, const std::string& name, uint32_t tint) {
  Bitmap32 picture = PositionPicture(320, 200);
  for (size_t i = 0; i < picture.PixelCount(); ++i) picture.Data()[i] ^= tint;
  ScenePackage p = ScenePackageOf(picture);
  Bitmap32 mask(320, 200, 0);
  for (int y = 120; y < 200; ++y)
    for (int x = 0; x < 320; ++x) mask.SetPixel(x, y, MaskPixelOfRegion(1));
  p.MaskCodes = EncodeMaskRuns(mask);
  p.Waves[0].Amplitude = 5;
  p.Waves[0].Speed = 30;
  p.Waves[0].Sway = 1;
  return WriteScene(dir, name, p);
}

// A short tone, for the scene sounds.
inline std::string WriteWav(const std::string& path) {
  PcmSound s;
  s.SampleRate = 8000;
  s.Channels = 1;
  s.BitsPerSample = 16;
  s.Data.assign(800, 0x10);
  WriteWaveFile(path, s);
  return path;
}

// A show on fakes: set `project` up, then call Start().
struct ShowHarness {
  FakeClock clock;
  RecordingAudioService audio;
  RecordingMessageBox messages;
  FakeWindow window;
  TempDir dir;  // the extraction folder
  TKXCProject project;
  std::unique_ptr<TSaverShow> show;

  ShowHarness() {
    // Settings that keep tests small and clear: no music, no sound, in order, unscaled.
    TKXCSetting& s = project.Setting;
    s.Music = false;
    s.Sound = false;
    s.ShowImageMode = 1;
    s.Stretch = false;
    s.Proportional = false;
    s.DirectX = false;
    s.Duration = 5;
    s.Transition = false;
  }

  void AddItem(const std::string& path, bool ticked = true) {
    project.FileList.Names.push_back(path);
    project.FileList.Flags.push_back(ticked ? "TRUE" : "FALSE");
  }

  SaverEnvironment Environment(const std::string& common = "", const std::string& exeFolder = "") {
    SaverEnvironment env;
    env.clock = &clock;
    env.audio = &audio;
    env.messages = &messages;
    env.extractionFolder = dir.path();
    env.commonFolder = common;
    env.executableFolder = exeFolder;
    return env;
  }

  TSaverShow& Start(const SaverEnvironment& env) {
    show = std::make_unique<TSaverShow>(window, env);
    show->SetProject(project);
    show->FormShow();
    return *show;
  }
  TSaverShow& Start() { return Start(Environment()); }

  // Idle calls until the fake clock has moved by at least `ms`.
  void RunFor(uint32_t ms) {
    const uint32_t end = clock.now + ms;
    while (static_cast<int32_t>(end - clock.now) > 0) {
      const uint32_t before = clock.now;
      show->AppIdle();
      if (clock.now == before) clock.now += 33;  // a call that failed before its pacing
    }
  }
};

}  // namespace kx::test
