// Set-up and tear-down of the show, its music, the help key, the 64-bit tick and the
// one-item preview.
#include <gtest/gtest.h>

#include <thread>

#include "saver/ShowProject.h"
#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

TEST(ShowTick, TheTickKeepsCountingAcrossTheWrapOfThePlatformTick) {
  FakeClock clock;
  clock.now = 0xFFFFFF00u;
  ShowTick tick(clock);
  const uint64_t start = tick.NowMs();
  clock.now += 0x80;
  EXPECT_EQ(tick.NowMs() - start, 0x80u);
  clock.now += 0x100;  // wraps
  EXPECT_EQ(tick.NowMs() - start, 0x180u);
  clock.now += 0xFFFFFFFFu;  // almost a whole period more
  EXPECT_EQ(tick.NowMs() - start, 0x180ull + 0xFFFFFFFFull);
}

TEST(ShowLifecycle, AnEmptyPlaylistIsReportedAndTheWindowStaysBlackButCloses) {
  ShowHarness h;
  h.project.Setting.Music = true;
  h.project.Setting.MusicFile = "tune.wav";
  h.AddItem(h.dir / "a.bmp", false);
  TSaverShow& show = h.Start();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(h.messages.shown[0].text, "Unable to run screensaver.\r\nPlease configure!");
  EXPECT_EQ(h.messages.shown[0].caption, " ");
  EXPECT_FALSE(h.window.idleInstalled);
  EXPECT_FALSE(h.window.cursorHidden);
  EXPECT_EQ(h.window.cursorChanges, 0);
  // The music starts all the same.
  EXPECT_EQ(h.audio.MusicFile, h.dir / "tune.wav");
  show.FormKeyPress();
  EXPECT_EQ(h.window.closeRequests, 1);
  show.FormClose();
  EXPECT_EQ(h.audio.MusicFile, "");
}

TEST(ShowLifecycle, TheShowRunsFromFormShowToFormClose) {
  ShowHarness h;
  h.project.Setting.Sound = true;
  h.project.Setting.SoundVolume = 50;
  h.project.Setting.Music = true;
  h.project.Setting.MusicFile = "tune.wav";
  h.project.Setting.MusicVolume = 70;
  WriteWav(h.dir / "surf.wav");
  ScenePackage p = ScenePackageOf(Solid(64, 48, Rgb(10, 80, 160)));
  p.Sounds[0] = SoundSlot("surf.wav", kSoundLooped);
  h.AddItem(WriteScene(h.dir, "scene.kxp", p));
  TSaverShow& show = h.Start();
  EXPECT_TRUE(h.window.idleInstalled);
  EXPECT_TRUE(h.window.cursorHidden);
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_TRUE(h.audio.MusicPlaying);
  EXPECT_EQ(h.audio.MusicVolume, 700);
  ASSERT_TRUE(h.audio.Voices[0].Playing);
  EXPECT_EQ(h.audio.Voices[0].HundredthsDb, -2000);
  h.RunFor(500);

  show.FormClose();
  EXPECT_FALSE(h.window.idleInstalled);
  EXPECT_FALSE(h.window.cursorHidden);
  EXPECT_FALSE(h.audio.Voices[0].Playing);
  EXPECT_EQ(h.audio.MusicFile, "");
  EXPECT_NE(std::find(h.audio.Calls.begin(), h.audio.Calls.end(), "StopSimple"), h.audio.Calls.end());
  EXPECT_FALSE(show.Running());
  const int presents = h.window.presents;
  show.AppIdle();  // an idle call after the close does nothing
  EXPECT_EQ(h.window.presents, presents);
}

