#pragma once
// Picture decoding and encoding into and from the engine's Bitmap32.
//
// Every decoder detects nothing by file name: the format is taken from the data itself
// (JPEG SOI, PNG signature, "GIF87a"/"GIF89a", "BM"). A decoder never crashes on bad data: it
// returns false with a clear message in `error` for damaged, truncated or unsupported data,
// and refuses pictures larger than kMaxPicturePixels without allocating them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

// Pictures above this many pixels are refused (64 megapixels).
inline constexpr int64_t kMaxPicturePixels = 64ll * 1024 * 1024;

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp };

PictureFormat DetectPictureFormat(const uint8_t* data, size_t size);

// Decodes any supported picture (for GIF: the first frame, composed on its logical screen).
// The result is opaque except where the picture itself carries alpha (PNG alpha, GIF
// transparency), which is kept in the alpha byte.
bool DecodePicture(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);
bool DecodePicture(const std::vector<uint8_t>& data, Bitmap32& out, std::string& error);
// Reads the file and decodes it; the error names the file.
bool DecodePictureFile(const std::string& path, Bitmap32& out, std::string& error);

// Encoders, for the tools, the demo media and the test fixtures.
bool EncodeJpeg(const Bitmap32& picture, int quality, std::vector<uint8_t>& out, std::string& error);
bool EncodePng(const Bitmap32& picture, std::vector<uint8_t>& out, std::string& error);
bool EncodeBmp24(const Bitmap32& picture, std::vector<uint8_t>& out);

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error);

}  // namespace kx
