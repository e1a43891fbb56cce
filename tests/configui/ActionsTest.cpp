// The named actions of skin windows, run by clicks, with a stand-in desktop.
#include <QTest>

#include "configui/SettingWindow.h"
#include "configui/SkinControls.h"
#include "configui/WallpaperFile.h"
#include "tests/configui/MediaFixtures.h"
#include "tests/configui/UiSupport.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::Block;
using test::Join;

class FakeDesktop final : public DesktopService {
 public:
  bool SetWallpaper(const std::string& path, std::string& error) override {
    calls.push_back(path);
    if (!works) error = "no desktop here";
    return works;
  }
  std::vector<std::string> calls;
  bool works = true;
};

// A window with one picture button "Go" whose actions are given, in a folder that holds the
// program "Sea.scr".
class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.services.messages = &messages;
    s.services.desktop = &desktop;
    s.services.exePath = Exe();
  }
  void Items(std::vector<std::string> items) {
    s.project.FileList.Names = std::move(items);
    s.project.FileList.Flags.assign(s.project.FileList.Names.size(), "TRUE");
  }
  void Build(std::vector<std::string> actions) {
    s.Build(Block("Go: TMyButton", {"Tag = 3"}), std::move(actions));
    s.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s.window.get()));
  }
  void Click() { QTest::mouseClick(s.Control<TMyButton>("Go"), Qt::LeftButton, {}, QPoint(5, 5)); }
  std::string Exe() const { return dir / "Sea.scr"; }
  std::string Bmp() const { return dir / "Sea.scr.bmp"; }
  int Questions() const {
    int n = 0;
    for (const auto& m : messages.shown) n += m.text == kWallpaperQuestion;
    return n;
  }
  test::TempDir dir;
  test::RecordingMessageBox messages;
  FakeDesktop desktop;
  test::SkinWindow s;
};

TEST_F(ActionsTest, TheFirstActionOfAComponentRunsWhateverItsLetterCase) {
  Items({dir / "a.jpg", dir / "b.jpg", dir / "c.jpg", dir / "d.jpg", dir / "e.jpg"});
  Build({"2", "GO", "2", " ", " ", " ", "Go", "3", " ", " ", " "});
  s.window->SelectPicture(2);
  for (int i = 0; i < 3; ++i) Click();
  EXPECT_EQ(s.window->CurrentIndex, 4);  // "Next picture" three times from 3 of 5
}

TEST_F(ActionsTest, OpenUrlReplacesThePlaceholdersAndSkipsABlankParameter) {
  s.project.Setting.Website = "http://sea.example/";
  s.project.Setting.Publisher = "Deep Blue";
  std::vector<std::string> opened;
  s.services.openUrl = [&](const std::string& url) { opened.push_back(url); };
  s.Build(Join({Block("A: TMyButton", {"Tag = 3"}), Block("B: TMyButton", {"Tag = 3", "Top = 40"}),
                Block("C: TMyButton", {"Tag = 3", "Top = 80"})}),
          {"3", "A", "0", "<Website>", " ", " ", "B", "0", "<Website>?by=<CompanyName>", " ", " ", "C", "0", " ", " ", " "});
  s.window->show();
  for (const char* name : {"A", "B", "C"}) QTest::mouseClick(s.Control<TMyButton>(name), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(opened, (std::vector<std::string>{"http://sea.example/", "http://sea.example/?by=Deep Blue"}));
}

TEST_F(ActionsTest, PreviewPlaysTheCurrentPictureAndNothingWithoutPictures) {
  std::vector<std::string> played;
  s.services.previewItem = [&](TfmKXCOnfigWindow&, const std::string& path) { played.push_back(path); };
  Build({"1", "Go", "4", " ", " ", " "});
  Click();
  EXPECT_TRUE(played.empty());
  Items({dir / "a.jpg", dir / "b.jpg"});
  s.window->SelectPicture(1);
  Click();
  EXPECT_EQ(played, std::vector<std::string>{dir / "b.jpg"});
}

TEST_F(ActionsTest, AnsweringNoToTheWallpaperQuestionWritesNothing) {
  Items({test::WriteJpegFile(dir / "a.jpg", Bitmap32(8, 6, Rgb(1, 2, 3)))});
  messages.answer = false;
  Build({"1", "Go", "9", " ", " ", " "});
  Click();
  EXPECT_EQ(Questions(), 1);
  EXPECT_FALSE(FileExists(Bmp()));
  EXPECT_TRUE(desktop.calls.empty());
}

TEST_F(ActionsTest, AScenePackageBecomesTheWallpaperAsA32BitBmp) {
  const Bitmap32 picture = test::Gradient(64, 48);
  Items({test::WriteJpegFile(dir / "a.jpg", Bitmap32(8, 6, Rgb(1, 2, 3))),
         test::WriteScene(dir / "Bay.kxp", picture, Bitmap32(8, 6, Rgb(255, 0, 0)), "Bay")});
  Build({"1", "Go", "9", " ", " ", " "});
  s.window->SelectPicture(1);
  Click();
  EXPECT_EQ(Questions(), 1);
  std::vector<uint8_t> bmp;
  std::string error;
  ASSERT_TRUE(ReadWholeFile(Bmp(), bmp, error)) << error;
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp[28], 32);  // bits per pixel
  Bitmap32 back;
  ASSERT_TRUE(DecodePicture(bmp, back, error)) << error;
  ASSERT_EQ(back.Width(), 64);
  ASSERT_EQ(back.Height(), 48);
  for (int y = 0; y < 48; y += 9)
    for (int x = 0; x < 64; x += 9) EXPECT_LE(test::ChannelDistance(back.Pixel(x, y), picture.Pixel(x, y)), 8) << x << "," << y;
  EXPECT_EQ(desktop.calls, std::vector<std::string>{Bmp()});
  EXPECT_EQ(messages.shown.size(), 1u);  // the question only
}

