#pragma once
// The project model: the show items, the project settings and the UI settings that the
// builder stored in the payload's project container.
#include <string>
#include <vector>

#include "project/KXCSetting.h"

namespace kx {

class TKXCFileList {
 public:
  std::vector<std::string> Names;  // item files; full paths in the extraction folder after extraction
  std::vector<std::string> Flags;  // "TRUE" or "FALSE": whether the item takes part

  void LoadFromFile(const std::string& path);
  void LoadFromText(const std::string& text);
  int Count() const { return static_cast<int>(Names.size()); }
  void SetAllFlags(bool value);
};

class TUISetting {
 public:
  std::string UIFile;  // the skin file
  void LoadFromFile(const std::string& path);
  void LoadFromText(const IniText& ini);
};

class TKXCProject {
 public:
  TKXCFileList FileList;
  TKXCSetting Setting;
  TUISetting UI;

  // Loads the three INI texts from the extracted project container "KXC.res". The members
  // pass through the files "KXtest~1.tmp" to "KXtest~4.tmp", created next to the container
  // (in this process's own extraction folder) and deleted again. A container with another
  // member count than 3 or 4 leaves every field at its default.
  void LoadFromContainer(const std::string& containerPath);
};

}  // namespace kx
