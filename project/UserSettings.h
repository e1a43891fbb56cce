#pragma once
// The user's own settings file next to the executable: "Sea.scr" keeps them in "Sea.ini".
//
// Sections: "Setting" (the user's choices), "MusicList" (one empty-valued key per music file,
// the key being its full path), "Files" (one empty-valued key per unticked item position).
// The configuration window reads and writes the file only while the settings are "in use":
// the executable's extension is ".scr" (any case), or the first argument is exactly "/C".
#include <cstdint>
#include <string>
#include <vector>

#include "project/KXCProject.h"

namespace kx {

// The executable's long path with everything from its last dot replaced by ".ini". A path
// without a dot in its file name gets ".ini" appended to the whole file name.
std::string UserSettingsPath(const std::string& exeLongPath);

// Where the settings live for a program at `exeLongPath`: next to it (UserSettingsPath) when
// the user may write in its folder; otherwise, as for an installed screensaver in a system
// folder, `configHome`/kxsaver/NAME.ini, NAME being the program's file name up to its last
// dot. `configHome` is $XDG_CONFIG_HOME, or `home`/.config when that is empty; with neither
// the path next to the program stays.
std::string ChooseUserSettingsPath(const std::string& exeLongPath, bool folderWritable,
                                   const std::string& configHome, const std::string& home);

// The settings path of this process for the program at `exeLongPath`: chosen once from the
// real folder and environment, then the same for every reader and writer of the run. The
// config folder is created (mode 0700) when it is the one chosen.
std::string UserSettingsPathForRun(const std::string& exeLongPath);

// The values of section "Setting".
struct UserSettingValues {
  int32_t ImageSize = -1;  // 0 unscaled, 1 stretched, 2 stretched keeping the aspect ratio
  int32_t ImageMode = 0;
  int32_t Speed = -1;      // index into SpeedTable
  bool Sound = true;
  bool Music = true;
  bool Transition = true;
  int32_t Duration = 30;
  bool DirectX = true;
  int32_t DirectXQuality = 1;
  bool ShowClock = false;
  int32_t ClockPos = 1;
  bool CustomMusic = false;
  bool ShuffleMusic = true;
};

class UserSettingsFile {
 public:
  // `firstArgument` is the first command-line argument as given (or "" for none).
  UserSettingsFile(std::string exeLongPath, std::string firstArgument);

  const std::string& Path() const { return path_; }
  bool InUse() const { return inUse_; }
  bool Exists() const;

  // Fills `values` with the project's values, then the file's. False (and nothing changed)
  // when the settings are not in use.
  bool ReadSettings(const TKXCProject& project, UserSettingValues& values,
                    std::vector<std::string>& musicList) const;
  bool WriteSettings(const UserSettingValues& values, const std::vector<std::string>& musicList) const;
  bool WriteExcludedItems(const std::vector<int>& positions) const;
  std::vector<std::string> ReadExcludedItems() const;
  bool WriteSelectedIndex(int position) const;
  std::string ReadSelectedIndex() const;

 private:
  std::string path_;
  bool inUse_;
};

// Applies the user's settings file (when it exists) to the project before a show: narrows the
// items by the image mode and overrides the settings the user chose.
void ApplyUserSettings(TKXCProject& project, const std::string& settingsPath);

}  // namespace kx
