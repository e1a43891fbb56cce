// Large pixel buffers: which sizes go on large pages, and that every size gives memory that
// holds what is written to it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/LargePages.h"

namespace kx {
namespace {

constexpr size_t kMB = size_t{1} << 20;

TEST(LargePages, SizesFarFromWholeLargePagesComeFromTheHeap) {
  const struct {
    const char* name;
    size_t bytes;
    bool large;
    size_t allocated;
  } cases[] = {
      {"nothing", 0, false, 0},
      {"a byte", 1, false, 1},
      {"just under a large page", 2 * kMB - 1, false, 2 * kMB - 1},
      {"one large page", 2 * kMB, true, 2 * kMB},
      {"a page and a half: a third more when rounded", 3 * kMB, false, 3 * kMB},
      {"a 1920 x 1080 frame", 1920 * 1080 * 4, true, 8 * kMB},
      {"a 1024 x 768 frame: a third more when rounded", 1024 * 768 * 4, false, 1024 * 768 * 4},
      {"an eighth more when rounded", 16 * kMB + 1, true, 18 * kMB},
  };
  for (const auto& c : cases) {
#if defined(__linux__)
    EXPECT_EQ(large_pages::AllocatedBytes(c.bytes), c.allocated) << c.name;
#else
    EXPECT_EQ(large_pages::AllocatedBytes(c.bytes), c.bytes) << c.name;
#endif
    void* p = large_pages::Allocate(c.bytes);
    ASSERT_NE(p, nullptr) << c.name;
#if defined(__linux__)
    if (c.large) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % (2 * kMB), 0u) << c.name;
    }
#endif
    if (c.bytes > 0) {
      auto* bytes = static_cast<unsigned char*>(p);
      std::memset(bytes, 0xA5, c.bytes);
      EXPECT_EQ(bytes[0], 0xA5) << c.name;
      EXPECT_EQ(bytes[c.bytes - 1], 0xA5) << c.name;
    }
    large_pages::Free(p, c.bytes);
  }
}

TEST(LargePages, VectorsGrowCopyAndCompare) {
  std::vector<uint32_t, LargePageAllocator<uint32_t>> frame(1920 * 1080, 7);
  frame.resize(frame.size() + 5, 9);  // moves to a new buffer of another size
  const auto copy = frame;
  EXPECT_EQ(copy, frame);
  EXPECT_EQ(copy[0], 7u);
  EXPECT_EQ(copy.back(), 9u);
  frame.assign(10, 1);  // and back to a small one
  EXPECT_EQ(frame.size(), 10u);
}

}  // namespace
}  // namespace kx
