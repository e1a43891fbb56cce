// How a scene's frames reach the window: a frame that fills the display is handed over as it
// is, each frame after the first names the rows that changed (and every other row is as the
// window last had it), and the picture on the display stays readable, for a redraw and for
// the next transition, once the scene that drew it has moved on or gone.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

struct Presented {
  Bitmap32 surface;
  std::optional<std::vector<RowRange>> changed;
  bool engineFrame;  // the engine's own frame, not a copy
};

struct Way {
  const char* name;
  bool directX;
  ItemSize screen;
  bool whole;  // the frame fills the display surface
};

TEST(Presentation, SceneFramesNameTheirChangedRowsAndTheRestIsAsBefore) {
  const Way ways[] = {
      {"scaled", true, {1280, 1024}, true},
      {"unscaled at the screen's size", false, {320, 200}, true},
      {"unscaled and centred", false, {400, 300}, false},
  };
  for (const Way& way : ways) {
    ShowHarness h;
    h.window.screen = way.screen;
    h.project.Setting.DirectX = way.directX;
    h.project.Setting.DirectXQuality = 9;  // the scene keeps its own size
    h.project.Setting.ShowClock = true;
    h.project.Setting.ClockPos = 0;
    h.AddItem(WriteWaterScene(h.dir, "bay.kxp", 0));
    std::vector<Presented> shown;
    TSaverShow* show = nullptr;
    h.window.onPresent = [&](const Bitmap32& surface, bool) {
      shown.push_back({surface, h.window.lastChanged, show->Engine && &surface == &show->Engine->GetFrame()});
    };
    show = &h.Start();
    h.RunFor(600);
    ASSERT_GE(shown.size(), 10u) << way.name;
    const int height = shown.back().surface.Height();
    for (size_t i = 1; i < shown.size(); ++i) {
      const Presented& before = shown[i - 1];
      const Presented& now = shown[i];
      EXPECT_EQ(now.engineFrame, way.whole) << way.name << ", frame " << i;
      ASSERT_TRUE(now.changed.has_value()) << way.name << ", frame " << i << " was sent whole";
      int named = 0;
      std::vector<bool> changed(static_cast<size_t>(height), false);
      for (const RowRange& r : *now.changed) {
        named += r.Count();
        for (int y = r.First; y <= r.Last; ++y) changed[static_cast<size_t>(y)] = true;
      }
      EXPECT_LT(named, height * 3 / 4) << way.name << ": the water and the clock are not the whole frame";
      for (int y = 0; y < height; ++y) {
        if (changed[static_cast<size_t>(y)]) continue;
        for (int x = 0; x < now.surface.Width(); ++x)
          ASSERT_EQ(now.surface.Pixel(x, y), before.surface.Pixel(x, y))
              << way.name << ", frame " << i << ": row " << y << " changed but was not named";
      }
    }
  }
}

// The frame on the display belonged to the scene: when the show closes, the window is left
// holding a copy, and a scene that follows with a transition starts it from the frame that
// was shown, not from what the next scene drew into the same bitmap.
TEST(Presentation, TheShownFrameOutlivesTheSceneThatDrewIt) {
  for (const bool directX : {true, false}) {
    const char* way = directX ? "scaled" : "unscaled";
    ShowHarness h;
    h.window.screen = {320, 200};
    h.project.Setting.DirectX = directX;
    h.project.Setting.DirectXQuality = 9;
    h.project.Setting.Duration = 1;
    h.project.Setting.Transition = true;
    h.project.Setting.TransitionTime = 200;
    h.project.Setting.TransitionEffects = "1";
    h.AddItem(WriteWaterScene(h.dir, "first.kxp", 0));
    h.AddItem(WriteWaterScene(h.dir, "second.kxp", 0x00FF00FF));
    Bitmap32 last;
    bool transitionSeen = false;
    TSaverShow* show = nullptr;
    h.window.onPresent = [&](const Bitmap32& surface, bool) {
      if (&surface == &show->WorkFrame) {
        if (!transitionSeen) {
          EXPECT_EQ(show->OldFrame, last) << way << ": the transition's old picture";
        }
        transitionSeen = true;
      } else if (!transitionSeen) {
        last = surface;
      }
    };
    show = &h.Start();
    h.RunFor(1500);
    EXPECT_TRUE(transitionSeen) << way;

    h.window.onPresent = [&](const Bitmap32& surface, bool) { last = surface; };
    h.RunFor(100);
    h.show->FormClose();
    ASSERT_NE(h.window.lastSurface, nullptr);
    EXPECT_EQ(*h.window.lastSurface, last) << way << ": what the window may draw again after the show";
  }
}

}  // namespace
}  // namespace kx::test
