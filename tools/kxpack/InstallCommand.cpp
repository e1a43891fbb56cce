#include "tools/kxpack/InstallCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/kxpack/InstallFiles.h"
#include "tools/kxpack/InstallProgramsList.h"

namespace kx {
namespace {

constexpr const char* kSystemDefaults = "/etc/X11/app-defaults/XScreenSaver";
constexpr const char* kBackupSuffix = ".kxpack-backup";

std::string Reason() { return std::strerror(errno); }

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// mkdir -p with mode 0755 for the folders created.
bool MakeFolders(const std::string& folder, std::string& error) {
  std::string path;
  size_t start = 0;
  while (start <= folder.size()) {
    const auto end = folder.find('/', start);
    path = folder.substr(0, end == std::string::npos ? folder.size() : end);
    if (!path.empty() && mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
      error = "Cannot create the folder " + path + ": " + Reason();
      return false;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = "Cannot create the folder " + folder;
    return false;
  }
  return true;
}

// A file staged beside its target, renamed over it by Commit, removed otherwise.
class StagedFile {
 public:
  explicit StagedFile(std::string target) : target_(std::move(target)), temp_(target_ + ".kxpack-new") {}
  ~StagedFile() {
    if (!committed_ && written_) unlink(temp_.c_str());
  }
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool WriteBytes(const std::string& data, mode_t mode, std::string& error) {
    const int fd = Open(mode, error);
    if (fd < 0) return false;
    return Finish(fd, WriteAll(fd, data.data(), data.size()), error);
  }

  bool CopyFrom(const std::string& source, mode_t mode, std::string& error) {
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
      error = "Cannot read " + source + ": " + Reason();
      return false;
    }
    const int fd = Open(mode, error);
    if (fd < 0) {
      close(in);
      return false;
    }
    bool ok = true;
    char buffer[1 << 16];
    for (ssize_t n; ok && (n = read(in, buffer, sizeof buffer)) != 0;) {
      if (n < 0) {
        error = "Cannot read " + source + ": " + Reason();
        close(in);
        close(fd);
        return false;
      }
      ok = WriteAll(fd, buffer, static_cast<size_t>(n));
    }
    close(in);
    return Finish(fd, ok, error);
  }

  bool Commit(std::string& error) {
    if (rename(temp_.c_str(), target_.c_str()) != 0) {
      error = "Cannot write " + target_ + ": " + Reason();
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  int Open(mode_t mode, std::string& error) {
    unlink(temp_.c_str());  // a leftover of an interrupted run
    const int fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      error = "Cannot write " + target_ + ": " + Reason();
      return -1;
    }
    written_ = true;
    fchmod(fd, mode);  // the umask narrows the mode given to open
    return fd;
  }
  static bool WriteAll(int fd, const char* data, size_t size) {
    for (size_t done = 0; done < size;) {
      const ssize_t n = write(fd, data + done, size - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  bool Finish(int fd, bool ok, std::string& error) {
    ok = ok && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (!ok) error = "Cannot write " + target_ + ": " + Reason();
    return ok;
  }

  std::string target_;
  std::string temp_;
  bool written_ = false;
  bool committed_ = false;
};

bool RemoveIfPresent(const std::string& path, bool& removed, std::string& error) {
  if (unlink(path.c_str()) == 0) {
    removed = true;
    return true;
  }
  if (errno == ENOENT) return true;
  error = "Cannot remove " + path + ": " + Reason();
  return false;
}

// ~/.xscreensaver as it stands: its real path (a link is followed, so that a linked dotfile
// stays a link), its text and mode. A missing file reads as empty.
struct ListFile {
  std::string path;
  std::string text;
  bool exists = false;
  mode_t mode = 0644;
};

bool ReadListFile(const std::string& given, ListFile& file, std::string& error) {
  file = ListFile();
  file.path = given;
  struct stat st;
  if (lstat(given.c_str(), &st) != 0) {
    if (errno == ENOENT) return true;
    error = "Cannot read " + given + ": " + Reason();
    return false;
  }
  if (S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(given.c_str(), resolved) == nullptr) {
      error = "Cannot read " + given + ": " + Reason();
      return false;
    }
    file.path = resolved;
  }
  const int fd = open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "Cannot read " + given + (fd < 0 ? ": " + Reason() : std::string(": not a regular file"));
    if (fd >= 0) close(fd);
    return false;
  }
  file.exists = true;
  file.mode = st.st_mode & 07777;
  char buffer[1 << 16];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      error = "Cannot read " + given + ": " + Reason();
      close(fd);
      return false;
    }
    file.text.append(buffer, static_cast<size_t>(n));
    if (file.text.size() > (64u << 20)) break;  // the editor refuses it as too large
  }
  close(fd);
  return true;
}

// The edited list, a backup of the old one, then the new one renamed over it.
bool WriteListFile(const ListFile& file, const std::string& text, std::string& error) {
  if (file.exists) {
    StagedFile backup(file.path + kBackupSuffix);
    if (!backup.WriteBytes(file.text, file.mode, error) || !backup.Commit(error)) return false;
  }
  StagedFile list(file.path);
  return list.WriteBytes(text, file.mode, error) && list.Commit(error);
}

std::vector<std::string> SystemEntries(const UserPlaces& places) {
  std::string text;
  FILE* f = std::fopen(places.systemDefaults.c_str(), "rb");
  if (f == nullptr) return {};
  char buffer[1 << 16];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < (8u << 20);) text.append(buffer, n);
  std::fclose(f);
  return SystemProgramEntries(text);
}

struct Options {
  std::string positional;
  std::string name;
  std::string prefix;
  std::string destdir;
  bool user = false;
};

bool ParseOptions(const std::vector<std::string>& args, bool allowName, Options& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--user") o.user = true;
    else if (a == "--prefix" && hasValue) o.prefix = args[++i];
    else if (a == "--destdir" && hasValue) o.destdir = args[++i];
    else if (a == "--name" && hasValue && allowName) o.name = args[++i];
    else if (!a.empty() && a[0] != '-' && o.positional.empty()) o.positional = a;
    else return false;
  }
  if (o.positional.empty() || o.user == !o.prefix.empty()) return false;
  if (o.user && !o.destdir.empty()) return false;
  return true;
}

