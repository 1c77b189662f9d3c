#include "allocation/allocate/dense_system.h"

#include <gtest/gtest.h>

#include <vector>

namespace korav {
namespace {

// A zero on the diagonal and small leading coefficients: eliminating
// without row swaps divides by zero or loses every digit.
TEST(DenseSystemTest, SolvesASystemThatNeedsPivoting) {
  const std::vector<double> rows = {0,     2, 1,  //
                                    1e-12, 1, 1,  //
                                    3,     1, 0};
  DenseSystem system;
  ASSERT_TRUE(system.Factor(rows, 3));
  const std::vector<double> solution = {1, -2, 4};
  for (int pass = 0; pass < 2; ++pass) {  // one factoring, several right-hand sides
    std::vector<double> values(3, 0);
    for (size_t r = 0; r < 3; ++r) {
      for (size_t c = 0; c < 3; ++c) values[r] += rows[r * 3 + c] * solution[c] * (pass + 1);
    }
    system.Solve(values);
    for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(values[c], solution[c] * (pass + 1), 1e-9) << c;
  }
}

TEST(DenseSystemTest, RefusesASingularMatrix) {
  DenseSystem system;
  // The third row is the sum of the first two.
  EXPECT_FALSE(system.Factor({1, 2, 3, 4, 5, 6, 5, 7, 9}, 3));
  // Only rounding keeps this one from being singular.
  EXPECT_FALSE(system.Factor({1, 1, 1, 1 + 1e-13}, 2));
  EXPECT_TRUE(system.Factor({1, 1, 1, 2}, 2));
}

}  // namespace
}  // namespace korav
