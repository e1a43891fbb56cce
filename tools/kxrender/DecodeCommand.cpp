// kxrender decode IN OUT.png: runs a picture of any kind the show takes (JPEG, PNG, GIF, BMP,
// WebP, HEIF/AVIF, TIFF) through the engine's own decoders (format taken from the data, photos
// turned upright, as the engine does) and writes what they made as PNG, alpha kept.
#include <cstdio>

#include "imaging/PictureCodec.h"
#include "tools/kxrender/Commands.h"

namespace kx::kxrender {

int RunDecode(const Args& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "kxrender decode: expected IN and OUT.png\n");
    return 2;
  }
  std::string error;
  Bitmap32 picture;
  if (!DecodePictureFile(args[0], picture, error)) {
    std::fprintf(stderr, "kxrender decode: %s\n", error.c_str());
    return 1;
  }
  std::vector<uint8_t> png;
  if (!EncodePng(picture, png, error) || !WriteWholeFile(args[1], png, error)) {
    std::fprintf(stderr, "kxrender decode: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx::kxrender
