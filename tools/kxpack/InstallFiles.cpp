#include "tools/kxpack/InstallFiles.h"

#include <cstdio>
#include <vector>

#include "payload/Container.h"
#include "project/IniText.h"
#include "project/KXCProject.h"

namespace kx {
namespace {

constexpr int64_t kTextLimit = 16 << 20;  // project texts larger than this are not read

bool IsUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t extra = c < 0x80 ? 0 : (c >= 0xC2 && c <= 0xDF) ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c >= 0xF0 && c <= 0xF4) ? 3 : 9;
    if (extra == 9 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// Control characters would break a line of the desktop entry or the programs list.
std::string OneLine(const std::string& text) {
  std::string out = ValidUtf8(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : OneLine(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

// A desktop entry string value: backslashes doubled.
std::string DesktopString(const std::string& text) {
  std::string out;
  for (char c : OneLine(text)) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// One argument of an Exec line: quoted when it holds a reserved character, then written
// as a string value, where '%' introduces field codes and so is doubled.
std::string ExecArgument(const std::string& arg) {
  static const std::string kReserved = " \t\"'\\><~|&;$*?#()`";
  std::string quoted;
  if (arg.find_first_of(kReserved) == std::string::npos) {
    quoted = arg;
  } else {
    quoted.push_back('"');
    for (char c : arg) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    quoted += '"';
  }
  std::string out;
  for (char c : DesktopString(quoted)) {
    if (c == '%') out += '%';
    out += c;
  }
  return out;
}

struct PanelSelect {
  const char* id;
  const char* own;
  const char* on;
  const char* onArg;
  const char* off;
  const char* offArg;
};

// Three-way choices: the daemon passes no option for the first, so the saver's own
// settings (its configuration window) decide.
const PanelSelect kSelects[] = {
    {"clock", "Clock as set in the saver", "Show the clock", "--clock", "Hide the clock", "--no-clock"},
    {"music", "Music as set in the saver", "Play music", "--music", "No music", "--no-music"},
    {"sounds", "Scene sounds as set in the saver", "Play scene sounds", "--sounds", "No scene sounds", "--no-sounds"},
};

struct PanelSlider {
  const char* id;
  const char* arg;
  const char* label;
  const char* highLabel;
  int high;
};

// A slider at 0 (its default) passes no option: the saver's own setting stays in use.
const PanelSlider kSliders[] = {
    {"duration", "--duration %", "Time per picture (seconds)", "5 minutes", 300},
    {"transitionTime", "--transition-time %", "Transition time (milliseconds)", "10 seconds", 10000},
};

}  // namespace

std::string ValidUtf8(const std::string& text) {
  if (IsUtf8(text)) return text;
  std::string out;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string SaverNameFromFile(const std::string& path) {
  const auto slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!keep) c = '-';
  }
  return name;
}

bool IsValidSaverName(const std::string& name) {
  return !name.empty() && name.size() <= 200 && SaverNameFromFile(name) == name;
}

bool ReadSaverProductName(const std::string& path, std::string& productName, std::string& error) {
  error = path + " is not a finished screensaver";
  char head[4] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "Cannot read " + path;
    return false;
  }
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  if (got != sizeof head || std::string(head, 4) != "\x7f" "ELF") {
    error += " (not an executable)";
    return false;
  }
  ContainerReader reader;
  if (!reader.Open(path) || reader.Count() != 4) {
    error += " (no payload)";
    return false;
  }
  std::string projectBytes;
  std::vector<std::string> members;
  if (reader.NextMember() < 0 || !reader.ReadMember(projectBytes, kTextLimit) ||
      !ParseContainerBytes(projectBytes, members) || members.size() < 3 || members.size() > 4) {
    error += " (damaged project settings)";
    return false;
  }
  int present = 1;
  while (reader.NextMember() >= 0) ++present;
  if (present != 4) {
    error += " (payload cut short)";
    return false;
  }
  TKXCSetting setting;
  setting.LoadFromText(IniText::Parse(members[1]));
  productName = OneLine(setting.ProductName);
  error.clear();
  return true;
}

std::string SettingsPanelXml(const std::string& name, const std::string& productName,
                             const std::string& saverPath) {
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  x += "<screensaver name=\"" + XmlEscaped(name) + "\" _label=\"" + XmlEscaped(productName) + "\">\n";
  x += "  <command arg=\"--root\"/>\n\n";
  for (const auto& s : kSliders) {
    x += std::string("  <number id=\"") + s.id + "\" type=\"slider\" arg=\"" + s.arg + "\"\n" +
         "          _label=\"" + s.label + "\" _low-label=\"Saver's setting\" _high-label=\"" + s.highLabel +
         "\"\n          low=\"0\" high=\"" + std::to_string(s.high) + "\" default=\"0\"/>\n";
  }
  x += "  <boolean id=\"noTransitions\" _label=\"No transitions\" arg-set=\"--no-transitions\"/>\n";
  for (const auto& s : kSelects) {
    x += std::string("  <select id=\"") + s.id + "\">\n";
    x += std::string("    <option id=\"") + s.id + "Own\" _label=\"" + s.own + "\"/>\n";
    x += std::string("    <option id=\"") + s.id + "On\" _label=\"" + s.on + "\" arg-set=\"" + s.onArg + "\"/>\n";
    x += std::string("    <option id=\"") + s.id + "Off\" _label=\"" + s.off + "\" arg-set=\"" + s.offArg + "\"/>\n";
    x += "  </select>\n";
  }
  x += "\n  <_description>\n";
  x += XmlEscaped(productName) + ": a show of pictures and animated water scenes with music.\n\n";
  x += "The options here override the saver's own settings for the daemon's runs. Its full\n";
  x += "configuration window opens with:\n\n    " + XmlEscaped(saverPath) + " /C\n";
  x += "  </_description>\n</screensaver>\n";
  return x;
}

std::string DesktopEntry(const std::string& productName, const std::string& saverPath) {
  std::string d = "[Desktop Entry]\n";
  d += "Type=Application\n";
  d += "Name=" + DesktopString(productName) + "\n";
  d += "Comment=" + DesktopString(productName) + ", a kxsaver screensaver\n";
  d += "TryExec=" + DesktopString(saverPath) + "\n";
  d += "Exec=" + ExecArgument(saverPath) + " --root\n";
  d += "StartupNotify=false\n";
  d += "Terminal=false\n";
  // Screensaver is a reserved category: the entry is for the screensaver settings of MATE
  // and Xfce, not for a menu, and is valid only with OnlyShowIn.
  d += "Categories=Screensaver;\n";
  d += "OnlyShowIn=MATE;XFCE;\n";
  return d;
}

}  // namespace kx
