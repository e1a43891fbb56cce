// Windows and OS/2 bitmap files, read and written by hand.
//
// Layout: a 14-byte file header ("BM", file size, two reserved words, offset of the pixel
// data), then an info header whose first 4 bytes give its own size: 12 for the OS/2 1.x
// BITMAPCOREHEADER (16-bit width and height, RGB triples in the palette), 40 for the
// Windows 3 BITMAPINFOHEADER, 52, 56, 108 and 124 for its later forms (the colour masks
// move into the header). Rows are padded to 4 bytes and stored bottom row first unless the
// height is negative. Every offset and length is checked against the buffer before it is
// read; the file size field is not trusted (writers often get it wrong).
#include <cstring>
#include <new>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

enum : uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiJpeg = 4,
  kBiPng = 5,
  kBiAlphaBitfields = 6,
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

constexpr const char* kTruncated = "Damaged or truncated BMP data";

// One colour channel of a BI_BITFIELDS mask: the sample is (value & mask) >> shift, and it is
// widened or narrowed from `bits` to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1) != 0) ++bits;
  }
  uint32_t Extract(uint32_t value) const {
    if (bits == 0) return 0;
    const uint32_t v = (value & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    const uint32_t max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
  }
};

bool Fail(std::string& error, const char* message) {
  error = message;
  return false;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  if (DetectPictureFormat(data, size) != PictureFormat::Bmp) return Fail(error, "Not BMP data");
  if (size < 14 + 12) return Fail(error, kTruncated);
  const uint32_t pixelOffset = Le32(data + 10);
  const uint8_t* info = data + 14;
  const uint32_t headerSize = Le32(info);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124) {
    error = "Unsupported BMP format (header of " + std::to_string(headerSize) + " bytes)";
    return false;
  }
  if (14 + static_cast<uint64_t>(headerSize) > size) return Fail(error, kTruncated);

  int64_t width, height;
  int bitCount;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  int paletteEntrySize = 4;
  if (headerSize == 12) {
    width = Le16(info + 4);
    height = Le16(info + 6);
    bitCount = Le16(info + 10);
    paletteEntrySize = 3;
  } else {
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    bitCount = Le16(info + 14);
    compression = Le32(info + 16);
    colorsUsed = Le32(info + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;

  switch (compression) {
    case kBiRgb:
      break;
    case kBiRle8:
    case kBiRle4:
      return Fail(error, "Unsupported BMP format (RLE compression)");
    case kBiJpeg:
    case kBiPng:
      return Fail(error, "Unsupported BMP format (embedded JPEG or PNG)");
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bitCount != 16 && bitCount != 32)
        return Fail(error, "Unsupported BMP format (bit fields with this bit count)");
      break;
    default:
      error = "Unsupported BMP format (compression " + std::to_string(compression) + ")";
      return false;
  }
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
    error = "Unsupported BMP format (" + std::to_string(bitCount) + " bits per pixel)";
    return false;
  }
  if (!codec::CheckPictureSize(width, height, error)) return false;

  // Colour masks: in the header from the 52-byte form on, else right after a 40-byte header.
  uint32_t redMask = 0x7C00, greenMask = 0x03E0, blueMask = 0x001F;
  if (bitCount == 32) {
    redMask = 0x00FF0000;
    greenMask = 0x0000FF00;
    blueMask = 0x000000FF;
  }
  uint64_t paletteStart = 14 + static_cast<uint64_t>(headerSize);
  if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    const uint8_t* masks = info + 40;
    if (headerSize == 40) {
      const uint64_t maskBytes = compression == kBiAlphaBitfields ? 16 : 12;
      if (paletteStart + maskBytes > size) return Fail(error, kTruncated);
      paletteStart += maskBytes;
    }
    redMask = Le32(masks);
    greenMask = Le32(masks + 4);
    blueMask = Le32(masks + 8);
  }
  const Channel red(redMask), green(greenMask), blue(blueMask);

  // Palette: colorsUsed entries (0 means all 2^bitCount), never more than the bit count can
  // index. Entries that lie past the pixel data offset or the buffer are not there.
  uint32_t palette[256] = {};
  if (bitCount <= 8) {
    const uint32_t maxColors = 1u << bitCount;
    uint32_t count = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
    const uint64_t limit = std::min<uint64_t>(size, pixelOffset >= paletteStart ? pixelOffset : size);
    const uint64_t available = limit > paletteStart ? (limit - paletteStart) / paletteEntrySize : 0;
    if (available < count) count = static_cast<uint32_t>(available);
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = data + paletteStart + static_cast<uint64_t>(i) * paletteEntrySize;
      palette[i] = Rgb(e[2], e[1], e[0]);
    }
    for (uint32_t i = count; i < 256; ++i) palette[i] = Rgb(0, 0, 0);
  }

  // Pixel rows; the padding of the last row may be missing.
  const uint64_t rowBits = static_cast<uint64_t>(width) * bitCount;
  const uint64_t stride = (rowBits + 31) / 32 * 4;
  const uint64_t lastRowBytes = (rowBits + 7) / 8;
  if (pixelOffset < 14 + static_cast<uint64_t>(headerSize) || pixelOffset > size ||
      size - pixelOffset < stride * (height - 1) + lastRowBytes)
    return Fail(error, kTruncated);

  try {
    Bitmap32 picture(static_cast<int>(width), static_cast<int>(height));
    const int w = static_cast<int>(width);
    for (int64_t row = 0; row < height; ++row) {
      const uint8_t* src = data + pixelOffset + row * stride;
      uint32_t* dst = picture.Row(static_cast<int>(topDown ? row : height - 1 - row));
      switch (bitCount) {
        case 1:
          for (int x = 0; x < w; ++x) dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
          break;
        case 4:
          for (int x = 0; x < w; ++x) dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
          break;
        case 8:
          for (int x = 0; x < w; ++x) dst[x] = palette[src[x]];
          break;
        case 16:
          for (int x = 0; x < w; ++x) {
            const uint32_t v = Le16(src + 2 * x);
            dst[x] = Rgb(red.Extract(v), green.Extract(v), blue.Extract(v));
          }
          break;
        case 24:
          for (int x = 0; x < w; ++x) dst[x] = Rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
          break;
        case 32:
          for (int x = 0; x < w; ++x) {
            const uint32_t v = Le32(src + 4 * x);
            dst[x] = Rgb(red.Extract(v), green.Extract(v), blue.Extract(v));
          }
          break;
      }
    }
    out = std::move(picture);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(error, codec::kOutOfMemory);
  }
}

