#include <gtest/gtest.h>

#include "configui/WindowText.h"
#include "tests/configui/SkinFixtures.h"

namespace kx {
namespace {

TKXForm FormOf(std::vector<std::string> lines) {
  TKXForm form;
  form.Lines = std::move(lines);
  form.Name = FormNameOf(form.Lines[0]);
  return form;
}

TEST(WindowText, RenamesTheRootAndDropsTheLinesTheWindowDoesNotTake) {
  const TKXForm form = FormOf({
      "object MainWindow: TfmForm",
      "  Visible = False",             // the window's own: dropped
      "  BorderIcons = [biSystemMenu]",
      "  borderstyle = bsNone",
      "  FormStyle = fsStayOnTop",
      "  OnCreate = FormCreate",
      "  Online = True",               // On and a lower-case letter: kept
      "  object Edit1: TEdit",
      "    BorderStyle = bsNone",        // also dropped on a child
      "    OnClick = Edit1Click",
      "      On_Change = X",             // the third character is not a lower-case letter
      "    On1 = X",
      "    On",
      "    Visible = False",             // a child's: kept
      "    BorderWidth = 2",
      "  end",
      "end",
  });
  const std::vector<std::string> expected = {
      "object MainWindow: TfmKXConfigWindow",
      "  Online = True",
      "  object Edit1: TEdit",
      "    Visible = False",
      "    BorderWidth = 2",
      "  end",
      "end",
  };
  std::string joined;
  for (size_t i = 0; i < expected.size(); ++i) joined += (i ? "\r\n" : "") + expected[i];
  EXPECT_EQ(BuildWindowText(form), joined);
  // The parser gets each line with its number in the form text.
  const auto lines = BuildWindowLines(form);
  ASSERT_EQ(lines.size(), expected.size());
  EXPECT_EQ(lines[1].number, 7);
  EXPECT_EQ(lines[3].number, 14);
}

TEST(WindowText, OnlyTheFirstVisibleLineOfTheWholeTextGoes) {
  // Without a Visible line of its own the window loses the first child's.
  const TKXForm form = FormOf({"object W: TfmForm", "  object A: TLabel", "    Visible = True", "  end",
                               "  object B: TLabel", "    VISIBLE = False", "  end", "end"});
  EXPECT_EQ(BuildWindowText(form),
            "object W: TfmKXConfigWindow\r\n  object A: TLabel\r\n  end\r\n  object B: TLabel\r\n    VISIBLE = False\r\n"
            "  end\r\nend");
}

TEST(WindowText, AnUnnamedRootKeepsAnEmptyName) {
  EXPECT_EQ(BuildWindowText(FormOf({"object TTimer", "end"})), "object : TfmKXConfigWindow\r\nend");
  EXPECT_EQ(FormNameOf("object"), "");
  EXPECT_EQ(FormNameOf("object A:B"), "A");
}

TEST(Placeholders, AreReplacedOneAfterAnotherAsTheyStand) {
  TKXCProject project;
  project.Setting.ProductName = "Sea <Website>";
  project.Setting.Publisher = "O'Brien & Co";
  project.Setting.Website = "http://sea.example/";
  EXPECT_EQ(ReplacePlaceholders("<ScreensaverName> by <CompanyName>, <Website> <screensavername> <ScreensaverName>", project),
            "Sea http://sea.example/ by O'Brien & Co, http://sea.example/ <screensavername> Sea http://sea.example/");
  project.Setting.ProductName = "<ScreensaverName>!";
  EXPECT_EQ(ReplacePlaceholders("<ScreensaverName>", project), "<ScreensaverName>!");  // not replaced twice
}

TEST(Placeholders, ProjectTextsInWindows1252BecomeUtf8) {
  TKXCProject project;
  project.Setting.ProductName = "Caf\xE9";
  EXPECT_EQ(ReplacePlaceholders("<ScreensaverName>", project), "Caf\xC3\xA9");
}

}  // namespace
}  // namespace kx
