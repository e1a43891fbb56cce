#pragma once
// The geometry of show items: which items are still pictures, the render sizes of the scaled
// presentation, the fit of a picture into a box by its aspect ratio, and the centring offset
// of an item on the screen.
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/PictureKinds.h"

namespace kx {

struct ItemSize {
  int32_t Width = 0;
  int32_t Height = 0;
  bool operator==(const ItemSize&) const = default;
};

struct ItemOffset {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const ItemOffset&) const = default;
};

// Items whose upper-cased extension is a picture kind (IsStillPictureName) are still
// pictures; every other item is a scene package.
bool IsStillPictureItem(const std::string& path);

// The render size of the scaled presentation for the setting `DirectXQuality`: 0 gives
// 1024 x 768, 1 gives 800 x 600, 2 gives 640 x 480; any other value gives none (frames keep
// the size they have).
std::optional<ItemSize> QualityRenderSize(int32_t quality);

// Fits a w x h source into a box x box by its aspect ratio r = w / h. When h * boxW / boxH
// (integers, truncated) is less than w the source is relatively wider than the box: the
// width stays boxW and the height becomes boxW / r; otherwise the height stays boxH and the
// width becomes boxH * r. Reals are rounded with halves to even. An empty source gives the
// box itself.
ItemSize FitByAspect(int32_t w, int32_t h, int32_t boxW, int32_t boxH);

// (screen - item) / 2 on each axis, truncated toward zero: negative for an item larger than
// the screen, which is then cropped equally on both sides.
ItemOffset CentringOffset(int32_t screenW, int32_t screenH, int32_t itemW, int32_t itemH);

}  // namespace kx
