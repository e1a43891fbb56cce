#include "configui/ActionList.h"

#include "configui/FormText.h"
#include "configui/SkinError.h"
#include "project/IniText.h"

namespace kx {
namespace {

struct KindName {
  uint8_t kind;
  const char* name;
};

constexpr KindName kKindNames[] = {
    {0, "Open URL"},         {1, "Show window"},           {2, "Next picture"}, {3, "Previous picture"},
    {4, "Preview selected file"}, {5, "Open setting"},     {6, "Close window"}, {9, "Set as a Wallpaper"},
};

int32_t ReadNumber(const std::vector<std::string>& lines, size_t index, const char* what) {
  if (index >= lines.size())
    throw SkinError("the action block ends at line " + std::to_string(lines.size()) + " before its " + what);
  const auto value = ParseInteger(TrimBlanks(lines[index]));
  if (!value)
    throw SkinError("action block line " + std::to_string(index + 1) + ": the " + what + " \"" + lines[index] +
                    "\" is not a decimal number");
  return *value;
}

const std::string& ReadLine(const std::vector<std::string>& lines, size_t index) {
  if (index >= lines.size())
    throw SkinError("the action block ends at line " + std::to_string(lines.size()) + " inside an action");
  return lines[index];
}

}  // namespace

const char* ActionKindName(uint8_t kind) {
  for (const auto& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "";
}

int ActionKindFromName(const std::string& name) {
  const std::string upper = UpperAscii(TrimBlanks(name));
  for (const auto& k : kKindNames)
    if (UpperAscii(k.name) == upper) return k.kind;
  return -1;
}

void TActionList::LoadFromText(const std::string& text) {
  items_.clear();
  if (text.empty()) return;
  const std::vector<std::string> lines = SplitLines(text);
  try {
    const int32_t count = ReadNumber(lines, 0, "action count");
    size_t p = 1;
    for (int32_t i = 0; i < count; ++i) {
      std::string name = ReadLine(lines, p);
      TAction action;
      action.Kind = static_cast<uint8_t>(static_cast<uint32_t>(ReadNumber(lines, p + 1, "action kind")));
      action.Param1 = ReadLine(lines, p + 2);
      action.Param2 = ReadLine(lines, p + 3);
      action.Param3 = ReadLine(lines, p + 4);
      items_.emplace_back(std::move(name), std::move(action));
      p += 5;
    }
  } catch (...) {
    items_.clear();
    throw;
  }
}

const TAction* TActionList::FindAction(const std::string& componentName) const {
  const std::string upper = UpperAscii(componentName);
  for (const auto& [name, action] : items_)
    if (UpperAscii(name) == upper) return &action;
  return nullptr;
}

}  // namespace kx
