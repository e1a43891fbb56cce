#pragma once
// The project settings the builder stored in the payload, with their defaults.
#include <cstdint>
#include <string>

#include "project/IniText.h"

namespace kx {

// "1,2,3,...,169": every transition effect.
std::string AllTransitionEffects();

class TKXCSetting {
 public:
  // [General]
  std::string ProductName = "My Screensaver";
  std::string Publisher;
  std::string Website;
  // [Default]
  bool Stretch = true;
  bool Proportional = false;
  bool Sound = true;
  int32_t SoundVolume = 100;
  bool Music = true;
  int32_t MusicVolume = 100;       // 0..100; the player receives ten times this value
  bool Animation = true;           // read and kept, unused
  bool Random = true;              // timed advance on or off
  int32_t Duration = 30;           // seconds per item
  bool Transition = true;
  int32_t TransitionTime = 2000;   // ms per transition
  std::string TransitionEffects = AllTransitionEffects();
  bool Zoom = false;               // read and kept, unused
  bool LivingZoom = false;         // read and kept, unused
  int32_t ZoomDuration = 5;        // read and kept, unused
  bool AutoWallpaper = false;      // read and kept, unused
  int32_t Speed = 100;             // animation speed of scenes in percent
  int32_t ShowImageMode = 0;       // 0 random, 1 in order, 2 ticked at random, 3 one selected
  bool DirectX = false;
  int32_t DirectXQuality = 0;      // 0 1024x768, 1 800x600, 2 640x480
  bool ShowClock = false;
  int32_t ClockPos = 1;            // 0 top left, 1 top right, 2 bottom left, 3 bottom right
  // [Advance]
  std::string PreviewFile;
  std::string MusicFile;           // music files separated by ";"
  int32_t MusicMode = 0;           // 0 at random, other values in order
  // [Build]: the builder's own output settings
  int32_t BuildMethod = 2;
  bool BuildSmallThumbs = true;
  std::string BuildFileName;
  std::string BuildInstall;
  std::string BuildIcon;
  bool CustomIcon = false;

  // Reads every key; a missing key leaves its field as it is, an unreadable integer gives
  // the field's default.
  void LoadFromFile(const std::string& path);
  void LoadFromText(const IniText& ini);
};

// One key of the settings table: where it lives and which field it fills.
struct SettingKey {
  const char* section;
  const char* key;
  enum class Type { String, Bool, Int } type;
  std::string TKXCSetting::*text = nullptr;
  bool TKXCSetting::*flag = nullptr;
  int32_t TKXCSetting::*number = nullptr;
};

// Every key in declaration order.
const std::vector<SettingKey>& SettingKeys();

}  // namespace kx
