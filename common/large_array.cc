#include "common/large_array.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korav {

void* AllocateLarge(size_t bytes) {
  // Small arrays are not worth a huge page of their own.
  if (bytes < kHugePageBytes) return std::malloc(bytes == 0 ? 1 : bytes);
  const size_t rounded = LargeArrayBytes(bytes);
  void* memory = std::aligned_alloc(kHugePageBytes, rounded);
#if defined(__linux__)
  // Only advice: without huge pages the memory works the same.
  if (memory != nullptr) madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  return memory;
}

void FreeLarge(void* memory) { std::free(memory); }

void* MapHugePages(size_t bytes) {
#if defined(__linux__)
  // A mapping a huge page longer than asked for holds an aligned range of
  // `bytes`; the rest on either side goes back at once.
  const size_t length = bytes + kHugePageBytes;
  void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(mapping);
  const uintptr_t aligned = (start + kHugePageBytes - 1) & ~(uintptr_t{kHugePageBytes} - 1);
  if (aligned > start) munmap(mapping, aligned - start);
  const uintptr_t end = start + length;
  if (end > aligned + bytes)
    munmap(reinterpret_cast<void*>(aligned + bytes), end - aligned - bytes);
  void* memory = reinterpret_cast<void*>(aligned);
  madvise(memory, bytes, MADV_HUGEPAGE);
  return memory;
#else
  return std::aligned_alloc(kHugePageBytes, bytes);
#endif
}

void UnmapHugePages(void* memory, size_t bytes) {
  if (memory == nullptr) return;
#if defined(__linux__)
  munmap(memory, bytes);
#else
  std::free(memory);
#endif
}

}  // namespace korav
