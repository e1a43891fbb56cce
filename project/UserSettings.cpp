#include "project/UserSettings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/Files.h"
#include "project/SpeedTable.h"

namespace kx {
namespace {

constexpr const char* kSetting = "Setting";
constexpr const char* kMusicList = "MusicList";
constexpr const char* kFiles = "Files";

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNamePart(path);
  const auto dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string JoinWith(const std::vector<std::string>& items, char separator) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += separator;
    out += items[i];
  }
  return out;
}

}  // namespace

std::string UserSettingsPath(const std::string& exeLongPath) {
  const std::string name = FileNamePart(exeLongPath);
  const std::string folder = exeLongPath.substr(0, exeLongPath.size() - name.size());
  const auto dot = name.find_last_of('.');
  return folder + (dot == std::string::npos ? name : name.substr(0, dot)) + ".ini";
}

std::string ChooseUserSettingsPath(const std::string& exeLongPath, bool folderWritable,
                                   const std::string& configHome, const std::string& home) {
  if (folderWritable) return UserSettingsPath(exeLongPath);
  std::string base = configHome;
  if (base.empty() && !home.empty()) base = home + (home.back() == '/' ? "" : "/") + ".config";
  if (base.empty()) return UserSettingsPath(exeLongPath);
  if (base.back() != '/') base += '/';
  const std::string name = FileNamePart(exeLongPath);
  const auto dot = name.find_last_of('.');
  return base + "kxsaver/" + (dot == std::string::npos ? name : name.substr(0, dot)) + ".ini";
}

std::string UserSettingsPathForRun(const std::string& exeLongPath) {
  static std::mutex lock;
  static std::map<std::string, std::string> chosen;
  const std::lock_guard<std::mutex> guard(lock);
  if (const auto known = chosen.find(exeLongPath); known != chosen.end()) return known->second;
  const std::string folder = FolderOf(exeLongPath);
  const bool writable = access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string path =
      ChooseUserSettingsPath(exeLongPath, writable, configHome ? configHome : "", home ? home : "");
  if (!writable) {
    // The config folder and its kxsaver folder; existing ones are used as they are.
    const std::string settingsFolder = FolderOf(path);
    mkdir(FolderOf(settingsFolder.substr(0, settingsFolder.size() - 1)).c_str(), 0700);
    mkdir(settingsFolder.c_str(), 0700);
  }
  chosen.emplace(exeLongPath, path);
  return path;
}

UserSettingsFile::UserSettingsFile(std::string exeLongPath, std::string firstArgument)
    : path_(UserSettingsPathForRun(exeLongPath)),
      inUse_(UpperAscii(ExtensionOf(exeLongPath)) == ".SCR" || UpperAscii(firstArgument) == "/C") {}

bool UserSettingsFile::Exists() const { return FileExists(path_); }

bool UserSettingsFile::ReadSettings(const TKXCProject& project, UserSettingValues& v,
                                    std::vector<std::string>& musicList) const {
  if (!inUse_) return false;
  const TKXCSetting& s = project.Setting;
  v.ImageSize = s.Stretch ? (s.Proportional ? 2 : 1) : 0;
  v.ImageMode = s.ShowImageMode;
  if (const int index = SpeedIndexOf(s.Speed); index >= 0) v.Speed = index;
  v.Sound = s.Sound;
  v.Music = s.Music;
  v.Transition = s.Transition;
  v.Duration = s.Duration;
  v.DirectX = s.DirectX;
  v.DirectXQuality = s.DirectXQuality;
  v.ShowClock = s.ShowClock;
  v.ClockPos = s.ClockPos;
  musicList.clear();
  if (!Exists()) return true;

  const IniText ini = IniText::LoadFile(path_);
  v.ImageSize = ini.ReadInteger(kSetting, "ImageSize", v.ImageSize);
  v.ImageMode = ini.ReadInteger(kSetting, "ImageMode", v.ImageMode);
  v.Speed = ini.ReadInteger(kSetting, "Speed", v.Speed);
  v.Sound = ini.ReadBool(kSetting, "Sound", v.Sound);
  v.Music = ini.ReadBool(kSetting, "Music", v.Music);
  v.Transition = ini.ReadBool(kSetting, "Transition", v.Transition);
  v.Duration = ini.ReadInteger(kSetting, "Duration", v.Duration);
  v.DirectX = ini.ReadBool(kSetting, "DirectX", v.DirectX);
  v.DirectXQuality = ini.ReadInteger(kSetting, "DirectXQuality", v.DirectXQuality);
  v.ShowClock = ini.ReadBool(kSetting, "ShowClock", false);
  v.ClockPos = ini.ReadInteger(kSetting, "ClockPos", 1);
  v.CustomMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  v.ShuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);
  musicList = SectionKeysByLineRule(ini.Lines(), kMusicList);
  return true;
}

