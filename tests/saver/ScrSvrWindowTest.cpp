// The saver window on Qt's offscreen platform with two screens: the input rules through
// Qt's test events, the cursor, the blanked second screen, what the window paints, the
// deferred close and the music report from the mixer's thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <thread>

#include "saver/qt/ScrSvrWindow.h"
#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

constexpr uint32_t kRed = Rgb(220, 20, 20);

// One application for the whole binary, on two offscreen screens side by side.
class QtApp : public ::testing::Environment {
 public:
  void SetUp() override {
    WriteText(config_ / "screens.json",
              R"({"windowFrameMargins": false, "screens": [)"
              R"({"name": "main", "x": 0, "y": 0, "width": 320, "height": 240},)"
              R"({"name": "side", "x": 320, "y": 0, "width": 200, "height": 150}]})");
    platform_ = "offscreen:configfile=" + (config_ / "screens.json");
    args_ = {const_cast<char*>("test_saver_window"), const_cast<char*>("-platform"), platform_.data(), nullptr};
    argc_ = 3;
    app_ = std::make_unique<QApplication>(argc_, args_.data());
  }
  void TearDown() override { app_.reset(); }

 private:
  TempDir config_;
  std::string platform_;
  std::vector<char*> args_;
  int argc_ = 0;
  std::unique_ptr<QApplication> app_;
};
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new QtApp);

// A window showing one small red picture (and, when asked, a second one after a second).
struct WindowHarness {
  FakeClock clock;
  RecordingAudioService audio;
  RecordingMessageBox messages;
  TempDir dir;
  TKXCProject project;
  std::unique_ptr<TKXfmScrSvr> window;

  explicit WindowHarness(int items = 1) {
    TKXCSetting& s = project.Setting;
    s.Music = false;
    s.Sound = false;
    s.Stretch = false;
    s.ShowImageMode = 1;
    s.Duration = 1;
    s.Transition = true;
    s.TransitionTime = 60;
    s.TransitionEffects = "8";
    const uint32_t colours[] = {kRed, Rgb(20, 20, 220)};
    for (int i = 0; i < items; ++i) {
      const std::string name = "item" + std::to_string(i) + ".bmp";
      project.FileList.Names.push_back(WriteBmp(dir, name, Solid(100, 80, colours[i % 2])));
      project.FileList.Flags.push_back("TRUE");
    }
  }
  TKXfmScrSvr& Open() {
    SaverEnvironment env;
    env.clock = &clock;
    env.audio = &audio;
    env.messages = &messages;
    env.extractionFolder = dir.path();
    window = std::make_unique<TKXfmScrSvr>(project, env);
    window->Open();
    Process();
    return *window;
  }
  void Process() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  QWindow* Handle() { return window->windowHandle(); }
};

struct InputCase {
  const char* name;
  std::function<void(WindowHarness&)> input;
  bool closes;
};

void Moves(WindowHarness& h, int count, int startX, int stepX, int stepY) {
  for (int i = 0; i < count; ++i) {
    QTest::mouseMove(h.Handle(), QPoint(startX + i * stepX, 50 + i * stepY));
    h.Process();
  }
}

void Key(WindowHarness& h, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(h.window.get(), key, modifiers);
  h.Process();
}

TEST(SaverWindow, InputRules) {
  const InputCase cases[] = {
      {"five moves are ignored, however far", [](WindowHarness& h) { Moves(h, 5, 0, 60, 40); }, false},
      {"a jump of 3 pixels after them closes",
       [](WindowHarness& h) {
         Moves(h, 6, 10, 1, 0);  // ends at (15, 50); Qt drops moves that go nowhere
         QTest::mouseMove(h.Handle(), QPoint(18, 50));
         h.Process();
       },
       true},
      {"2-pixel steps never close", [](WindowHarness& h) { Moves(h, 60, 10, 2, 2); }, false},
      {"a click closes", [](WindowHarness& h) { QTest::mouseClick(h.Handle(), Qt::LeftButton, {}, QPoint(5, 5)); },
       true},
      {"F1 does not close", [](WindowHarness& h) { Key(h, Qt::Key_F1); }, false},
      {"A closes", [](WindowHarness& h) { Key(h, Qt::Key_A); }, true},
      {"arrows and Shift do not close",
       [](WindowHarness& h) {
         for (Qt::Key k : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Shift, Qt::Key_Control,
                           Qt::Key_F5, Qt::Key_Delete})
           Key(h, k);
       },
       false},
      {"Escape closes", [](WindowHarness& h) { Key(h, Qt::Key_Escape); }, true},
      {"Enter closes", [](WindowHarness& h) { Key(h, Qt::Key_Return); }, true},
      {"Backspace closes", [](WindowHarness& h) { Key(h, Qt::Key_Backspace); }, true},
      {"a digit closes", [](WindowHarness& h) { Key(h, Qt::Key_7); }, true},
      {"a key on the blanked screen closes",
       [](WindowHarness& h) {
         QTest::keyClick(h.window->BlankScreens().at(0).get(), Qt::Key_Space);
         h.Process();
       },
       true},
  };
  for (const InputCase& c : cases) {
    WindowHarness h;
    TKXfmScrSvr& window = h.Open();
    ASSERT_TRUE(window.isVisible()) << c.name;
    c.input(h);
    EXPECT_EQ(window.Closed(), c.closes) << c.name;
    EXPECT_EQ(window.isVisible(), !c.closes) << c.name;
    window.close();
  }
}

