#include "allocation/cube/entry_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace korav {
namespace {

std::vector<int32_t> Numbers(const EntryList& list) {
  std::vector<int32_t> numbers;
  for (const int32_t n : list) numbers.push_back(n);
  return numbers;
}

// Runs, single numbers and a mix read back as appended; a list of runs
// takes a few words however long they are.
TEST(EntryList, ReadsBackWhatWasAppended) {
  std::vector<int32_t> runs;  // two runs past a chunk of the arena
  for (int32_t n = 0; n < 700000; ++n) runs.push_back(n);
  for (int32_t n = 700002; n < 1400000; ++n) runs.push_back(n);
  const std::vector<int32_t> cases[] = {
      {}, {5}, {0, 1}, {3, 7, 8, 9, 11, 20, 21}, {1, 3, 5}, {0, 2, 3, 4}, {9, 10, 11, 13}, runs,
  };
  BuddyArena arena;
  for (const std::vector<int32_t>& numbers : cases) {
    EntryList list(arena);
    for (const int32_t n : numbers) list.push_back(n);
    EXPECT_EQ(Numbers(list), numbers);
    EXPECT_EQ(list.size(), numbers.size());
    // The walk by runs visits the same numbers, and is told each run's start
    // before it gets there.
    std::vector<int32_t> visited;
    std::vector<int32_t> told;
    list.ForEach<2>([&](int32_t n) { visited.push_back(n); },
                    [&](int32_t start) { told.push_back(start); });
    EXPECT_EQ(visited, numbers);
    for (size_t i = 0; i < numbers.size(); ++i) {
      if (i == 0 || numbers[i] != numbers[i - 1] + 1) {
        EXPECT_NE(std::find(told.begin(), told.end(), numbers[i]), told.end()) << numbers[i];
      }
    }
  }
  EntryList long_runs(arena);
  for (const int32_t n : runs) long_runs.push_back(n);
  EXPECT_EQ(long_runs.CapacityBytes(), 256u);
  EntryList moved(std::move(long_runs));
  EXPECT_TRUE(long_runs.empty());
  EXPECT_EQ(Numbers(moved), runs);
}

// A walk that reached the end goes on to what is appended after, whether it
// lengthens the last run or starts another.
TEST(EntryList, ACursorReachesNumbersAppendedLater) {
  BuddyArena arena;
  EntryList list(arena);
  EntryList::Cursor cursor;
  std::vector<int32_t> walked;
  const auto walk = [&] {
    for (int32_t n = 0; list.Next(cursor, n);) walked.push_back(n);
  };
  for (const std::vector<int32_t>& more :
       std::vector<std::vector<int32_t>>{{4}, {5}, {6, 7}, {9}, {10, 12}, {13, 14, 15}}) {
    for (const int32_t n : more) list.push_back(n);
    walk();
  }
  EXPECT_EQ(walked, (std::vector<int32_t>{4, 5, 6, 7, 9, 10, 12, 13, 14, 15}));
  EXPECT_EQ(Numbers(list), walked);
}

}  // namespace
}  // namespace korav
