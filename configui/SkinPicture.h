#pragma once
// Pictures inside skin texts.
//
// `Picture.Data` (and the faces of a picture button, `ButtonUp.Data` and the like) hold:
//   1 byte       the length L of the graphic class name
//   L bytes      the class name: "TBitmap", "TJPEGImage", "TGIFImage" or "TPngImage"
//                ("TPNGObject" too)
//   the graphic's own data:
//     TBitmap     a 4-byte little-endian size, then a BMP file of that size; size 0 is an
//                 empty picture ("07544269746D617000000000")
//     TJPEGImage  a 4-byte little-endian size, then a JPEG file
//     TGIFImage, TPngImage
//                 the file, with or without that 4-byte size before it
// `Glyph.Data` of a bitmap button holds the 4-byte size and a BMP file, with no class name.
//
// A picture that does not decode raises a SkinError with the decoder's message.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/PictureCodec.h"

namespace kx {

struct SkinPicture {
  Bitmap32 image;
  PictureFormat format = PictureFormat::Unknown;  // Unknown for an empty picture
  bool Empty() const { return image.Empty(); }
};

SkinPicture DecodePictureData(const std::vector<uint8_t>& data);
SkinPicture DecodeGlyphData(const std::vector<uint8_t>& data);

// The graphic class that holds a picture file of this format ("" for Unknown).
const char* GraphicClassFor(PictureFormat format);
// The layouts above, for the tools that write skins.
std::vector<uint8_t> EncodePictureData(const std::string& graphicClass, const std::vector<uint8_t>& file);
std::vector<uint8_t> EncodeGlyphData(const std::vector<uint8_t>& bmpFile);

// Binary data as a form text value: "{" then lines of hex digits (32 bytes a line), each
// indented by `indent`, the last one ending with "}". An empty value is "{}".
std::vector<std::string> FormatBinaryValue(const std::vector<uint8_t>& bytes, const std::string& indent);

}  // namespace kx