TEST(SaverWindow, CoversThePrimaryScreenBlanksTheOtherAndHidesTheCursor) {
  WindowHarness h;
  TKXfmScrSvr& window = h.Open();
  QScreen* primary = QGuiApplication::primaryScreen();
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  EXPECT_EQ(window.geometry(), primary->geometry());
  ASSERT_EQ(window.BlankScreens().size(), 1u);
  QWidget& blank = *window.BlankScreens()[0];
  EXPECT_TRUE(blank.isVisible());
  EXPECT_EQ(blank.geometry(), QRect(320, 0, 200, 150));
  EXPECT_EQ(blank.grab().toImage().pixel(100, 70), qRgb(0, 0, 0));
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);

  window.close();
  EXPECT_TRUE(window.Closed());
  EXPECT_FALSE(blank.isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(SaverWindow, AnEmptyPlaylistKeepsTheCursorAndStillCloses) {
  WindowHarness h(0);
  h.project.FileList.Names = {"x.bmp"};
  h.project.FileList.Flags = {"FALSE"};
  TKXfmScrSvr& window = h.Open();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.shown[0].text, "Unable to run screensaver.\r\nPlease configure!");
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window.grab().toImage().pixel(160, 120), qRgb(0, 0, 0));
  Key(h, Qt::Key_Q);
  EXPECT_TRUE(window.Closed());
}

TEST(SaverWindow, PaintsTheFrameAtItsOffsetWithBlackAround) {
  WindowHarness h;
  TKXfmScrSvr& window = h.Open();
  for (int i = 0; i < 5; ++i) h.Process();  // idle calls
  const QImage shown = window.grab().toImage();
  // 100 x 80 on 320 x 240: at (110, 80).
  EXPECT_EQ(shown.pixel(110, 80), qRgb(220, 20, 20));
  EXPECT_EQ(shown.pixel(209, 159), qRgb(220, 20, 20));
  EXPECT_EQ(shown.pixel(109, 80), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(210, 160), qRgb(0, 0, 0));
  window.close();
}

TEST(SaverWindow, ScaledPresentationFillsTheWholeWindow) {
  WindowHarness h;
  h.project.Setting.DirectX = true;
  h.project.Setting.DirectXQuality = 2;
  TKXfmScrSvr& window = h.Open();
  for (int i = 0; i < 5; ++i) h.Process();
  const QImage shown = window.grab().toImage();
  EXPECT_EQ(shown.pixel(0, 0), qRgb(220, 20, 20));
  EXPECT_EQ(shown.pixel(319, 239), qRgb(220, 20, 20));
  window.close();
}

