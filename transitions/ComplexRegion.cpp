#include "transitions/ComplexRegion.h"

#include <algorithm>
#include <cstring>

namespace kx {

static_assert(sizeof(Rect) == 16, "a rectangle is four 32-bit integers");

TComplexRegion::TComplexRegion() { Clear(); }

void TComplexRegion::Clear() {
  FData.reset();
  FCapacity = 0;
  FCount = 0;
  FBounds = kEmptyBounds;
  FCursor = kHeaderSlots;
}

void TComplexRegion::AddRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  if (FCount == FCapacity) {
    const int32_t capacity = FCapacity + kGrowth;
    std::unique_ptr<Rect[]> grown(new Rect[kHeaderSlots + static_cast<size_t>(capacity)]);
    if (FData) std::copy(FData.get(), FData.get() + kHeaderSlots + FCount, grown.get());
    FData = std::move(grown);
    FCapacity = capacity;
    FCursor = kHeaderSlots + static_cast<size_t>(FCount);
  }
  FData[FCursor++] = Rect{Left, Top, Right, Bottom};
  ++FCount;
  FBounds.Left = std::min(FBounds.Left, Left);
  FBounds.Top = std::min(FBounds.Top, Top);
  FBounds.Right = std::max(FBounds.Right, Right);
  FBounds.Bottom = std::max(FBounds.Bottom, Bottom);
}

std::span<const Rect> TComplexRegion::Rects() const {
  if (!FData) return {};
  return std::span<const Rect>(FData.get() + kHeaderSlots, static_cast<size_t>(FCount));
}

std::optional<Region> TComplexRegion::CreateRegion() {
  if (FCount == 0) return std::nullopt;
  // Header: dwSize, iType (RDH_RECTANGLES), nCount, nRgnSize, rcBound.
  const int32_t header[8] = {kHeaderBytes, 1, FCount, FCount * static_cast<int32_t>(sizeof(Rect)),
                             FBounds.Left, FBounds.Top, FBounds.Right, FBounds.Bottom};
  std::memcpy(static_cast<void*>(FData.get()), header, sizeof(header));
  return RegionFromRects(Rects());
}

}  // namespace kx
