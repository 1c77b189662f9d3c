// Memory for tables and lists that are built, grown and given back in many
// sizes while a run goes on: blocks of power-of-two sizes from 256 bytes to
// 2 MiB, carved from 2 MiB chunks that are backed by huge pages. A chunk is
// brought in by one page fault rather than by one per 4 KiB page, each of
// which costs microseconds on a virtual machine; and a block given back
// joins its free buddy, so that the small blocks of early tables serve the
// larger ones of later tables instead of leaving holes.
//
// Blocks come uninitialised. A request above a chunk is a large array of
// its own. Chunks are mappings of their own: at most one with no block in
// use is kept, others go back to the system as they empty, and all of them
// when the arena is destroyed, after its user has given back (or stopped
// using) every block. One thread at a time.
#ifndef KORAV_COMMON_BUDDY_ARENA_H_
#define KORAV_COMMON_BUDDY_ARENA_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/large_array.h"

namespace korav {

class BuddyArena {
 public:
  static constexpr int kSmallestOrder = 8;  // 256 bytes
  static constexpr int kChunkOrder = 21;    // 2 MiB, one huge page
  static constexpr size_t kChunkBytes = size_t{1} << kChunkOrder;
  static_assert(kChunkBytes == kHugePageBytes, "a chunk is one huge page");

  BuddyArena() = default;
  BuddyArena(const BuddyArena&) = delete;
  BuddyArena& operator=(const BuddyArena&) = delete;

  // The bytes that Allocate(bytes) sets aside: `bytes` rounded up to a
  // power of two of at least 256, or to whole huge pages above a chunk.
  static size_t BlockBytes(size_t bytes);

  // A block of at least `bytes` bytes, aligned to its size up to a chunk's;
  // nullptr when the system has no memory for it.
  void* Allocate(size_t bytes);
  // Gives back a block that Allocate(bytes) gave, with the same `bytes`.
  void Free(void* block, size_t bytes);

  // The bytes of the chunks held, whether their blocks are in use or not.
  size_t ChunkBytes() const { return chunks_.size() * kChunkBytes; }

 private:
  static constexpr int kOrders = kChunkOrder - kSmallestOrder + 1;
  static constexpr size_t kUnitsPerChunk = kChunkBytes >> kSmallestOrder;

  // A free block's first bytes link it into the list of its order.
  struct FreeBlock {
    FreeBlock* previous;
    FreeBlock* next;
  };
  struct Unmap {
    void operator()(std::byte* memory) const { UnmapHugePages(memory, kChunkBytes); }
  };
  struct Chunk {
    std::unique_ptr<std::byte, Unmap> memory;
    // Per 256-byte unit: the order of the free block that starts there, 0
    // where none does.
    std::vector<uint8_t> free_order;
  };

  static int OrderOf(size_t bytes);
  // The chunk that starts at `base`, which must be one of the arena's.
  std::vector<Chunk>::iterator ChunkAt(const std::byte* base);
  // The chunk that holds `block`.
  Chunk& ChunkOf(const std::byte* block);
  // False when the system has no memory for another chunk.
  bool AddChunk();
  void ReleaseChunk(const std::byte* base);
  void PushFree(Chunk& chunk, std::byte* block, int order);
  void RemoveFree(Chunk& chunk, std::byte* block, int order);
  uint8_t& FreeOrderAt(Chunk& chunk, const std::byte* block) {
    return chunk.free_order[static_cast<size_t>(block - chunk.memory.get()) >> kSmallestOrder];
  }

  std::vector<Chunk> chunks_;
  std::array<FreeBlock*, kOrders> free_{};  // by order - kSmallestOrder
  size_t free_chunks_ = 0;
};

}  // namespace korav

#endif  // KORAV_COMMON_BUDDY_ARENA_H_
