#include <gtest/gtest.h>

#include "configui/ActionList.h"
#include "configui/KXForms.h"
#include "configui/SkinError.h"
#include "tests/configui/SkinFixtures.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::Form;
using test::SkinText;

std::string ErrorOf(const std::string& skin) {
  TKXForms forms;
  try {
    forms.LoadSkinText(skin, "KXGUI.kxu");
  } catch (const SkinError& e) {
    return e.what();
  }
  return "";
}

TEST(ActionList, ReadsRecordsOfFiveLines) {
  TActionList list;
  list.LoadFromText("3\r\nLabel10\r\n1\r\nThumbnailWindow\r\n \r\n \r\nbtnNext\r\n258\r\n \r\n \r\n \r\nbtnBack\r\n-1\r\na\r\nb\r\nc");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(0).first, "Label10");
  EXPECT_EQ(list.Item(0).second.Kind, 1);
  EXPECT_EQ(list.Item(0).second.Param1, "ThumbnailWindow");
  EXPECT_EQ(list.Item(0).second.Param2, " ");
  EXPECT_EQ(list.Item(1).second.Kind, 2);    // kinds are kept modulo 256
  EXPECT_EQ(list.Item(2).second.Kind, 255);
  EXPECT_EQ(list.Item(2).second.Param3, "c");
}

TEST(ActionList, FindsTheFirstActionOfANameInAnyCase) {
  TActionList list;
  list.LoadFromText("2\r\nbtnGo\r\n2\r\n \r\n \r\n \r\nBTNGO\r\n3\r\n \r\n \r\n ");
  ASSERT_NE(list.FindAction("BtnGo"), nullptr);
  EXPECT_EQ(list.FindAction("BtnGo")->Kind, 2);
  EXPECT_EQ(list.FindAction("other"), nullptr);
}

TEST(ActionList, UnreadableBlocksRaiseAndLeaveTheListEmpty) {
  for (const char* text : {"x", " ", "1\r\nName\r\nkind\r\n \r\n \r\n ", "2\r\nA\r\n1\r\n \r\n \r\n \r\nB\r\n1\r\n ",
                           "1\r\nA\r\n1\r\n \r\n "}) {
    TActionList list;
    list.LoadFromText("1\r\nOld\r\n1\r\n \r\n \r\n ");
    EXPECT_THROW(list.LoadFromText(text), SkinError) << text;
    EXPECT_EQ(list.Count(), 0) << text;
  }
  TActionList list;
  list.LoadFromText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(ActionList, KindsHaveTheDesignersNames) {
  EXPECT_STREQ(ActionKindName(1), "Show window");
  EXPECT_STREQ(ActionKindName(9), "Set as a Wallpaper");
  EXPECT_STREQ(ActionKindName(7), "");
  EXPECT_EQ(ActionKindFromName("close WINDOW"), 6);
  EXPECT_EQ(ActionKindFromName("Jump"), -1);
}

TEST(SkinFile, AnEmptyLastActionLineStillGivesFiveLines) {
  TKXForms forms;
  // The file's last parameter line is empty; the loader makes it a single blank.
  forms.LoadSkinText(SkinText({Form("MainWindow", {}, {"1", "btnClose", "6", "", " ", ""})}), "skin");
  const TActionList& actions = forms.FindForm("MainWindow").Actions;
  ASSERT_EQ(actions.Count(), 1);
  EXPECT_EQ(actions.Item(0).second.Kind, 6);
  EXPECT_EQ(actions.Item(0).second.Param1, " ");
  EXPECT_EQ(actions.Item(0).second.Param3, " ");
}

TEST(SkinFile, FormsKeepTheirTextsAndNames) {
  TKXForms forms;
  auto nameless = Form("x");
  nameless.text[0] = "object TTimer";
  forms.LoadSkinText(SkinText({Form("MainWindow", {"  Left = 1"}), nameless, Form("Second")}), "skin");
  ASSERT_EQ(forms.GetFormCount(), 3);
  EXPECT_EQ(forms.Form(0).Lines, (std::vector<std::string>{"object MainWindow: TfmForm", "  Left = 1", "end"}));
  EXPECT_EQ(forms.Form(0).FirstLine, 3);
  EXPECT_EQ(forms.Form(1).Name, "");  // a first line naming only a class
  EXPECT_EQ(&forms.FindForm(""), &forms.Form(1));
  EXPECT_EQ(forms.Form(2).Name, "Second");
}

TEST(SkinFile, LookupIgnoresCaseAndFindsTheFirstOfTwo) {
  TKXForms forms;
  forms.LoadSkinText(SkinText({Form("MainWindow", {"  Tag = 1"}), Form("MainWindow", {"  Tag = 2"})}), "skin");
  EXPECT_EQ(forms.GetFormCount(), 2);
  EXPECT_EQ(forms.FindForm("mainwindow").Lines[1], "  Tag = 1");
  EXPECT_THROW(forms.FindForm("Missing"), SkinError);
  EXPECT_EQ(forms.FindFormOrNull("Missing"), nullptr);
}

TEST(SkinFile, AFormWithAnUnreadableActionBlockIsSkippedAfterTheTestMessage) {
  test::RecordingMessageBox messages;
  TKXForms forms(&messages);
  auto emptyForm = Form("Empty");
  emptyForm.text.clear();
  forms.LoadSkinText(SkinText({Form("First"), Form("Broken", {}, {"1", "btn", "six", " ", " ", " "}), emptyForm,
                               Form("Last")}),
                     "skin");
  ASSERT_EQ(forms.GetFormCount(), 2);
  EXPECT_EQ(forms.Form(0).Name, "First");
  EXPECT_EQ(forms.Form(1).Name, "Last");
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].text, "test");
}

