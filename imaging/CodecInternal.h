#pragma once
// Helpers shared by the codec sources of this folder; not part of the public API.
#include <cstdint>
#include <string>

#include "imaging/PictureCodec.h"

namespace kx::codec {

// Checks a size read from a picture header before anything is allocated for it.
inline bool CheckPictureSize(int64_t width, int64_t height, std::string& error) {
  if (width <= 0 || height <= 0) {
    error = "Picture has an invalid size (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    return false;
  }
  if (width > kMaxPicturePixels || height > kMaxPicturePixels || width * height > kMaxPicturePixels) {
    error = "Picture is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    return false;
  }
  return true;
}

inline constexpr const char* kOutOfMemory = "Not enough memory for the picture";

}  // namespace kx::codec
