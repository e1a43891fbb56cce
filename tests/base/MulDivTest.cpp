#include "base/MulDiv.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

struct MulDivCase {
  const char* name;
  int32_t a, b, c, expected;
};

TEST(MulDiv, RoundsHalvesAwayFromZeroWithA64BitIntermediate) {
  const MulDivCase cases[] = {
      {"exact", 1024, 50, 100, 512},
      {"third of 1024 at 33 percent", 1024, 33, 100, 338},  // 337.92
      {"253.44 rounds down", 768, 33, 100, 253},             // 253.44
      {"half rounds up", 7, 1, 2, 4},
      {"negative half rounds down", -7, 1, 2, -4},
      {"negative divisor", 7, 1, -2, -4},
      {"both negative", -7, -1, 2, 4},
      {"large intermediate", 2000000000, 3, 4, 1500000000},
      {"zero divisor", 5, 5, 0, -1},
      {"result too large", 2000000000, 4, 1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.name;
  }
}

TEST(RoundHalfEven, TakesHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(2.5001), 3);
}

}  // namespace
}  // namespace kx
