#include "configui/FormText.h"

#include "configui/SkinError.h"
#include "project/IniText.h"

namespace kx {
namespace {

constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c) || c == '.'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the text character by character across its lines. Line ends count as blanks where
// the format allows a value to go on on the next line.
class Cursor {
 public:
  explicit Cursor(const std::vector<SourceLine>& lines) : lines_(lines) {}

  bool AtEnd() const { return row_ >= lines_.size(); }
  bool AtLineEnd() const { return AtEnd() || col_ >= lines_[row_].text.size(); }
  char Peek() const { return AtLineEnd() ? '\n' : lines_[row_].text[col_]; }
  char Get() {
    const char c = Peek();
    Advance();
    return c;
  }
  void Advance() {
    if (AtEnd()) return;
    if (col_ < lines_[row_].text.size()) {
      ++col_;
    } else {
      ++row_;
      col_ = 0;
    }
  }
  int Line() const {
    if (lines_.empty()) return 1;
    return row_ < lines_.size() ? lines_[row_].number : lines_.back().number;
  }
  // Blanks on this line only.
  void SkipSpaces() {
    while (!AtLineEnd() && IsBlank(Peek())) ++col_;
  }
  // Blanks and line ends.
  void SkipBlanks() {
    while (!AtEnd()) {
      if (AtLineEnd()) {
        ++row_;
        col_ = 0;
      } else if (IsBlank(Peek())) {
        ++col_;
      } else {
        return;
      }
    }
  }
  std::string ReadIdentifier() {
    std::string out;
    while (!AtLineEnd() && IsIdentChar(Peek())) out += Get();
    return out;
  }
  // The rest of the line must be blank.
  void ExpectLineEnd(const char* what) {
    SkipSpaces();
    if (!AtLineEnd()) throw SkinErrorAt(Line(), std::string("unexpected text after ") + what);
  }

 private:
  const std::vector<SourceLine>& lines_;
  size_t row_ = 0;
  size_t col_ = 0;
};

void AppendCode(std::string& out, uint32_t code, uint32_t& pendingHigh) {
  if (pendingHigh != 0) {
    const uint32_t high = pendingHigh;
    pendingHigh = 0;
    if (code >= 0xDC00 && code <= 0xDFFF) {
      out += Utf8Of(0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00));
      return;
    }
    out += Utf8Of(0xFFFD);
  }
  if (code >= 0xD800 && code <= 0xDBFF) {
    pendingHigh = code;
  } else if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x100) {
    out += Utf8Of(Cp1252ToUnicode(static_cast<uint8_t>(code)));
  } else {
    out += Utf8Of(code);
  }
}

class Parser {
 public:
  explicit Parser(const std::vector<SourceLine>& lines) : in_(lines) {}

  std::unique_ptr<FormObject> Parse() {
    in_.SkipBlanks();
    if (in_.AtEnd()) throw SkinError("line 1: the form text is empty");
    const int line = in_.Line();
    const std::string word = in_.ReadIdentifier();
    if (UpperAscii(word) != "OBJECT") throw SkinErrorAt(line, "a form text must begin with \"object\"");
    auto root = ReadHeader(line);
    std::vector<FormObject*> open = {root.get()};
    std::vector<bool> hasChildren = {false};

    while (!open.empty()) {
      in_.SkipBlanks();
      if (in_.AtEnd())
        throw SkinErrorAt(in_.Line(), "the object \"" + open.back()->name + "\" begun at line " +
                                          std::to_string(open.back()->line) + " has no \"end\"");
      const int at = in_.Line();
      if (!IsIdentStart(in_.Peek()))
        throw SkinErrorAt(at, std::string("a property, an object or \"end\" is expected, not \"") + in_.Peek() + "\"");
      const std::string name = in_.ReadIdentifier();
      const std::string upper = UpperAscii(name);
      in_.SkipSpaces();
      if (upper == "END" && in_.AtLineEnd()) {
        open.pop_back();
        hasChildren.pop_back();
        continue;
      }
      if (upper == "OBJECT" && in_.Peek() != '=') {
        if (static_cast<int>(open.size()) >= kMaxObjectDepth)
          throw SkinErrorAt(at, "objects are nested deeper than " + std::to_string(kMaxObjectDepth) + " levels");
        auto child = ReadHeader(at);
        FormObject* raw = child.get();
        open.back()->children.push_back(std::move(child));
        hasChildren.back() = true;
        open.push_back(raw);
        hasChildren.push_back(false);
        continue;
      }
      if (upper == "INHERITED" || upper == "INLINE")
        throw SkinErrorAt(at, "\"" + name + "\" objects are not supported");
      if (in_.Peek() != '=') throw SkinErrorAt(at, "\"=\" is expected after the property name \"" + name + "\"");
      if (hasChildren.back())
        throw SkinErrorAt(at, "the property \"" + name + "\" stands after the nested objects");
      in_.Advance();
      FormProperty property;
      property.name = name;
      property.line = at;
      property.value = ReadValue(false);
      in_.ExpectLineEnd("the value");
      open.back()->properties.push_back(std::move(property));
    }
    in_.SkipBlanks();
    if (!in_.AtEnd()) throw SkinErrorAt(in_.Line(), "text after the end of the form");
    return root;
  }

