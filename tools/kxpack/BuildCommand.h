#pragma once
// kxpack build: a finished screensaver from a manifest.
//
// The manifest is an INI text; paths in it are relative to the manifest's folder:
//
//   [Package]
//   Engine=kxsaver          ; the engine to copy (default: kxsaver beside kxpack)
//   Skin=KXGUI.kxu          ; the skin of the configuration window (default: the project's own)
//   Extra=1                 ; also write the fourth project member (optional)
//   [Items]                 ; the show items in order, one path per line
//   pictures/sea.jpg
//   [Media]                 ; further media: music, sounds, object images, one path per line
//   music/tune.wav
//   [General] [Default] [Advance] [Build]   ; project settings
//
// The files named by PreviewFile and MusicFile are added to the media when they exist and
// are not listed; the settings then hold their file names only. Settings the manifest leaves
// out get the values a photo show wants (BuildDefaults.h).
//
// Before anything is written the build checks what it packs (BuildChecks.h); errors stop it,
// warnings are printed. The screensaver is written to a temporary file in the output folder
// and renamed into place, so a failed build never leaves a half-written file at the output
// path, and an existing file there stays as it was.
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
  std::vector<std::string> warnings;    // what loading noticed but packs anyway
};

// What a build falls back on when the manifest names no engine or skin. An empty skin means
// none: the screensaver is then packed with an empty skin member.
struct ManifestDefaults {
  std::string engine;
  std::string skin;
};

bool LoadManifest(const std::string& manifestPath, const ManifestDefaults& defaults,
                  PackageManifest& manifest, std::string& error);
// The same with no default skin.
bool LoadManifest(const std::string& manifestPath, const std::string& defaultEngine,
                  PackageManifest& manifest, std::string& error);

// Adds one media file under `name` (the name it is extracted as); false with `error` when the
// file cannot be read or the name is taken.
bool AddManifestMedia(PackageManifest& manifest, const std::string& path, const std::string& name,
                      std::string& error);
// Fills the three project texts from the items, the settings and the skin.
void ComposeManifestTexts(PackageManifest& manifest, const std::string& settingsText);

// "" when `outPath` can be written (its folder exists, is a folder, and is writable), else
// why not, naming the folder.
std::string OutputFolderProblem(const std::string& outPath);

bool BuildScreensaver(const PackageManifest& manifest, const std::string& outPath, std::string& error);

int RunBuildCommand(const std::vector<std::string>& args);

}  // namespace kx
