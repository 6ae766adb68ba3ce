// Memory for a table indexed by number that grows at its end, for the word index's copies of the
// nodes' shapes. Growing neither copies the entries nor touches memory they do not use: on Linux
// the table is a mapping of its own that grows by moving its pages (not their contents) into a
// larger one, and only the pages of entries written are ever backed. Fresh memory costs more
// than the work done with it on some systems (pages cleared by the kernel, or by the host of a
// virtual machine), and a table grown by copying touches twice what it keeps.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

namespace quarn {

// The raw memory: bytes rounded up to whole pages. GrowMemory returns memory of newBytes whose
// first oldBytes are those of old (which is gone), the rest zeros, or nullptr (old unchanged).
void* AllocateMemory(size_t bytes);
void* GrowMemory(void* old, size_t oldBytes, size_t newBytes);
void FreeMemory(void* p, size_t bytes);

template <typename T>
class GrowingTable {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  GrowingTable() = default;
  GrowingTable(const GrowingTable&) = delete;
  GrowingTable& operator=(const GrowingTable&) = delete;
  ~GrowingTable() { Clear(); }

  size_t capacity() const { return capacity_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }

  // Makes room for at least n entries. Entries beyond the old capacity hold zero bytes until
  // written. Throws std::bad_alloc when there is no memory.
  void Reserve(size_t n) {
    if (n <= capacity_) return;
    size_t want = capacity_ == 0 ? kFirst : capacity_;
    while (want < n) want *= 2;
    void* p = data_ == nullptr ? AllocateMemory(want * sizeof(T))
                               : GrowMemory(data_, capacity_ * sizeof(T), want * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(p);
    capacity_ = want;
  }
  // Frees the memory.
  void Clear() {
    if (data_ != nullptr) FreeMemory(data_, capacity_ * sizeof(T));
    data_ = nullptr;
    capacity_ = 0;
  }

 private:
  static constexpr size_t kFirst = 4096;
  T* data_ = nullptr;
  size_t capacity_ = 0;
};

}  // namespace quarn
