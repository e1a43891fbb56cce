// The order of items, the change timer, the transitions and the scene sound schedule,
// driven by the fake clock.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

constexpr uint32_t kWhite = Rgb(255, 255, 255);
constexpr uint32_t kBlack = Rgb(0, 0, 0);

// The items shown, by index, at each change during `seconds` of show.
std::vector<int> IndexesOverTime(ShowHarness& h, int seconds) {
  std::vector<int> order = {h.show->ItemIndex};
  h.show->AppIdle();
  for (int s = 0; s < seconds; ++s) {
    const int before = h.show->ItemIndex;
    const uint64_t changeBefore = h.show->LastChangeTick;
    h.RunFor(1000);
    if (h.show->LastChangeTick != changeBefore && h.show->ItemIndex != before) order.push_back(h.show->ItemIndex);
  }
  return order;
}

TEST(Sequencer, OneItemInRandomModeIsNeverReloadedAndItsTimerRestarts) {
  ShowHarness h;
  h.project.Setting.ShowImageMode = 0;
  h.project.Setting.Duration = 2;
  h.project.Setting.Transition = true;
  h.AddItem(WriteBmp(h.dir, "only.bmp", Solid(64, 48, kWhite)));
  TSaverShow& show = h.Start();
  show.AppIdle();
  ASSERT_EQ(show.ItemIndex, 0);
  ASSERT_TRUE(show.IsPicture);

  // A reload would play a transition: presents. The picture stays on the screen untouched.
  std::vector<uint64_t> changes;
  for (int i = 0; i < 4; ++i) {
    const uint64_t before = show.LastChangeTick;
    const int presentsBefore = h.window.presents;
    while (show.LastChangeTick == before) show.AppIdle();
    changes.push_back(show.LastChangeTick);
    EXPECT_EQ(show.ItemIndex, 0);
    EXPECT_EQ(h.window.presents - presentsBefore, 0) << "no transition was played";
  }
  for (size_t i = 1; i < changes.size(); ++i) {
    EXPECT_GE(changes[i] - changes[i - 1], 2000u);
    EXPECT_LT(changes[i] - changes[i - 1], 2100u);
  }
}

TEST(Sequencer, RandomOffKeepsTheFirstItem) {
  ShowHarness h;
  h.project.Setting.Random = false;
  h.project.Setting.Duration = 1;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) h.AddItem(WriteBmp(h.dir, name, Solid(8, 8, kWhite)));
  h.Start();
  EXPECT_EQ(IndexesOverTime(h, 10), std::vector<int>{0});
  EXPECT_EQ(h.show->LastLoaded, h.dir / "a.bmp");
}

TEST(Sequencer, InOrderModeWrapsAround) {
  ShowHarness h;
  h.project.Setting.ShowImageMode = 1;
  h.project.Setting.Duration = 1;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) h.AddItem(WriteBmp(h.dir, name, Solid(8, 8, kWhite)));
  h.AddItem(h.dir / "unticked.bmp", false);
  h.Start();
  const std::vector<int> order = IndexesOverTime(h, 6);
  ASSERT_GE(order.size(), 6u);
  EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 6), (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

TEST(Sequencer, RandomModesNeverRepeatAnItemAndTwoItemsAlternate) {
  for (int mode : {0, 2}) {
    SCOPED_TRACE(mode);
    ShowHarness h;
    h.project.Setting.ShowImageMode = mode;
    h.project.Setting.Duration = 1;
    for (const char* name : {"a.bmp", "b.bmp"}) h.AddItem(WriteBmp(h.dir, name, Solid(8, 8, kWhite)));
    h.Start();
    const std::vector<int> order = IndexesOverTime(h, 8);
    ASSERT_GE(order.size(), 7u);
    for (size_t i = 1; i < order.size(); ++i) EXPECT_NE(order[i], order[i - 1]);
  }
  ShowHarness h;
  h.project.Setting.ShowImageMode = 0;
  h.project.Setting.Duration = 1;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) h.AddItem(WriteBmp(h.dir, name, Solid(8, 8, kWhite)));
  h.Start();
  const std::vector<int> order = IndexesOverTime(h, 40);
  std::set<int> seen(order.begin(), order.end());
  EXPECT_EQ(seen.size(), 4u);
  for (size_t i = 1; i < order.size(); ++i) EXPECT_NE(order[i], order[i - 1]);
}

