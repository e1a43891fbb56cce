// Turning photos upright: the eight orientations of EXIF and TIFF, and the reader of the
// orientation a JPEG's EXIF segment records.
//
// The orientation says where the stored rows and columns belong on screen. For the values that
// swap width and height (5 to 8) the upright pixel (x, y) of a stored w x h picture is
//   5: S(y, x)   6: S(y, h-1-x)   7: S(w-1-y, h-1-x)   8: S(w-1-y, x)
// and the others keep the size: 2 mirrors the columns, 4 the rows, 3 both.
//
// The EXIF reader is a small bounded parser rather than a full EXIF library: it needs one
// 16-bit value from the first IFD, and a full parser walks every IFD and the makers' notes,
// which is where hostile files have hurt EXIF libraries. It looks only at the segments before
// the first scan, checks every offset against the segment, and never loops beyond the data.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

void MirrorColumns(Bitmap32& p) {
  for (int y = 0; y < p.Height(); ++y) std::reverse(p.Row(y), p.Row(y) + p.Width());
}

void MirrorRows(Bitmap32& p) {
  for (int top = 0, bottom = p.Height() - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(p.Row(top), p.Row(top) + p.Width(), p.Row(bottom));
}

// Orientations 5 to 8 into a new picture of the swapped size, walked in square tiles so that
// both the rows read and the rows written stay in the cache.
void Transpose(const Bitmap32& src, int orientation, Bitmap32& dst) {
  const int w = src.Width(), h = src.Height();
  const bool xFromTop = orientation == 5 || orientation == 6;   // source column = y, else w-1-y
  const bool yFromLeft = orientation == 5 || orientation == 8;  // source row = x, else h-1-x
  constexpr int kTile = 32;
  for (int ty = 0; ty < w; ty += kTile) {
    for (int tx = 0; tx < h; tx += kTile) {
      const int yEnd = std::min(ty + kTile, w), xEnd = std::min(tx + kTile, h);
      for (int y = ty; y < yEnd; ++y) {
        uint32_t* out = dst.Row(y);
        const int sx = xFromTop ? y : w - 1 - y;
        for (int x = tx; x < xEnd; ++x) out[x] = src.Pixel(sx, yFromLeft ? x : h - 1 - x);
      }
    }
  }
}

uint16_t Read16(const uint8_t* p, bool bigEndian) {
  return bigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1]) : static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p, bool bigEndian) {
  return bigEndian ? (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]
                   : (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

// The TIFF structure inside an EXIF segment: byte-order mark, 42, offset of IFD0; IFD0 is a
// count and 12-byte entries (tag, type, count, value). Orientation is tag 0x0112, one SHORT,
// left-justified in the value field. 0 when it is not there or not sound.
int TiffOrientation(const uint8_t* tiff, size_t size) {
  if (size < 8) return 0;
  bool big;
  if (tiff[0] == 'I' && tiff[1] == 'I') big = false;
  else if (tiff[0] == 'M' && tiff[1] == 'M') big = true;
  else return 0;
  if (Read16(tiff + 2, big) != 42) return 0;
  const uint32_t ifd = Read32(tiff + 4, big);
  if (ifd < 8 || ifd > size - 2) return 0;
  const uint32_t count = Read16(tiff + ifd, big);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = size_t{ifd} + 2 + size_t{i} * 12;
    if (entry + 12 > size) return 0;
    if (Read16(tiff + entry, big) != 0x0112) continue;
    if (Read16(tiff + entry + 2, big) != 3 || Read32(tiff + entry + 4, big) < 1) return 0;
    return Read16(tiff + entry + 8, big);
  }
  return 0;
}

}  // namespace

bool ApplyOrientation(Bitmap32& picture, int orientation, std::string& error) {
  switch (orientation) {
    case 2: MirrorColumns(picture); return true;
    case 3: MirrorColumns(picture); MirrorRows(picture); return true;
    case 4: MirrorRows(picture); return true;
    case 5: case 6: case 7: case 8: break;
    default: return true;
  }
  if (picture.Empty()) return true;
  try {
    // Same pixel count with the sides swapped: still within the size limit.
    Bitmap32 upright(picture.Height(), picture.Width());
    Transpose(picture, orientation, upright);
    picture = std::move(upright);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

int JpegExifOrientation(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 1;
  size_t at = 2;
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return 1;
    const uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
      at += 2;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 1;  // scan or end: metadata comes before
    const size_t length = (size_t{data[at + 2]} << 8) | data[at + 3];
    if (length < 2 || at + 2 + length > size) return 1;
    const uint8_t* segment = data + at + 4;
    const size_t segmentSize = length - 2;
    if (marker == 0xE1 && segmentSize >= 6 && std::memcmp(segment, "Exif\0\0", 6) == 0) {
      const int value = TiffOrientation(segment + 6, segmentSize - 6);
      return value >= 1 && value <= 8 ? value : 1;
    }
    at += 2 + length;
  }
  return 1;
}

}  // namespace kx
