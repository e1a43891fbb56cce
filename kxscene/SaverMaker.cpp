#include "kxscene/SaverMaker.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "tools/kxpack/BuildCommand.h"

namespace kx::kxscene {

namespace fs = std::filesystem;

std::string SaverManifestText(const SaverChoices& c) {
  std::string t = "[Items]\n";
  for (const std::string& item : c.items) t += fs::path(item).filename().string() + "\n";
  t += "[General]\nProductName=" + c.productName + "\n";
  t += "[Default]\nDuration=" + std::to_string(c.durationSeconds) + "\nTransitionTime=" + std::to_string(c.transitionMs) +
       "\nStretch=" + (c.stretch ? "1" : "0") + "\nProportional=1\nShowClock=" + (c.showClock ? "1" : "0") +
       "\nMusic=" + (c.musicFile.empty() ? "0" : "1") + "\nSound=1\n";
  if (!c.musicFile.empty()) t += "[Advance]\nMusicFile=" + fs::path(c.musicFile).filename().string() + "\n";
  return t;
}

bool MakeScreensaver(const SaverChoices& c, const std::string& enginePath, std::string& error,
                     const std::function<void(int)>& progress) {
  auto report = [&](int percent) {
    if (progress) progress(percent);
  };
  if (c.items.empty()) {
    error = "The screensaver has no items: add a scene or a photo";
    return false;
  }
  if (c.outPath.empty()) {
    error = "No file to write the screensaver to";
    return false;
  }
  std::error_code ec;
  const fs::path work = fs::temp_directory_path(ec) / ("kxscene-build-" + std::to_string(::getpid()));
  fs::remove_all(work, ec);
  if (!fs::create_directories(work, ec)) {
    error = "Cannot make a working folder: " + ec.message();
    return false;
  }
  struct Cleanup {
    fs::path path;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } cleanup{work};

  std::vector<std::string> files = c.items;
  if (!c.musicFile.empty()) files.push_back(c.musicFile);
  std::set<std::string> names;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = fs::path(files[i]).filename().string();
    if (!names.insert(name).second) {
      error = "Two files share the name " + name + "; rename one of them";
      return false;
    }
    if (!fs::copy_file(files[i], work / name, fs::copy_options::overwrite_existing, ec)) {
      error = "Cannot read " + files[i] + ": " + ec.message();
      return false;
    }
    report(static_cast<int>(10 + 40 * (i + 1) / files.size()));
  }
  const std::string manifestPath = (work / "saver.ini").string();
  {
    FILE* f = std::fopen(manifestPath.c_str(), "wb");
    const std::string text = SaverManifestText(c);
    if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
      if (f) std::fclose(f);
      error = "Cannot write the manifest in " + work.string();
      return false;
    }
    std::fclose(f);
  }
  PackageManifest manifest;
  if (!LoadManifest(manifestPath, enginePath, manifest, error)) return false;
  report(60);
  // BuildScreensaver writes the target itself; a failure must not leave a half-written
  // screensaver where a working one was, so it writes beside it and is renamed.
  const std::string temp = c.outPath + ".making";
  if (!BuildScreensaver(manifest, temp, error)) {
    fs::remove(temp, ec);
    return false;
  }
  fs::rename(temp, c.outPath, ec);
  if (ec) {
    error = "Cannot write " + c.outPath + ": " + ec.message();
    fs::remove(temp, ec);
    return false;
  }
  report(100);
  return true;
}

}  // namespace kx::kxscene
