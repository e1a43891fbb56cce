#pragma once
// A recording audio service for the logic tests: it keeps what each voice, the simple player
// and the music stream would be doing, and a log of the calls in order.
#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "platform/AudioService.h"

namespace kx::test {

class RecordingAudioService : public AudioService {
 public:
  struct Voice {
    bool Open = false;
    PcmSound Sound;  // empty: silent
    bool Playing = false;
    bool Loop = false;
    int32_t HundredthsDb = 0;
  };
  struct Simple {
    PcmSound Sound;
    bool Playing = false;
    bool Loop = false;
  };

  // OpenVoice(i) raises for every i at or above this.
  int RefuseVoicesFrom = kVoiceCount;
  // When not empty, OpenMusic raises AudioError with this text.
  std::string MusicOpenError;

  std::array<Voice, kVoiceCount> Voices;
  Simple SimplePlayer;
  std::string MusicFile;  // "" when closed
  bool MusicPlaying = false;
  int64_t MusicPosition = 0;
  int64_t MusicLength = 0;
  int32_t MusicVolume = -1;
  std::vector<std::string> Calls;

  // Plays the music to its end the way the mixer does: from the calling thread, which in the
  // tests is not the one that owns the player.
  void FinishMusicFromThisThread() {
    if (finished_) finished_();
  }
  bool HasFinishedHandler() const { return static_cast<bool>(finished_); }

  void OpenVoice(int voice) override {
    Calls.push_back("OpenVoice " + std::to_string(voice));
    if (voice >= RefuseVoicesFrom) throw AudioError("voice refused");
    Voices.at(voice).Open = true;
  }
  void CloseVoice(int voice) override {
    Calls.push_back("CloseVoice " + std::to_string(voice));
    Voices.at(voice) = Voice{};
  }
  void LoadVoice(int voice, const PcmSound& sound) override {
    Calls.push_back("LoadVoice " + std::to_string(voice));
    Voice& v = Voices.at(voice);
    if (!v.Open) throw AudioError("voice not open");
    v.Playing = false;
    v.Sound = sound;
  }
  void PlayVoice(int voice, int32_t hundredthsDb, bool loop) override {
    Calls.push_back("PlayVoice " + std::to_string(voice) + " " + std::to_string(hundredthsDb) +
                    (loop ? " loop" : " once"));
    Voice& v = Voices.at(voice);
    if (!v.Open || v.Sound.Data.empty()) return;
    v.Playing = true;
    v.Loop = loop;
    v.HundredthsDb = hundredthsDb;
  }
  void StopVoice(int voice) override {
    Calls.push_back("StopVoice " + std::to_string(voice));
    Voices.at(voice).Playing = false;
  }
  void PlaySimple(const PcmSound& sound, bool loop) override {
    Calls.push_back(std::string("PlaySimple") + (loop ? " loop" : " once"));
    SimplePlayer = Simple{sound, !sound.Data.empty(), loop};
  }
  void StopSimple() override {
    Calls.push_back("StopSimple");
    SimplePlayer.Playing = false;
  }
  void OpenMusic(const std::string& path) override {
    Calls.push_back("OpenMusic " + path);
    CloseMusic();
    if (!MusicOpenError.empty()) throw AudioError(MusicOpenError);
    MusicFile = path;
    MusicPosition = 0;
  }
  void CloseMusic() override {
    if (MusicFile.empty()) return;
    Calls.push_back("CloseMusic");
    MusicFile.clear();
    MusicPlaying = false;
  }
  void PlayMusic() override {
    Calls.push_back("PlayMusic");
    if (MusicFile.empty()) throw AudioError("no music");
    MusicPlaying = true;
  }
  int64_t MusicPositionMs() override { return MusicFile.empty() ? 0 : MusicPosition; }
  int64_t MusicLengthMs() override { return MusicFile.empty() ? 0 : MusicLength; }
  void SetMusicVolume(int32_t volume) override {
    Calls.push_back("SetMusicVolume " + std::to_string(volume));
    MusicVolume = volume;
  }
  void SetMusicFinishedHandler(std::function<void()> handler) override {
    finished_ = std::move(handler);
  }

 private:
  std::function<void()> finished_;
};

}  // namespace kx::test
