#pragma once
#include <string>

namespace kx {

// Standard Base64 (RFC 4648 alphabet, "=" padding) of a byte string.
std::string Base64Encode(const std::string& bytes);

}  // namespace kx
