#include "configui/WindowText.h"

#include "configui/SkinClasses.h"
#include "project/IniText.h"

namespace kx {
namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsEventLine(const std::string& trimmed) {
  if (!StartsWith(trimmed, "On")) return false;
  if (trimmed.size() < 3) return true;  // nothing after "On": no lower-case letter either
  const char third = trimmed[2];
  return !(third >= 'a' && third <= 'z');
}

std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with) {
  std::string out;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(what, from);
    if (at == std::string::npos) break;
    out.append(text, from, at - from);
    out += with;
    from = at + what.size();
  }
  out.append(text, from, std::string::npos);
  return out;
}

}  // namespace

std::vector<SourceLine> BuildWindowLines(const TKXForm& form) {
  std::vector<SourceLine> out;
  bool visibleRemoved = false;
  for (size_t i = 0; i < form.Lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    if (i == 0) {
      out.push_back({"object " + FormNameOf(form.Lines[0]) + ": " + kWindowClassName, number});
      continue;
    }
    const std::string& line = form.Lines[i];
    const std::string trimmed = TrimBlanks(line);
    if (IsEventLine(trimmed)) continue;
    const std::string upper = UpperAscii(trimmed);
    if (StartsWith(upper, "BORDERICONS") || StartsWith(upper, "BORDERSTYLE") || StartsWith(upper, "FORMSTYLE")) continue;
    if (StartsWith(upper, "VISIBLE") && !visibleRemoved) {
      visibleRemoved = true;
      continue;
    }
    out.push_back({line, number});
  }
  return out;
}

std::string BuildWindowText(const TKXForm& form) {
  std::string text;
  const auto lines = BuildWindowLines(form);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i].text;
  }
  return text;
}

std::string ReplacePlaceholders(const std::string& text, const TKXCProject& project) {
  const TKXCSetting& s = project.Setting;
  std::string out = ReplaceAll(text, "<ScreensaverName>", SkinTextToUtf8(s.ProductName));
  out = ReplaceAll(out, "<CompanyName>", SkinTextToUtf8(s.Publisher));
  return ReplaceAll(out, "<Website>", SkinTextToUtf8(s.Website));
}

std::string ReplaceCaptionPlaceholders(const std::string& text, const TKXCProject& project) {
  std::string out = text;
  if (Trim(project.Setting.Publisher).empty())
    for (const char* credit : {"by <CompanyName>", "By <CompanyName>", "BY <CompanyName>"}) out = ReplaceAll(out, credit, "");
  return ReplacePlaceholders(out, project);
}

}  // namespace kx
