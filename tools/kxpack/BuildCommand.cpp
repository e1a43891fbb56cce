#include "tools/kxpack/BuildCommand.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "payload/Container.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "project/IniText.h"
#include "scene/IniSections.h"
#include "tools/kxpack/BuildChecks.h"
#include "tools/kxpack/BuildDefaults.h"

namespace kx {
namespace {

const char* const kSettingSections[] = {"General", "Default", "Advance", "Build"};
const char* const kManifestSections[] = {"Package", "Items", "Media", "General", "Default", "Advance", "Build"};

// The raw lines of a section: not empty, not ";" comments.
std::vector<std::string> SectionLines(const IniText& ini, const std::string& section) {
  std::vector<std::string> out;
  bool inside = false;
  for (const auto& raw : ini.Lines()) {
    const std::string line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inside = UpperAscii(line.substr(1, line.size() - 2)) == UpperAscii(section);
      continue;
    }
    if (inside && !line.empty() && line[0] != ';') out.push_back(line);
  }
  return out;
}

// Sections the manifest holds that the build does not read: a misspelt [Default] would
// otherwise lose all its settings without a word.
std::vector<std::string> UnknownSections(const IniText& ini) {
  std::vector<std::string> unknown;
  for (const auto& raw : ini.Lines()) {
    const std::string line = Trim(raw);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') continue;
    const std::string name = line.substr(1, line.size() - 2);
    bool known = false;
    for (const char* section : kManifestSections) known = known || EqualsIgnoreCase(name, section);
    if (!known) unknown.push_back(name);
  }
  return unknown;
}

std::string Resolve(const std::string& folder, const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return folder + path;
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const auto end = text.find(separator, start);
    const std::string part = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (!part.empty()) parts.push_back(part);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

// "" when `path` is a regular file this process can read, else why not.
std::string UnreadableReason(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  struct stat st;
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular ? "" : "not a regular file";
}

// The engine's bytes without debug information: a build with debug information would make
// every finished screensaver twenty times its size. objcopy (binutils) drops the debug
// sections and keeps the symbols; without it, or for an engine that is not ELF, the bytes
// are taken as they are.
bool ReadEngineWithoutDebugInfo(const std::string& engine, const std::string& scratch, std::string& bytes) {
  if (!ReadFileBytes(engine, bytes)) return false;
  if (bytes.compare(0, 4, "\x7f" "ELF") != 0) return true;
  const char* argv[] = {"objcopy", "--strip-debug", engine.c_str(), scratch.c_str(), nullptr};
  pid_t pid;
  int status = 0;
  std::string stripped;
  posix_spawn_file_actions_t quiet;  // objcopy's complaints about an unusual engine are not ours
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  if (posix_spawnp(&pid, "objcopy", &quiet, nullptr, const_cast<char* const*>(argv), environ) == 0 &&
      waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      ReadFileBytes(scratch, stripped) && !stripped.empty())
    bytes.swap(stripped);
  posix_spawn_file_actions_destroy(&quiet);
  unlink(scratch.c_str());
  return true;
}

}  // namespace

bool AddManifestMedia(PackageManifest& m, const std::string& path, const std::string& name, std::string& error) {
  const std::string reason = UnreadableReason(path);
  if (!reason.empty()) {
    error = "Cannot read " + path + ": " + reason;
    return false;
  }
  for (const auto& line : m.nameLines)
    if (FileNamePart(line) == name) {
      error = "Two media files share the name " + name;
      return false;
    }
  m.media.push_back(path);
  m.nameLines.push_back(name);
  return true;
}

void ComposeManifestTexts(PackageManifest& m, const std::string& settingsText) {
  m.settingsText = settingsText;
  IniText fileList;
  fileList.WriteString("FileListHeader", "Header", std::to_string(m.items.size()));
  for (const auto& item : m.items) fileList.WriteString("FileList", FileNamePart(item), "1");
  if (m.items.empty()) fileList.EraseSection("FileList");
  m.fileListText = fileList.ToText();
  if (m.items.empty()) m.fileListText += "[FileList]\r\n";

  IniText ui;
  ui.WriteString("UI", "UIFile", m.skin.empty() ? "KXGUI.kxu" : FileNamePart(m.skin));
  m.uiText = ui.ToText();
}

bool LoadManifest(const std::string& manifestPath, const std::string& defaultEngine, PackageManifest& m,
                  std::string& error) {
  return LoadManifest(manifestPath, ManifestDefaults{defaultEngine, ""}, m, error);
}

bool LoadManifest(const std::string& manifestPath, const ManifestDefaults& defaults, PackageManifest& m,
                  std::string& error) {
  std::string text;
  if (!ReadFileBytes(manifestPath, text)) {
    error = "Cannot read the manifest " + manifestPath + ": " + UnreadableReason(manifestPath);
    return false;
  }
  const IniText ini = IniText::Parse(text);
  const std::string folder = FolderOf(manifestPath);
  m = PackageManifest();
  const std::string engine = ini.ReadString("Package", "Engine", "");
  m.engine = engine.empty() ? defaults.engine : Resolve(folder, engine);
  const std::string skin = ini.ReadString("Package", "Skin", "");
  m.skin = skin.empty() ? defaults.skin : Resolve(folder, skin);
  m.extra = ini.ReadBool("Package", "Extra", false);
  for (const auto& name : UnknownSections(ini))
    m.warnings.push_back("[" + name + "]: not a manifest section; its lines are ignored");

  // The name list keeps the path as given (with '\' separators); the engine uses only its
  // file name part.
  auto addMedia = [&](const std::string& given) {
    std::string line = given;
    for (char& c : line)
      if (c == '/') c = '\\';
    const size_t before = m.nameLines.size();
    if (!AddManifestMedia(m, Resolve(folder, given), FileNamePart(given), error)) return false;
    m.nameLines[before] = line;
    return true;
  };
  auto known = [&](const std::string& name) {
    for (const auto& line : m.nameLines)
      if (FileNamePart(line) == name) return true;
    return false;
  };

  for (const auto& item : SectionLines(ini, "Items")) {
    if (!addMedia(item)) return false;
    m.items.push_back(item);
  }
  for (const auto& media : SectionLines(ini, "Media"))
    if (!addMedia(media)) return false;

  // Settings: copied as they stand, but PreviewFile and MusicFile keep file names only and
  // bring their files along.
  IniText settings;
  for (const char* section : kSettingSections) {
    for (const auto& line : SectionLines(ini, section)) {
      const auto eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = Trim(line.substr(0, eq));
      std::string value = Trim(line.substr(eq + 1));
      const std::string upper = UpperAscii(key);
      if (upper == "PREVIEWFILE" || upper == "MUSICFILE") {
        std::string rewritten;
        for (const auto& file : SplitOn(value, ';')) {
          const std::string name = FileNamePart(file);
          if (!known(name) && !addMedia(file)) return false;
          if (!rewritten.empty()) rewritten += ';';
          rewritten += name;
        }
        value = rewritten;
      }
      settings.WriteString(section, key, value);
    }
  }
  ApplyBuildDefaults(settings);
  ComposeManifestTexts(m, settings.ToText());
  return true;
}

std::string OutputFolderProblem(const std::string& outPath) {
  std::string folder = FolderOf(outPath);
  if (folder.empty()) folder = "./";
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) return "Cannot write into the folder " + folder + ": " + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return "Cannot write into " + folder + ": " + std::strerror(ENOTDIR);
  if (access(folder.c_str(), W_OK | X_OK) != 0) return "Cannot write into the folder " + folder + ": " + std::strerror(errno);
  return "";
}

