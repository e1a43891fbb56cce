#include <gtest/gtest.h>

#include "configui/FormText.h"
#include "configui/SkinError.h"
#include "tests/configui/SkinFixtures.h"

namespace kx {
namespace {

const char* kFullText =
    "object MainWindow: TfmForm\r\n"
    "  Left = -12\r\n"
    "  Font.Name = 'MS Sans Serif'\r\n"
    "  Caption = \r\n"
    "    'It'#39's' + \r\n"
    "    ' ''two'' lines'#33\r\n"
    "  BorderIcons = [biMinimize, biMaximize]\r\n"
    "  Options = []\r\n"
    "  Color = clBtnFace\r\n"
    "  Items.Strings = (\r\n"
    "    'one'\r\n"
    "    'two' 'three')\r\n"
    "  Picture.Data = {\r\n"
    "    0754 42 69\r\n"
    "    746d6170}\r\n"
    "  object TTimer\r\n"
    "    Interval = 500\r\n"
    "  end\r\n"
    "  object Panel1: TPanel\r\n"
    "    object Label1: TLabel\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

TEST(FormText, ReadsObjectsPropertiesAndEveryKindOfValue) {
  const auto root = ParseFormText(kFullText);
  EXPECT_EQ(root->name, "MainWindow");
  EXPECT_EQ(root->className, "TfmForm");
  ASSERT_EQ(root->properties.size(), 8u);
  const auto& p = root->properties;
  EXPECT_EQ(p[0].name, "Left");
  EXPECT_EQ(p[0].value.kind, FormValue::Kind::Integer);
  EXPECT_EQ(p[0].value.integer, -12);
  EXPECT_EQ(p[1].name, "Font.Name");
  EXPECT_EQ(p[1].value.text, "MS Sans Serif");
  // Quoted pieces and #-codes joined by "+" over two lines, the value beginning on the line
  // after the "=".
  EXPECT_EQ(p[2].value.kind, FormValue::Kind::String);
  EXPECT_EQ(p[2].value.text, "It's 'two' lines!");
  EXPECT_EQ(p[2].line, 4);
  EXPECT_EQ(p[3].value.kind, FormValue::Kind::Set);
  EXPECT_EQ(p[3].value.names, (std::vector<std::string>{"biMinimize", "biMaximize"}));
  EXPECT_TRUE(p[4].value.names.empty());
  EXPECT_EQ(p[5].value.kind, FormValue::Kind::Identifier);
  EXPECT_EQ(p[5].value.text, "clBtnFace");
  ASSERT_EQ(p[6].value.items.size(), 3u);
  EXPECT_EQ(p[6].value.items[2].text, "three");
  EXPECT_EQ(p[7].value.bytes, (std::vector<uint8_t>{0x07, 0x54, 0x42, 0x69, 0x74, 0x6D, 0x61, 0x70}));
  ASSERT_EQ(root->children.size(), 2u);
  EXPECT_EQ(root->children[0]->name, "");  // the unnamed timer
  EXPECT_EQ(root->children[0]->className, "TTimer");
  EXPECT_EQ(root->children[0]->properties[0].value.integer, 500);
  EXPECT_EQ(root->children[1]->children[0]->name, "Label1");
  EXPECT_EQ(root->children[1]->children[0]->line, 20);
}

TEST(FormText, CharacterCodesBecomeUtf8) {
  struct Case {
    const char* value;
    const char* expected;
  } cases[] = {
      {"#39", "'"},
      {"'caf'#233", "caf\xC3\xA9"},               // Windows-1252 below 256
      {"#128", "\xE2\x82\xAC"},                    // the euro sign of Windows-1252
      {"#8364", "\xE2\x82\xAC"},                   // the same as a Unicode code unit
      {"#55357#56832", "\xF0\x9F\x98\x80"},        // a surrogate pair joined
      {"#55357'x'", "\xEF\xBF\xBDx"},              // a lone high surrogate
      {"'a'#13#10'b'", "a\r\nb"},
  };
  for (const auto& c : cases) {
    const auto root = ParseFormText(std::string("object A: B\r\n  Caption = ") + c.value + "\r\nend\r\n");
    EXPECT_EQ(root->properties[0].value.text, c.expected) << c.value;
  }
}

TEST(FormText, DamagedTextsFailWithTheirLine) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;  // a part of the error
  } cases[] = {
      {"empty", "", "empty"},
      {"no object", "Left = 1\r\n", "line 1: a form text must begin with \"object\""},
      {"unterminated string", "object A: B\r\n  Caption = 'abc\r\nend\r\n", "line 2: the string has no closing quote"},
      {"block without end", "object A: B\r\n  object C: D\r\n  end\r\n", "has no \"end\""},
      {"odd binary", "object A: B\r\n  Picture.Data = {\r\n  ABC}\r\nend\r\n", "line 2: the binary data has an odd number"},
      {"non-hex digit", "object A: B\r\n  Picture.Data = {\r\n  ABCG}\r\nend\r\n", "line 3: the binary data holds \"G\""},
      {"binary without end", "object A: B\r\n  Picture.Data = {\r\n  AB\r\n", "line 2: the binary data has no \"}\""},
      {"missing equals", "object A: B\r\n  Left 1\r\nend\r\n", "line 2: \"=\" is expected"},
      {"property after children", "object A: B\r\n  object C: D\r\n  end\r\n  Left = 1\r\nend\r\n",
       "line 4: the property \"Left\" stands after the nested objects"},
      {"text after the end", "object A: B\r\nend\r\nobject C: D\r\nend\r\n", "line 3: text after the end"},
      {"plus without string", "object A: B\r\n  Caption = 'a' +\r\n  1\r\nend\r\n", "a string is expected after \"+\""},
      {"set without bracket", "object A: B\r\n  Font.Style = [fsBold\r\nend\r\n", "line 3: \",\" or \"]\" is expected in a set"},
      {"list without bracket", "object A: B\r\n  Items.Strings = (\r\n 'a'\r\n", "the list has no \")\""},
      {"nested list", "object A: B\r\n  Items.Strings = ( [x] )\r\nend\r\n", "a list holds strings, numbers and names only"},
      {"fraction", "object A: B\r\n  Left = 1.5\r\nend\r\n", "decimal digits only"},
      {"collection", "object A: B\r\n  Items = <>\r\nend\r\n", "collections are not supported"},
      {"header junk", "object A: B C\r\nend\r\n", "line 1: unexpected text"},
      {"value junk", "object A: B\r\n  Left = 1 2\r\nend\r\n", "line 2: unexpected text after the value"},
      {"10 000 nested blocks", test::NestedBlocks(10000), "nested deeper than 64 levels"},
  };
  for (const auto& c : cases) {
    try {
      ParseFormText(c.text);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const SkinError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
    }
  }
}

TEST(FormText, NestingUpToTheLimitIsRead) {
  const auto root = ParseFormText(test::NestedBlocks(kMaxObjectDepth - 1));
  int depth = 0;
  for (const FormObject* o = root.get(); !o->children.empty(); o = o->children[0].get()) ++depth;
  EXPECT_EQ(depth, kMaxObjectDepth - 1);
}

TEST(FormText, LinesAreReportedByTheirGivenNumbers) {
  const std::vector<SourceLine> lines = {{"object A: B", 10}, {"  Caption = 'x", 14}, {"end", 15}};
  try {
    ParseFormText(lines);
    FAIL();
  } catch (const SkinError& e) {
    EXPECT_EQ(std::string(e.what()), "line 14: the string has no closing quote");
  }
}

TEST(FormText, SkinTextsInWindows1252BecomeUtf8) {
  EXPECT_EQ(SkinTextToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(SkinTextToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");  // already UTF-8: kept
  EXPECT_EQ(SkinTextToUtf8("\xC3"), "\xC3\x83");           // a cut sequence is not UTF-8
}

}  // namespace
}  // namespace kx
