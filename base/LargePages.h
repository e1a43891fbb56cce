#pragma once
// An allocator for the engine's large pixel buffers that asks the system to back them with
// large memory pages.
//
// A full-screen frame is about 8 MB. Drawing scattered particles touches a few pixels in
// thousands of rows spread over the whole frame, and with ordinary 4 KB pages nearly every
// one of those rows needs its own address translation, which the water pass has just pushed
// out of the processor's translation cache by streaming through several other frames. With
// 2 MB pages a frame needs four translations. Buffers below 2 MB, or whose size would grow
// by more than an eighth when rounded up to whole large pages, come from the ordinary heap.
// Where the system has no such pages (or refuses them) the buffer still works, with small
// pages.
#include <cstddef>
#include <new>

namespace kx {

namespace large_pages {

// The size an allocation of `bytes` takes: a whole number of large pages, or `bytes` itself
// when it comes from the ordinary heap.
size_t AllocatedBytes(size_t bytes);
// Memory for `bytes` bytes, aligned to a large page when it uses them; throws
// std::bad_alloc when there is none.
void* Allocate(size_t bytes);
void Free(void* p, size_t bytes);

}  // namespace large_pages

template <typename T>
struct LargePageAllocator {
  using value_type = T;

  LargePageAllocator() = default;
  template <typename U>
  LargePageAllocator(const LargePageAllocator<U>&) {}

  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(large_pages::Allocate(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) { large_pages::Free(p, n * sizeof(T)); }

  template <typename U>
  bool operator==(const LargePageAllocator<U>&) const {
    return true;
  }
};

}  // namespace kx
