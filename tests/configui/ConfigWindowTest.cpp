#include <QTest>

#include "configui/KXPreview.h"
#include "configui/KXThumbnail2.h"
#include "configui/SettingWindow.h"
#include "configui/SkinControls.h"
#include "imaging/PictureCodec.h"
#include "project/IniText.h"
#include "tests/configui/UiSupport.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::Block;
using test::Form;
using test::Join;
using test::SkinWindow;
using test::WhenModal;

// Five small pictures in a folder, and a screensaver path beside them whose settings file
// is in use (".scr") or not (".exe").
class ConfigWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 5; ++i) {
      std::vector<uint8_t> jpeg;
      std::string error;
      ASSERT_TRUE(EncodeJpeg(Bitmap32(16, 12, Rgb(40 * i, 100, 200 - 30 * i)), 90, jpeg, error));
      const std::string path = dir / ("p" + std::to_string(i) + ".jpg");
      ASSERT_TRUE(WriteWholeFile(path, jpeg, error));
      pictures.push_back(path);
    }
  }
  void UseSettings(const std::string& exeName, const std::string& argument = "") {
    settings = std::make_unique<UserSettingsFile>(dir / exeName, argument);
    s.services.settings = settings.get();
    s.services.exePath = dir / exeName;
    s.services.firstArgument = argument;
  }
  void WithPictures(int n) {
    s.project.FileList.Names.assign(pictures.begin(), pictures.begin() + n);
    s.project.FileList.Flags.assign(static_cast<size_t>(n), "TRUE");
  }
  std::string IniPath() const { return dir / "Sea.ini"; }
  void Show() {
    s.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s.window.get()));
  }
  test::TempDir dir;
  std::vector<std::string> pictures;
  std::unique_ptr<UserSettingsFile> settings;
  test::RecordingMessageBox messages;
  SkinWindow s;
};

// A window with a preview, a grid and next/previous picture buttons.
std::vector<std::string> PictureWindow() {
  return Join({Block("Preview1: TKXPreview", {"Tag = 3", "Width = 64", "Height = 48"}),
               Block("Grid: TKXThumbnail2", {"Tag = 3", "Top = 60", "ShowCheckBox = True"}),
               Block("Next: TMyButton", {"Tag = 3", "Left = 200", "Top = 0"}),
               Block("Back: TMyButton", {"Tag = 3", "Left = 200", "Top = 40"}),
               Block("Link: TLabel", {"Tag = 3", "Left = 200", "Top = 80", "Caption = 'next'"}),
               Block("Box: TCheckBox", {"Tag = 3", "Left = 200", "Top = 120"})});
}
const std::vector<std::string> kPictureActions = {"4",    "Next", "2", " ", " ", " ", "Back", "3", " ", " ", " ",
                                                  "link", "2",    " ", " ", " ", "Box",  "2", " ", " ", " "};

TEST_F(ConfigWindowTest, TheTagDecidesWhatShows) {
  s.Build(Join({Block("T0: TLabel", {"Tag = 0", "Visible = True"}), Block("T1: TLabel", {"Tag = 1"}),
                Block("T2: TLabel", {"Tag = 2"}), Block("T3: TLabel", {"Tag = 3", "Visible = False"}),
                Block("T7: TPanel", {"Tag = 7"}),
                Block("Pages: TPageControl", {"Tag = 3", "object Sheet: TTabSheet", "  Tag = 0", "end"})}));
  Show();
  for (const auto& [name, shown] : std::vector<std::pair<const char*, bool>>{
           {"T0", false}, {"T1", true}, {"T2", false}, {"T3", true}, {"T7", true}}) {
    EXPECT_EQ(s.window->FindComponent(name)->Widget()->isVisible(), shown) << name;
  }
  EXPECT_TRUE(s.Control<TTabSheet>("Sheet")->isVisible());  // pages are left to their page control
}

