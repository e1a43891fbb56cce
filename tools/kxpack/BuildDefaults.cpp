#include "tools/kxpack/BuildDefaults.h"

#include <sys/stat.h>

#include "platform/Files.h"

namespace kx {
namespace {

struct DefaultSetting {
  const char* section;
  const char* key;
  const char* value;
};

const DefaultSetting kDefaults[] = {
    {"Default", "Proportional", "1"},
    {"Default", "Transition", "1"},
    {"Default", "TransitionTime", "2000"},
    {"Default", "TransitionEffects", kDefaultTransitionEffects},
    {"Default", "Duration", "10"},
};

// Where the skin lies relative to kxpack's folder: beside it, installed under share/, and in
// the build tree (bin/ beside demo-media/).
const char* const kSkinPlaces[] = {"KXGUI.kxu", "../share/kxsaver/KXGUI.kxu", "../demo-media/KXGUI.kxu"};

}  // namespace

// 1 Fade, 3 Dissolve, 8/9 reveal from the sides, 14 reveal out from the middle, 25/26 reveal
// from top and bottom, 56/57 reveal out of and into the centre, 61/62/72/73 curved reveals,
// 87/88 elliptic reveals, 113-116 diagonal reveals, 130/131/134/135 pushes, 165 diamond.
const char kDefaultTransitionEffects[] =
    "1,3,8,9,14,25,26,56,57,61,62,72,73,87,88,113,114,115,116,130,131,134,135,165";

void ApplyBuildDefaults(IniText& settings) {
  for (const auto& d : kDefaults)
    if (!settings.Find(d.section, d.key)) settings.WriteString(d.section, d.key, d.value);
}

std::string FindDefaultSkin(const std::string& executablePath) {
  const std::string folder = FolderOf(executablePath);
  for (const char* place : kSkinPlaces) {
    const std::string path = folder + place;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) return path;
  }
  return "";
}

}  // namespace kx