int Fail(const std::string& error) {
  std::fprintf(stderr, "kxpack: %s\n", error.c_str());
  return 1;
}

}  // namespace

bool UserPlacesFromEnvironment(UserPlaces& places, std::string& error) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    error = "HOME is not set to an absolute folder";
    return false;
  }
  places.home = WithoutTrailingSlash(home);
  const char* data = std::getenv("XDG_DATA_HOME");
  places.dataHome = data != nullptr && data[0] == '/' ? WithoutTrailingSlash(data) : places.home + "/.local/share";
  places.systemDefaults = kSystemDefaults;
  return true;
}

PrefixPaths PrefixLayout(const std::string& root, const std::string& name) {
  const std::string r = WithoutTrailingSlash(root) == "/" ? "" : WithoutTrailingSlash(root);
  return {r + "/libexec/xscreensaver/" + name, r + "/share/xscreensaver/config/" + name + ".xml",
          r + "/share/applications/screensavers/" + name + ".desktop"};
}

bool InstallToPrefix(const std::string& saver, const std::string& name, const std::string& prefix,
                     const std::string& destdir, std::string& error) {
  std::string productName;
  if (!ReadSaverProductName(saver, productName, error)) return false;
  if (productName.empty()) productName = name;
  const std::string finalPrefix = WithoutTrailingSlash(Absolute(prefix));
  const PrefixPaths installed = PrefixLayout(finalPrefix, name);
  const PrefixPaths target =
      PrefixLayout(destdir.empty() ? finalPrefix : WithoutTrailingSlash(Absolute(destdir)) + finalPrefix, name);

  for (const auto* path : {&target.saver, &target.panel, &target.desktop})
    if (!MakeFolders(path->substr(0, path->find_last_of('/')), error)) return false;
  StagedFile saverFile(target.saver), panel(target.panel), desktop(target.desktop);
  return saverFile.CopyFrom(saver, 0755, error) &&
         panel.WriteBytes(SettingsPanelXml(name, productName, installed.saver), 0644, error) &&
         desktop.WriteBytes(DesktopEntry(productName, installed.saver), 0644, error) &&
         saverFile.Commit(error) && panel.Commit(error) && desktop.Commit(error);
}

