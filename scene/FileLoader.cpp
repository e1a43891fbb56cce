#include "scene/FileLoader.h"

#include <algorithm>

#include "imaging/PictureCodec.h"
#include "scene/MyStream.h"
#include "scene/SceneError.h"
#include "scene/WaterMask.h"

namespace kx {

namespace {

// Decodes a blob that must hold a JPEG file; `what` names it in the error.
void DecodeJpegBlob(const std::vector<uint8_t>& blob, const char* what, Bitmap32& out) {
  std::string error;
  if (DecodeJpeg(blob.data(), blob.size(), out, error)) return;
  out.SetSize(0, 0);
  throw SceneError(SceneError::Kind::BadPicture, std::string(what) + ": " + error);
}

TWaveParam ReadWaveRecord(TMyStream& stream) {
  uint8_t bytes[kWaveRecordSize];
  stream.ReadBuffer(bytes, sizeof bytes);
  return TWaveParam::FromBytes(bytes);
}

}  // namespace

TFileLoader::TFileLoader() { ResetFields(); }

void TFileLoader::ResetFields() {
  maskCodes_.clear();
  picture_.SetSize(0, 0);
  thumbnail_.SetSize(0, 0);
  weather_ = TWeatherParam{};
  waves_.fill(TWaveParam::Defaults());
  sounds_.fill(TSoundSlot{});
  objectList_.clear();
  title_.clear();
  extraText_.clear();
  legacySound_.clear();
  builderSettings_.clear();
  endedAfterWeather_ = false;
  moreWaveCount_ = -1;
  bytesRead_ = 0;
  fileSize_ = 0;
}

void TFileLoader::LoadFromFile(const std::string& fileName) {
  ResetFields();
  TMyStream stream(fileName, TMyStream::kOpenRead);
  fileSize_ = stream.Size();
  struct Progress {  // records how far reading got, also when it stops on an error
    TFileLoader& loader;
    TMyStream& stream;
    ~Progress() { loader.bytesRead_ = stream.Position(); }
  } progress{*this, stream};

  if (stream.ReadMagic(kScenePackageMagicSize) != kScenePackageMagic) {
    throw SceneError(SceneError::Kind::WrongMagic, kIncorrectProjectFile);
  }
  title_ = stream.ReadString();
  extraText_ = stream.ReadString();
  std::vector<uint8_t> blob;
  stream.ReadCountedBlob(blob);
  DecodeJpegBlob(blob, "Thumbnail", thumbnail_);

  stream.ReadInteger();  // the wave count, always 4
  for (int k = 0; k < kHeaderWaveCount; ++k) waves_[k] = ReadWaveRecord(stream);

  const int32_t n = stream.ReadCount(4);
  maskCodes_.resize(static_cast<size_t>(n));
  stream.ReadBuffer(maskCodes_.data(), int64_t{n} * 4);
  for (auto& code : maskCodes_) code = ReadInt32LE(reinterpret_cast<const uint8_t*>(&code));

  stream.ReadCountedBlob(blob);
  DecodeJpegBlob(blob, "Picture", picture_);

  legacySound_ = stream.ReadString();
  uint8_t weather[kWeatherRecordSize];
  stream.ReadBuffer(weather, sizeof weather);
  weather_ = TWeatherParam::FromBytes(weather);

  // Fields 11 to 14 came later: a fault here only ends reading.
  endedAfterWeather_ = stream.AtEnd();
  if (endedAfterWeather_) return;
  try {
    for (auto& slot : sounds_) {
      uint8_t bytes[kSoundSlotSize];
      stream.ReadBuffer(bytes, sizeof bytes);
      slot = TSoundSlot::FromBytes(bytes);
    }
    objectList_ = stream.ReadString();
    builderSettings_ = stream.ReadString();
    moreWaveCount_ = stream.ReadInteger();
    const int more = std::clamp(moreWaveCount_, 0, kWaveParamCount - kHeaderWaveCount);
    for (int k = 0; k < more; ++k) waves_[kHeaderWaveCount + k] = ReadWaveRecord(stream);
  } catch (const SceneError&) {
    // What was read stays; the rest keeps its defaults.
  }
}

void TFileLoader::LoadHeader(const std::string& fileName) {
  ResetFields();
  TMyStream stream(fileName, TMyStream::kOpenRead);
  fileSize_ = stream.Size();
  stream.ReadMagic(kScenePackageMagicSize);
  title_ = stream.ReadString();
  extraText_ = stream.ReadString();
  std::vector<uint8_t> blob;
  stream.ReadCountedBlob(blob);
  DecodeJpegBlob(blob, "Thumbnail", thumbnail_);
  bytesRead_ = stream.Position();
}

void TFileLoader::AssignWaterMask(Bitmap32& mask) const { DecodeMaskRuns(maskCodes_, mask); }

void TFileLoader::AssignWaveParams(const std::array<TWaveParam*, kWaveParamCount>& params) const {
  for (int k = 0; k < kWaveParamCount; ++k) {
    if (params[k]) *params[k] = waves_[k];
  }
}

}  // namespace kx