TEST(Sequencer, TheItemTimeCountsAcrossTheWrapOfThePlatformTick) {
  ShowHarness h;
  h.clock.now = 0xFFFFFFFFu - 700;
  h.project.Setting.Duration = 2;
  for (const char* name : {"a.bmp", "b.bmp"}) h.AddItem(WriteBmp(h.dir, name, Solid(8, 8, kWhite)));
  TSaverShow& show = h.Start();
  show.AppIdle();
  h.RunFor(1500);  // the platform tick has wrapped
  EXPECT_EQ(show.ItemIndex, 0);
  h.RunFor(600);
  EXPECT_EQ(show.ItemIndex, 1);
}

// Transitions on a 100 x 50 screen from a black to a white picture with "Reveal from left":
// at P percent the first MulDiv(100, P, 100) = P columns show the new picture.
struct TransitionRun {
  std::vector<int> percents;  // white columns of row 0 at each present of the change
};

int WhiteColumns(const Bitmap32& surface) {
  int n = 0;
  while (n < surface.Width() && surface.Pixel(n, 0) == kWhite) ++n;
  return n;
}

TransitionRun RunOneTransition(ShowHarness& h, int32_t transitionTime, uint32_t firstStepMs,
                               const std::string& effects = "8",
                               const std::function<int(const Bitmap32&)>& probe = WhiteColumns) {
  h.window.screen = {100, 50};
  h.project.Setting.Transition = true;
  h.project.Setting.TransitionTime = transitionTime;
  h.project.Setting.TransitionEffects = effects;
  h.project.Setting.Duration = 1;
  h.AddItem(WriteBmp(h.dir, "black.bmp", Solid(100, 50, kBlack)));
  h.AddItem(WriteBmp(h.dir, "white.bmp", Solid(100, 50, kWhite)));
  TSaverShow& show = h.Start();
  show.AppIdle();
  h.clock.now += 1000;
  TransitionRun run;
  bool first = true;
  h.window.onPresent = [&](const Bitmap32& surface, bool) {
    run.percents.push_back(probe(surface));
    if (first) h.clock.now += firstStepMs;  // the cost of the first step
    first = false;
  };
  show.AppIdle();
  h.window.onPresent = nullptr;
  EXPECT_EQ(show.ItemIndex, 1);
  return run;
}

TEST(Sequencer, TheStepCountFollowsTheCostOfTheFirstStep) {
  ShowHarness h;
  const TransitionRun run = RunOneTransition(h, 2000, 49);
  // 0 percent, 40 steps (step time 50 ms), then the frame of the idle call.
  ASSERT_EQ(run.percents.size(), 42u);
  const std::vector<int> start(run.percents.begin(), run.percents.begin() + 6);
  EXPECT_EQ(start, (std::vector<int>{0, 2, 5, 8, 10, 12}));  // 2.5 gives 2, 7.5 gives 8
  EXPECT_EQ(run.percents[40], 100);
  EXPECT_EQ(run.percents[41], 100);
  for (size_t i = 1; i < 41; ++i) EXPECT_GT(run.percents[i], run.percents[i - 1]);
}

TEST(Sequencer, ATransitionTimeOfZeroDrawsOnlyTheFirstStep) {
  ShowHarness h;
  const TransitionRun run = RunOneTransition(h, 0, 5);
  EXPECT_EQ(run.percents, (std::vector<int>{0, 100}));
}

