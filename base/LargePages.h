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

// Buffers the display server can read in place. With sharing on, buffers of at least
// kSharedMinBytes live in System V shared memory segments (at most kSharedMaxCount at a
// time; more, or a segment the system refuses, come from ordinary memory), so that a display
// server on this machine can take a frame from where it lies instead of from a copy. Such
// buffers have ordinary pages. The hack mode switches sharing on once it knows its display
// server can attach segments; buffers made before keep their memory.
constexpr size_t kSharedMinBytes = size_t{1} << 20;
constexpr size_t kSharedMaxCount = 64;
void ShareBuffers(bool on);
struct SharedSegment {
  int id = -1;               // the System V segment id
  const void* base = nullptr;  // where it lies in this process
  size_t bytes = 0;
};
// A shared buffer of any size, whether sharing is on or not (a display window's own copy of
// a frame); nullptr when the system refuses a segment or kSharedMaxCount are live. Freed
// with FreeSharedBuffer (or Free).
void* AllocateSharedBuffer(size_t bytes);
void FreeSharedBuffer(void* p);
// The segment that holds all of [p, p + bytes), when there is one; id -1 otherwise.
SharedSegment SharedSegmentOf(const void* p, size_t bytes);
// Segments live now.
size_t SharedCount();

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
