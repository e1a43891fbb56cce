#pragma once
// kxpack build: a finished screensaver from a manifest.
//
// The manifest is an INI text; paths in it are relative to the manifest's folder:
//
//   [Package]
//   Engine=kxsaver          ; the engine to copy (default: kxsaver beside kxpack)
//   Skin=KXGUI.kxu          ; the skin of the configuration window (optional)
//   Extra=1                 ; also write the fourth project member (optional)
//   [Items]                 ; the show items in order, one path per line
//   pictures/sea.jpg
//   [Media]                 ; further media: music, sounds, object images, one path per line
//   music/tune.wav
//   [General] [Default] [Advance] [Build]   ; project settings, copied as they stand
//
// The files named by PreviewFile and MusicFile are added to the media when they exist and
// are not listed; the settings then hold their file names only.
#include <string>
#include <vector>

namespace kx {

struct PackageManifest {
  std::string engine;
  std::string skin;
  bool extra = false;
  std::vector<std::string> items;       // paths of the show items
  std::vector<std::string> media;       // every media file, items first
  std::vector<std::string> nameLines;   // one line of the name list per media file
  std::string fileListText;
  std::string settingsText;
  std::string uiText;
};

bool LoadManifest(const std::string& manifestPath, const std::string& defaultEngine,
                  PackageManifest& manifest, std::string& error);
bool BuildScreensaver(const PackageManifest& manifest, const std::string& outPath, std::string& error);

int RunBuildCommand(const std::vector<std::string>& args);

}  // namespace kx
