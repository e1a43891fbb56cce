#include "tools/kxpack/BuildChecks.h"


#include "imaging/PictureCodec.h"
#include "imaging/PictureKinds.h"
#include "project/IniText.h"
#include "project/KXCSetting.h"
#include "scene/IniSections.h"
#include "tools/kxpack/SceneCommands.h"
#include "transitions/EffectTable.h"

namespace kx {
namespace {

const char* const kSettingSections[] = {"General", "Default", "Advance", "Build"};

bool KnownKey(const std::string& section, const std::string& key) {
  for (const auto& k : SettingKeys())
    if (EqualsIgnoreCase(k.section, section) && EqualsIgnoreCase(k.key, key)) return true;
  return false;
}

// The keys of one section in file order, as written.
std::vector<std::string> SectionKeys(const IniText& ini, const std::string& section) {
  std::vector<std::string> keys;
  bool inside = false;
  for (const auto& raw : ini.Lines()) {
    const std::string line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inside = EqualsIgnoreCase(line.substr(1, line.size() - 2), section);
      continue;
    }
    const auto eq = line.find('=');
    if (inside && eq != std::string::npos && !line.empty() && line[0] != ';') keys.push_back(Trim(line.substr(0, eq)));
  }
  return keys;
}

void CheckEffects(const std::string& list, CheckReport& report) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string part = Trim(list.substr(start, end - start));
    const auto number = ParseIniInteger(part);
    if (!number || !IsEffectIndex(*number)) {
      report.errors.push_back("TransitionEffects: \"" + part + "\" is not an effect number (effects are 1 to " +
                              std::to_string(kEffectCount) + ")");
      return;
    }
    start = end + 1;
  }
}

}  // namespace

std::string StillPictureProblem(const std::string& path, std::vector<std::string>& warnings, Bitmap32* picture) {
  Bitmap32 decoded;
  std::string error;
  if (!DecodePictureFile(path, decoded, error)) return error;
  const int64_t pixels = static_cast<int64_t>(decoded.Width()) * decoded.Height();
  if (pixels > kLargePicturePixels)
    warnings.push_back(path + ": " + std::to_string(decoded.Width()) + " x " + std::to_string(decoded.Height()) +
                       " pixels is above 64 megapixels; it plays, but loads slowly and takes much memory");
  if (picture != nullptr) *picture = std::move(decoded);
  return "";
}

void CheckSettings(const std::string& settingsText, CheckReport& report) {
  const IniText ini = IniText::Parse(settingsText);
  for (const char* section : kSettingSections)
    for (const auto& key : SectionKeys(ini, section))
      if (!KnownKey(section, key))
        report.warnings.push_back("[" + std::string(section) + "] " + key + ": not a setting the screensaver knows; it is ignored");

  if (const auto duration = ini.Find("Default", "Duration")) {
    const auto seconds = ParseIniInteger(Trim(*duration));
    if (!seconds || *seconds <= 0)
      report.errors.push_back("Duration: \"" + Trim(*duration) + "\" is not a positive number of seconds");
  }
  if (const auto effects = ini.Find("Default", "TransitionEffects")) CheckEffects(*effects, report);
}

void CheckManifest(const PackageManifest& m, CheckReport& report, const std::function<void(size_t)>& progress) {
  if (m.items.empty()) report.errors.push_back("The manifest lists no items: [Items] is empty or missing");
  CheckSettings(m.settingsText, report);
  for (size_t i = 0; i < m.media.size(); ++i) {
    const std::string& path = m.media[i];
    if (IsStillPictureName(path)) {
      const std::string problem = StillPictureProblem(path, report.warnings);
      if (!problem.empty()) report.errors.push_back(problem);
    } else if (i < m.items.size()) {
      // Every item that is not a still picture is played as a scene package.
      nlohmann::ordered_json described;
      std::string error;
      if (!InspectScenePackage(path, described, error)) report.errors.push_back(path + ": not a readable scene package: " + error);
    }
    if (progress) progress(i + 1);
  }
}

}  // namespace kx