bool UserSettingsFile::WriteSettings(const UserSettingValues& v, const std::vector<std::string>& musicList) const {
  if (!inUse_) return false;
  IniText ini = IniText::LoadFile(path_);
  ini.WriteInteger(kSetting, "ImageSize", v.ImageSize);
  ini.WriteInteger(kSetting, "ImageMode", v.ImageMode);
  ini.WriteInteger(kSetting, "Speed", v.Speed);
  ini.WriteBool(kSetting, "Sound", v.Sound);
  ini.WriteBool(kSetting, "Music", v.Music);
  ini.WriteBool(kSetting, "Transition", v.Transition);
  ini.WriteInteger(kSetting, "Duration", v.Duration);
  ini.WriteBool(kSetting, "DirectX", v.DirectX);
  ini.WriteInteger(kSetting, "DirectXQuality", v.DirectXQuality);
  ini.WriteBool(kSetting, "CustomMusic", v.CustomMusic);
  ini.WriteBool(kSetting, "ShuffleMusic", v.ShuffleMusic);
  ini.WriteBool(kSetting, "ShowClock", v.ShowClock);
  ini.WriteInteger(kSetting, "ClockPos", v.ClockPos);
  ini.EraseSection(kMusicList);
  ini.WriteNewSection(kMusicList, musicList, "");
  return ini.SaveFile(path_);
}

bool UserSettingsFile::WriteExcludedItems(const std::vector<int>& positions) const {
  if (!inUse_) return false;
  IniText ini = IniText::LoadFile(path_);
  ini.EraseSection(kFiles);
  std::vector<std::string> keys;
  for (int position : positions) keys.push_back(std::to_string(position));
  ini.WriteNewSection(kFiles, keys, "");
  return ini.SaveFile(path_);
}

std::vector<std::string> UserSettingsFile::ReadExcludedItems() const {
  if (!inUse_) return {};
  return SectionKeysByLineRule(IniText::LoadFile(path_).Lines(), kFiles);
}

bool UserSettingsFile::WriteSelectedIndex(int position) const {
  if (!inUse_) return false;
  IniText ini = IniText::LoadFile(path_);
  ini.WriteInteger(kSetting, "Index", position);
  return ini.SaveFile(path_);
}

std::string UserSettingsFile::ReadSelectedIndex() const {
  if (!inUse_) return "0";
  return IniText::LoadFile(path_).ReadString(kSetting, "Index", "0");
}

void ApplyUserSettings(TKXCProject& project, const std::string& settingsPath) {
  if (!FileExists(settingsPath)) return;
  const IniText ini = IniText::LoadFile(settingsPath);
  TKXCSetting& s = project.Setting;
  TKXCFileList& list = project.FileList;

  const int32_t imageSize = ini.ReadInteger(kSetting, "ImageSize", -1);
  const int32_t imageMode = ini.ReadInteger(kSetting, "ImageMode", s.ShowImageMode);
  const int32_t speed = ini.ReadInteger(kSetting, "Speed", -1);
  const bool sound = ini.ReadBool(kSetting, "Sound", s.Sound);
  const bool music = ini.ReadBool(kSetting, "Music", s.Music);
  const bool transition = ini.ReadBool(kSetting, "Transition", s.Transition);
  const int32_t duration = ini.ReadInteger(kSetting, "Duration", s.Duration);
  int32_t index = ini.ReadInteger(kSetting, "Index", 0);
  const bool directX = ini.ReadBool(kSetting, "DirectX", true);
  const int32_t directXQuality = ini.ReadInteger(kSetting, "DirectXQuality", 1);
  const bool showClock = ini.ReadBool(kSetting, "ShowClock", false);
  const int32_t clockPos = ini.ReadInteger(kSetting, "ClockPos", 1);
  const bool customMusic = ini.ReadBool(kSetting, "CustomMusic", false);
  const bool shuffleMusic = ini.ReadBool(kSetting, "ShuffleMusic", true);

  if (customMusic) {
    s.MusicFile = JoinWith(SectionKeysByLineRule(ini.Lines(), kMusicList), ';');
    s.MusicMode = shuffleMusic ? 0 : 1;
  }
  const std::vector<std::string> excluded = SectionKeysByLineRule(ini.Lines(), kFiles);
  const int count = list.Count();
  if (list.Flags.size() != list.Names.size()) list.Flags.resize(list.Names.size(), "TRUE");
  if (imageMode == 3 && count > 0) {
    if (index < 0 || index >= count) index = 0;
    list.SetAllFlags(false);
    list.Flags[static_cast<size_t>(index)] = "TRUE";
  }
  if (imageMode == 2) {
    for (const auto& key : excluded) {
      const auto position = ParseInteger(key);
      if (position && *position >= 0 && *position < count) list.Flags[static_cast<size_t>(*position)] = "FALSE";
    }
  }
  s.ShowImageMode = imageMode;
  s.Duration = duration;
  s.Sound = sound;
  s.Music = music;
  s.Transition = transition;
  s.DirectX = directX;
  s.DirectXQuality = directXQuality;
  s.ClockPos = clockPos;
  s.ShowClock = showClock;
  if (speed != -1 && speed >= 0 && speed < static_cast<int32_t>(SpeedTable.size()))
    s.Speed = SpeedTable[static_cast<size_t>(speed)];
  if (imageSize != -1) {
    s.Stretch = imageSize > 0;
    s.Proportional = imageSize == 2;
  }
}

}  // namespace kx
