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

#if defined(__linux__)
// With sharing on, buffers from a megabyte up lie in shared segments that can be found from
// any address inside them; smaller ones, those past the cap and those made with sharing off
// do not; a freed buffer's segment is no longer found.
TEST(LargePages, SharedBuffersAreFoundWhereTheyLieAndGoWhenFreed) {
  const size_t before = large_pages::SharedCount();
  large_pages::ShareBuffers(true);
  void* small = large_pages::Allocate(large_pages::kSharedMinBytes - 4);
  std::vector<void*> shared;
  for (size_t i = 0; i < large_pages::kSharedMaxCount + 2; ++i)
    shared.push_back(large_pages::Allocate(large_pages::kSharedMinBytes + 4096 * i));
  large_pages::ShareBuffers(false);
  void* afterwards = large_pages::Allocate(8 * kMB);

  EXPECT_LT(large_pages::SharedSegmentOf(small, 1).id, 0) << "a small buffer";
  EXPECT_LT(large_pages::SharedSegmentOf(afterwards, 1).id, 0) << "sharing was off";
  EXPECT_EQ(large_pages::SharedCount(), before + large_pages::kSharedMaxCount);
  const size_t size = large_pages::kSharedMinBytes;
  auto* first = static_cast<unsigned char*>(shared[0]);
  std::memset(first, 0x5A, size);
  EXPECT_EQ(first[size - 1], 0x5A);
  const large_pages::SharedSegment whole = large_pages::SharedSegmentOf(first, size);
  EXPECT_GE(whole.id, 0);
  EXPECT_EQ(whole.base, first);
  EXPECT_EQ(large_pages::SharedSegmentOf(first + size / 2, size / 2).id, whole.id) << "from inside";
  EXPECT_LT(large_pages::SharedSegmentOf(first + size / 2, size).id, 0) << "reaching past its end";
  EXPECT_LT(large_pages::SharedSegmentOf(shared.back(), 1).id, 0) << "past the cap";

  large_pages::Free(small, large_pages::kSharedMinBytes - 4);
  large_pages::Free(afterwards, 8 * kMB);
  for (size_t i = 0; i < shared.size(); ++i) large_pages::Free(shared[i], large_pages::kSharedMinBytes + 4096 * i);
  EXPECT_EQ(large_pages::SharedCount(), before);
  EXPECT_LT(large_pages::SharedSegmentOf(first, 1).id, 0) << "freed";
}
#endif

}  // namespace
}  // namespace kx
