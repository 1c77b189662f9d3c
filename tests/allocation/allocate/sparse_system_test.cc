#include "allocation/allocate/sparse_system.h"

#include <gtest/gtest.h>

#include <vector>

namespace korav {
namespace {

using Coefficients = std::vector<SparseSystem::Coefficient>;

// A x for the n x n matrix of `coefficients`, or A transposed x.
std::vector<double> Times(const Coefficients& coefficients, const std::vector<double>& x,
                          bool transposed) {
  std::vector<double> product(x.size(), 0.0);
  for (const SparseSystem::Coefficient& c : coefficients) {
    if (transposed) {
      product[c.column] += c.value * x[c.row];
    } else {
      product[c.row] += c.value * x[c.column];
    }
  }
  return product;
}

// I - P transposed of five pools: a ring 0 -> 1 -> 2 -> 3 -> 4 -> 0 of
// shares 0.5, chords 0 -> 2 and 3 -> 1, a pool that keeps part of its own
// cost, and a duplicated line whose shares add up. Eliminating any pool
// first fills in coefficients between its neighbours.
const Coefficients kLoop = {{0, 0, 1},     {1, 1, 1},     {2, 2, 1},    {3, 3, 1},    {4, 4, 1},
                            {1, 0, -0.5},  {2, 1, -0.5},  {3, 2, -0.5}, {4, 3, -0.5}, {0, 4, -0.5},
                            {2, 0, -0.25}, {1, 3, -0.25}, {2, 2, -0.1}, {0, 4, -0.2}};

TEST(SparseSystemTest, SolvesTheSystemAndItsTranspose) {
  SparseSystem system;
  ASSERT_TRUE(system.Factor(kLoop, 5));
  const std::vector<double> solution = {3, -1, 4, 1.5, 9};
  for (const bool transposed : {false, true}) {
    std::vector<double> values = Times(kLoop, solution, transposed);
    if (transposed) {
      system.SolveTransposed(values);
    } else {
      system.Solve(values);
    }
    for (size_t i = 0; i < 5; ++i) EXPECT_NEAR(values[i], solution[i], 1e-12) << transposed << i;
  }
}

TEST(SparseSystemTest, RefusesASingularMatrix) {
  SparseSystem system;
  // Pools 0 and 1 send each other all their cost.
  EXPECT_FALSE(system.Factor({{0, 0, 1}, {1, 1, 1}, {1, 0, -1}, {0, 1, -1}}, 2));
  // Only rounding keeps this one from being singular.
  EXPECT_FALSE(system.Factor({{0, 0, 1}, {1, 1, 1}, {1, 0, -1}, {0, 1, -(1 - 1e-13)}}, 2));
  // A pool without a coefficient of its own.
  EXPECT_FALSE(system.Factor({{0, 0, 1}, {0, 1, -0.5}}, 2));
  EXPECT_TRUE(system.Factor({{0, 0, 1}, {1, 1, 1}, {1, 0, -1}, {0, 1, -0.5}}, 2));
}

}  // namespace
}  // namespace korav
