#pragma once
// Picture decoding and encoding into and from the engine's Bitmap32.
//
// Every decoder detects nothing by file name: the format is taken from the data itself
// (JPEG SOI, PNG signature, "GIF87a"/"GIF89a", "BM", "RIFF....WEBP", an ISO media "ftyp" box
// with a HEIF or AVIF brand, the TIFF byte-order mark). A decoder never crashes on bad data: it
// returns false with a clear message in `error` for damaged, truncated or unsupported data,
// and refuses pictures larger than kMaxPicturePixels without allocating them. On failure the
// output bitmap is left as it was. Data that is cut short anywhere before its end marker
// (JPEG EOI, PNG IEND; for GIF the end of the frames that are read) counts as truncated.
//
// Photos come the right way up from the generic entries (DecodePicture, DecodePictureFile):
// the EXIF orientation of a JPEG and the Orientation tag of a TIFF are applied there, and
// HEIF/AVIF always come with their own rotation and mirroring applied. The decoders of one
// format (DecodeJpeg, DecodeTiff) give the pixels as stored, which is what scene packages and
// other callers that place pictures themselves rely on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

// Pictures above this many pixels are refused (64 megapixels).
inline constexpr int64_t kMaxPicturePixels = 64ll * 1024 * 1024;

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, Webp, Heif, Avif, Tiff };

PictureFormat DetectPictureFormat(const uint8_t* data, size_t size);
// "JPEG", "PNG", "GIF", "BMP", "WebP", "HEIF", "AVIF", "TIFF" or "unknown", for messages.
const char* PictureFormatName(PictureFormat format);

// Decodes any supported picture (for GIF and animated WebP: the first frame, composed on its
// canvas; for TIFF: the first page), upright. The result is opaque except where the picture
// itself carries alpha (PNG, WebP, HEIF/AVIF and TIFF alpha, GIF transparency), which is kept
// straight (not premultiplied) in the alpha byte.
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

// WebP: lossy and lossless, with or without alpha; an animation gives its first frame
// composed on the canvas (uncovered canvas pixels are 0x00000000).
bool DecodeWebp(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);
// HEIF (HEIC, HEVC-coded) and AVIF (AV1-coded) through libheif: the primary image, with the
// file's rotation, mirroring and crop applied (in HEIF they are part of the picture, not a
// hint). Higher bit depths are reduced to 8 bits. Coding kinds that this libheif has no
// decoder for are refused as unsupported.
bool DecodeHeif(const uint8_t* data, size_t size, Bitmap32& out, std::string& error);
// TIFF: the first page, in any layout libtiff's RGBA reader handles (strips or tiles, every
// photometric kind it knows, 1 to 16 bits, associated or unassociated alpha). Rows as stored:
// when `orientation` is given it receives the Orientation tag (1..8; 1 when absent or out of
// range) for the caller to apply.
bool DecodeTiff(const uint8_t* data, size_t size, Bitmap32& out, int* orientation, std::string& error);

// Orientation as EXIF and TIFF number it: 1 is upright; 2 mirrored left-right; 3 turned
// half round; 4 mirrored top-bottom; 5 mirrored along the main diagonal (transposed); 6 needs a
// quarter turn clockwise to be upright; 7 mirrored along the other diagonal; 8 needs a quarter
// turn anticlockwise. Makes `picture` upright. Values 2 to 4 work in place; 5 to 8 need one
// picture-sized buffer (false, picture unchanged, when it cannot be had). Other values do
// nothing.
bool ApplyOrientation(Bitmap32& picture, int orientation, std::string& error);
// The orientation recorded in a JPEG's EXIF segment (APP1 "Exif"), 1 when there is none or it
// cannot be read. Reads only the first IFD, within bounds, so hostile data costs nothing.
int JpegExifOrientation(const uint8_t* data, size_t size);

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
