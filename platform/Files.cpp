#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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

bool ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteFileReplacing(const std::string& path, const std::string& data) {
  const std::string temp = path + ".kxtmp" + std::to_string(CurrentProcessId());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n <= 0) {
      close(fd);
      unlink(temp.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
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
