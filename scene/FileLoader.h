#pragma once
// TFileLoader: reads one scene package (.kxp) into its own fields, then hands the parts over
// to a scene project.
//
// File layout, field by field (little-endian int32; a string or blob is an int32 byte count
// and that many bytes):
//    1  magic "KX060697" (8 bytes)         8  picture: blob, a JPEG file
//    2  title: string                      9  legacy sound: string
//    3  extra text: string                10  weather record (24 bytes)
//    4  thumbnail: blob, a JPEG file      11  eight sound slot records (8 x 268 bytes)
//    5  wave count: int32, skipped        12  object list: string (INI text)
//    6  wave records 0 - 3 (4 x 32 bytes) 13  builder settings: string (comma text)
//    7  water mask: int32 n, n int32      14  int32 m, then m wave records for 4, 5, ...
// Fields 11 to 14 came later: a package may end after field 10. Faults up to field 10 raise a
// SceneError; from field 11 on every fault only stops reading, and what was read stays. Of
// more than four records in field 14 only the first four are read.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "scene/SceneRecords.h"

namespace kx {

class TFileLoader {
 public:
  TFileLoader();

  // The full reader. Raises SceneError: WrongMagic ("Incorrect Project File!"), InOut (cannot
  // open, ends before the end of field 10, impossible counts), BadPicture (thumbnail or
  // picture not a decodable JPEG).
  void LoadFromFile(const std::string& fileName);
  // The header-only reader: skips the magic unchecked, reads title, extra text and thumbnail.
  void LoadHeader(const std::string& fileName);

  // Hand-over operations into a project's parts.
  void AssignPicture(Bitmap32& picture) const { picture = picture_; }
  void AssignThumbnail(Bitmap32& thumbnail) const { thumbnail = thumbnail_; }
  // Decodes the mask runs; raises SceneError (BadMask) when they overflow the mask.
  void AssignWaterMask(Bitmap32& mask) const;
  void AssignWaveParams(const std::array<TWaveParam*, kWaveParamCount>& params) const;
  void AssignWeather(TWeatherParam& weather) const { weather = weather_; }
  void AssignSounds(std::array<TSoundSlot, kSoundSlotCount>& sounds) const { sounds = sounds_; }

  const std::string& Title() const { return title_; }
  const std::string& ExtraText() const { return extraText_; }
  const std::string& LegacySound() const { return legacySound_; }
  const std::string& ObjectList() const { return objectList_; }
  const std::string& BuilderSettings() const { return builderSettings_; }
  const std::vector<int32_t>& MaskCodes() const { return maskCodes_; }
  const std::array<TWaveParam, kWaveParamCount>& WaveParams() const { return waves_; }
  const TWeatherParam& Weather() const { return weather_; }
  const std::array<TSoundSlot, kSoundSlotCount>& Sounds() const { return sounds_; }
  const Bitmap32& Picture() const { return picture_; }
  const Bitmap32& Thumbnail() const { return thumbnail_; }

  // How far the last read got: the file ended right after field 10; the count m of field 14
  // as stored (-1 when the reader did not reach it); the bytes read, and the file's size.
  bool EndedAfterWeather() const { return endedAfterWeather_; }
  int32_t MoreWaveCount() const { return moreWaveCount_; }
  int64_t BytesRead() const { return bytesRead_; }
  int64_t FileSize() const { return fileSize_; }

 private:
  void ResetFields();

  std::vector<int32_t> maskCodes_;
  Bitmap32 picture_;
  Bitmap32 thumbnail_;
  TWeatherParam weather_;
  std::array<TWaveParam, kWaveParamCount> waves_;
  std::array<TSoundSlot, kSoundSlotCount> sounds_;
  std::string objectList_;
  std::string title_;
  std::string extraText_;
  std::string legacySound_;
  std::string builderSettings_;
  bool endedAfterWeather_ = false;
  int32_t moreWaveCount_ = -1;
  int64_t bytesRead_ = 0;
  int64_t fileSize_ = 0;
};

}  // namespace kx
