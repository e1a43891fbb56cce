#include "project/UserSettings.h"

#include <gtest/gtest.h>

#include "project/SpeedTable.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

TEST(SpeedTable, HoldsTwentyOneSpeeds) {
  EXPECT_EQ(SpeedTable.size(), 21u);
  EXPECT_EQ(SpeedTable[0], 10);
  EXPECT_EQ(SpeedTable[10], 100);
  EXPECT_EQ(SpeedTable[20], 500);
  EXPECT_EQ(SpeedIndexOf(240), 17);
  EXPECT_EQ(SpeedIndexOf(101), -1);
}

TEST(UserSettingsPath, NextToTheProgramOrInTheUsersConfigFolder) {
  struct Case {
    const char* name;
    const char* exe;
    bool writable;
    const char* configHome;
    const char* home;
    const char* path;
  };
  const Case cases[] = {
      {"writable folder", "/home/ann/Sea.scr", true, "/home/ann/.cfg", "/home/ann", "/home/ann/Sea.ini"},
      {"installed saver", "/usr/libexec/xscreensaver/kxsaver-demo", false, "", "/home/ann",
       "/home/ann/.config/kxsaver/kxsaver-demo.ini"},
      {"XDG_CONFIG_HOME wins", "/usr/libexec/xscreensaver/sea-life", false, "/tmp/cfg/", "/home/ann",
       "/tmp/cfg/kxsaver/sea-life.ini"},
      {"name up to its last dot", "/opt/Sea.Life.scr", false, "/c", "", "/c/kxsaver/Sea.Life.ini"},
      {"no home at all: next to the program", "/opt/Sea.scr", false, "", "", "/opt/Sea.ini"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseUserSettingsPath(c.exe, c.writable, c.configHome, c.home), c.path) << c.name;
}

TEST(UserSettingsPath, ReplacesTheExtensionWithIni) {
  EXPECT_EQ(UserSettingsPath("/usr/lib/savers/Sea.scr"), "/usr/lib/savers/Sea.ini");
  EXPECT_EQ(UserSettingsPath("/usr/lib/savers/Sea.Life.scr"), "/usr/lib/savers/Sea.Life.ini");
  EXPECT_EQ(UserSettingsPath("/usr/lib/savers/NoDot"), "/usr/lib/savers/NoDot.ini");
  EXPECT_EQ(UserSettingsPath("/opt/my.savers/NoDot"), "/opt/my.savers/NoDot.ini");
}

TEST(UserSettingsFile, IsInUseForScreensaverFilesOrExactlySlashC) {
  struct Case {
    const char* exe;
    const char* argument;
    bool inUse;
  };
  const Case cases[] = {
      {"/s/Sea.scr", "", true},       {"/s/Sea.SCR", "/S", true},     {"/s/Sea.Scr", "/c:1234", true},
      {"/s/Sea.exe", "/C", true},     {"/s/Sea.exe", "/c", true},     {"/s/Sea.exe", "/c:1234", false},
      {"/s/Sea.exe", "", false},      {"/s/Sea.exe", "/S", false},    {"/s/Sea", "/C", true},
      {"/s/Sea.scr.bak", "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UserSettingsFile(c.exe, c.argument).InUse(), c.inUse) << c.exe << " " << c.argument;
}

TKXCProject ThreeItems() {
  TKXCProject p;
  p.FileList.Names = {"/x/a.jpg", "/x/b.kxp", "/x/c.jpg"};
  p.FileList.SetAllFlags(true);
  return p;
}

class ApplyUserSettingsTest : public ::testing::Test {
 protected:
  TKXCProject Apply(const std::string& text) {
    TKXCProject p = ThreeItems();
    WriteText(dir / "Sea.ini", text);
    ApplyUserSettings(p, dir / "Sea.ini");
    return p;
  }
  TempDir dir;
};

TEST_F(ApplyUserSettingsTest, NarrowsTheItemsByTheImageMode) {
  using Flags = std::vector<std::string>;
  struct Case {
    const char* name;
    const char* text;
    Flags flags;
  };
  const Case cases[] = {
      {"mode 3 with index 1", "[Setting]\r\nImageMode=3\r\nIndex=1\r\n", {"FALSE", "TRUE", "FALSE"}},
      {"mode 3 with index past the end", "[Setting]\r\nImageMode=3\r\nIndex=5\r\n", {"TRUE", "FALSE", "FALSE"}},
      {"mode 3 with index equal to the count", "[Setting]\r\nImageMode=3\r\nIndex=3\r\n", {"TRUE", "FALSE", "FALSE"}},
      {"mode 3 with a negative index", "[Setting]\r\nImageMode=3\r\nIndex=-1\r\n", {"TRUE", "FALSE", "FALSE"}},
      {"mode 3 without index", "[Setting]\r\nImageMode=3\r\n", {"TRUE", "FALSE", "FALSE"}},
      {"mode 2 with keys 0 and 2", "[Setting]\r\nImageMode=2\r\n[Files]\r\n0=\r\n2=\r\n", {"FALSE", "TRUE", "FALSE"}},
      {"mode 2 with every item", "[Setting]\r\nImageMode=2\r\n[Files]\r\n0=\r\n1=\r\n2=\r\n", {"FALSE", "FALSE", "FALSE"}},
      {"mode 2 ignores bad keys", "[Setting]\r\nImageMode=2\r\n[Files]\r\n7=\r\n-1=\r\nx=\r\n1=\r\n", {"TRUE", "FALSE", "TRUE"}},
      {"mode 0 ignores the files list", "[Setting]\r\nImageMode=0\r\n[Files]\r\n0=\r\n", {"TRUE", "TRUE", "TRUE"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Apply(c.text).FileList.Flags, c.flags) << c.name;
}

TEST_F(ApplyUserSettingsTest, AFileWithOnlyImageSizeSwitchesDirectDrawOn) {
  const TKXCProject p = Apply("[Setting]\r\nImageSize=0\r\n");
  EXPECT_FALSE(p.Setting.Stretch);
  EXPECT_FALSE(p.Setting.Proportional);
  EXPECT_TRUE(p.Setting.DirectX);
  EXPECT_EQ(p.Setting.DirectXQuality, 1);
  EXPECT_FALSE(p.Setting.ShowClock);
  EXPECT_EQ(p.Setting.ClockPos, 1);
  EXPECT_EQ(p.Setting.Speed, 100);        // Speed -1 keeps the project's
  EXPECT_EQ(p.Setting.ShowImageMode, 0);  // the project's mode
}

TEST_F(ApplyUserSettingsTest, OverridesTheProjectSettings) {
  const TKXCProject p = Apply(
      "[Setting]\r\nImageSize=2\r\nSpeed=17\r\nSound=0\r\nMusic=0\r\nTransition=0\r\nDuration=9\r\n"
      "DirectX=0\r\nDirectXQuality=2\r\nShowClock=1\r\nClockPos=3\r\n");
  EXPECT_TRUE(p.Setting.Stretch);
  EXPECT_TRUE(p.Setting.Proportional);
  EXPECT_EQ(p.Setting.Speed, 240);
  EXPECT_FALSE(p.Setting.Sound);
  EXPECT_FALSE(p.Setting.Music);
  EXPECT_FALSE(p.Setting.Transition);
  EXPECT_EQ(p.Setting.Duration, 9);
  EXPECT_FALSE(p.Setting.DirectX);
  EXPECT_EQ(p.Setting.DirectXQuality, 2);
  EXPECT_TRUE(p.Setting.ShowClock);
  EXPECT_EQ(p.Setting.ClockPos, 3);
}

TEST_F(ApplyUserSettingsTest, SpeedIndexesTheSpeedTable) {
  EXPECT_EQ(Apply("[Setting]\r\nSpeed=10\r\n").Setting.Speed, 100);
  EXPECT_EQ(Apply("[Setting]\r\nSpeed=0\r\n").Setting.Speed, 10);
  EXPECT_EQ(Apply("[Setting]\r\nSpeed=20\r\n").Setting.Speed, 500);
  EXPECT_EQ(Apply("[Setting]\r\nSpeed=21\r\n").Setting.Speed, 100);   // outside the table: ignored
  EXPECT_EQ(Apply("[Setting]\r\nSpeed=-5\r\n").Setting.Speed, 100);
  EXPECT_EQ(Apply("[Setting]\r\nImageSize=1\r\n").Setting.Proportional, false);
}

TEST_F(ApplyUserSettingsTest, CustomMusicReplacesTheProjectMusic) {
  TKXCProject withMusic = ThreeItems();
  withMusic.Setting.MusicFile = "project.mp3";
  WriteText(dir / "a.ini", "[Setting]\r\nCustomMusic=1\r\n[MusicList]\r\n");
  ApplyUserSettings(withMusic, dir / "a.ini");
  EXPECT_EQ(withMusic.Setting.MusicFile, "");  // an empty list: no music
  EXPECT_EQ(withMusic.Setting.MusicMode, 0);

  const TKXCProject inOrder =
      Apply("[Setting]\r\nCustomMusic=1\r\nShuffleMusic=0\r\n[MusicList]\r\n/m/one.mp3=\r\n/m/a=b.ogg=\r\n");
  EXPECT_EQ(inOrder.Setting.MusicFile, "/m/one.mp3;/m/a=b.ogg");
  EXPECT_EQ(inOrder.Setting.MusicMode, 1);

  TKXCProject notCustom = ThreeItems();
  notCustom.Setting.MusicFile = "project.mp3";
  WriteText(dir / "b.ini", "[Setting]\r\nCustomMusic=0\r\n[MusicList]\r\n/m/one.mp3=\r\n");
  ApplyUserSettings(notCustom, dir / "b.ini");
  EXPECT_EQ(notCustom.Setting.MusicFile, "project.mp3");
}

TEST_F(ApplyUserSettingsTest, WithoutAFileNothingChanges) {
  TKXCProject p = ThreeItems();
  p.Setting.Duration = 77;
  ApplyUserSettings(p, dir / "missing.ini");
  EXPECT_EQ(p.Setting.Duration, 77);
  EXPECT_FALSE(p.Setting.DirectX);
  EXPECT_EQ(p.FileList.Flags, (std::vector<std::string>{"TRUE", "TRUE", "TRUE"}));
}

TEST(UserSettingsFile, ReadsDefaultsFromTheProject) {
  TempDir dir;
  TKXCProject p;
  p.Setting.Stretch = true;
  p.Setting.Proportional = true;
  p.Setting.Speed = 240;
  p.Setting.ShowImageMode = 1;
  p.Setting.DirectX = true;
  p.Setting.ShowClock = true;
  p.Setting.ClockPos = 2;
  const UserSettingsFile file(dir / "Sea.scr", "");

  UserSettingValues v;
  v.CustomMusic = true;  // stays: there is no file
  std::vector<std::string> music = {"stale"};
  ASSERT_TRUE(file.ReadSettings(p, v, music));
  EXPECT_EQ(v.ImageSize, 2);
  EXPECT_EQ(v.ImageMode, 1);
  EXPECT_EQ(v.Speed, 17);
  EXPECT_TRUE(v.DirectX);
  EXPECT_TRUE(v.ShowClock);
  EXPECT_EQ(v.ClockPos, 2);
  EXPECT_TRUE(v.CustomMusic);
  EXPECT_TRUE(music.empty());

  // With a file that lacks them, the clock is off in the top right corner.
  WriteText(dir / "Sea.ini", "[Setting]\r\nDuration=8\r\n[MusicList]\r\n/m/x.mp3=\r\n");
  UserSettingValues w;
  w.CustomMusic = true;
  ASSERT_TRUE(file.ReadSettings(p, w, music));
  EXPECT_EQ(w.Duration, 8);
  EXPECT_FALSE(w.ShowClock);
  EXPECT_EQ(w.ClockPos, 1);
  EXPECT_FALSE(w.CustomMusic);
  EXPECT_TRUE(w.ShuffleMusic);
  EXPECT_TRUE(w.DirectX);  // the project's value, unlike a show's default
  EXPECT_EQ(music, std::vector<std::string>{"/m/x.mp3"});

  // A speed the table lacks leaves the caller's value.
  p.Setting.Speed = 101;
  UserSettingValues u;
  u.Speed = 4;
  std::remove((dir / "Sea.ini").c_str());
  file.ReadSettings(p, u, music);
  EXPECT_EQ(u.Speed, 4);
}

TEST(UserSettingsFile, WritesAndReadsBackEverySection) {
  TempDir dir;
  const UserSettingsFile file(dir / "Sea.scr", "");
  WriteText(dir / "Sea.ini", "[Setting]\r\nIndex=2\r\n[MusicList]\r\n/old.mp3=\r\n");
  UserSettingValues v;
  v.ImageSize = 1;
  v.Speed = 12;
  v.Sound = false;
  v.ShuffleMusic = false;
  ASSERT_TRUE(file.WriteSettings(v, {"/m/a.mp3", "/m/b.ogg"}));
  ASSERT_TRUE(file.WriteExcludedItems({0, 5}));
  EXPECT_EQ(ReadText(dir / "Sea.ini"),
            "[Setting]\r\nIndex=2\r\nImageSize=1\r\nImageMode=0\r\nSpeed=12\r\nSound=0\r\nMusic=1\r\n"
            "Transition=1\r\nDuration=30\r\nDirectX=1\r\nDirectXQuality=1\r\nCustomMusic=0\r\n"
            "ShuffleMusic=0\r\nShowClock=0\r\nClockPos=1\r\n[MusicList]\r\n/m/a.mp3=\r\n/m/b.ogg=\r\n"
            "[Files]\r\n0=\r\n5=\r\n");
  EXPECT_EQ(file.ReadExcludedItems(), (std::vector<std::string>{"0", "5"}));
  EXPECT_EQ(file.ReadSelectedIndex(), "2");
  ASSERT_TRUE(file.WriteSelectedIndex(4));
  EXPECT_EQ(file.ReadSelectedIndex(), "4");
  ASSERT_TRUE(file.WriteExcludedItems({}));
  EXPECT_TRUE(file.ReadExcludedItems().empty());
}

TEST(UserSettingsFile, NotInUseNeitherReadsNorWrites) {
  TempDir dir;
  const UserSettingsFile file(dir / "Sea.exe", "/c:1234");
  WriteText(dir / "Sea.ini", "[Setting]\r\nIndex=3\r\n[Files]\r\n1=\r\n");
  UserSettingValues v;
  v.Duration = 99;
  std::vector<std::string> music;
  EXPECT_FALSE(file.ReadSettings(TKXCProject(), v, music));
  EXPECT_EQ(v.Duration, 99);
  EXPECT_FALSE(file.WriteSettings(v, {}));
  EXPECT_FALSE(file.WriteExcludedItems({1}));
  EXPECT_FALSE(file.WriteSelectedIndex(1));
  EXPECT_TRUE(file.ReadExcludedItems().empty());
  EXPECT_EQ(file.ReadSelectedIndex(), "0");
  EXPECT_EQ(ReadText(dir / "Sea.ini"), "[Setting]\r\nIndex=3\r\n[Files]\r\n1=\r\n");
  EXPECT_TRUE(UserSettingsFile(dir / "Sea.exe", "/C").ReadSettings(TKXCProject(), v, music));
}

}  // namespace
}  // namespace kx
