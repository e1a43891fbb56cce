#pragma once
// Message boxes with one OK button (information or error), and a yes/no question.
#include <string>

namespace kx {

enum class MessageKind { Information, Warning, Error };

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual void Show(MessageKind kind, const std::string& caption, const std::string& text) = 0;
  // Returns true for "Yes".
  virtual bool Ask(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kx
