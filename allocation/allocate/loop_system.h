// The equations of pools (or of their cells) that send each other shares:
// x = b + P transposed x, x each one's full cost, b its own cost, P the
// shares, P_ft the part of f's full cost that f sends to t. Factored once,
// then solved for as many own costs as needed.
//
// Small systems, and those with a negative share, are solved densely by
// Gaussian elimination with partial pivoting (DenseSystem); the figures of
// every loop of up to kDenseLimit members therefore stay what they always
// were. Larger systems whose shares are all positive are column diagonally
// dominant and solved by sparse elimination (SparseSystem), in time and
// memory that grow with the shares and their fill-in rather than with n^2
// and n^3. Both refuse a singular system the same way: a pivot below 1e-9
// times the largest coefficient.
#ifndef KORAV_ALLOCATION_ALLOCATE_LOOP_SYSTEM_H_
#define KORAV_ALLOCATION_ALLOCATE_LOOP_SYSTEM_H_

#include <cstddef>
#include <memory>
#include <vector>

#include "allocation/allocate/dense_system.h"
#include "allocation/allocate/sparse_system.h"
#include "allocation/state/solved_loop.h"

namespace korav {

class LoopSystem {
 public:
  // Loops of up to this many members are solved densely.
  static constexpr size_t kDenseLimit = 64;

  struct Link {
    size_t from = 0;
    size_t to = 0;
    double propn = 0;
  };

  // Whether a system of `n` unknowns over `links` is solved sparsely.
  static bool SolvesSparsely(const std::vector<Link>& links, size_t n);

  // Factors I - P transposed for `n` unknowns over `links`, sparsely or
  // densely as `sparse` says. False when the system has no single solution.
  bool Factor(const std::vector<Link>& links, size_t n, bool sparse);
  // Replaces `values`, the own costs, by the full costs.
  void Solve(std::vector<double>& values) const;

  bool sparse() const { return sparse_ != nullptr; }

  // M of the factored system, for the reports: worked out whole when the
  // system is dense, column by column on demand when it is sparse.
  std::shared_ptr<const LoopFullCosts> FullCosts() const;

 private:
  size_t n_ = 0;
  DenseSystem dense_;
  std::shared_ptr<SparseSystem> sparse_;  // shared with the full costs handed out
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_LOOP_SYSTEM_H_
