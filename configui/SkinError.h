#pragma once
// The error raised while a skin file is read or one of its windows is built.
//
// Readers and the builder stop at the first fault and raise a SkinError whose text names what
// was wrong and where (the line, the value). The configuration window shows that text in an
// error box; nothing of a half-built window is kept.
#include <stdexcept>
#include <string>

namespace kx {

class SkinError : public std::runtime_error {
 public:
  explicit SkinError(const std::string& message) : std::runtime_error(message) {}
};

// "line N: " + message, for faults inside a form text.
inline SkinError SkinErrorAt(int line, const std::string& message) {
  return SkinError("line " + std::to_string(line) + ": " + message);
}

}  // namespace kx
