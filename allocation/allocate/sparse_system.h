// A sparse system of linear equations whose matrix is column diagonally
// dominant with a positive diagonal and no positive coefficient off it, as
// I - P transposed is when P holds the shares that pools send each other
// and none sends out more than its whole cost. Gaussian elimination needs
// no row exchanges on such a matrix: every pivot is taken on the diagonal,
// stays positive and is zero only when the matrix is singular. The order of
// the pivots is chosen as the elimination goes (the one whose row and column
// hold the fewest coefficients first), so that a ring or any loop of few
// lines per pool fills in little. Factored once, then solved for as many
// right-hand sides as needed, and for its transpose as well.
#ifndef KORAV_ALLOCATION_ALLOCATE_SPARSE_SYSTEM_H_
#define KORAV_ALLOCATION_ALLOCATE_SPARSE_SYSTEM_H_

#include <cstddef>
#include <utility>
#include <vector>

namespace korav {

class SparseSystem {
 public:
  struct Coefficient {
    size_t row = 0;
    size_t column = 0;
    double value = 0;  // coefficients of the same row and column add up
  };

  // Factors the n x n matrix of `coefficients`. False when it is singular:
  // a pivot falls below 1e-9 times the largest coefficient, as for
  // DenseSystem, so the equations have no single solution.
  bool Factor(const std::vector<Coefficient>& coefficients, size_t n);
  // Replaces `values`, the right-hand side, by the solution. Factor must
  // have succeeded for a matrix of values.size() rows.
  void Solve(std::vector<double>& values) const;
  // The same for the transposed matrix.
  void SolveTransposed(std::vector<double>& values) const;

  size_t size() const { return pivots_.size(); }

 private:
  using Entries = std::vector<std::pair<size_t, double>>;

  // Row and column of pivot k are pivots_[k]; its row's multiples taken
  // from the rows eliminated after it are lower_[k] (row, factor), and its
  // row's coefficients in the columns eliminated after it are upper_[k].
  std::vector<size_t> pivots_;
  std::vector<double> diagonal_;
  std::vector<Entries> lower_;
  std::vector<Entries> upper_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_SPARSE_SYSTEM_H_
