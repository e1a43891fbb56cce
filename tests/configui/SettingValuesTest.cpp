// Where the settings dialog's values come from, and the rules it shares with the window.
#include <gtest/gtest.h>

#include "configui/SettingValues.h"
#include "project/SpeedTable.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

class SettingValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project.Setting.Stretch = true;
    project.Setting.Proportional = true;
    project.Setting.ShowImageMode = 1;
    project.Setting.Speed = 140;
    project.Setting.Sound = false;
    project.Setting.Music = true;
    project.Setting.Transition = false;
    project.Setting.Duration = 25;
    project.Setting.DirectX = true;
    project.Setting.DirectXQuality = 2;
    project.Setting.ShowClock = true;
    project.Setting.ClockPos = 3;
  }
  SettingDialogValues Read(const std::string& exe, const std::string& argument = "") {
    const UserSettingsFile settings(dir / exe, argument);
    return ReadSettingDialogValues(project, &settings);
  }
  std::string Ini() const { return dir / "Sea.ini"; }
  test::TempDir dir;
  TKXCProject project;
};

TEST_F(SettingValuesTest, AFirstRunShowsTheProjectAndNoMusicOfTheUsers) {
  const SettingDialogValues r = Read("Sea.scr");
  const UserSettingValues& v = r.values;
  EXPECT_EQ(v.ImageSize, 2);
  EXPECT_EQ(v.ImageMode, 1);
  EXPECT_EQ(v.Speed, 12);
  EXPECT_FALSE(v.Sound);
  EXPECT_TRUE(v.Music);
  EXPECT_FALSE(v.Transition);
  EXPECT_EQ(v.Duration, 25);
  EXPECT_TRUE(v.DirectX);
  EXPECT_EQ(v.DirectXQuality, 2);
  EXPECT_TRUE(v.ShowClock);
  EXPECT_EQ(v.ClockPos, 3);
  EXPECT_FALSE(v.CustomMusic);
  EXPECT_FALSE(v.ShuffleMusic);
  EXPECT_TRUE(r.musicList.empty());
}

TEST_F(SettingValuesTest, TheFileOverridesWithFixedDefaultsForFourKeys) {
  struct Case {
    const char* name;
    const char* file;
    bool shuffle, showClock, customMusic;
    int clockPos, duration;
  } cases[] = {
      {"no ShuffleMusic: shuffling is on", "[Setting]\r\nCustomMusic=1\r\n", true, false, true, 1, 25},
      {"no ClockPos and ShowClock: top right, no clock, whatever the project says", "[Setting]\r\nDuration=40\r\n", true,
       false, false, 1, 40},
      {"all four given", "[Setting]\r\nShuffleMusic=0\r\nShowClock=1\r\nClockPos=2\r\nCustomMusic=0\r\n", false, true,
       false, 2, 25},
  };
  for (const auto& c : cases) {
    test::WriteText(Ini(), c.file);
    const UserSettingValues v = Read("Sea.scr").values;
    EXPECT_EQ(v.ShuffleMusic, c.shuffle) << c.name;
    EXPECT_EQ(v.ShowClock, c.showClock) << c.name;
    EXPECT_EQ(v.CustomMusic, c.customMusic) << c.name;
    EXPECT_EQ(v.ClockPos, c.clockPos) << c.name;
    EXPECT_EQ(v.Duration, c.duration) << c.name;
    EXPECT_EQ(v.ImageSize, 2) << c.name;  // not in the file: the project's
  }
}

TEST_F(SettingValuesTest, TheMusicListIsTheKeysInFileOrder) {
  test::WriteText(Ini(), "[MusicList]\r\n/m/b.mp3=\r\n/m/a.wav=\r\n[Files]\r\n0=\r\n");
  EXPECT_EQ(Read("Sea.scr").musicList, (std::vector<std::string>{"/m/b.mp3", "/m/a.wav"}));
}

TEST_F(SettingValuesTest, WithoutSettingsInUseOnlyTheProjectCounts) {
  test::WriteText(Ini(), "[Setting]\r\nDuration=40\r\nShuffleMusic=1\r\n[MusicList]\r\n/m/b.mp3=\r\n");
  for (const auto& [exe, argument] : std::vector<std::pair<std::string, std::string>>{{"Sea.exe", ""}, {"Sea.exe", "/c:5"}}) {
    const SettingDialogValues r = Read(exe, argument);
    EXPECT_EQ(r.values.Duration, 25) << exe << argument;
    EXPECT_FALSE(r.values.ShuffleMusic) << exe << argument;
    EXPECT_TRUE(r.musicList.empty()) << exe << argument;
  }
  EXPECT_EQ(ReadSettingDialogValues(project, nullptr).values.Duration, 25);
  EXPECT_EQ(Read("Sea.exe", "/C").values.Duration, 40);
}

TEST(NearestSpeedIndex, ExactValuesAndTheNearestForOthers) {
  for (int i = 0; i < static_cast<int>(SpeedTable.size()); ++i) EXPECT_EQ(NearestSpeedIndex(SpeedTable[i]), i);
  const std::pair<int, int> cases[] = {{100, 10}, {77, 7}, {78, 8}, {65, 5}, {0, 0}, {-50, 0}, {420, 18},
                                       {421, 19}, {100000, 20}, {INT32_MIN, 0}, {INT32_MAX, 20}};
  for (const auto& [speed, index] : cases) EXPECT_EQ(NearestSpeedIndex(speed), index) << speed;
}

TEST(ParseDurationText, DecimalIntegersOnly) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"5", 5}, {"999", 999}, {" 12 ", 12}, {"-3", -3}, {"1500", 1500},
      {"", std::nullopt}, {"abc", std::nullopt}, {"1e2", std::nullopt}, {"$10", std::nullopt}, {"9999999999", std::nullopt}};
  for (const auto& [text, expected] : cases) {
    std::string error;
    EXPECT_EQ(ParseDurationText(text, error), expected) << text;
    if (!expected) {
      EXPECT_EQ(error, std::string("'") + text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace kx
