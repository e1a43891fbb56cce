#include "imaging/ChangedRows.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kx {
namespace {

std::vector<std::pair<int, int>> Pairs(const std::vector<RowRange>& ranges) {
  std::vector<std::pair<int, int>> out;
  for (const RowRange& r : ranges) out.emplace_back(r.First, r.Last);
  return out;
}

TEST(ChangedRowsTest, MarksBecomeRanges) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> marks;
    int joinGap;
    std::vector<std::pair<int, int>> ranges;
    int marked;
  };
  const Case cases[] = {
      {"nothing", {}, 0, {}, 0},
      {"one row", {{4, 4}}, 0, {{4, 4}}, 1},
      {"overlapping marks count once", {{2, 5}, {4, 8}}, 0, {{2, 8}}, 7},
      {"touching marks are one range", {{2, 3}, {4, 5}}, 0, {{2, 5}}, 4},
      {"separate bands stay apart", {{1, 2}, {10, 12}}, 0, {{1, 2}, {10, 12}}, 5},
      {"a small gap is joined", {{1, 2}, {5, 6}}, 2, {{1, 6}}, 4},
      {"a gap wider than asked is kept", {{1, 2}, {6, 7}}, 2, {{1, 2}, {6, 7}}, 4},
      {"clipped to the frame", {{-5, 1}, {18, 40}}, 0, {{0, 1}, {18, 19}}, 4},
      {"wholly outside", {{-9, -1}, {20, 30}}, 0, {}, 0},
      {"reversed range is nothing", {{8, 3}}, 0, {}, 0},
      {"every row", {{0, 19}}, 0, {{0, 19}}, 20},
  };
  for (const Case& c : cases) {
    ChangedRows rows;
    rows.Reset(20);
    for (const auto& [first, last] : c.marks) rows.Mark(first, last);
    EXPECT_EQ(Pairs(rows.Ranges(c.joinGap)), c.ranges) << c.name;
    EXPECT_EQ(rows.MarkedRows(), c.marked) << c.name;
    EXPECT_EQ(rows.All(), c.marked == 20) << c.name;
    EXPECT_EQ(rows.None(), c.marked == 0) << c.name;
  }
}

TEST(ChangedRowsTest, ResetForgetsAndMarkAllCoversTheNewHeight) {
  ChangedRows rows;
  rows.Reset(10);
  rows.Mark(3, 4);
  rows.Reset(6);
  EXPECT_TRUE(rows.None());
  EXPECT_FALSE(rows.IsMarked(3));
  rows.MarkAll();
  EXPECT_TRUE(rows.All());
  EXPECT_EQ(Pairs(rows.Ranges()), (std::vector<std::pair<int, int>>{{0, 5}}));
  EXPECT_FALSE(rows.IsMarked(6)) << "a row below the frame";

  ChangedRows empty;
  empty.Reset(0);
  empty.MarkAll();
  EXPECT_FALSE(empty.All());
  EXPECT_TRUE(empty.Ranges().empty());
}

}  // namespace
}  // namespace kx
