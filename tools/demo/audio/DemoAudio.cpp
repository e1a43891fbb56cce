#include "tools/demo/audio/DemoAudio.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "audio/WaveFile.h"

namespace kx::demo {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A small fixed generator of its own, so the demo media never depend on the engine's shared
// random state.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double Next() {  // -1 .. 1
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_;
};

double MidiHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// 16-bit mono PCM with the loudest sample at `peak` of full scale.
PcmSound ToPcm(const std::vector<double>& samples, double peak) {
  double loudest = 0;
  for (double v : samples) loudest = std::max(loudest, std::fabs(v));
  const double scale = loudest > 0 ? peak * 32767.0 / loudest : 0.0;
  PcmSound s;
  s.SampleRate = kDemoSampleRate;
  s.Channels = 1;
  s.BitsPerSample = 16;
  s.Data.resize(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    const auto q = static_cast<int16_t>(std::lround(samples[i] * scale));
    s.Data[2 * i] = static_cast<uint8_t>(q & 0xFF);
    s.Data[2 * i + 1] = static_cast<uint8_t>((q >> 8) & 0xFF);
  }
  return s;
}

// A plucked tone added into `out`: a few harmonics under an exponential decay, with a 5 ms
// attack so that the start does not click.
void Pluck(std::vector<double>& out, double startSeconds, double seconds, double hz, double level,
           double decayPerSecond) {
  const double rate = kDemoSampleRate;
  const size_t first = static_cast<size_t>(startSeconds * rate);
  const size_t count = static_cast<size_t>(seconds * rate);
  const double harmonics[] = {1.0, 0.45, 0.2, 0.08};
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = i / rate;
    const double attack = std::min(1.0, t / 0.005);
    const double release = std::min(1.0, (seconds - t) / 0.05);  // fade out the tail
    const double envelope = level * attack * release * std::exp(-decayPerSecond * t);
    double v = 0;
    for (int h = 0; h < 4; ++h)
      if (hz * (h + 1) < rate / 2) v += harmonics[h] * std::sin(kTwoPi * hz * (h + 1) * t);
    out[first + i] += envelope * v;
  }
}

}  // namespace

PcmSound MakeSurf(double seconds) {
  const size_t length = static_cast<size_t>(seconds * kDemoSampleRate);
  const size_t fade = kDemoSampleRate / 2;
  // The swell of one wave over the loop: a slow rise, the break at two thirds, a long wash.
  const auto swell = [&](size_t i) {
    const double phase = static_cast<double>(i % length) / static_cast<double>(length);
    const double wave = 0.5 - 0.5 * std::cos(kTwoPi * phase);
    return wave * wave;
  };
  // Noise through two one-pole low-pass filters whose corner follows the swell (400 Hz in the
  // trough, 2.4 kHz at the break), made fade frames longer than the loop.
  Noise noise(0x5EAF00Du);
  std::vector<double> raw(length + fade);
  double low1 = 0, low2 = 0;
  for (size_t i = 0; i < raw.size(); ++i) {
    const double corner = 400.0 + 2000.0 * swell(i);
    const double a = 1.0 - std::exp(-kTwoPi * corner / kDemoSampleRate);
    low1 += a * (noise.Next() - low1);
    low2 += a * (low1 - low2);
    raw[i] = low2;
  }
  // The loop's start is cross-faded (equal power) with the noise that follows its end, so the
  // last frame runs straight on into the first.
  std::vector<double> out(length);
  for (size_t i = 0; i < length; ++i) {
    double v = raw[i];
    if (i < fade) {
      const double x = static_cast<double>(i) / fade * (std::numbers::pi / 2);
      v = raw[i] * std::sin(x) + raw[length + i] * std::cos(x);
    }
    out[i] = v * (0.25 + 0.75 * swell(i));
  }
  return ToPcm(out, 0.7);
}

