#include <QFontInfo>

#include "configui/KXPreview.h"
#include "configui/KXThumbnail2.h"
#include "configui/SkinControls.h"
#include "configui/SkinError.h"
#include "imaging/PictureCodec.h"
#include "tests/configui/UiSupport.h"

namespace kx {
namespace {

using test::Block;
using test::Join;
using test::SkinWindow;

TEST(Builder, ANewWindowStartsWithItsDefaults) {
  SkinWindow s;
  TfmKXCOnfigWindow& w = s.Build({});
  EXPECT_EQ(w.windowTitle(), "fmKXCOnfigWindow");
  EXPECT_EQ(w.size(), QSize(331, 444));
  EXPECT_EQ(w.font().family(), "MS Sans Serif");
  EXPECT_EQ(w.font().pixelSize(), 11);
  EXPECT_EQ(w.palette().color(QPalette::Window), ResolveColor(clBtnFace));
  EXPECT_EQ(w.Name(), "W");
  EXPECT_TRUE(w.Components.empty());
}

TEST(Builder, EveryClassSitsAtItsBoundsInTextOrder) {
  const char* classes[] = {"TForm", "TLabel", "TImage", "TKXPreview", "TKXThumbnail2", "TShape", "TMyShape",
                           "TMyBevel", "TPanel", "TBitBtn", "TButton", "TMyButton", "TCheckBox", "TEdit",
                           "TMyMemo", "TPageControl"};
  std::vector<std::string> body;
  int i = 0;
  for (const char* cls : classes) {
    std::vector<std::string> lines = {"Left = " + std::to_string(3 + i), "Top = " + std::to_string(40 + i),
                                      "Width = " + std::to_string(70 + i), "Height = " + std::to_string(30 + i)};
    if (std::string(cls) == "TLabel") lines.push_back("AutoSize = False");
    auto block = Block(std::string("C") + std::to_string(i) + ": " + cls, lines);
    body.insert(body.end(), block.begin(), block.end());
    ++i;
  }
  body.push_back("  object TTimer");
  body.push_back("    Interval = 250");
  body.push_back("  end");
  SkinWindow s;
  TfmKXCOnfigWindow& w = s.Build(body);
  ASSERT_EQ(w.Components.size(), std::size(classes) + 1);
  for (size_t k = 0; k < std::size(classes); ++k) {
    const SkinComponent& c = w.Components[k];
    EXPECT_STREQ(SkinClassName(c.Class), classes[k]);
    EXPECT_EQ(c.Name, "C" + std::to_string(k));
    EXPECT_EQ(c.Parent, &w);
    const int n = static_cast<int>(k);
    EXPECT_EQ(c.Widget()->geometry(), QRect(3 + n, 40 + n, 70 + n, 30 + n)) << classes[k];
  }
  const SkinComponent& timer = w.Components.back();
  EXPECT_EQ(timer.Class, SkinClass::Timer);
  EXPECT_EQ(timer.Parent, nullptr);
  EXPECT_EQ(static_cast<QTimer*>(timer.Object)->interval(), 250);
  EXPECT_FALSE(static_cast<QTimer*>(timer.Object)->isActive());  // a skin timer never runs
}

TEST(Builder, PagesJoinTheirPageControl) {
  SkinWindow s;
  s.Build(Join({{"  object Pages: TPageControl", "    ActivePage = Second"},
                Block("First: TTabSheet", {"Caption = 'One'"}),
                Block("Second: TTabSheet", {"Caption = 'Two'", "object Inner: TLabel", "  Left = 7", "end"}),
                {"  end"}}));
  auto* pages = s.Control<TPageControl>("Pages");
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->tabText(0), "One");
  EXPECT_EQ(pages->tabText(1), "Two");
  EXPECT_EQ(pages->currentWidget(), s.Control<TTabSheet>("Second"));
  EXPECT_EQ(s.Control<TLabel>("Inner")->parentWidget(), s.Control<TTabSheet>("Second"));
  EXPECT_EQ(s.window->FindComponent("Inner")->Parent, s.Control<TTabSheet>("Second"));
}

TEST(Builder, AlignedControlsFillTheirParentInOrder) {
  SkinWindow s;
  s.Build(Join({{"  ClientWidth = 200", "  ClientHeight = 100"},
                Block("Bottom: TPanel", {"Align = alBottom", "Height = 20"}),
                Block("Top: TPanel", {"Align = alTop", "Height = 30"}),
                Block("Left: TPanel", {"Align = alLeft", "Width = 50"}),
                Block("Rest: TMyMemo", {"Align = alClient"}),
                Block("Free: TPanel", {"Left = 5", "Top = 6", "Width = 7", "Height = 8"})}));
  EXPECT_EQ(s.Control<TPanel>("Top")->geometry(), QRect(0, 0, 200, 30));
  EXPECT_EQ(s.Control<TPanel>("Bottom")->geometry(), QRect(0, 80, 200, 20));
  EXPECT_EQ(s.Control<TPanel>("Left")->geometry(), QRect(0, 30, 50, 50));
  EXPECT_EQ(s.Control<TMyMemo>("Rest")->geometry(), QRect(50, 30, 150, 50));
  EXPECT_EQ(s.Control<TPanel>("Free")->geometry(), QRect(5, 6, 7, 8));
}

TEST(Builder, ColoursFontsAndHints) {
  SkinWindow s;
  s.Build(Join({{"  Color = 16109504", "  ShowHint = True"},
                Block("Box: TPanel", {"Color = clHighlight", "Font.Name = 'Arial'", "Font.Height = -16",
                                      "Font.Style = [fsBold, fsItalic]", "Font.Color = clRed", "ParentFont = False",
                                      "object Inside: TLabel", "  Hint = 'inside'", "end"}),
                Block("Plain: TLabel", {"Hint = 'plain'", "ParentShowHint = False"}),
                Block("Edit1: TEdit", {})}));
  EXPECT_EQ(s.window->palette().color(QPalette::Window), QColor(192, 207, 245));
  auto* box = s.Control<TPanel>("Box");
  EXPECT_EQ(box->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Highlight));
  auto* inside = s.Control<TLabel>("Inside");
  EXPECT_EQ(inside->font().pixelSize(), 16);  // the label follows its panel
  EXPECT_TRUE(inside->font().bold());
  EXPECT_TRUE(inside->font().italic());
  EXPECT_EQ(inside->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(inside->palette().color(QPalette::Window), box->palette().color(QPalette::Window));
  EXPECT_EQ(QFontInfo(inside->font()).family(), "Liberation Sans");
  EXPECT_EQ(inside->toolTip(), "inside");         // the window's ShowHint reaches it
  EXPECT_EQ(s.Control<TLabel>("Plain")->toolTip(), "");
  // An edit keeps its own window colour.
  EXPECT_EQ(s.Control<TEdit>("Edit1")->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
}

TEST(Builder, AChildsVisibleLineSurvivesIntoTheWindow) {
  SkinWindow s;
  s.Build(Join({{"  Visible = True"}, Block("Hidden: TLabel", {"Visible = False", "Tag = 3"}),
                Block("Shown: TLabel", {"Tag = 3"})}));
  EXPECT_TRUE(s.Control<TLabel>("Hidden")->isHidden());
  EXPECT_FALSE(s.Control<TLabel>("Shown")->isHidden());
}

TEST(Builder, WindowedControlsLieAboveGraphicOnes) {
  SkinWindow s;
  s.Build(Join({Block("Panel1: TPanel", {"Left = 0", "Top = 0", "Width = 100", "Height = 100"}),
                Block("Back: TImage", {"Left = 0", "Top = 0", "Width = 100", "Height = 100"}),
                Block("Front: TLabel", {"Left = 0", "Top = 0", "Width = 50", "Height = 50", "AutoSize = False"}),
                Block("Over: TLabel", {"Left = 0", "Top = 60", "Width = 50", "Height = 20", "AutoSize = False"})}));
  // Graphic controls keep text order among themselves and all lie below the panel.
  EXPECT_EQ(s.window->childAt(10, 10), s.Control<TPanel>("Panel1"));
  const QObjectList& order = s.window->children();
  EXPECT_LT(order.indexOf(s.Control<TImage>("Back")), order.indexOf(s.Control<TLabel>("Front")));
  EXPECT_LT(order.indexOf(s.Control<TLabel>("Over")), order.indexOf(s.Control<TPanel>("Panel1")));
}

TEST(Builder, AutoSizedLabelsFitTheirText) {
  SkinWindow s;
  s.Build(Join({Block("Left1: TLabel", {"Left = 10", "Width = 300", "Caption = 'Hello'"}),
                Block("Right1: TLabel", {"Left = 10", "Width = 300", "Caption = 'Hello'", "Alignment = taRightJustify"}),
                Block("Fixed: TLabel", {"Left = 10", "Width = 300", "Caption = 'Hello'", "AutoSize = False"})}));
  const int text = QFontMetrics(s.Control<TLabel>("Left1")->font()).horizontalAdvance("Hello");
  EXPECT_EQ(s.Control<TLabel>("Left1")->geometry().width(), text);
  EXPECT_EQ(s.Control<TLabel>("Left1")->x(), 10);
  EXPECT_EQ(s.Control<TLabel>("Right1")->x() + s.Control<TLabel>("Right1")->width(), 310);
  EXPECT_EQ(s.Control<TLabel>("Fixed")->width(), 300);
}

TEST(Builder, PicturesComeFromTheirData) {
  Bitmap32 picture(3, 2, Rgb(10, 20, 30));
  std::vector<uint8_t> bmp;
  ASSERT_TRUE(EncodeBmp24(picture, bmp));
  const auto data = FormatBinaryValue(EncodePictureData("TBitmap", bmp), "  ");
  std::vector<std::string> lines = {"AutoSize = True", "Picture.Data = " + data[0]};
  lines.insert(lines.end(), data.begin() + 1, data.end());
  SkinWindow s;
  s.Build(Block("Image1: TImage", lines));
  auto* image = s.Control<TImage>("Image1");
  EXPECT_EQ(image->size(), QSize(3, 2));
  EXPECT_EQ(image->Picture().Get(false).pixel(1, 1), qRgb(10, 20, 30));
}

TEST(Builder, ThePlaceholdersReachOnlyTheWindowAndItsPanels) {
  SkinWindow s;
  s.project.Setting.ProductName = "Joe's Saver";
  s.project.Setting.Publisher = "Joe";
  s.Build(Join({{"  Caption = '<ScreensaverName> setup'"},
                Block("OnWindow: TLabel", {"Caption = 'It'#39's <ScreensaverName>'"}),
                Block("Outer: TPanel", {"Caption = '<ScreensaverName>'", "object Inner: TPanel",
                                        "  object Deep: TLabel", "    Caption = '<ScreensaverName>'", "  end", "end"}),
                Block("Bit: TBitBtn", {"Caption = 'by <CompanyName>'"}),
                Block("Pic: TMyButton", {"Caption = '<CompanyName>'"}),
                Block("Memo: TMyMemo", {"Text = '<ScreensaverName>'#13#10'two'"}),
                Block("Plain: TButton", {"Caption = '<CompanyName>'"}),
                Block("Frame: TForm", {"object InForm: TLabel", "  Caption = '<ScreensaverName>'", "end"}),
                Block("Pages: TPageControl", {"object Sheet: TTabSheet", "  object OnSheet: TLabel",
                                              "    Caption = '<ScreensaverName>'", "  end", "end"})}));
  EXPECT_EQ(s.window->windowTitle(), "Joe's Saver setup");
  EXPECT_EQ(s.Control<TLabel>("OnWindow")->Caption(), "It's Joe's Saver");
  EXPECT_EQ(s.Control<TLabel>("Deep")->Caption(), "Joe's Saver");
  EXPECT_EQ(s.Control<TPanel>("Outer")->Caption(), "<ScreensaverName>");  // a panel's own caption stays
  EXPECT_EQ(s.Control<TBitBtn>("Bit")->text(), "by Joe");
  EXPECT_EQ(s.Control<TMyButton>("Pic")->Caption(), "Joe");
  EXPECT_EQ(s.Control<TMyMemo>("Memo")->Text(), "Joe's Saver\r\ntwo\r\n");
  EXPECT_EQ(s.Control<TButton>("Plain")->text(), "<CompanyName>");
  EXPECT_EQ(s.Control<TLabel>("InForm")->Caption(), "<ScreensaverName>");
  EXPECT_EQ(s.Control<TLabel>("OnSheet")->Caption(), "<ScreensaverName>");
}

TEST(Builder, NoPublisherLeavesNoLoneBy) {
  SkinWindow s;
  s.project.Setting.ProductName = "Sea";
  s.project.Setting.Publisher = "";
  s.Build(Join({Block("Credit: TLabel", {"Caption = '<ScreensaverName> by <CompanyName>'"}),
                Block("Bit: TBitBtn", {"Caption = 'By <CompanyName>'"}),
                Block("Word: TLabel", {"Caption = 'stand by <ScreensaverName>'"})}));
  EXPECT_EQ(s.Control<TLabel>("Credit")->Caption(), "Sea ");
  EXPECT_EQ(s.Control<TBitBtn>("Bit")->text(), "");
  EXPECT_EQ(s.Control<TLabel>("Word")->Caption(), "stand by Sea");
}

TEST(Builder, TheFrameFollowsTheWindowsProperties) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    bool frameless, fixed, close, minimize, maximize, maximized;
  } cases[] = {
      {"plain", {}, false, true, false, false, false, false},
      {"no frame", {"  NoFrame = True", "  Sizeable = True", "  ShowButtons = True"}, true, true, false, false, false, false},
      {"sizeable", {"  Sizeable = True"}, false, false, false, false, false, false},
      {"buttons", {"  ShowButtons = True", "  MinimizeButton = True", "  MaximizeButton = True"}, false, true, true, true, true, false},
      {"maximized", {"  MaximizeOnShow = True"}, false, false, false, false, false, true},
  };
  for (const auto& c : cases) {
    SkinWindow s;
    TfmKXCOnfigWindow& w = s.Build(c.lines);
    const Qt::WindowFlags f = w.windowFlags();
    EXPECT_EQ(f.testFlag(Qt::FramelessWindowHint), c.frameless) << c.name;
    EXPECT_EQ(w.minimumSize() == w.maximumSize(), c.fixed) << c.name;
    EXPECT_EQ(f.testFlag(Qt::WindowCloseButtonHint), c.close) << c.name;
    EXPECT_EQ(f.testFlag(Qt::WindowMinimizeButtonHint), c.minimize) << c.name;
    EXPECT_EQ(f.testFlag(Qt::WindowMaximizeButtonHint), c.maximize) << c.name;
    EXPECT_EQ(w.windowState().testFlag(Qt::WindowMaximized), c.maximized) << c.name;
    if (!c.maximized) {
      const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
      EXPECT_LE(std::abs(w.geometry().center().x() - screen.center().x()), 1) << c.name;
    }
  }
}

