#include "scene/CommaText.h"

namespace kx {

namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Reads a quoted item starting at text[i] (the opening quote); doubled quotes stand for one.
// An item without its closing quote runs to the end of the text.
std::string ReadQuoted(std::string_view text, size_t& i) {
  std::string item;
  ++i;
  while (i < text.size()) {
    if (text[i] == kQuote) {
      if (i + 1 < text.size() && text[i + 1] == kQuote) {
        item.push_back(kQuote);
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    item.push_back(text[i++]);
  }
  return item;
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  while (i < text.size()) {
    if (text[i] == kQuote) {
      items.push_back(ReadQuoted(text, i));
    } else {
      const size_t start = i;
      while (i < text.size() && !IsBlank(text[i]) && text[i] != kDelimiter) ++i;
      items.emplace_back(text.substr(start, i - start));
    }
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && text[i] == kDelimiter) {
      if (i + 1 == text.size()) items.emplace_back();
      do {
        ++i;
      } while (i < text.size() && IsBlank(text[i]));
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (size_t n = 0; n < items.size(); ++n) {
    const std::string& item = items[n];
    bool quote = false;
    for (const char c : item) {
      if (IsBlank(c) || c == kQuote || c == kDelimiter) {
        quote = true;
        break;
      }
    }
    if (n > 0) out.push_back(kDelimiter);
    if (!quote) {
      out += item;
      continue;
    }
    out.push_back(kQuote);
    for (const char c : item) {
      if (c == kQuote) out.push_back(kQuote);
      out.push_back(c);
    }
    out.push_back(kQuote);
  }
  return out;
}

}  // namespace kx
