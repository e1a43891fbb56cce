#include "scene/IniSections.h"

#include <cstdint>

namespace kx {

namespace {

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f') {
      digit = LowerAscii(c) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    // Hexadecimal may spell a full 32-bit pattern (as $FFFFFFFF for -1); decimal must fit.
    if (value > (base == 16 ? int64_t{0xFFFFFFFF} : int64_t{2147483648})) return std::nullopt;
  }
  if (base == 16) {
    value = static_cast<int32_t>(static_cast<uint32_t>(value));
  } else if (!negative && value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

IniSections IniSections::FromLines(const std::vector<std::string>& lines) {
  IniSections ini;
  Section* current = nullptr;
  for (const auto& line : lines) ini.AddLine(line, current);
  return ini;
}

std::string IniSections::UpperKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

void IniSections::Parse(std::string_view text) {
  sections_.clear();
  index_.clear();
  Section* current = nullptr;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    AddLine(text.substr(start, end - start), current);
    start = end + 1;
  }
}

void IniSections::AddLine(std::string_view line, Section*& current) {
  line = Trim(line);
  if (line.empty() || line[0] == ';') return;
  if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
    const std::string_view name = Trim(line.substr(1, line.size() - 2));
    const auto [it, added] = index_.try_emplace(UpperKey(name), sections_.size());
    if (added) sections_.push_back(Section{std::string(name), {}});
    current = &sections_[it->second];
    return;
  }
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos || current == nullptr) return;
  current->entries.push_back(
      Entry{std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1)))});
}

const IniSections::Section* IniSections::FindSection(std::string_view name) const {
  const auto it = index_.find(UpperKey(name));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string> IniSections::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  for (const auto& e : s->entries) {
    if (EqualsIgnoreCase(e.key, key)) return e.value;
  }
  return std::nullopt;
}

std::string IniSections::ReadString(std::string_view section, std::string_view key,
                                const std::string& fallback) const {
  auto v = Find(section, key);
  return v ? *v : fallback;
}

int32_t IniSections::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
  auto v = Find(section, key);
  if (!v) return fallback;
  return ParseIniInteger(*v).value_or(fallback);
}

bool IniSections::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

}  // namespace kx
