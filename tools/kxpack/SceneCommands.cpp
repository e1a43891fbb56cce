#include "tools/kxpack/SceneCommands.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "base/MulDiv.h"
#include "imaging/PictureCodec.h"
#include "imaging/Resample.h"
#include "scene/ExtraInfo.h"
#include "scene/FileLoader.h"
#include "scene/IniSections.h"
#include "scene/SceneError.h"
#include "scene/TextCodec.h"
#include "scene/WaterMask.h"

namespace kx {
namespace {

constexpr int kDefaultThumbnailWidth = 160;
constexpr int kDefaultThumbnailHeight = 120;
constexpr int kDefaultQuality = 90;

// Package texts are 8-bit; the description is UTF-8. Characters above U+00FF have no 8-bit
// form here (Latin-1, which is also how the object text encoding draws its characters).
bool Utf8ToLatin1(const std::string& utf8, std::string& out) {
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      if (code > 0xFF || code < 0x80) return false;
      out.push_back(static_cast<char>(code));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

std::string Latin1ToUtf8(const std::string& latin1) {
  std::string out;
  for (const char ch : latin1) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

// Reads one description; every error names the description file and where in it.
class DescriptionReader {
 public:
  DescriptionReader(std::string path, const IniSections& ini) : path_(std::move(path)), ini_(ini) {
    folder_ = std::filesystem::path(path_).parent_path();
  }

  bool Fail(const std::string& where, const std::string& what) {
    error_ = path_ + ": " + (where.empty() ? "" : "[" + where + "] ") + what;
    return false;
  }
  const std::string& Error() const { return error_; }

  std::string Resolve(const std::string& file) const {
    const std::filesystem::path p(file);
    return p.is_absolute() ? file : (folder_ / p).string();
  }

  bool Text(const std::string& section, const std::string& key, std::string& out) {
    const std::string value = ini_.ReadString(section, key, "");
    if (!Utf8ToLatin1(value, out)) {
      return Fail(section, key + ": characters above U+00FF (or text that is not UTF-8) have no "
                                 "8-bit form in a scene package");
    }
    return true;
  }

  bool Integer(const std::string& section, const std::string& key, int32_t fallback, int32_t low,
               int32_t high, int32_t& out) {
    const auto value = ini_.Find(section, key);
    if (!value) {
      out = fallback;
      return true;
    }
    const auto parsed = ParseIniInteger(*value);
    if (!parsed || *parsed < low || *parsed > high) {
      return Fail(section, key + "=" + *value + ": expected a whole number from " +
                               std::to_string(low) + " to " + std::to_string(high));
    }
    out = *parsed;
    return true;
  }

  bool Flag(const std::string& section, const std::string& key, uint8_t fallback, uint8_t& out) {
    int32_t v = 0;
    if (!Integer(section, key, fallback, 0, 1, v)) return false;
    out = static_cast<uint8_t>(v);
    return true;
  }

  bool OnlyKeys(const IniSections::Section& section, std::initializer_list<const char*> keys) {
    for (const auto& e : section.entries) {
      bool known = false;
      for (const char* k : keys) known |= EqualsIgnoreCase(e.key, k);
      if (!known) return Fail(section.name, "unknown key \"" + e.key + "\"");
    }
    return true;
  }

  bool LoadPicture(const std::string& section, const std::string& key, Bitmap32& picture,
                   std::vector<uint8_t>* bytes) {
    const std::string file = Resolve(ini_.ReadString(section, key, ""));
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWholeFile(file, data, error) || !DecodePicture(data, picture, error)) {
      return Fail(section, key + ": " + error);
    }
    if (bytes) *bytes = std::move(data);
    return true;
  }

 private:
  std::string path_;
  const IniSections& ini_;
  std::filesystem::path folder_;
  std::string error_;
};

// The picture as a JPEG file: a JPEG is kept as it is, anything else is encoded.
bool StoreAsJpeg(const Bitmap32& picture, std::vector<uint8_t>& file, int quality, std::string& error) {
  if (DetectPictureFormat(file.data(), file.size()) == PictureFormat::Jpeg) return true;
  return EncodeJpeg(picture, quality, file, error);
}

// Fits w x h into the box bw x bh keeping the aspect ratio (the fitting rule of the show);
// a picture that fits already keeps its size.
void FitIntoBox(int w, int h, int bw, int bh, int& outW, int& outH) {
  if (w <= bw && h <= bh) {
    outW = w;
    outH = h;
    return;
  }
  const double ratio = static_cast<double>(w) / h;
  if (static_cast<int64_t>(h) * bw / bh < w) {
    outW = bw;
    outH = std::max(1, RoundHalfEven(bw / ratio));
  } else {
    outH = bh;
    outW = std::max(1, RoundHalfEven(bh * ratio));
  }
}

// "Text" of a text object: "\n" is a line break (CR LF) and "\\" a backslash.
std::string UnescapeObjectText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
      out += text[i + 1] == 'n' ? "\r\n" : "\\";
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

bool ReadScene(DescriptionReader& r, const IniSections& ini, ScenePackage& p) {
  const auto* scene = ini.FindSection("Scene");
  if (!scene) return r.Fail("", "no [Scene] section");
  if (!r.OnlyKeys(*scene, {"Title", "ExtraText", "LegacySound", "Picture", "Mask", "Thumbnail",
                           "ThumbnailWidth", "ThumbnailHeight", "Quality"})) {
    return false;
  }
  if (!r.Text("Scene", "Title", p.Title) || !r.Text("Scene", "ExtraText", p.ExtraText) ||
      !r.Text("Scene", "LegacySound", p.LegacySound)) {
    return false;
  }
  int32_t quality = 0, thumbW = 0, thumbH = 0;
  if (!r.Integer("Scene", "Quality", kDefaultQuality, 1, 100, quality) ||
      !r.Integer("Scene", "ThumbnailWidth", kDefaultThumbnailWidth, 1, 4096, thumbW) ||
      !r.Integer("Scene", "ThumbnailHeight", kDefaultThumbnailHeight, 1, 4096, thumbH)) {
    return false;
  }
  if (ini.ReadString("Scene", "Picture", "").empty()) return r.Fail("Scene", "Picture is missing");

  std::string error;
  Bitmap32 picture;
  if (!r.LoadPicture("Scene", "Picture", picture, &p.PictureJpeg)) return false;
  if (!StoreAsJpeg(picture, p.PictureJpeg, quality, error)) return r.Fail("Scene", "Picture: " + error);

  const std::string maskName = ini.ReadString("Scene", "Mask", "");
  if (maskName.empty() || EqualsIgnoreCase(maskName, "none")) {
    p.MaskCodes = {picture.Width(), picture.Height()};
  } else {
    Bitmap32 colours, mask;
    if (!r.LoadPicture("Scene", "Mask", colours, nullptr)) return false;
    if (!MaskFromColourPicture(colours, mask, error)) return r.Fail("Scene", "Mask: " + error);
    if (mask.Width() != picture.Width() || mask.Height() != picture.Height()) {
      mask = ResizeNearest(mask, picture.Width(), picture.Height());
    }
    p.MaskCodes = EncodeMaskRuns(mask);
  }

  if (!ini.ReadString("Scene", "Thumbnail", "").empty()) {
    Bitmap32 thumbnail;
    if (!r.LoadPicture("Scene", "Thumbnail", thumbnail, &p.ThumbnailJpeg)) return false;
    if (!StoreAsJpeg(thumbnail, p.ThumbnailJpeg, quality, error)) {
      return r.Fail("Scene", "Thumbnail: " + error);
    }
  } else {
    int w = 0, h = 0;
    FitIntoBox(picture.Width(), picture.Height(), thumbW, thumbH, w, h);
    if (!EncodeJpeg(ResizeLanczos(picture, w, h), quality, p.ThumbnailJpeg, error)) {
      return r.Fail("Scene", "Thumbnail: " + error);
    }
  }
  return true;
}

bool ReadWaves(DescriptionReader& r, const IniSections& ini, ScenePackage& p) {
  p.Waves.assign(kWaveParamCount, TWaveParam::Defaults());
  for (int k = 0; k < kWaveParamCount; ++k) {
    const std::string name = "Wave" + std::to_string(k + 1);
    const auto* section = ini.FindSection(name);
    if (!section) continue;
    if (!r.OnlyKeys(*section, {"Amplitude", "Waves", "Speed", "Style", "Sway", "Animated",
                               "Perspective", "Period", "Jitter", "Reflection"})) {
      return false;
    }
    TWaveParam& w = p.Waves[k];
    const TWaveParam d = TWaveParam::Defaults();
    if (!r.Integer(name, "Amplitude", d.Amplitude, INT32_MIN, INT32_MAX, w.Amplitude) ||
        !r.Integer(name, "Waves", d.Waves, INT32_MIN, INT32_MAX, w.Waves) ||
        !r.Integer(name, "Speed", d.Speed, INT32_MIN, INT32_MAX, w.Speed) ||
        !r.Integer(name, "Style", d.Style, 0, 5, w.Style) ||
        !r.Flag(name, "Sway", d.Sway, w.Sway) || !r.Flag(name, "Animated", d.Animated, w.Animated) ||
        !r.Flag(name, "Perspective", d.Perspective, w.Perspective) ||
        // A period of 0 would make the wave's frequency a division by zero.
        !r.Integer(name, "Period", d.Period, 1, 360, w.Period) ||
        !r.Integer(name, "Jitter", d.Jitter, 0, INT32_MAX, w.Jitter) ||
        !r.Flag(name, "Reflection", d.Reflection, w.Reflection)) {
      return false;
    }
  }
  return true;
}

bool ReadWeather(DescriptionReader& r, const IniSections& ini, ScenePackage& p) {
  const auto* section = ini.FindSection("Weather");
  if (!section) return true;
  if (!r.OnlyKeys(*section, {"Kind", "Count", "SpeedIndex", "SizeOrWind", "StreakLength", "Opacity"})) {
    return false;
  }
  TWeatherParam& w = p.Weather;
  const std::string kind = ini.ReadString("Weather", "Kind", "none");
  if (EqualsIgnoreCase(kind, "none")) {
    w.Kind = kWeatherNone;
  } else if (EqualsIgnoreCase(kind, "snow")) {
    w.Kind = kWeatherSnow;
  } else if (EqualsIgnoreCase(kind, "rain")) {
    w.Kind = kWeatherRain;
  } else if (!r.Integer("Weather", "Kind", 0, 0, 2, w.Kind)) {
    return false;
  }
  return r.Integer("Weather", "Count", 0, 0, INT32_MAX, w.Count) &&
         r.Integer("Weather", "SpeedIndex", 10, 0, 20, w.SpeedIndex) &&
         r.Integer("Weather", "SizeOrWind", 0, INT32_MIN, INT32_MAX, w.SizeOrWind) &&
         r.Integer("Weather", "StreakLength", 0, 0, INT32_MAX, w.StreakLength) &&
         r.Integer("Weather", "Opacity", 0, 0, 10, w.Opacity);
}

bool ReadSounds(DescriptionReader& r, const IniSections& ini, ScenePackage& p) {
  int firstMissing = -1;
  for (int i = 0; i < kSoundSlotCount; ++i) {
    const std::string name = "Sound" + std::to_string(i + 1);
    const auto* section = ini.FindSection(name);
    if (!section) {
      if (firstMissing < 0) firstMissing = i;
      continue;
    }
    if (firstMissing >= 0) {
      return r.Fail(name, "Sound" + std::to_string(firstMissing + 1) +
                              " is missing: the slots after the first empty one are never played");
    }
    if (!r.OnlyKeys(*section, {"File", "Mode", "MinTime", "MaxTime"})) return false;
    std::string file;
    if (!r.Text(name, "File", file)) return false;
    if (file.empty()) return r.Fail(name, "File is missing");
    if (file.size() > kSoundSlotNameSize) return r.Fail(name, "File: longer than 255 bytes");
    TSoundSlot& slot = p.Sounds[i];
    slot.SetFileName(file);
    if (!r.Integer(name, "Mode", kSoundLooped, 0, 2, slot.Mode) ||
        !r.Integer(name, "MinTime", 0, 0, INT32_MAX, slot.MinTime) ||
        !r.Integer(name, "MaxTime", 0, 0, INT32_MAX, slot.MaxTime)) {
      return false;
    }
  }
  return true;
}

bool ReadObjects(DescriptionReader& r, const IniSections& ini, ScenePackage& p) {
  std::string list;
  int index = 0;
  for (const auto& section : ini.Sections()) {
    if (section.name.size() < 3 || !EqualsIgnoreCase(section.name.substr(0, 3), "Obj")) continue;
    if (index > 100) return r.Fail(section.name, "a scene holds at most 101 objects");
    const auto type = ini.Find(section.name, "ObjType");
    if (!type || (*type != "TXT" && *type != "IMG" && *type != "GIF")) {
      return r.Fail(section.name, "ObjType must be TXT, IMG or GIF");
    }
    list += "[Obj" + std::to_string(index++) + "]\r\n";
    for (const auto& e : section.entries) {
      std::string value;
      if (!Utf8ToLatin1(e.value, value)) {
        return r.Fail(section.name, e.key + ": characters above U+00FF have no 8-bit form");
      }
      if (*type == "TXT" && EqualsIgnoreCase(e.key, "Text")) value = EncodeObjectText(UnescapeObjectText(value));
      list += e.key + "=" + value + "\r\n";
    }
    list += "\r\n";
  }
  p.ObjectList = list;
  return true;
}

bool ReadBuilderSettings(DescriptionReader& r, const IniSections& ini, ScenePackage& p) {
  TExtraInfo info;
  info.LoadFromCommaText(kDefaultBuilderSettings);
  for (const char* name : {"BuildScr", "BuildExe"}) {
    const auto* section = ini.FindSection(name);
    if (section && !r.OnlyKeys(*section, {"Filename", "MusicFile", "Music", "Sound"})) return false;
  }
  if (!r.Text("BuildScr", "Filename", info.ScrFileName) ||
      !r.Text("BuildScr", "MusicFile", info.ScrMusicFile) ||
      !r.Text("BuildExe", "Filename", info.ExeFileName) ||
      !r.Text("BuildExe", "MusicFile", info.ExeMusicFile)) {
    return false;
  }
  uint8_t flag = 0;
  if (!r.Flag("BuildScr", "Music", 0, flag)) return false;
  info.ScrMusic = flag;
  if (!r.Flag("BuildScr", "Sound", 0, flag)) return false;
  info.ScrSound = flag;
  if (!r.Flag("BuildExe", "Music", 0, flag)) return false;
  info.ExeMusic = flag;
  if (!r.Flag("BuildExe", "Sound", 0, flag)) return false;
  info.ExeSound = flag;
  p.BuilderSettings = info.ToCommaText();
  return true;
}

bool KnownSection(const std::string& name) {
  for (const char* known : {"Scene", "Weather", "BuildScr", "BuildExe"}) {
    if (EqualsIgnoreCase(name, known)) return true;
  }
  for (int i = 1; i <= 8; ++i) {
    if (EqualsIgnoreCase(name, "Wave" + std::to_string(i)) ||
        EqualsIgnoreCase(name, "Sound" + std::to_string(i))) {
      return true;
    }
  }
  return name.size() >= 3 && EqualsIgnoreCase(name.substr(0, 3), "Obj");
}

nlohmann::ordered_json WaveJson(int index, const TWaveParam& w) {
  return {{"record", index},
          {"Amplitude", w.Amplitude},
          {"Waves", w.Waves},
          {"Speed", w.Speed},
          {"Style", w.Style},
          {"Sway", w.Sway},
          {"Animated", w.Animated},
          {"Perspective", w.Perspective},
          {"Period", w.Period},
          {"Jitter", w.Jitter},
          {"Reflection", w.Reflection}};
}

}  // namespace

bool BuildScenePackageFromDescription(const std::string& descriptionPath, ScenePackage& package,
                                      std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(descriptionPath, bytes, error)) return false;
  const IniSections ini(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  DescriptionReader reader(descriptionPath, ini);
  for (const auto& section : ini.Sections()) {
    if (!KnownSection(section.name)) {
      reader.Fail(section.name, "unknown section");
      error = reader.Error();
      return false;
    }
  }
  package = ScenePackage{};
  if (!ReadScene(reader, ini, package) || !ReadWaves(reader, ini, package) ||
      !ReadWeather(reader, ini, package) || !ReadSounds(reader, ini, package) ||
      !ReadObjects(reader, ini, package) || !ReadBuilderSettings(reader, ini, package)) {
    error = reader.Error();
    return false;
  }
  return true;
}

int RunSceneCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kxpack scene DESCRIPTION OUT.kxp\n");
    return 2;
  }
  ScenePackage package;
  std::string error;
  if (!BuildScenePackageFromDescription(args[0], package, error) ||
      !WriteScenePackageFile(args[1], package, error)) {
    std::fprintf(stderr, "kxpack scene: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

bool InspectScenePackage(const std::string& path, nlohmann::ordered_json& out, std::string& error) {
  TFileLoader loader;
  try {
    loader.LoadFromFile(path);
  } catch (const SceneError& e) {
    error = path + ": " + e.what();
    return false;
  }

  out = nlohmann::ordered_json::object();
  out["kind"] = "scene package";
  out["title"] = Latin1ToUtf8(loader.Title());
  out["extraText"] = Latin1ToUtf8(loader.ExtraText());
  out["thumbnail"] = {{"width", loader.Thumbnail().Width()}, {"height", loader.Thumbnail().Height()}};
  out["picture"] = {{"width", loader.Picture().Width()}, {"height", loader.Picture().Height()}};

  const auto& codes = loader.MaskCodes();
  nlohmann::ordered_json mask;
  mask["width"] = codes.size() >= 2 ? codes[0] : 0;
  mask["height"] = codes.size() >= 2 ? codes[1] : 0;
  mask["runs"] = codes.size() >= 2 ? codes.size() - 2 : 0;
  int64_t covered = 0;
  const auto perCode = CountMaskRunPixels(codes, covered);
  const int64_t area = codes.size() >= 2 && codes[0] > 0 && codes[1] > 0 ? int64_t{codes[0]} * codes[1] : 0;
  // Regions 7, 8 and 9 and the pixels no run reaches are land, like region 0.
  nlohmann::ordered_json regions;
  int64_t water = 0;
  for (int r = 1; r <= kMaskWaterRegions; ++r) {
    regions[std::to_string(r)] = perCode[r];
    water += perCode[r];
  }
  mask["landPixels"] = area - water;
  mask["regionPixels"] = regions;
  mask["coveredPixels"] = covered;
  mask["overflows"] = covered > area;
  out["mask"] = mask;

  nlohmann::ordered_json waves = nlohmann::ordered_json::array();
  for (int k = 0; k < kWaveParamCount; ++k) waves.push_back(WaveJson(k, loader.WaveParams()[k]));
  out["waves"] = waves;
  const TWeatherParam& w = loader.Weather();
  out["weather"] = {{"Kind", w.Kind},         {"Count", w.Count},
                    {"SpeedIndex", w.SpeedIndex}, {"SizeOrWind", w.SizeOrWind},
                    {"StreakLength", w.StreakLength}, {"Opacity", w.Opacity}};
  out["legacySound"] = Latin1ToUtf8(loader.LegacySound());
  nlohmann::ordered_json sounds = nlohmann::ordered_json::array();
  for (int i = 0; i < kSoundSlotCount && !loader.Sounds()[i].Empty(); ++i) {
    const TSoundSlot& s = loader.Sounds()[i];
    sounds.push_back({{"slot", i},
                      {"file", Latin1ToUtf8(s.FileName())},
                      {"Mode", s.Mode},
                      {"MinTime", s.MinTime},
                      {"MaxTime", s.MaxTime}});
  }
  out["sounds"] = sounds;
  out["objectList"] = Latin1ToUtf8(loader.ObjectList());
  const IniSections objects(loader.ObjectList());
  nlohmann::ordered_json texts = nlohmann::ordered_json::array();
  for (const auto& section : objects.Sections()) {
    if (objects.ReadString(section.name, "ObjType", "") != "TXT") continue;
    texts.push_back({{"section", section.name},
                     {"text", Latin1ToUtf8(DecodeObjectText(objects.ReadString(section.name, "Text", "")))}});
  }
  out["objectTexts"] = texts;
  out["builderSettings"] = Latin1ToUtf8(loader.BuilderSettings());
  TExtraInfo info;
  info.LoadFromCommaText(loader.BuilderSettings());
  out["extraInfo"] = {{"ScrFileName", Latin1ToUtf8(info.ScrFileName)},
                      {"ScrMusicFile", Latin1ToUtf8(info.ScrMusicFile)},
                      {"ScrMusic", info.ScrMusic},
                      {"ScrSound", info.ScrSound},
                      {"ExeFileName", Latin1ToUtf8(info.ExeFileName)},
                      {"ExeMusicFile", Latin1ToUtf8(info.ExeMusicFile)},
                      {"ExeMusic", info.ExeMusic},
                      {"ExeSound", info.ExeSound}};
  out["endedAfterField10"] = loader.EndedAfterWeather();
  out["moreWaveRecords"] = loader.MoreWaveCount() >= 0 ? nlohmann::ordered_json(loader.MoreWaveCount())
                                                       : nlohmann::ordered_json(nullptr);
  out["fileSize"] = loader.FileSize();
  out["bytesRead"] = loader.BytesRead();
  return true;
}

}  // namespace kx
