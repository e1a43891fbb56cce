#pragma once
// The fixed-size records of a scene package and the package's constants.
//
// A package (.kxp) is a sequence of little-endian fields with no padding, no checksum and no
// version number; its eight-byte magic is its only identification. The three record kinds
// below have fixed sizes in the file:
//   wave record   32 bytes  (TWaveParam: one water region's wave settings)
//   weather       24 bytes  (TWeatherParam: rain or snow)
//   sound slot   268 bytes  (TSoundSlot: one scene sound)
// Each record is decoded from and encoded to its bytes field by field, so the layout in the
// file never depends on the compiler's struct layout.
#include <array>
#include <cstdint>
#include <string>

namespace kx {

inline constexpr char kScenePackageMagic[] = "KX060697";
inline constexpr int kScenePackageMagicSize = 8;
inline constexpr int kWaveRecordSize = 32;
inline constexpr int kWeatherRecordSize = 24;
inline constexpr int kSoundSlotSize = 268;
inline constexpr int kSoundSlotNameSize = 255;
// A project holds eight wave records: four in the header fields, up to four more at the end.
inline constexpr int kWaveParamCount = 8;
inline constexpr int kHeaderWaveCount = 4;
inline constexpr int kSoundSlotCount = 8;
// The legacy sound field holds this (in any letter case) when the scene has no sound.
inline constexpr char kNoSoundName[] = "<NO SOUND>";

// One water region's wave settings. Booleans are bytes, 0 or 1 as written; the engine reads
// any value other than 0 as true. Units: Amplitude and Jitter in pixels, Period in degrees.
struct TWaveParam {
  int32_t Amplitude = 0;    // greatest vertical displacement, pixels
  int32_t Waves = 0;        // wave cycles over the picture height
  int32_t Speed = 0;        // phase speed
  int32_t Style = 0;        // 0 .. 5: direction and shape of the wave front
  uint8_t Sway = 0;         // rows also shift sideways
  uint8_t Animated = 0;     // the waves move
  uint8_t Perspective = 0;  // the waves grow towards the bottom of the region
  uint8_t Reserved19 = 0;
  int32_t Period = 0;       // length of one wave cycle, degrees
  int32_t Jitter = 0;       // range of the random per-column row offset, pixels
  uint8_t Reserved28 = 0;   // written by the builder, not used by the engine
  uint8_t Reflection = 0;   // the region mirrors the picture above it
  uint8_t Reserved30 = 0;
  uint8_t Reserved31 = 0;

  // The values a region has when the package does not supply its record.
  static TWaveParam Defaults();

  static TWaveParam FromBytes(const uint8_t* bytes);  // kWaveRecordSize bytes
  void ToBytes(uint8_t* bytes) const;                 // kWaveRecordSize bytes

  bool operator==(const TWaveParam&) const = default;
};

// Rain or snow settings.
struct TWeatherParam {
  int32_t Kind = 0;          // 0 none, 1 snow, 2 rain
  int32_t Count = 0;         // number of flakes or drops
  int32_t SpeedIndex = 0;    // 0 .. 20, an index into the speed table
  int32_t SizeOrWind = 0;    // snow: largest flake size 1 .. 8; rain: wind angle, degrees
  int32_t StreakLength = 0;  // rain: streak length in tenths
  int32_t Opacity = 0;       // 1 .. 10

  static TWeatherParam FromBytes(const uint8_t* bytes);  // kWeatherRecordSize bytes
  void ToBytes(uint8_t* bytes) const;

  bool operator==(const TWeatherParam&) const = default;
};

inline constexpr int32_t kWeatherNone = 0;
inline constexpr int32_t kWeatherSnow = 1;
inline constexpr int32_t kWeatherRain = 2;

// One scene sound, kept in the package's binary form: a length byte, 255 name bytes of which
// the first NameLength count, and three int32. A slot with NameLength 0 is empty.
struct TSoundSlot {
  uint8_t NameLength = 0;
  std::array<char, kSoundSlotNameSize> Name{};
  int32_t Mode = 0;     // 0 looped from scene start, 1 random intervals, 2 fixed interval
  int32_t MinTime = 0;  // mode 1: shortest interval; mode 2: the interval (seconds)
  int32_t MaxTime = 0;  // mode 1: longest interval (seconds)

  bool Empty() const { return NameLength == 0; }
  std::string FileName() const { return std::string(Name.data(), NameLength); }
  // Stores the first 255 bytes of `name`; the unused name bytes become 0.
  void SetFileName(const std::string& name);

  static TSoundSlot FromBytes(const uint8_t* bytes);  // kSoundSlotSize bytes
  void ToBytes(uint8_t* bytes) const;

  bool operator==(const TSoundSlot&) const = default;
};

inline constexpr int32_t kSoundLooped = 0;
inline constexpr int32_t kSoundRandomInterval = 1;
inline constexpr int32_t kSoundFixedInterval = 2;

// Little-endian int32 helpers of the file format.
inline int32_t ReadInt32LE(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) |
                              (static_cast<uint32_t>(p[3]) << 24));
}
inline void WriteInt32LE(uint8_t* p, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace kx
