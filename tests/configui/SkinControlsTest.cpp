#include <QTest>

#include "configui/SkinControls.h"
#include "tests/configui/UiSupport.h"

namespace kx {
namespace {

using Face = TMyButton::Face;

SkinImage Solid(int w, int h, QRgb color, bool bitmap = true) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(color);
  return SkinImage(image, bitmap);
}

// A shown parent with one picture button at (10, 10), 80 x 30.
class MyButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent.resize(200, 100);
    button = new TMyButton(&parent);
    button->setGeometry(10, 10, 80, 30);
    button->OnClick = [this] { ++clicks; };
    button->OnMousePressed = [this](QObject* sender) { pressedBy.push_back(sender); };
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  }
  void WithFaces() {
    button->SetButtonUp(Solid(80, 30, qRgb(200, 0, 0)));
    button->SetButtonOver(Solid(80, 30, qRgb(0, 200, 0)));
    button->SetButtonDown(Solid(80, 30, qRgb(0, 0, 200)));
  }
  const QPoint inside{40, 15};
  const QPoint outside{150, 60};  // in the button's coordinates: beyond its right edge
  QWidget parent;
  TMyButton* button = nullptr;
  int clicks = 0;
  std::vector<QObject*> pressedBy;
};

TEST_F(MyButtonTest, PressDragOffAndReleaseOutside) {
  WithFaces();
  QTest::mouseMove(button, inside);
  EXPECT_EQ(button->CurrentFace(), Face::OverPicture);
  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  EXPECT_TRUE(button->Pressed());
  EXPECT_EQ(button->CurrentFace(), Face::DownPicture);
  ASSERT_NE(button->RepeatTimer(), nullptr);
  EXPECT_TRUE(button->RepeatTimer()->isActive());
  EXPECT_EQ(button->RepeatTimer()->interval(), 500);
  EXPECT_EQ(pressedBy, std::vector<QObject*>{button});

  QTest::mouseMove(button, outside);  // drag off: up face, timer stopped
  EXPECT_FALSE(button->MouseInControl());
  EXPECT_EQ(button->CurrentFace(), Face::UpPicture);
  EXPECT_FALSE(button->RepeatTimer()->isActive());

  QTest::mouseMove(button, inside);  // and back on: down again, timer restarted
  EXPECT_EQ(button->CurrentFace(), Face::DownPicture);
  EXPECT_TRUE(button->RepeatTimer()->isActive());

  QTest::mouseMove(button, outside);
  QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(button->CurrentFace(), Face::UpPicture);
  EXPECT_EQ(pressedBy.size(), 1u);

  QTest::mouseClick(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(clicks, 1);
}

TEST_F(MyButtonTest, ARightPressOnlyMarksTheMouseAsOver) {
  WithFaces();
  QTest::mousePress(button, Qt::RightButton, {}, inside);
  EXPECT_TRUE(button->MouseInControl());
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(button->RepeatTimer(), nullptr);
  EXPECT_TRUE(pressedBy.empty());
  QTest::mouseRelease(button, Qt::RightButton, {}, inside);
  EXPECT_EQ(clicks, 0);
}

TEST_F(MyButtonTest, AllowDownTogglesOnEveryLeftReleaseAndLatches) {
  WithFaces();
  button->SetDown(true);  // ignored while AllowDown is off
  EXPECT_FALSE(button->Down());
  button->SetAllowDown(true);
  QTest::mouseClick(button, Qt::LeftButton, {}, inside);
  EXPECT_TRUE(button->Down());
  button->MouseLeave();
  EXPECT_EQ(button->CurrentFace(), Face::DownPicture);  // latched, whatever the mouse does
  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  QTest::mouseMove(button, outside);
  QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
  EXPECT_FALSE(button->Down());  // a release outside toggles too
  EXPECT_EQ(button->CurrentFace(), Face::UpPicture);
  button->SetDown(true);
  button->SetAllowDown(false);
  EXPECT_FALSE(button->Down());
}

TEST_F(MyButtonTest, MissingFacesFallBackToTheStandardOnes) {
  EXPECT_EQ(button->CurrentFace(), Face::StandardFace);
  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(button->CurrentFace(), Face::SunkenEdge);
  QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(button->CurrentFace(), Face::StandardFace);  // over, without pictures

  button->SetButtonUp(Solid(80, 30, qRgb(200, 0, 0)));
  button->MouseEnter();
  EXPECT_EQ(button->CurrentFace(), Face::UpPicture);     // over falls back to up
  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(button->CurrentFace(), Face::UpPicture);     // and so does down
  QTest::mouseRelease(button, Qt::LeftButton, {}, inside);

  button->setEnabled(false);
  EXPECT_EQ(button->CurrentFace(), Face::StandardFace);
  button->SetButtonDisable(Solid(80, 30, qRgb(90, 90, 90)));
  EXPECT_EQ(button->CurrentFace(), Face::DisablePicture);
}

TEST_F(MyButtonTest, AutoSizeTakesTheUpFacesSize) {
  button->SetAutoSize(true);
  EXPECT_EQ(button->size(), QSize(80, 30));  // no up face: the size stays
  button->SetButtonUp(Solid(40, 20, qRgb(1, 2, 3)));
  EXPECT_EQ(button->size(), QSize(40, 20));
  button->SetAutoSize(false);
  button->resize(70, 25);
  button->SetButtonUp(Solid(30, 10, qRgb(1, 2, 3)));
  EXPECT_EQ(button->size(), QSize(70, 25));
}

TEST_F(MyButtonTest, TransparentBitmapsLetTheirBottomLeftColourThrough) {
  parent.setAutoFillBackground(true);
  QPalette palette;
  palette.setColor(QPalette::Window, QColor(255, 255, 0));
  parent.setPalette(palette);
  QImage face(80, 30, QImage::Format_ARGB32);
  face.fill(qRgb(255, 0, 255));
  for (int y = 5; y < 25; ++y)
    for (int x = 10; x < 70; ++x) face.setPixel(x, y, qRgb(0, 0, 200));
  struct Case {
    bool bitmap, transparent;
    QRgb corner;
  } cases[] = {{true, true, qRgb(255, 255, 0)}, {true, false, qRgb(255, 0, 255)}, {false, true, qRgb(255, 0, 255)}};
  for (const auto& c : cases) {
    button->SetButtonUp(SkinImage(face, c.bitmap));
    button->SetTransparent(c.transparent);
    const QImage shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixel(11, 38) & 0xFFFFFF, c.corner & 0xFFFFFF) << c.bitmap << c.transparent;
    EXPECT_EQ(shot.pixel(50, 25) & 0xFFFFFF, qRgb(0, 0, 200) & 0xFFFFFF);
  }
}

