#include "base/Random.h"

#include <gtest/gtest.h>

#include <thread>

namespace kx {
namespace {

TEST(RandomBelow, StepsTheSeedAndTakesTheUpperHalfOfTheProduct) {
  RandomSeed = 0;
  // 0 * 134775813 + 1 = 1; (1 * 10) >> 32 = 0
  EXPECT_EQ(RandomBelow(10), 0);
  EXPECT_EQ(RandomSeed, 1u);
  // 1 * 134775813 + 1 = 134775814; (134775814 * 1000) >> 32 = 31
  EXPECT_EQ(RandomBelow(1000), 31);
  EXPECT_EQ(RandomSeed, 134775814u);
  RandomSeed = 0xFFFFFFFFu;  // wraps: 0xFFFFFFFF * 134775813 + 1 = -134775812 mod 2^32
  EXPECT_EQ(RandomBelow(100), static_cast<int32_t>((uint64_t{0xFFFFFFFFu - 134775812u + 1u} * 100) >> 32));
  EXPECT_EQ(RandomSeed, 0xFFFFFFFFu - 134775812u + 1u);
}

TEST(RandomBelow, StaysInRangeAndReachesBothEnds) {
  RandomSeed = 12345;
  bool saw_zero = false, saw_top = false;
  for (int i = 0; i < 20000; ++i) {
    const int32_t v = RandomBelow(7);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 7);
    saw_zero |= v == 0;
    saw_top |= v == 6;
  }
  EXPECT_TRUE(saw_zero);
  EXPECT_TRUE(saw_top);
  EXPECT_EQ(RandomBelow(0), 0);
}

TEST(RandomBelow, SavedAndRestoredSeedRepeatsThePattern) {
  RandomSeed = 777;
  const uint32_t saved = RandomSeed;
  int32_t first[5];
  for (auto& v : first) v = RandomBelow(1 << 20);
  RandomSeed = saved;
  for (int32_t v : first) EXPECT_EQ(RandomBelow(1 << 20), v);
}

TEST(RandomBelow, EachThreadHasItsOwnState) {
  RandomSeed = 42;
  std::thread worker([] {
    RandomSeed = 9;
    for (int i = 0; i < 100; ++i) RandomBelow(50);
  });
  worker.join();
  EXPECT_EQ(RandomSeed, 42u);
}

}  // namespace
}  // namespace kx
