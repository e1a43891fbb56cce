#pragma once
// "Make a screensaver": a finished screensaver from the maker's choices, written by the
// packaging tool's own builder (LoadManifest and BuildScreensaver), so the result is what
// `kxpack build` makes of the same manifest.
//
// The items (scene packages and photos, in show order) and the music are copied into a
// working folder beside a manifest that names them by their file names; the screensaver's
// media list holds file names, so two items with the same file name are refused.
#include <functional>
#include <string>
#include <vector>

namespace kx::kxscene {

struct SaverChoices {
  std::vector<std::string> items;  // paths, in show order
  std::string productName = "My scenes";
  int durationSeconds = 20;         // each item's time on screen
  int transitionMs = 2000;          // the length of a change between items
  bool stretch = true;              // fit the items to the screen
  bool showClock = false;
  std::string musicFile;            // "" : no music
  std::string outPath;
};

// The manifest text for items and music copied into one folder under their file names.
std::string SaverManifestText(const SaverChoices& choices);

// Writes the screensaver; `progress` (may be empty) hears 0 .. 100. False with the reason.
bool MakeScreensaver(const SaverChoices& choices, const std::string& enginePath, std::string& error,
                     const std::function<void(int)>& progress = {});

}  // namespace kx::kxscene
