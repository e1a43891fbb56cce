#pragma once
// The error raised by the scene package readers.
//
// Reading a package stops at the first fault and raises a SceneError; the scene project
// catches it and turns it into a result (false, or a message box for the thumbnail grid).
// The kind tells the faults apart for callers and tests; what() is the text shown to a user.
#include <stdexcept>
#include <string>

namespace kx {

class SceneError : public std::runtime_error {
 public:
  enum class Kind {
    InOut,        // the file cannot be opened, ends early, or holds an impossible count
    WrongMagic,   // the first eight bytes are not the package magic
    BadPicture,   // a thumbnail or picture that is not a decodable JPEG
    BadMask,      // water mask runs or size that do not fit the mask
  };

  SceneError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// The message of a package whose magic is wrong.
inline constexpr char kIncorrectProjectFile[] = "Incorrect Project File!";

}  // namespace kx