// A scene repaints only the rows its frames changed: what the display holds after many
// frames must be what painting the last frame whole gives, with no trace of earlier frames
// (the clock's moving hands, the water), at the scene's own place and scaled either way.
TEST(SaverWindow, PartialRepaintsLeaveWhatAWholePaintGives) {
  struct Case {
    const char* name;
    bool directX;
    int quality;  // 2: rendered at 640 x 480 and scaled down; 9: at 320 x 200 and scaled up
  };
  const Case cases[] = {{"unscaled, centred", false, 0}, {"scaled down", true, 2}, {"scaled up", true, 9}};
  for (const Case& c : cases) {
    WindowHarness h(0);
    h.project.Setting.DirectX = c.directX;
    h.project.Setting.DirectXQuality = c.quality;
    h.project.Setting.Duration = 60;
    h.project.Setting.ShowClock = true;
    h.project.Setting.ClockPos = 0;
    h.project.FileList.Names.push_back(WriteWaterScene(h.dir, "bay.kxp", 0));
    h.project.FileList.Flags.push_back("TRUE");
    TKXfmScrSvr& window = h.Open();
    for (int i = 0; i < 40; ++i) {
      h.clock.now += 500;  // the clock's second hand moves every frame
      h.Process();
    }
    const Bitmap32& frame = window.Show().Engine->GetFrame();
    const QImage frameImage(reinterpret_cast<const uchar*>(frame.Data()), frame.Width(), frame.Height(),
                            static_cast<qsizetype>(frame.StrideBytes()), QImage::Format_RGB32);
    QImage expected(window.size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    {
      QPainter painter(&expected);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      if (c.directX) {
        painter.drawImage(expected.rect(), frameImage);
      } else {
        painter.drawImage((window.width() - frame.Width()) / 2, (window.height() - frame.Height()) / 2, frameImage);
      }
    }
    const QImage shown =
        window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), expected.size()) << c.name;
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) differing += shown.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0) << c.name;
    window.close();
  }
}

TEST(SaverWindow, AKeyDuringATransitionClosesTheWindowAfterTheTransition) {
  WindowHarness h(2);
  TKXfmScrSvr& window = h.Open();
  for (int i = 0; i < 5; ++i) h.Process();
  // The next paint starts the transition (the item's second is over): the key then arrives
  // while it runs, through the messages it handles between its steps.
  int paints = 0;
  struct PaintWatch : QObject {
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint && onPaint) onPaint();
      return false;
    }
  } watch;
  bool posted = false;
  watch.onPaint = [&] {
    ++paints;
    if (posted) return;
    posted = true;
    QCoreApplication::postEvent(h.window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  };
  window.installEventFilter(&watch);
  h.clock.now += 1000;
  // The picture on the screen cannot change, so the window rests (on the real clock, up to a
  // second) before its next idle call starts the transition.
  for (int i = 0; i < 60 && !window.Closed(); ++i) QTest::qWait(50);
  EXPECT_TRUE(window.Closed());
  // The whole transition was drawn: the 0 percent step, one step per refresh of the 60 ms
  // (the first step cost nothing; 60 Hz gives 17 ms steps, so 3), and the frame of that idle
  // call.
  EXPECT_GE(paints, 5);
  window.removeEventFilter(&watch);
}

TEST(SaverWindow, TheEndOfAMusicFileReachesTheWindowThreadAndTheNextOneStarts) {
  WindowHarness h;
  h.project.Setting.Music = true;
  h.project.Setting.MusicFile = "one.ogg;two.ogg";
  h.project.Setting.MusicMode = 1;
  TKXfmScrSvr& window = h.Open();
  ASSERT_EQ(h.audio.MusicFile, h.dir / "one.ogg");
  h.audio.MusicLength = 500;
  h.audio.MusicPosition = 500;
  std::thread mixer([&] { h.audio.FinishMusicFromThisThread(); });
  mixer.join();
  h.Process();
  EXPECT_EQ(h.audio.MusicFile, h.dir / "two.ogg");
  EXPECT_TRUE(h.audio.MusicPlaying);
  window.close();
  EXPECT_EQ(h.audio.MusicFile, "");
}

TEST(SaverWindow, KeysThatProduceCharacters) {
  const std::tuple<int, QString, bool> cases[] = {
      {Qt::Key_A, "a", true},          {Qt::Key_Escape, "\x1b", true}, {Qt::Key_Return, "\r", true},
      {Qt::Key_Backspace, "\b", true}, {Qt::Key_Space, " ", true},     {Qt::Key_Period, ".", true},
      {Qt::Key_C, "\x03", true},       {Qt::Key_F1, "", false},        {Qt::Key_Left, "", false},
      {Qt::Key_Shift, "", false},      {Qt::Key_Delete, "\x7f", false}, {Qt::Key_Alt, "", false},
  };
  for (const auto& [key, text, produces] : cases)
    EXPECT_EQ(KeyProducesCharacter(key, text), produces) << key;
}

}  // namespace
}  // namespace kx::test
