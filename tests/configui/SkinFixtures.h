#pragma once
// Small skin texts for the tests, composed line by line.
#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

struct FormFixture {
  std::vector<std::string> text;     // the form text
  std::vector<std::string> actions;  // the action block as it stands in the file
};

// A skin file: the form count, then each form's text, action block and the trailer "Dummy".
inline std::string SkinText(const std::vector<FormFixture>& forms) {
  std::string out = std::to_string(forms.size()) + "\r\n";
  for (const auto& form : forms) {
    out += std::to_string(form.text.size()) + "\r\n";
    for (const auto& line : form.text) out += line + "\r\n";
    out += std::to_string(form.actions.size()) + "\r\n";
    for (const auto& line : form.actions) out += line + "\r\n";
    out += "1\r\nDummy\r\n";
  }
  return out;
}

// A form "object NAME: TfmForm" holding `body` lines.
inline FormFixture Form(const std::string& name, std::vector<std::string> body = {},
                        std::vector<std::string> actions = {"0"}) {
  FormFixture f;
  f.text.push_back("object " + name + ": TfmForm");
  for (auto& line : body) f.text.push_back(std::move(line));
  f.text.push_back("end");
  f.actions = std::move(actions);
  return f;
}

// The text of `depth` nested panels.
inline std::string NestedBlocks(int depth, const std::string& name = "W") {
  std::string text = "object " + name + ": TfmForm\r\n";
  for (int i = 0; i < depth; ++i) text += "object P" + std::to_string(i) + ": TPanel\r\n";
  for (int i = 0; i <= depth; ++i) text += "end\r\n";
  return text;
}

// The lines of a text.
inline std::vector<std::string> SplitForTest(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find("\r\n", from);
    lines.push_back(text.substr(from, end - from));
    if (end == std::string::npos) break;
    from = end + 2;
  }
  return lines;
}

// A 1 x 1 GIF with one red pixel, written out byte by byte.
inline std::vector<uint8_t> RedPixelGif() {
  return {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
          ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};
}

}  // namespace kx::test
