#include "common/buddy_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace korav {
namespace {

TEST(BuddyArena, BlockSizes) {
  const std::pair<size_t, size_t> cases[] = {
      {0, 256},
      {1, 256},
      {256, 256},
      {257, 512},
      {100000, 131072},
      {BuddyArena::kChunkBytes, BuddyArena::kChunkBytes},
      {(3 << 20) + 1, 4 << 20},
  };
  for (const auto& [bytes, block] : cases) EXPECT_EQ(BuddyArena::BlockBytes(bytes), block) << bytes;
}

// Blocks of random sizes taken and given back in random order: each keeps
// what was written to it, lies aligned to its size, and once all are back
// the arena holds at most one chunk.
TEST(BuddyArena, BlocksNeverOverlapAndEveryChunkComesBack) {
  BuddyArena arena;
  struct Held {
    std::byte* memory;
    size_t bytes;
    uint8_t mark;
  };
  std::vector<Held> held;
  std::mt19937 random(7);
  const auto check_and_free = [&](size_t i) {
    const Held block = held[i];
    for (size_t b = 0; b < block.bytes; b += 97) {
      ASSERT_EQ(block.memory[b], std::byte{block.mark}) << i;
    }
    arena.Free(block.memory, block.bytes);
    held[i] = held.back();
    held.pop_back();
  };
  for (int step = 0; step < 4000; ++step) {
    if (!held.empty() && random() % 3 == 0) {
      check_and_free(random() % held.size());
      continue;
    }
    // Mostly small and middling blocks, now and then one above a chunk.
    const size_t bytes = step % 500 == 0 ? (3 << 20) : size_t{1} << (random() % 19);
    auto* memory = static_cast<std::byte*>(arena.Allocate(bytes));
    ASSERT_NE(memory, nullptr);
    const size_t alignment = std::min(BuddyArena::BlockBytes(bytes), BuddyArena::kChunkBytes);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(memory) % alignment, 0u) << bytes;
    const auto mark = static_cast<uint8_t>(step);
    std::memset(memory, mark, bytes);
    held.push_back(Held{memory, bytes, mark});
  }
  while (!held.empty()) check_and_free(held.size() - 1);
  EXPECT_LE(arena.ChunkBytes(), BuddyArena::kChunkBytes);
}

// Small blocks given back merge, so that a chunk they filled serves one
// block of its whole size.
TEST(BuddyArena, FreedBuddiesServeALargerBlock) {
  BuddyArena arena;
  std::vector<void*> quarters;
  for (int i = 0; i < 4; ++i) quarters.push_back(arena.Allocate(BuddyArena::kChunkBytes / 4));
  ASSERT_EQ(arena.ChunkBytes(), BuddyArena::kChunkBytes);
  for (void* quarter : quarters) arena.Free(quarter, BuddyArena::kChunkBytes / 4);
  void* whole = arena.Allocate(BuddyArena::kChunkBytes);
  EXPECT_EQ(whole, *std::min_element(quarters.begin(), quarters.end()));
  EXPECT_EQ(arena.ChunkBytes(), BuddyArena::kChunkBytes);
  arena.Free(whole, BuddyArena::kChunkBytes);
}

}  // namespace
}  // namespace korav
