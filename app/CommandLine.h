#pragma once
// The command line of the engine.
//
// Two conventions meet here. The classic screensaver arguments select a mode by the first
// two characters of the first argument, upper-cased ("/S", "-s", "S", "/c:1234" ...), with a
// window handle in decimal as the second argument. The screensaver daemons of Linux desktops
// run a "hack" with options instead: `-root`/`--root` draws into the window named by the
// environment variable XSCREENSAVER_WINDOW (or the root window), `-window-id ID` /
// `--window-id ID` (hex "0x..." or decimal) names the window and wins over `-root`. Single and
// double dashes are the same, `--name=value` is `--name value`, and an unknown option is
// reported and ignored. The options of the daemons' settings panels (duration, transitions,
// clock, music, sounds) override the user's settings for one run, in the hack mode and in the
// show mode alike.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "project/KXCSetting.h"

namespace kx {

enum class SaverMode { None, Show, Config, Preview, Password, Hack };

// Settings given on the command line for one run; unset ones keep the user's value.
struct RunOverrides {
  std::optional<int32_t> DurationSeconds;
  std::optional<int32_t> TransitionTimeMs;
  std::optional<bool> Transitions;
  std::optional<bool> Clock;
  std::optional<bool> Music;
  std::optional<bool> Sounds;
};

struct CommandLine {
  bool hasFirst = false;
  std::string first;      // the first argument as given
  std::string ModeArg;    // first argument, upper case, cut to two characters
  std::string HandleArg;  // second argument, upper case

  bool help = false;         // --help: print the usage and end
  bool root = false;         // --root
  bool windowIdGiven = false;
  std::string windowIdText;  // the value of --window-id
  RunOverrides overrides;
  std::vector<std::string> problems;  // unknown options and bad values, for standard error

  // The daemon's way of running us: --root or --window-id.
  bool Hack() const { return root || windowIdGiven; }
};

CommandLine ReadCommandLine(const std::vector<std::string>& arguments);
SaverMode ModeOf(const CommandLine& line);

// A window handle given as decimal text; nullopt when the text is not a number.
std::optional<uint64_t> ParseWindowHandle(const std::string& text);
// An X window id as the daemons write it: "0x" and hex digits, or decimal; nullopt otherwise
// (also for 0 and for values beyond 32 bits, which name no X window).
std::optional<uint64_t> ParseWindowId(const std::string& text);

// The window the hack mode draws into: --window-id when given, else the value of
// XSCREENSAVER_WINDOW (`environmentWindow`) when set, else 0 for the root window. nullopt
// when the text that names the window is not a window id.
std::optional<uint64_t> HackWindowId(const CommandLine& line, const std::string& environmentWindow);

void ApplyRunOverrides(const RunOverrides& overrides, TKXCSetting& setting);

// The usage of every mode and option, for --help.
std::string UsageText(const std::string& programName);

}  // namespace kx
