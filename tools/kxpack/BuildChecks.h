#pragma once
// What kxpack build checks before it packs, so that a mistake shows up at build time and
// not as a black screen in the show.
//
// Errors (nothing is written): an empty item list; a still picture (by its name) that does
// not decode, with the decoder's own words; a scene package that cannot be read up to its
// weather record; TransitionEffects with anything but effect numbers 1 to 169; Duration that
// is not a positive whole number of seconds.
//
// Warnings (packed anyway): a settings key the engine does not know in its section (most
// often a misspelt key, which the engine would silently ignore), and a picture above
// kLargePicturePixels. The decoders refuse pictures above kMaxPicturePixels (64 Mi =
// 67,108,864 pixels) outright, which is an error; between 64 million and that limit a picture
// still plays but costs a lot of memory and loading time, which is what the warning says.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "tools/kxpack/BuildCommand.h"

namespace kx {

inline constexpr int64_t kLargePicturePixels = 64'000'000;

struct CheckReport {
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

// Decodes a still picture. "" when it decodes (`picture`, when given, then holds it), else
// the decoder's message naming the file. A large picture adds a warning to `warnings`.
std::string StillPictureProblem(const std::string& path, std::vector<std::string>& warnings,
                                Bitmap32* picture = nullptr);

// Checks the settings texts alone: values and unknown keys.
void CheckSettings(const std::string& settingsText, CheckReport& report);

// Everything above for a loaded manifest. `progress`, when given, is called after each media
// file with the number done so far.
void CheckManifest(const PackageManifest& manifest, CheckReport& report,
                   const std::function<void(size_t)>& progress = nullptr);

}  // namespace kx
