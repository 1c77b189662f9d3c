#include "common/large_array.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korav {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace

void* AllocateLarge(size_t bytes) {
  // Small arrays are not worth a huge page of their own.
  if (bytes < kHugePage) return std::malloc(bytes == 0 ? 1 : bytes);
  const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
#if defined(__linux__)
  // Only advice: without huge pages the memory works the same.
  if (memory != nullptr) madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  return memory;
}

void FreeLarge(void* memory) { std::free(memory); }

void* AllocateZeroed(size_t bytes) {
#if defined(__linux__)
  if (bytes >= kOwnMappingBytes) {
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return memory == MAP_FAILED ? nullptr : memory;
  }
#endif
  return std::calloc(bytes == 0 ? 1 : bytes, 1);
}

void FreeZeroed(void* memory, size_t bytes) {
#if defined(__linux__)
  if (bytes >= kOwnMappingBytes) {
    if (memory != nullptr) munmap(memory, bytes);
    return;
  }
#endif
  std::free(memory);
}

}  // namespace korav
