// The thumbnail grid and the preview on Qt's offscreen platform: layout, cell drawing, the
// selection rule, the check boxes under the mouse, the thumbnails of each kind of item.
#include <QTest>

#include "configui/KXPreview.h"
#include "configui/KXThumbnail2.h"
#include "configui/SkinError.h"
#include "configui/SmoothResize.h"
#include "tests/configui/MediaFixtures.h"
#include "tests/configui/UiSupport.h"
#include "tests/support/PayloadFixture.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

constexpr uint32_t kRed = Rgb(220, 30, 40);

// A grid 350 x 250 of flat red BMP pictures in a light grey grid colour.
class ThumbnailGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    QPalette palette = grid.palette();
    palette.setColor(QPalette::Base, gridColour);
    palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
    palette.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    grid.setPalette(palette);
    grid.OnSelectItem = [this](int index) { selected.push_back(index); };
  }
  void Items(int n) {
    for (int i = 0; i < n; ++i) items.push_back(test::WriteBmpFile(dir / ("p" + std::to_string(i) + ".bmp"), Bitmap32(32, 24, kRed)));
    grid.SetItems(&items);
  }
  QImage Shot() { return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QColor At(const QImage& shot, int x, int y) { return QColor(shot.pixel(x, y)); }
  QPoint CheckBoxCentre(int row, int column) { return grid.CheckBoxArea(row, column).center(); }

  test::TempDir dir;
  std::vector<std::string> items;
  const QColor gridColour{240, 240, 240};
  TKXThumbnail2 grid{nullptr};
  std::vector<int> selected;
};

TEST_F(ThumbnailGrid, FiveItemsWrapIntoThreeColumnsOrOneRow) {
  Items(5);
  EXPECT_EQ(grid.columnCount(), 3);
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.columnWidth(0), 100);
  EXPECT_EQ(grid.rowHeight(0), 80);
  EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  grid.SetMultiRows(false);
  EXPECT_EQ(grid.columnCount(), 5);
  EXPECT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

  grid.SetMultiRows(true);
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  grid.resize(230, 250);  // the layout follows the width
  EXPECT_EQ(grid.columnCount(), 2);
  EXPECT_EQ(grid.rowCount(), 3);
  grid.resize(50, 250);  // narrower than a cell: still one column
  EXPECT_EQ(grid.columnCount(), 1);
  EXPECT_EQ(grid.rowCount(), 5);
}

TEST_F(ThumbnailGrid, TitlesAndPictureSizesChangeTheCells) {
  Items(5);
  grid.SetShowTitle(true);
  EXPECT_EQ(grid.rowHeight(0), 110);
  grid.SetPictureWidth(100);
  grid.SetPictureHeight(70);
  EXPECT_EQ(grid.columnWidth(0), 120);
  EXPECT_EQ(grid.rowHeight(0), 120);
  EXPECT_EQ(grid.columnCount(), 2);
  EXPECT_EQ(grid.Thumbnail(0).size(), QSize(100, 70));  // remade at the new size
}

TEST_F(ThumbnailGrid, CellsDrawFramesPicturesAndNothingPastTheLastItem) {
  Items(5);
  grid.SelectIndex(0);
  const QImage shot = Shot();
  const QColor black(0, 0, 0);
  const QColor highlight(0, 120, 215);
  // The empty cell after the last item: the grid colour only.
  for (int y = 80; y < 160; ++y)
    for (int x = 200; x < 300; ++x) ASSERT_EQ(At(shot, x, y), gridColour) << x << "," << y;
  // Item 1, not selected: a 1-pixel frame from (110, 10) to (199, 79), a light fill, and the
  // picture at (115, 15).
  EXPECT_EQ(At(shot, 110, 10), ShadeColor(black, gridColour, 20));
  EXPECT_EQ(At(shot, 199, 79), ShadeColor(black, gridColour, 20));
  EXPECT_EQ(At(shot, 109, 10), gridColour);
  EXPECT_EQ(At(shot, 200, 40), gridColour);
  EXPECT_EQ(At(shot, 112, 12), ShadeColor(black, gridColour, 5));
  EXPECT_EQ(At(shot, 114, 15), ShadeColor(black, gridColour, 5));
  EXPECT_EQ(At(shot, 115, 15).rgb(), kRed);
  EXPECT_EQ(At(shot, 194, 74).rgb(), kRed);
  EXPECT_EQ(At(shot, 195, 75), ShadeColor(black, gridColour, 5));
  // Item 0, selected: a 2-pixel frame in the highlight and a darker fill.
  EXPECT_EQ(At(shot, 10, 40), ShadeColor(highlight, gridColour, 100));
  EXPECT_EQ(At(shot, 11, 40), ShadeColor(highlight, gridColour, 100));
  EXPECT_EQ(At(shot, 12, 40), ShadeColor(black, gridColour, 10));
  EXPECT_EQ(At(shot, 15, 15).rgb(), kRed);
}

