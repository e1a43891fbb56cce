#include "project/IniText.h"

#include <cerrno>
#include <cstdlib>

#include "platform/Files.h"

namespace kx {
std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return UpperAscii(a) == UpperAscii(b);
}

// The section name of a header line, or nullopt for other lines.
std::optional<std::string> HeaderName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const auto close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

}  // namespace

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::optional<int32_t> ParseInteger(const std::string& text) {
  const std::string t = Trim(text);
  if (t.empty()) return std::nullopt;
  size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == t.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return std::nullopt;
    value = value * 10 + (t[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (t[0] == '-') value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::vector<std::string> SectionKeysByLineRule(const std::vector<std::string>& lines,
                                               const std::string& section) {
  std::vector<std::string> keys;
  const std::string header = UpperAscii("[" + section + "]");
  size_t i = 0;
  while (i < lines.size() && UpperAscii(lines[i]) != header) ++i;
  for (++i; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (!line.empty() && line.front() == '[' && line.back() == ']') break;
    const auto eq = line.find_last_of('=');
    if (eq != std::string::npos && eq >= 1) keys.push_back(line.substr(0, eq));
  }
  return keys;
}

IniText IniText::Parse(const std::string& text) {
  IniText ini;
  ini.lines_ = SplitLines(text);
  return ini;
}

IniText IniText::LoadFile(const std::string& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return IniText();
  return Parse(bytes);
}

int IniText::SectionHeader(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = HeaderName(lines_[i]);
    if (name && EqualsIgnoringCase(*name, section)) return static_cast<int>(i);
  }
  return -1;
}

size_t IniText::SectionEnd(int header) const {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < lines_.size() && !HeaderName(lines_[i])) ++i;
  return i;
}

bool IniText::HasSection(const std::string& section) const { return SectionHeader(section) >= 0; }

std::optional<std::string> IniText::Find(const std::string& section, const std::string& key) const {
  const int header = SectionHeader(section);
  if (header < 0) return std::nullopt;
  const size_t end = SectionEnd(header);
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    const auto eq = lines_[i].find('=');
    if (eq == std::string::npos) continue;
    if (EqualsIgnoringCase(Trim(lines_[i].substr(0, eq)), Trim(key))) return Trim(lines_[i].substr(eq + 1));
  }
  return std::nullopt;
}

std::string IniText::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  return Find(section, key).value_or(def);
}

int32_t IniText::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  const auto text = Find(section, key);
  if (!text) return def;
  return ParseInteger(*text).value_or(def);
}

bool IniText::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniText::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const std::string line = key + "=" + value;
  const int header = SectionHeader(section);
  if (header < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(line);
    return;
  }
  const size_t end = SectionEnd(header);
  size_t insertAt = static_cast<size_t>(header) + 1;
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    const auto eq = lines_[i].find('=');
    if (!Trim(lines_[i]).empty()) insertAt = i + 1;
    if (eq != std::string::npos && EqualsIgnoringCase(Trim(lines_[i].substr(0, eq)), Trim(key))) {
      lines_[i] = line;
      return;
    }
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
}

void IniText::WriteNewSection(const std::string& section, const std::vector<std::string>& keys,
                              const std::string& value) {
  // What WriteString key by key would leave for an absent section, in one pass: keys that
  // match without regard to case (and blanks) take one line, at the first one's place, in the
  // last one's spelling.
  if (keys.empty()) return;
  lines_.push_back("[" + section + "]");
  std::unordered_map<std::string, size_t> lineOf;
  for (const auto& key : keys) {
    const auto [it, added] = lineOf.try_emplace(UpperAscii(Trim(key)), lines_.size());
    if (added) lines_.push_back(key + "=" + value);
    else lines_[it->second] = key + "=" + value;
  }
}

std::unordered_map<std::string, std::string> IniText::SectionValues(const std::string& section) const {
  std::unordered_map<std::string, std::string> values;
  const int header = SectionHeader(section);
  if (header < 0) return values;
  const size_t end = SectionEnd(header);
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    const auto eq = lines_[i].find('=');
    if (eq == std::string::npos) continue;
    values.try_emplace(UpperAscii(Trim(lines_[i].substr(0, eq))), Trim(lines_[i].substr(eq + 1)));
  }
  return values;
}

void IniText::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniText::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniText::EraseSection(const std::string& section) {
  for (int header = SectionHeader(section); header >= 0; header = SectionHeader(section)) {
    const size_t end = SectionEnd(header);
    lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<std::ptrdiff_t>(end));
  }
}

std::string IniText::ToText() const {
  std::string text;
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool IniText::SaveFile(const std::string& path) const { return WriteFileReplacing(path, ToText()); }

}  // namespace kx
