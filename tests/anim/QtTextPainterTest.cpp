// The text painter on QtGui: fonts found through fontconfig, colour and alpha of the drawn
// text, and lines placed where the layout puts them.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <memory>

#include "ObjectFixtures.h"
#include "anim/TextObject.h"
#include "anim/qt/QtTextPainter.h"
#include "scene/TextCodec.h"

namespace kx {
namespace {

class QtTextPainterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { app_ = StartOffscreenGui().release(); }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

  // The bounding box of the pixels that differ from `background`; count of them.
  static int Changed(const Bitmap32& frame, uint32_t background, TRect& box) {
    int n = 0;
    box = {frame.Width(), frame.Height(), 0, 0};
    for (int y = 0; y < frame.Height(); ++y) {
      for (int x = 0; x < frame.Width(); ++x) {
        if (frame.Pixel(x, y) == background) continue;
        ++n;
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
    }
    return n;
  }

  static QGuiApplication* app_;
  TQtTextPainter painter_;
};

QGuiApplication* QtTextPainterTest::app_ = nullptr;

TEST_F(QtTextPainterTest, ArialIsFoundAndWiderTextMeasuresWider) {
  // fontconfig stands Liberation Sans in for Arial.
  EXPECT_EQ(QFontInfo(QFont("Arial")).family().toStdString(), "Liberation Sans");
  const int narrow = painter_.LineWidth("Arial", 27, "iii");
  const int wide = painter_.LineWidth("Arial", 27, "WWW");
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, narrow);
  EXPECT_GT(painter_.LineWidth("Arial", 54, "WWW"), wide * 3 / 2);
  EXPECT_EQ(painter_.LineWidth("Arial", 0, "WWW"), 0);
}

TEST_F(QtTextPainterTest, DrawsTheColourBlendedWithTheAlpha) {
  const uint32_t black = Rgb(0, 0, 0);
  for (const int alpha : {255, 128}) {
    Bitmap32 frame(200, 80, black);
    painter_.DrawLines(frame, "Arial", 48, {{"HHH", 10, 10}}, 0xFFCC33, alpha);
    uint32_t brightest = 0;
    bool between = true;
    for (size_t i = 0; i < frame.PixelCount(); ++i) {
      const uint32_t p = frame.Data()[i];
      if (RedOf(p) > RedOf(brightest)) brightest = p;
      // Every pixel is a mix of the text colour and black: green follows red at 204 / 255.
      between &= std::abs(int(GreenOf(p)) - int(RedOf(p)) * 204 / 255) <= 2;
      between &= AlphaOf(p) == 255;
    }
    EXPECT_TRUE(between) << alpha;
    if (alpha == 255) {
      EXPECT_EQ(brightest, Rgb(255, 204, 51));  // the stems of the H are solid
    } else {
      EXPECT_NEAR(int(RedOf(brightest)), 128, 2);
      EXPECT_NEAR(int(GreenOf(brightest)), 102, 2);
    }
  }
}

TEST_F(QtTextPainterTest, ATextObjectLandsAtItsAnchor) {
  // Two lines at the bottom right of 1024 x 768: the block's last line starts at 731 and the
  // text ends 15 pixels from the right edge.
  test::FakeClock clock;
  TAnimObjects objects(testing::HandDriven(clock, &painter_));
  objects.LoadFromText(testing::Section(0, {{"ObjType", "TXT"}, {"Text", EncodeObjectText("Mirror\r\nLake")},
                                            {"Position", "8"}, {"TextColor", "16777215"}}));
  TAnimObject& text = objects.Item(0);
  text.DesignWidth = 1024;
  text.DesignHeight = 768;
  text.FrameRect = {0, 0, 1024, 768};
  text.Start();
  const uint32_t background = Rgb(20, 40, 60);
  Bitmap32 frame(1024, 768, background);
  text.Draw(frame);
  TRect box;
  EXPECT_GT(Changed(frame, background, box), 100);
  EXPECT_LE(box.Right, 1024 - 15 + 1);
  EXPECT_GE(box.Right, 1024 - 15 - 3);
  EXPECT_GE(box.Top, 768 - 2 * 22 - 15);
  EXPECT_LE(box.Bottom, 768 - 15 + 22);  // glyphs of the last line may reach below its step
  EXPECT_GT(box.Bottom, 731 + 10);
}

TEST(QtTextPainterWithoutApplication, DrawsNothing) {
  if (QCoreApplication::instance() != nullptr) GTEST_SKIP();
  TQtTextPainter painter;
  Bitmap32 frame(50, 20, 0xFF000000);
  EXPECT_EQ(painter.LineWidth("Arial", 20, "abc"), 0);
  painter.DrawLines(frame, "Arial", 20, {{"abc", 1, 1}}, 0xFFFFFF, 255);
  EXPECT_EQ(frame, Bitmap32(50, 20, 0xFF000000));
}

}  // namespace
}  // namespace kx
