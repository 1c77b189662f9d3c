#include "allocation/allocate/dense_system.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace korav {

bool DenseSystem::Factor(std::vector<double> rows, size_t n) {
  n_ = n;
  lu_ = std::move(rows);
  pivots_.assign(n, 0);
  double largest = 0;
  for (const double a : lu_) largest = std::max(largest, std::fabs(a));
  const double tiny = 1e-9 * largest;
  for (size_t k = 0; k < n; ++k) {
    size_t pivot = k;
    for (size_t r = k + 1; r < n; ++r) {
      if (std::fabs(lu_[r * n + k]) > std::fabs(lu_[pivot * n + k])) pivot = r;
    }
    if (!(std::fabs(lu_[pivot * n + k]) > tiny)) return false;
    pivots_[k] = pivot;
    if (pivot != k) {
      std::swap_ranges(lu_.begin() + static_cast<std::ptrdiff_t>(k * n),
                       lu_.begin() + static_cast<std::ptrdiff_t>((k + 1) * n),
                       lu_.begin() + static_cast<std::ptrdiff_t>(pivot * n));
    }
    for (size_t r = k + 1; r < n; ++r) {
      const double factor = lu_[r * n + k] / lu_[k * n + k];
      lu_[r * n + k] = factor;
      if (factor == 0) continue;
      for (size_t c = k + 1; c < n; ++c) lu_[r * n + c] -= factor * lu_[k * n + c];
    }
  }
  return true;
}

void DenseSystem::Solve(std::vector<double>& values) const {
  const size_t n = n_;
  // The rows were swapped whole, so the factors below the diagonal follow
  // their rows: the right-hand side takes every swap before the elimination.
  for (size_t k = 0; k < n; ++k) std::swap(values[k], values[pivots_[k]]);
  for (size_t k = 0; k < n; ++k) {
    for (size_t r = k + 1; r < n; ++r) values[r] -= lu_[r * n + k] * values[k];
  }
  for (size_t k = n; k-- > 0;) {
    double sum = values[k];
    for (size_t c = k + 1; c < n; ++c) sum -= lu_[k * n + c] * values[c];
    values[k] = sum / lu_[k * n + k];
  }
}

}  // namespace korav
