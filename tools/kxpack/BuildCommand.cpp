#include "tools/kxpack/BuildCommand.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>

#include "payload/Container.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "project/IniText.h"

namespace kx {
namespace {

const char* const kSettingSections[] = {"General", "Default", "Advance", "Build"};

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

bool RegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

bool LoadManifest(const std::string& manifestPath, const std::string& defaultEngine,
                  PackageManifest& m, std::string& error) {
  std::string text;
  if (!ReadFileBytes(manifestPath, text)) {
    error = "Cannot read the manifest " + manifestPath;
    return false;
  }
  const IniText ini = IniText::Parse(text);
  const std::string folder = FolderOf(manifestPath);
  m = PackageManifest();
  const std::string engine = ini.ReadString("Package", "Engine", "");
  m.engine = engine.empty() ? defaultEngine : Resolve(folder, engine);
  const std::string skin = ini.ReadString("Package", "Skin", "");
  m.skin = skin.empty() ? std::string() : Resolve(folder, skin);
  m.extra = ini.ReadBool("Package", "Extra", false);

  std::set<std::string> names;
  auto addMedia = [&](const std::string& given) {
    const std::string path = Resolve(folder, given);
    const std::string name = FileNamePart(given);
    if (!RegularFile(path)) {
      error = "Media file not found: " + path;
      return false;
    }
    if (!names.insert(name).second) {
      error = "Two media files share the name " + name;
      return false;
    }
    m.media.push_back(path);
    std::string line = given;
    for (char& c : line)
      if (c == '/') c = '\\';
    m.nameLines.push_back(line);
    return true;
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
          if (!names.count(name) && !addMedia(file)) return false;
          if (!rewritten.empty()) rewritten += ';';
          rewritten += name;
        }
        value = rewritten;
      }
      settings.WriteString(section, key, value);
    }
  }
  m.settingsText = settings.ToText();

  IniText fileList;
  fileList.WriteString("FileListHeader", "Header", std::to_string(m.items.size()));
  for (const auto& item : m.items) fileList.WriteString("FileList", FileNamePart(item), "1");
  if (m.items.empty()) fileList.EraseSection("FileList");
  m.fileListText = fileList.ToText();
  if (m.items.empty()) m.fileListText += "[FileList]\r\n";

  IniText ui;
  ui.WriteString("UI", "UIFile", m.skin.empty() ? "KXGUI.kxu" : FileNamePart(m.skin));
  m.uiText = ui.ToText();
  return true;
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

  const std::string temp = outPath + ".part";
  const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
  if (out < 0) {
    error = "Cannot create " + temp;
    return false;
  }
  bool ok = true;
  std::string engine;
  if (!ReadEngineWithoutDebugInfo(m.engine, outPath + ".engine", engine) || engine.empty()) {
    error = "Cannot read the engine " + m.engine;
    ok = false;
  } else if (write(out, engine.data(), engine.size()) != static_cast<ssize_t>(engine.size())) {
    error = "Cannot write " + temp;
    ok = false;
  }
  ok = ok && WriteContainer(out, payload, error);
  if (close(out) != 0) ok = false;
  if (ok && rename(temp.c_str(), outPath.c_str()) != 0) {
    error = "Cannot write " + outPath;
    ok = false;
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}

int RunBuildCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kxpack build MANIFEST OUT\n");
    return 2;
  }
  const std::string defaultEngine = FolderOf(ExecutablePath()) + "kxsaver";
  PackageManifest manifest;
  std::string error;
  if (!LoadManifest(args[0], defaultEngine, manifest, error) || !BuildScreensaver(manifest, args[1], error)) {
    std::fprintf(stderr, "kxpack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx
