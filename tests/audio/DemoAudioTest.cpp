#include <gtest/gtest.h>

#include <cmath>

#include "AudioTestFiles.h"
#include "audio/WaveFile.h"
#include "tools/demo/audio/DemoAudio.h"

namespace kx {
namespace {

std::vector<int> Samples(const PcmSound& s) {
  std::vector<int> v(s.Data.size() / 2);
  for (size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<int16_t>(s.Data[2 * i] | (s.Data[2 * i + 1] << 8));
  return v;
}

TEST(DemoAudio, SurfLoopsWithoutAStep) {
  const PcmSound surf = demo::MakeSurf();
  EXPECT_EQ(surf.BitsPerSample, 16);
  EXPECT_EQ(surf.Channels, 1);
  EXPECT_EQ(surf.DurationMs(), 6000);
  const std::vector<int> v = Samples(surf);
  // The step from the last frame to the first must look like any step near the seam; a loop
  // that was simply cut would jump by about the signal's own size there.
  const size_t near = surf.SampleRate / 10;
  double meanStep = 0;
  for (size_t i = 1; i < near; ++i) meanStep += std::abs(v[i] - v[i - 1]);
  for (size_t i = v.size() - near + 1; i < v.size(); ++i) meanStep += std::abs(v[i] - v[i - 1]);
  meanStep /= 2.0 * (near - 1);
  EXPECT_LE(std::abs(v.front() - v.back()), 2.0 * meanStep);
  // And it is a sound, not silence: the swell reaches most of full scale.
  int peak = 0;
  for (int x : v) peak = std::max(peak, std::abs(x));
  EXPECT_GT(peak, 20000);
}

TEST(DemoAudio, MusicAndBirdsHaveTheirShapes) {
  const PcmSound music = demo::MakeMusic();
  EXPECT_EQ(music.DurationMs(), 18000);
  const std::vector<int> m = Samples(music);
  // Every bar sounds.
  for (int bar = 0; bar < 4; ++bar) {
    double energy = 0;
    const size_t first = static_cast<size_t>(bar) * 4 * music.SampleRate;
    for (size_t i = first; i < first + 4u * music.SampleRate; ++i) energy += double(m[i]) * m[i];
    EXPECT_GT(std::sqrt(energy / (4.0 * music.SampleRate)), 1000.0) << "bar " << bar;
  }
  const PcmSound birds = demo::MakeBirds();
  const std::vector<int> b = Samples(birds);
  EXPECT_EQ(birds.DurationMs(), 2500);
  // The calls are over well before the end, which leaves a pause between repeats.
  for (size_t i = b.size() - birds.SampleRate; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;
}

TEST(DemoAudio, WritesTheThreeFilesReadableAsWaves) {
  test::TempFolder folder;
  const std::vector<std::string> paths = demo::WriteDemoAudio(folder.File("media"));
  ASSERT_EQ(paths.size(), 3u);
  const std::vector<demo::DemoAudioFile> made = demo::MakeDemoAudio();
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(paths[i], folder.File("media") + "/" + made[i].Name);
    EXPECT_EQ(ReadWaveFile(paths[i]).Data, made[i].Sound.Data) << paths[i];
  }
}

}  // namespace
}  // namespace kx
