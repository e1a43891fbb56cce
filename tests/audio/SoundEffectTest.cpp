#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "AudioTestFiles.h"
#include "RecordingAudioService.h"
#include "audio/SoundEffect.h"

namespace kx {
namespace {

using test::RecordingAudioService;

class SoundEffectTest : public ::testing::Test {
 protected:
  std::string ToneFile(const std::string& name, double hz) {
    return folder.Write(name, test::MakeTone(hz, 0.05, 0.5));
  }
  int CountCalls(const std::string& prefix) const {
    return static_cast<int>(
        std::count_if(audio.Calls.begin(), audio.Calls.end(),
                      [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
  }

  test::TempFolder folder;
  RecordingAudioService audio;
};

TEST_F(SoundEffectTest, UsesTheEightVoicesWhenAllOpen) {
  TSoundEffect fx(audio);
  EXPECT_EQ(fx.Mode(), TSoundEffect::kModeVoices);
  EXPECT_EQ(fx.Volume(), 80);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(audio.Voices[i].Open) << i;
}

TEST_F(SoundEffectTest, FallsBackWhenAnyVoiceIsRefused) {
  for (int refused : {0, 1, 7}) {
    SCOPED_TRACE(refused);
    RecordingAudioService service;
    service.RefuseVoicesFrom = refused;
    TSoundEffect fx(service);
    EXPECT_EQ(fx.Mode(), TSoundEffect::kModeFallback);
    // Creation stops at the refused voice and gives back the ones it had.
    EXPECT_EQ(std::count_if(service.Calls.begin(), service.Calls.end(),
                            [](const std::string& c) { return c.rfind("OpenVoice", 0) == 0; }),
              refused + 1);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(service.Voices[i].Open) << i;
  }
}

TEST_F(SoundEffectTest, VolumeTakesEffectAtTheNextStart) {
  struct Case {
    int32_t percent, hundredthsDb;
  } cases[] = {{50, -2000}, {0, -4000}, {100, 0}, {150, 0}, {-5, -4000}};
  TSoundEffect fx(audio);
  fx.Load(0, ToneFile("a.wav", 440));
  fx.Play(0, true);
  EXPECT_EQ(audio.Voices[0].HundredthsDb, -800);  // the volume before the window sets one
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    const size_t before = audio.Calls.size();
    fx.SetVolume(c.percent);
    EXPECT_EQ(audio.Calls.size(), before);  // a playing voice keeps its volume
    fx.Play(0, true);
    EXPECT_EQ(audio.Voices[0].HundredthsDb, c.hundredthsDb);
  }
}

TEST_F(SoundEffectTest, EachSlotPlaysItsOwnSoundOnItsOwnVoice) {
  TSoundEffect fx(audio);
  EXPECT_THROW(fx.Load(0, folder.File("missing.wav")), AudioError);
  const std::string second = ToneFile("b.wav", 880);
  fx.Load(1, second);
  fx.Play(0, true);
  fx.Play(1, false);
  EXPECT_FALSE(audio.Voices[0].Playing);
  ASSERT_TRUE(audio.Voices[1].Playing);
  EXPECT_FALSE(audio.Voices[1].Loop);
  EXPECT_EQ(audio.Voices[1].Sound.Data, ReadWaveFile(second).Data);
  EXPECT_EQ(CountCalls("PlayVoice"), 1);
}

TEST_F(SoundEffectTest, AFailedLoadSilencesTheSlot) {
  TSoundEffect fx(audio);
  fx.Load(2, ToneFile("good.wav", 440));
  std::ofstream(folder.File("broken.wav")) << "RIFF....WAVEjunk";
  EXPECT_THROW(fx.Load(2, folder.File("broken.wav")), AudioError);
  EXPECT_EQ(fx.Loaded()[2], "");
  fx.Play(2, true);
  // Neither the broken file nor the sound loaded before it sounds for this slot.
  EXPECT_FALSE(audio.Voices[2].Playing);
  EXPECT_TRUE(audio.Voices[2].Sound.Data.empty());
}

TEST_F(SoundEffectTest, FallbackPlaysOnlySlotZeroThroughTheSimplePlayer) {
  audio.RefuseVoicesFrom = 3;
  TSoundEffect fx(audio);
  ASSERT_EQ(fx.Mode(), TSoundEffect::kModeFallback);
  const std::string first = ToneFile("a.wav", 440);
  fx.Load(0, first);
  fx.Load(1, ToneFile("b.wav", 880));
  fx.Play(1, true);
  EXPECT_EQ(CountCalls("PlaySimple"), 0);
  fx.Play(0, true);
  ASSERT_TRUE(audio.SimplePlayer.Playing);
  EXPECT_TRUE(audio.SimplePlayer.Loop);
  EXPECT_EQ(audio.SimplePlayer.Sound.Data, ReadWaveFile(first).Data);
  fx.Play(1, false);  // still slot 0's loop
  EXPECT_TRUE(audio.SimplePlayer.Playing);
  EXPECT_EQ(CountCalls("PlaySimple"), 1);
  fx.StopAll();
  EXPECT_FALSE(audio.SimplePlayer.Playing);
  EXPECT_EQ(CountCalls("LoadVoice") + CountCalls("PlayVoice"), 0);
}

TEST_F(SoundEffectTest, FallbackWithAMissingFileStaysSilent) {
  audio.RefuseVoicesFrom = 0;
  TSoundEffect fx(audio);
  fx.Load(0, folder.File("missing.wav"));  // only remembered in this mode
  EXPECT_EQ(fx.Loaded()[0], folder.File("missing.wav"));
  fx.Play(0, false);
  EXPECT_FALSE(audio.SimplePlayer.Playing);
  EXPECT_EQ(CountCalls("PlaySimple"), 0);
}

TEST_F(SoundEffectTest, StopAllThenClearListSilencesEveryLaterPlay) {
  TSoundEffect fx(audio);
  for (int i = 0; i < 8; ++i) fx.Load(i, ToneFile("s" + std::to_string(i) + ".wav", 200 + 100 * i));
  for (int i = 0; i < 8; ++i) fx.Play(i, true);
  fx.StopAll();
  fx.ClearList();
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(audio.Voices[i].Playing) << i;
  const int played = CountCalls("PlayVoice");
  for (int i = 0; i < 8; ++i) fx.Play(i, i % 2 == 0);
  EXPECT_EQ(CountCalls("PlayVoice"), played);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(audio.Voices[i].Playing) << i;
  fx.Load(3, ToneFile("again.wav", 300));
  fx.Play(3, false);
  EXPECT_TRUE(audio.Voices[3].Playing);
}

TEST_F(SoundEffectTest, SlotsOutsideTheEightAreRefusedOrSilent) {
  TSoundEffect fx(audio);
  const std::string file = ToneFile("a.wav", 440);
  EXPECT_THROW(fx.Load(8, file), AudioError);
  EXPECT_THROW(fx.Load(-1, file), AudioError);
  fx.Play(8, true);
  fx.Play(-1, true);
  EXPECT_EQ(CountCalls("PlayVoice"), 0);
}

TEST_F(SoundEffectTest, DestroyStopsThenClosesTheVoices) {
  {
    TSoundEffect fx(audio);
    fx.Load(0, ToneFile("a.wav", 440));
    fx.Play(0, true);
    audio.Calls.clear();
  }
  ASSERT_EQ(audio.Calls.size(), 16u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(audio.Calls[i], "StopVoice " + std::to_string(i));
    EXPECT_EQ(audio.Calls[8 + i], "CloseVoice " + std::to_string(i));
  }

  RecordingAudioService fallback;
  fallback.RefuseVoicesFrom = 0;
  {
    TSoundEffect fx(fallback);
    fallback.Calls.clear();
  }
  EXPECT_EQ(fallback.Calls, std::vector<std::string>{"StopSimple"});
}

}  // namespace
}  // namespace kx