TEST_F(ConfigWindowTest, TheStoredIndexSelectsOnlyWhenItIsExactlyAPosition) {
  const std::pair<const char*, int> cases[] = {{"3", 3}, {"7", 0}, {"abc", 0}, {"03", 0}, {"-1", 0}, {"4", 4}};
  for (const auto& [stored, expected] : cases) {
    SkinWindow fresh;
    std::swap(s, fresh);
    UseSettings("Sea.scr");
    WithPictures(5);
    test::WriteText(IniPath(), std::string("[Setting]\r\nIndex=") + stored + "\r\n");
    s.Build(PictureWindow(), kPictureActions);
    Show();
    EXPECT_EQ(s.window->CurrentIndex, expected) << stored;
    EXPECT_EQ(s.Control<TKXPreview>("Preview1")->FileName(), pictures[static_cast<size_t>(expected)]) << stored;
  }
}

TEST_F(ConfigWindowTest, CheckMarksComeFromTheFilesSection) {
  UseSettings("Sea.scr");
  WithPictures(5);
  test::WriteText(IniPath(), "[Files]\r\n1=\r\n03=\r\n9=\r\nx=\r\n");
  s.Build(PictureWindow(), kPictureActions);
  Show();
  auto* grid = s.Control<TKXThumbnail2>("Grid");
  const bool expected[] = {true, false, true, true, true};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(grid->Checked(i), expected[i]) << i;
}

TEST_F(ConfigWindowTest, ClosingWritesTheIndexAndTheUntickedItems) {
  UseSettings("Sea.scr");
  WithPictures(5);
  s.Build(PictureWindow(), kPictureActions);
  s.window->SaveOnClose = true;
  Show();
  auto* grid = s.Control<TKXThumbnail2>("Grid");
  grid->SetChecked(3, false);
  grid->SetChecked(1, false);
  s.window->SelectPicture(2);
  s.window->close();
  EXPECT_EQ(settings->ReadSelectedIndex(), "2");
  EXPECT_EQ(settings->ReadExcludedItems(), (std::vector<std::string>{"1", "3"}));
}

TEST_F(ConfigWindowTest, WithoutSettingsInUseNothingIsReadOrWritten) {
  UseSettings("Sea.exe", "/c:123");
  WithPictures(5);
  const std::string before = "[Setting]\r\nIndex=3\r\n[Files]\r\n0=\r\n";
  test::WriteText(IniPath(), before);
  s.Build(PictureWindow(), kPictureActions);
  s.window->SaveOnClose = true;
  Show();
  EXPECT_EQ(s.window->CurrentIndex, 0);
  auto* grid = s.Control<TKXThumbnail2>("Grid");
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(grid->Checked(i));
  s.window->SelectPicture(4);
  s.window->close();
  EXPECT_EQ(test::ReadText(IniPath()), before);
}

