// Objects on their real workers: a scene of 101 moving objects drawn for a few seconds while
// the workers step, paused and resumed between steps, and freed with every worker joined.
// Meant to run under ThreadSanitizer too (-DKX_SANITIZE_THREAD=ON).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "AnimFixtures.h"
#include "ObjectFixtures.h"
#include "anim/AnimEngine.h"
#include "anim/FastRound.h"
#include "anim/ObjectThread.h"
#include "scene/TextCodec.h"

namespace kx {
namespace {

using namespace std::chrono_literals;
using testing::Section;

// Counts what it is asked to draw; used on the render thread only.
class CountingPainter final : public TTextPainter {
 public:
  int32_t LineWidth(const std::string&, int32_t, const std::string& line) override { return 8 * int32_t(line.size()); }
  void DrawLines(Bitmap32&, const std::string&, int32_t, const std::vector<TTextLine>&, uint32_t, int32_t) override {
    ++draws;
  }
  int draws = 0;
};

TEST(ObjectThread, StartsPausedStepsWhenResumedAndEndsWhenFreed) {
  const int before = TObjectThread::LiveWorkers();
  std::atomic<int> steps{0};
  {
    TObjectThread worker([&] { ++steps; });
    EXPECT_EQ(TObjectThread::LiveWorkers(), before + 1);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(steps.load(), 0);
    EXPECT_TRUE(worker.Paused());
    worker.Resume();
    for (int i = 0; i < 200 && steps.load() < 5; ++i) std::this_thread::sleep_for(5ms);
    EXPECT_GE(steps.load(), 5);
    worker.Pause();
    EXPECT_EQ(worker.StepsBegun(), worker.StepsDone());
    const int paused = steps.load();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(steps.load(), paused);
    worker.Resume();  // freed while running
  }
  EXPECT_EQ(TObjectThread::LiveWorkers(), before);
}

TEST(ObjectThread, AStepIsNeverCutByAPause) {
  // A slow step: Pause must wait for it.
  std::atomic<bool> inside{false};
  TObjectThread worker([&] {
    inside = true;
    std::this_thread::sleep_for(3ms);
    inside = false;
  });
  worker.Resume();
  for (int i = 0; i < 50; ++i) {
    std::this_thread::sleep_for(1ms);
    worker.Pause();
    ASSERT_FALSE(inside.load());
    ASSERT_EQ(worker.StepsBegun(), worker.StepsDone());
    worker.Resume();
  }
}

TEST(ObjectThreads, AHundredAndOneObjectsMoveWhileFramesAreDrawn) {
  test::TempDir dir;
  Bitmap32 soft(12, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) soft.SetPixel(x, y, Argb(20 * std::min({x, y, 11 - x, 11 - y}) + 30, 200, 180, 60));
  testing::WritePng(dir / "soft.png", soft);
  const std::vector<uint32_t> palette = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};
  testing::WriteGif(dir / "anim.gif", 6, 6, palette,
                    {testing::IndexedFrame(0, 0, 6, 6, std::vector<uint8_t>(36, 1), 2, 0),
                     testing::IndexedFrame(0, 0, 6, 6, std::vector<uint8_t>(36, 2), 3, 0),
                     testing::IndexedFrame(1, 1, 4, 4, std::vector<uint8_t>(16, 3), 2, 0, kGifDisposeBackground)});

  std::string list;
  for (int i = 0; i <= 100; ++i) {
    testing::Keys keys = {{"Motion", std::to_string(1 + i % 9)}, {"MotionSpeed", std::to_string(20 + i)},
                          {"DisplayDurationType", std::to_string(i % 3)}, {"DisplayDurationSec", "1"},
                          {"RedisplayDelay", "0"}, {"AppearEffect", "1"}, {"AppearEffectDur", "1"},
                          {"DisappearEffect", std::to_string(i % 2)}, {"DisappearEffectDur", "1"},
                          {"DirFlip", "1"}, {"RestrictArea", std::to_string(i % 2)}, {"PosLeft", std::to_string(3 * i)},
                          {"PosTop", std::to_string(2 * i)}};
    if (i % 3 == 0) {
      keys.push_back({"ObjType", "TXT"});
      keys.push_back({"Text", EncodeObjectText("object " + std::to_string(i))});
    } else {
      keys.push_back({"ObjType", i % 3 == 1 ? "IMG" : "GIF"});
      keys.push_back({"Filename", dir / (i % 3 == 1 ? "soft.png" : "anim.gif")});
    }
    list += Section(i, keys);
  }

