#include "platform/Paths.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace kx {

std::string TempFolder() {
  const char* env = std::getenv("TMPDIR");
  std::string folder = (env != nullptr && *env != '\0') ? env : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string ExecutablePath() {
  std::error_code ec;
  const auto path = std::filesystem::canonical("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

bool ProcessIsRunning(int pid) {
  if (pid <= 0) return false;
  if (kill(static_cast<pid_t>(pid), 0) == 0) return true;
  return errno == EPERM;  // exists, but belongs to someone else
}

std::string SystemDirectory() { return "/usr/lib/"; }

}  // namespace kx
