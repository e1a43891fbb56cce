// Fuzz target: pictures through the one entry every caller uses (so every decoder behind it
// is reached), plus the GIF animation reader that animated objects use and the skin's
// picture property reader.
#include <cstdint>
#include <string>
#include <vector>

#include "configui/SkinError.h"
#include "configui/SkinPicture.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kx::Bitmap32 picture;
  std::string error;
  kx::DecodePicture(data, size, picture, error);
  if (kx::DetectPictureFormat(data, size) == kx::PictureFormat::Gif) {
    kx::GifAnimation animation;
    kx::DecodeGifAnimation(data, size, animation, error);
  }
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    kx::DecodePictureData(bytes);  // raises a SkinError for data it cannot show
  } catch (const kx::SkinError&) {
  }
  return 0;
}
