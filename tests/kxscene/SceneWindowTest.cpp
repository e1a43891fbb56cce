// The scene maker's window driven with Qt's test events on the offscreen platform: strokes
// and fills on the canvas change exactly the pixels they should, undo takes them back, a
// control's change reaches the preview's engine, and save then open restores the scene.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSpinBox>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

#include "imaging/PictureCodec.h"
#include "kxscene/MaskCanvas.h"
#include "kxscene/PreviewView.h"
#include "kxscene/SceneWindow.h"
#include "kxscene/SettingsPanels.h"
#include "scene/WaterMask.h"
#include "tests/kxscene/ExpectedMask.h"
#include "tests/support/TestSupport.h"

namespace kx::kxscene {
namespace {

using test::TempDir;

// One offscreen application for the whole program, gone before the program's exit handlers
// run (a static one would be destroyed after Qt's own statics and crash the exit).
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[20] = "test_kxscene_window";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};
const auto* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

std::string WritePhoto(const TempDir& dir) {
  Bitmap32 photo(200, 150);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) photo.SetPixel(x, y, y < 80 ? Rgb(60, 120 + x % 40, 40) : Rgb(30, 70, 190));
  std::vector<uint8_t> png;
  std::string error;
  EXPECT_TRUE(EncodePng(photo, png, error));
  EXPECT_TRUE(WriteWholeFile(dir / "lake.png", png, error));
  return dir / "lake.png";
}

class SceneWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<SceneWindow>();
    window->resize(1200, 700);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(window->OpenFile(QString::fromStdString(WritePhoto(dir))));
  }
  void TearDown() override {
    // The scene is thrown away: no question on closing.
    window->Document().Save(dir / "discard.kxp", error);
    window.reset();
  }
  MaskCanvas& canvas() { return window->Canvas(); }
  QPoint At(double x, double y) { return canvas().ToWidget({x, y}).toPoint(); }

  TempDir dir;
  std::string error;
  std::unique_ptr<SceneWindow> window;
};

TEST_F(SceneWindowTest, BrushStrokeAndBelowTheLineFillWriteExactlyTheirPixelsAndUndoTakesThemBack) {
  const Bitmap32 empty = window->Document().Mask();
  window->SelectTool(static_cast<int>(MaskTool::Brush));
  window->SelectRegion(2);
  window->SetBrushRadius(6);
  const QPoint a = At(40, 30), b = At(90, 50);
  QTest::mousePress(&canvas(), Qt::LeftButton, {}, a);
  QTest::mouseMove(&canvas(), b);
  QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, b);
  // The stroke as the test computes it: every pixel centre within the radius of the
  // segment between the two picture points the mouse positions stand for.
  const MaskPoint pa = canvas().ToPicture(a), pb = canvas().ToPicture(b);
  const Bitmap32 stroke = Expected(empty, 2, [&](double x, double y) {
    const double dx = pb.x - pa.x, dy = pb.y - pa.y;
    const double t = std::clamp(((x - pa.x) * dx + (y - pa.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(pa.x + t * dx - x, pa.y + t * dy - y) <= 6;
  });
  EXPECT_EQ(window->Document().Mask(), stroke);

  window->SelectTool(static_cast<int>(MaskTool::BelowLine));
  window->SelectRegion(1);
  const QPoint c = At(0, 100), d = At(199, 110);
  QTest::mousePress(&canvas(), Qt::LeftButton, {}, c);
  QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, d);
  const MaskPoint pc = canvas().ToPicture(c), pd = canvas().ToPicture(d);
  const Bitmap32 filled =
      Expected(stroke, 1, [&](double x, double y) { return y > pc.y + (x - pc.x) * (pd.y - pc.y) / (pd.x - pc.x); });
  EXPECT_EQ(window->Document().Mask(), filled);
  // The preview plays the same mask.
  EXPECT_EQ(*window->Player().Project().WaterMask, filled);

  window->Undo();
  EXPECT_EQ(window->Document().Mask(), stroke);
  window->Undo();
  EXPECT_EQ(window->Document().Mask(), empty);
  EXPECT_EQ(*window->Player().Project().WaterMask, empty);
  window->Redo();
  EXPECT_EQ(window->Document().Mask(), stroke);
}

TEST_F(SceneWindowTest, AnAmplitudeChangeReachesThePreviewEngineAtOnce) {
  window->SelectRegion(3);
  QSpinBox* amplitude = window->Panels().AmplitudeBox();
  amplitude->setFocus();
  amplitude->selectAll();
  QTest::keyClicks(amplitude, "23");
  EXPECT_EQ(window->Document().Settings().waves[2].Amplitude, 23);
  ASSERT_NE(window->Player().Engine().WaveParams[2], nullptr);
  EXPECT_EQ(window->Player().Engine().WaveParams[2]->Amplitude, 23);
  EXPECT_EQ(window->Player().Engine().WaveParams[0]->Amplitude, 6);
  window->Undo();
  EXPECT_EQ(window->Player().Engine().WaveParams[2]->Amplitude, 2) << "undo goes back one edit: 2 was typed first";
  EXPECT_EQ(amplitude->value(), 2);
  // The preview keeps drawing frames.
  const long shown = window->Preview().FramesShown();
  QTest::qWait(200);
  EXPECT_GT(window->Preview().FramesShown(), shown);
}

TEST_F(SceneWindowTest, SaveThenOpenRestoresMaskAndSettings) {
  window->SelectTool(static_cast<int>(MaskTool::FillSimilar));
  window->SelectRegion(4);
  window->SetTolerance(10);
  QTest::mouseClick(&canvas(), Qt::LeftButton, {}, At(100, 120));
  // The blue lake below row 80; the stored JPEG blurs the shore row itself.
  const int64_t lake = CountRegions(window->Document().Mask())[4];
  EXPECT_GE(lake, 200 * 69);
  EXPECT_LE(lake, 200 * 70);
  window->SelectRegion(4);
  window->Panels().AmplitudeBox()->setValue(17);
  const std::string path = dir / "saved.kxp";
  ASSERT_TRUE(window->SaveTo(QString::fromStdString(path)));
  SceneWindow other;
  ASSERT_TRUE(other.OpenFile(QString::fromStdString(path)));
  EXPECT_EQ(other.Document().Mask(), window->Document().Mask());
  EXPECT_EQ(other.Document().Settings(), window->Document().Settings());
  other.SelectRegion(4);
  EXPECT_EQ(other.Panels().AmplitudeBox()->value(), 17);
  EXPECT_EQ(other.Player().Engine().WaveParams[3]->Amplitude, 17);
}

}  // namespace
}  // namespace kx::kxscene
