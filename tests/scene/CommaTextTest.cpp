#include "scene/CommaText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/ExtraInfo.h"
#include "scene/IniSections.h"

namespace kx {
namespace {

using Items = std::vector<std::string>;

TEST(CommaText, SplitsAsTheBuilderWritesIt) {
  struct Case {
    const char* name;
    const char* text;
    Items expected;
  };
  const Case cases[] = {
      {"builder default", kDefaultBuilderSettings,
       {"[BuildScr]", "Filename=", "MusicFile=", "Music=0", "Sound=0", "", "[BuildExe]", "Filename=",
        "MusicFile=", "Music=0", "Sound=0", ""}},
      {"empty text", "", {}},
      {"unquoted white space separates", "a b\tc", {"a", "b", "c"}},
      {"white space around commas is no item", " a , b ", {"a", "b"}},
      {"quoted items keep commas, spaces and doubled quotes", "\"x, y\",\"say \"\"hi\"\"\",z",
       {"x, y", "say \"hi\"", "z"}},
      {"two commas enclose an empty item", "a,,b", {"a", "", "b"}},
      {"a trailing comma adds an empty item", "a,", {"a", ""}},
      {"an unclosed quote runs to the end", "\"open, end", {"open, end"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommaText(c.text), c.expected) << c.name;
}

TEST(CommaText, JoinQuotesWhatNeedsItAndRoundTrips) {
  EXPECT_EQ(JoinCommaText({"a", "b c", "d,e", "f\"g", ""}), "a,\"b c\",\"d,e\",\"f\"\"g\",");
  EXPECT_EQ(JoinCommaText({""}), "\"\"");
  EXPECT_EQ(JoinCommaText({}), "");
  const Items samples[] = {
      {"Filename=C:\\My Shows\\Sea.scr", "", "x"},
      {"", "", ""},
      {"", "a"},
      {"[BuildScr]", "Music=1", "a\"b\"", " lead", "tab\there"},
  };
  for (const auto& items : samples) EXPECT_EQ(SplitCommaText(JoinCommaText(items)), items);
}

TEST(ExtraInfo, ReadsTheEightKeysWithTheirDefaults) {
  TExtraInfo info;
  info.LoadFromCommaText(kDefaultBuilderSettings);
  EXPECT_EQ(info, TExtraInfo{});  // every text empty, every flag 0 as the builder writes them

  info.LoadFromCommaText("");
  TExtraInfo defaults;
  defaults.ExeSound = defaults.ScrSound = true;  // "Sound" defaults to 1
  EXPECT_EQ(info, defaults);

  info.LoadFromCommaText(
      "[buildscr],\"Filename=C:\\My Shows\\Sea.scr\",MusicFile=m.mp3,Music=1,Sound=0,,"
      "[BuildExe],FILENAME=sea.exe,Music=junk,Sound=$10");
  EXPECT_EQ(info.ScrFileName, "C:\\My Shows\\Sea.scr");
  EXPECT_EQ(info.ScrMusicFile, "m.mp3");
  EXPECT_TRUE(info.ScrMusic);
  EXPECT_FALSE(info.ScrSound);
  EXPECT_EQ(info.ExeFileName, "sea.exe");
  EXPECT_EQ(info.ExeMusicFile, "");
  EXPECT_FALSE(info.ExeMusic);  // unreadable: the default
  EXPECT_TRUE(info.ExeSound);   // 16 is true

  TExtraInfo back;
  back.LoadFromCommaText(info.ToCommaText());
  EXPECT_EQ(back, info);
  EXPECT_EQ(TExtraInfo{}.ToCommaText(), kDefaultBuilderSettings);
}

TEST(IniSections, MatchesNamesWithoutCaseAndReadsIntegersLikeTheSettings) {
  const IniSections ini(
      "; comment\r\n[Obj0]\r\nObjType=TXT\r\n Speed = 12 \r\nno equals sign\r\n[OBJ1]\r\n"
      "Hex=$1F\r\nHex2=0x20\r\nNeg=-7\r\nBad=12a\r\nBig=99999999999\r\nMin=-2147483648\r\n"
      "[obj0]\r\nLater=1\r\nSpeed=99\r\n");
  EXPECT_EQ(ini.ReadString("obj0", "objtype", "?"), "TXT");
  EXPECT_EQ(ini.ReadInteger("Obj0", "Speed", 0), 12);  // the first of two wins
  EXPECT_EQ(ini.ReadInteger("Obj0", "Later", 0), 1);   // a section named twice is one
  EXPECT_EQ(ini.ReadInteger("Obj1", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("Obj1", "Hex2", 0), 32);
  EXPECT_EQ(ini.ReadInteger("Obj1", "Neg", 0), -7);
  EXPECT_EQ(ini.ReadInteger("Obj1", "Bad", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Obj1", "Big", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Obj1", "Min", 5), INT32_MIN);
  EXPECT_EQ(ini.ReadInteger("Obj2", "Speed", 10), 10);
  EXPECT_FALSE(ini.ReadBool("Obj1", "Missing", false));
  EXPECT_TRUE(ini.ReadBool("Obj1", "Neg", false));
  ASSERT_EQ(ini.Sections().size(), 2u);
  EXPECT_EQ(ini.Sections()[0].entries.size(), 4u);
}

}  // namespace
}  // namespace kx