TEST(SkinFile, DamagedCountsNameTheValueAndTheLine) {
  const std::string good = SkinText({Form("A")});  // 1, 3, (3 lines), 1, 0, 1, Dummy
  struct Case {
    const char* name;
    std::string skin;
    const char* message;
  } cases[] = {
      {"form count", "two\r\n", "line 1: the form count \"two\" is not a decimal number"},
      {"form length", "1\r\n3x\r\n", "line 2: the form text length \"3x\" is not a decimal number"},
      {"negative", "1\r\n-3\r\n", "line 2: the form text length \"-3\" is negative"},
      {"empty file", "", "KXGUI.kxu is empty"},
      {"blank first line", "\r\n", "line 1: the form count \"\" is not a decimal number"},
      {"ends in the form text", "1\r\n5\r\nobject A: B\r\nend\r\n", "inside the form text of 5 lines that begins at line 3"},
      {"no action count", "1\r\n1\r\nobject A\r\n", "where line 4 should hold the action block length"},
      {"no trailer", good.substr(0, good.find("1\r\nDummy")), "should hold the trailer length"},
      {"short trailer", good.substr(0, good.find("Dummy")), "inside the trailer of 1 lines"},
      {"two forms announced", "2\r\n" + good.substr(3), "should hold the form text length"},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf(c.skin);
    EXPECT_NE(error.find("KXGUI.kxu"), std::string::npos) << c.name << ": " << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
  }
  EXPECT_EQ(ErrorOf(good), "");
}

TEST(SkinFile, LoadingAFileReplacesTheFormsAndReadsWindows1252) {
  test::TempDir dir;
  test::WriteText(dir / "KXGUI.kxu", SkinText({Form("B", {"  Caption = 'caf\xE9'"})}));
  TKXForms forms;
  forms.LoadSkinText(SkinText({Form("A"), Form("A2")}), "first");
  forms.LoadSkinFile(dir / "KXGUI.kxu");
  ASSERT_EQ(forms.GetFormCount(), 1);
  EXPECT_EQ(forms.Form(0).Lines[1], "  Caption = 'caf\xC3\xA9'");
  try {
    forms.LoadSkinFile(dir / "missing.kxu");
    FAIL();
  } catch (const SkinError& e) {
    EXPECT_NE(std::string(e.what()).find(dir / "missing.kxu"), std::string::npos);
  }
  EXPECT_EQ(forms.GetFormCount(), 0);
}

}  // namespace
}  // namespace kx
