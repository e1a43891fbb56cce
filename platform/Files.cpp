#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Paths.h"

namespace kx {

bool FileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool IsRealDirectory(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsPrivateDirectory(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool IsRegularFileUpTo(const std::string& path, int64_t maxBytes) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes;
}

static std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool CreatePrivateDirectory(const std::string& path) {
  const std::string p = WithoutTrailingSlash(path);
  if (mkdir(p.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat st;
  if (lstat(p.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
  if ((st.st_mode & 077) != 0 && chmod(p.c_str(), 0700) != 0) return false;
  return true;
}

int OpenForWriteNoFollow(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool DeleteFileNoFollow(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveEmptyDirectory(const std::string& path) {
  return rmdir(WithoutTrailingSlash(path).c_str()) == 0;
}

std::vector<std::string> ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

void RemoveTreeNoFollow(const std::string& path) {
  const std::string p = WithoutTrailingSlash(path);
  struct stat st;
  if (lstat(p.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    unlink(p.c_str());
    return;
  }
  for (const auto& name : ListDirectory(p)) RemoveTreeNoFollow(p + "/" + name);
  rmdir(p.c_str());
}

int OpenRegularForRead(const std::string& path, int64_t maxBytes, int64_t& size) {
  // O_NONBLOCK: opening a FIFO or a terminal must not wait; such files are refused below.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  size = st.st_size;
  return fd;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  int64_t size = 0;
  const int fd = OpenRegularForRead(path, kMaxTextFileBytes, size);
  if (fd < 0) return false;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    out.append(buffer, static_cast<size_t>(n));
    if (static_cast<int64_t>(out.size()) > kMaxTextFileBytes) {  // grew while being read
      ok = false;
      break;
    }
  }
  close(fd);
  if (!ok) out.clear();
  return ok;
}

namespace {

// The file a path stands for: a symbolic link is followed (relative targets from the link's
// folder) to what it names, which need not exist yet. A chain longer than 40 links is taken
// as it stands, so the write then refuses it.
std::string FinalTarget(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    char target[4096];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) return path;
    target[n] = '\0';
    path = target[0] == '/' ? std::string(target) : FolderOf(path) + target;
  }
  return path;
}

mode_t CurrentUmask() {
  const mode_t mask = umask(077);
  umask(mask);
  return mask;
}

// Removes what a killed write left beside `target`: "NAME.kxtmpPID" and "NAME.kxtmpPID.XXXXXX"
// files of processes that no longer run. A live writer's file is left alone.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = FileNamePart(target) + ".kxtmp";
  for (const auto& name : ListDirectory(folder.empty() ? "." : folder)) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    const size_t digits = rest.find_first_not_of("0123456789");
    const std::string pidText = rest.substr(0, digits);
    if (pidText.empty() || pidText.size() > 9) continue;
    if (digits != std::string::npos && rest[digits] != '.') continue;
    const int pid = std::stoi(pidText);  // at most 9 digits: always fits
    if (pid != CurrentProcessId() && ProcessIsRunning(pid)) continue;
    struct stat st;
    if (lstat((folder + name).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid())
      unlink((folder + name).c_str());
  }
}

bool SyncFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& data, bool throughLink) {
  // A link is written through: the settings file may live elsewhere and be linked in.
  const std::string target = throughLink ? FinalTarget(path) : path;
  RemoveStaleTemporaries(target);
  // The temporary name is unique (mkstemp) and carries the process id, so a later write can
  // tell a dead writer's leftover from a live one's file.
  std::string temp = target + ".kxtmp" + std::to_string(CurrentProcessId()) + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // The file keeps its mode; a new one gets 0644 narrowed by the umask.
  struct stat st;
  const int found = throughLink ? stat(target.c_str(), &st) : lstat(target.c_str(), &st);
  const mode_t mode = found == 0 && S_ISREG(st.st_mode) ? (st.st_mode & 07777)
                                                                          : (0644 & ~CurrentUmask());
  bool ok = fchmod(fd, mode) == 0;
  size_t done = 0;
  while (ok && done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n <= 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk only with the folder.
  SyncFolder(FolderOf(target));
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string FileNamePart(const std::string& path) {
  const auto pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace kx
