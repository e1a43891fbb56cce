// The show in a daemon's window, on a scripted fake window: frames at the window's size, a
// new size taken up between idle calls, the end when the window goes away (also in the middle
// of a transition), and the rule that makes a settings dialog's preview silent.
#include "saver/HackWindow.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "imaging/Resample.h"
#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

constexpr uint32_t kRed = Rgb(220, 20, 20);
constexpr uint32_t kBlue = Rgb(20, 20, 220);

// A daemon window whose events follow a script: `onEvents` runs at every ProcessEvents call
// and may resize the window or make it go away.
class ScriptedDaemonWindow final : public DaemonWindow {
 public:
  int width = 64, height = 48;
  bool gone = false;
  bool resized = false;
  int eventCalls = 0;
  int waits = 0;
  std::vector<Bitmap32> puts;
  std::function<void(ScriptedDaemonWindow&)> onEvents;

  int Width() const override { return width; }
  int Height() const override { return height; }
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  bool Viewable() const override { return !gone; }
  DaemonWindowEvents ProcessEvents() override {
    ++eventCalls;
    if (onEvents) onEvents(*this);
    DaemonWindowEvents events;
    events.resized = resized;
    events.gone = gone;
    resized = false;
    return events;
  }
  FakeClock* clock = nullptr;  // a wait lets this much time pass
  void WaitForEvents(int ms) override {
    ++waits;
    if (clock != nullptr) clock->now += static_cast<uint32_t>(ms);
  }
  void Wake() override {}
  bool Put(const Bitmap32& frame, const ChangedRows* changed) override {
    if (gone) return false;
    puts.push_back(frame);
    changes.push_back(changed != nullptr ? std::optional(changed->Ranges()) : std::nullopt);
    return true;
  }
  // The rows each Put named as changed; nullopt for a whole frame.
  std::vector<std::optional<std::vector<RowRange>>> changes;
  void Resize(int w, int h) {
    width = w;
    height = h;
    resized = true;
  }
};

// True when every pixel of the frame is `colour`.
bool AllOf(const Bitmap32& frame, uint32_t colour) {
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x)
      if ((frame.Pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) return false;
  return !frame.Empty();
}

struct HackHarness : ShowHarness {
  ScriptedDaemonWindow daemon;
  HackHarness() {
    project.Setting.Stretch = true;  // the picture fills whatever size the window has
    daemon.clock = &clock;
  }
  void Run() {
    TKXHackWindow hack(project, daemon, Environment());
    hack.Run();
  }
};

TEST(HackWindow, PresentsAtTheWindowsSizeAndFollowsAResize) {
  HackHarness h;
  h.AddItem(WriteBmp(h.dir, "red.bmp", Solid(20, 10, kRed)));
  h.daemon.onEvents = [&h](ScriptedDaemonWindow& w) {
    if (w.eventCalls == 5) w.Resize(100, 30);
    if (w.eventCalls == 10) w.gone = true;
  };
  h.Run();
  // A still picture: once at the first size, once more at the new one.
  ASSERT_EQ(h.daemon.puts.size(), 2u);
  const Bitmap32& before = h.daemon.puts.front();
  EXPECT_EQ(before.Width(), 64);
  EXPECT_EQ(before.Height(), 48);
  EXPECT_TRUE(AllOf(before, kRed));
  const Bitmap32& after = h.daemon.puts.back();
  EXPECT_EQ(after.Width(), 100);
  EXPECT_EQ(after.Height(), 30);
  EXPECT_TRUE(AllOf(after, kRed)) << "the item is fitted to the new size";
  EXPECT_FALSE(h.window.cursorHidden);
}

TEST(HackWindow, ScaledFramesFillTheWindow) {
  HackHarness h;
  h.project.Setting.DirectX = true;
  h.project.Setting.DirectXQuality = 2;  // rendered at 640 x 480, scaled to the window
  h.AddItem(WriteBmp(h.dir, "blue.bmp", Solid(8, 8, kBlue)));
  h.daemon.onEvents = [](ScriptedDaemonWindow& w) {
    if (w.eventCalls == 4) w.gone = true;
  };
  h.Run();
  ASSERT_FALSE(h.daemon.puts.empty());
  EXPECT_EQ(h.daemon.puts.back().Width(), 64);
  EXPECT_EQ(h.daemon.puts.back().Height(), 48);
  EXPECT_TRUE(AllOf(h.daemon.puts.back(), kBlue));
}

