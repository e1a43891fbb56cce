#include "configui/SettingValues.h"

#include <cstdlib>

#include "project/IniText.h"
#include "project/SpeedTable.h"

namespace kx {

int NearestSpeedIndex(int32_t percent) {
  const int exact = SpeedIndexOf(percent);
  if (exact >= 0) return exact;
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int i = 0; i < static_cast<int>(SpeedTable.size()); ++i) {
    const int64_t distance = std::llabs(static_cast<int64_t>(SpeedTable[static_cast<size_t>(i)]) - percent);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

SettingDialogValues ReadSettingDialogValues(const TKXCProject& project, const UserSettingsFile* settings) {
  SettingDialogValues out;
  UserSettingValues& v = out.values;
  const TKXCSetting& s = project.Setting;
  v.ImageSize = s.Stretch ? (s.Proportional ? 2 : 1) : 0;
  v.ImageMode = s.ShowImageMode;
  v.Speed = NearestSpeedIndex(s.Speed);
  v.Sound = s.Sound;
  v.Music = s.Music;
  v.Transition = s.Transition;
  v.Duration = s.Duration;
  v.DirectX = s.DirectX;
  v.DirectXQuality = s.DirectXQuality;
  v.ShowClock = s.ShowClock;
  v.ClockPos = s.ClockPos;
  v.CustomMusic = false;
  v.ShuffleMusic = false;
  // Reads the same project values again, then the file's over them when it exists.
  if (settings != nullptr && settings->InUse()) settings->ReadSettings(project, v, out.musicList);
  return out;
}

std::optional<int32_t> ParseDurationText(const std::string& text, std::string& error) {
  const auto value = ParseInteger(text);
  if (!value) error = "'" + text + "' is not a valid integer value";
  return value;
}

}  // namespace kx
