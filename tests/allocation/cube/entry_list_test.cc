#include "allocation/cube/entry_list.h"

#include <gtest/gtest.h>

#include <numeric>
#include <utility>
#include <vector>

namespace korav {
namespace {

// Lists that grow past a chunk of the arena and are moved keep every number
// in order, and give their memory back.
TEST(EntryList, GrowsAndMovesWithItsNumbers) {
  BuddyArena arena;
  {
    EntryList first(arena);
    EntryList second(arena);
    second.reserve(300);
    const int32_t count = 700000;  // 2.8 MB, past one chunk
    for (int32_t n = 0; n < count; ++n) {
      first.push_back(n);
      if (n % 7 == 0) second.push_back(-n);
    }
    EXPECT_GE(second.capacity(), 300u);
    std::vector<int32_t> expected(static_cast<size_t>(count));
    std::iota(expected.begin(), expected.end(), 0);
    EntryList moved(std::move(first));
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(std::vector<int32_t>(moved.begin(), moved.end()), expected);
    second = std::move(moved);
    EXPECT_EQ(second.size(), expected.size());
    EXPECT_EQ(second[12345], 12345);
  }
  EXPECT_LE(arena.ChunkBytes(), BuddyArena::kChunkBytes);
}

}  // namespace
}  // namespace korav
