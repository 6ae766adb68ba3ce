#include "GrowingTable.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quarn {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

#if defined(__linux__)
constexpr size_t kPage = 4096;

size_t Pages(size_t bytes) { return (bytes + kPage - 1) / kPage * kPage; }

// A fresh mapping of bytes, at a large-page boundary when it is that large, so that the system
// can back it with large pages: the table is visited at random.
void* Map(size_t bytes) {
  bytes = Pages(bytes);
  if (bytes < kLargePage) {
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
  }
  const size_t span = bytes + kLargePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (begin + kLargePage - 1) / kLargePage * kLargePage;
  if (aligned > begin) ::munmap(raw, aligned - begin);
  const uintptr_t end = aligned + bytes;
  if (begin + span > end) ::munmap(reinterpret_cast<void*>(end), begin + span - end);
#if defined(MADV_HUGEPAGE)
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}
#endif

}  // namespace

void* AllocateMemory(size_t bytes) {
#if defined(__linux__)
  return Map(bytes);
#else
  return std::calloc(1, bytes);
#endif
}

void* GrowMemory(void* old, size_t oldBytes, size_t newBytes) {
#if defined(__linux__)
  void* p = Map(newBytes);
  if (p == nullptr) return nullptr;
  // The old pages move to the front of the new mapping, replacing its untouched pages there.
  void* moved = ::mremap(old, Pages(oldBytes), Pages(oldBytes), MREMAP_MAYMOVE | MREMAP_FIXED, p);
  if (moved == MAP_FAILED) {
    std::memcpy(p, old, oldBytes);
    ::munmap(old, Pages(oldBytes));
  }
  return p;
#else
  void* p = std::realloc(old, newBytes);
  if (p != nullptr) std::memset(static_cast<char*>(p) + oldBytes, 0, newBytes - oldBytes);
  return p;
#endif
}

void FreeMemory(void* p, size_t bytes) {
#if defined(__linux__)
  ::munmap(p, Pages(bytes));
#else
  (void)bytes;
  std::free(p);
#endif
}

}  // namespace quarn