TEST(Sequencer, AFirstStepLongerThanTheTransitionShowsTheItemWithTheNextFrame) {
  ShowHarness h;
  const TransitionRun run = RunOneTransition(h, 300, 400);
  EXPECT_EQ(run.percents, (std::vector<int>{0, 100}));
}

TEST(Sequencer, TheTransitionListSplitsAtCommasAndBlanks) {
  struct Case {
    const char* setting;
    std::vector<std::string> list;
  };
  const Case cases[] = {
      {"3, 5,7", {"3", "5", "7"}},
      {"12 13\t14", {"12", "13", "14"}},
      {"", {"1"}},
      {" , ,", {"1"}},
      {"x,170", {"x", "170"}},
  };
  for (const Case& c : cases) {
    ShowHarness h;
    h.project.Setting.TransitionEffects = c.setting;
    h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(8, 8, kWhite)));
    EXPECT_EQ(h.Start().TransitionList, c.list) << '"' << c.setting << '"';
  }
}

TEST(Sequencer, AnEmptyEffectListUsesEffectOne) {
  // Effect 1 fades: half-way between black and white the pixels are grey, which no reveal
  // or slide would give.
  ShowHarness h;
  const TransitionRun run = RunOneTransition(h, 100, 49, "", [](const Bitmap32& s) {
    const uint32_t p = s.Pixel(70, 40);
    return RedOf(p) == GreenOf(p) && GreenOf(p) == BlueOf(p) ? static_cast<int>(RedOf(p)) : -1;
  });
  EXPECT_EQ(h.show->TransitionList, std::vector<std::string>{"1"});
  ASSERT_EQ(run.percents.size(), 4u);  // 0, 50, 100 percent, then the frame
  EXPECT_EQ(run.percents[0], 0);
  EXPECT_GT(run.percents[1], 100);
  EXPECT_LT(run.percents[1], 155);
  EXPECT_EQ(run.percents[2], 255);
}

TEST(Sequencer, AnEffectThatIsNoEffectNumberSkipsTheTransition) {
  for (const char* effects : {"abc", "0", "170", "-3", "7x"}) {
    SCOPED_TRACE(effects);
    ShowHarness h;
    const TransitionRun run = RunOneTransition(h, 2000, 0, effects);
    // The new item appears at once with the frame of the idle call, and its time starts.
    EXPECT_EQ(run.percents, std::vector<int>{100});
    EXPECT_EQ(h.show->LastChangeTick, h.clock.now);
  }
}

TEST(Sequencer, APortraitScreenScalesTheLongerSideFirst) {
  // 600 x 800 at 50 percent: DoneY 400, DoneX 300. "Reveal from left" (8) shows DoneX
  // columns, "Reveal from top" (25) DoneY rows.
  for (const auto& [effect, expected] : {std::pair{"8", 300}, std::pair{"25", 400}}) {
    ShowHarness h;
    h.window.screen = {600, 800};
    h.project.Setting.Transition = true;
    h.project.Setting.TransitionTime = 100;  // first step 49 ms: two steps, 50 and 100
    h.project.Setting.TransitionEffects = effect;
    h.project.Setting.Duration = 1;
    h.AddItem(WriteBmp(h.dir, "black.bmp", Solid(600, 800, kBlack)));
    h.AddItem(WriteBmp(h.dir, "white.bmp", Solid(600, 800, kWhite)));
    TSaverShow& show = h.Start();
    show.AppIdle();
    h.clock.now += 1000;
    std::vector<int> revealed;
    h.window.onPresent = [&](const Bitmap32& s, bool) {
      if (revealed.empty()) h.clock.now += 49;
      int columns = 0, rows = 0;
      while (columns < s.Width() && s.Pixel(columns, s.Height() - 1) == kWhite) ++columns;
      while (rows < s.Height() && s.Pixel(s.Width() - 1, rows) == kWhite) ++rows;
      revealed.push_back(std::string(effect) == "8" ? columns : rows);
    };
    show.AppIdle();
    ASSERT_EQ(revealed.size(), 4u) << effect;
    EXPECT_EQ(revealed[1], expected) << effect;
  }
}

