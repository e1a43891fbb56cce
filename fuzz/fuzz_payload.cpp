// Fuzz target: the payload container and a whole extraction. The input is the screensaver
// file itself (engine bytes, then the payload); it is extracted into the scratch folder as a
// run would, its project loaded, every medium of the name list asked for from the media store
// (written from the executable, held by a lease, released), and everything removed again.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzFolder.h"
#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
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
  const std::string extracted = kx::ExtractPayload(project, saver);
  if (!extracted.empty()) {
    auto& store = kx::ProcessMediaStore();
    int asked = 0;
    for (const auto& name : kx::MediaFileNames(extracted + "KXFilenames.res")) {
      if (name.empty() || ++asked > 64) continue;
      // Each way in: a lease that lets the file go again, a lasting copy, a second ask of the
      // same name (the copy already there), and the lookup by path.
      { kx::TMediaLease lease(extracted + name); }
      const std::string path = store.EnsureFile(name);
      if (!path.empty()) {
        store.EnsurePath(path);
        kx::MediaFileExists(path);
        store.Release(path);
      }
    }
    store.AvailableFiles();
    kx::RemoveExtractedFiles(saver);
  }
  kx::CleanSaverTempRoot(saver);
  return 0;
}
