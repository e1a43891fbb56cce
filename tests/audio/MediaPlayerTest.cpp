#include <gtest/gtest.h>

#include <thread>

#include "RecordingAudioService.h"
#include "audio/MediaPlayer.h"

namespace kx {
namespace {

using test::RecordingAudioService;

// Ends the current music on a thread of its own, as the mixer does, and waits for it.
void FinishOnMixerThread(RecordingAudioService& audio) {
  std::thread mixer([&] { audio.FinishMusicFromThisThread(); });
  mixer.join();
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { audio.MusicLength = 12000; }
  void StartWithNotify(const std::string& file) {
    player.FileName = file;
    player.Notify = true;
    player.Open();
    player.Play();
  }

  RecordingAudioService audio;
  TMediaPlayer player{audio};
};

TEST_F(MediaPlayerTest, MusicVolumeIsTenTimesThePercent) {
  player.FileName = "a.ogg";
  player.Open();
  struct Case {
    int32_t percent, sent;
  } cases[] = {{100, 1000}, {0, 0}, {55, 550}, {130, 1000}, {-1, 0}};
  for (const Case& c : cases) {
    player.SetMusicVolume(c.percent);
    EXPECT_EQ(audio.MusicVolume, c.sent) << c.percent;
  }
}

TEST_F(MediaPlayerTest, OpenClosesTheOpenFileFirst) {
  player.FileName = "a.ogg";
  player.Open();
  player.FileName = "b.mp3";
  player.Open();
  EXPECT_EQ(audio.Calls,
            (std::vector<std::string>{"OpenMusic a.ogg", "CloseMusic", "OpenMusic b.mp3"}));
  EXPECT_EQ(audio.MusicFile, "b.mp3");
}

TEST_F(MediaPlayerTest, OpenFailureRaisesTheLibraryMessage) {
  player.FileName = "a.ogg";
  player.Open();
  audio.MusicOpenError = "Unrecognized audio format";
  player.FileName = "junk.bin";
  try {
    player.Open();
    FAIL() << "no error";
  } catch (const AudioError& e) {
    EXPECT_STREQ(e.what(), "Unrecognized audio format");
  }
  EXPECT_FALSE(player.IsOpen());
  EXPECT_THROW(player.Play(), AudioError);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.Length(), 0);
}

TEST_F(MediaPlayerTest, EndOfFileIsReportedOnTheWindowThreadOnce) {
  int calls = 0;
  std::thread::id ranOn;
  player.OnNotify = [&] {
    ++calls;
    ranOn = std::this_thread::get_id();
  };
  StartWithNotify("a.ogg");
  EXPECT_FALSE(player.Notify);  // taken by Play
  FinishOnMixerThread(audio);
  EXPECT_EQ(calls, 0);  // nothing runs on the mixer's thread
  EXPECT_EQ(player.Position(), player.Length());
  EXPECT_TRUE(player.DeliverPendingNotification());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_FALSE(player.DeliverPendingNotification());
  EXPECT_EQ(calls, 1);
}

TEST_F(MediaPlayerTest, AHandlerThatPlaysTheNextFileHearsEveryEnd) {
  // The saver window's handler: on the end of a file, open and play the next one and ask for
  // its end again.
  const std::vector<std::string> list{"a.ogg", "b.wav", "c.mid"};
  size_t index = 0;
  std::vector<std::string> ended;
  player.OnNotify = [&] {
    if (player.Position() >= player.Length()) {
      ended.push_back(player.FileName);
      index = (index + 1) % list.size();
      player.Close();
      player.FileName = list[index];
      player.Open();
      player.SetMusicVolume(70);
      player.Play();
    }
    player.Notify = true;
  };
  StartWithNotify(list[0]);
  for (int i = 0; i < 4; ++i) {
    FinishOnMixerThread(audio);
    EXPECT_TRUE(player.DeliverPendingNotification()) << i;
  }
  EXPECT_EQ(ended, (std::vector<std::string>{"a.ogg", "b.wav", "c.mid", "a.ogg"}));
  EXPECT_EQ(audio.MusicFile, "b.wav");
  EXPECT_TRUE(audio.MusicPlaying);
  EXPECT_EQ(audio.MusicVolume, 700);
}

TEST_F(MediaPlayerTest, TheNotifyFlagDecidesWhetherAnEndIsReported) {
  int calls = 0;
  player.OnNotify = [&] { ++calls; };
  player.FileName = "a.ogg";
  player.Open();

  player.Play();  // no report asked for
  FinishOnMixerThread(audio);
  EXPECT_FALSE(player.DeliverPendingNotification());
  player.Notify = true;  // set after the end: it asks for a later end only
  EXPECT_FALSE(player.DeliverPendingNotification());
  EXPECT_EQ(calls, 0);

  player.Notify = false;
  player.Play();
  player.Notify = true;  // asked for while the file plays
  FinishOnMixerThread(audio);
  EXPECT_TRUE(player.DeliverPendingNotification());
  EXPECT_EQ(calls, 1);
}

TEST_F(MediaPlayerTest, AnEndNotDeliveredBeforeCloseOrReplayIsDropped) {
  int calls = 0;
  player.OnNotify = [&] { ++calls; };
  StartWithNotify("a.ogg");
  FinishOnMixerThread(audio);
  player.Close();
  EXPECT_FALSE(player.DeliverPendingNotification());

  StartWithNotify("a.ogg");
  FinishOnMixerThread(audio);
  player.Notify = true;
  player.Play();  // starts the file again: the earlier end is not this play's
  EXPECT_FALSE(player.DeliverPendingNotification());
  EXPECT_EQ(calls, 0);
  FinishOnMixerThread(audio);
  EXPECT_TRUE(player.DeliverPendingNotification());
  EXPECT_EQ(calls, 1);
}

TEST_F(MediaPlayerTest, WakeUpRunsOnTheMixerThreadBeforeDelivery) {
  RecordingAudioService service;
  std::thread::id wokenOn;
  int calls = 0;
  TMediaPlayer woken(service, [&] { wokenOn = std::this_thread::get_id(); });
  woken.OnNotify = [&] { ++calls; };
  woken.FileName = "a.ogg";
  woken.Notify = true;
  woken.Open();
  woken.Play();
  std::thread::id mixerId;
  std::thread mixer([&] {
    mixerId = std::this_thread::get_id();
    service.FinishMusicFromThisThread();
  });
  mixer.join();
  EXPECT_EQ(wokenOn, mixerId);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(woken.DeliverPendingNotification());
}

TEST(MediaPlayer, DestroyClosesTheFileAndRemovesTheHandler) {
  RecordingAudioService audio;
  {
    TMediaPlayer player(audio);
    EXPECT_TRUE(audio.HasFinishedHandler());
    player.FileName = "a.ogg";
    player.Open();
    player.Play();
  }
  EXPECT_FALSE(audio.HasFinishedHandler());
  EXPECT_EQ(audio.MusicFile, "");
  EXPECT_FALSE(audio.MusicPlaying);
}

}  // namespace
}  // namespace kx
