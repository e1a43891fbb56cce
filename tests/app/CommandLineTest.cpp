// The daemons' way of running a hack (--root, --window-id, XSCREENSAVER_WINDOW), the options
// of their settings panels, and how both meet the classic mode arguments.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(CommandLine, HackOptionsInEveryForm) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    SaverMode mode;
    bool root;
    const char* windowId;  // nullptr: not given
  };
  const Case cases[] = {
      {"double dash root", {"--root"}, SaverMode::Hack, true, nullptr},
      {"single dash root", {"-root"}, SaverMode::Hack, true, nullptr},
      {"window id", {"--window-id", "0x2a"}, SaverMode::Hack, false, "0x2a"},
      {"single dash window id", {"-window-id", "42"}, SaverMode::Hack, false, "42"},
      {"attached value", {"--window-id=0x10"}, SaverMode::Hack, false, "0x10"},
      {"preview of a settings dialog", {"--root", "--window-id", "0x600003"}, SaverMode::Hack, true, "0x600003"},
      {"options first", {"--duration", "5", "--root"}, SaverMode::Hack, true, nullptr},
      {"show with an option", {"/S", "--no-music"}, SaverMode::Show, false, nullptr},
      {"classic preview", {"/P", "1234"}, SaverMode::Preview, false, nullptr},
      {"an unknown first word stays no mode", {"--S"}, SaverMode::None, false, nullptr},
      {"-c: still configures", {"-c:77"}, SaverMode::Config, false, nullptr},
  };
  for (const Case& c : cases) {
    const CommandLine line = ReadCommandLine(c.args);
    EXPECT_EQ(ModeOf(line), c.mode) << c.name;
    EXPECT_EQ(line.root, c.root) << c.name;
    EXPECT_EQ(line.windowIdGiven, c.windowId != nullptr) << c.name;
    if (c.windowId != nullptr) {
      EXPECT_EQ(line.windowIdText, c.windowId) << c.name;
    }
    EXPECT_TRUE(line.problems.empty()) << c.name;
  }
  EXPECT_EQ(ReadCommandLine({"/P", "1234", "--clock"}).HandleArg, "1234");
}

TEST(CommandLine, SettingsPanelOptionsOverrideForOneRun) {
  const CommandLine line = ReadCommandLine({"--root", "--duration", "7", "-transition-time", "500",
                                            "--no-transitions", "--clock", "--no-music", "-no-sounds"});
  EXPECT_TRUE(line.problems.empty());
  TKXCSetting setting;
  setting.Duration = 30;
  setting.TransitionTime = 2000;
  setting.Transition = true;
  setting.ShowClock = false;
  setting.Music = true;
  setting.Sound = true;
  ApplyRunOverrides(line.overrides, setting);
  EXPECT_EQ(setting.Duration, 7);
  EXPECT_EQ(setting.TransitionTime, 500);
  EXPECT_FALSE(setting.Transition);
  EXPECT_TRUE(setting.ShowClock);
  EXPECT_FALSE(setting.Music);
  EXPECT_FALSE(setting.Sound);

  // Nothing given: the user's settings stay.
  TKXCSetting untouched;
  untouched.Duration = 12;
  ApplyRunOverrides(ReadCommandLine({"--root"}).overrides, untouched);
  EXPECT_EQ(untouched.Duration, 12);
}

TEST(CommandLine, UnknownOptionsAndBadValuesAreReportedAndIgnored) {
  struct Case {
    std::vector<std::string> args;
    size_t problems;
  };
  const Case cases[] = {
      {{"--root", "--fps"}, 1},
      {{"--root", "--duration", "0"}, 1},
      {{"--root", "--duration", "ten"}, 1},
      {{"--root", "--transition-time", "-5"}, 1},
      {{"--root", "--duration"}, 1},  // the value is missing
      {{"--root", "--bogus", "--duration", "x"}, 2},
  };
  for (const Case& c : cases) {
    const CommandLine line = ReadCommandLine(c.args);
    EXPECT_EQ(ModeOf(line), SaverMode::Hack);
    EXPECT_EQ(line.problems.size(), c.problems) << c.args.back();
    EXPECT_FALSE(line.overrides.DurationSeconds) << c.args.back();
    EXPECT_FALSE(line.overrides.TransitionTimeMs) << c.args.back();
  }
  EXPECT_TRUE(ReadCommandLine({"--help"}).help);
  EXPECT_TRUE(ReadCommandLine({"/S", "-h"}).help);
}

TEST(CommandLine, WindowIdsInHexAndDecimal) {
  const std::pair<const char*, std::optional<uint64_t>> cases[] = {
      {"0x2a", 42}, {"0X2A", 42}, {"42", 42}, {"0x600003", 0x600003}, {"0xffffffff", 0xffffffffu},
      {"0x", std::nullopt}, {"", std::nullopt}, {"0", std::nullopt}, {"0x0", std::nullopt},
      {"0x100000000", std::nullopt}, {"-1", std::nullopt}, {"12ab", std::nullopt}, {"0xzz", std::nullopt},
      {"0x00000000000000000000002a", std::nullopt},
  };
  for (const auto& [text, id] : cases) EXPECT_EQ(ParseWindowId(text), id) << text;
}

TEST(CommandLine, WhichWindowTheHackDrawsInto) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* environment;
    std::optional<uint64_t> window;
  };
  const Case cases[] = {
      {"the daemon's window", {"--root"}, "0x400007", 0x400007},
      {"no daemon: the root window", {"--root"}, "", 0},
      {"--window-id wins over the environment", {"--root", "--window-id", "0x600003"}, "0x400007", 0x600003},
      {"a window id that is no number", {"--window-id", "lake"}, "", std::nullopt},
      {"a broken environment", {"--root"}, "window", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(HackWindowId(ReadCommandLine(c.args), c.environment), c.window) << c.name;
}

TEST(CommandLine, UsageNamesEveryModeAndOption) {
  const std::string usage = UsageText("kxsaver");
  for (const char* word : {"/S", "/C", "/P", "/A", "--root", "--window-id", "--duration", "--transition-time",
                           "--no-transitions", "--clock", "--no-clock", "--music", "--no-music", "--sounds",
                           "--no-sounds", "--help"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace kx
