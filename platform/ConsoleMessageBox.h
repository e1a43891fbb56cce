#pragma once
// Messages for a mode that may open no window (the hack mode runs inside a daemon's window):
// they go to standard error, one line each, where the daemons keep them. Questions are
// answered "No".
#include <cstdio>
#include <string>

#include "platform/MessageBox.h"

namespace kx {

class ConsoleMessageBox final : public MessageBoxService {
 public:
  explicit ConsoleMessageBox(std::string program) : program_(std::move(program)) {}

  void Show(MessageKind, const std::string&, const std::string& text) override {
    std::string line = text;
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), line.c_str());
  }
  bool Ask(const std::string&, const std::string&) override { return false; }

 private:
  std::string program_;
};

}  // namespace kx
