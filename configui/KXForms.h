#pragma once
// The skin file: the form descriptions of the configuration windows, by name.
//
// The file is 8-bit text (UTF-8 is accepted too) read as a list of lines; every count is a
// decimal number on a line of its own:
//
//   F                       the number of forms, then F times:
//   N, then N lines         the form text (one object block, see FormText.h)
//   M, then M lines         the form's action block (see ActionList.h)
//   L, then L lines         a trailer, skipped (the builder writes "1", "Dummy")
//
// A count that is not a number, or a file that ends before its counts say, stops the load
// with a SkinError naming the value and the line. A form whose action block cannot be read
// is skipped after a message box with the text "test"; the other forms load normally.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "configui/ActionList.h"

namespace kx {

class MessageBoxService;

// The name on a form text's first line: the text after its first 7 characters ("object ")
// up to the first ":" ("" when there is no ":").
std::string FormNameOf(const std::string& firstLine);

class TKXForm {
 public:
  std::string Name;
  std::vector<std::string> Lines;  // the form text as read, UTF-8
  TActionList Actions;
  int FirstLine = 1;  // the skin file's line number of Lines[0], for messages
};

class TKXForms {
 public:
  // Where the "test" message of an unreadable action block goes (may be null).
  explicit TKXForms(MessageBoxService* messages = nullptr) : messages_(messages) {}
  void SetMessages(MessageBoxService* messages) { messages_ = messages; }

  // Clears the collection, then reads the skin file. Raises a SkinError naming the file.
  void LoadSkinFile(const std::string& path);
  // The same for a skin text already in memory; `source` names it in messages.
  void LoadSkinText(const std::string& text, const std::string& source);

  // The first form whose name matches without regard to letter case; a SkinError if none.
  const TKXForm& FindForm(const std::string& name) const;
  const TKXForm* FindFormOrNull(const std::string& name) const;
  int GetFormCount() const { return static_cast<int>(forms_.size()); }
  const TKXForm& Form(int i) const { return *forms_[static_cast<size_t>(i)].second; }
  void Clear() { forms_.clear(); }

 private:
  std::vector<std::pair<std::string, std::unique_ptr<TKXForm>>> forms_;
  MessageBoxService* messages_;
};

}  // namespace kx