TEST_F(ActionsTest, WallpaperFailuresAreReportedAndTheWindowStays) {
  struct Case {
    const char* name;
    bool hasPicture;
    bool pictureReads;
    bool desktopWorks;
    std::string exe;
    bool fileWritten;
    const char* message;  // "" for no error box
  } cases[] = {
      {"no pictures: Yes does nothing", false, true, true, "Sea.scr", false, ""},
      {"a picture that cannot be read", true, false, true, "Sea.scr", false, "broken.jpg"},
      {"a file that cannot be written", true, true, true, "no-such-folder/Sea.scr", false, "no-such-folder"},
      {"a desktop that cannot be told", true, true, false, "Sea.scr", true, "no desktop here"},
  };
  for (const auto& c : cases) {
    test::TempDir here;
    test::SkinWindow fresh;
    std::swap(s, fresh);
    messages.shown.clear();
    desktop.calls.clear();
    desktop.works = c.desktopWorks;
    s.services.messages = &messages;
    s.services.desktop = &desktop;
    s.services.exePath = here / c.exe;
    if (c.hasPicture) {
      const std::string item = here / (c.pictureReads ? "good.jpg" : "broken.jpg");
      if (c.pictureReads) test::WriteJpegFile(item, Bitmap32(8, 6, Rgb(5, 6, 7)));
      else test::WriteText(item, "no picture");
      Items({item});
    }
    Build({"1", "Go", "9", " ", " ", " "});
    Click();
    EXPECT_EQ(Questions(), 1) << c.name;
    EXPECT_EQ(FileExists(here / (c.exe + ".bmp")), c.fileWritten) << c.name;
    const bool boxed = messages.shown.size() == 2 && messages.shown[1].kind == MessageKind::Error;
    EXPECT_EQ(boxed, *c.message != '\0') << c.name;
    if (boxed) {
      EXPECT_NE(messages.shown[1].text.find(c.message), std::string::npos) << c.name << ": " << messages.shown[1].text;
    }
    EXPECT_EQ(desktop.calls.size(), c.fileWritten ? 1u : 0u) << c.name;
    EXPECT_TRUE(s.window->isVisible()) << c.name;
  }
}

TEST_F(ActionsTest, OpenSettingShowsTheDialogAndOkWrites) {
  const UserSettingsFile settings(Exe(), "");
  s.services.settings = &settings;
  Build({"1", "Go", "5", " ", " ", " "});
  test::WhenModalWidget<TfmSettingWindow>([](TfmSettingWindow& d) {
    EXPECT_TRUE(d.Button1->isEnabled());
    d.cbShowClock->setChecked(true);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
  });
  Click();
  EXPECT_EQ(IniText::LoadFile(dir / "Sea.ini").ReadString("Setting", "ShowClock", ""), "1");
  EXPECT_EQ(s.window->findChildren<TfmSettingWindow*>().size(), 1);
  EXPECT_TRUE(s.window->isVisible());
}

}  // namespace
}  // namespace kx
