#include "scene/ExtraInfo.h"

#include <vector>

#include "scene/CommaText.h"
#include "scene/IniSections.h"

namespace kx {

void TExtraInfo::LoadFromCommaText(const std::string& commaText) {
  const IniSections ini = IniSections::FromLines(SplitCommaText(commaText));
  ScrFileName = ini.ReadString("BuildScr", "Filename", "");
  ScrMusicFile = ini.ReadString("BuildScr", "MusicFile", "");
  ScrMusic = ini.ReadBool("BuildScr", "Music", false);
  ScrSound = ini.ReadBool("BuildScr", "Sound", true);
  ExeFileName = ini.ReadString("BuildExe", "Filename", "");
  ExeMusicFile = ini.ReadString("BuildExe", "MusicFile", "");
  ExeMusic = ini.ReadBool("BuildExe", "Music", false);
  ExeSound = ini.ReadBool("BuildExe", "Sound", true);
}

std::string TExtraInfo::ToCommaText() const {
  auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
  const std::vector<std::string> lines = {
      "[BuildScr]",
      "Filename=" + ScrFileName,
      "MusicFile=" + ScrMusicFile,
      "Music=" + flag(ScrMusic),
      "Sound=" + flag(ScrSound),
      "",
      "[BuildExe]",
      "Filename=" + ExeFileName,
      "MusicFile=" + ExeMusicFile,
      "Music=" + flag(ExeMusic),
      "Sound=" + flag(ExeSound),
      "",
  };
  return JoinCommaText(lines);
}

}  // namespace kx
