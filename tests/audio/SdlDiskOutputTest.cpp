// What the effect voices really write: SDL's "disk" driver records the mixed output to a file,
// which the test reads back and measures.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <thread>

#include "AudioTestFiles.h"
#include "audio/SoundEffect.h"
#include "platform/audio/SdlAudioService.h"

namespace kx {
namespace {

constexpr int kRate = 44100;
constexpr double kToneAmplitude = 0.4;
constexpr double kLoudHz = 500;    // 50 whole periods in a 0.1 s window
constexpr double kQuietHz = 1200;  // 120 whole periods
constexpr double kToneSeconds = 0.25;

// The output, mixed down to mono, as fractions of full scale.
std::vector<double> ReadOutput(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<int16_t> raw;
  int16_t frame[2];
  while (in.read(reinterpret_cast<char*>(frame), sizeof frame))
    raw.push_back(frame[0]), raw.push_back(frame[1]);
  std::vector<double> mono(raw.size() / 2);
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = (raw[2 * i] + raw[2 * i + 1]) / 2.0 / 32768.0;
  return mono;
}

// Amplitude of the component at `hz` over `count` frames from `first`: the magnitude of one
// DFT bin, which is exact for a window of whole periods.
double ToneAmplitude(const std::vector<double>& s, size_t first, size_t count, double hz) {
  double re = 0, im = 0;
  for (size_t i = 0; i < count; ++i) {
    const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / kRate;
    re += s[first + i] * std::cos(phase);
    im += s[first + i] * std::sin(phase);
  }
  return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

double Db(double amplitude) { return 20.0 * std::log10(amplitude / kToneAmplitude); }

TEST(SdlDiskOutput, TwoVoicesAtTheirVolumesLoopingAndStopped) {
  test::TempFolder folder;
  const std::string output = folder.File("output.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  {
    SdlAudioService service(SdlAudioOptions{kRate, 2, 1024});
    ASSERT_TRUE(service.DeviceOpen()) << service.DeviceError();
    TSoundEffect fx(service);
    ASSERT_EQ(fx.Mode(), TSoundEffect::kModeVoices);
    // Sounds at 22050 Hz mono: the service converts them to the 44.1 kHz stereo output.
    fx.Load(0, folder.Write("loud.wav", test::MakeTone(kLoudHz, kToneSeconds, kToneAmplitude)));
    fx.Load(1, folder.Write("quiet.wav", test::MakeTone(kQuietHz, kToneSeconds, kToneAmplitude)));
    fx.SetVolume(100);
    fx.Play(0, true);
    fx.SetVolume(50);  // -20 dB
    fx.Play(1, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    fx.StopAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  unsetenv("SDL_DISKAUDIOFILE");

  const std::vector<double> s = ReadOutput(output);
  size_t onset = 0;
  while (onset < s.size() && std::fabs(s[onset]) < 0.005) ++onset;
  size_t last = s.size();
  while (last > onset && std::fabs(s[last - 1]) < 0.005) --last;
  ASSERT_LT(onset, s.size()) << "no sound written";
  const size_t window = kRate / 10;
  const auto at = [&](double seconds) { return onset + static_cast<size_t>(seconds * kRate); };

  // Both sounds while both play (the second may start one output block later).
  ASSERT_GT(last, at(0.20));
  EXPECT_NEAR(Db(ToneAmplitude(s, at(0.08), window, kLoudHz)), 0.0, 1.0);
  EXPECT_NEAR(Db(ToneAmplitude(s, at(0.08), window, kQuietHz)), -20.0, 1.0);

  // Past the files' length: the looping voice sounds on, the single play has ended.
  ASSERT_GT(last, at(0.45) + window) << "stopped too early to see the loop";
  EXPECT_NEAR(Db(ToneAmplitude(s, at(0.45), window, kLoudHz)), 0.0, 1.0);
  EXPECT_LT(Db(ToneAmplitude(s, at(0.45), window, kQuietHz)), -60.0);

  // StopAll: nothing but silence after the last sounding frame, for the rest of the output.
  ASSERT_GT(s.size(), last + window);
  for (size_t i = last; i < s.size(); ++i) ASSERT_EQ(s[i], 0.0) << "frame " << i;
}

}  // namespace
}  // namespace kx
