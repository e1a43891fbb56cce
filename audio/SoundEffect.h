#pragma once
// The player of scene sounds: eight effect voices, one per sound slot of a scene.
//
// Voice i belongs to slot i: `Load(i, file)` reads the slot's WAV file into voice i and
// `Play(i, loop)` starts it at the player's volume. When the eight voices cannot all be opened
// the player falls back to `Mode` 2: only slot 0 can sound, through the service's simple player,
// one sound at a time, and its file is read when it is played.
//
// `Volume` is 0 to 100 and becomes Volume * 40 - 4000 hundredths of a decibel (0 dB at 100,
// -40 dB at 0) when a voice starts, so a new volume takes effect at the next `Play`.
//
// The player is used from the window thread only; the audio service must outlive it.
#include <array>
#include <cstdint>
#include <string>

#include "platform/AudioService.h"

namespace kx {

class TSoundEffect {
 public:
  static constexpr int kVoiceCount = AudioService::kVoiceCount;
  static constexpr uint8_t kModeVoices = 0;
  static constexpr uint8_t kModeFallback = 2;
  static constexpr int32_t kDefaultVolume = 80;

  // Opens the eight voices; any voice that cannot be opened closes those already open and
  // selects the fallback.
  explicit TSoundEffect(AudioService& service);
  // Forgets the files, stops everything and closes the voices; errors are ignored.
  ~TSoundEffect();
  TSoundEffect(const TSoundEffect&) = delete;
  TSoundEffect& operator=(const TSoundEffect&) = delete;

  void SetVolume(int32_t percent);  // clamped to 0 .. 100
  // Remembers the file of slot `index` (0 to 7) and, with voices, reads it into voice `index`.
  // A file that cannot be read raises AudioError and leaves the slot silent (the voice's old
  // sound is dropped as well). An index outside 0 to 7 raises AudioError.
  void Load(int index, const std::string& fileName);
  // Starts slot `index` once or looping when a file is remembered for it; silent otherwise.
  // Never raises.
  void Play(int index, bool loop);
  void StopAll();
  void ClearList();  // forgets every remembered file; later `Play` calls stay silent

  const std::array<std::string, kVoiceCount>& Loaded() const { return loaded_; }
  uint8_t Mode() const { return mode_; }
  int32_t Volume() const { return volume_; }
  // The voice volume in hundredths of a decibel that `Play` uses now.
  int32_t VolumeHundredthsDb() const { return volume_ * 40 - 4000; }

 private:
  AudioService& service_;
  std::array<std::string, kVoiceCount> loaded_;
  uint8_t mode_ = kModeVoices;
  int32_t volume_ = kDefaultVolume;
};

}  // namespace kx