bool EncodeBmp24(const Bitmap32& picture, std::vector<uint8_t>& out) {
  if (picture.Empty()) return false;
  const uint64_t stride = (static_cast<uint64_t>(picture.Width()) * 3 + 3) / 4 * 4;
  const uint64_t imageSize = stride * picture.Height();
  const uint64_t fileSize = 14 + 40 + imageSize;
  if (fileSize > UINT32_MAX) return false;
  std::vector<uint8_t> file(fileSize, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    file[at] = v & 0xFF;
    file[at + 1] = (v >> 8) & 0xFF;
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(fileSize));
  put32(10, 14 + 40);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(picture.Width()));
  put32(22, static_cast<uint32_t>(picture.Height()));
  put16(26, 1);   // planes
  put16(28, 24);  // bits per pixel
  put32(30, kBiRgb);
  put32(34, static_cast<uint32_t>(imageSize));
  put32(38, 2835);  // 72 dots per inch, in dots per metre
  put32(42, 2835);
  for (int y = 0; y < picture.Height(); ++y) {
    uint8_t* dst = file.data() + 54 + static_cast<size_t>(picture.Height() - 1 - y) * stride;
    const uint32_t* src = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      dst[3 * x] = static_cast<uint8_t>(BlueOf(src[x]));
      dst[3 * x + 1] = static_cast<uint8_t>(GreenOf(src[x]));
      dst[3 * x + 2] = static_cast<uint8_t>(RedOf(src[x]));
    }
  }
  out = std::move(file);
  return true;
}

}  // namespace kx
