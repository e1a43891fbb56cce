#include "kxscene/SceneSettings.h"

#include "scene/IniSections.h"
#include "scene/TextCodec.h"

namespace kx::kxscene {

namespace {

// Every key a user can set on an object, with the value of a new object; the kind's own keys
// come first. Positions are fixed design pixels (PosLeftType and PosTopType 0) so that a
// drag on the preview places the object where it was dropped.
struct KeyDefault {
  const char* key;
  const char* value;
};
constexpr KeyDefault kTextKeys[] = {{"Text", ""}, {"TextColor", "16777215"}, {"FontSize", "32"}, {"Font", "Arial"},
                                    {"Position", "0"}};
constexpr KeyDefault kImageKeys[] = {{"Filename", ""}, {"Transparent", "1"}, {"TransparentType", "0"},
                                     {"TransparentColor", "0"}};
constexpr KeyDefault kGifKeys[] = {{"Filename", ""}, {"Transparent", "1"}, {"TransparentType", "1"},
                                   {"TransparentColor", "0"}, {"AnimSpeed", "100"}};
constexpr KeyDefault kCommonKeys[] = {
    {"Scaled", "1"}, {"WidthSize", "100"}, {"HeightSize", "100"}, {"Speed", "10"}, {"InitialPos", "0"},
    {"InitialDir", "0"}, {"PosLeftType", "0"}, {"PosTopType", "0"}, {"PosLeft", "100"}, {"PosTop", "100"},
    {"ObjFacing", "1"}, {"Opacity", "10"}, {"DisplaySec", "0"}, {"DisplayDurationType", "0"},
    {"DisplayDurationSec", "60"}, {"DIsplayDurationCycle", "10"}, {"Motion", "0"}, {"MotionSpeed", "10"},
    {"MotionAreaType", "0"}, {"DirFlip", "0"}, {"Redisplay", "1"}, {"RedisplayDelay", "30"},
    {"RedisplayTimes", "0"}, {"ResetPos", "1"}, {"RestrictArea", "1"}, {"OffScreenOpt", "TBLR"},
    {"AppearEffect", "0"}, {"AppearEffectDur", "2"}, {"DisappearEffect", "0"}, {"DisappearEffectDur", "2"},
    {"MoveAreaRectleft", "0"}, {"MoveAreaRecttop", "0"}, {"MoveAreaRectright", "0"}, {"MoveAreaRectbottom", "0"}};

bool SameKey(const std::string& a, const std::string& b) { return EqualsIgnoreCase(a, b); }

}  // namespace

std::string SceneObject::Get(const std::string& key, const std::string& fallback) const {
  for (const SceneObjectKey& k : keys) {
    if (SameKey(k.key, key)) return k.value;
  }
  return fallback;
}

void SceneObject::Set(const std::string& key, const std::string& value) {
  for (SceneObjectKey& k : keys) {
    if (SameKey(k.key, key)) {
      k.value = value;
      return;
    }
  }
  keys.push_back({key, value});
}

std::string SceneObject::Text() const { return DecodeObjectText(Get("Text")); }
void SceneObject::SetText(const std::string& latin1) { Set("Text", EncodeObjectText(latin1)); }

SceneSettings::SceneSettings() { waves.fill(TWaveParam::Defaults()); }

SceneObject NewSceneObject(const std::string& type, int x, int y) {
  SceneObject object;
  object.type = type;
  auto add = [&](const auto& table) {
    for (const KeyDefault& k : table) object.keys.push_back({k.key, k.value});
  };
  if (type == "TXT") {
    add(kTextKeys);
    object.SetText("Text");
  } else if (type == "GIF") {
    add(kGifKeys);
  } else {
    object.type = "IMG";
    add(kImageKeys);
  }
  add(kCommonKeys);
  object.Set("PosLeft", std::to_string(x));
  object.Set("PosTop", std::to_string(y));
  return object;
}

std::string ObjectListText(const std::vector<SceneObject>& objects) {
  std::string text;
  for (size_t i = 0; i < objects.size(); ++i) {
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=" + objects[i].type + "\r\n";
    for (const SceneObjectKey& k : objects[i].keys) text += k.key + "=" + k.value + "\r\n";
  }
  return text;
}

std::vector<SceneObject> ParseObjectList(const std::string& text) {
  std::vector<SceneObject> objects;
  const IniSections ini(text);
  for (const IniSections::Section& section : ini.Sections()) {
    if (section.name.size() < 3 || !EqualsIgnoreCase(section.name.substr(0, 3), "Obj")) continue;
    SceneObject object;
    for (const IniSections::Entry& e : section.entries) {
      if (EqualsIgnoreCase(e.key, "ObjType")) {
        object.type = e.value;
      } else {
        object.keys.push_back({e.key, e.value});
      }
    }
    objects.push_back(std::move(object));
  }
  return objects;
}

const std::array<const char*, 6>& WaveStyleNames() {
  // The style sets the shape of the wave front (level rows or slanted) and which way the
  // waves travel: towards the viewer (the phase falls) or away (it rises).
  static const std::array<const char*, 6> names = {
      "Level, coming in", "Level, going out", "Slanted left, going out",
      "Slanted right, going out", "Slanted right, coming in", "Slanted left, coming in"};
  return names;
}

}  // namespace kx::kxscene
