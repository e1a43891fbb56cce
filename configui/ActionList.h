#pragma once
// The actions of a skin form: which control runs which kind of action, with up to three text
// parameters.
//
// An action block is a run of lines: the number of actions K, then five lines per action
// (component name, kind as a decimal number, parameters 1 to 3). An unused parameter is
// written as a single blank. The kind is kept modulo 256.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kx {

enum class ActionKind : uint8_t {
  OpenUrl = 0,
  ShowWindow = 1,
  NextPicture = 2,
  PreviousPicture = 3,
  PreviewSelectedFile = 4,
  OpenSetting = 5,
  CloseWindow = 6,
  SetAsWallpaper = 9,
};

// The name the skin designer shows for a kind ("Open URL"), or "" for a kind without one.
const char* ActionKindName(uint8_t kind);
// The kind a designer's name gives (case does not matter), or -1.
int ActionKindFromName(const std::string& name);

struct TAction {
  uint8_t Kind = 0;
  std::string Param1;
  std::string Param2;
  std::string Param3;
};

class TActionList {
 public:
  // Reads an action block. An empty text gives an empty list. A count or kind line that is not
  // a decimal integer, or a block that ends before its records do, raises a SkinError; the
  // list is then empty.
  void LoadFromText(const std::string& text);
  // The first action of a component, compared without regard to letter case; null if none.
  const TAction* FindAction(const std::string& componentName) const;

  int Count() const { return static_cast<int>(items_.size()); }
  const std::pair<std::string, TAction>& Item(int i) const { return items_[static_cast<size_t>(i)]; }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::pair<std::string, TAction>> items_;
};

}  // namespace kx