TEST_F(ConfigWindowTest, NextAndPreviousStopAtTheEnds) {
  WithPictures(5);
  s.Build(PictureWindow(), kPictureActions);
  Show();
  auto* next = s.Control<TMyButton>("Next");
  auto* back = s.Control<TMyButton>("Back");
  s.window->SelectPicture(3);
  for (int i = 0; i < 3; ++i) QTest::mouseClick(next, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(s.window->CurrentIndex, 4);
  EXPECT_EQ(s.Control<TKXPreview>("Preview1")->FileName(), pictures[4]);
  for (int i = 0; i < 6; ++i) QTest::mouseClick(back, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(s.window->CurrentIndex, 0);
  // A label with an action responds; a check box never runs one.
  QTest::mouseClick(s.Control<TLabel>("Link"), Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(s.window->CurrentIndex, 1);
  QTest::mouseClick(s.Control<TCheckBox>("Box"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(s.window->CurrentIndex, 1);
}

TEST_F(ConfigWindowTest, WithoutPicturesThePreviewsStayAsTheSkinDrewThem) {
  s.Build(PictureWindow(), kPictureActions);
  Show();
  QTest::mouseClick(s.Control<TMyButton>("Next"), Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(s.Control<TMyButton>("Back"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(s.window->CurrentIndex, 0);
  EXPECT_EQ(s.Control<TKXPreview>("Preview1")->FileName(), "");
}

TEST_F(ConfigWindowTest, APictureThatFailsIsReportedOnlyOutsideTheShowHandler) {
  s.services.messages = &messages;
  test::WriteText(dir / "broken.jpg", "not a picture");
  s.project.FileList.Names = {pictures[0], dir / "broken.jpg"};
  s.project.FileList.Flags = {"TRUE", "TRUE"};
  s.Build(PictureWindow(), kPictureActions);
  s.window->CurrentIndex = 1;
  Show();
  EXPECT_TRUE(messages.shown.empty());
  QTest::mouseClick(s.Control<TMyButton>("Next"), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_NE(messages.shown[0].text.find("broken.jpg"), std::string::npos);
  EXPECT_TRUE(s.window->isVisible());
}

TEST_F(ConfigWindowTest, AThumbnailWindowsChoiceIsNotCarriedBack) {
  UseSettings("Sea.scr");
  WithPictures(5);
  s.Load({Form("W", Join({{"  ClientWidth = 300"}, Block("Open: TMyButton", {"Tag = 3"})}),
               {"1", "Open", "1", "Thumbs", " ", " "}),
          Form("Thumbs", PictureWindow(), kPictureActions)});
  WhenModal("W", [](TfmKXCOnfigWindow& main) {
    test::WhenModal("Thumbs", [](TfmKXCOnfigWindow& thumbs) {
      static_cast<TKXThumbnail2*>(thumbs.FindComponent("Grid")->Object)->SelectIndex(4);
      EXPECT_EQ(thumbs.CurrentIndex, 4);
      thumbs.close();
    });
    QTest::mouseClick(static_cast<QWidget*>(main.FindComponent("Open")->Object), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(main.CurrentIndex, 0);
    main.close();
  });
  ShowSkinWindow(s.forms, s.project, "W", true, s.services);
  EXPECT_EQ(settings->ReadSelectedIndex(), "0");  // the main window closed last
}

TEST_F(ConfigWindowTest, AThumbnailWindowWritesItsOwnChoice) {
  UseSettings("Sea.scr");
  WithPictures(5);
  s.Load({Form("Thumbs", PictureWindow(), kPictureActions)});
  WhenModal("Thumbs", [](TfmKXCOnfigWindow& thumbs) {
    static_cast<TKXThumbnail2*>(thumbs.FindComponent("Grid")->Object)->SelectIndex(4);
    thumbs.close();
  });
  ShowSkinWindow(s.forms, s.project, "Thumbs", true, s.services);
  EXPECT_EQ(settings->ReadSelectedIndex(), "4");
}

TEST_F(ConfigWindowTest, ShowWindowWithAMissingFormReportsAndTheWindowStays) {
  s.services.messages = &messages;
  s.Build(Block("Open: TMyButton", {"Tag = 3"}), {"1", "Open", "1", "Nowhere", " ", " "});
  Show();
  QTest::mouseClick(s.Control<TMyButton>("Open"), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find("Nowhere"), std::string::npos);
  EXPECT_TRUE(s.window->isVisible());
}

TEST_F(ConfigWindowTest, ActionsReachTheirServicesWithThePlaceholdersReplaced) {
  WithPictures(3);
  s.services.messages = &messages;
  messages.answer = false;
  s.project.Setting.Website = "http://sea.example/";
  std::vector<std::string> calls;
  s.services.openUrl = [&](const std::string& url) { calls.push_back("url " + url); };
  s.services.previewItem = [&](TfmKXCOnfigWindow&, const std::string& path) { calls.push_back("preview " + path); };
  s.Build(Join({Block("Web: TLabel", {"Tag = 3", "Top = 0", "Caption = 'site'"}), Block("Play: TImage", {"Tag = 3", "Top = 20"}),
                Block("Opts: TPanel", {"Tag = 3", "Top = 130"}), Block("Wall: TMyBevel", {"Tag = 3", "Top = 180"}),
                Block("Nothing: TMyShape", {"Tag = 3", "Top = 240", "Left = 100"}),
                Block("Bye: TBitBtn", {"Tag = 3", "Top = 320"})}),
          {"6", "web", "0", "<Website>", " ", " ", "Play", "4", " ", " ", " ", "Opts", "5", " ", " ", " ", "Wall",
           "9", " ", " ", " ", "Nothing", "7", " ", " ", " ", "Bye", "6", " ", " ", " "});
  Show();
  s.window->SelectPicture(2);
  test::WhenModalWidget<TfmSettingWindow>([&](TfmSettingWindow& dialog) {
    calls.push_back("settings");
    dialog.reject();
  });
  for (const char* name : {"Web", "Play", "Opts", "Wall", "Nothing"})
    QTest::mouseClick(s.window->FindComponent(name)->Widget(), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(calls, (std::vector<std::string>{"url http://sea.example/", "preview " + pictures[2], "settings"}));
  ASSERT_EQ(messages.shown.size(), 1u);  // the wallpaper question, answered No
  EXPECT_EQ(messages.shown[0].text, kWallpaperQuestion);
  QTest::mouseClick(s.Control<TBitBtn>("Bye"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(s.window->isVisible());
}

TEST_F(ConfigWindowTest, KeysRunTheAcceleratorsAndEscapeDoesNotClose) {
  s.Build(Join({Block("Quit: TMyButton", {"Tag = 3", "Caption = '&Quit'"}),
                Block("Grid: TKXThumbnail2", {"Tag = 3", "Top = 40"}), Block("Edit1: TEdit", {"Tag = 3", "Left = 360"})}),
          {"1", "Quit", "6", " ", " ", " "});
  Show();
  QTest::keyClick(s.window.get(), Qt::Key_Escape);
  EXPECT_TRUE(s.window->isVisible());
  QTest::keyClick(s.window.get(), Qt::Key_X);
  EXPECT_TRUE(s.window->isVisible());
  // An edit keeps the characters typed into it.
  QTest::keyClick(s.Control<TEdit>("Edit1"), Qt::Key_Q);
  EXPECT_EQ(s.Control<TEdit>("Edit1")->text(), "q");
  EXPECT_TRUE(s.window->isVisible());
  // A grid, which takes no text, passes them on.
  QTest::keyClick(s.Control<TKXThumbnail2>("Grid"), Qt::Key_Q);
  EXPECT_FALSE(s.window->isVisible());
}

TEST_F(ConfigWindowTest, ShowingAWindowAppliesTheUsersSettingsToTheProject) {
  struct Case {
    const char* exe;
    const char* argument;
    bool applied;
    bool titled;
  } cases[] = {{"Sea.scr", "", true, true}, {"Sea.exe", "/C", true, true}, {"Sea.exe", "/c", true, false},
               {"Sea.exe", "", false, false}};
  for (const auto& c : cases) {
    SkinWindow fresh;
    std::swap(s, fresh);
    UseSettings(c.exe, c.argument);
    s.project.Setting.ProductName = "Sea Life";
    test::WriteText(IniPath(), "[Setting]\r\nImageMode=2\r\nDuration=12\r\nSpeed=12\r\nImageSize=1\r\nSound=0\r\n");
    QGuiApplication::setApplicationDisplayName(" ");
    s.Load({Form("W")});
    WhenModal("W", [](TfmKXCOnfigWindow& w) { w.close(); });
    ShowSkinWindow(s.forms, s.project, "W", true, s.services);
    const TKXCSetting& st = s.project.Setting;
    EXPECT_EQ(st.ShowImageMode, c.applied ? 2 : 0) << c.exe << c.argument;
    EXPECT_EQ(st.Duration, c.applied ? 12 : 30) << c.exe << c.argument;
    EXPECT_EQ(st.Speed, c.applied ? 140 : 100) << c.exe << c.argument;
    EXPECT_EQ(st.Sound, !c.applied) << c.exe << c.argument;
    EXPECT_TRUE(st.Stretch);
    EXPECT_FALSE(st.Proportional && c.applied);
    EXPECT_EQ(QGuiApplication::applicationDisplayName() == "Sea Life", c.titled) << c.exe << c.argument;
  }
}

TEST_F(ConfigWindowTest, ASpeedTheTableLacksBecomesItsNearestTableValue) {
  struct Case {
    int projectSpeed;
    const char* file;
    int expected;
  } cases[] = {
      {77, "[Setting]\r\nDuration=5\r\n", 75},   // 75 is nearer than 80
      {65, "[Setting]\r\nDuration=5\r\n", 60},   // a tie takes the lower index
      {9999, "[Setting]\r\nDuration=5\r\n", 500},
      {77, "[Setting]\r\nSpeed=12\r\n", 140},    // a stored index wins
      {77, "[Setting]\r\nSpeed=25\r\n", 77},     // an index outside the table changes nothing
  };
  for (const auto& c : cases) {
    SkinWindow fresh;
    std::swap(s, fresh);
    UseSettings("Sea.scr");
    s.project.Setting.Speed = c.projectSpeed;
    test::WriteText(IniPath(), c.file);
    s.Load({Form("W")});
    WhenModal("W", [](TfmKXCOnfigWindow& w) { w.close(); });
    ShowSkinWindow(s.forms, s.project, "W", true, s.services);
    EXPECT_EQ(s.project.Setting.Speed, c.expected) << c.projectSpeed << " " << c.file;
  }
}

TEST_F(ConfigWindowTest, TheConfigurationModeReportsADamagedSkinAndEnds) {
  const std::string good = test::SkinText({Form("MainWindow")});
  struct Case {
    const char* name;
    std::string skin;
    const char* message;
  } cases[] = {
      {"count not a number", "one\r\n", "the form count \"one\" is not a decimal number"},
      {"file ends early", good.substr(0, 30), "is damaged: it ends after line"},
      {"unterminated string", test::SkinText({Form("MainWindow", {"  Caption = 'abc"})}), "no closing quote"},
      {"block without end", test::SkinText({Form("MainWindow", {"  object L: TLabel"})}), "has no \"end\""},
      {"odd binary", test::SkinText({Form("MainWindow", {"  object I: TImage", "    Picture.Data = {ABC}", "  end"})}),
       "odd number of hex digits"},
      {"non-hex digits", test::SkinText({Form("MainWindow", {"  object I: TImage", "    Picture.Data = {ABXY}", "  end"})}),
       "not a hex digit"},
      {"picture that does not decode",
       test::SkinText({Form("MainWindow", {"  object I: TImage", "    Picture.Data = {07544269746D6170040000000102030}", "  end"})}),
       "odd number"},
      {"picture that does not decode",
       test::SkinText({Form("MainWindow", {"  object I: TImage", "    Picture.Data = {07544269746D61700400000001020304}", "  end"})}),
       "TBitmap picture cannot be read"},
      {"10 000 nested blocks",
       test::SkinText({test::FormFixture{test::SplitForTest(test::NestedBlocks(10000, "MainWindow")), {"0"}}}),
       "nested deeper"},
      {"no main window", test::SkinText({Form("Other")}), "no form named \"MainWindow\""},
  };
  for (const auto& c : cases) {
    test::RecordingMessageBox shown;
    TKXCProject project;
    project.UI.UIFile = dir / "KXGUI.kxu";
    test::WriteText(project.UI.UIFile, c.skin);
    RunConfigWindow(project, dir / "Sea.scr", "", shown);  // returns: no window was shown
    ASSERT_EQ(shown.shown.size(), 1u) << c.name;
    EXPECT_EQ(shown.shown[0].kind, MessageKind::Error) << c.name;
    EXPECT_NE(shown.shown[0].text.find(c.message), std::string::npos) << c.name << ": " << shown.shown[0].text;
  }
  test::RecordingMessageBox shown;
  TKXCProject project;
  project.UI.UIFile = dir / "missing.kxu";
  RunConfigWindow(project, dir / "Sea.scr", "", shown);
  ASSERT_EQ(shown.shown.size(), 1u);
  EXPECT_NE(shown.shown[0].text.find("missing.kxu"), std::string::npos);
}

TEST_F(ConfigWindowTest, TheConfigurationModeShowsTheMainWindowAndSaves) {
  TKXCProject project;
  project.FileList.Names = pictures;
  project.FileList.Flags.assign(pictures.size(), "TRUE");
  project.UI.UIFile = dir / "KXGUI.kxu";
  test::WriteText(project.UI.UIFile,
                  test::SkinText({Form("MainWindow", Block("Next: TMyButton", {"Tag = 3"}), {"1", "Next", "2", " ", " ", " "})}));
  WhenModal("MainWindow", [](TfmKXCOnfigWindow& w) {
    QTest::mouseClick(static_cast<QWidget*>(w.FindComponent("Next")->Object), Qt::LeftButton, {}, QPoint(3, 3));
    w.close();
  });
  test::RecordingMessageBox shown;
  RunConfigWindow(project, dir / "Sea.scr", "", shown);
  EXPECT_TRUE(shown.shown.empty());
  EXPECT_EQ(UserSettingsFile(dir / "Sea.scr", "").ReadSelectedIndex(), "1");
}

}  // namespace
}  // namespace kx
