#pragma once
// The sound service of the engine: eight effect voices, a simple player that plays one sound at
// a time, and one music stream.
//
// Rules of the service:
// - Every operation is called from the window thread. Output is asynchronous: a voice, the
//   simple player and the music play on while the caller goes on.
// - A voice holds one sound at a time; loading a sound into it replaces (and stops) the old one.
// - Voice volumes are in hundredths of a decibel: 0 is full level, -4000 is -40 dB. The music
//   volume is linear from 0 (silent) to 1000 (full level).
// - The one report back is the end of a music file played to its end. It comes through the
//   music-finished handler, which runs on the output's own thread: the handler may only record
//   the fact (an atomic flag) or post a wake-up to the window thread. Closing, reopening or
//   replacing the music never calls it.
// - Failures that the caller must know about raise `AudioError`; playing and stopping never do.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kx {

class AudioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Uncompressed sound: interleaved frames of little-endian samples, 8-bit unsigned or 16-bit or
// 32-bit signed. `Data` holds whole frames only.
struct PcmSound {
  int32_t SampleRate = 0;     // frames per second
  int32_t Channels = 0;       // samples per frame, 1 to 8
  int32_t BitsPerSample = 0;  // 8, 16 or 32
  std::vector<uint8_t> Data;

  int32_t BytesPerFrame() const { return Channels * (BitsPerSample / 8); }
  int64_t FrameCount() const {
    const int32_t frame = BytesPerFrame();
    return frame > 0 ? static_cast<int64_t>(Data.size()) / frame : 0;
  }
  int64_t DurationMs() const { return SampleRate > 0 ? FrameCount() * 1000 / SampleRate : 0; }
};

class AudioService {
 public:
  static constexpr int kVoiceCount = 8;

  virtual ~AudioService() = default;

  // Effect voices, numbered 0 to kVoiceCount - 1.
  // Makes a voice ready to hold and play a sound; raises AudioError when it cannot.
  virtual void OpenVoice(int voice) = 0;
  // Stops the voice and releases it and its sound.
  virtual void CloseVoice(int voice) = 0;
  // Replaces the voice's sound; an empty sound leaves the voice silent. Raises AudioError when
  // the voice is not open or the sound cannot be prepared for output.
  virtual void LoadVoice(int voice, const PcmSound& sound) = 0;
  // Starts the voice's sound from its beginning at the given volume, once or looping until
  // stopped. A voice without a sound stays silent.
  virtual void PlayVoice(int voice, int32_t hundredthsDb, bool loop) = 0;
  virtual void StopVoice(int voice) = 0;

  // The simple player: one sound at a time at full level; a new sound replaces the playing one.
  // Raises AudioError when the sound cannot be prepared for output.
  virtual void PlaySimple(const PcmSound& sound, bool loop) = 0;
  virtual void StopSimple() = 0;

  // Music. OpenMusic closes the open file first; it raises AudioError carrying the library's
  // own message when the file cannot be opened.
  virtual void OpenMusic(const std::string& path) = 0;
  virtual void CloseMusic() = 0;
  // Starts the open file from its beginning; a file that is already playing goes on. Raises
  // AudioError when no file is open or output cannot start.
  virtual void PlayMusic() = 0;
  // Position and length of the open file in milliseconds; 0 when closed or unknown.
  virtual int64_t MusicPositionMs() = 0;
  virtual int64_t MusicLengthMs() = 0;
  virtual void SetMusicVolume(int32_t volume) = 0;  // 0 to 1000
  // Installs the handler for "the music played to its end" (see the rules above); an empty
  // function removes it. The handler is never running any more when this returns.
  virtual void SetMusicFinishedHandler(std::function<void()> handler) = 0;
};

}  // namespace kx