bool BuildScreensaver(const PackageManifest& m, const std::string& outPath, std::string& error) {
  std::vector<ContainerMember> project = {ContainerMember::FromBytes(m.fileListText),
                                          ContainerMember::FromBytes(m.settingsText),
                                          ContainerMember::FromBytes(m.uiText)};
  if (m.extra)
    project.push_back(ContainerMember::FromContainer({ContainerMember::FromBytes(""), ContainerMember::FromBytes("")}));
  std::string nameList;
  for (const auto& line : m.nameLines) nameList += line + "\r\n";
  std::vector<ContainerMember> media;
  for (const auto& path : m.media) media.push_back(ContainerMember::FromFile(path));
  const std::vector<ContainerMember> payload = {
      ContainerMember::FromContainer(project), ContainerMember::FromBytes(nameList),
      ContainerMember::FromContainer(media),
      m.skin.empty() ? ContainerMember::FromBytes("") : ContainerMember::FromFile(m.skin)};

  std::string engine;
  // A file of our own for the stripped engine, so nothing planted in the temporary folder is
  // written through.
  std::string scratch = TempFolder() + "kxpack-engine-XXXXXX";
  if (const int fd = mkstemp(scratch.data()); fd >= 0) close(fd);
  if (!ReadEngineWithoutDebugInfo(m.engine, scratch, engine) || engine.empty()) {
    const std::string reason = UnreadableReason(m.engine);
    error = "Cannot read the engine " + m.engine + ": " + (reason.empty() ? "the file is empty" : reason);
    return false;
  }
  if (const std::string problem = OutputFolderProblem(outPath); !problem.empty()) {
    error = problem;
    return false;
  }
  // A hidden temporary file beside the target, renamed over it once complete.
  std::string folder = FolderOf(outPath);
  std::string temp = folder + "." + FileNamePart(outPath) + ".XXXXXX";
  const int out = mkstemp(temp.data());
  if (out < 0) {
    error = "Cannot create a file in " + (folder.empty() ? std::string("./") : folder) + ": " + std::strerror(errno);
    return false;
  }
  fcntl(out, F_SETFD, FD_CLOEXEC);
  bool ok = true;
  if (write(out, engine.data(), engine.size()) != static_cast<ssize_t>(engine.size())) {
    error = "Cannot write " + temp + ": " + std::strerror(errno);
    ok = false;
  }
  ok = ok && WriteContainer(out, payload, error);
  // The screensaver is a program: executable for everyone who may read it.
  const mode_t mask = umask(0);
  umask(mask);
  if (ok && fchmod(out, 0755 & ~mask) != 0) {
    error = "Cannot make " + temp + " executable: " + std::strerror(errno);
    ok = false;
  }
  if (close(out) != 0 && ok) {
    error = "Cannot write " + temp + ": " + std::strerror(errno);
    ok = false;
  }
  if (ok && rename(temp.c_str(), outPath.c_str()) != 0) {
    error = "Cannot write " + outPath + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}

// Prints the report; true when it holds no errors.
bool PrintCheckReport(const CheckReport& report) {
  for (const auto& w : report.warnings) std::fprintf(stderr, "kxpack: warning: %s\n", w.c_str());
  for (const auto& e : report.errors) std::fprintf(stderr, "kxpack: error: %s\n", e.c_str());
  if (!report.errors.empty())
    std::fprintf(stderr, "kxpack: %zu error%s, nothing written\n", report.errors.size(), report.errors.size() == 1 ? "" : "s");
  return report.errors.empty();
}

int RunBuildCommand(const std::vector<std::string>& args) {
  bool check = true;
  std::vector<std::string> paths;
  for (const auto& arg : args) {
    if (arg == "--no-check")
      check = false;
    else
      paths.push_back(arg);
  }
  if (paths.size() != 2) {
    std::fprintf(stderr, "usage: kxpack build [--no-check] MANIFEST OUT\n");
    return 2;
  }
  const std::string exe = ExecutablePath();
  const ManifestDefaults defaults{FolderOf(exe) + "kxsaver", FindDefaultSkin(exe)};
  PackageManifest manifest;
  std::string error;
  if (!LoadManifest(paths[0], defaults, manifest, error)) {
    std::fprintf(stderr, "kxpack: error: %s\n", error.c_str());
    return 1;
  }
  CheckReport report;
  report.warnings = manifest.warnings;
  if (manifest.skin.empty())
    report.warnings.push_back("no skin given and the project's own skin KXGUI.kxu was not found beside kxpack: "
                              "the screensaver cannot be configured (/C)");
  if (const std::string problem = OutputFolderProblem(paths[1]); !problem.empty()) report.errors.push_back(problem);
  if (check) CheckManifest(manifest, report);
  if (!PrintCheckReport(report)) return 1;
  if (!BuildScreensaver(manifest, paths[1], error)) {
    std::fprintf(stderr, "kxpack: error: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx
