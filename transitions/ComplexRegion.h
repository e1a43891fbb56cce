#pragma once
// TComplexRegion: collects rectangles and turns them into one region.
//
// The rectangles are kept in one growable buffer laid out as the platform's region data
// block: a 32-byte header (size 32, type 1 = rectangles, rectangle count, byte size of the
// rectangles, bounding rectangle) followed by the rectangles, four signed 32-bit integers
// each (left, top, right, bottom). The buffer grows by 500 rectangles at a time. The header is
// filled in when a region is created.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "transitions/Region.h"

namespace kx {

class TComplexRegion {
 public:
  static constexpr int32_t kGrowth = 500;  // rectangles added to the buffer when it is full
  static constexpr int32_t kHeaderBytes = 32;

  TComplexRegion();
  TComplexRegion(const TComplexRegion&) = delete;
  TComplexRegion& operator=(const TComplexRegion&) = delete;
  ~TComplexRegion() = default;

  // Releases the buffer; count and capacity become 0, the bounds the empty values.
  void Clear();
  // Appends one rectangle (any rectangle: overlapping, outside, empty or inverted) and widens
  // the bounds.
  void AddRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  // The union of all rectangles added (empty and inverted ones add nothing), or no region when
  // nothing was added. Fills in the buffer's header.
  std::optional<Region> CreateRegion();

  int32_t Count() const { return FCount; }
  int32_t Capacity() const { return FCapacity; }
  // Smallest left and top, largest right and bottom of the rectangles added; when empty,
  // (2147483647, 2147483647, -2147483647, -2147483647).
  const Rect& Bounds() const { return FBounds; }
  std::span<const Rect> Rects() const;
  // The region data block (header and rectangles), or nullptr while nothing has been added.
  const void* Data() const { return FData.get(); }

 private:
  static constexpr Rect kEmptyBounds{2147483647, 2147483647, -2147483647, -2147483647};
  // The header takes the room of two rectangles (32 bytes), so the buffer is an array of
  // rectangles whose first two slots hold the header bytes.
  static constexpr size_t kHeaderSlots = kHeaderBytes / sizeof(Rect);

  std::unique_ptr<Rect[]> FData;
  int32_t FCapacity = 0;
  int32_t FCount = 0;
  Rect FBounds = kEmptyBounds;
  size_t FCursor = kHeaderSlots;  // slot where the next rectangle goes
};

}  // namespace kx
