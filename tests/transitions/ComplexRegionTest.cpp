#include "transitions/ComplexRegion.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kx {
namespace {

TEST(TComplexRegion, CreatesNoRegionUntilARectangleIsAdded) {
  TComplexRegion builder;
  EXPECT_FALSE(builder.CreateRegion().has_value());
  EXPECT_EQ(builder.Data(), nullptr);
  EXPECT_EQ(builder.Bounds(), (Rect{2147483647, 2147483647, -2147483647, -2147483647}));
  builder.AddRect(0, 0, 5, 5);
  builder.Clear();  // cleared again: nothing was added since
  EXPECT_FALSE(builder.CreateRegion().has_value());
  EXPECT_EQ(builder.Capacity(), 0);
}

TEST(TComplexRegion, OnlyEmptyRectanglesGiveAnEmptyRegion) {
  TComplexRegion builder;
  builder.AddRect(5, 5, 5, 10);    // no width
  builder.AddRect(9, 3, 2, 8);     // inverted
  builder.AddRect(0, 7, 100, 7);   // no height
  const auto region = builder.CreateRegion();
  ASSERT_TRUE(region.has_value());
  EXPECT_TRUE(region->IsEmpty());
  // The bounds still take every rectangle's coordinates.
  EXPECT_EQ(builder.Bounds(), (Rect{0, 3, 100, 10}));
}

TEST(TComplexRegion, TheRegionIsTheUnionAndTheHeaderDescribesTheRectangles) {
  TComplexRegion builder;
  builder.AddRect(0, 0, 10, 4);
  builder.AddRect(5, 2, 15, 6);      // overlaps the first
  builder.AddRect(-20, -20, -10, 2);  // outside any bitmap
  builder.AddRect(8, 1, 3, 9);       // inverted: adds nothing
  const auto region = builder.CreateRegion();
  ASSERT_TRUE(region.has_value());
  EXPECT_EQ(region->PixelCount(), 40 + 40 - 10 + 220);
  EXPECT_TRUE(region->Contains(12, 5));
  EXPECT_FALSE(region->Contains(4, 5));
  int32_t header[8];
  std::memcpy(header, builder.Data(), sizeof(header));
  const int32_t expected[8] = {32, 1, 4, 64, -20, -20, 15, 9};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(header[i], expected[i]) << "header word " << i;
}

TEST(TComplexRegion, The501stRectangleGrowsTheBufferAndKeepsTheFirst500) {
  TComplexRegion builder;
  for (int i = 0; i < 500; ++i) builder.AddRect(i, 2 * i, i + 1, 2 * i + 1);
  EXPECT_EQ(builder.Capacity(), 500);
  const void* before = builder.Data();
  builder.AddRect(1000, 1000, 1002, 1003);
  EXPECT_EQ(builder.Count(), 501);
  EXPECT_EQ(builder.Capacity(), 1000);
  EXPECT_NE(builder.Data(), before);  // a new buffer
  const auto rects = builder.Rects();
  ASSERT_EQ(rects.size(), 501u);
  for (int i = 0; i < 500; ++i) ASSERT_EQ(rects[i], (Rect{i, 2 * i, i + 1, 2 * i + 1})) << i;
  EXPECT_EQ(rects[500], (Rect{1000, 1000, 1002, 1003}));
  const auto region = builder.CreateRegion();
  ASSERT_TRUE(region.has_value());
  EXPECT_EQ(region->PixelCount(), 500 + 6);
  EXPECT_EQ(builder.Bounds(), (Rect{0, 0, 1002, 1003}));
}

}  // namespace
}  // namespace kx
