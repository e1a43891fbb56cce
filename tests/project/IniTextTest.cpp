#include "project/IniText.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(IniText, ReadsSectionsAndKeysWithoutRegardToCase) {
  const IniText ini = IniText::Parse("[Default]\r\nDuration=12\r\n[general]\nProductName=Sea Life\r\n");
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "duration", 0), 12);
  EXPECT_EQ(ini.ReadString("General", "PRODUCTNAME", ""), "Sea Life");
  EXPECT_EQ(ini.ReadString("General", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Nowhere", "Duration", 7), 7);
  EXPECT_TRUE(ini.HasSection("GENERAL"));
}

TEST(IniText, IntegersAndBoolsFallBackToTheDefault) {
  struct Case {
    const char* value;
    int32_t integer;  // read with default 55
    bool flag;        // read with default true
  };
  const Case cases[] = {
      {"0", 0, false},        {"1", 1, true},           {"2", 2, true},
      {"-3", -3, true},       {"+4", 4, true},          {"yes", 55, true},
      {"", 55, true},         {"12abc", 55, true},      {"0x10", 55, true},
      {"2147483647", 2147483647, true},                 {"2147483648", 55, true},
      {"-2147483648", INT32_MIN, true},                 {"99999999999999999999", 55, true},
      {"-", 55, true},
  };
  for (const auto& c : cases) {
    const IniText ini = IniText::Parse(std::string("[S]\r\nK=") + c.value + "\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", 55), c.integer) << c.value;
    EXPECT_EQ(ini.ReadBool("S", "K", true), c.flag) << c.value;
  }
  EXPECT_FALSE(IniText::Parse("[S]\r\nK=yes\r\n").ReadBool("S", "K", false));
}

TEST(IniText, WritesLikeTheProfileFunctions) {
  IniText ini = IniText::Parse("; note\r\n[Setting]\r\nSpeed=3\r\n\r\n[Files]\r\n1=\r\n");
  ini.WriteInteger("setting", "SPEED", 7);     // replaced in place
  ini.WriteBool("Setting", "Sound", true);     // added at the end of its section
  ini.WriteString("MusicList", "/m/a.mp3", "");  // new section at the end
  EXPECT_EQ(ini.ToText(), "; note\r\n[Setting]\r\nSPEED=7\r\nSound=1\r\n\r\n[Files]\r\n1=\r\n[MusicList]\r\n/m/a.mp3=\r\n");
  ini.EraseSection("files");
  EXPECT_EQ(ini.ToText(), "; note\r\n[Setting]\r\nSPEED=7\r\nSound=1\r\n\r\n[MusicList]\r\n/m/a.mp3=\r\n");
  ini.WriteBool("Setting", "Music", false);
  EXPECT_EQ(ini.ReadString("Setting", "Music", ""), "0");
}

TEST(SplitLines, AcceptsEveryLineEnd) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(SectionKeysByLineRule, TakesKeysUpToTheLastEqualsSign) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      {"plain", "[FileList]\r\nsea.jpg=1\r\nb.kxp=0\r\n", {"sea.jpg", "b.kxp"}},
      {"last equals sign", "[FileList]\r\na=b.jpg=1\r\n", {"a=b.jpg"}},
      {"no equals sign or leading one", "[FileList]\r\nnoequals\r\n=x.jpg\r\nok.jpg=\r\n", {"ok.jpg"}},
      {"header in any case", "[filelist]\r\na.jpg=1\r\n", {"a.jpg"}},
      {"untrimmed header does not match", " [FileList]\r\na.jpg=1\r\n", {}},
      {"keys are not trimmed", "[FileList]\r\n a.jpg =1\r\n", {" a.jpg "}},
      {"ends at the next section", "[FileList]\r\na.jpg=1\r\n[Other]\r\nb.jpg=1\r\n", {"a.jpg"}},
      {"a second header is no item and ends the list", "[FileList]\r\na.jpg=1\r\n[FileList]\r\nb.jpg=1\r\n", {"a.jpg"}},
      {"lines before the header are ignored", "x.jpg=1\r\n[FileList]\r\n", {}},
      {"a line of brackets without a section name", "[FileList]\r\n[a=b]\r\nc.jpg=1\r\n", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SectionKeysByLineRule(SplitLines(c.text), "FileList"), c.keys) << c.name;
}

}  // namespace
}  // namespace kx
