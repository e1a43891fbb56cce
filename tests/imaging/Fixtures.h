#pragma once
// Writers of picture fixtures for the imaging tests. They call libpng, libjpeg-turbo and
// giflib directly (or, for BMP, lay the bytes out by hand), independently of the encoders
// under test, so that a decoder bug cannot be hidden by the same bug in our own writer.
#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/Bitmap32.h"

namespace kx::test {

using Bytes = std::vector<uint8_t>;

// ---- PNG ----
struct PngLayout {
  int width = 0, height = 0;
  int colorType = 0;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  bool interlaced = false;
  // Unpacked samples, channels per pixel as the colour type has them (palette: one index),
  // rows top first; each sample within 0 .. 2^bitDepth - 1.
  std::vector<uint16_t> samples;
  std::vector<uint32_t> palette;     // 0xRRGGBB entries, for palette images
  std::vector<uint8_t> paletteAlpha;  // tRNS for palette images (may be shorter than the palette)
  bool hasColorKey = false;           // tRNS for grey or RGB images
  uint16_t keyGrey = 0, keyRed = 0, keyGreen = 0, keyBlue = 0;
};
Bytes WritePng(const PngLayout& layout);

// ---- JPEG ----
struct JpegLayout {
  int width = 0, height = 0;
  J_COLOR_SPACE inputSpace = JCS_RGB;  // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  int components = 3;
  std::vector<uint8_t> samples;        // width x height x components, rows top first
  J_COLOR_SPACE fileSpace = JCS_YCbCr;  // colour space stored in the file
  bool progressive = false;
  bool adobeMarker = true;  // only for CMYK / YCCK: libjpeg writes one unless told not to
  int quality = 100;
  bool fullChroma = true;   // no chroma subsampling
};
Bytes WriteJpeg(const JpegLayout& layout);

// ---- GIF ----
struct GifFrameLayout {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;      // rows top first
  std::vector<uint32_t> localTable;  // 0xRRGGBB, power-of-two length; empty = use global
  bool interlaced = false;
  bool writeControl = true;  // graphic control extension
  int delayCs = 0, disposal = 0, transparentIndex = -1;
};
struct GifLayout {
  int width = 0, height = 0;
  std::vector<uint32_t> globalTable;  // 0xRRGGBB, power-of-two length; empty = none
  int loopCount = -1;                 // -1: no NETSCAPE2.0 block
  std::vector<GifFrameLayout> frames;
};
Bytes WriteGif(const GifLayout& layout);

// ---- BMP ----
struct BmpLayout {
  int headerSize = 40;      // 12, 40, 108, 124 (or anything, to test rejection)
  int width = 0, height = 0;  // height < 0: top-down
  int bitCount = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0xRRGGBB entries written (3 bytes each for a 12-byte header)
  uint32_t colorsUsed = 0;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue for BI_BITFIELDS
  // One value per pixel, rows top first (the writer flips for bottom-up files): a palette
  // index for <= 8 bits, the raw 16- or 32-bit value, or 0xRRGGBB for 24 bits.
  std::vector<uint32_t> values;
};
Bytes WriteBmp(const BmpLayout& layout);

// ---- WebP, HEIF/AVIF, TIFF: written with the libraries' own encoders ----
Bytes WriteWebp(const Bitmap32& picture, bool lossless, int quality = 95);
// An animation of the frames (all of the first frame's size), 100 ms each.
Bytes WriteAnimatedWebp(const std::vector<Bitmap32>& frames);
// Whether this libheif can write HEIC (HEVC) or AVIF (AV1).
bool CanWriteHeif(bool avif);
// Alpha is written when any pixel is not opaque; `orientation` (1..8, EXIF numbering) is
// stored as the file's rotation and mirroring.
Bytes WriteHeif(const Bitmap32& picture, bool avif, int orientation = 1);
struct TiffLayout {
  int samples = 3;             // 1 grey (from the red channel), 3 RGB, 4 RGBA
  int bitsPerSample = 8;       // 8 or 16
  bool associatedAlpha = false;  // premultiplied alpha instead of straight
  int orientation = 1;         // the Orientation tag; 0 writes none
  int compression = 1;         // COMPRESSION_*
  int tile = 0;                // > 0: tiles of this size instead of strips
  int pages = 1;               // further pages are filled with black
};
Bytes WriteTiff(const Bitmap32& picture, const TiffLayout& layout);
// The JPEG with an EXIF segment (APP1) holding the orientation, placed after its JFIF segment.
Bytes WithExifOrientation(const Bytes& jpeg, int orientation, bool bigEndian);

// A w x h picture whose four quarters have the given 0xAARRGGBB colours.
Bitmap32 Quadrants(int w, int h, uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight);
// Each channel (alpha included) of a and b within `tolerance`.
bool Near(uint32_t a, uint32_t b, int tolerance);

// An opaque picture with a distinct colour per pixel (for exact round trips).
Bitmap32 PatternPicture(int width, int height);

// Opaque 0xFFRRGGBB of a 0xRRGGBB value.
inline uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

// A path in a per-process temporary folder, created on first use.
std::string TempPath(const std::string& name);

}  // namespace kx::test
