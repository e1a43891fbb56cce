#include "payload/SaverFolders.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "payload/Base64.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace kx {
namespace {

// The low 8 bits of each UTF-16 code unit of a UTF-8 name. Bytes that are not valid UTF-8
// stand for themselves.
std::string LowBytesOfUtf16(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto b0 = static_cast<uint8_t>(utf8[i]);
    int length = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= utf8.size();
    for (int k = 1; valid && k < length; ++k) valid = (static_cast<uint8_t>(utf8[i + k]) >> 6) == 2;
    if (!valid) {
      out += static_cast<char>(b0);
      ++i;
      continue;
    }
    uint32_t cp = length == 1 ? b0 : length == 2 ? (b0 & 0x1F) : length == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    if (cp >= 0x10000) {  // surrogate pair: two code units
      const uint32_t v = cp - 0x10000;
      out += static_cast<char>((0xD800 | (v >> 10)) & 0xFF);
      out += static_cast<char>((0xDC00 | (v & 0x3FF)) & 0xFF);
    } else {
      out += static_cast<char>(cp & 0xFF);
    }
    i += static_cast<size_t>(length);
  }
  return out;
}

// The process id a folder name gives: 1 to 10 decimal digits. A number above the largest
// process id (a name anyone may plant, such as "9999999999") is read without overflow and
// gives -1, so its folder counts as left over. nullopt for other names.
std::optional<int> ProcessIdOfName(const std::string& s) {
  if (s.empty() || s.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value <= INT32_MAX ? static_cast<int>(value) : -1;
}

// The folder the saver temp root goes in: $XDG_RUNTIME_DIR when it is a private folder of
// this user (no other user can put anything there); otherwise a per-user folder
// "kxsaver-UID" in the temporary folder, made private on first use. When neither can be had
// (another user planted "kxsaver-UID") the temporary folder itself, where the root's own
// checks still refuse a root that is not this user's.
// The per-user folder's name in the temporary folder, with its trailing '/'.
std::string UserTempFolderName() { return "kxsaver-" + std::to_string(geteuid()) + "/"; }

std::string PerUserTempFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    std::string folder = runtime;
    if (folder.back() != '/') folder += '/';
    if (IsPrivateDirectory(folder)) return folder;
  }
  const std::string temp = TempFolder();
  const std::string own = temp + UserTempFolderName();
  if (CreatePrivateDirectory(own) && IsPrivateDirectory(own)) return own;
  return temp;
}

}  // namespace

SaverFolders SaverFolders::ForThisProcess() {
  SaverFolders folders;
  folders.tempFolder = PerUserTempFolder();
  folders.exePath = LongPathName(ExecutablePath());
  folders.pid = CurrentProcessId();
  return folders;
}

std::string SaverFolders::BaseName() const {
  const std::string name = FileNamePart(exePath);
  return name.substr(0, name.find('.'));
}

std::string SaverFolders::TempRoot() const {
  const std::string base = BaseName();
  return base.empty() ? std::string() : tempFolder + TempRootName(base);
}

std::string SaverFolders::ExtractionFolder() const {
  const std::string root = TempRoot();
  return (root.empty() ? tempFolder : root + "/") + std::to_string(pid) + "/";
}

std::string TempRootName(const std::string& baseName) {
  std::string name = Base64Encode(LowBytesOfUtf16(baseName));
  for (char& c : name)
    if (c == '/') c = '_';
  return name;
}

std::string LongPathName(const std::string& path) {
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return std::string();
  std::error_code ec;
  const auto canonical = std::filesystem::canonical(path, ec);
  return ec ? std::string() : canonical.string();
}

std::string GetExtractionFolder(const SaverFolders& folders) {
  const std::string root = folders.TempRoot();
  // A root that exists already must be this user's and private: one another user made, or
  // one that others could write into, is never used.
  if (!root.empty() && (FileExists(root) ? !IsPrivateDirectory(root) : !CreatePrivateDirectory(root)))
    return std::string();
  const std::string folder = folders.ExtractionFolder();
  if (!CreatePrivateDirectory(folder)) return std::string();
  return folder;
}

void CleanSaverTempRoot(const SaverFolders& folders) {
  const std::string root = folders.TempRoot();
  // Never the temporary folder itself, and never a root of another user or one that others
  // can write into.
  if (root.empty() || !IsPrivateDirectory(root)) return;
  for (const auto& name : ListDirectory(root)) {
    if (const auto pid = ProcessIdOfName(name)) {
      if (*pid != folders.pid && ProcessIsRunning(*pid)) continue;  // a live run's media
    }
    RemoveTreeNoFollow(root + "/" + name);
  }
  RemoveEmptyDirectory(root);
}

bool IsOwnUserTempFolder(const SaverFolders& folders) {
  const std::string own = UserTempFolderName();
  const std::string& folder = folders.tempFolder;
  return folder.size() > own.size() && folder.compare(folder.size() - own.size(), own.size(), own) == 0 &&
         folder[folder.size() - own.size() - 1] == '/';
}

bool IsSafeMemberName(const std::string& fileName) {
  static const char* const kReserved[] = {"KXC.res", "KXFilenames.res", "KXFiles.res", "KXGUI.kxu",
                                          "KXtest~1.tmp", "KXtest~2.tmp", "KXtest~3.tmp", "KXtest~4.tmp"};
  if (fileName.empty() || fileName == "." || fileName == "..") return false;
  if (fileName.find_first_of("/\\:") != std::string::npos || fileName.find('\0') != std::string::npos)
    return false;
  for (const char* reserved : kReserved)
    if (fileName == reserved) return false;
  return true;
}

}  // namespace kx