 private:
  // After the word "object": [name ':'] class, alone on its line.
  std::unique_ptr<FormObject> ReadHeader(int line) {
    auto object = std::make_unique<FormObject>();
    object->line = line;
    in_.SkipSpaces();
    std::string first;
    if (in_.Peek() != ':') {
      if (!IsIdentStart(in_.Peek())) throw SkinErrorAt(line, "an object name or class is expected after \"object\"");
      first = in_.ReadIdentifier();
      in_.SkipSpaces();
    }
    if (in_.Peek() == ':') {
      in_.Advance();
      in_.SkipSpaces();
      if (!IsIdentStart(in_.Peek())) throw SkinErrorAt(line, "a class name is expected after \":\"");
      object->name = first;
      object->className = in_.ReadIdentifier();
    } else {
      object->className = first;
    }
    in_.ExpectLineEnd("the object's class");
    return object;
  }

  FormValue ReadValue(bool inList) {
    in_.SkipBlanks();
    FormValue v;
    v.line = in_.Line();
    if (in_.AtEnd()) throw SkinErrorAt(v.line, "the text ends where a value is expected");
    const char c = in_.Peek();
    if (IsDigit(c) || c == '-' || c == '+') {
      ReadInteger(v);
    } else if (IsIdentStart(c)) {
      v.kind = FormValue::Kind::Identifier;
      v.text = in_.ReadIdentifier();
    } else if (c == '\'' || c == '#') {
      v.kind = FormValue::Kind::String;
      v.text = ReadString();
    } else if (inList) {
      throw SkinErrorAt(v.line, "a list holds strings, numbers and names only");
    } else if (c == '[') {
      ReadSet(v);
    } else if (c == '(') {
      ReadList(v);
    } else if (c == '{') {
      ReadBinary(v);
    } else if (c == '<') {
      throw SkinErrorAt(v.line, "collections are not supported");
    } else {
      throw SkinErrorAt(v.line, std::string("a value is expected, not \"") + c + "\"");
    }
    return v;
  }

  void ReadInteger(FormValue& v) {
    v.kind = FormValue::Kind::Integer;
    bool negative = false;
    if (in_.Peek() == '-' || in_.Peek() == '+') negative = in_.Get() == '-';
    if (!IsDigit(in_.Peek())) throw SkinErrorAt(v.line, "a digit is expected after the sign");
    uint64_t value = 0;
    while (!in_.AtLineEnd() && IsDigit(in_.Peek())) {
      value = value * 10 + static_cast<uint64_t>(in_.Get() - '0');
      if (value > (1ull << 40)) throw SkinErrorAt(v.line, "the number is too large");
    }
    if (!in_.AtLineEnd() && (IsIdentChar(in_.Peek())))
      throw SkinErrorAt(v.line, "a number may hold decimal digits only");
    v.integer = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
  }