TEST(Sequencer, WithoutTransitionsAChangeFillsTheWindowBlackFirst) {
  // A smaller picture after a larger one shows no remains of it.
  ShowHarness h;
  h.window.screen = {100, 50};
  h.project.Setting.Duration = 1;
  h.AddItem(WriteBmp(h.dir, "large.bmp", Solid(100, 50, kWhite)));
  h.AddItem(WriteBmp(h.dir, "small.bmp", Solid(20, 10, Rgb(0, 0, 255))));
  TSaverShow& show = h.Start();
  show.AppIdle();
  ASSERT_EQ(h.window.lastSurface->Pixel(0, 0), kWhite);
  h.RunFor(1100);
  ASSERT_EQ(show.ItemIndex, 1);
  EXPECT_EQ(h.window.lastSurface->Pixel(0, 0), kBlack);
  EXPECT_EQ(h.window.lastSurface->Pixel(50, 25), Rgb(0, 0, 255));
}

TEST(Sequencer, TransitionsHandleMessagesAndCloseRequestsWaitForTheirEnd) {
  ShowHarness h;
  h.window.onMessages = [&] { h.show->FormKeyPress(); };
  const TransitionRun run = RunOneTransition(h, 2000, 49);
  EXPECT_EQ(run.percents.size(), 42u);
  EXPECT_GT(h.window.messageCalls, 40);
  EXPECT_GT(h.window.closeRequests, 0);
}

TEST(Sequencer, SceneFramesKeepAFloorOf33Milliseconds) {
  struct Case {
    uint32_t frameCostMs;
    uint32_t expectedSpacingMs;
  };
  for (const Case c : {Case{0, 33}, Case{10, 33}, Case{33, 33}, Case{40, 40}}) {
    ShowHarness h;
    h.AddItem(WriteScene(h.dir, "scene.kxp", ScenePackageOf(Solid(8, 8, kWhite))));
    TSaverShow& show = h.Start();
    show.AppIdle();
    h.window.onPresent = [&](const Bitmap32&, bool) { h.clock.now += c.frameCostMs; };
    const uint32_t start = h.clock.now;
    const int presentsBefore = h.window.presents;
    for (int i = 0; i < 10; ++i) show.AppIdle();
    EXPECT_EQ(h.clock.now - start, 10 * c.expectedSpacingMs) << c.frameCostMs;
    EXPECT_EQ(h.window.presents - presentsBefore, 10) << c.frameCostMs;
  }
}

// A still picture cannot change on the screen: it is presented once, and the show rests
// (here on the fake clock) until the item's time is over instead of presenting it again.
TEST(Pacing, AStillPicturePresentsOnceAndRestsUntilItsTimeIsOver) {
  ShowHarness h;
  h.project.Setting.Duration = 5;
  h.AddItem(WriteBmp(h.dir, "white.bmp", Solid(8, 8, kWhite)));
  h.AddItem(WriteBmp(h.dir, "black.bmp", Solid(8, 8, Rgb(1, 2, 3))));
  TSaverShow& show = h.Start();
  const uint32_t start = h.clock.now;
  int calls = 0;
  while (h.clock.now - start < 4990) {
    show.AppIdle();
    ++calls;
  }
  EXPECT_EQ(h.window.presents, 1) << "the picture was presented again although nothing changed";
  EXPECT_LE(calls, 12) << "the show rests in long stretches, not frame by frame";
  EXPECT_EQ(show.ItemIndex, 0);
  while (h.clock.now - start < 5100) show.AppIdle();
  EXPECT_EQ(show.ItemIndex, 1);
  EXPECT_EQ(h.window.presents, 2) << "the next item is presented once it is due";
}

