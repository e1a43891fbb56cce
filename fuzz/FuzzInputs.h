#pragma once
// What the scene and object targets share: a clock that only moves when told, small media
// files made by the project's own encoders, a small scene package, and the render loop a
// show runs (objects stepped every 5 ms of the clock, one engine frame per 40 ms).
#include <cstdint>
#include <string>
#include <vector>

#include "anim/AnimEngine.h"
#include "anim/AnimObjects.h"
#include "fuzz/FuzzFolder.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "platform/Clock.h"
#include "scene/Project.h"
#include "scene/ScenePackageWriter.h"
#include "scene/WaterMask.h"

namespace kx::fuzz {

class StepClock final : public Clock {
 public:
  uint32_t TickMs() override { return now; }
  void SleepMs(uint32_t ms) override { now += ms; }
  TimeOfDay LocalTimeOfDay() override { return {10, 8, 30}; }
  uint32_t now = 1000;
};

// A small picture with some structure, so that every encoder has something to say.
inline Bitmap32 SmallPicture(int width, int height) {
  Bitmap32 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(x * 7) << 16 | static_cast<uint32_t>(y * 5) << 8 |
                                         static_cast<uint32_t>((x ^ y) & 0xFF));
  return picture;
}

// A scene package of a 64 x 48 picture whose lower half is water of regions 1 and 2.
inline ScenePackage SmallScene() {
  ScenePackage package;
  std::string error;
  const Bitmap32 picture = SmallPicture(64, 48);
  EncodeJpeg(picture, 80, package.PictureJpeg, error);
  EncodeJpeg(SmallPicture(16, 12), 80, package.ThumbnailJpeg, error);
  Bitmap32 mask(64, 48, MaskPixelOfRegion(0));
  for (int y = 24; y < 48; ++y)
    for (int x = 0; x < 64; ++x) mask.SetPixel(x, y, MaskPixelOfRegion(x < 32 ? 1 : 2));
  package.MaskCodes = EncodeMaskRuns(mask);
  package.Title = "Fuzz";
  return package;
}

// Writes obj.png, obj.gif and obj.jpg into the scratch folder; returns the folder.
inline std::string WriteObjectMedia() {
  const auto& folder = Folder();
  std::string error;
  std::vector<uint8_t> bytes;
  const Bitmap32 picture = SmallPicture(12, 10);
  if (EncodePng(picture, bytes, error)) WriteWholeFile(folder.Path() + "obj.png", bytes, error);
  if (EncodeJpeg(picture, 80, bytes, error)) WriteWholeFile(folder.Path() + "obj.jpg", bytes, error);
  if (EncodeGifAnimation({picture, SmallPicture(12, 10)}, 5, bytes, error))
    WriteWholeFile(folder.Path() + "obj.gif", bytes, error);
  return folder.Path();
}

// Plays `frames` frames of the project with its objects, as the show does.
inline void RunScene(TProject& project, TAnimObjects* objects, StepClock& clock, int frames) {
  TAnimEngine engine(clock);
  engine.ShowClock = true;
  engine.SetProject(project, objects);
  engine.SetWeather(false);
  engine.Start();
  engine.SetWeather(project.Weather && project.Weather->Kind > 0);
  for (int i = 0; i < frames; ++i) {
    for (int k = 0; k < 8; ++k) {
      clock.now += 5;
      if (objects != nullptr) objects->StepAll();
    }
    engine.RenderFrame();
  }
}

}  // namespace kx::fuzz
