// Fuzz target: the INI texts. The input is read as a project file list, project settings
// and UI settings, then as the user's settings file, which is applied to the project and
// written back (through the scratch folder).
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzFolder.h"
#include "project/IniText.h"
#include "project/KXCProject.h"
#include "project/UserSettings.h"
#include "scene/IniSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kx::TKXCProject project;
  project.FileList.LoadFromText(text);
  const kx::IniText ini = kx::IniText::Parse(text);
  project.Setting.LoadFromText(ini);
  project.UI.LoadFromText(ini);
  kx::IniSections sections(text);
  sections.ReadInteger("Obj0", "Left", 0);

  const auto& folder = kx::fuzz::Folder();
  folder.Clear();
  const std::string exe = folder.Path() + "Fuzz.scr";
  folder.Write("Fuzz.ini", data, size);
  kx::ApplyUserSettings(project, kx::UserSettingsPath(exe));
  const kx::UserSettingsFile file(exe, "/C");
  kx::UserSettingValues values;
  std::vector<std::string> music;
  if (file.ReadSettings(project, values, music)) {
    file.WriteSettings(values, music);
    file.WriteExcludedItems({0, 2});
    file.ReadExcludedItems();
    file.WriteSelectedIndex(1);
  }
  return 0;
}
