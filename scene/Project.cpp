#include "scene/Project.h"

#include <algorithm>
#include <cassert>
#include <exception>

#include "base/MulDiv.h"
#include "imaging/Resample.h"
#include "platform/MessageBox.h"
#include "scene/FileLoader.h"
#include "scene/IniSections.h"
#include "scene/WaterMask.h"

namespace kx {

namespace {

// Brings a mask to the picture's size: a mask of another size is resampled by nearest
// neighbour, an empty one becomes all dry land.
void FitMaskToPicture(Bitmap32& mask, const Bitmap32& picture) {
  if (mask.Width() == picture.Width() && mask.Height() == picture.Height()) return;
  if (mask.Empty()) {
    mask.SetSize(picture.Width(), picture.Height(), 0);
    return;
  }
  mask = ResizeNearest(mask, picture.Width(), picture.Height());
}

}  // namespace

TProject::TProject(MessageBoxService* messages) : messages_(messages) {
  Speed = 100;
  Reset();
  ExtraInfo = std::make_unique<TExtraInfo>();
}

TProject::~TProject() {
  ExtraInfo.reset();
  Clear();
}

void TProject::Reset() {
  Picture = std::make_unique<Bitmap32>();
  Thumbnail = std::make_unique<Bitmap32>();
  WaterMask = std::make_unique<Bitmap32>();
  for (auto& p : WaveParams) p = std::make_unique<TWaveParam>();
  Weather = std::make_unique<TWeatherParam>();
  PictureWidth = PictureHeight = 0;
  Sounds.fill(TSoundSlot{});
  ObjectListText.clear();
}

void TProject::Clear() {
  ObjectListText.clear();
  Weather.reset();
  Picture.reset();
  Thumbnail.reset();
  WaterMask.reset();
  for (auto& p : WaveParams) p.reset();
}

bool TProject::LoadFromFile(const std::string& fileName) {
  lastError_.clear();
  try {
    TFileLoader loader;
    Clear();
    Reset();
    loader.LoadFromFile(fileName);

    loader.AssignWaterMask(*WaterMask);
    loader.AssignPicture(*Picture);
    loader.AssignThumbnail(*Thumbnail);
    std::array<TWaveParam*, kWaveParamCount> waves;
    for (int k = 0; k < kWaveParamCount; ++k) waves[k] = WaveParams[k].get();
    loader.AssignWaveParams(waves);
    loader.AssignWeather(*Weather);
    loader.AssignSounds(Sounds);
    FitMaskToPicture(*WaterMask, *Picture);

    FileName = fileName;
    Title = loader.Title();
    ExtraText = loader.ExtraText();
    LegacySound = loader.LegacySound();
    PictureWidth = Picture->Width();
    PictureHeight = Picture->Height();

    if (Weather->Opacity == 0) {
      if (Weather->Kind == kWeatherSnow) Weather->Opacity = 9;
      if (Weather->Kind == kWeatherRain) Weather->Opacity = 6;
    }
    if (Weather->Kind == kWeatherSnow && Weather->SizeOrWind == 0) Weather->SizeOrWind = 4;

    // A package of the first format names one sound of its own: it plays looped from the
    // start of the scene, in the first free slot. With no free slot it is dropped.
    if (!LegacySound.empty() && !EqualsIgnoreCase(LegacySound, kNoSoundName)) {
      const int slot = SoundCount();
      if (slot < kSoundSlotCount) {
        Sounds[slot] = TSoundSlot{};
        Sounds[slot].SetFileName(LegacySound);
        Sounds[slot].Mode = kSoundLooped;
      }
    }
    LegacySound.clear();

    ObjectListText = loader.ObjectList();
    ExtraInfo->LoadFromCommaText(loader.BuilderSettings());
    return true;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return false;
  }
}

bool TProject::LoadThumbnail(const std::string& fileName) {
  lastError_.clear();
  try {
    TFileLoader loader;
    Clear();
    Reset();
    loader.LoadHeader(fileName);
    loader.AssignThumbnail(*Thumbnail);
    FileName = fileName;
    Title = loader.Title();
    ExtraText = loader.ExtraText();
    return true;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    if (messages_) {
      messages_->Show(MessageKind::Error, "Error", "File: " + fileName + "\r\n" + e.what());
    }
    return false;
  }
}

int TProject::SoundCount() const {
  for (int i = 0; i < kSoundSlotCount; ++i) {
    if (Sounds[i].Empty()) return i;
  }
  return kSoundSlotCount;
}

TWaveParam* TProject::WaveParam(int i) {
  assert(i >= 0 && i < kWaveParamCount);
  if (i < 0 || i >= kWaveParamCount) return nullptr;
  return WaveParams[i].get();
}

void TProject::Resize(bool proportional, int width, int height) {
  if (!Picture || Picture->Empty() || width < 1 || height < 1) return;
  const int w0 = Picture->Width();
  const int h0 = Picture->Height();
  if (proportional) {
    const double ratio = static_cast<double>(w0) / h0;
    if (w0 > static_cast<int64_t>(h0) * width / height) {
      height = std::max(1, RoundHalfEven(width / ratio));
    } else {
      width = std::max(1, RoundHalfEven(height * ratio));
    }
  }
  for (auto& p : WaveParams) {
    if (!p) continue;
    p->Amplitude = RoundHalfEven(static_cast<double>(width) / w0 * p->Amplitude);
    p->Jitter = RoundHalfEven(static_cast<double>(height) / h0 * p->Jitter);
  }
  *Picture = ResizeBilinear(*Picture, width, height);
  if (WaterMask) {
    if (WaterMask->Empty()) {
      WaterMask->SetSize(width, height, 0);
    } else {
      *WaterMask = ResizeNearest(*WaterMask, width, height);
    }
  }
}

}  // namespace kx
