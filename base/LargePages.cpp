#include "base/LargePages.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

#if defined(__linux__)
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
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

// The shared segments: where each lies, its id and size.
struct Shared {
  std::atomic<bool> on{false};
  std::mutex lock;
  std::map<uintptr_t, std::pair<int, size_t>> segments;
};
Shared& SharedState() {
  static Shared* state = new Shared;  // never destroyed: buffers may be freed at exit
  return *state;
}

bool FreeShared(void* p) {
#if defined(__linux__)
  Shared& shared = SharedState();
  std::lock_guard<std::mutex> guard(shared.lock);
  const auto it = shared.segments.find(reinterpret_cast<uintptr_t>(p));
  if (it == shared.segments.end()) return false;
  shared.segments.erase(it);
  shmdt(p);
  return true;
#else
  (void)p;
  return false;
#endif
}

}  // namespace

void ShareBuffers(bool on) { SharedState().on = on; }

void* AllocateSharedBuffer(size_t bytes) {
#if defined(__linux__)
  Shared& shared = SharedState();
  std::lock_guard<std::mutex> guard(shared.lock);
  if (shared.segments.size() >= kSharedMaxCount) return nullptr;
  const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (id < 0) return nullptr;
  void* p = shmat(id, nullptr, 0);
  // Marked for removal at once: the segment goes with the last process that has it
  // attached (the display server may hold it a little longer), also when we are killed.
  shmctl(id, IPC_RMID, nullptr);
  if (p == reinterpret_cast<void*>(-1)) return nullptr;
  shared.segments[reinterpret_cast<uintptr_t>(p)] = {id, bytes};
  return p;
#else
  (void)bytes;
  return nullptr;
#endif
}

void FreeSharedBuffer(void* p) { FreeShared(p); }

SharedSegment SharedSegmentOf(const void* p, size_t bytes) {
  Shared& shared = SharedState();
  std::lock_guard<std::mutex> guard(shared.lock);
  const uintptr_t at = reinterpret_cast<uintptr_t>(p);
  auto it = shared.segments.upper_bound(at);
  if (it == shared.segments.begin()) return {};
  --it;
  const auto& [id, size] = it->second;
  if (at + bytes > it->first + size) return {};
  return {id, reinterpret_cast<const void*>(it->first), size};
}

size_t SharedCount() {
  Shared& shared = SharedState();
  std::lock_guard<std::mutex> guard(shared.lock);
  return shared.segments.size();
}

size_t AllocatedBytes(size_t bytes) {
  return UsesLargePages(bytes) ? (bytes + kLargePage - 1) / kLargePage * kLargePage : bytes;
}

void* Allocate(size_t bytes) {
  if (bytes >= kSharedMinBytes && SharedState().on) {
    if (void* p = AllocateSharedBuffer(bytes)) return p;
  }
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
  if (bytes >= kSharedMinBytes && FreeShared(p)) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (UsesLargePages(bytes)) {
    munmap(p, AllocatedBytes(bytes));
    return;
  }
#endif
  std::free(p);
}

}  // namespace kx::large_pages