TEST_F(ThumbnailGrid, CheckBoxesShowTheirMarks) {
  Items(3);
  grid.SetShowCheckBox(true);
  grid.SetChecked(1, true);
  grid.SelectIndex(0);
  const QImage shot = Shot();
  const QColor black(0, 0, 0);
  const QColor pen = ShadeColor(black, gridColour, 30);
  for (int column : {1, 2}) {
    // The box of a cell not selected: outline at (L + 13, T + 66) to (L + 23, T + 76).
    const int x = 100 * column + 13, y = 66;
    EXPECT_EQ(At(shot, x, y), pen) << column;
    EXPECT_EQ(At(shot, x + 10, y + 10), pen) << column;
    EXPECT_EQ(At(shot, x + 5, y + 10), pen) << column;
    EXPECT_EQ(At(shot, x + 1, y + 1), gridColour) << column;  // framed in the grid colour
    // The tick runs through (x + 3, y + 6) and (x + 7, y + 4).
    EXPECT_EQ(At(shot, x + 3, y + 6), column == 1 ? pen : gridColour) << column;
    EXPECT_EQ(At(shot, x + 7, y + 4), column == 1 ? pen : gridColour) << column;
  }
  // The selected cell's box is drawn in the highlight.
  EXPECT_EQ(At(shot, 13, 66), ShadeColor(QColor(0, 120, 215), gridColour, 100));
}

TEST_F(ThumbnailGrid, ASelectedTitleStandsOnTheHighlight84BelowTheTop) {
  Items(2);
  grid.SetShowTitle(true);
  grid.SelectIndex(1);
  EXPECT_EQ(grid.Title(1), "p1.bmp");
  const QImage shot = Shot();
  auto rowHas = [&](int y, int fromX, int toX, const QColor& c) {
    for (int x = fromX; x < toX; ++x)
      if (At(shot, x, y) == c) return true;
    return false;
  };
  const QColor highlight(0, 120, 215);
  EXPECT_TRUE(rowHas(84, 110, 200, highlight));
  EXPECT_FALSE(rowHas(83, 110, 200, highlight));
  EXPECT_FALSE(rowHas(84, 10, 100, highlight));  // the other title is on the grid colour
  bool text = false;
  for (int y = 84; y < 110; ++y) text = text || rowHas(y, 10, 100, QColor(grid.palette().color(QPalette::Text)));
  EXPECT_TRUE(text);
}

TEST_F(ThumbnailGrid, ClickingTheEmptyCellReportsTheLastItem) {
  Items(5);
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(250, 120));
  ASSERT_FALSE(selected.empty());
  EXPECT_EQ(selected.back(), 4);
  EXPECT_EQ(grid.currentRow(), 1);
  EXPECT_EQ(grid.currentColumn(), 2);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(150, 40));
  EXPECT_EQ(selected.back(), 1);
  grid.SelectIndex(3);
  EXPECT_EQ(selected.back(), 3);
  EXPECT_EQ(grid.currentRow(), 1);
  EXPECT_EQ(grid.currentColumn(), 0);
}

TEST_F(ThumbnailGrid, APressOnACheckBoxTogglesItAndSelectsItsItem) {
  Items(5);
  grid.SetShowCheckBox(true);
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CheckBoxCentre(0, 1));
  EXPECT_TRUE(grid.Checked(1));
  EXPECT_EQ(selected.back(), 1);
  EXPECT_EQ(grid.currentColumn(), 1);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CheckBoxCentre(0, 1));
  EXPECT_FALSE(grid.Checked(1));
  // Both corners of the area count; one pixel outside does not.
  const QRect area = grid.CheckBoxArea(1, 0);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, area.topLeft());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, area.bottomRight());
  EXPECT_FALSE(grid.Checked(3));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, area.bottomRight() + QPoint(1, 0));
  EXPECT_FALSE(grid.Checked(3));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, area.topLeft());
  EXPECT_TRUE(grid.Checked(3));
  // The empty cell's box area toggles nothing, even while the current cell holds an item.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CheckBoxCentre(1, 2));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(grid.Checked(i), i == 3) << i;
  EXPECT_EQ(selected.back(), 4);
  // With the empty cell current, a real box still toggles on the first press.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CheckBoxCentre(0, 0));
  EXPECT_TRUE(grid.Checked(0));
  // Without check boxes the area is an ordinary part of the cell.
  grid.SetShowCheckBox(false);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CheckBoxCentre(0, 2));
  EXPECT_FALSE(grid.Checked(2));
  EXPECT_EQ(selected.back(), 2);
}

