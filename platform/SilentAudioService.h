#pragma once
// An audio service that plays nothing: for a show that must stay silent (a small preview, or
// another instance already owns the sound) without opening the sound device at all.
#include "platform/AudioService.h"

namespace kx {

class SilentAudioService final : public AudioService {
 public:
  void OpenVoice(int) override {}
  void CloseVoice(int) override {}
  void LoadVoice(int, const PcmSound&) override {}
  void PlayVoice(int, int32_t, bool) override {}
  void StopVoice(int) override {}
  void PlaySimple(const PcmSound&, bool) override {}
  void StopSimple() override {}
  void OpenMusic(const std::string&) override {}
  void CloseMusic() override {}
  void PlayMusic() override {}
  int64_t MusicPositionMs() override { return 0; }
  int64_t MusicLengthMs() override { return 0; }
  void SetMusicVolume(int32_t) override {}
  void SetMusicFinishedHandler(std::function<void()>) override {}
};

}  // namespace kx
