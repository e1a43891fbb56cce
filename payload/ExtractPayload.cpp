#include "payload/ExtractPayload.h"

#include "payload/Container.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "project/IniText.h"

namespace kx {
namespace {

const char* const kOwnFiles[] = {"KXC.res", "KXFilenames.res", "KXFiles.res", "KXGUI.kxu"};

}  // namespace

std::vector<std::string> MediaFileNames(const std::string& nameListPath) {
  std::string text;
  if (!ReadFileBytes(nameListPath, text)) return {};
  std::vector<std::string> names;
  for (const auto& line : SplitLines(text)) {
    const std::string name = FileNamePart(line);
    names.push_back(IsSafeMemberName(name) ? name : std::string());
  }
  return names;
}

std::string ExtractPayload(TKXCProject& project, const SaverFolders& folders) {
  const std::string f = GetExtractionFolder(folders);
  if (f.empty()) return f;
  // The media container (member 2) is not copied out: only its member headers are read here,
  // and each medium is written from the executable when it is first asked for (MediaStore.h).
  // Start-up therefore costs the same whatever the media weigh.
  std::vector<std::string> targets;
  for (const char* name : kOwnFiles) {
    DeleteFileNoFollow(f + name);
    targets.push_back(f + name);
  }
  targets[2].clear();
  ExtractContainer(folders.exePath, targets);

  ContainerReader payload;
  if (payload.Open(folders.exePath) && payload.NextMember() >= 0 && payload.NextMember() >= 0 &&
      payload.NextMember() >= 0)
    ProcessMediaStore().Open(folders.exePath, payload.MemberStart(), MediaFileNames(f + "KXFilenames.res"), f);
  else
    ProcessMediaStore().Close();

  project.LoadFromContainer(f + "KXC.res");
  for (auto& name : project.FileList.Names) name = f + name;
  if (!project.Setting.PreviewFile.empty()) project.Setting.PreviewFile = f + FileNamePart(project.Setting.PreviewFile);
  project.UI.UIFile = f + "KXGUI.kxu";
  return f;
}

void RemoveExtractedFiles(const SaverFolders& folders) {
  const std::string f = folders.ExtractionFolder();
  // Nothing more is written once the files go; a copy under way ends first.
  if (ProcessMediaStore().Folder() == f) ProcessMediaStore().Close();
  if (!IsRealDirectory(f)) return;
  for (const auto& name : MediaFileNames(f + "KXFilenames.res"))
    if (!name.empty()) DeleteFileNoFollow(f + name);
  for (const char* name : kOwnFiles) DeleteFileNoFollow(f + name);
  RemoveEmptyDirectory(f);
}

}  // namespace kx