TEST_F(ThumbnailGrid, TheHandShowsOverTheBoxesOfItems) {
  Items(5);
  grid.SetShowCheckBox(true);
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  const std::pair<QPoint, Qt::CursorShape> cases[] = {
      {CheckBoxCentre(0, 0), Qt::PointingHandCursor},
      {QPoint(150, 40), Qt::ArrowCursor},
      {CheckBoxCentre(1, 2), Qt::ArrowCursor},  // the empty cell has no box
      {CheckBoxCentre(1, 1), Qt::PointingHandCursor},
  };
  for (const auto& [point, shape] : cases) {
    QTest::mouseMove(grid.viewport(), point);
    EXPECT_EQ(grid.viewport()->cursor().shape(), shape) << point.x() << "," << point.y();
  }
}

TEST_F(ThumbnailGrid, EveryItemKeepsItsOwnThumbnailAndTitle) {
  test::RecordingMessageBox messages;
  grid.SetMessages(&messages);
  items = {test::WriteBmpFile(dir / "red.bmp", Bitmap32(16, 12, kRed)),
           test::WritePngFile(dir / "leaf.png", Bitmap32(16, 12, Rgb(0, 200, 0))),
           dir / "missing.jpg",
           test::WriteScene(dir / "Bay.KXP", Bitmap32(64, 48, Rgb(0, 0, 250)), Bitmap32(16, 12, Rgb(0, 250, 0)), "Windy Bay"),
           dir / "broken.kxp",
           test::WriteJpegFile(dir / "blue.jpg", Bitmap32(16, 12, Rgb(20, 40, 230)))};
  test::WriteText(dir / "broken.kxp", "not a package");
  grid.SetItems(&items);
  struct Expect {
    bool picture;
    uint32_t colour;
    const char* title;
  } expected[] = {{true, kRed, "red.bmp"},          {true, Rgb(0, 200, 0), "leaf.png"}, {false, 0, "missing.jpg"},
                  {true, Rgb(0, 250, 0), "Windy Bay"}, {false, 0, "broken.kxp"}, {true, Rgb(20, 40, 230), "blue.jpg"}};
  for (int i = 0; i < 6; ++i) {
    const QImage thumbnail = grid.Thumbnail(i);
    EXPECT_EQ(!thumbnail.isNull(), expected[i].picture) << i;
    EXPECT_EQ(grid.Title(i), expected[i].title) << i;
    if (!expected[i].picture) continue;
    EXPECT_EQ(thumbnail.size(), QSize(80, 60)) << i;
    EXPECT_LE(test::ChannelDistance(thumbnail.pixel(40, 30), expected[i].colour), 4) << i;
  }
  // The damaged package is reported by the package reader, once.
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find("broken.kxp"), std::string::npos);
}

// Items of a payload whose media are written only when asked for: every item still gets its
// thumbnail and title, and the grid lets each file go once its thumbnail is made, so the
// temporary folder does not fill with every item of the screensaver. A file the show keeps
// stays.
TEST_F(ThumbnailGrid, ItemsOfThePayloadAreReadWhenTheirThumbnailIsMade) {
  test::RecordingMessageBox messages;
  grid.SetMessages(&messages);
  const std::vector<std::pair<std::string, std::string>> media = {
      {"C:\\pics\\red.bmp", test::ReadText(test::WriteBmpFile(dir / "red.bmp", Bitmap32(16, 12, kRed)))},
      {"Bay.KXP", test::ReadText(test::WriteScene(dir / "Bay.KXP", Bitmap32(64, 48, Rgb(0, 0, 250)),
                                                  Bitmap32(16, 12, Rgb(0, 250, 0)), "Windy Bay"))},
      {"blue.jpg", test::ReadText(test::WriteJpegFile(dir / "blue.jpg", Bitmap32(16, 12, Rgb(20, 40, 230))))},
  };
  test::PayloadRun run(media, {"red.bmp", "Bay.KXP", "gone.jpg", "blue.jpg"});
  ASSERT_TRUE(run.MediaPresent().empty());
  ASSERT_TRUE(MediaFileExists(run.folder + "blue.jpg"));  // kept by someone else
  grid.SetItems(&run.project.FileList.Names);
  const struct {
    uint32_t colour;  // 0: no thumbnail
    const char* title;
  } expected[] = {{kRed, "red.bmp"}, {Rgb(0, 250, 0), "Windy Bay"}, {0, "gone.jpg"}, {Rgb(20, 40, 230), "blue.jpg"}};
  for (int i = 0; i < 4; ++i) {
    const QImage thumbnail = grid.Thumbnail(i);
    EXPECT_EQ(grid.Title(i), expected[i].title) << i;
    ASSERT_EQ(thumbnail.isNull(), expected[i].colour == 0) << i;
    if (expected[i].colour != 0) {
      EXPECT_LE(test::ChannelDistance(thumbnail.pixel(40, 30), expected[i].colour), 4) << i;
    }
  }
  EXPECT_EQ(run.MediaPresent(), std::vector<std::string>{"blue.jpg"});
  EXPECT_TRUE(messages.shown.empty());

  // The preview reads its item the same way.
  TKXPreview preview{nullptr};
  preview.resize(40, 30);
  preview.LoadFile(run.folder + "Bay.KXP");
  EXPECT_LE(test::ChannelDistance(preview.Picture().Get(false).pixel(20, 15), Rgb(0, 0, 250)), 4);
  EXPECT_EQ(run.MediaPresent(), std::vector<std::string>{"blue.jpg"});
}

