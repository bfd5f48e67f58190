// Memory for records and their texts and lists: large chunks handed out in
// small blocks, with free lists by size, so that a brain of a million
// clauses is read and freed quickly and compactly.
#include "engine/records/record_pool.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VARNEX_PLAIN_RECORDS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNEX_PLAIN_RECORDS 1
#endif
#endif

namespace varnex {

#ifdef VARNEX_PLAIN_RECORDS

void* AllocateRecord(std::size_t size) { return ::operator new(size); }
void FreeRecord(void* p, std::size_t) noexcept { ::operator delete(p); }

#else

namespace {

constexpr std::size_t kGranule = 8;
constexpr std::size_t kClasses = 64;  // records up to 512 bytes; larger ones use the heap
constexpr std::size_t kChunk = 2u << 20;

// Size classes of 8 bytes, each with a free list; fresh memory is cut from
// 2 MiB chunks. Chunks are never given back: freed records are reused by
// the next brain made on the same thread.
struct Pool {
  void* free[kClasses] = {};
  char* next = nullptr;
  char* end = nullptr;

  void* Take(std::size_t cls) {
    if (void* p = free[cls]) {
      free[cls] = *static_cast<void**>(p);
      return p;
    }
    const std::size_t bytes = (cls + 1) * kGranule;
    if (static_cast<std::size_t>(end - next) < bytes) NewChunk();
    void* p = next;
    next += bytes;
    return p;
  }
  void Give(void* p, std::size_t cls) {
    *static_cast<void**>(p) = free[cls];
    free[cls] = p;
  }
  void NewChunk() {
    void* m = ::mmap(nullptr, kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    ::madvise(m, kChunk, MADV_HUGEPAGE);
    next = static_cast<char*>(m);
    end = next + kChunk;
  }
};

// One pool per thread, so that brains answering on different threads never
// share a free list; a record freed on another thread than the one that
// made it simply joins that thread's list. Never destroyed: records of
// brains that outlive main() or their thread may still be freed.
Pool& ThePool() {
  thread_local Pool* pool = new Pool;
  return *pool;
}

}  // namespace

void* AllocateRecord(std::size_t size) {
  const std::size_t cls = (size + kGranule - 1) / kGranule - 1;
  if (cls >= kClasses) return ::operator new(size);
  return ThePool().Take(cls);
}

void FreeRecord(void* p, std::size_t size) noexcept {
  if (!p) return;
  const std::size_t cls = (size + kGranule - 1) / kGranule - 1;
  if (cls >= kClasses) {
    ::operator delete(p);
    return;
  }
  ThePool().Give(p, cls);
}

#endif

}  // namespace varnex
