#include "common/buddy_arena.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace korav {

int BuddyArena::OrderOf(size_t bytes) {
  return std::max(kSmallestOrder, static_cast<int>(std::bit_width(std::max(bytes, size_t{1}) - 1)));
}

size_t BuddyArena::BlockBytes(size_t bytes) {
  if (bytes > kChunkBytes) return LargeArrayBytes(bytes);
  return size_t{1} << OrderOf(bytes);
}

void* BuddyArena::Allocate(size_t bytes) {
  if (bytes > kChunkBytes) return AllocateLarge(bytes);
  const int order = OrderOf(bytes);
  int from = order;
  while (from <= kChunkOrder && free_[static_cast<size_t>(from - kSmallestOrder)] == nullptr) {
    ++from;
  }
  if (from > kChunkOrder) {
    if (!AddChunk()) return nullptr;
    from = kChunkOrder;
  }
  auto* block = reinterpret_cast<std::byte*>(free_[static_cast<size_t>(from - kSmallestOrder)]);
  Chunk& chunk = ChunkOf(block);
  RemoveFree(chunk, block, from);
  // The upper halves split off on the way down stay free.
  while (from > order) {
    --from;
    PushFree(chunk, block + (size_t{1} << from), from);
  }
  return block;
}

void BuddyArena::Free(void* memory, size_t bytes) {
  if (memory == nullptr) return;
  if (bytes > kChunkBytes) return FreeLarge(memory);
  auto* block = static_cast<std::byte*>(memory);
  Chunk& chunk = ChunkOf(block);
  const std::byte* base = chunk.memory.get();
  int order = OrderOf(bytes);
  while (order < kChunkOrder) {
    std::byte* buddy =
        chunk.memory.get() + (static_cast<size_t>(block - base) ^ (size_t{1} << order));
    if (FreeOrderAt(chunk, buddy) != order) break;
    RemoveFree(chunk, buddy, order);
    block = std::min(block, buddy);
    ++order;
  }
  if (order == kChunkOrder && free_chunks_ == 1) return ReleaseChunk(base);
  PushFree(chunk, block, order);
}

std::vector<BuddyArena::Chunk>::iterator BuddyArena::ChunkAt(const std::byte* base) {
  return std::find_if(chunks_.begin(), chunks_.end(),
                      [base](const Chunk& chunk) { return chunk.memory.get() == base; });
}

BuddyArena::Chunk& BuddyArena::ChunkOf(const std::byte* block) {
  const auto address = reinterpret_cast<uintptr_t>(block);
  return *ChunkAt(reinterpret_cast<std::byte*>(address & ~(uintptr_t{kChunkBytes} - 1)));
}

bool BuddyArena::AddChunk() {
  // Chunks are aligned to their size, so a chunk is found again from any
  // address within it.
  std::unique_ptr<std::byte, Unmap> memory(static_cast<std::byte*>(MapHugePages(kChunkBytes)));
  if (!memory) return false;
  std::byte* block = memory.get();
  chunks_.push_back(Chunk{std::move(memory), std::vector<uint8_t>(kUnitsPerChunk, 0)});
  PushFree(chunks_.back(), block, kChunkOrder);
  return true;
}

void BuddyArena::ReleaseChunk(const std::byte* base) { chunks_.erase(ChunkAt(base)); }

void BuddyArena::PushFree(Chunk& chunk, std::byte* block, int order) {
  FreeBlock*& head = free_[static_cast<size_t>(order - kSmallestOrder)];
  auto* node = reinterpret_cast<FreeBlock*>(block);
  *node = FreeBlock{nullptr, head};
  if (head != nullptr) head->previous = node;
  head = node;
  FreeOrderAt(chunk, block) = static_cast<uint8_t>(order);
  if (order == kChunkOrder) ++free_chunks_;
}

void BuddyArena::RemoveFree(Chunk& chunk, std::byte* block, int order) {
  auto* node = reinterpret_cast<FreeBlock*>(block);
  FreeBlock*& head = free_[static_cast<size_t>(order - kSmallestOrder)];
  if (node->previous != nullptr) {
    node->previous->next = node->next;
  } else {
    head = node->next;
  }
  if (node->next != nullptr) node->next->previous = node->previous;
  FreeOrderAt(chunk, block) = 0;
  if (order == kChunkOrder) --free_chunks_;
}

}  // namespace korav
