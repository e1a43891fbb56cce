#pragma once
// What kxpack writes where a manifest (or kxpack photos) leaves something out.
//
// Settings: the engine's own defaults suit a show of scenes; a show of photos wants portraits
// kept in shape (Proportional), gentle transitions, and a shorter stay per picture. Keys the
// manifest gives are never changed.
//
// Skin: a screensaver without a skin cannot be configured, so a build that names none gets
// the project's own skin (the one `make demo` packs). It is looked for beside kxpack, in the
// share folder of an installed kxpack, and in the build tree.
#include <string>

#include "project/IniText.h"

namespace kx {

// Calm effects that suit photos: fades, dissolves, soft and curved reveals, pushes.
extern const char kDefaultTransitionEffects[];

// Writes every default key the settings lack.
void ApplyBuildDefaults(IniText& settings);

// The path of the project's own skin, or "" when none is found beside `executablePath`.
std::string FindDefaultSkin(const std::string& executablePath);

}  // namespace kx