PcmSound MakeBirds(double seconds) {
  std::vector<double> out(static_cast<size_t>(seconds * kDemoSampleRate));
  struct Chirp {
    double start, length, fromHz, toHz;
  };
  // A trill of short rising whistles, then two long falling calls.
  const Chirp chirps[] = {{0.05, 0.07, 2800, 4200}, {0.15, 0.07, 2900, 4300},
                          {0.25, 0.07, 3000, 4400}, {0.35, 0.07, 3000, 4500},
                          {0.75, 0.22, 4600, 2600}, {1.10, 0.25, 4800, 2500}};
  for (const Chirp& c : chirps) {
    const size_t first = static_cast<size_t>(c.start * kDemoSampleRate);
    const size_t count = static_cast<size_t>(c.length * kDemoSampleRate);
    double phase = 0;
    for (size_t i = 0; i < count && first + i < out.size(); ++i) {
      const double u = static_cast<double>(i) / count;
      // Sliding pitch with a fast warble; the phase is summed so the slide stays smooth.
      const double hz =
          c.fromHz + (c.toHz - c.fromHz) * u + 150.0 * std::sin(kTwoPi * 35.0 * u * c.length);
      phase += kTwoPi * hz / kDemoSampleRate;
      const double envelope = std::pow(std::sin(std::numbers::pi * u), 2);
      out[first + i] += envelope * std::sin(phase);
    }
  }
  return ToPcm(out, 0.6);
}

PcmSound MakeMusic() {
  constexpr double kBeat = 1.0;  // seconds: 60 beats per minute, four beats a bar
  struct Bar {
    int root, third, fifth;  // chord notes around middle C
    int melody[4];           // one note per beat
  };
  const Bar bars[] = {{60, 64, 67, {76, 79, 84, 79}},   // C
                      {57, 60, 64, {81, 76, 72, 76}},   // A minor
                      {53, 57, 60, {77, 81, 84, 81}},   // F
                      {55, 59, 62, {79, 83, 86, 83}}};  // G
  const double total = 4 * 4 * kBeat + 2.0;
  std::vector<double> out(static_cast<size_t>(total * kDemoSampleRate));
  for (int b = 0; b < 4; ++b) {
    const Bar& bar = bars[b];
    const double start = b * 4 * kBeat;
    // Bass on beats one and three.
    for (int half = 0; half < 2; ++half)
      Pluck(out, start + half * 2 * kBeat, 2 * kBeat, MidiHz(bar.root - 12), 0.5, 1.2);
    // Arpeggio in eighths, an octave up.
    const int pattern[8] = {bar.root,  bar.third, bar.fifth, bar.root + 12,
                            bar.fifth, bar.third, bar.root,  bar.fifth};
    for (int e = 0; e < 8; ++e)
      Pluck(out, start + e * kBeat / 2, kBeat, MidiHz(pattern[e] + 12), 0.18, 3.0);
    for (int q = 0; q < 4; ++q)
      Pluck(out, start + q * kBeat, 1.5 * kBeat, MidiHz(bar.melody[q]), 0.3, 2.0);
  }
  // The closing C chord rings out over the last two seconds.
  const double end = 16 * kBeat;
  for (int note : {48, 60, 64, 67, 72}) Pluck(out, end, 2.0, MidiHz(note), 0.3, 1.5);
  return ToPcm(out, 0.8);
}

std::vector<DemoAudioFile> MakeDemoAudio() {
  std::vector<DemoAudioFile> files;
  files.push_back({"surf.wav", MakeSurf()});
  files.push_back({"birds.wav", MakeBirds()});
  files.push_back({"music.wav", MakeMusic()});
  return files;
}

std::vector<std::string> WriteDemoAudio(const std::string& folder) {
  std::filesystem::create_directories(folder);
  std::vector<std::string> written;
  for (const DemoAudioFile& f : MakeDemoAudio()) {
    const std::string path = (std::filesystem::path(folder) / f.Name).string();
    WriteWaveFile(path, f.Sound);
    written.push_back(path);
  }
  return written;
}

}  // namespace kx::demo