// Transition steps are paced to the display: with a free first step the step time is one
// refresh interval (60 Hz when the display does not say), each step waits for its turn, and
// the transition still lasts its time.
TEST(Pacing, TransitionStepsComeAtMostOncePerRefreshAndTakeTheirTime) {
  struct Case {
    double refreshHz;
    uint32_t intervalMs;
  };
  for (const Case c : {Case{60, 17}, Case{0, 17}, Case{144, 7}, Case{30, 33}}) {
    ShowHarness h;
    h.window.refreshHz = c.refreshHz;
    std::vector<uint32_t> times;
    const TransitionRun run = RunOneTransition(h, 2000, 0, "8", [&h, &times](const Bitmap32& surface) {
      times.push_back(h.clock.now);
      return WhiteColumns(surface);
    });
    const size_t steps = 2000 / c.intervalMs;  // after the step at 0 percent
    ASSERT_EQ(times.size(), steps + 2) << c.refreshHz;  // and the frame of the idle call
    for (size_t i = 1; i <= steps; ++i) EXPECT_GE(times[i] - times[i - 1], c.intervalMs) << c.refreshHz << " step " << i;
    EXPECT_EQ(times[steps] - times[0], steps * c.intervalMs) << c.refreshHz;
    EXPECT_GE(times[steps] - times[0] + c.intervalMs, 2000u - c.intervalMs) << "the transition keeps its time";
    EXPECT_EQ(run.percents[steps], 100);
  }
}

// Scene sounds.

struct SoundHarness : ShowHarness {
  std::vector<std::pair<uint32_t, std::string>> plays;  // fake time, call

  void StartScene(const std::vector<TSoundSlot>& slots) {
    project.Setting.Sound = true;
    ScenePackage p = ScenePackageOf(Solid(32, 24, Rgb(10, 80, 160)));
    for (size_t i = 0; i < slots.size(); ++i) p.Sounds[i] = slots[i];
    AddItem(WriteScene(dir, "scene.kxp", p));
    Start();
  }
  // Records the voice starts while the show runs for `ms`.
  void Watch(uint32_t ms) {
    const uint32_t end = clock.now + ms;
    while (static_cast<int32_t>(end - clock.now) > 0) {
      const size_t before = audio.Calls.size();
      show->AppIdle();
      for (size_t i = before; i < audio.Calls.size(); ++i)
        if (audio.Calls[i].rfind("PlayVoice", 0) == 0) plays.emplace_back(clock.now, audio.Calls[i]);
    }
  }
};

TEST(SceneSounds, ARandomIntervalSoundRestartsAfterFiveToNineSeconds) {
  SoundHarness h;
  WriteWav(h.dir / "birds.wav");
  const uint32_t loaded = h.clock.now;
  h.StartScene({SoundSlot("C:\\Media\\birds.wav", kSoundRandomInterval, 5, 10)});
  h.Watch(120000);
  ASSERT_GE(h.plays.size(), 12u);
  std::set<uint32_t> gaps;
  uint32_t previous = loaded;
  for (const auto& [time, call] : h.plays) {
    EXPECT_EQ(call, "PlayVoice 0 0 once");
    const uint32_t seconds = (time - previous) / 1000;
    EXPECT_GE(seconds, 5u);
    EXPECT_LE(seconds, 9u);
    gaps.insert(seconds);
    previous = time;
  }
  EXPECT_GT(gaps.size(), 2u);  // the pause is drawn anew each time
}

// Times at the ends of the int32 range: negative times count as 0, so the pause is never
// negative (INT32_MIN made the span overflow and the sound restart every frame).
TEST(SceneSounds, ExtremeIntervalTimesNeverRestartEveryFrame) {
  SoundHarness h;
  WriteWav(h.dir / "birds.wav");
  h.StartScene({SoundSlot("birds.wav", kSoundRandomInterval, INT32_MIN, INT32_MAX)});
  h.Watch(20000);
  EXPECT_LE(h.plays.size(), 1u);
}