TEST_F(ThumbnailGrid, MoreThan1001ItemsKeepTheirMarks) {
  for (int i = 0; i < 1500; ++i) items.push_back(dir / ("n" + std::to_string(i) + ".jpg"));
  grid.SetItems(&items);
  grid.SetChecked(1400, true);
  grid.SetChecked(1500, true);  // past the list: ignored
  EXPECT_TRUE(grid.Checked(1400));
  EXPECT_FALSE(grid.Checked(1399));
  EXPECT_FALSE(grid.Checked(1500));
  EXPECT_EQ(grid.rowCount(), 500);
  grid.SelectIndex(1499);
  EXPECT_EQ(selected.back(), 1499);
  EXPECT_EQ(grid.Title(1499), "n1499.jpg");
}

TEST_F(ThumbnailGrid, MarksMadeBeforeTheListStay) {
  grid.SetChecked(7, true);
  EXPECT_TRUE(grid.Checked(7));
  Items(9);
  EXPECT_TRUE(grid.Checked(7));
  EXPECT_FALSE(grid.Checked(-1));
}

class Preview : public ::testing::Test {
 protected:
  test::TempDir dir;
  TKXPreview preview{nullptr};
};

TEST_F(Preview, ABigPictureIsMadeAtTheControlsSize) {
  const Bitmap32 big = test::Gradient(1600, 1200);
  const std::string path = test::WriteBmpFile(dir / "big.bmp", big);
  preview.resize(236, 176);
  preview.LoadFile(path);
  EXPECT_EQ(preview.FileName(), path);
  EXPECT_TRUE(preview.Stretch());
  const QImage shown = preview.Picture().Get(false);
  ASSERT_EQ(shown.size(), QSize(236, 176));
  const Bitmap32 expected = SmoothResize(big, 236, 176);
  for (int y = 0; y < 176; ++y)
    for (int x = 0; x < 236; ++x) ASSERT_EQ(shown.pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
  // A later size change stretches the same picture.
  preview.resize(100, 50);
  EXPECT_EQ(preview.Picture().Size(), QSize(236, 176));
  EXPECT_EQ(preview.DestRect(), QRect(0, 0, 100, 50));
}

TEST_F(Preview, EachKindOfFile) {
  preview.resize(40, 30);
  preview.LoadFile(test::WriteScene(dir / "bay.kxp", Bitmap32(80, 60, Rgb(0, 0, 250)), Bitmap32(8, 6, Rgb(250, 0, 0)), "Bay"));
  ASSERT_EQ(preview.Picture().Size(), QSize(40, 30));
  EXPECT_LE(test::ChannelDistance(preview.Picture().Get(false).pixel(20, 15), Rgb(0, 0, 250)), 4);  // the picture

  // A PNG photo is a picture like a JPEG.
  const std::string png = test::WritePngFile(dir / "leaf.png", Bitmap32(8, 6, Rgb(0, 200, 0)));
  preview.LoadFile(png);
  ASSERT_FALSE(preview.Picture().Empty());
  EXPECT_LE(test::ChannelDistance(preview.Picture().Get(false).pixel(20, 15), Rgb(0, 200, 0)), 4);
  EXPECT_EQ(preview.FileName(), png);

  const std::string good = test::WriteJpegFile(dir / "sea.jpg", Bitmap32(8, 6, Rgb(10, 120, 200)));
  preview.LoadFile(good);
  test::WriteText(dir / "broken.jpg", "not a picture");
  EXPECT_THROW(preview.LoadFile(dir / "broken.jpg"), SkinError);
  EXPECT_EQ(preview.FileName(), good);  // the control keeps what it showed
  EXPECT_FALSE(preview.Picture().Empty());
}

}  // namespace
}  // namespace kx