  // Runs of pieces joined by "+", a run possibly going on on the next line.
  std::string ReadString() {
    std::string out;
    uint32_t pendingHigh = 0;
    for (;;) {
      const int line = in_.Line();
      if (in_.Peek() != '\'' && in_.Peek() != '#') throw SkinErrorAt(line, "a string is expected after \"+\"");
      while (!in_.AtLineEnd() && (in_.Peek() == '\'' || in_.Peek() == '#')) {
        if (in_.Get() == '\'') {
          for (;;) {
            if (in_.AtLineEnd()) throw SkinErrorAt(line, "the string has no closing quote");
            const char c = in_.Get();
            if (c == '\'') {
              if (!in_.AtLineEnd() && in_.Peek() == '\'') {
                in_.Advance();
              } else {
                break;
              }
            }
            if (pendingHigh != 0) {  // a high surrogate without its low half
              out += Utf8Of(0xFFFD);
              pendingHigh = 0;
            }
            out += c;
          }
        } else {
          if (in_.AtLineEnd() || !IsDigit(in_.Peek())) throw SkinErrorAt(line, "a character code is expected after \"#\"");
          uint32_t code = 0;
          while (!in_.AtLineEnd() && IsDigit(in_.Peek())) {
            code = code * 10 + static_cast<uint32_t>(in_.Get() - '0');
            if (code > 0x10FFFF) throw SkinErrorAt(line, "the character code is too large");
          }
          AppendCode(out, code, pendingHigh);
        }
      }
      in_.SkipSpaces();
      if (in_.AtLineEnd() || in_.Peek() != '+') break;
      in_.Advance();
      in_.SkipBlanks();
      if (in_.AtEnd()) throw SkinErrorAt(line, "the text ends after \"+\"");
    }
    if (pendingHigh != 0) out += Utf8Of(0xFFFD);
    return out;
  }

  void ReadSet(FormValue& v) {
    v.kind = FormValue::Kind::Set;
    in_.Advance();
    in_.SkipBlanks();
    if (in_.Peek() == ']') {
      in_.Advance();
      return;
    }
    for (;;) {
      in_.SkipBlanks();
      if (in_.AtEnd()) throw SkinErrorAt(v.line, "the set has no \"]\"");
      if (!IsIdentStart(in_.Peek())) throw SkinErrorAt(in_.Line(), "a set holds names only");
      v.names.push_back(in_.ReadIdentifier());
      in_.SkipBlanks();
      if (in_.AtEnd()) throw SkinErrorAt(v.line, "the set has no \"]\"");
      const char c = in_.Get();
      if (c == ']') return;
      if (c != ',') throw SkinErrorAt(in_.Line(), "\",\" or \"]\" is expected in a set");
    }
  }

  void ReadList(FormValue& v) {
    v.kind = FormValue::Kind::List;
    in_.Advance();
    for (;;) {
      in_.SkipBlanks();
      if (in_.AtEnd()) throw SkinErrorAt(v.line, "the list has no \")\"");
      if (in_.Peek() == ')') {
        in_.Advance();
        return;
      }
      v.items.push_back(ReadValue(true));
    }
  }

  void ReadBinary(FormValue& v) {
    v.kind = FormValue::Kind::Binary;
    in_.Advance();
    int high = -1;
    for (;;) {
      if (in_.AtEnd()) throw SkinErrorAt(v.line, "the binary data has no \"}\"");
      if (in_.AtLineEnd()) {
        in_.Advance();
        continue;
      }
      const char c = in_.Get();
      if (c == '}') break;
      if (IsBlank(c)) continue;
      const int digit = HexValue(c);
      if (digit < 0)
        throw SkinErrorAt(in_.Line(), std::string("the binary data holds \"") + c + "\", which is not a hex digit");
      if (high < 0) {
        high = digit;
      } else {
        v.bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
        high = -1;
      }
    }
    if (high >= 0) throw SkinErrorAt(v.line, "the binary data has an odd number of hex digits");
  }

  Cursor in_;
};

bool ValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<uint8_t>(s[i]);
    size_t extra;
    uint32_t min;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      min = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    uint32_t code = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const auto d = static_cast<uint8_t>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

std::unique_ptr<FormObject> ParseFormText(const std::vector<SourceLine>& lines) {
  return Parser(lines).Parse();
}

std::unique_ptr<FormObject> ParseFormText(const std::string& text) {
  std::vector<SourceLine> lines;
  int number = 1;
  for (auto& line : SplitLines(text)) lines.push_back({std::move(line), number++});
  return ParseFormText(lines);
}

uint32_t Cp1252ToUnicode(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte; }

std::string Utf8Of(uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

std::string SkinTextToUtf8(const std::string& bytes) {
  if (ValidUtf8(bytes)) return bytes;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += Utf8Of(Cp1252ToUnicode(b));
    }
  }
  return out;
}

std::string TrimBlanks(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<uint8_t>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<uint8_t>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

}  // namespace kx
