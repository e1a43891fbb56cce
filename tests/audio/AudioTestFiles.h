#pragma once
// Sounds and folders made by the audio tests themselves.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>

#include "audio/WaveFile.h"

namespace kx::test {

// A sine tone of 16-bit mono samples; `amplitude` is a fraction of full scale.
inline PcmSound MakeTone(double hz, double seconds, double amplitude, int32_t rate = 22050) {
  PcmSound s;
  s.SampleRate = rate;
  s.Channels = 1;
  s.BitsPerSample = 16;
  const int64_t frames = std::llround(seconds * rate);
  s.Data.resize(static_cast<size_t>(frames) * 2);
  for (int64_t i = 0; i < frames; ++i) {
    const double v = amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * i / rate);
    const int16_t q = static_cast<int16_t>(std::lround(v));
    s.Data[i * 2] = static_cast<uint8_t>(q & 0xFF);
    s.Data[i * 2 + 1] = static_cast<uint8_t>((q >> 8) & 0xFF);
  }
  return s;
}

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kx-audio-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const PcmSound& sound) const {
    const std::string path = File(name);
    WriteWaveFile(path, sound);
    return path;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kx::test
