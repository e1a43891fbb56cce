#include "scene/WaterMask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/SceneError.h"

namespace kx {
namespace {

// The mask as region numbers, one string per row ("1100"), for readable expectations.
std::vector<std::string> Regions(const Bitmap32& mask) {
  std::vector<std::string> rows;
  for (int y = 0; y < mask.Height(); ++y) {
    std::string row;
    for (int x = 0; x < mask.Width(); ++x) row.push_back(static_cast<char>('0' + RegionOfMaskPixel(mask.Pixel(x, y))));
    rows.push_back(row);
  }
  return rows;
}

bool DecodeFails(const std::vector<int32_t>& codes, Bitmap32& mask) {
  try {
    DecodeMaskRuns(codes, mask);
  } catch (const SceneError& e) {
    EXPECT_EQ(e.kind(), SceneError::Kind::BadMask);
    return true;
  }
  return false;
}

TEST(WaterMask, RegionValuesMapBothWays) {
  const uint32_t values[] = {0x00000000, 0x000000FF, 0x00FF00FF, 0x00FF0000,
                             0x00FFFF00, 0x0000FF00, 0x0000FFFF};
  for (int r = 0; r <= 6; ++r) {
    EXPECT_EQ(MaskPixelOfRegion(r), values[r]);
    EXPECT_EQ(RegionOfMaskPixel(values[r]), r);
  }
  for (int r : {7, 8, 9}) EXPECT_EQ(MaskPixelOfRegion(r), 0u);
  // Only exact values count: an opaque blue or a near colour is dry land.
  EXPECT_EQ(RegionOfMaskPixel(0xFF0000FFu), 0);
  EXPECT_EQ(RegionOfMaskPixel(0x000000FEu), 0);
}

TEST(WaterMask, TwoCodesGiveAnAllDryMaskOfTheStatedSize) {
  Bitmap32 mask(2, 2, 0x12345678u);
  DecodeMaskRuns({5, 3}, mask);
  EXPECT_EQ(mask, Bitmap32(5, 3, 0));
  DecodeMaskRuns({}, mask);
  EXPECT_TRUE(mask.Empty());
}

TEST(WaterMask, RunsFillRowByRowAndCrossRowEnds) {
  struct Case {
    const char* name;
    std::vector<int32_t> codes;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // 30: three pixels of region 0; 57: five pixels of region 7, which is dry.
      {"runs of 30 and 57", {4, 3, 21, 30, 57, 22}, {"1100", "0000", "0022"}},
      {"a run across a row end", {4, 2, 31, 44, 11}, {"1114", "4441"}},
      {"a run across two row ends", {2, 3, 11, 43, 11}, {"13", "33", "31"}},
      {"a negative run covers nothing", {3, 1, 12, -35, 26}, {"266"}},
      {"zero-length runs cover nothing", {3, 1, 5, 16, 0, 25}, {"655"}},
      {"runs that cover fewer leave the rest dry", {3, 2, 46}, {"666", "600"}},
      {"all six regions", {6, 1, 11, 12, 13, 14, 15, 16}, {"123456"}},
  };
  for (const auto& c : cases) {
    Bitmap32 mask;
    ASSERT_NO_THROW(DecodeMaskRuns(c.codes, mask)) << c.name;
    EXPECT_EQ(Regions(mask), c.expected) << c.name;
  }
}

TEST(WaterMask, MaskOf1024By768FilledExactlyReachesItsLastPixel) {
  // Runs of varied lengths and regions that add up to exactly 786432 pixels, the last one a
  // single pixel of region 6.
  std::vector<int32_t> codes = {1024, 768};
  int64_t total = 0;
  for (int i = 0; total < 786432 - 1; ++i) {
    const int64_t length = std::min<int64_t>(1 + (i * 37) % 2000, 786432 - 1 - total);
    codes.push_back(static_cast<int32_t>(length * 10 + i % 6));
    total += length;
  }
  codes.push_back(16);
  Bitmap32 mask;
  ASSERT_NO_THROW(DecodeMaskRuns(codes, mask));
  EXPECT_EQ(mask.Width(), 1024);
  EXPECT_EQ(mask.Height(), 768);
  EXPECT_EQ(mask.Pixel(1023, 767), 0x0000FFFFu);
  EXPECT_EQ(mask.Pixel(1022, 767), MaskPixelOfRegion((static_cast<int>(codes.size()) - 4) % 6));
  // The same runs encode back to a mask equal to this one.
  Bitmap32 again;
  DecodeMaskRuns(EncodeMaskRuns(mask), again);
  EXPECT_EQ(again, mask);
}

TEST(WaterMask, RunsThatOverflowTheMaskFailAfterFillingIt) {
  Bitmap32 mask;
  EXPECT_TRUE(DecodeFails({3, 2, 41, 32}, mask));  // 7 pixels in a mask of 6
  EXPECT_EQ(Regions(mask), (std::vector<std::string>{"111", "122"}));
  EXPECT_TRUE(DecodeFails({3, 2, 61, 11}, mask));  // one pixel too many after a full mask
  EXPECT_TRUE(DecodeFails({3, 2, 0x7FFFFFFF}, mask));  // a huge run, refused at once
  EXPECT_TRUE(DecodeFails({0, 5, 11}, mask));          // any pixel overflows an empty mask
}

TEST(WaterMask, ImpossibleSizesFailWithoutAllocating) {
  Bitmap32 mask;
  EXPECT_TRUE(DecodeFails({-1, 10}, mask));
  EXPECT_TRUE(DecodeFails({10, -1}, mask));
  EXPECT_TRUE(DecodeFails({0x7FFFFFFF, 0x7FFFFFFF}, mask));
  EXPECT_TRUE(DecodeFails({100000, 1000}, mask));  // 100 megapixels
  EXPECT_TRUE(mask.Empty());
}

TEST(WaterMask, EncodingMergesRunsAcrossRowsAndMapsUnknownValuesToLand) {
  Bitmap32 mask(3, 2, 0);
  mask.SetPixel(2, 0, MaskPixelOfRegion(2));
  mask.SetPixel(0, 1, MaskPixelOfRegion(2));
  mask.SetPixel(1, 1, 0x00123456u);  // not a region value: land
  EXPECT_EQ(EncodeMaskRuns(mask), (std::vector<int32_t>{3, 2, 20, 22, 20}));
  EXPECT_EQ(EncodeMaskRuns(Bitmap32()), (std::vector<int32_t>{0, 0}));
}

TEST(WaterMask, RunPixelCountsTellAnOverflow) {
  int64_t covered = 0;
  auto counts = CountMaskRunPixels({4, 3, 21, 30, 57, 22}, covered);
  EXPECT_EQ(covered, 12);
  EXPECT_EQ(counts[0], 3);
  EXPECT_EQ(counts[1], 2);
  EXPECT_EQ(counts[2], 2);
  EXPECT_EQ(counts[7], 5);
  counts = CountMaskRunPixels({2, 2, 31, 32, -10}, covered);
  EXPECT_EQ(covered, 6);
  EXPECT_EQ(counts[1], 3);
  EXPECT_EQ(counts[2], 1);  // only the pixel that fits
}

}  // namespace
}  // namespace kx
