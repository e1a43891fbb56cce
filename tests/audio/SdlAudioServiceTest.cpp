// The SDL2_mixer service on SDL's dummy driver (no sound device needed) and with no usable
// driver at all.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "AudioTestFiles.h"
#include "audio/MediaPlayer.h"
#include "audio/SoundEffect.h"
#include "platform/audio/MixerVolume.h"
#include "platform/audio/SdlAudioService.h"

namespace kx {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(MixerVolume, HundredthsOfADecibelBecomeLinearSteps) {
  struct Case {
    int32_t hundredthsDb;
    int volume;
  } cases[] = {{0, 128}, {250, 128}, {-600, 64}, {-1000, 40}, {-2000, 13}, {-4000, 1}, {-6000, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(MixerVolumeFromHundredthsDb(c.hundredthsDb), c.volume) << c.hundredthsDb;
}

TEST(MixerVolume, MusicVolumeIsLinear) {
  struct Case {
    int32_t volume;
    int mixer;
  } cases[] = {{0, 0}, {1000, 128}, {500, 64}, {4, 1}, {1500, 128}, {-20, 0}};
  for (const Case& c : cases) EXPECT_EQ(MixerVolumeFromMusicVolume(c.volume), c.mixer) << c.volume;
}

class SdlDummyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    service = std::make_unique<SdlAudioService>();
    ASSERT_TRUE(service->DeviceOpen()) << service->DeviceError();
  }
  void TearDown() override { service.reset(); }

  // Calls DeliverPendingNotification as an idle loop would until `done` or the timeout.
  static void RunIdleLoop(TMediaPlayer& player, milliseconds timeout,
                          const std::function<bool()>& done) {
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end && !done()) {
      player.DeliverPendingNotification();
      std::this_thread::sleep_for(milliseconds(2));
    }
  }

  test::TempFolder folder;
  std::unique_ptr<SdlAudioService> service;
};

TEST_F(SdlDummyTest, EffectsLoadPlayAndStopInEveryFormat) {
  TSoundEffect fx(*service);
  ASSERT_EQ(fx.Mode(), TSoundEffect::kModeVoices);
  PcmSound stereo8;
  stereo8.SampleRate = 11025;
  stereo8.Channels = 2;
  stereo8.BitsPerSample = 8;
  stereo8.Data.assign(11025 * 2 / 10, 128);
  PcmSound wide = test::MakeTone(440, 0.1, 0.3, 48000);
  PcmSound empty = wide;
  empty.Data.clear();
  const std::string files[] = {folder.Write("a.wav", test::MakeTone(440, 0.1, 0.3)),
                               folder.Write("b.wav", stereo8), folder.Write("c.wav", wide),
                               folder.Write("d.wav", empty)};
  for (int i = 0; i < 8; ++i) fx.Load(i, files[i % 4]);
  for (int i = 0; i < 8; ++i) fx.Play(i, i % 2 == 0);
  fx.SetVolume(0);
  fx.Play(0, false);
  std::this_thread::sleep_for(milliseconds(30));
  fx.StopAll();
  fx.ClearList();
  EXPECT_THROW(fx.Load(0, folder.File("missing.wav")), AudioError);
  // The simple player works on a real device as well.
  service->PlaySimple(wide, true);
  service->PlaySimple(stereo8, false);
  service->StopSimple();
}

TEST_F(SdlDummyTest, VoicesMustBeOpenToHoldASound) {
  const PcmSound tone = test::MakeTone(440, 0.05, 0.3);
  EXPECT_THROW(service->LoadVoice(2, tone), AudioError);
  service->OpenVoice(2);
  service->LoadVoice(2, tone);
  service->CloseVoice(2);
  EXPECT_THROW(service->LoadVoice(2, tone), AudioError);
  EXPECT_THROW(service->OpenVoice(8), AudioError);
  service->PlayVoice(2, 0, true);  // closed: silent, no error
}

