#include "saver/ItemFit.h"

#include "base/MulDiv.h"
#include "platform/Files.h"

namespace kx {

bool IsStillPictureItem(const std::string& path) {
  return IsStillPictureName(path);
}

std::optional<ItemSize> QualityRenderSize(int32_t quality) {
  switch (quality) {
    case 0: return ItemSize{1024, 768};
    case 1: return ItemSize{800, 600};
    case 2: return ItemSize{640, 480};
    default: return std::nullopt;
  }
}

ItemSize FitByAspect(int32_t w, int32_t h, int32_t boxW, int32_t boxH) {
  if (w <= 0 || h <= 0 || boxH <= 0) return {boxW, boxH};
  const double r = static_cast<double>(w) / h;
  if (static_cast<int64_t>(h) * boxW / boxH < w) return {boxW, RoundHalfEven(boxW / r)};
  return {RoundHalfEven(boxH * r), boxH};
}

ItemOffset CentringOffset(int32_t screenW, int32_t screenH, int32_t itemW, int32_t itemH) {
  return {(screenW - itemW) / 2, (screenH - itemH) / 2};
}

}  // namespace kx
