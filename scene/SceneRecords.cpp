#include "scene/SceneRecords.h"

#include <algorithm>
#include <cstring>

namespace kx {

TWaveParam TWaveParam::Defaults() {
  TWaveParam p;
  p.Amplitude = 6;
  p.Waves = 17;
  p.Speed = 15;
  p.Style = 1;
  p.Sway = 0;
  p.Animated = 1;
  p.Perspective = 1;
  p.Period = 360;
  p.Jitter = 0;
  p.Reflection = 0;
  return p;
}

TWaveParam TWaveParam::FromBytes(const uint8_t* b) {
  TWaveParam p;
  p.Amplitude = ReadInt32LE(b + 0);
  p.Waves = ReadInt32LE(b + 4);
  p.Speed = ReadInt32LE(b + 8);
  p.Style = ReadInt32LE(b + 12);
  p.Sway = b[16];
  p.Animated = b[17];
  p.Perspective = b[18];
  p.Reserved19 = b[19];
  p.Period = ReadInt32LE(b + 20);
  p.Jitter = ReadInt32LE(b + 24);
  p.Reserved28 = b[28];
  p.Reflection = b[29];
  p.Reserved30 = b[30];
  p.Reserved31 = b[31];
  return p;
}

void TWaveParam::ToBytes(uint8_t* b) const {
  WriteInt32LE(b + 0, Amplitude);
  WriteInt32LE(b + 4, Waves);
  WriteInt32LE(b + 8, Speed);
  WriteInt32LE(b + 12, Style);
  b[16] = Sway;
  b[17] = Animated;
  b[18] = Perspective;
  b[19] = Reserved19;
  WriteInt32LE(b + 20, Period);
  WriteInt32LE(b + 24, Jitter);
  b[28] = Reserved28;
  b[29] = Reflection;
  b[30] = Reserved30;
  b[31] = Reserved31;
}

TWeatherParam TWeatherParam::FromBytes(const uint8_t* b) {
  TWeatherParam w;
  w.Kind = ReadInt32LE(b + 0);
  w.Count = ReadInt32LE(b + 4);
  w.SpeedIndex = ReadInt32LE(b + 8);
  w.SizeOrWind = ReadInt32LE(b + 12);
  w.StreakLength = ReadInt32LE(b + 16);
  w.Opacity = ReadInt32LE(b + 20);
  return w;
}

void TWeatherParam::ToBytes(uint8_t* b) const {
  WriteInt32LE(b + 0, Kind);
  WriteInt32LE(b + 4, Count);
  WriteInt32LE(b + 8, SpeedIndex);
  WriteInt32LE(b + 12, SizeOrWind);
  WriteInt32LE(b + 16, StreakLength);
  WriteInt32LE(b + 20, Opacity);
}

void TSoundSlot::SetFileName(const std::string& name) {
  const size_t n = std::min<size_t>(name.size(), kSoundSlotNameSize);
  Name.fill(0);
  std::memcpy(Name.data(), name.data(), n);
  NameLength = static_cast<uint8_t>(n);
}

TSoundSlot TSoundSlot::FromBytes(const uint8_t* b) {
  TSoundSlot s;
  s.NameLength = b[0];
  std::memcpy(s.Name.data(), b + 1, kSoundSlotNameSize);
  s.Mode = ReadInt32LE(b + 256);
  s.MinTime = ReadInt32LE(b + 260);
  s.MaxTime = ReadInt32LE(b + 264);
  return s;
}

void TSoundSlot::ToBytes(uint8_t* b) const {
  b[0] = NameLength;
  std::memcpy(b + 1, Name.data(), kSoundSlotNameSize);
  WriteInt32LE(b + 256, Mode);
  WriteInt32LE(b + 260, MinTime);
  WriteInt32LE(b + 264, MaxTime);
}

}  // namespace kx