TEST(ShowLifecycle, F1TogglesTheHelpFlagAndItsSecondPressResetsTheScene) {
  ShowHarness h;
  h.AddItem(WriteScene(h.dir, "scene.kxp", ScenePackageOf(Solid(64, 48, Rgb(10, 80, 160)))));
  TSaverShow& show = h.Start();
  show.AppIdle();
  show.Engine->WaterFrame.Fill(Rgb(1, 2, 3));
  show.FormKeyDown(SaverKey::F1);
  EXPECT_TRUE(show.HelpFlag);
  EXPECT_EQ(show.Engine->WaterFrame.Pixel(5, 5), Rgb(1, 2, 3));
  show.FormKeyDown(SaverKey::F1);
  EXPECT_FALSE(show.HelpFlag);
  EXPECT_TRUE(show.Engine->WaterFrame == *show.Scene->Picture);
  show.FormKeyDown(SaverKey::Other);
  EXPECT_FALSE(show.HelpFlag);
  EXPECT_EQ(h.window.closeRequests, 0);
}

TEST(ShowLifecycle, ACloseQueryIgnoresTheNextFiveMouseMoves) {
  ShowHarness h;
  h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(8, 8, Rgb(9, 9, 9))));
  TSaverShow& show = h.Start();
  for (int i = 0; i < 5; ++i) show.FormMouseMove(0, 0);
  show.FormMouseMove(100, 100);
  ASSERT_EQ(h.window.closeRequests, 0);  // the first movement only sets the position
  show.FormMouseMove(110, 100);
  ASSERT_EQ(h.window.closeRequests, 1);
  EXPECT_TRUE(show.FormCloseQuery());
  for (int i = 0; i < 5; ++i) show.FormMouseMove(500 * i, 0);
  EXPECT_EQ(h.window.closeRequests, 1);
  show.FormMouseMove(1000, 300);
  EXPECT_EQ(h.window.closeRequests, 2);
}

// Music.

struct MusicHarness : ShowHarness {
  explicit MusicHarness(const std::string& files, int mode) {
    project.Setting.Music = true;
    project.Setting.MusicFile = files;
    project.Setting.MusicMode = mode;
    AddItem(WriteBmp(dir, "a.bmp", Solid(8, 8, Rgb(9, 9, 9))));
    Start();
  }
  // Plays the open file to its end and lets the show hear of it.
  void EndOfFile() {
    audio.MusicLength = 1000;
    audio.MusicPosition = 1000;
    std::thread mixer([this] { audio.FinishMusicFromThisThread(); });
    mixer.join();
    show->DeliverMusicNotification();
  }
  std::vector<std::string> Opened() const {
    std::vector<std::string> files;
    for (const std::string& call : audio.Calls)
      if (call.rfind("OpenMusic ", 0) == 0) files.push_back(FileNamePart(call.substr(10)));
    return files;
  }
};

TEST(Music, TheListIsSplitAtSemicolonsAndBareNamesAreFilesOfThePayload) {
  MusicHarness h("one.ogg;;/music/two.mp3;three.wav", 1);
  EXPECT_EQ(h.show->MusicList,
            (std::vector<std::string>{h.dir / "one.ogg", "/music/two.mp3", h.dir / "three.wav"}));
  EXPECT_EQ(h.audio.MusicFile, h.dir / "one.ogg");
}

TEST(Music, OneFileRepeats) {
  MusicHarness h("only.wav", 0);
  for (int i = 0; i < 3; ++i) h.EndOfFile();
  EXPECT_EQ(h.Opened(), (std::vector<std::string>{"only.wav", "only.wav", "only.wav", "only.wav"}));
  EXPECT_TRUE(h.audio.MusicPlaying);
  EXPECT_GE(h.window.wakeUps.load(), 3);
}

TEST(Music, InOrderWrapsAndAtRandomNeverPlaysAFileTwiceInARow) {
  MusicHarness ordered("a.wav;b.wav;c.wav", 1);
  for (int i = 0; i < 4; ++i) ordered.EndOfFile();
  EXPECT_EQ(ordered.Opened(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "a.wav", "b.wav"}));

  MusicHarness random("a.wav;b.wav;c.wav", 0);
  for (int i = 0; i < 40; ++i) random.EndOfFile();
  const std::vector<std::string> opened = random.Opened();
  ASSERT_EQ(opened.size(), 41u);
  for (size_t i = 1; i < opened.size(); ++i) EXPECT_NE(opened[i], opened[i - 1]) << i;
  EXPECT_EQ(std::set<std::string>(opened.begin(), opened.end()).size(), 3u);
}

