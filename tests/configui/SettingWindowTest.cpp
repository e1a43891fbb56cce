// The settings dialog on Qt's offscreen platform: its controls, where its values come from,
// and what OK writes.
#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include "configui/SettingWindow.h"
#include "project/IniText.h"
#include "tests/configui/UiSupport.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using Step = std::function<void(TfmSettingWindow&)>;

class SettingWindowTest : public ::testing::Test {
 protected:
  void UseSettings(const std::string& exe, const std::string& argument = "") {
    settings = std::make_unique<UserSettingsFile>(dir / exe, argument);
  }
  // Opens the dialog as the "Open setting" action does and runs `step` in it.
  void Run(Step step) {
    test::WhenModalWidget<TfmSettingWindow>(std::move(step));
    RunSettingDialog(&owner, project, settings.get(), &messages);
  }
  std::string Ini() const { return dir / "Sea.ini"; }
  std::string Key(const std::string& key, const std::string& section = "Setting") const {
    return IniText::LoadFile(Ini()).ReadString(section, key, "<none>");
  }
  test::TempDir dir;
  TKXCProject project;
  std::unique_ptr<UserSettingsFile> settings;
  test::RecordingMessageBox messages;
  QWidget owner;
};

TEST_F(SettingWindowTest, EveryControlStandsWhereTheDialogPutsIt) {
  TfmSettingWindow dialog;
  EXPECT_EQ(dialog.windowTitle(), "Settings");
  EXPECT_EQ(dialog.size(), QSize(364, 324));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.font().family(), "Tahoma");
  EXPECT_EQ(dialog.font().pixelSize(), 11);
  EXPECT_EQ(dialog.PageControl1->geometry(), QRect(8, 8, 345, 273));
  EXPECT_EQ(dialog.PageControl1->Tabs()->tabText(0), "General Settings");
  EXPECT_EQ(dialog.PageControl1->Tabs()->tabText(1), "Background Music");
  EXPECT_EQ(dialog.TabSheet1->mapTo(&dialog, QPoint(0, 0)), QPoint(12, 32));
  EXPECT_EQ(dialog.TabSheet2->mapTo(&dialog, QPoint(0, 0)), QPoint(12, 32));

  struct Place {
    QWidget* control;
    QWidget* page;
    QPoint at;
    QString caption;
  } places[] = {
      {dialog.cbMusic, dialog.TabSheet1, {29, 14}, "Enable Music"},
      {dialog.cbSound, dialog.TabSheet1, {142, 14}, "Enable Sound Effects"},
      {dialog.cbDirectX, dialog.TabSheet1, {29, 40}, "Scaled Rendering (Faster Animation)"},
      {dialog.cbImageQuality, dialog.TabSheet1, {141, 67}, ""},
      {dialog.cbImageSize, dialog.TabSheet1, {141, 97}, ""},
      {dialog.cbShowImageMode, dialog.TabSheet1, {141, 127}, ""},
      {dialog.txtDuration, dialog.TabSheet1, {140, 157}, ""},
      {dialog.tbSpeed, dialog.TabSheet1, {136, 189}, ""},
      {dialog.cbShowClock, dialog.TabSheet1, {30, 218}, "Show Clock"},
      {dialog.cbClockPos, dialog.TabSheet1, {141, 216}, ""},
      {dialog.cbCustomMusic, dialog.TabSheet2, {7, 7}, "Use Custom Music"},
      {dialog.cbShuffleMusic, dialog.TabSheet2, {137, 7}, "Shuffle Playlist"},
      {dialog.Button3, dialog.TabSheet2, {8, 219}, "Add"},
      {dialog.Button4, dialog.TabSheet2, {50, 219}, "Remove"},
      {dialog.Button1, &dialog, {198, 289}, "OK"},
      {dialog.Button2, &dialog, {278, 289}, "Cancel"},
      {dialog.cbTransition, &dialog, {22, 341}, "Enable Transition"},
      {dialog.GroupBox1, &dialog, {13, 334}, ""},
  };
  for (const auto& p : places) {
    EXPECT_EQ(p.control->parentWidget(), p.page) << p.control->objectName().toStdString();
    EXPECT_EQ(p.control->pos(), p.at) << p.control->objectName().toStdString();
    if (auto* button = dynamic_cast<QAbstractButton*>(p.control)) {
      EXPECT_EQ(button->text(), p.caption);
    }
  }
  EXPECT_EQ(dialog.lstMusic->geometry(), QRect(7, 32, 324, 180));
  EXPECT_EQ(dialog.lstMusic->horizontalHeaderItem(0)->text(), "File");
  EXPECT_EQ(dialog.lstMusic->columnCount(), 1);
  EXPECT_EQ(dialog.lstMusic->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_TRUE(dialog.lstMusic->showGrid());
  EXPECT_EQ(dialog.lstMusic->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(dialog.Button1->size(), QSize(75, 25));
  EXPECT_EQ(dialog.Button3->size(), QSize(38, 21));
  EXPECT_EQ(dialog.Button4->size(), QSize(49, 21));
  EXPECT_EQ(dialog.GroupBox1->title(), "Play Mode");
  EXPECT_EQ(dialog.Label3->text(), "Reset");
  EXPECT_EQ(dialog.Label3->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(dialog.cbTransition->isChecked());
  EXPECT_GE(dialog.cbTransition->y(), dialog.height());  // below the client area

  auto items = [](QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
  };
  EXPECT_EQ(items(dialog.cbImageQuality), QStringList({"Highest (Slower)", "Normal ", "Low (Faster)"}));
  // Nothing on Linux is DirectX: no visible text says so.
  for (const auto* label : dialog.findChildren<QLabel*>()) EXPECT_FALSE(label->text().contains("Direct")) << label->text().toStdString();
  for (const auto* button : dialog.findChildren<QAbstractButton*>())
    EXPECT_FALSE(button->text().contains("Direct")) << button->text().toStdString();
  EXPECT_EQ(items(dialog.cbImageSize), QStringList({"Original Size", "Stretch-Full", "Stretch-Proportional"}));
  EXPECT_EQ(items(dialog.cbShowImageMode),
            QStringList({"All images - Random", "All images - Sequential", "User's favorite (checked images) - Random",
                         "Single - Selected Image"}));
  EXPECT_EQ(items(dialog.cbClockPos), QStringList({"Top Left", "Top Right", "Bottom Left", "Bottom Right"}));
  EXPECT_EQ(dialog.tbSpeed->minimum(), 0);
  EXPECT_EQ(dialog.tbSpeed->maximum(), 20);
  EXPECT_EQ(dialog.tbSpeed->value(), 10);
  EXPECT_EQ(dialog.tbSpeed->tickPosition(), QSlider::NoTicks);
  EXPECT_EQ(dialog.txtDuration->text(), "10");
}

TEST_F(SettingWindowTest, AFirstRunShowsTheProjectAndOkWritesEveryKeyInOrder) {
  UseSettings("Sea.scr");
  project.Setting.Stretch = true;
  project.Setting.Proportional = false;
  project.Setting.ShowImageMode = 1;
  project.Setting.Duration = 45;
  project.Setting.ShowClock = true;
  project.Setting.ClockPos = 2;
  project.Setting.DirectXQuality = 2;
  project.Setting.Sound = false;
  Run([](TfmSettingWindow& d) {
    EXPECT_TRUE(d.Button1->isEnabled());
    EXPECT_EQ(d.cbImageSize->currentIndex(), 1);
    EXPECT_EQ(d.cbShowImageMode->currentIndex(), 1);
    EXPECT_EQ(d.txtDuration->text(), "45");
    EXPECT_EQ(d.tbSpeed->value(), 10);  // the default speed 100
    EXPECT_TRUE(d.cbShowClock->isChecked());
    EXPECT_EQ(d.cbClockPos->currentIndex(), 2);
    EXPECT_EQ(d.cbImageQuality->currentIndex(), 2);
    EXPECT_FALSE(d.cbSound->isChecked());
    EXPECT_FALSE(d.cbCustomMusic->isChecked());
    EXPECT_FALSE(d.cbShuffleMusic->isChecked());
    EXPECT_EQ(d.lstMusic->rowCount(), 0);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
  });
  EXPECT_EQ(test::ReadText(Ini()),
            "[Setting]\r\nImageSize=1\r\nImageMode=1\r\nSpeed=10\r\nSound=0\r\nMusic=1\r\nTransition=1\r\n"
            "Duration=45\r\nDirectX=0\r\nDirectXQuality=2\r\nCustomMusic=0\r\nShuffleMusic=0\r\nShowClock=1\r\n"
            "ClockPos=2\r\n");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingWindowTest, TheFilesValuesFillTheControls) {
  UseSettings("Sea.scr");
  project.Setting.ShowClock = true;
  project.Setting.ClockPos = 3;
  test::WriteText(Ini(), "[Setting]\r\nImageSize=0\r\nSpeed=3\r\nCustomMusic=1\r\nMusic=0\r\n"
                         "[MusicList]\r\n/m/one.mp3=\r\n/m/two.wav=\r\n");
  Run([](TfmSettingWindow& d) {
    EXPECT_EQ(d.cbImageSize->currentIndex(), 0);
    EXPECT_EQ(d.tbSpeed->value(), 3);
    EXPECT_FALSE(d.cbMusic->isChecked());
    EXPECT_TRUE(d.cbCustomMusic->isChecked());
    EXPECT_TRUE(d.cbShuffleMusic->isChecked());              // missing: on
    EXPECT_EQ(d.cbClockPos->currentText(), "Top Right");     // missing: whatever the project says
    EXPECT_FALSE(d.cbShowClock->isChecked());
    ASSERT_EQ(d.lstMusic->rowCount(), 2);
    EXPECT_EQ(d.lstMusic->item(0, 0)->text(), "/m/one.mp3");
    EXPECT_EQ(d.lstMusic->item(1, 0)->text(), "/m/two.wav");
    d.reject();
  });
}

TEST_F(SettingWindowTest, TypedDurationsAreWrittenAndTheArrowsStayInRange) {
  UseSettings("Sea.scr");
  Run([](TfmSettingWindow& d) {
    d.txtDuration->clear();
    QTest::keyClicks(d.txtDuration, "5");
    EXPECT_EQ(d.txtDuration->text(), "5");
    QTest::mouseClick(d.Button1, Qt::LeftButton);
  });
  EXPECT_EQ(Key("Duration"), "5");

  Run([](TfmSettingWindow& d) {
    EXPECT_EQ(d.txtDuration->text(), "5");  // shown as stored
    d.UpDown1->Step(-1);
    EXPECT_EQ(d.txtDuration->text(), "10");  // the arrows never go below 10
    QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
    EXPECT_EQ(d.txtDuration->text(), "11");
    QTest::keyClick(d.txtDuration, Qt::Key_Down);
    EXPECT_EQ(d.txtDuration->text(), "10");
    d.txtDuration->setText("999");
    QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
    EXPECT_EQ(d.txtDuration->text(), "999");
    // At most three characters can be typed.
    d.txtDuration->clear();
    QTest::keyClicks(d.txtDuration, "1234");
    EXPECT_EQ(d.txtDuration->text(), "123");
    d.reject();
  });
  EXPECT_EQ(Key("Duration"), "5");  // Cancel wrote nothing

  test::WriteText(Ini(), "[Setting]\r\nDuration=1500\r\n");
  Run([](TfmSettingWindow& d) {
    EXPECT_EQ(d.txtDuration->text(), "1500");
    QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
    EXPECT_EQ(d.txtDuration->text(), "999");
    d.reject();
  });
}

TEST_F(SettingWindowTest, ADurationThatIsNoNumberIsReportedAndNothingIsWritten) {
  UseSettings("Sea.scr");
  const std::string before = "[Setting]\r\nSound=0\r\n";
  test::WriteText(Ini(), before);
  Run([](TfmSettingWindow& d) {
    d.txtDuration->setText("ab");
    d.cbSound->setChecked(true);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
  });
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text, "'ab' is not a valid integer value");
  EXPECT_EQ(test::ReadText(Ini()), before);
}

TEST_F(SettingWindowTest, AnImageModeOutsideTheListShowsNothingAndWritesMinusOne) {
  UseSettings("Sea.scr");
  test::WriteText(Ini(), "[Setting]\r\nImageMode=9\r\nClockPos=-4\r\nTransition=0\r\n");
  Run([](TfmSettingWindow& d) {
    EXPECT_EQ(d.cbShowImageMode->currentIndex(), -1);
    EXPECT_EQ(d.cbShowImageMode->currentText(), "");
    EXPECT_FALSE(d.cbTransition->isChecked());
    QTest::mouseClick(d.Button1, Qt::LeftButton);
  });
  EXPECT_EQ(Key("ImageMode"), "-1");
  EXPECT_EQ(Key("ClockPos"), "-1");
  EXPECT_EQ(Key("Transition"), "0");  // carried through unchanged
}

TEST_F(SettingWindowTest, TheMusicListAddsRemovesAndWritesOneKeyPerFile) {
  UseSettings("Sea.scr");
  test::WriteText(Ini(), "[MusicList]\r\n/old/gone.mp3=\r\n");
  Run([this](TfmSettingWindow& d) {
    std::vector<std::string> offered = {dir / "sea.mp3", dir / "sea.mp3", "", dir / "wind.wav"};
    d.ChooseMusicFile = [offered, i = size_t{0}](QWidget*) mutable { return offered[i++]; };
    d.PageControl1->SetCurrentPage(1);
    for (int i = 0; i < 4; ++i) QTest::mouseClick(d.Button3, Qt::LeftButton);  // the third choice is cancelled
    ASSERT_EQ(d.lstMusic->rowCount(), 4);
    EXPECT_EQ(d.lstMusic->item(1, 0)->text().toStdString(), dir / "sea.mp3");
    EXPECT_EQ(d.lstMusic->item(2, 0)->text().toStdString(), dir / "sea.mp3");
    QTest::mouseClick(d.Button4, Qt::LeftButton);  // nothing selected: nothing removed
    EXPECT_EQ(d.lstMusic->rowCount(), 4);
    d.lstMusic->selectRow(0);
    QTest::mouseClick(d.Button4, Qt::LeftButton);
    EXPECT_EQ(d.lstMusic->rowCount(), 3);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    EXPECT_EQ(d.MusicList, (std::vector<std::string>{dir / "sea.mp3", dir / "sea.mp3", dir / "wind.wav"}));
  });
  EXPECT_EQ(SectionKeysByLineRule(IniText::LoadFile(Ini()).Lines(), "MusicList"),
            (std::vector<std::string>{dir / "sea.mp3", dir / "wind.wav"}));
}

TEST_F(SettingWindowTest, ResetPutsTheSpeedBackTo10) {
  UseSettings("Sea.scr");
  project.Setting.Speed = 77;  // not in the table: the nearest value, 75
  Run([](TfmSettingWindow& d) {
    EXPECT_EQ(d.tbSpeed->value(), 7);
    QTest::mouseClick(d.Label3, Qt::LeftButton);
    EXPECT_EQ(d.tbSpeed->value(), 10);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
  });
  EXPECT_EQ(Key("Speed"), "10");
}

TEST_F(SettingWindowTest, WithoutSettingsInUseOkCannotBePressedAndNothingIsWritten) {
  UseSettings("Sea.exe", "/c:123");
  test::WriteText(Ini(), "[Setting]\r\nDuration=40\r\n");
  Run([](TfmSettingWindow& d) {
    EXPECT_FALSE(d.Button1->isEnabled());
    EXPECT_EQ(d.txtDuration->text(), "30");  // the project's, not the file's
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    d.close();
  });
  EXPECT_EQ(test::ReadText(Ini()), "[Setting]\r\nDuration=40\r\n");
  settings.reset();
  Run([](TfmSettingWindow& d) {
    EXPECT_FALSE(d.Button1->isEnabled());
    d.reject();
  });
}

TEST_F(SettingWindowTest, EachActionMakesANewDialogThatItsWindowOwns) {
  UseSettings("Sea.scr");
  for (int i = 0; i < 2; ++i) Run([](TfmSettingWindow& d) { d.reject(); });
  EXPECT_EQ(owner.findChildren<TfmSettingWindow*>().size(), 2);
}

TEST(ToolkitFileFilter, TurnsPairsIntoFilters) {
  EXPECT_EQ(ToolkitFileFilter(kMusicFileFilter), "Music Files (*.mp3 *.wma *.mid *.wav)");
  EXPECT_EQ(ToolkitFileFilter("Pictures|*.jpg|All|*.*"), "Pictures (*.jpg);;All (*.*)");
}

}  // namespace
}  // namespace kx