// A scene scaled to the window sends, after its first frame, only the window rows scaled from
// its changed rows: the window, with each put's named rows laid over what it had, always
// shows the engine's frame scaled whole.
TEST(HackWindow, ScaledSceneFramesSendOnlyTheRowsTheyChanged) {
  for (const ItemSize window : {ItemSize{480, 360}, ItemSize{200, 130}}) {
    const std::string name = std::to_string(window.Width) + "x" + std::to_string(window.Height);
    HackHarness h;
    h.daemon.width = window.Width;
    h.daemon.height = window.Height;
    h.project.Setting.DirectX = true;
    h.project.Setting.DirectXQuality = 9;  // the scene's own 320 x 200
    h.project.Setting.ShowClock = true;
    h.AddItem(WriteWaterScene(h.dir, "bay.kxp", 0));
    TKXHackWindow hack(h.project, h.daemon, h.Environment());
    Bitmap32 shown;
    size_t checked = 0, partial = 0;
    h.daemon.onEvents = [&](ScriptedDaemonWindow& w) {
      if (w.puts.size() > checked) {
        checked = w.puts.size();
        const auto& named = w.changes.back();
        if (!named) {
          shown = w.puts.back();
        } else {
          ++partial;
          int rows = 0;
          for (const RowRange& r : *named) {
            rows += r.Count();
            for (int y = r.First; y <= r.Last; ++y) std::memcpy(shown.Row(y), w.puts.back().Row(y), shown.StrideBytes());
          }
          EXPECT_LT(rows, window.Height) << name << ": the water and the clock are not the whole frame";
        }
        const Bitmap32 expected = ResizeNearest(hack.Show().Engine->GetFrame(), window.Width, window.Height);
        EXPECT_EQ(shown, expected) << name << ", put " << checked;
      }
      if (w.eventCalls == 40) w.gone = true;
    };
    hack.Run();
    EXPECT_GT(partial, 20u) << name;
  }
}

TEST(HackWindow, AWindowThatGoesAwayEndsATransitionAtItsNextStep) {
  HackHarness h;
  h.project.Setting.Duration = 1;
  h.project.Setting.Transition = true;
  h.project.Setting.TransitionTime = 60000;  // a minute of steps if nothing stopped it
  h.project.Setting.TransitionEffects = "1";
  h.AddItem(WriteBmp(h.dir, "red.bmp", Solid(20, 10, kRed)));
  h.AddItem(WriteBmp(h.dir, "blue.bmp", Solid(20, 10, kBlue)));
  size_t putsWhenGone = 0;
  h.daemon.onEvents = [&](ScriptedDaemonWindow& w) {
    // Once the transition has drawn a step (a frame of both colours), the window goes.
    if (!w.gone && !w.puts.empty() && !AllOf(w.puts.back(), kRed) && !AllOf(w.puts.back(), kBlue)) {
      w.gone = true;
      putsWhenGone = w.puts.size();
    }
  };
  h.Run();
  ASSERT_GT(putsWhenGone, 0u);
  EXPECT_EQ(h.daemon.puts.size(), putsWhenGone) << "nothing is drawn after the window has gone";
  EXPECT_LT(h.clock.now, 1000u + 60000u) << "the transition did not run to its end";
}

TEST(HackWindow, WithoutItemsItWaitsForTheWindowAndSaysWhy) {
  HackHarness h;
  h.daemon.onEvents = [](ScriptedDaemonWindow& w) {
    if (w.eventCalls == 3) w.gone = true;
  };
  h.Run();
  EXPECT_TRUE(h.daemon.puts.empty());
  EXPECT_GE(h.daemon.waits, 2);
  ASSERT_EQ(h.messages.shown.size(), 1u);
}

TEST(HackWindow, SmallWindowsAreSilentPreviews) {
  struct Case {
    int w, h, screenW, screenH;
    bool small;
  };
  const Case cases[] = {
      {420, 240, 1920, 1080, true},    // a settings dialog's preview
      {1920, 1080, 1920, 1080, false},  // the whole screen
      {959, 539, 1920, 1080, true},
      {960, 539, 1920, 1080, false},    // half the width is not smaller than half
      {420, 1080, 1920, 1080, false},   // narrow but full height
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsSmallPreviewWindow(c.w, c.h, c.screenW, c.screenH), c.small) << c.w << "x" << c.h;
}

}  // namespace
}  // namespace kx::test
