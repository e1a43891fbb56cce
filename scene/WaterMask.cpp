#include "scene/WaterMask.h"

#include <algorithm>
#include <limits>

#include "imaging/PictureCodec.h"
#include "scene/SceneError.h"

namespace kx {

namespace {

// The longest run one code can carry: count * 10 + 9 must fit an int32.
constexpr int64_t kMaxRunLength = (std::numeric_limits<int32_t>::max() - 9) / 10;

}  // namespace

void DecodeMaskRuns(const std::vector<int32_t>& codes, Bitmap32& mask) {
  mask.SetSize(0, 0);
  if (codes.size() < 2) return;
  const int32_t width = codes[0];
  const int32_t height = codes[1];
  if (width < 0 || height < 0 || static_cast<int64_t>(width) * height > kMaxPicturePixels) {
    throw SceneError(SceneError::Kind::BadMask, "Water mask size " + std::to_string(width) +
                                                    " x " + std::to_string(height) +
                                                    " is not possible");
  }
  mask.SetSize(width, height, 0);
  const int64_t area = static_cast<int64_t>(mask.Width()) * mask.Height();
  uint32_t* pixels = mask.Data();
  int64_t next = 0;  // index of the next pixel, row by row
  for (size_t i = 2; i < codes.size(); ++i) {
    const int32_t r = codes[i];
    if (r < 0) continue;
    const int64_t count = r / 10;
    const uint32_t value = kMaskRegionValues[r % 10];
    const int64_t fits = std::min(count, area - next);
    std::fill(pixels + next, pixels + next + fits, value);
    next += fits;
    if (fits < count) {
      throw SceneError(SceneError::Kind::BadMask,
                       "Water mask runs cover more than its " + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels (row index out of range)");
    }
  }
}

std::vector<int32_t> EncodeMaskRuns(const Bitmap32& mask) {
  std::vector<int32_t> codes = {mask.Width(), mask.Height()};
  const uint32_t* pixels = mask.Data();
  const size_t area = mask.PixelCount();
  size_t i = 0;
  while (i < area) {
    const int region = RegionOfMaskPixel(pixels[i]);
    size_t end = i + 1;
    while (end < area && RegionOfMaskPixel(pixels[end]) == region) ++end;
    int64_t left = static_cast<int64_t>(end - i);
    while (left > 0) {
      const int64_t run = std::min(left, kMaxRunLength);
      codes.push_back(static_cast<int32_t>(run * 10 + region));
      left -= run;
    }
    i = end;
  }
  return codes;
}

std::array<int64_t, 10> CountMaskRunPixels(const std::vector<int32_t>& codes, int64_t& covered) {
  std::array<int64_t, 10> counts{};
  covered = 0;
  if (codes.size() < 2) return counts;
  const int64_t area = codes[0] > 0 && codes[1] > 0 ? static_cast<int64_t>(codes[0]) * codes[1] : 0;
  for (size_t i = 2; i < codes.size(); ++i) {
    const int32_t r = codes[i];
    if (r < 0) continue;
    const int64_t count = r / 10;
    counts[r % 10] += std::clamp<int64_t>(area - covered, 0, count);
    covered += count;
  }
  return counts;
}

}  // namespace kx