TEST(Builder, TheWindowAcceptsTheDesignersFurtherLines) {
  SkinWindow s;
  EXPECT_NO_THROW(s.Build({"  OldCreateOrder = False", "  PixelsPerInch = 96", "  TextHeight = 13",
                           "  ShowInTaskbar = False", "  AlphaBlend = True", "  KeyPreview = True"}));
}

TEST(Builder, FaultsFailTheBuildWithTheFormAndTheLine) {
  struct Case {
    const char* name;
    std::vector<std::string> body;
    const char* message;
  } cases[] = {
      {"class outside the list", Block("L: TListBox", {}), "line 3: the class \"TListBox\" is not one a skin may use"},
      {"unknown property", Block("L: TLabel", {"Foo = 1"}), "line 4: \"Foo\" is not a property of TLabel \"L\""},
      {"boolean line on a control", Block("L: TLabel", {"ShowInTaskbar = False"}), "is not a property of TLabel"},
      {"window property on a control", Block("L: TLabel", {"NoFrame = True"}), "is not a property of TLabel"},
      {"number expected", Block("L: TLabel", {"Left = 'x'"}), "Left of TLabel \"L\" takes a number, not 'x'"},
      {"boolean expected", Block("L: TLabel", {"Visible = 1"}), "takes True or False, not 1"},
      {"string expected", Block("L: TLabel", {"Caption = 12"}), "takes a string, not 12"},
      {"colour expected", Block("L: TLabel", {"Color = clSunset"}), "takes a colour, not clSunset"},
      {"enumeration value", Block("L: TLabel", {"Align = alMiddle"}), "takes one of alNone"},
      {"set member", Block("L: TLabel", {"Font.Style = [fsHuge]"}), "holds \"fsHuge\""},
      {"too large", Block("L: TLabel", {"Tag = 99999999999"}), "takes a 32-bit number"},
      {"picture that does not decode", Block("I: TImage", {"Picture.Data = {0A544A504547496D616765020000001234}"}),
       "Picture.Data of TImage \"I\" cannot be read"},
      {"label holding a control", Block("L: TLabel", {"object M: TLabel", "end"}), "cannot stand inside TLabel"},
      {"page outside a page control", Block("S: TTabSheet", {}), "must stand inside a TPageControl"},
      {"page control holding a label", Block("P: TPageControl", {"object M: TLabel", "end"}), "holds TTabSheet pages only"},
      {"active page missing", Block("P: TPageControl", {"ActivePage = Nope"}), "ActivePage names \"Nope\""},
      {"active control missing", {"  ActiveControl = Nope"}, "ActiveControl names \"Nope\""},
      {"syntax", {"  Left = 'abc"}, "line 3: the string has no closing quote"},
      {"window inside a window", Block("X: TfmKXCOnfigWindow", {}), "a window cannot stand inside another"},
  };
  for (const auto& c : cases) {
    SkinWindow s;
    std::vector<std::string> body = {"  Visible = False"};  // the window's own Visible line goes first
    body.insert(body.end(), c.body.begin(), c.body.end());
    try {
      s.Build(body);
      ADD_FAILURE() << c.name << ": built";
    } catch (const SkinError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find("The skin form \"W\" cannot be built"), std::string::npos) << c.name << ": " << text;
      EXPECT_NE(text.find(c.message), std::string::npos) << c.name << ": " << text;
    }
  }
}

TEST(Builder, TenThousandNestedBlocksFailCleanly) {
  SkinWindow s;
  s.forms.LoadSkinText(test::SkinText({test::FormFixture{test::SplitForTest(test::NestedBlocks(10000)), {"0"}}}), "deep");
  EXPECT_THROW(s.BuildNamed("W"), SkinError);
}

TEST(Builder, AMissingFormIsAnError) {
  SkinWindow s;
  s.Load({test::Form("W")});
  EXPECT_THROW(s.BuildNamed("Other"), SkinError);
  EXPECT_NO_THROW(s.BuildNamed("  w  "));  // the name is trimmed and matched in any case
}

}  // namespace
}  // namespace kx