bool UninstallFromPrefix(const std::string& name, const std::string& prefix, const std::string& destdir,
                         std::string& error) {
  const std::string finalPrefix = WithoutTrailingSlash(Absolute(prefix));
  const PrefixPaths target =
      PrefixLayout(destdir.empty() ? finalPrefix : WithoutTrailingSlash(Absolute(destdir)) + finalPrefix, name);
  bool removed = false;
  for (const auto* path : {&target.desktop, &target.panel, &target.saver})
    if (!RemoveIfPresent(*path, removed, error)) return false;
  if (!removed) {
    error = name + " is not installed in " + finalPrefix + " (no " + target.saver + ")";
    return false;
  }
  return true;
}

bool InstallForUser(const std::string& saver, const std::string& name, const UserPlaces& places,
                    std::string& error) {
  std::string productName;
  if (!ReadSaverProductName(saver, productName, error)) return false;
  if (productName.empty()) productName = name;
  const std::string folder = places.dataHome + "/kxsaver";
  const std::string installed = folder + "/" + name;
  std::string entry;
  if (!ProgramsEntry(productName, installed, entry)) {
    error = "Cannot name " + installed + " in a programs list (it holds a quote, a backslash or a control character)";
    return false;
  }
  ListFile list;
  std::string edited;
  if (!ReadListFile(places.home + "/.xscreensaver", list, error)) return false;
  if (!EditProgramsList(list.text, installed, entry, SystemEntries(places), edited, error)) {
    error = list.path + " is " + error + "; it was left as it is";
    return false;
  }
  if (!MakeFolders(folder, error)) return false;
  StagedFile saverFile(installed);
  if (!saverFile.CopyFrom(saver, 0755, error) || !saverFile.Commit(error)) return false;
  if (!WriteListFile(list, edited, error)) {
    unlink(installed.c_str());
    return false;
  }
  return true;
}

bool UninstallForUser(const std::string& name, const UserPlaces& places, std::string& error) {
  const std::string installed = places.dataHome + "/kxsaver/" + name;
  ListFile list;
  std::string edited;
  if (!ReadListFile(places.home + "/.xscreensaver", list, error)) return false;
  if (!EditProgramsList(list.text, installed, std::string(), {}, edited, error)) {
    error = list.path + " is " + error + "; it was left as it is";
    return false;
  }
  const bool listed = edited != list.text;
  if (listed && !WriteListFile(list, edited, error)) return false;
  bool removed = false;
  if (!RemoveIfPresent(installed, removed, error)) return false;
  if (!removed && !listed) {
    error = name + " is not installed for this user (no " + installed + ")";
    return false;
  }
  return true;
}

int RunInstallCommand(const std::vector<std::string>& args) {
  Options o;
  if (!ParseOptions(args, true, o)) {
    std::fprintf(stderr, "usage: kxpack install SAVER [--name NAME] (--prefix DIR [--destdir STAGE] | --user)\n");
    return 2;
  }
  const std::string name = o.name.empty() ? SaverNameFromFile(o.positional) : o.name;
  if (!IsValidSaverName(name))
    return Fail("\"" + name + "\" cannot name a screensaver: use lower-case letters, digits, '-' and '_'" +
                (o.name.empty() ? " (give one with --name)" : ""));
  std::string error;
  if (o.user) {
    UserPlaces places;
    if (!UserPlacesFromEnvironment(places, error) || !InstallForUser(o.positional, name, places, error))
      return Fail(error);
    std::printf("Installed %s as %s/kxsaver/%s and listed it in %s/.xscreensaver\n", o.positional.c_str(),
                places.dataHome.c_str(), name.c_str(), places.home.c_str());
    return 0;
  }
  if (!InstallToPrefix(o.positional, name, o.prefix, o.destdir, error)) return Fail(error);
  return 0;
}

int RunUninstallCommand(const std::vector<std::string>& args) {
  Options o;
  if (!ParseOptions(args, false, o)) {
    std::fprintf(stderr, "usage: kxpack uninstall NAME (--prefix DIR [--destdir STAGE] | --user)\n");
    return 2;
  }
  if (!IsValidSaverName(o.positional)) return Fail("\"" + o.positional + "\" is not a screensaver name");
  std::string error;
  if (o.user) {
    UserPlaces places;
    if (!UserPlacesFromEnvironment(places, error) || !UninstallForUser(o.positional, places, error))
      return Fail(error);
    return 0;
  }
  if (!UninstallFromPrefix(o.positional, o.prefix, o.destdir, error)) return Fail(error);
  return 0;
}

}  // namespace kx
