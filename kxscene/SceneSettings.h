#pragma once
// Everything of a scene package but its picture and mask, in the form the maker edits.
//
// Texts are the package's 8-bit texts (Latin-1); the windows turn them into and from their
// own text. The animated objects are kept as their sections of the object list, in order,
// with their keys as stored: a "Text" key of a text object holds the encoded text (TextCodec),
// so that keys the maker does not know survive a round trip unchanged.
#include <array>
#include <string>
#include <vector>

#include "scene/ExtraInfo.h"
#include "scene/SceneRecords.h"

namespace kx::kxscene {

struct SceneObjectKey {
  std::string key;
  std::string value;
  bool operator==(const SceneObjectKey&) const = default;
};

struct SceneObject {
  std::string type;  // "TXT", "IMG" or "GIF"
  std::vector<SceneObjectKey> keys;  // every key but ObjType, in order

  // The value of `key` (case-insensitive), or `fallback`.
  std::string Get(const std::string& key, const std::string& fallback = "") const;
  void Set(const std::string& key, const std::string& value);
  // The text of a text object, decoded; setting it stores it encoded.
  std::string Text() const;
  void SetText(const std::string& latin1);

  bool operator==(const SceneObject&) const = default;
};

struct SceneSettings {
  std::string title;
  std::string extraText;
  std::array<TWaveParam, kWaveParamCount> waves;
  TWeatherParam weather;
  std::array<TSoundSlot, kSoundSlotCount> sounds{};
  std::vector<SceneObject> objects;
  std::string builderSettings = kDefaultBuilderSettings;

  SceneSettings();
  bool operator==(const SceneSettings&) const = default;
};

// A new object of a kind ("TXT", "IMG", "GIF") with every key a user can set, at design
// position (x, y), standing still and shown from the start of the scene.
SceneObject NewSceneObject(const std::string& type, int x, int y);

// The object list text of a package: sections Obj0, Obj1, ... with CR LF lines.
std::string ObjectListText(const std::vector<SceneObject>& objects);
// Reads an object list text; sections whose name does not begin with "Obj" are skipped.
std::vector<SceneObject> ParseObjectList(const std::string& text);

// The names of the six wave styles, for the style chooser.
const std::array<const char*, 6>& WaveStyleNames();

}  // namespace kx::kxscene