TEST_F(SdlDummyTest, MusicEndReachesTheWindowThreadOncePerFile) {
  std::atomic<int> wakeUps{0};
  std::atomic<bool> wokenOnWindowThread{false};
  const std::thread::id window = std::this_thread::get_id();
  TMediaPlayer player(*service, [&] {
    ++wakeUps;
    if (std::this_thread::get_id() == window) wokenOnWindowThread = true;
  });
  int ends = 0;
  bool handlerOffThread = false;
  player.OnNotify = [&] {
    ++ends;
    if (std::this_thread::get_id() != window) handlerOffThread = true;
    if (ends == 1) {  // play the file once more, then stop asking
      player.Close();
      player.Open();
      player.Play();
      player.Notify = true;
    }
  };
  player.FileName = folder.Write("short.wav", test::MakeTone(330, 0.3, 0.3));
  player.Notify = true;
  const auto start = Clock::now();
  player.Open();
  EXPECT_NEAR(static_cast<double>(player.Length()), 300.0, 2.0);
  player.SetMusicVolume(80);
  player.Play();
  RunIdleLoop(player, milliseconds(5000), [&] { return ends == 2; });
  const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
  ASSERT_EQ(ends, 2);
  // The file really played: two plays of 300 ms take most of 600 ms of output.
  EXPECT_GE(elapsed, 450);
  EXPECT_EQ(player.Position(), player.Length());
  RunIdleLoop(player, milliseconds(300), [] { return false; });
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(wakeUps.load(), 2);
  EXPECT_FALSE(wokenOnWindowThread.load());  // the end came from the mixer's thread
  EXPECT_FALSE(handlerOffThread);
}

TEST_F(SdlDummyTest, ClosingAPlayingFileIsNotAnEnd) {
  std::atomic<int> wakeUps{0};
  TMediaPlayer player(*service, [&] { ++wakeUps; });
  int ends = 0;
  player.OnNotify = [&] { ++ends; };
  player.FileName = folder.Write("long.wav", test::MakeTone(330, 2.0, 0.3));
  player.Notify = true;
  player.Open();
  player.Play();
  const auto end = Clock::now() + milliseconds(1500);
  while (player.Position() == 0 && Clock::now() < end) std::this_thread::sleep_for(milliseconds(5));
  const int64_t position = player.Position();
  EXPECT_GT(position, 0);  // the position moves while the file plays
  EXPECT_LT(position, player.Length());
  player.FileName = folder.Write("short.wav", test::MakeTone(330, 0.2, 0.3));
  player.Open();  // closes the playing file first
  RunIdleLoop(player, milliseconds(300), [] { return false; });
  EXPECT_EQ(wakeUps.load(), 0);
  EXPECT_EQ(ends, 0);
  player.Notify = true;
  player.Play();
  RunIdleLoop(player, milliseconds(3000), [&] { return ends == 1; });
  EXPECT_EQ(ends, 1);
}

TEST_F(SdlDummyTest, OpenFailureCarriesTheMixerMessage) {
  TMediaPlayer player(*service);
  std::ofstream(folder.File("junk.ogg")) << "this is no sound at all, just some text";
  for (const char* name : {"junk.ogg", "missing.mp3"}) {
    SCOPED_TRACE(name);
    player.FileName = folder.File(name);
    try {
      player.Open();
      ADD_FAILURE() << "no error";
    } catch (const AudioError& e) {
      EXPECT_NE(std::string(e.what()), "");
      EXPECT_STREQ(e.what(), SDL_GetError());
    }
    EXPECT_FALSE(player.IsOpen());
  }
}

TEST_F(SdlDummyTest, OnlyOneServiceAtATime) {
  EXPECT_THROW(SdlAudioService second, std::logic_error);
  EXPECT_TRUE(service->DeviceOpen());
}

TEST(SdlNoDevice, EverythingFailsCleanly) {
  setenv("SDL_AUDIODRIVER", "kx-no-such-driver", 1);
  test::TempFolder folder;
  SdlAudioService service;
  EXPECT_FALSE(service.DeviceOpen());
  EXPECT_NE(service.DeviceError(), "");

  TSoundEffect fx(service);
  EXPECT_EQ(fx.Mode(), TSoundEffect::kModeFallback);
  fx.Load(0, folder.Write("a.wav", test::MakeTone(440, 0.1, 0.3)));
  fx.Play(0, true);
  fx.StopAll();

  TMediaPlayer player(service);
  player.FileName = folder.File("a.wav");
  EXPECT_THROW(player.Open(), AudioError);
  player.SetMusicVolume(50);
  player.Close();
  EXPECT_FALSE(player.DeliverPendingNotification());
}

}  // namespace
}  // namespace kx
