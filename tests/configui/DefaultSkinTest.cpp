// The project's own skin as the build writes it (DEFAULT_SKIN), clicked through with Qt's test
// events, and rendered by kxrender form (KXRENDER_EXE).
#include <QTest>

#include <set>

#include "configui/KXPreview.h"
#include "configui/KXThumbnail2.h"
#include "configui/SettingWindow.h"
#include "configui/SkinControls.h"
#include "configui/WindowText.h"
#include "imaging/PictureCodec.h"
#include "tests/configui/UiSupport.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::WhenModal;

class DefaultSkin : public ::testing::Test {
 protected:
  void SetUp() override {
    forms.LoadSkinFile(DEFAULT_SKIN);
    project.Setting.ProductName = "Sea Life";
    project.Setting.Publisher = "Deep Blue";
    project.Setting.Website = "http://sea.example/";
  }
  QWidget* Control(TfmKXCOnfigWindow& w, const char* name) {
    const SkinComponent* c = w.FindComponent(name);
    EXPECT_NE(c, nullptr) << name;
    return c == nullptr ? nullptr : c->Widget();
  }
  void Click(TfmKXCOnfigWindow& w, const char* name) {
    QWidget* control = Control(w, name);
    if (control != nullptr) QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
  }
  TKXForms forms;
  TKXCProject project;
};

// The classes that carry text or take input; no two of them may overlap on one parent.
bool IsContent(SkinClass c) {
  switch (c) {
    case SkinClass::Label: case SkinClass::Preview: case SkinClass::Thumbnail: case SkinClass::BitBtn:
    case SkinClass::Button: case SkinClass::MyButton: case SkinClass::CheckBox: case SkinClass::Edit:
    case SkinClass::MyMemo: case SkinClass::PageControl:
      return true;
    default:
      return false;
  }
}

TEST_F(DefaultSkin, HoldsFourFormsThatUseEveryClass) {
  ASSERT_GE(forms.GetFormCount(), 4);
  EXPECT_NE(forms.FindFormOrNull("MainWindow"), nullptr);
  EXPECT_NE(forms.FindFormOrNull("ThumbnailWindow"), nullptr);
  std::set<SkinClass> used;
  for (int i = 0; i < forms.GetFormCount(); ++i) {
    std::vector<const FormObject*> open;
    const auto root = ParseFormText(BuildWindowLines(forms.Form(i)));
    used.insert(*SkinClassFromName(root->className));
    for (open.push_back(root.get()); !open.empty();) {
      const FormObject* o = open.back();
      open.pop_back();
      for (const auto& child : o->children) {
        used.insert(*SkinClassFromName(child->className));
        open.push_back(child.get());
      }
    }
  }
  EXPECT_EQ(used.size(), static_cast<size_t>(kSkinClassCount));
}

TEST_F(DefaultSkin, EveryFormShowsWithItsTextsApartAndInside) {
  for (int i = 0; i < forms.GetFormCount(); ++i) {
    const std::string name = forms.Form(i).Name;
    auto window = CreateSkinWindow(forms, project, name);
    ConfigServices services;
    window->Forms = &forms;
    window->Project = &project;
    window->Services = &services;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const auto& all = window->Components;
    for (size_t a = 0; a < all.size(); ++a) {
      const SkinComponent& c = all[a];
      QWidget* w = c.Widget();
      if (w == nullptr || !w->isVisible() || c.Class == SkinClass::TabSheet) continue;
      EXPECT_TRUE(QRect(QPoint(0, 0), w->parentWidget()->size()).contains(w->geometry()))
          << name << "." << c.Name << " lies outside its parent";
      if (auto* button = dynamic_cast<TMyButton*>(w); button != nullptr && button->ShowCaption()) {
        EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(CaptionDisplayText(button->Caption())), w->width() - 16)
            << name << "." << c.Name;
      }
      if (!IsContent(c.Class)) continue;
      for (size_t b = a + 1; b < all.size(); ++b) {
        QWidget* other = all[b].Widget();
        if (other == nullptr || !other->isVisible() || !IsContent(all[b].Class) || other->parentWidget() != w->parentWidget())
          continue;
        EXPECT_FALSE(w->geometry().intersects(other->geometry())) << name << ": " << c.Name << " overlaps " << all[b].Name;
      }
    }
    EXPECT_EQ(window->windowTitle().contains('<'), false) << name;
    window->close();
  }
}

