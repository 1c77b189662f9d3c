#include "common/field_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korav {
namespace {

// The slots 1..size() as strings, trailing empty slots dropped.
std::vector<std::string> Filled(const FieldTable& table) {
  std::vector<std::string> slots;
  for (int i = 1; i <= table.size(); ++i) slots.emplace_back(table[i]);
  while (!slots.empty() && slots.back().empty()) slots.pop_back();
  return slots;
}

std::vector<std::string> Csv(std::string_view line, int slots = kAllocationCsvSlots) {
  FieldTable table(slots);
  table.SplitCsv(line);
  return Filled(table);
}

using Fields = std::vector<std::string>;

TEST(SplitCsvTest, BlanksQuotesAndEmptyFields) {
  EXPECT_EQ(Csv("A, b ,\"c,d\",,e"), (Fields{"A", " b", "c,d", "", "e"}));
  EXPECT_EQ(Csv("A,b,"), (Fields{"A", "b"}));
  EXPECT_EQ(Csv("   ,\"x  \""), (Fields{"", "x"}));
}

TEST(SplitCsvTest, CharacterAfterClosingQuoteIsSkipped) {
  EXPECT_EQ(Csv("\"ab\"cd,e"), (Fields{"ab", "d", "e"}));
  EXPECT_EQ(Csv("\"a\"\"b\""), (Fields{"a", "b\""}));
}

TEST(SplitCsvTest, UnclosedQuoteLeavesTheLastCharacterOut) {
  EXPECT_EQ(Csv("\"abc"), (Fields{"ab", "c"}));
  EXPECT_EQ(Csv("\"ab,"), (Fields{"ab"}));
  FieldTable table(4);
  table.SplitCsv("a,\"");
  EXPECT_EQ(table[1], "a");
  EXPECT_EQ(table[2], "");
  table.SplitCsv("\"\"");
  EXPECT_EQ(table[1], "");
}

TEST(SplitCsvTest, BlankBeforeQuoteMakesFieldUnquoted) {
  EXPECT_EQ(Csv(" \"a,b\""), (Fields{" \"a", "b\""}));
}

TEST(SplitCsvTest, FieldsBeyondTheTableAreDropped) {
  std::string line;
  for (int i = 1; i <= 31; ++i) line.append(i > 1 ? "," : "").append(std::to_string(i));
  EXPECT_EQ(Csv(line, kEditorCsvSlots).size(), 30u);
  EXPECT_EQ(Csv(line, kEditorCsvSlots).back(), "30");
  EXPECT_EQ(Csv(line).size(), 15u);
  EXPECT_EQ(Csv(line).back(), "15");
}

TEST(SplitCsvTest, EverySplitRewritesEverySlot) {
  FieldTable table(kAllocationCsvSlots);
  table.SplitCsv("a,b,c,d");
  table.SplitCsv("x");
  EXPECT_EQ(Filled(table), (Fields{"x"}));
  table.SplitCsv("");
  EXPECT_TRUE(Filled(table).empty());
  EXPECT_EQ(table[0], "");
  EXPECT_EQ(table[16], "");
}

TEST(SplitSlashTest, NoQuotingAndItsOwnTableSize) {
  FieldTable slash(kAllocationSlashSlots);
  slash.SplitSlash("a//b");
  EXPECT_EQ(Filled(slash), (Fields{"a", "", "b"}));
  slash.SplitSlash("x/y/z/w");
  EXPECT_EQ(Filled(slash), (Fields{"x", "y", "z"}));
  slash.SplitSlash("\"p/q\" ");
  EXPECT_EQ(Filled(slash), (Fields{"\"p", "q\""}));
  slash.SplitSlash("");
  EXPECT_TRUE(Filled(slash).empty());
}

}  // namespace
}  // namespace korav
