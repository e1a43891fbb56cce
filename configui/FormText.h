#pragma once
// The textual object-description format of skin forms.
//
//   object MainWindow: TfmForm          an object block: name, colon, class ...
//     Left = 192                        ... property lines ...
//     Font.Name = 'Arial'
//     object TTimer                     ... then nested blocks (an unnamed one here)
//       Interval = 500
//     end
//   end
//
// Values: decimal integers (optionally negative); identifiers (True, taCenter, clBtnFace);
// strings made of quoted pieces ('it''s') and character codes (#39) written without blanks
// between them, several such runs joined by "+" (also at a line end, the run going on on the
// next line); sets "[fsBold, fsItalic]"; lists "( 'a' 'b' )" over any number of lines; binary
// data "{ 0A1B ... }" over any number of lines, whitespace ignored. A value may begin on the
// line after the "=". Indentation has no meaning. Properties come before the nested blocks.
//
// Strings come out as UTF-8: quoted text is taken as it stands (LoadSkinFile has already turned
// the file into UTF-8) and a character code below 256 is a character of the Windows-1252 code
// page, a larger one a Unicode code unit (surrogate pairs are joined).
//
// Parsing works without recursion on objects and refuses nesting deeper than
// kMaxObjectDepth, so that a damaged text cannot exhaust the stack of the parser or of the
// window builder after it. Every fault raises a SkinError that names its line.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kx {

inline constexpr int kMaxObjectDepth = 64;

struct FormValue {
  enum class Kind { Integer, Identifier, String, Set, List, Binary };
  Kind kind = Kind::Integer;
  int64_t integer = 0;
  std::string text;                // identifier or string (UTF-8)
  std::vector<std::string> names;  // set members
  std::vector<FormValue> items;    // list items (integers, identifiers or strings)
  std::vector<uint8_t> bytes;      // binary data
  int line = 0;                    // where the value begins
};

struct FormProperty {
  std::string name;  // as written, possibly dotted ("Font.Name")
  FormValue value;
  int line = 0;
};

struct FormObject {
  std::string name;       // "" for an unnamed object
  std::string className;  // as written
  int line = 0;
  std::vector<FormProperty> properties;
  std::vector<std::unique_ptr<FormObject>> children;
};

// One line of a form text and the number it is reported by.
struct SourceLine {
  std::string text;
  int number = 0;
};

// Parses one object block; the text must hold exactly one, with nothing but blanks after it.
std::unique_ptr<FormObject> ParseFormText(const std::vector<SourceLine>& lines);
// The same for a text whose lines are numbered from 1.
std::unique_ptr<FormObject> ParseFormText(const std::string& text);

// A skin file's text as UTF-8: kept when it is valid UTF-8 already, else read as Windows-1252.
std::string SkinTextToUtf8(const std::string& bytes);
// UTF-8 of one Unicode code point (U+FFFD for a value that is not one).
std::string Utf8Of(uint32_t codePoint);
// The Unicode code point of a Windows-1252 byte.
uint32_t Cp1252ToUnicode(uint8_t byte);

// Trims characters at or below the blank from both ends, as the line rules of skins do.
std::string TrimBlanks(const std::string& text);

}  // namespace kx
