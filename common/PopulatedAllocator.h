#pragma once
// An allocator for large arrays that are filled right after allocation
// (a toolpath's moves): big blocks are mapped with their pages populated in
// one call instead of faulting them in one at a time while copying.
#include <sys/mman.h>

#include <cstddef>
#include <memory>
#include <new>

namespace common {

template <typename T>
struct PopulatedAllocator {
  using value_type = T;
  static constexpr size_t kThresholdBytes = size_t{1} << 20;

  PopulatedAllocator() = default;
  template <typename U>
  PopulatedAllocator(const PopulatedAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const size_t bytes = n * sizeof(T);
    if (bytes < kThresholdBytes) return std::allocator<T>().allocate(n);
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return static_cast<T*>(p);
  }

  void deallocate(T* p, size_t n) noexcept {
    const size_t bytes = n * sizeof(T);
    if (bytes < kThresholdBytes)
      std::allocator<T>().deallocate(p, n);
    else
      munmap(p, bytes);
  }

  template <typename U>
  bool operator==(const PopulatedAllocator<U>&) const noexcept {
    return true;
  }
};

// A vector for per-move data.
template <typename T>
using MoveArray = std::vector<T, PopulatedAllocator<T>>;

}  // namespace common