TEST(Music, AFileThatCannotBeOpenedLeavesTheShowSilent) {
  ShowHarness h;
  h.audio.MusicOpenError = "no such file";
  h.project.Setting.Music = true;
  h.project.Setting.MusicFile = "gone.mp3";
  h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(8, 8, Rgb(9, 9, 9))));
  TSaverShow& show = h.Start();
  h.RunFor(200);
  EXPECT_FALSE(h.audio.MusicPlaying);
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(h.window.presents, 1) << "the picture is on the screen";
  show.MediaPlayerNotify();  // a stray report does not start anything either
  EXPECT_FALSE(h.audio.MusicPlaying);
}

TEST(Music, MusicOffOrAnEmptyListPlaysNothing) {
  for (const auto& [on, files] : {std::pair{false, "a.wav"}, std::pair{true, ""}, std::pair{true, ";;"}}) {
    ShowHarness h;
    h.project.Setting.Music = on;
    h.project.Setting.MusicFile = files;
    h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(8, 8, Rgb(9, 9, 9))));
    h.Start();
    h.RunFor(100);
    EXPECT_EQ(h.audio.MusicFile, "") << files;
  }
}

// The preview of one item.

TEST(PreviewItem, ThePreviewProjectHoldsTheItemAndTheDisplaySettings) {
  TKXCProject running;
  running.FileList.Names = {"/x/a.jpg", "/x/b.jpg"};
  running.FileList.Flags = {"TRUE", "FALSE"};
  TKXCSetting& s = running.Setting;
  s.Stretch = false;
  s.Proportional = true;
  s.DirectX = true;
  s.DirectXQuality = 2;
  s.ShowClock = true;
  s.ClockPos = 3;
  s.Speed = 180;
  s.Sound = false;
  s.Music = true;
  s.MusicFile = "tune.wav";
  s.Duration = 77;
  s.TransitionEffects = "4";

  const TKXCProject preview = MakePreviewProject(running, "/x/b.jpg");
  EXPECT_EQ(preview.FileList.Names, std::vector<std::string>{"/x/b.jpg"});
  EXPECT_EQ(preview.FileList.Flags, std::vector<std::string>{"TRUE"});
  const TKXCSetting& p = preview.Setting;
  const TKXCSetting defaults;
  EXPECT_EQ(p.Stretch, false);
  EXPECT_EQ(p.Proportional, true);
  EXPECT_EQ(p.DirectX, true);
  EXPECT_EQ(p.DirectXQuality, 2);
  EXPECT_EQ(p.ShowClock, true);
  EXPECT_EQ(p.ClockPos, 3);
  EXPECT_EQ(p.Speed, 180);
  EXPECT_TRUE(p.Sound);
  EXPECT_FALSE(p.Music);
  EXPECT_EQ(p.Duration, defaults.Duration);
  EXPECT_EQ(p.TransitionEffects, defaults.TransitionEffects);
}

TEST(PreviewItem, TheUserSettingsFileOverridesTheCopiedValues) {
  TempDir dir;
  WriteText(dir / "Sea.ini", "[Setting]\nMusic=1\nShowClock=0\nImageMode=3\nIndex=4\n");
  TKXCProject running;
  running.Setting.ShowClock = true;
  RecordingMessageBox messages;
  int runs = 0;
  PreviewItem(running, "/x/one.bmp", dir / "Sea.ini", messages, [&](TKXCProject& shown) {
    ++runs;
    EXPECT_TRUE(shown.Setting.Music);
    EXPECT_FALSE(shown.Setting.ShowClock);
    // Mode 3 with an index outside the one-item list shows that item.
    EXPECT_EQ(shown.FileList.Flags, std::vector<std::string>{"TRUE"});
  });
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace kx::test
