#pragma once
// Picture decoding and encoding into and from the engine's Bitmap32.
//
// Every decoder detects nothing by file name: the format is taken from the data itself
// (JPEG SOI, PNG signature, "GIF87a"/"GIF89a", "BM"). A decoder never crashes on bad data: it
// returns false with a clear message in `error` for damaged, truncated or unsupported data,
// and refuses pictures larger than kMaxPicturePixels without allocating them. On failure the
// output bitmap is left as it was. Data that is cut short anywhere before its end marker
// (JPEG EOI, PNG IEND; for GIF the end of the frames that are read) counts as truncated.
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
// "JPEG", "PNG", "GIF", "BMP" or "unknown", for messages.
const char* PictureFormatName(PictureFormat format);

// Decodes any supported picture (for GIF: the first frame, composed on its logical screen).
// The result is opaque except where the picture itself carries alpha (PNG alpha, GIF
// transparency), which is kept in the alpha byte.
bool DecodePicture(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);
bool DecodePicture(const std::vector<uint8_t>& data, Bitmap32& out, std::string& error);
// Reads the file and decodes it; the error names the file.
bool DecodePictureFile(const std::string& path, Bitmap32& out, std::string& error);

// The decoders of each format, for callers that know what they hold (scene packages carry
// JPEG only). Each refuses data of another format with an error.
//
// JPEG: baseline, progressive and greyscale; CMYK and YCCK are turned into RGB (CMYK stored
// inverted, as files with an Adobe marker are, is recognised by that marker). Always opaque.
bool DecodeJpeg(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);
// PNG: every colour type and bit depth, interlaced or not. `out` keeps the alpha (palette
// tRNS, a grey or RGB tRNS key, or an alpha channel); 16-bit samples are scaled to 8 bits.
// When `alphaPlane` is given it receives the alpha apart, Width() x Height() bytes, rows top
// first; it is left empty when the PNG carries no transparency at all, so that a caller can
// tell "no alpha plane" from "all opaque".
bool DecodePng(const uint8_t* data, size_t size, Bitmap32& out, std::vector<uint8_t>* alphaPlane,
               std::string& error);
// GIF: the first frame composed on the logical screen. Pixels outside the frame and
// transparent pixels are 0x00000000; the rest are opaque. Reading stops after the first
// frame, so damage in later frames does not matter here. All frames: see GifCodec.h.
bool DecodeGif(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);
// BMP: 1, 4, 8, 24 bits with BI_RGB; 16 and 32 bits with BI_RGB or BI_BITFIELDS; bottom-up
// and top-down rows; the Windows 3 header and its later forms and the OS/2 1.x header.
// Compressed kinds (RLE, embedded JPEG/PNG) are refused. Always opaque.
bool DecodeBmp(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);

// Encoders, for the tools, the demo media and the test fixtures.
struct JpegOptions {
  int quality = 90;          // 1..100; values outside are clamped
  bool progressive = false;  // write a progressive instead of a baseline file
  bool greyscale = false;    // write one grey component (the luma of the picture)
};
// Alpha is ignored: JPEG has none.
bool EncodeJpeg(const Bitmap32& picture, int quality, std::vector<uint8_t>& out, std::string& error);
bool EncodeJpeg(const Bitmap32& picture, const JpegOptions& options, std::vector<uint8_t>& out,
                std::string& error);
// Writes RGBA when any pixel is not fully opaque, else RGB. 8 bits per sample, not interlaced.
bool EncodePng(const Bitmap32& picture, std::vector<uint8_t>& out, std::string& error);
// A 24-bit bottom-up Windows 3 BMP (BITMAPINFOHEADER, BI_RGB). Alpha is dropped. False for an
// empty picture.
bool EncodeBmp24(const Bitmap32& picture, std::vector<uint8_t>& out);

// Picture files above this size are refused unread (256 MB).
inline constexpr int64_t kMaxPictureFileBytes = 256ll << 20;

// File helpers; their errors name the file. ReadWholeFile reads regular files only, up to
// kMaxPictureFileBytes: a device, FIFO or folder is refused at once, without waiting.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error);

}  // namespace kx
