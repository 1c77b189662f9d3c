#include "allocation/cube/cell_sums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "common/exact_sum.h"

namespace korav {
namespace {

Amount Read(const char* text) {
  Amount amount;
  EXPECT_TRUE(ParseAmount(text, amount)) << text;
  return amount;
}

// A cube of one pool and one dimension whose entries 0, 1 and 2 are the
// pool's cells of values 1, 2 and 3.
class CellSumsTest : public ::testing::Test {
 protected:
  CellSumsTest() {
    model_.dimension_count = 1;
    model_.dimensions[1].Values.Size(3);
    for (int i = 0; i < 3; ++i) model_.dimensions[1].Values.Append();
    model_.pools.Size(1);
    model_.pools.Append();
    cube_.vcCreate(model_);
    cube_.vcSplit();
    for (int32_t code = 1; code <= 3; ++code) {
      cube_.Code[1] = code;
      cube_.vcComposeKey();
      cube_.CurCP = 1;
      cube_.vcAdd(99);
    }
  }

  ModelTables model_;
  ValueCube cube_;
  CellSums sums_;
};

// Sums beyond 64 bits of millionths, and amounts with more decimals, move
// to the entry's full sum and stay what they are.
TEST_F(CellSumsTest, SumsBeyondSixtyFourBitsOrSixDecimalsKeepTheirValue) {
  sums_.Add(0, Read("9000000000000"));
  sums_.Add(0, Read("9000000000000"));
  sums_.AddMicros(0, 500000);
  sums_.Add(1, Read("0.1234567"));
  sums_.Add(1, Read("1"));
  sums_.AddMicros(2, std::numeric_limits<int64_t>::max());
  sums_.AddMicros(2, 1);
  sums_.Store(cube_);
  EXPECT_EQ(cube_.Entry(0).Value, 18000000000000.5);
  EXPECT_EQ(cube_.Entry(1).Value, 0.1234567 + 1.0);
  EXPECT_EQ(cube_.Entry(2).Value, 9223372036854.775808);
  EXPECT_EQ(sums_.Value(2), 9223372036854.775808);
}

// After the allocation the sums start from the entries as they stand.
TEST_F(CellSumsTest, AfterTheReleaseSumsResumeFromTheCube) {
  sums_.Add(0, Read("1.5"));
  sums_.Store(cube_);
  sums_.Release();
  EXPECT_TRUE(sums_.Released());
  sums_.Resume(cube_);
  EXPECT_FALSE(sums_.Released());
  sums_.Add(0, Read("0.25"));
  sums_.Add(2, Read("-1"));
  sums_.Store(cube_);
  EXPECT_EQ(cube_.Entry(0).Value, 1.75);
  EXPECT_EQ(cube_.Entry(1).Value, 99) << "an entry no amount reached keeps its value";
  EXPECT_EQ(cube_.Entry(2).Value, 98);
}

}  // namespace
}  // namespace korav
