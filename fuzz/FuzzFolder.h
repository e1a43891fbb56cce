#pragma once
// A private scratch folder for one fuzz process. Targets that need their input as a file
// write it here and nowhere else; the folder (mode 0700, under $TMPDIR or /tmp) is removed
// with everything in it when the process ends.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Files.h"

namespace kx::fuzz {

class FuzzFolder {
 public:
  FuzzFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kxfuzz.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();  // nowhere safe to write
    path_ = pattern + "/";
  }
  ~FuzzFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  // The folder, with a trailing '/'.
  const std::string& Path() const { return path_; }

  // Writes the input to NAME inside the folder and returns its path.
  std::string Write(const std::string& name, const uint8_t* data, size_t size) const {
    const std::string file = path_ + name;
    if (!WriteFileReplacing(file, std::string(reinterpret_cast<const char*>(data), size))) std::abort();
    return file;
  }

  // Empties the folder between two inputs, so one input never sees another's files.
  void Clear() const {
    for (const auto& name : ListDirectory(path_)) RemoveTreeNoFollow(path_ + name);
  }

 private:
  std::string path_;
};

// One folder for the whole process, made on first use.
inline const FuzzFolder& Folder() {
  static FuzzFolder folder;
  return folder;
}

}  // namespace kx::fuzz
