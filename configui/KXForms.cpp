#include "configui/KXForms.h"

#include "configui/FormText.h"
#include "configui/SkinError.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "project/IniText.h"
#include "saver/ShowProject.h"

namespace kx {
namespace {

// The counts of a skin file, read line by line with the position rules of the format.
class CountReader {
 public:
  CountReader(const std::vector<std::string>& lines, const std::string& source) : lines_(lines), source_(source) {}

  int Count(size_t index, const char* what) const {
    if (index >= lines_.size()) throw Fault("it ends after line " + std::to_string(lines_.size()) +
                                            ", where line " + std::to_string(index + 1) + " should hold the " + what);
    const std::string& text = lines_[index];
    const auto value = ParseInteger(TrimBlanks(text));
    if (!value) throw Fault("line " + std::to_string(index + 1) + ": the " + what + " \"" + text + "\" is not a decimal number");
    if (*value < 0) throw Fault("line " + std::to_string(index + 1) + ": the " + what + " \"" + text + "\" is negative");
    return *value;
  }
  // Lines [first, first + count) must exist.
  void Need(size_t first, size_t count, const char* what) const {
    if (first + count > lines_.size())
      throw Fault("it ends after line " + std::to_string(lines_.size()) + ", inside the " + what + " of " +
                  std::to_string(count) + " lines that begins at line " + std::to_string(first + 1));
  }
  SkinError Fault(const std::string& message) const { return SkinError("The skin file " + source_ + " is damaged: " + message); }

 private:
  const std::vector<std::string>& lines_;
  const std::string& source_;
};

}  // namespace

std::string FormNameOf(const std::string& firstLine) {
  const std::string rest = firstLine.size() > 7 ? firstLine.substr(7) : std::string();
  const auto colon = rest.find(':');
  return colon == std::string::npos ? std::string() : rest.substr(0, colon);
}

void TKXForms::LoadSkinFile(const std::string& path) {
  forms_.clear();
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) throw SkinError("The skin file " + path + " cannot be read");
  LoadSkinText(bytes, path);
}

void TKXForms::LoadSkinText(const std::string& text, const std::string& source) {
  forms_.clear();
  const std::vector<std::string> lines = SplitLines(SkinTextToUtf8(text));
  if (lines.empty()) throw SkinError("The skin file " + source + " is empty");
  const CountReader reader(lines, source);
  const int formCount = reader.Count(0, "form count");
  size_t p = 0;
  for (int f = 0; f < formCount; ++f) {
    ++p;
    const size_t n = static_cast<size_t>(reader.Count(p, "form text length"));
    reader.Need(p + 1, n, "form text");
    const size_t formFirst = p + 1;
    p += n;

    ++p;
    const size_t m = static_cast<size_t>(reader.Count(p, "action block length"));
    reader.Need(p + 1, m, "action block");
    std::string actionText;
    for (size_t i = 0; i < m; ++i) {
      const std::string& line = lines[p + 1 + i];
      if (i > 0) actionText += "\r\n";
      actionText += line.empty() ? std::string(" ") : line;
    }
    p += m;

    try {
      if (n == 0) throw SkinError("the form text is empty");
      auto form = std::make_unique<TKXForm>();
      form->Actions.LoadFromText(actionText);
      form->Lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(formFirst),
                         lines.begin() + static_cast<std::ptrdiff_t>(formFirst + n));
      form->Name = FormNameOf(form->Lines[0]);
      form->FirstLine = static_cast<int>(formFirst) + 1;
      std::string name = form->Name;
      forms_.emplace_back(std::move(name), std::move(form));
    } catch (const SkinError&) {
      if (messages_ != nullptr) messages_->Show(MessageKind::Information, kApplicationTitle, "test");
    }

    ++p;
    const size_t l = static_cast<size_t>(reader.Count(p, "trailer length"));
    reader.Need(p + 1, l, "trailer");
    p += l;
  }
}

const TKXForm* TKXForms::FindFormOrNull(const std::string& name) const {
  const std::string upper = UpperAscii(name);
  for (const auto& [formName, form] : forms_)
    if (UpperAscii(formName) == upper) return form.get();
  return nullptr;
}

const TKXForm& TKXForms::FindForm(const std::string& name) const {
  if (const TKXForm* form = FindFormOrNull(name)) return *form;
  throw SkinError("The skin has no form named \"" + name + "\"");
}

}  // namespace kx
