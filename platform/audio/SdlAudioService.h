#pragma once
// The audio service on SDL2_mixer.
//
// Mixer channels 0 to 7 are the effect voices, channel 8 is the simple player, and the mixer's
// music stream plays the music. Sounds are converted to the output format when they are loaded.
//
// The device is opened when the service is made. Without a usable device (no sound hardware,
// an unknown SDL_AUDIODRIVER) the service is still made: voices and music then refuse to open
// with the library's message, and playing or stopping does nothing, so the show goes on silent.
//
// SDL2_mixer is one global mixer, so at most one service exists at a time.
#include <memory>
#include <string>

#include "platform/AudioService.h"

namespace kx {

struct SdlAudioOptions {
  int SampleRate = 44100;
  int Channels = 2;
  int ChunkFrames = 1024;  // frames mixed per output block
};

class SdlAudioService final : public AudioService {
 public:
  explicit SdlAudioService(const SdlAudioOptions& options = {});
  ~SdlAudioService() override;
  SdlAudioService(const SdlAudioService&) = delete;
  SdlAudioService& operator=(const SdlAudioService&) = delete;

  bool DeviceOpen() const;
  // Why the device could not be opened ("" when it is open).
  const std::string& DeviceError() const;

  void OpenVoice(int voice) override;
  void CloseVoice(int voice) override;
  void LoadVoice(int voice, const PcmSound& sound) override;
  void PlayVoice(int voice, int32_t hundredthsDb, bool loop) override;
  void StopVoice(int voice) override;

  void PlaySimple(const PcmSound& sound, bool loop) override;
  void StopSimple() override;

  void OpenMusic(const std::string& path) override;
  void CloseMusic() override;
  void PlayMusic() override;
  int64_t MusicPositionMs() override;
  int64_t MusicLengthMs() override;
  void SetMusicVolume(int32_t volume) override;
  void SetMusicFinishedHandler(std::function<void()> handler) override;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace kx
