#include "project/KXCProject.h"

#include "payload/Container.h"
#include "platform/Files.h"

namespace kx {

void TKXCFileList::LoadFromFile(const std::string& path) {
  std::string text;
  if (!ReadFileBytes(path, text)) text.clear();
  LoadFromText(text);
}

void TKXCFileList::LoadFromText(const std::string& text) {
  Names.clear();
  Flags.clear();
  const IniText ini = IniText::Parse(text);
  Names = SectionKeysByLineRule(ini.Lines(), "FileList");
  // One pass over the section: a list of thousands of names loads in linear time.
  const auto values = ini.SectionValues("FileList");
  for (const auto& name : Names) {
    const auto it = values.find(UpperAscii(Trim(name)));
    const bool on = it != values.end() && ParseInteger(it->second).value_or(0) != 0;
    Flags.push_back(on ? "TRUE" : "FALSE");
  }
}

void TKXCFileList::SetAllFlags(bool value) {
  Flags.assign(Names.size(), value ? "TRUE" : "FALSE");
}

void TUISetting::LoadFromFile(const std::string& path) { LoadFromText(IniText::LoadFile(path)); }

void TUISetting::LoadFromText(const IniText& ini) { UIFile = ini.ReadString("UI", "UIFile", UIFile); }

void TKXCProject::LoadFromContainer(const std::string& containerPath) {
  const ContainerLocation location = FindContainer(containerPath);
  if (!location.found || (location.count != 3 && location.count != 4)) return;
  const std::string folder = FolderOf(containerPath);
  std::vector<std::string> temps;
  for (int i = 1; i <= location.count; ++i) temps.push_back(folder + "KXtest~" + std::to_string(i) + ".tmp");
  for (const auto& temp : temps) DeleteFileNoFollow(temp);  // never read through a planted link
  ExtractContainer(containerPath, temps);
  FileList.LoadFromFile(temps[0]);
  Setting.LoadFromFile(temps[1]);
  UI.LoadFromFile(temps[2]);
  for (int i = 1; i <= 4; ++i) DeleteFileNoFollow(folder + "KXtest~" + std::to_string(i) + ".tmp");
}

}  // namespace kx
