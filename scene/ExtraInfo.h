#pragma once
// TExtraInfo: the builder tool's own settings stored in a scene package. The engine keeps
// them and acts on none of them.
//
// In the package they are a comma text whose items are INI lines, with the sections
// "BuildScr" and "BuildExe", each holding "Filename", "MusicFile", "Music" (default 0) and
// "Sound" (default 1).
#include <string>

namespace kx {

// The builder settings as the builder writes them for a new package.
inline constexpr char kDefaultBuilderSettings[] =
    "[BuildScr],Filename=,MusicFile=,Music=0,Sound=0,,[BuildExe],Filename=,MusicFile=,Music=0,"
    "Sound=0,";

struct TExtraInfo {
  std::string ExeFileName;
  bool ExeSound = false;
  std::string ExeMusicFile;
  bool ExeMusic = false;
  std::string ScrFileName;
  std::string ScrMusicFile;
  bool ScrMusic = false;
  bool ScrSound = false;

  // Reads all eight keys from the comma text; a missing or unreadable key takes its default.
  void LoadFromCommaText(const std::string& commaText);
  // The comma text of these settings, in the builder's own layout.
  std::string ToCommaText() const;

  bool operator==(const TExtraInfo&) const = default;
};

}  // namespace kx