TEST(SceneSounds, LoopedSoundsStartOnceAndFixedIntervalsRepeat) {
  SoundHarness h;
  WriteWav(h.dir / "surf.wav");
  WriteWav(h.dir / "bell.wav");
  h.StartScene({SoundSlot("surf.wav", kSoundLooped), SoundSlot("bell.wav", kSoundFixedInterval, 3)});
  h.Watch(10000);
  std::vector<std::string> calls;
  for (const auto& [time, call] : h.plays) calls.push_back(call);
  // The loop starts when the scene is loaded (before the first idle call is watched); the
  // bell every 3 seconds.
  EXPECT_EQ(calls, (std::vector<std::string>{"PlayVoice 1 0 once", "PlayVoice 1 0 once", "PlayVoice 1 0 once"}));
  EXPECT_TRUE(h.audio.Voices[0].Playing);
  EXPECT_TRUE(h.audio.Voices[0].Loop);
}

TEST(SceneSounds, SoundFilesAreLookedUpInFourPlaces) {
  TempDir common, program;
  ASSERT_EQ(::mkdir((common / "sounds").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((program / "sounds").c_str(), 0700), 0);
  SoundHarness h;
  WriteWav(h.dir / "extracted.wav");
  WriteWav(common / "sounds/common.wav");
  WriteWav(program / "sounds/program.wav");
  TempDir elsewhere;
  const std::string stored = WriteWav(elsewhere / "stored.wav");
  h.project.Setting.Sound = true;
  ScenePackage p = ScenePackageOf(Solid(32, 24, Rgb(10, 80, 160)));
  p.Sounds[0] = SoundSlot("missing.wav", kSoundLooped);
  p.Sounds[1] = SoundSlot("D:\\x\\extracted.wav", kSoundLooped);
  p.Sounds[2] = SoundSlot("common.wav", kSoundLooped);
  p.Sounds[3] = SoundSlot("program.wav", kSoundLooped);
  p.Sounds[4] = SoundSlot(stored, kSoundLooped);
  h.AddItem(WriteScene(h.dir, "scene.kxp", p));
  TSaverShow& show = h.Start(h.Environment(common.path(), program.path()));

  EXPECT_EQ(show.ResolveSoundFile("missing.wav"), "");
  const std::array<std::string, 8> expected = {
      "", h.dir / "extracted.wav", common / "sounds/common.wav", program / "sounds/program.wav", stored, "", "", ""};
  EXPECT_EQ(show.Effects->Loaded(), expected);
  // A skipped sound leaves its own voice silent; the others play from theirs.
  EXPECT_FALSE(show.SoundStates[0].Loaded);
  EXPECT_FALSE(h.audio.Voices[0].Playing);
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(h.audio.Voices[static_cast<size_t>(i)].Playing) << i;
}

TEST(SceneSounds, AnUnreadableSoundStaysSilentAndTheShowGoesOn) {
  SoundHarness h;
  WriteText(h.dir / "broken.wav", "RIFF....not a wave");
  h.StartScene({SoundSlot("broken.wav", kSoundFixedInterval, 1)});
  h.Watch(5000);
  EXPECT_TRUE(h.plays.empty());
  EXPECT_FALSE(h.show->SoundStates[0].Loaded);
  EXPECT_GT(h.window.presents, 100);
}

TEST(SceneSounds, APictureEndsTheSoundsOfTheSceneBeforeIt) {
  SoundHarness h;
  h.project.Setting.Duration = 1;
  WriteWav(h.dir / "surf.wav");
  h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(8, 8, kWhite)));
  h.StartScene({SoundSlot("surf.wav", kSoundLooped)});
  // Items: the picture, then the scene.
  h.RunFor(1100);
  ASSERT_FALSE(h.show->IsPicture);
  EXPECT_TRUE(h.audio.Voices[0].Playing);
  h.RunFor(1100);
  ASSERT_TRUE(h.show->IsPicture);
  EXPECT_FALSE(h.audio.Voices[0].Playing);
  EXPECT_TRUE(h.show->Effects->Loaded()[0].empty());
}

}  // namespace
}  // namespace kx::test
