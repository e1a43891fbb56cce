#include "app/CommandLine.h"

#include <cstdio>

#include "project/IniText.h"

namespace kx {
namespace {

struct ModeRow {
  const char* forms[3];
  SaverMode mode;
};

// The classic forms of each mode; only the first two characters of the first argument
// count, compared in upper case.
constexpr ModeRow kModeTable[] = {
    {{"/S", "-S", "S"}, SaverMode::Show},
    {{"/C", "-C", "C"}, SaverMode::Config},
    {{"/P", "-P", "P"}, SaverMode::Preview},
    {{"/A", "-A", "A"}, SaverMode::Password},
};

enum class OptionKind { Help, Root, WindowId, Duration, TransitionTime, Flag };

struct OptionRow {
  const char* name;
  OptionKind kind;
  std::optional<bool> RunOverrides::*flag;  // for OptionKind::Flag
  bool value;                               // what the flag sets
  const char* usage;
};

// The options, by their name without dashes. Every flag has its "no-" partner.
const OptionRow kOptionTable[] = {
    {"help", OptionKind::Help, nullptr, false, "print this text and end"},
    {"h", OptionKind::Help, nullptr, false, nullptr},
    {"root", OptionKind::Root, nullptr, false,
     "play in the window named by XSCREENSAVER_WINDOW, else on the root window"},
    {"window-id", OptionKind::WindowId, nullptr, false, "ID: play in the X window ID (hex 0x... or decimal)"},
    {"duration", OptionKind::Duration, nullptr, false, "SECONDS: how long each item stays"},
    {"transition-time", OptionKind::TransitionTime, nullptr, false, "MS: how long a transition lasts"},
    {"transitions", OptionKind::Flag, &RunOverrides::Transitions, true, nullptr},
    {"no-transitions", OptionKind::Flag, &RunOverrides::Transitions, false, "change items without a transition"},
    {"clock", OptionKind::Flag, &RunOverrides::Clock, true, "show the clock over scenes"},
    {"no-clock", OptionKind::Flag, &RunOverrides::Clock, false, "no clock"},
    {"music", OptionKind::Flag, &RunOverrides::Music, true, "play the music"},
    {"no-music", OptionKind::Flag, &RunOverrides::Music, false, "no music"},
    {"sounds", OptionKind::Flag, &RunOverrides::Sounds, true, "play the scenes' sounds"},
    {"no-sounds", OptionKind::Flag, &RunOverrides::Sounds, false, "no scene sounds"},
};

constexpr int32_t kMaxDurationSeconds = 24 * 60 * 60;
constexpr int32_t kMaxTransitionMs = 60 * 1000;

const OptionRow* FindOption(const std::string& name) {
  for (const OptionRow& row : kOptionTable)
    if (name == row.name) return &row;
  return nullptr;
}

// "--name", "-name" or "--name=value": the name without dashes and the attached value.
bool SplitOption(const std::string& argument, std::string& name, std::optional<std::string>& value) {
  if (argument.size() < 2 || argument[0] != '-') return false;
  name = argument.substr(argument[1] == '-' ? 2 : 1);
  value.reset();
  if (const auto equals = name.find('='); equals != std::string::npos) {
    value = name.substr(equals + 1);
    name.resize(equals);
  }
  return !name.empty();
}

std::optional<int32_t> ParseBounded(const std::string& text, int32_t low, int32_t high) {
  const auto value = ParseInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<int32_t>(*value);
}

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::vector<std::string> positional;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string name;
    std::optional<std::string> attached;
    const OptionRow* row = SplitOption(argument, name, attached) ? FindOption(name) : nullptr;
    if (row == nullptr) {
      // "--anything" is an option nobody knows, except as the first argument, where it has
      // always selected no mode at all.
      if (argument.rfind("--", 0) == 0 && !(positional.empty() && i == 0)) {
        line.problems.push_back("unknown option " + argument + " (ignored)");
        continue;
      }
      positional.push_back(argument);
      continue;
    }
    const bool takesValue = row->kind == OptionKind::WindowId || row->kind == OptionKind::Duration ||
                            row->kind == OptionKind::TransitionTime;
    std::string value;
    if (takesValue) {
      if (attached) {
        value = *attached;
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        line.problems.push_back("option " + argument + " needs a value (ignored)");
        continue;
      }
    }
    switch (row->kind) {
      case OptionKind::Help:
        line.help = true;
        break;
      case OptionKind::Root:
        line.root = true;
        break;
      case OptionKind::WindowId:
        line.windowIdGiven = true;
        line.windowIdText = value;
        break;
      case OptionKind::Duration:
        if (const auto seconds = ParseBounded(value, 1, kMaxDurationSeconds)) {
          line.overrides.DurationSeconds = seconds;
        } else {
          line.problems.push_back("--duration wants whole seconds from 1 to " + std::to_string(kMaxDurationSeconds) +
                                  ", not \"" + value + "\" (ignored)");
        }
        break;
      case OptionKind::TransitionTime:
        if (const auto ms = ParseBounded(value, 0, kMaxTransitionMs)) {
          line.overrides.TransitionTimeMs = ms;
        } else {
          line.problems.push_back("--transition-time wants milliseconds from 0 to " +
                                  std::to_string(kMaxTransitionMs) + ", not \"" + value + "\" (ignored)");
        }
        break;
      case OptionKind::Flag:
        line.overrides.*(row->flag) = row->value;
        break;
    }
  }
  if (!positional.empty()) {
    line.hasFirst = true;
    line.first = positional[0];
    line.ModeArg = UpperAscii(positional[0].substr(0, 2));
  }
  if (positional.size() > 1) line.HandleArg = UpperAscii(positional[1]);
  return line;
}

