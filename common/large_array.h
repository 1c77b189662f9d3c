// Arrays for the large tables of a run: the value cube's segments and the
// transaction reader's index, which are read and written at random.
//
// With ordinary 4 KiB pages nearly every such access also misses the
// processor's address translation cache, so the memory is asked to be
// backed by huge pages where the system offers them (Linux's transparent
// huge pages in "madvise" mode); elsewhere it is ordinary memory.
#ifndef KORAV_COMMON_LARGE_ARRAY_H_
#define KORAV_COMMON_LARGE_ARRAY_H_

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

namespace korav {

// Memory for `bytes` bytes; nullptr when there is none. From 2 MiB (one
// huge page) up it is aligned for huge pages, its size rounded up to whole
// ones (LargeArrayBytes), and advised to use them; a smaller array is
// ordinary memory, aligned as malloc aligns. Release it with FreeLarge.
inline constexpr size_t kHugePageBytes = size_t{2} << 20;
void* AllocateLarge(size_t bytes);
// The bytes that AllocateLarge(bytes) sets aside.
inline constexpr size_t LargeArrayBytes(size_t bytes) {
  return bytes < kHugePageBytes ? bytes
                                : (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}
void FreeLarge(void* memory);

// `bytes` bytes, a whole number of huge pages, in a mapping of their own
// aligned and advised for huge pages; nullptr when there is none. Unlike
// AllocateLarge's, the memory goes back to the system as soon as it is
// given back with UnmapHugePages and the same `bytes`.
void* MapHugePages(size_t bytes);
void UnmapHugePages(void* memory, size_t bytes);

struct LargeArrayDeleter {
  void operator()(void* memory) const { FreeLarge(memory); }
};

template <typename T>
using LargeArray = std::unique_ptr<T[], LargeArrayDeleter>;

// An array of `count` elements, each a copy of `fill`; throws
// std::bad_alloc when there is no memory for it.
template <typename T>
LargeArray<T> MakeLargeArray(size_t count, const T& fill) {
  static_assert(std::is_trivially_destructible_v<T>, "elements are never destroyed one by one");
  if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
  T* elements = static_cast<T*>(AllocateLarge(count * sizeof(T)));
  if (elements == nullptr) throw std::bad_alloc();
  std::uninitialized_fill_n(elements, count, fill);
  return LargeArray<T>(elements);
}

// An array of `count` elements left uninitialised, as by
// std::make_unique_for_overwrite.
template <typename T>
LargeArray<T> MakeLargeArrayForOverwrite(size_t count) {
  static_assert(std::is_trivial_v<T>, "elements are used without being constructed");
  if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
  T* elements = static_cast<T*>(AllocateLarge(count * sizeof(T)));
  if (elements == nullptr) throw std::bad_alloc();
  return LargeArray<T>(elements);
}

}  // namespace korav

#endif  // KORAV_COMMON_LARGE_ARRAY_H_
