#pragma once
// What the effect and sheet commands share: reading the effect number, the percentage and
// the optional --size WxH, and loading the old and new pictures at one size (a transition
// works on three bitmaps of one size). Without --size the new picture is fitted to the old
// one's size when they differ.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imaging/PictureCodec.h"
#include "imaging/Resample.h"
#include "tools/kxrender/Commands.h"
#include "transitions/EffectTable.h"

namespace kx::kxrender {

// A whole number from lo to hi, or false.
inline bool ParseWhole(const std::string& text, long lo, long hi, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return end && *end == '\0' && value >= lo && value <= hi;
}

// Takes "--size WxH" out of the arguments; false with a message when it is malformed.
inline bool TakeSizeOption(Args& args, int& width, int& height, std::string& error) {
  width = height = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--size") continue;
    if (i + 1 >= args.size()) {
      error = "--size needs WxH";
      return false;
    }
    const std::string value = args[i + 1];
    const size_t x = value.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !ParseWhole(value.substr(0, x), 1, 16384, w) ||
        !ParseWhole(value.substr(x + 1), 1, 16384, h) || w * h > kMaxPicturePixels) {
      error = "--size must be WxH with whole numbers from 1 to 16384, got \"" + value + "\"";
      return false;
    }
    width = static_cast<int>(w), height = static_cast<int>(h);
    args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    return true;
  }
  return true;
}

inline bool ParseEffectIndex(const std::string& text, int& index, std::string& error) {
  long v = 0;
  if (!ParseWhole(text, 1, kEffectCount, v)) {
    error = "the effect number must be from 1 to 169, got \"" + text + "\"";
    return false;
  }
  index = static_cast<int>(v);
  return true;
}

// Decodes both pictures and brings them to one size.
inline bool LoadTransitionPictures(const std::string& oldPath, const std::string& newPath, int width, int height,
                                   Bitmap32& oldPicture, Bitmap32& newPicture, std::string& error) {
  if (!DecodePictureFile(oldPath, oldPicture, error) || !DecodePictureFile(newPath, newPicture, error)) return false;
  if (width > 0) {
    if (oldPicture.Width() != width || oldPicture.Height() != height)
      oldPicture = Resample(oldPicture, width, height, ResampleFilter::Lanczos3);
  } else {
    width = oldPicture.Width(), height = oldPicture.Height();
  }
  if (newPicture.Width() != width || newPicture.Height() != height)
    newPicture = Resample(newPicture, width, height, ResampleFilter::Lanczos3);
  return true;
}

inline bool WritePng(const Bitmap32& picture, const std::string& path, std::string& error) {
  std::vector<uint8_t> png;
  return EncodePng(picture, png, error) && WriteWholeFile(path, png, error);
}

}  // namespace kx::kxrender
