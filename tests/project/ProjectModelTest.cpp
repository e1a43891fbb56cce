#include "project/KXCProject.h"

#include <gtest/gtest.h>

#include "payload/Container.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::TempDir;
using test::WriteText;

TEST(TKXCSetting, DefaultsWhenTheTextIsEmpty) {
  TKXCSetting s;
  s.LoadFromText(IniText::Parse("[General]\r\nProductName=Only this\r\n"));
  EXPECT_EQ(s.ProductName, "Only this");
  EXPECT_TRUE(s.Stretch);
  EXPECT_FALSE(s.Proportional);
  EXPECT_EQ(s.SoundVolume, 100);
  EXPECT_EQ(s.Duration, 30);
  EXPECT_EQ(s.TransitionTime, 2000);
  EXPECT_EQ(s.ZoomDuration, 5);
  EXPECT_EQ(s.Speed, 100);
  EXPECT_EQ(s.ClockPos, 1);
  EXPECT_EQ(s.BuildMethod, 2);
  EXPECT_TRUE(s.BuildSmallThumbs);
  EXPECT_FALSE(s.DirectX);
  EXPECT_EQ(s.DirectXQuality, 0);
  // Every effect from 1 to 169, ascending, no comma at the end.
  const std::string& list = s.TransitionEffects;
  EXPECT_EQ(list.substr(0, 6), "1,2,3,");
  EXPECT_EQ(list.substr(list.size() - 8), ",168,169");
  EXPECT_EQ(std::count(list.begin(), list.end(), ','), 168);
}

TEST(TKXCSetting, ReadsEveryKindOfValue) {
  TKXCSetting s;
  s.LoadFromText(IniText::Parse(
      "[Default]\r\nStretch=yes\r\nProportional=2\r\nDuration=abc\r\nSpeed=240\r\nTransitionEffects=3,5\r\n"
      "Sound=0\r\n[Advance]\r\nMusicFile=a.mp3;b.ogg\r\nMusicMode=1\r\n[Build]\r\nCustomIcon=1\r\n"));
  EXPECT_TRUE(s.Stretch);        // "yes" is no integer: the default 1
  EXPECT_TRUE(s.Proportional);   // 2 is true
  EXPECT_EQ(s.Duration, 30);     // unreadable: the default
  EXPECT_EQ(s.Speed, 240);
  EXPECT_EQ(s.TransitionEffects, "3,5");
  EXPECT_FALSE(s.Sound);
  EXPECT_EQ(s.MusicFile, "a.mp3;b.ogg");
  EXPECT_EQ(s.MusicMode, 1);
  EXPECT_TRUE(s.CustomIcon);
}

TEST(TKXCSetting, AMissingKeyKeepsTheCurrentValue) {
  TKXCSetting s;
  s.LoadFromText(IniText::Parse("[Default]\r\nDuration=9\r\n"));
  s.LoadFromText(IniText::Parse("[Default]\r\nSpeed=50\r\n"));
  EXPECT_EQ(s.Duration, 9);
  EXPECT_EQ(s.Speed, 50);
  s.LoadFromText(IniText::Parse("[Default]\r\nDuration=x\r\n"));
  EXPECT_EQ(s.Duration, 30);  // an unreadable value gives the default, not the current value
}

TEST(TKXCFileList, ReadsNamesAndFlags) {
  TKXCFileList list;
  list.LoadFromText("[FileListHeader]\r\nHeader=x\r\n[FileList]\r\nsea.jpg=1\r\nb.kxp=0\r\nc.jpg=yes\r\na=b.jpg=1\r\n");
  EXPECT_EQ(list.Names, (std::vector<std::string>{"sea.jpg", "b.kxp", "c.jpg", "a=b.jpg"}));
  // "a=b.jpg" is looked up as a key, which the line "a=b.jpg=1" does not give.
  EXPECT_EQ(list.Flags, (std::vector<std::string>{"TRUE", "FALSE", "FALSE", "FALSE"}));
  list.LoadFromText("");
  EXPECT_TRUE(list.Names.empty());
  EXPECT_TRUE(list.Flags.empty());
}

class LoadFromContainerTest : public ::testing::Test {
 protected:
  void Load(const std::vector<std::string>& members) {
    WriteText(dir / "KXC.res", ContainerBytes(members));
    project.LoadFromContainer(dir / "KXC.res");
  }
  TempDir dir;
  TKXCProject project;
};

TEST_F(LoadFromContainerTest, ThreeOrFourMembersLoadTheProject) {
  for (size_t count : {3u, 4u}) {
    std::vector<std::string> members = {"[FileList]\r\na.jpg=1\r\n", "[Default]\r\nDuration=5\r\n", "[UI]\r\nUIFile=x.kxu\r\n"};
    if (count == 4) members.push_back(ContainerBytes({"", ""}));
    project = TKXCProject();
    Load(members);
    EXPECT_EQ(project.FileList.Names, std::vector<std::string>{"a.jpg"}) << count;
    EXPECT_EQ(project.Setting.Duration, 5) << count;
    EXPECT_EQ(project.UI.UIFile, "x.kxu") << count;
    EXPECT_EQ(ListDirectory(dir.path()), std::vector<std::string>{"KXC.res"}) << "temporary files left";
  }
}

TEST_F(LoadFromContainerTest, OtherCountsLeaveTheDefaults) {
  for (const auto& members : {std::vector<std::string>{"[FileList]\r\na.jpg=1\r\n", "[Default]\r\nDuration=5\r\n"},
                              std::vector<std::string>{"a", "b", "c", "d", "e"}, std::vector<std::string>{}}) {
    project = TKXCProject();
    Load(members);
    EXPECT_TRUE(project.FileList.Names.empty());
    EXPECT_EQ(project.Setting.Duration, 30);
    EXPECT_EQ(project.UI.UIFile, "");
  }
}

}  // namespace
}  // namespace kx
