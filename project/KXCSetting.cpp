#include "project/KXCSetting.h"

#include <vector>

namespace kx {

std::string AllTransitionEffects() {
  std::string list;
  for (int i = 1; i <= 169; ++i) {
    if (i > 1) list += ',';
    list += std::to_string(i);
  }
  return list;
}

namespace {

using T = TKXCSetting;
using K = SettingKey::Type;

SettingKey Str(const char* s, const char* k, std::string T::*m) { return {s, k, K::String, m, nullptr, nullptr}; }
SettingKey Flag(const char* s, const char* k, bool T::*m) { return {s, k, K::Bool, nullptr, m, nullptr}; }
SettingKey Int(const char* s, const char* k, int32_t T::*m) { return {s, k, K::Int, nullptr, nullptr, m}; }

}  // namespace

const std::vector<SettingKey>& SettingKeys() {
  static const std::vector<SettingKey> keys = {
      Str("General", "ProductName", &T::ProductName),
      Str("General", "Publisher", &T::Publisher),
      Str("General", "Website", &T::Website),
      Flag("Default", "Stretch", &T::Stretch),
      Flag("Default", "Proportional", &T::Proportional),
      Flag("Default", "Sound", &T::Sound),
      Int("Default", "SoundVolume", &T::SoundVolume),
      Flag("Default", "Music", &T::Music),
      Int("Default", "MusicVolume", &T::MusicVolume),
      Flag("Default", "Animation", &T::Animation),
      Flag("Default", "Random", &T::Random),
      Int("Default", "Duration", &T::Duration),
      Flag("Default", "Transition", &T::Transition),
      Int("Default", "TransitionTime", &T::TransitionTime),
      Str("Default", "TransitionEffects", &T::TransitionEffects),
      Flag("Default", "Zoom", &T::Zoom),
      Flag("Default", "LivingZoom", &T::LivingZoom),
      Int("Default", "ZoomDuration", &T::ZoomDuration),
      Flag("Default", "AutoWallpaper", &T::AutoWallpaper),
      Int("Default", "Speed", &T::Speed),
      Int("Default", "ShowImageMode", &T::ShowImageMode),
      Flag("Default", "DirectX", &T::DirectX),
      Int("Default", "DirectXQuality", &T::DirectXQuality),
      Flag("Default", "ShowClock", &T::ShowClock),
      Int("Default", "ClockPos", &T::ClockPos),
      Str("Advance", "PreviewFile", &T::PreviewFile),
      Str("Advance", "MusicFile", &T::MusicFile),
      Int("Advance", "MusicMode", &T::MusicMode),
      Int("Build", "BuildMethod", &T::BuildMethod),
      Flag("Build", "BuildSmallThumbs", &T::BuildSmallThumbs),
      Str("Build", "BuildFileName", &T::BuildFileName),
      Str("Build", "BuildInstall", &T::BuildInstall),
      Str("Build", "BuildIcon", &T::BuildIcon),
      Flag("Build", "CustomIcon", &T::CustomIcon),
  };
  return keys;
}

void TKXCSetting::LoadFromFile(const std::string& path) { LoadFromText(IniText::LoadFile(path)); }

void TKXCSetting::LoadFromText(const IniText& ini) {
  const TKXCSetting defaults;
  for (const auto& k : SettingKeys()) {
    const auto value = ini.Find(k.section, k.key);
    if (!value) continue;  // missing: the field keeps its value
    switch (k.type) {
      case K::String:
        this->*k.text = *value;
        break;
      case K::Bool: {
        const auto n = ParseInteger(*value);
        this->*k.flag = n ? *n != 0 : defaults.*k.flag;
        break;
      }
      case K::Int:
        this->*k.number = ParseInteger(*value).value_or(defaults.*k.number);
        break;
    }
  }
}

}  // namespace kx