TEST_F(DefaultSkin, TheMainWindowClicksThrough) {
  test::TempDir dir;
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> jpeg;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(Bitmap32(64, 48, Rgb(60 * i, 120, 200)), 90, jpeg, error));
    ASSERT_TRUE(WriteWholeFile(dir / ("p" + std::to_string(i) + ".jpg"), jpeg, error));
    project.FileList.Names.push_back(dir / ("p" + std::to_string(i) + ".jpg"));
    project.FileList.Flags.push_back("TRUE");
  }
  const UserSettingsFile settings(dir / "Demo.scr", "");
  std::vector<std::string> calls;
  ConfigServices services;
  services.settings = &settings;
  services.exePath = dir / "Demo.scr";
  services.openUrl = [&](const std::string& url) { calls.push_back("url " + url); };
  services.previewItem = [&](TfmKXCOnfigWindow&, const std::string& path) { calls.push_back("preview " + path); };
  test::RecordingMessageBox messages;
  messages.answer = false;  // to the wallpaper question
  services.messages = &messages;

  bool finished = false;
  WhenModal("MainWindow", [&](TfmKXCOnfigWindow& main) {
    EXPECT_EQ(static_cast<TLabel*>(Control(main, "lblTitle"))->Caption(), "Sea Life");
    Click(main, "btnNext");
    EXPECT_EQ(main.CurrentIndex, 1);
    EXPECT_EQ(static_cast<TKXPreview*>(Control(main, "pvScreen"))->FileName(), project.FileList.Names[1]);
    Click(main, "btnPrevious");
    EXPECT_EQ(main.CurrentIndex, 0);
    for (int i = 0; i < 3; ++i) Click(main, "btnNext");
    EXPECT_EQ(main.CurrentIndex, 2);
    Click(main, "lblWebsite");
    Click(main, "btnPreview");
    Click(main, "pvScreen");
    test::WhenModalWidget<TfmSettingWindow>([&](TfmSettingWindow& dialog) {
      calls.push_back("settings");
      dialog.reject();
    });
    Click(main, "btnSettings");
    Click(main, "btnWallpaper");
    if (messages.shown.size() == 1 && messages.shown[0].text == kWallpaperQuestion) calls.push_back("wallpaper");

    WhenModal("HelpWindow", [&](TfmKXCOnfigWindow& help) {
      EXPECT_TRUE(help.windowFlags().testFlag(Qt::FramelessWindowHint));
      Click(help, "btnHelpClose");
    });
    QTest::keyClick(&main, Qt::Key_H);  // the accelerator of "&Help"

    WhenModal("ThumbnailWindow", [&](TfmKXCOnfigWindow& thumbs) {
      auto* grid = static_cast<TKXThumbnail2*>(Control(thumbs, "grdPictures"));
      EXPECT_EQ(grid->ItemCount(), 3);
      EXPECT_TRUE(grid->Checked(0));  // no [Files] keys yet: every picture ticked
      grid->SetChecked(1, false);
      grid->SelectIndex(1);
      EXPECT_EQ(thumbs.CurrentIndex, 1);
      Click(thumbs, "btnThumbClose");
    });
    Click(main, "shpBrowse");
    EXPECT_EQ(settings.ReadSelectedIndex(), "1");
    EXPECT_EQ(settings.ReadExcludedItems(), std::vector<std::string>{"1"});
    EXPECT_EQ(main.CurrentIndex, 2);

    WhenModal("AboutWindow", [&](TfmKXCOnfigWindow& about) {
      EXPECT_EQ(about.windowTitle(), "About Sea Life");
      Click(about, "btnAboutOK");
    });
    Click(main, "btnAbout");
    finished = true;
    Click(main, "btnClose");
  });
  ShowSkinWindow(forms, project, "MainWindow", true, services);
  EXPECT_TRUE(finished);
  const std::string path = project.FileList.Names[2];
  EXPECT_EQ(calls, (std::vector<std::string>{"url http://sea.example/", "preview " + path, "preview " + path, "settings",
                                             "wallpaper"}));
  EXPECT_EQ(settings.ReadSelectedIndex(), "2");
}

TEST_F(DefaultSkin, KxrenderWritesEveryForm) {
  test::TempDir dir;
  for (int i = 0; i < forms.GetFormCount(); ++i) {
    const std::string name = forms.Form(i).Name;
    const std::string out = dir / (name + ".png");
    const std::string command = std::string("'") + KXRENDER_EXE + "' form '" + DEFAULT_SKIN + "' " + name + " '" + out +
                                "' --product 'Sea Life' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Bitmap32 shot;
    std::string error;
    ASSERT_TRUE(DecodePictureFile(out, shot, error)) << error;
    auto window = CreateSkinWindow(forms, project, name);
    EXPECT_EQ(shot.Width(), window->width()) << name;
    EXPECT_EQ(shot.Height(), window->height()) << name;
    std::set<uint32_t> colours;
    for (int y = 0; y < shot.Height(); y += 3)
      for (int x = 0; x < shot.Width(); x += 3) colours.insert(shot.Pixel(x, y));
    EXPECT_GT(colours.size(), 50u) << name;  // a drawn window, not a blank picture
  }
  EXPECT_NE(std::system((std::string("'") + KXRENDER_EXE + "' form '" + DEFAULT_SKIN + "' Nowhere '" + (dir / "x.png") +
                         "' > /dev/null 2>&1").c_str()),
            0);
}

TEST(KxrenderSettings, WritesBothPagesOfTheDialog) {
  test::TempDir dir;
  test::WriteText(dir / "Sea.ini", "[MusicList]\r\n/music/one.mp3=\r\n");
  Bitmap32 pages[2];
  for (int page = 0; page < 2; ++page) {
    const std::string out = dir / ("settings" + std::to_string(page + 1) + ".png");
    const std::string command = std::string("'") + KXRENDER_EXE + "' settings '" + out + "' --page " +
                                std::to_string(page + 1) + " --ini '" + (dir / "Sea.ini") + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::string error;
    ASSERT_TRUE(DecodePictureFile(out, pages[page], error)) << error;
    EXPECT_EQ(pages[page].Width(), 364);
    EXPECT_EQ(pages[page].Height(), 324);
  }
  // The pages differ inside the page control, and agree on the buttons below it.
  int differing = 0;
  for (int y = 40; y < 270; ++y)
    for (int x = 20; x < 340; ++x) differing += pages[0].Pixel(x, y) != pages[1].Pixel(x, y);
  EXPECT_GT(differing, 2000);
  for (int y = 289; y < 314; ++y)
    for (int x = 198; x < 353; ++x) ASSERT_EQ(pages[0].Pixel(x, y), pages[1].Pixel(x, y)) << x << "," << y;
  EXPECT_NE(std::system((std::string("'") + KXRENDER_EXE + "' settings > /dev/null 2>&1").c_str()), 0);
}

}  // namespace
}  // namespace kx
