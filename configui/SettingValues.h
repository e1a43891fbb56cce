#pragma once
// The values of the settings dialog: where they come from when it opens, and the rules it
// shares with the configuration window.
//
// The dialog starts from the project (picture size from Stretch and Proportional, the show
// mode, speed, sound, music, transitions, duration, DirectX and its quality, the clock) with
// the user's music off, shuffling off and an empty music list. While the user settings are in
// use and their file exists, the file's values replace these; keys missing from the file
// keep the project's values, except CustomMusic (off), ShuffleMusic (on), ClockPos (1, top
// right) and ShowClock (off), whose defaults are fixed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "project/KXCProject.h"
#include "project/UserSettings.h"

namespace kx {

// The speed slider index for a speed in percent: the index of SpeedTable that holds the
// value, or, for a speed the table lacks, the index of the nearest value (the lower index
// when two are equally near). The settings dialog and the configuration window both use it.
int NearestSpeedIndex(int32_t percent);

struct SettingDialogValues {
  UserSettingValues values;
  std::vector<std::string> musicList;  // full paths, in file order
};

// `settings` may be null (no settings file service: nothing is read).
SettingDialogValues ReadSettingDialogValues(const TKXCProject& project, const UserSettingsFile* settings);

// The duration text as an integer: optional blanks around an optional sign and decimal
// digits, within 32 bits. Anything else gives nullopt and `error` reads like
// "'abc' is not a valid integer value".
std::optional<int32_t> ParseDurationText(const std::string& text, std::string& error);

}  // namespace kx
