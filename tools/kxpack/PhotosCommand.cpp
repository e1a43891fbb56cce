#include "tools/kxpack/PhotosCommand.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/PictureCodec.h"
#include "imaging/Resample.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "project/IniText.h"
#include "scene/IniSections.h"
#include "tools/kxpack/BuildChecks.h"
#include "tools/kxpack/BuildCommand.h"
#include "tools/kxpack/BuildDefaults.h"
#include "tools/kxpack/PhotoSearch.h"
#include "tools/kxpack/Progress.h"

namespace kx {
namespace {

// The preview picture: the first photo fitted into this box.
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;

struct PhotosOptions {
  std::vector<std::string> inputs;
  std::string out;
  std::string title;
  std::string duration;
  std::vector<std::string> music;
  bool install = false;
};

// False with `error` for arguments that do not make sense.
bool ParseOptions(const std::vector<std::string>& args, PhotosOptions& o, std::string& error) {
  std::vector<std::string>* list = &o.inputs;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (arg == "-o" || arg == "--output") {
      if (!value(o.out)) return false;
      list = &o.inputs;
    } else if (arg == "--title") {
      if (!value(o.title)) return false;
      list = &o.inputs;
    } else if (arg == "--duration") {
      if (!value(o.duration)) return false;
      list = &o.inputs;
    } else if (arg == "--music") {
      list = &o.music;
    } else if (arg == "--install") {
      o.install = true;
      list = &o.inputs;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      list->push_back(arg);
    }
  }
  if (o.out.empty()) error = "the output file is missing (-o OUT.scr)";
  else if (o.inputs.empty()) error = "no folder or photo given";
  return error.empty();
}

std::string WithoutExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Writes the preview JPEG into `folder`; false with `error`.
bool WritePreview(const Bitmap32& photo, const std::string& path, std::string& error) {
  const double scale = std::min(1.0, std::min(static_cast<double>(kPreviewWidth) / photo.Width(),
                                              static_cast<double>(kPreviewHeight) / photo.Height()));
  const int w = std::max(1, static_cast<int>(photo.Width() * scale + 0.5));
  const int h = std::max(1, static_cast<int>(photo.Height() * scale + 0.5));
  std::vector<uint8_t> jpeg;
  return EncodeJpeg(Resample(photo, w, h, ResampleFilter::Lanczos3), 88, jpeg, error) &&
         WriteWholeFile(path, jpeg, error);
}

int RunInstall(const std::string& scr) {
  const std::string self = "/proc/self/exe";
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    execl(self.c_str(), "kxpack", "install", "--user", scr.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// Removes the working folder on every way out.
struct WorkFolder {
  std::string path;
  ~WorkFolder() {
    if (!path.empty()) RemoveTreeNoFollow(path);
  }
};

}  // namespace

std::string UniqueMediaName(const std::string& fileName, std::vector<std::string>& taken) {
  std::string clean = fileName;
  for (char& c : clean)
    if (c == '\\' || c == ':') c = '_';
  const auto dot = clean.rfind('.');
  const std::string stem = dot == std::string::npos ? clean : clean.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : clean.substr(dot);
  std::string name = clean;
  for (int n = 2;; ++n) {
    bool used = false;
    for (const auto& t : taken) used = used || EqualsIgnoreCase(t, name);
    if (!used) break;
    name = stem + "-" + std::to_string(n) + extension;
  }
  taken.push_back(name);
  return name;
}

int RunPhotosCommand(const std::vector<std::string>& args) {
  PhotosOptions options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    std::fprintf(stderr, "kxpack photos: %s\nusage: kxpack photos FOLDER|FILE... -o OUT.scr [--title TEXT] "
                         "[--duration S] [--music FILE...] [--install]\n", error.c_str());
    return 2;
  }
  auto fail = [](const std::string& message) {
    std::fprintf(stderr, "kxpack: error: %s\n", message.c_str());
    return 1;
  };
  if (const std::string problem = OutputFolderProblem(options.out); !problem.empty()) return fail(problem);

  IniText settings;
  settings.WriteString("General", "ProductName",
                       options.title.empty() ? WithoutExtension(FileNamePart(options.out)) : options.title);
  if (!options.duration.empty()) settings.WriteString("Default", "Duration", options.duration);
  CheckReport settingsReport;
  CheckSettings(settings.ToText(), settingsReport);
  if (!settingsReport.errors.empty()) return fail(settingsReport.errors.front());

  PhotoSearch search = FindPhotos(options.inputs);
  for (const auto& problem : search.problems) std::fprintf(stderr, "kxpack: skipped %s\n", problem.c_str());

  const std::string exe = ExecutablePath();
  PackageManifest m;
  m.engine = FolderOf(exe) + "kxsaver";
  m.skin = FindDefaultSkin(exe);
  std::vector<std::string> taken;
  Bitmap32 first;
  size_t skipped = search.problems.size();
  {
    Progress progress("Reading photos", search.photos.size());
    for (size_t i = 0; i < search.photos.size(); ++i) {
      const std::string& path = search.photos[i];
      std::vector<std::string> warnings;
      const std::string problem = StillPictureProblem(path, warnings, m.items.empty() ? &first : nullptr);
      for (const auto& w : warnings) progress.Note("kxpack: warning: " + w);
      if (!problem.empty()) {
        progress.Note("kxpack: skipped " + problem);
        ++skipped;
      } else {
        const std::string name = UniqueMediaName(FileNamePart(path), taken);
        if (!AddManifestMedia(m, path, name, error)) {
          progress.Note("kxpack: skipped " + error);
          ++skipped;
        } else {
          m.items.push_back(name);
        }
      }
      progress.Step(i + 1);
    }
  }
  if (m.items.empty()) {
    std::string where;
    for (const auto& input : options.inputs) where += (where.empty() ? "" : ", ") + input;
    return fail("no photo that can be shown was found in " + where);
  }

  WorkFolder work;
  std::string pattern = (std::getenv("TMPDIR") != nullptr && *std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : "/tmp") +
                        "/kxpack-photos-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return fail("Cannot create a working folder " + pattern + ": " + std::strerror(errno));
  work.path = pattern + "/";
  const std::string previewName = UniqueMediaName("Preview.jpg", taken);
  if (!WritePreview(first, work.path + previewName, error) || !AddManifestMedia(m, work.path + previewName, previewName, error))
    return fail(error);
  settings.WriteString("Advance", "PreviewFile", previewName);

  std::string musicNames;
  for (const auto& music : options.music) {
    const std::string name = UniqueMediaName(FileNamePart(music), taken);
    if (!AddManifestMedia(m, music, name, error)) return fail(error);
    musicNames += (musicNames.empty() ? "" : ";") + name;
  }
  if (!musicNames.empty()) settings.WriteString("Advance", "MusicFile", musicNames);

  ApplyBuildDefaults(settings);
  ComposeManifestTexts(m, settings.ToText());
  if (m.skin.empty())
    std::fprintf(stderr, "kxpack: warning: the project's own skin KXGUI.kxu was not found beside kxpack: "
                         "the screensaver cannot be configured (/C)\n");

  std::fprintf(stderr, "Packing %zu photo%s into %s\n", m.items.size(), m.items.size() == 1 ? "" : "s", options.out.c_str());
  if (!BuildScreensaver(m, options.out, error)) return fail(error);
  std::fprintf(stderr, "Wrote %s: %zu photo%s", options.out.c_str(), m.items.size(), m.items.size() == 1 ? "" : "s");
  if (skipped > 0) std::fprintf(stderr, ", %zu file%s skipped", skipped, skipped == 1 ? "" : "s");
  std::fprintf(stderr, "\n");
  return options.install ? RunInstall(options.out) : 0;
}

}  // namespace kx
