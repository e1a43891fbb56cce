#include "project/IniText.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Files.h"
#include "tests/support/TestSupport.h"

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

namespace kx {
namespace {

std::vector<std::string> Entries(const std::string& folder) {
  auto names = ListDirectory(folder);
  std::sort(names.begin(), names.end());
  return names;
}

// Saving replaces the file whole and leaves nothing else behind: a stale temporary file of a
// killed writer goes, a live writer's stays, the mode is kept and a link is written through.
TEST(IniTextSave, ReplacesTheFileAndCleansUpAfterKilledWrites) {
  test::TempDir dir;
  const std::string path = dir / "Sea.ini";
  test::WriteText(path, "[Setting]\r\nSpeed=1\r\n");
  chmod(path.c_str(), 0600);
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  test::WriteText(path + ".kxtmp" + std::to_string(dead), "old scheme");
  test::WriteText(path + ".kxtmp" + std::to_string(dead) + ".a1B2c3", "new scheme");
  test::WriteText(path + ".kxtmp1", "pid 1 still runs");  // init: a live writer
  test::WriteText(dir / "Sea.ini.kxtmpnotes", "not ours");

  IniText ini = IniText::Parse("[Setting]\r\nSpeed=2\r\n");
  ASSERT_TRUE(ini.SaveFile(path));
  EXPECT_EQ(test::ReadText(path), "[Setting]\r\nSpeed=2\r\n");
  EXPECT_EQ(test::ModeBits(path), 0600);
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"Sea.ini", "Sea.ini.kxtmp1", "Sea.ini.kxtmpnotes"}));

  // Through a link: the target changes, the link stays a link.
  test::TempDir elsewhere;
  const std::string target = elsewhere / "real.ini";
  test::WriteText(target, "[Setting]\r\n");
  chmod(target.c_str(), 0640);
  const std::string link = dir / "Linked.ini";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(ini.SaveFile(link));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(test::ReadText(target), "[Setting]\r\nSpeed=2\r\n");
  EXPECT_EQ(test::ModeBits(target), 0640);
  EXPECT_EQ(Entries(elsewhere.path()), (std::vector<std::string>{"real.ini"}));
}

// The bulk section writer gives what key-by-key writes give, equal keys written once.
TEST(IniTextSave, WriteNewSectionMatchesKeyByKeyWrites) {
  const std::vector<std::string> keys = {"/m/a.ogg", "/m/B.ogg", "/m/b.ogg", " /m/a.ogg", "/m/c.wav"};
  IniText one = IniText::Parse("[Setting]\r\nSpeed=1\r\n");
  IniText bulk = one;
  for (const auto& key : keys) one.WriteString("MusicList", key, "");
  bulk.WriteNewSection("MusicList", keys, "");
  EXPECT_EQ(bulk.ToText(), one.ToText());
}

}  // namespace
}  // namespace kx
