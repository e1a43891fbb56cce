#include "kxscene/SceneDocument.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "imaging/PictureCodec.h"
#include "imaging/Resample.h"
#include "scene/FileLoader.h"
#include "scene/SceneError.h"
#include "scene/ScenePackageWriter.h"
#include "scene/WaterMask.h"

namespace kx::kxscene {

namespace {

// The largest size of the picture's aspect within max_w x max_h (never enlarged).
void FitWithin(int w, int h, int maxW, int maxH, int& outW, int& outH) {
  outW = w;
  outH = h;
  if (w <= maxW && h <= maxH) return;
  if (static_cast<int64_t>(w) * maxH > static_cast<int64_t>(h) * maxW) {
    outW = maxW;
    outH = std::max(1, static_cast<int>((static_cast<int64_t>(h) * maxW + w / 2) / w));
  } else {
    outH = maxH;
    outW = std::max(1, static_cast<int>((static_cast<int64_t>(w) * maxH + h / 2) / h));
  }
}

// Any legacy sound other than "<NO SOUND>" is what the show plays looped from the start:
// the maker shows it as the first free sound slot, so saving keeps it playing.
void MoveLegacySound(const std::string& legacy, std::array<TSoundSlot, kSoundSlotCount>& sounds) {
  std::string upper = legacy;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (legacy.empty() || upper == kNoSoundName) return;
  for (TSoundSlot& slot : sounds) {
    if (slot.Empty()) {
      slot.SetFileName(legacy);
      slot.Mode = kSoundLooped;
      return;
    }
  }
}

}  // namespace

bool SceneDocument::NewFromPhoto(const std::string& path, std::string& error) {
  Bitmap32 photo;
  if (!DecodePictureFile(path, photo, error)) return false;
  return NewFromPicture(photo, error);
}

bool SceneDocument::NewFromPicture(const Bitmap32& photo, std::string& error) {
  if (photo.Empty()) {
    error = "The picture is empty";
    return false;
  }
  int w = 0, h = 0;
  FitWithin(photo.Width(), photo.Height(), kMaxSceneWidth, kMaxSceneHeight, w, h);
  const Bitmap32 fitted = (w == photo.Width() && h == photo.Height()) ? photo : ResizeLanczos(photo, w, h);
  std::vector<uint8_t> jpeg;
  if (!EncodeJpeg(fitted, kSceneJpegQuality, jpeg, error)) return false;
  // What the package will hold is the JPEG, so the maker shows and animates the JPEG.
  Bitmap32 stored;
  if (!DecodeJpeg(jpeg.data(), jpeg.size(), stored, error)) return false;
  Bitmap32 mask(stored.Width(), stored.Height(), 0);
  Adopt(std::move(stored), std::move(jpeg), std::move(mask), SceneSettings(), "");
  savedAtLost_ = true;  // a new scene has never been saved
  return true;
}

bool SceneDocument::Open(const std::string& path, std::string& error) {
  TFileLoader loader;
  Bitmap32 picture, mask;
  SceneSettings settings;
  try {
    loader.LoadFromFile(path);
    loader.AssignPicture(picture);
    loader.AssignWaterMask(mask);
  } catch (const SceneError& e) {
    error = path + ": " + e.what();
    return false;
  }
  if (picture.Empty()) {
    error = path + ": the package holds no picture";
    return false;
  }
  // The engine needs the mask at the picture's size and fits it the same way.
  if (mask.Width() != picture.Width() || mask.Height() != picture.Height()) {
    mask = mask.Empty() ? Bitmap32(picture.Width(), picture.Height(), 0)
                        : ResizeNearest(mask, picture.Width(), picture.Height());
  }
  // Only region values count; anything else is dry land, and is stored as such.
  for (size_t i = 0; i < mask.PixelCount(); ++i) mask.Data()[i] = MaskPixelOfRegion(RegionOfMaskPixel(mask.Data()[i]));
  std::vector<uint8_t> jpeg;
  if (!ReadPackagePictureJpeg(path, jpeg, error)) return false;

  settings.title = loader.Title();
  settings.extraText = loader.ExtraText();
  std::copy(loader.WaveParams().begin(), loader.WaveParams().end(), settings.waves.begin());
  settings.weather = loader.Weather();
  settings.sounds = loader.Sounds();
  MoveLegacySound(loader.LegacySound(), settings.sounds);
  settings.objects = ParseObjectList(loader.ObjectList());
  if (!loader.BuilderSettings().empty()) settings.builderSettings = loader.BuilderSettings();
  Adopt(std::move(picture), std::move(jpeg), std::move(mask), std::move(settings), path);
  return true;
}

void SceneDocument::Adopt(Bitmap32 picture, std::vector<uint8_t> jpeg, Bitmap32 mask, SceneSettings settings,
                          std::string path) {
  picture_ = std::move(picture);
  pictureJpeg_ = std::move(jpeg);
  mask_ = std::move(mask);
  settings_ = std::move(settings);
  path_ = std::move(path);
  steps_.clear();
  position_ = savedAt_ = 0;
  savedAtLost_ = false;
  strokeOpen_ = false;
  strokeStart_ = Bitmap32();
}

std::vector<uint8_t> SceneDocument::PackageBytes(std::string& error) const {
  ScenePackage p;
  p.Title = settings_.title;
  p.ExtraText = settings_.extraText;
  int tw = 0, th = 0;
  FitWithin(picture_.Width(), picture_.Height(), kThumbnailWidth, kThumbnailHeight, tw, th);
  if (!EncodeJpeg(ResizeBilinear(picture_, tw, th), 85, p.ThumbnailJpeg, error)) return {};
  p.Waves.assign(settings_.waves.begin(), settings_.waves.end());
  p.MaskCodes = EncodeMaskRuns(mask_);
  p.PictureJpeg = pictureJpeg_;
  p.Weather = settings_.weather;
  p.Sounds = settings_.sounds;
  p.ObjectList = ObjectListText(settings_.objects);
  p.BuilderSettings = settings_.builderSettings;
  return WriteScenePackage(p);
}

bool SceneDocument::Save(const std::string& path, std::string& error) {
  if (!HasPicture()) {
    error = "There is no scene to save";
    return false;
  }
  const std::vector<uint8_t> bytes = PackageBytes(error);
  if (bytes.empty()) return false;
  // A temporary file in the target's own folder, so the rename stays on one file system.
  const std::string temp = path + ".saving-" + std::to_string(getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      error = "Cannot write " + path + ": " + std::strerror(errno);
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "Cannot write " + path + ": " + std::strerror(errno);
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  path_ = path;
  savedAt_ = position_;
  savedAtLost_ = false;
  return true;
}

std::vector<uint32_t> SceneDocument::CopyBox(const MaskBox& box) const {
  std::vector<uint32_t> pixels;
  pixels.reserve(static_cast<size_t>(box.Right - box.Left) * (box.Bottom - box.Top));
  for (int y = box.Top; y < box.Bottom; ++y) pixels.insert(pixels.end(), mask_.Row(y) + box.Left, mask_.Row(y) + box.Right);
  return pixels;
}

void SceneDocument::PasteBox(const MaskBox& box, const std::vector<uint32_t>& pixels) {
  const size_t w = static_cast<size_t>(box.Right - box.Left);
  for (int y = box.Top; y < box.Bottom; ++y)
    std::copy_n(pixels.data() + static_cast<size_t>(y - box.Top) * w, w, mask_.Row(y) + box.Left);
}

MaskBox SceneDocument::EditMask(const std::function<MaskBox(Bitmap32&)>& edit) {
  if (mask_.Empty()) return {};
  if (!strokeOpen_) {
    strokeOpen_ = true;
    strokeStart_ = mask_;
    strokeBox_ = {};
  }
  const MaskBox box = edit(mask_);
  strokeBox_.Add(box);
  return box;
}

void SceneDocument::EndStroke() {
  if (!strokeOpen_) return;
  strokeOpen_ = false;
  Step step;
  step.mask = true;
  step.box = strokeBox_;
  if (!step.box.Empty()) {
    step.after = CopyBox(step.box);
    const size_t w = static_cast<size_t>(step.box.Right - step.box.Left);
    step.before.reserve(step.after.size());
    for (int y = step.box.Top; y < step.box.Bottom; ++y)
      step.before.insert(step.before.end(), strokeStart_.Row(y) + step.box.Left, strokeStart_.Row(y) + step.box.Left + w);
  }
  strokeStart_ = Bitmap32();
  // A stroke that changed no pixel is no step.
  if (step.before == step.after) return;
  Push(std::move(step));
}

void SceneDocument::SetSettings(const SceneSettings& settings) {
  if (settings == settings_) return;
  Step step;
  step.settingsBefore = settings_;
  step.settingsAfter = settings;
  settings_ = settings;
  Push(std::move(step));
}

void SceneDocument::Push(Step step) {
  if (savedAt_ > position_) savedAtLost_ = true;
  steps_.resize(position_);
  steps_.push_back(std::move(step));
  position_ = steps_.size();
}

MaskBox SceneDocument::Undo() {
  EndStroke();
  if (!CanUndo()) return {};
  const Step& step = steps_[--position_];
  if (!step.mask) {
    settings_ = step.settingsBefore;
    return {};
  }
  PasteBox(step.box, step.before);
  return step.box;
}

MaskBox SceneDocument::Redo() {
  EndStroke();
  if (!CanRedo()) return {};
  const Step& step = steps_[position_++];
  if (!step.mask) {
    settings_ = step.settingsAfter;
    return {};
  }
  PasteBox(step.box, step.after);
  return step.box;
}

bool ReadPackagePictureJpeg(const std::string& path, std::vector<uint8_t>& jpeg, std::string& error) {
  std::vector<uint8_t> data;
  if (!ReadWholeFile(path, data, error)) return false;
  size_t at = kScenePackageMagicSize;
  auto fail = [&] {
    error = path + ": the package ends before its picture";
    return false;
  };
  // Reads a count at `at` and steps over it; false when it does not fit the file.
  auto count = [&](int64_t unit, int64_t& n) {
    if (at + 4 > data.size()) return false;
    n = ReadInt32LE(data.data() + at);
    at += 4;
    return n >= 0 && n <= static_cast<int64_t>((data.size() - at) / unit);
  };
  int64_t n = 0;
  for (int field = 0; field < 3; ++field) {  // title, extra text, thumbnail
    if (!count(1, n)) return fail();
    at += static_cast<size_t>(n);
  }
  at += 4 + kHeaderWaveCount * kWaveRecordSize;  // wave count and the first four records
  if (at > data.size() || !count(4, n)) return fail();
  at += static_cast<size_t>(n) * 4;
  if (!count(1, n)) return fail();
  jpeg.assign(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
  return true;
}

}  // namespace kx::kxscene