SaverMode ModeOf(const CommandLine& line) {
  if (line.Hack()) return SaverMode::Hack;
  if (!line.hasFirst) return SaverMode::Config;
  for (const auto& row : kModeTable)
    for (const char* form : row.forms)
      if (line.ModeArg == form) return row.mode;
  return SaverMode::None;
}

std::optional<uint64_t> ParseWindowHandle(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t next = value * 10 + static_cast<uint64_t>(c - '0');
    if (next / 10 != value) return std::nullopt;  // overflow
    value = next;
  }
  return value;
}

std::optional<uint64_t> ParseWindowId(const std::string& text) {
  std::optional<uint64_t> value;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 2 + 16) return std::nullopt;
    uint64_t hex = 0;
    for (size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      int digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        return std::nullopt;
      }
      hex = hex * 16 + static_cast<uint64_t>(digit);
    }
    value = hex;
  } else {
    value = ParseWindowHandle(text);
  }
  if (!value || *value == 0 || *value > 0xFFFFFFFFull) return std::nullopt;
  return value;
}

std::optional<uint64_t> HackWindowId(const CommandLine& line, const std::string& environmentWindow) {
  if (line.windowIdGiven) return ParseWindowId(line.windowIdText);
  if (!environmentWindow.empty()) return ParseWindowId(environmentWindow);
  return 0;
}

void ApplyRunOverrides(const RunOverrides& overrides, TKXCSetting& setting) {
  if (overrides.DurationSeconds) setting.Duration = *overrides.DurationSeconds;
  if (overrides.TransitionTimeMs) setting.TransitionTime = *overrides.TransitionTimeMs;
  if (overrides.Transitions) setting.Transition = *overrides.Transitions;
  if (overrides.Clock) setting.ShowClock = *overrides.Clock;
  if (overrides.Music) setting.Music = *overrides.Music;
  if (overrides.Sounds) setting.Sound = *overrides.Sounds;
}

std::string UsageText(const std::string& programName) {
  std::string text = "usage: " + programName + " [MODE] [OPTIONS]\n\n";
  text +=
      "Modes (only the first two characters count; -S and S are /S):\n"
      "  /S          play the show full-screen; a key, a click or moving the mouse ends it\n"
      "  /C          open the configuration window (also with no argument)\n"
      "  /P ID       draw the preview picture into the X window ID (decimal)\n"
      "  /A          change the screensaver password (does nothing on Linux)\n"
      "  --root, --window-id ID\n"
      "              play as a screensaver daemon's hack (xscreensaver, MATE, Xfce) in a window\n"
      "              of the daemon: no input is read, SIGTERM ends the show\n\n"
      "Options (one or two dashes; for the hack mode and /S, overriding the user's settings):\n";
  for (const OptionRow& row : kOptionTable) {
    if (row.usage == nullptr) continue;
    std::string left = std::string("  --") + row.name;
    text += left + std::string(left.size() < 22 ? 22 - left.size() : 1, ' ') + row.usage + "\n";
  }
  text +=
      "\nSIGTERM, SIGINT and SIGHUP end every mode cleanly (exit code 0). The user's settings are\n"
      "next to the program, or in $XDG_CONFIG_HOME/kxsaver/ when its folder is not writable.\n";
  return text;
}

}  // namespace kx
