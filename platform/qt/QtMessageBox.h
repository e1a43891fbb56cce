#pragma once
#include "platform/MessageBox.h"

namespace kx {

// Message boxes through Qt Widgets; needs a QApplication.
class QtMessageBox final : public MessageBoxService {
 public:
  void Show(MessageKind kind, const std::string& caption, const std::string& text) override;
  bool Ask(const std::string& caption, const std::string& text) override;
};

}  // namespace kx
