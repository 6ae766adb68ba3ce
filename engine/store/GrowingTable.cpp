#include "store/GrowingTable.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quarn {

namespace {

#if defined(__linux__)
constexpr size_t kPage = 4096;

size_t Pages(size_t bytes) { return (bytes + kPage - 1) / kPage * kPage; }

// A fresh mapping of bytes on small pages. The tables are filled in order and their busy
// entries (the nodes of frequent words, entered first) lie together, while a fresh large page
// can cost many times its small pages (see NodeBlockArea).
void* Map(size_t bytes) {
  bytes = Pages(bytes);
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
#if defined(MADV_NOHUGEPAGE)
  ::madvise(p, bytes, MADV_NOHUGEPAGE);
#endif
  return p;
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
