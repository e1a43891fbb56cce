#pragma once
// A small reader of INI text held in memory, as used by scene packages (the builder settings
// and the object list) and by the scene description files of the packaging tool.
//
// Lines are "[Section]" or "Key=Value"; lines are split at LF (a CR before it is dropped), and
// each line is trimmed of white space. Empty lines, lines starting with ";" and lines without
// "=" carry nothing. Section and key names match without regard to (ASCII) letter case; a
// section named twice is one section, and the first of two equal keys wins. Key and value
// are trimmed. Integers are decimal, or hexadecimal after "$" or "0x"; an unreadable integer
// yields the default. Booleans are integers: 0 is false, any other value true.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kx {

class IniSections {
 public:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;  // in text order
  };

  IniSections() = default;
  explicit IniSections(std::string_view text) { Parse(text); }
  static IniSections FromLines(const std::vector<std::string>& lines);

  void Parse(std::string_view text);

  const std::vector<Section>& Sections() const { return sections_; }
  const Section* FindSection(std::string_view name) const;
  bool HasSection(std::string_view name) const { return FindSection(name) != nullptr; }
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& fallback) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

 private:
  void AddLine(std::string_view line, Section*& current);
  static std::string UpperKey(std::string_view name);

  std::vector<Section> sections_;
  // Section position by upper-cased name: finding a section never walks the list, so text of
  // any number of sections is read in linear time.
  std::unordered_map<std::string, size_t> index_;
};

// Parses a whole-string integer as the INI reader does; nullopt when it is not one.
std::optional<int32_t> ParseIniInteger(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kx
