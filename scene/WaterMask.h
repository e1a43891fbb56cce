#pragma once
// The water mask of a scene: which pixels of the picture are water, and of which region.
//
// In a package the mask is a list of int32 codes: code 0 is the width, code 1 the height, and
// every later code r is a run of r / 10 pixels of region r % 10. Runs fill the mask row by
// row from the top-left pixel and go on from the end of one row to the start of the next; a
// negative run covers no pixels. Regions 1 to 6 are water (wave records 0 to 5); 0, 7, 8 and
// 9 are dry land.
//
// In memory the mask is a Bitmap32 whose pixels hold the 32-bit value of their region
// (table in kMaskRegionValues); any other pixel value counts as dry land.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

// The pixel value of each region number 0 .. 9.
inline constexpr std::array<uint32_t, 10> kMaskRegionValues = {
    0x00000000u,  // 0 dry land
    0x000000FFu,  // 1
    0x00FF00FFu,  // 2
    0x00FF0000u,  // 3
    0x00FFFF00u,  // 4
    0x0000FF00u,  // 5
    0x0000FFFFu,  // 6
    0x00000000u,  // 7 dry land
    0x00000000u,  // 8 dry land
    0x00000000u,  // 9 dry land
};
inline constexpr int kMaskWaterRegions = 6;

// The pixel value of region `region` (0 .. 9); 0 for any other number.
constexpr uint32_t MaskPixelOfRegion(int region) {
  return region >= 0 && region <= 9 ? kMaskRegionValues[region] : 0u;
}
// The region number 1 .. 6 of a mask pixel, or 0 for dry land and unknown values.
constexpr int RegionOfMaskPixel(uint32_t value) {
  for (int r = 1; r <= kMaskWaterRegions; ++r) {
    if (kMaskRegionValues[r] == value) return r;
  }
  return 0;
}

// Decodes the mask codes into `mask`. Fewer than two codes give an empty mask (0 x 0); a
// negative size, or one above kMaxPicturePixels, raises a SceneError (BadMask) without
// allocating. Runs that cover fewer pixels than the mask leave the rest dry; runs that cover
// more fill the mask to its last pixel and then raise a SceneError (BadMask).
void DecodeMaskRuns(const std::vector<int32_t>& codes, Bitmap32& mask);

// Encodes a mask (pixels holding region values) as codes: width, height and runs that cover
// every pixel, merged across row ends and split where a run would not fit an int32.
std::vector<int32_t> EncodeMaskRuns(const Bitmap32& mask);

// Pixels per region number 0 .. 9 as the runs state them (negative runs count nothing).
// Pixels past the end of the mask are not counted; `covered` receives the pixels the runs
// name in all, so that covered > width * height tells an overflowing mask.
std::array<int64_t, 10> CountMaskRunPixels(const std::vector<int32_t>& codes, int64_t& covered);

}  // namespace kx
