// Fuzz target: the payload container and a whole extraction. The input is the screensaver
// file itself (engine bytes, then the payload); it is extracted into the scratch folder as a
// run would, its project loaded, and everything removed again.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzFolder.h"
#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "payload/SaverFolders.h"
#include "project/KXCProject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& folder = kx::fuzz::Folder();
  folder.Clear();
  const std::string exe = folder.Write("Fuzz.scr", data, size);

  std::vector<std::string> members;
  kx::ParseContainerBytes(std::string(reinterpret_cast<const char*>(data), size), members);
  kx::ContainerReader reader;
  if (reader.Open(exe)) {
    std::string member;
    while (reader.NextMember() >= 0) {
      reader.AvailableOfMember();
      reader.ReadMember(member, 1 << 16);
    }
  }

  kx::SaverFolders saver;
  saver.tempFolder = folder.Path();
  saver.exePath = exe;
  saver.pid = static_cast<int>(getpid());
  kx::CleanSaverTempRoot(saver);
  kx::TKXCProject project;
  if (!kx::ExtractPayload(project, saver).empty()) kx::RemoveExtractedFiles(saver);
  kx::CleanSaverTempRoot(saver);
  return 0;
}