TEST_F(MyButtonTest, TheCaptionIsCentredAsItShows) {
  button->SetButtonUp(Solid(80, 30, qRgb(255, 255, 255)));
  button->SetTransparent(false);  // an all-white bitmap would otherwise be all see-through
  button->SetCaption("&Go");
  button->SetShowCaption(true);
  QPalette palette;
  palette.setColor(QPalette::WindowText, Qt::black);
  button->setPalette(palette);
  const QImage shot = button->grab().toImage();
  int left = 80, right = -1;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x)
      if (qGray(shot.pixel(x, y)) < 128) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GE(right, left);
  const int width = QFontMetrics(button->font()).horizontalAdvance("Go");
  EXPECT_NEAR(left, (80 - width) / 2, 2);
  EXPECT_NEAR(right, (80 - width) / 2 + width - 1, 2);
  button->SetShowCaption(false);
  const QImage bare = button->grab().toImage();
  EXPECT_EQ(qGray(bare.pixel((left + right) / 2, 15)), 255);
}

TEST_F(MyButtonTest, HoldingTheButtonRepeatsAfterHalfASecondThenQuickly) {
  WithFaces();
  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  QTest::qWait(300);
  EXPECT_EQ(pressedBy.size(), 1u);
  QTest::qWait(420);
  ASSERT_GE(pressedBy.size(), 3u);  // the press, the tick at 500 ms, at least one at 550 ms
  EXPECT_EQ(pressedBy[1], button->RepeatTimer());
  EXPECT_EQ(button->RepeatTimer()->interval(), 50);
  QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
  const size_t count = pressedBy.size();
  QTest::qWait(120);
  EXPECT_EQ(pressedBy.size(), count);
}

TEST_F(MyButtonTest, TheAcceleratorClicksAnEnabledShowingButton) {
  button->SetCaption("&Preview");
  EXPECT_FALSE(button->DialogChar('x'));
  EXPECT_TRUE(button->DialogChar('p'));
  EXPECT_EQ(clicks, 1);
  button->setEnabled(false);
  EXPECT_FALSE(button->DialogChar('P'));
  button->setEnabled(true);
  button->hide();
  EXPECT_FALSE(button->DialogChar('P'));
  button->show();
  button->SetCaption("Fish && &Chips");
  EXPECT_FALSE(button->DialogChar('&'));
  EXPECT_TRUE(button->DialogChar('c'));
  EXPECT_EQ(clicks, 2);
}

TEST(SkinControls, AMemoGivesItsLinesBackEachEndedByCrLf) {
  TMyMemo memo(nullptr);
  memo.SetText("one\r\ntwo\r\nthree");
  EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\n");
  memo.SetText(memo.Text());
  EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\n");
  memo.SetText("a\nb\rc\r\n\r\n");
  EXPECT_EQ(memo.Text(), "a\r\nb\r\nc\r\n\r\n");
  memo.SetText("");
  EXPECT_EQ(memo.Text(), "");
}

TEST(SkinControls, ShapesAndBevelsTakeClicksAnywhereInTheirBounds) {
  QWidget parent;
  parent.resize(200, 200);
  auto* bevel = new TMyBevel(&parent);
  bevel->setGeometry(0, 0, 100, 20);
  bevel->SetShape(TMyBevel::Kind::TopLine);  // drawn as a line at the top only
  auto* shape = new TMyShape(&parent);
  shape->setGeometry(0, 50, 100, 100);
  shape->SetShape(TShape::Kind::Circle);
  int bevelClicks = 0, shapeClicks = 0, downs = 0, ups = 0;
  bevel->OnClick = [&] { ++bevelClicks; };
  shape->OnClick = [&] { ++shapeClicks; };
  shape->OnMouseDown = [&](Qt::MouseButton, QPoint) { ++downs; };
  shape->OnMouseUp = [&](Qt::MouseButton, QPoint) { ++ups; };
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  QTest::mouseClick(bevel, Qt::LeftButton, {}, QPoint(50, 15));
  QTest::mouseClick(shape, Qt::LeftButton, {}, QPoint(2, 2));  // outside the circle, inside the bounds
  QTest::mouseClick(shape, Qt::RightButton, {}, QPoint(50, 50));
  EXPECT_EQ(bevelClicks, 1);
  EXPECT_EQ(shapeClicks, 1);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(ups, 2);
}

}  // namespace
}  // namespace kx
