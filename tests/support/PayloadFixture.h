#pragma once
// A small screensaver made in the test: engine bytes, then a payload whose media are the
// given files, extracted the way a run does. The media reach the extraction folder only when
// something asks for them, so tests can check what a lookup writes and when.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
#include "tests/support/TestSupport.h"

namespace kx::test {

struct PayloadRun {
  TempDir tmp;     // the temporary folder
  TempDir exeDir;  // where the screensaver lies
  SaverFolders folders;
  TKXCProject project;
  std::string folder;  // the extraction folder

  // `media`: a name-list line and the member's bytes. `items`: the item names of the file
  // list. `settings`: the project settings INI text.
  PayloadRun(const std::vector<std::pair<std::string, std::string>>& media, const std::vector<std::string>& items,
             const std::string& settings = "[General]\r\nProductName=Sea\r\n") {
    std::string fileList = "[FileList]\r\n", names;
    for (const auto& item : items) fileList += item + "=1\r\n";
    std::vector<std::string> members;
    for (const auto& [line, bytes] : media) {
      names += line + "\r\n";
      members.push_back(bytes);
    }
    WriteText(exeDir / "Sea.scr", std::string(4096, '\x90') +
                                      ContainerBytes({ContainerBytes({fileList, settings, "[UI]\r\n"}), names,
                                                      ContainerBytes(members), "skin"}));
    folders = SaverFolders{tmp.path(), exeDir / "Sea.scr", 4242};
    folder = ExtractPayload(project, folders);
  }
  ~PayloadRun() {
    RemoveExtractedFiles(folders);
    CleanSaverTempRoot(folders);
  }
  // The media files in the extraction folder now, sorted.
  std::vector<std::string> MediaPresent() const {
    std::vector<std::string> names;
    for (const auto& name : ListDirectory(folder))
      if (name != "KXC.res" && name != "KXFilenames.res" && name != "KXGUI.kxu") names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
  }
};


}  // namespace kx::test