  const int before = TObjectThread::LiveWorkers();
  CountingPainter painter;
  TProject project;
  testing::MakeScene(project, 320, 240);
  TAnimObjects objects(TObjectServices{&DefaultClock(), &painter, "", true});
  objects.LoadFromText(list);
  ASSERT_EQ(objects.Count(), 101);
  EXPECT_EQ(TObjectThread::LiveWorkers(), before + 101);

  TAnimEngine engine(DefaultClock());
  engine.SetProject(project, &objects);
  engine.SetWeather(false);
  engine.Start();

  // Every snapshot is one step's state: its screen position is the one its design position
  // gives (the frame has the design size, so the scale is 1).
  auto checkSnapshots = [&] {
    for (int i = 0; i < objects.Count(); ++i) {
      const TAnimObject& o = objects.Item(i);
      const TObjectSnapshot s = o.Snapshot();
      ASSERT_EQ(s.ScreenLeft, RoundEven(s.X - o.ObjWidth / 2.0)) << i;
      ASSERT_EQ(s.ScreenTop, RoundEven(s.Y - o.ObjHeight / 2.0)) << i;
      ASSERT_EQ(s.DrawRect.Left, s.ScreenLeft);
      ASSERT_GE(s.Alpha, 0);
      ASSERT_LE(s.Alpha, 255);
    }
  };
  const auto until = std::chrono::steady_clock::now() + 2500ms;
  int frames = 0;
  while (std::chrono::steady_clock::now() < until) {
    engine.RenderFrame();
    checkSnapshots();
    ++frames;
    std::this_thread::sleep_for(2ms);
  }
  EXPECT_GT(frames, 20);
  EXPECT_GT(painter.draws, 0);
  uint64_t stepped = 0;
  for (int i = 0; i < objects.Count(); ++i) stepped += objects.Item(i).Worker()->StepsDone();
  EXPECT_GT(stepped, 101u * 20);

  // Paused between two steps: nothing steps until the objects go on.
  for (int i = 0; i < objects.Count(); ++i) objects.Item(i).Stop();
  std::vector<uint64_t> done;
  for (int i = 0; i < objects.Count(); ++i) {
    const TObjectThread& w = *objects.Item(i).Worker();
    EXPECT_EQ(w.StepsBegun(), w.StepsDone()) << i;
    done.push_back(w.StepsDone());
  }
  for (int f = 0; f < 5; ++f) engine.RenderFrame();
  std::this_thread::sleep_for(40ms);
  for (int i = 0; i < objects.Count(); ++i) EXPECT_EQ(objects.Item(i).Worker()->StepsDone(), done[size_t(i)]) << i;
  for (int i = 0; i < objects.Count(); ++i) objects.Item(i).Resume();
  for (int f = 0; f < 20; ++f) {
    engine.RenderFrame();
    std::this_thread::sleep_for(5ms);
  }
  std::this_thread::sleep_for(100ms);
  for (int i = 0; i < objects.Count(); ++i) EXPECT_GT(objects.Item(i).Worker()->StepsDone(), done[size_t(i)]) << i;

  // Freeing the scene's objects ends and joins every worker; a new scene starts afresh.
  objects.Clear();
  EXPECT_EQ(TObjectThread::LiveWorkers(), before);
  objects.LoadFromText(list);
  engine.SetProject(project, &objects);
  engine.Start();
  engine.RenderFrame();
  objects.Clear();
  EXPECT_EQ(TObjectThread::LiveWorkers(), before);
}

}  // namespace
}  // namespace kx
