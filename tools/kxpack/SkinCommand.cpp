#include "tools/kxpack/SkinCommand.h"

#include <cstdio>

#include "configui/ActionList.h"
#include "configui/FormText.h"
#include "configui/SkinError.h"
#include "configui/SkinPicture.h"
#include "imaging/PictureCodec.h"
#include "platform/Files.h"
#include "project/IniText.h"

namespace kx {
namespace {

struct CompiledForm {
  std::vector<std::string> text;
  std::vector<std::string> actions;
};

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && UpperAscii(text.substr(text.size() - suffix.size())) == UpperAscii(suffix);
}

std::string At(const std::string& file, size_t lineIndex) { return file + ":" + std::to_string(lineIndex + 1) + ": "; }

// A "Name.File = 'picture'" line as its "Name.Data = {...}" lines; false when the line is not
// one (`lines` untouched).
bool ExpandPictureLine(const std::string& line, const std::string& folder, std::vector<std::string>& lines,
                       std::string& error) {
  const std::string trimmed = TrimBlanks(line);
  const auto eq = trimmed.find(" = ");
  if (eq == std::string::npos) return false;
  const std::string name = trimmed.substr(0, eq);
  if (!EndsWithNoCase(name, ".File")) return false;
  const std::string value = TrimBlanks(trimmed.substr(eq + 3));
  if (value.size() < 2 || value.front() != '\'' || value.back() != '\'' ||
      value.find('\'', 1) != value.size() - 1) {
    error = "a picture file is written as one quoted name without quotes inside";
    return true;
  }
  const std::string prefix = name.substr(0, name.size() - 5);
  const std::string path = folder + value.substr(1, value.size() - 2);
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, file, error)) return true;
  const PictureFormat format = DetectPictureFormat(file.data(), file.size());
  std::vector<uint8_t> data;
  if (UpperAscii(prefix) == "GLYPH") {
    if (format != PictureFormat::Bmp) {
      error = path + ": a glyph must be a BMP picture";
      return true;
    }
    data = EncodeGlyphData(file);
  } else {
    if (format == PictureFormat::Unknown) {
      error = path + ": not a JPEG, PNG, GIF or BMP picture";
      return true;
    }
    data = EncodePictureData(GraphicClassFor(format), file);
  }
  const std::string indent = line.substr(0, line.find_first_not_of(" \t"));
  const auto binary = FormatBinaryValue(data, indent + "  ");
  lines.push_back(indent + prefix + ".Data = " + binary[0]);
  lines.insert(lines.end(), binary.begin() + 1, binary.end());
  return true;
}

bool ParseActionLine(const std::string& line, std::vector<std::string>& block, std::string& error) {
  const auto eq = line.find('=');
  if (eq == std::string::npos) {
    error = "an action is written NAME = KIND [| PARAMETER ...]";
    return false;
  }
  const std::string name = TrimBlanks(line.substr(0, eq));
  std::vector<std::string> parts;
  std::string rest = line.substr(eq + 1);
  for (;;) {
    const auto bar = rest.find('|');
    parts.push_back(TrimBlanks(rest.substr(0, bar)));
    if (bar == std::string::npos) break;
    rest = rest.substr(bar + 1);
  }
  if (name.empty() || parts.size() > 4) {
    error = "an action has a component name, a kind and at most three parameters";
    return false;
  }
  int kind = ActionKindFromName(parts[0]);
  if (kind < 0) {
    const auto number = ParseInteger(parts[0]);
    if (!number) {
      error = "\"" + parts[0] + "\" is not an action kind";
      return false;
    }
    kind = *number;
  }
  parts.resize(4);
  block.push_back(name);
  block.push_back(std::to_string(kind));
  for (size_t i = 1; i < 4; ++i) block.push_back(parts[i].empty() ? std::string(" ") : parts[i]);
  return true;
}

bool CompileForm(const std::string& path, CompiledForm& out, std::string& error) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) {
    error = "Cannot read the form file " + path;
    return false;
  }
  const std::string folder = FolderOf(path);
  const std::vector<std::string> lines = SplitLines(bytes);
  std::vector<std::string> actionLines;
  size_t i = 0;
  std::vector<SourceLine> check;
  for (; i < lines.size(); ++i) {
    if (UpperAscii(TrimBlanks(lines[i])) == "ACTIONS") break;
    std::string lineError;
    const size_t before = out.text.size();
    if (ExpandPictureLine(lines[i], folder, out.text, lineError)) {
      if (!lineError.empty()) {
        error = At(path, i) + lineError;
        return false;
      }
    } else {
      out.text.push_back(lines[i]);
    }
    for (size_t k = before; k < out.text.size(); ++k) check.push_back({out.text[k], static_cast<int>(i) + 1});
  }
  while (!out.text.empty() && TrimBlanks(out.text.back()).empty()) {
    out.text.pop_back();
    check.pop_back();
  }
  try {
    ParseFormText(check);
  } catch (const SkinError& e) {
    error = path + ": " + e.what();
    return false;
  }
  std::vector<std::string> block;
  for (++i; i < lines.size(); ++i) {
    const std::string trimmed = TrimBlanks(lines[i]);
    if (trimmed.empty() || trimmed[0] == ';') continue;
    std::string lineError;
    if (!ParseActionLine(trimmed, block, lineError)) {
      error = At(path, i) + lineError;
      return false;
    }
  }
  out.actions = {std::to_string(block.size() / 5)};
  out.actions.insert(out.actions.end(), block.begin(), block.end());
  std::string joined;
  for (const auto& line : out.actions) joined += line + "\r\n";
  try {
    TActionList().LoadFromText(joined);
  } catch (const SkinError& e) {
    error = path + ": " + e.what();
    return false;
  }
  return true;
}

}  // namespace

bool CompileSkin(const std::string& source, std::string& skinText, std::string& error) {
  std::vector<std::string> formFiles;
  if (EndsWithNoCase(source, ".kxf")) {
    formFiles.push_back(source);
  } else {
    const std::string list = IsRealDirectory(source) ? source + (source.back() == '/' ? "" : "/") + "skin.txt" : source;
    std::string text;
    if (!ReadFileBytes(list, text)) {
      error = "Cannot read the skin list " + list;
      return false;
    }
    for (const auto& line : SplitLines(text)) {
      const std::string name = TrimBlanks(line);
      if (!name.empty() && name[0] != ';') formFiles.push_back(FolderOf(list) + name);
    }
  }
  std::vector<std::string> out = {std::to_string(formFiles.size())};
  for (const auto& file : formFiles) {
    CompiledForm form;
    if (!CompileForm(file, form, error)) return false;
    out.push_back(std::to_string(form.text.size()));
    out.insert(out.end(), form.text.begin(), form.text.end());
    out.push_back(std::to_string(form.actions.size()));
    out.insert(out.end(), form.actions.begin(), form.actions.end());
    out.push_back("1");
    out.push_back("Dummy");
  }
  skinText.clear();
  for (const auto& line : out) skinText += line + "\r\n";
  return true;
}

int RunSkinCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kxpack skin SOURCE-FOLDER-OR-FILE OUT.kxu\n");
    return 2;
  }
  std::string text, error;
  if (!CompileSkin(args[0], text, error)) {
    std::fprintf(stderr, "kxpack: %s\n", error.c_str());
    return 1;
  }
  if (!WriteFileReplacing(args[1], text)) {
    std::fprintf(stderr, "kxpack: Cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx
