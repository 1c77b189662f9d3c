// A small dense system of linear equations, solved by Gaussian elimination
// with partial pivoting: factored once, then solved for as many right-hand
// sides as needed.
#ifndef KORAV_ALLOCATION_ALLOCATE_DENSE_SYSTEM_H_
#define KORAV_ALLOCATION_ALLOCATE_DENSE_SYSTEM_H_

#include <cstddef>
#include <vector>

namespace korav {

class DenseSystem {
 public:
  // Factors the n x n matrix `rows` (row by row). False when the matrix is
  // singular: a pivot falls below 1e-9 times the largest coefficient, so the
  // equations have no single solution.
  bool Factor(std::vector<double> rows, size_t n);
  // Replaces `values`, the right-hand side, by the solution. Factor must
  // have succeeded for a matrix of values.size() rows.
  void Solve(std::vector<double>& values) const;

 private:
  size_t n_ = 0;
  std::vector<double> lu_;      // the factors, row by row
  std::vector<size_t> pivots_;  // the row swapped into each position
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_DENSE_SYSTEM_H_
