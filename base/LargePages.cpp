#include "base/LargePages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kx::large_pages {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

bool UsesLargePages(size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes < kLargePage) return false;
  const size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  return rounded - bytes <= bytes / 8;
#else
  (void)bytes;
  return false;
#endif
}

}  // namespace

size_t AllocatedBytes(size_t bytes) {
  return UsesLargePages(bytes) ? (bytes + kLargePage - 1) / kLargePage * kLargePage : bytes;
}

void* Allocate(size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (UsesLargePages(bytes)) {
    const size_t size = AllocatedBytes(bytes);
    // Map one large page more than needed and give back the parts before and after an
    // aligned stretch of `size` bytes.
    void* mapped = mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
    if (aligned > start) munmap(mapped, aligned - start);
    const uintptr_t end = start + size + kLargePage;
    if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    void* p = reinterpret_cast<void*>(aligned);
    madvise(p, size, MADV_HUGEPAGE);  // a hint: without large pages the memory works all the same
    return p;
  }
#endif
  if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
  throw std::bad_alloc();
}

void Free(void* p, size_t bytes) {
  if (p == nullptr) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (UsesLargePages(bytes)) {
    munmap(p, AllocatedBytes(bytes));
    return;
  }
#endif
  std::free(p);
}

}  // namespace kx::large_pages
