#pragma once
// INI texts as the system reads and writes them.
//
// Lines of the form "[Section]" open a section; "Key=Value" lines belong to the last opened
// section. Texts are 8-bit and kept byte for byte. Section and key names match without
// regard to ASCII case; the key of a line is the text before its first "=", and key and value
// are read with surrounding blanks removed. An integer is decimal text (an optional sign and
// digits, within 32 bits); anything else yields the caller's default. A bool is an integer:
// 0 is false, any other integer true; bools are written as "1" and "0".
//
// Writing follows the platform profile functions: an existing key is replaced in place, a new
// key is added at the end of its section, a new section at the end of the text.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kx {

class IniText {
 public:
  IniText() = default;
  static IniText Parse(const std::string& text);
  // A missing or unreadable file gives an empty text.
  static IniText LoadFile(const std::string& path);

  bool HasSection(const std::string& section) const;
  std::optional<std::string> Find(const std::string& section, const std::string& key) const;
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  // Appends `section` with one "KEY=value" line per key, as WriteString would for a section
  // that is not there, in time linear in the keys (a music list of thousands of entries).
  void WriteNewSection(const std::string& section, const std::vector<std::string>& keys, const std::string& value);
  // Every key of a section (upper-cased, trimmed) with its trimmed value; of equal keys the
  // first wins, as Find does. One pass, for reading every key of a long section.
  std::unordered_map<std::string, std::string> SectionValues(const std::string& section) const;
  void EraseSection(const std::string& section);

  const std::vector<std::string>& Lines() const { return lines_; }
  // The text with CR LF line ends.
  std::string ToText() const;
  bool SaveFile(const std::string& path) const;

 private:
  // Index of the header line of a section, or -1.
  int SectionHeader(const std::string& section) const;
  // One past the last line of the section whose header is at `header`.
  size_t SectionEnd(int header) const;

  std::vector<std::string> lines_;
};

// Splits a text into lines at CR LF, CR or LF; a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

// Parses decimal text (optional sign, digits, 32-bit range); nullopt otherwise.
std::optional<int32_t> ParseInteger(const std::string& text);

std::string UpperAscii(std::string text);
// The text without the blanks (spaces and tabs) around it.
std::string Trim(const std::string& text);

// The item line rule of the file list: from the line after the first line equal to
// "[" + section + "]" (compared in upper case, not trimmed) up to the next line that begins
// with "[" and ends with "]", every line with an "=" after its first character gives the key
// before its last "=", untrimmed.
std::vector<std::string> SectionKeysByLineRule(const std::vector<std::string>& lines,
                                               const std::string& section);

}  // namespace kx
