#include "common/sorted_list.h"

#include <gtest/gtest.h>

#include <string>

namespace korav {
namespace {

stTsortObj Sorted(std::initializer_list<std::pair<const char*, int>> entries) {
  stTsortObj list(stTsortObj::Growth::kSizedOnce);
  list.Init(static_cast<int32_t>(entries.size()), 0);
  for (const auto& [key, number] : entries) list.Add(key, number);
  list.Sort();
  return list;
}

TEST(SortedListTest, OrdersByUnsignedBytesWithPrefixesFirst) {
  const stTsortObj list = Sorted({{"a", 1}, {"B", 2}, {"A10", 3}, {"A1", 4}, {"\xE9t\xE9", 5}});
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Item(1).Key, "A1");
  EXPECT_EQ(list.Item(2).Key, "A10");
  EXPECT_EQ(list.Item(3).Key, "B");
  EXPECT_EQ(list.Item(4).Key, "a");
  EXPECT_EQ(list.Item(5).Key, "\xE9t\xE9");  // above every ASCII byte
}

TEST(SortedListTest, FindsNumbersAndPositions) {
  const stTsortObj list = Sorted({{"CP3", 30}, {"CP1", 10}, {"CP2", 20}});
  EXPECT_EQ(list.Find("CP2"), 20);
  EXPECT_EQ(list.FindPosition("CP2"), 2);
  EXPECT_EQ(list.Find("CP"), -1);
  EXPECT_EQ(list.Find("CP4"), -1);
  EXPECT_EQ(list.Find("A"), -1);
  EXPECT_EQ(list.FindPosition("CP0"), -1);
}

TEST(SortedListTest, EmptyKeyIsNeverFound) {
  const stTsortObj list = Sorted({{"", 1}, {"x", 2}});
  EXPECT_EQ(list.Find(""), -1);
  EXPECT_EQ(Sorted({}).Find("x"), -1);
}

TEST(SortedListTest, SingleEntryNeedsNoSort) {
  stTsortObj list(stTsortObj::Growth::kSizedOnce);
  list.Init(1, 0);
  list.Add("only", 7);
  EXPECT_EQ(list.Find("only"), 7);
}

TEST(SortedListTest, DuplicatesFindTheLowestPosition) {
  // Many equal keys around other keys: whichever of the equal entries ends up
  // first after sorting is the one found, and it is the first of them.
  stTsortObj list(stTsortObj::Growth::kSizedOnce);
  list.Init(40, 0);
  for (int i = 1; i <= 40; ++i)
    list.Add(i % 3 == 0 ? "dup" : std::string("k").append(std::to_string(i)), i);
  list.Sort();
  const int32_t position = list.FindPosition("dup");
  ASSERT_GT(position, 0);
  EXPECT_NE(list.Item(position - 1).Key, "dup");
  EXPECT_EQ(list.Find("dup"), list.Item(position).Number);
  for (int32_t i = 2; i <= list.Count(); ++i) EXPECT_LE(list.Item(i - 1).Key, list.Item(i).Key);
}

TEST(SortedListTest, LargeReverseInputIsSortedAndSearchable) {
  stTsortObj list(stTsortObj::Growth::kSizedOnce);
  list.Init(1000, 0);
  for (int i = 1000; i >= 1; --i) {
    char key[8];
    std::snprintf(key, sizeof key, "%04d", i);
    list.Add(key, i);
  }
  list.Sort();
  for (int i = 1; i <= 1000; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%04d", i);
    ASSERT_EQ(list.Find(key), i);
    ASSERT_EQ(list.FindPosition(key), i);
  }
}

TEST(SortedListTest, SizedOnceListRefusesToOverflow) {
  stTsortObj list(stTsortObj::Growth::kSizedOnce);
  list.Init(2, 5);
  EXPECT_TRUE(list.Add("a", 1));
  EXPECT_TRUE(list.Add("b", 2));
  EXPECT_FALSE(list.Add("c", 3));
  EXPECT_EQ(list.Count(), 2);
  // Refilling a list that holds entries with a larger capacity grows it by
  // the step as well.
  list.Init(4, 5);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 9);
}

TEST(SortedListTest, GrowingListGrowsByItsStep) {
  stTsortObj list(stTsortObj::Growth::kGrowing);
  list.Init(2, 100);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(list.Add(std::string("k").append(std::to_string(i)), i));
  EXPECT_EQ(list.Capacity(), 102);
  // Refilling keeps the storage of a list that holds entries.
  list.Init(1, 100);
  EXPECT_EQ(list.Capacity(), 102);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace korav
