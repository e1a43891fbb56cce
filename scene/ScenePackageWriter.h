#pragma once
// Writes scene packages (.kxp): the packaging tool makes them from a description, and the
// tests make their fixtures with it.
//
// ScenePackage holds every field in its stored form. By default it describes a complete
// package: all fourteen fields and eight wave records (four in field 6, four in field 14).
// The fields can be set to anything the format can hold, also to what a reader must refuse
// (a wrong magic, mask runs that overflow, more than four extra wave records), so that
// fixtures show each fault.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "scene/ExtraInfo.h"
#include "scene/SceneRecords.h"

namespace kx {

struct ScenePackage {
  std::string Magic = kScenePackageMagic;           // field 1, written as its bytes
  std::string Title;                                // 2
  std::string ExtraText;                            // 3
  std::vector<uint8_t> ThumbnailJpeg;               // 4: a JPEG file
  int32_t WaveCount = kHeaderWaveCount;             // 5: written as 4, skipped by readers
  // Records 0 .. 3 go into field 6, the rest into field 14 (m = size - 4).
  std::vector<TWaveParam> Waves = std::vector<TWaveParam>(kWaveParamCount, TWaveParam::Defaults());
  std::vector<int32_t> MaskCodes = {0, 0};          // 7: width, height, runs
  std::vector<uint8_t> PictureJpeg;                 // 8: a JPEG file
  std::string LegacySound;                          // 9
  TWeatherParam Weather;                            // 10
  std::array<TSoundSlot, kSoundSlotCount> Sounds{}; // 11
  std::string ObjectList;                           // 12: INI text, CR LF lines
  std::string BuilderSettings = kDefaultBuilderSettings;  // 13: comma text
  // false: the file ends right after field 10, as packages of the first format do.
  bool WriteLaterFields = true;
};

// The bytes of the package. Waves must hold at least four records.
std::vector<uint8_t> WriteScenePackage(const ScenePackage& package);
bool WriteScenePackageFile(const std::string& path, const ScenePackage& package, std::string& error);

// Turns a picture whose colours are the mask's region colours (alpha ignored) into a mask of
// region values: 0x000000 is dry land; 0x0000FF, 0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00 and
// 0x00FFFF are regions 1 to 6. Any other colour is an error that names the first such pixel.
bool MaskFromColourPicture(const Bitmap32& picture, Bitmap32& mask, std::string& error);

}  // namespace kx
