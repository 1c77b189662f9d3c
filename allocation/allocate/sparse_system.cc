#include "allocation/allocate/sparse_system.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>
#include <unordered_map>

namespace korav {
namespace {

// The matrix while it is being eliminated: the rows not yet taken as pivot
// rows, and for each column the rows that hold a coefficient in it.
class ActiveMatrix {
 public:
  ActiveMatrix(const std::vector<SparseSystem::Coefficient>& coefficients, size_t n)
      : rows_(n), columns_(n), column_counts_(n, 0), eliminated_(n, false) {
    for (const SparseSystem::Coefficient& c : coefficients) Add(c.row, c.column, c.value);
    for (size_t i = 0; i < n; ++i) Push(i);
  }

  // The next pivot: the one whose elimination updates the fewest
  // coefficients, (row count - 1) x (column count - 1), lowest index on a tie.
  size_t NextPivot() {
    for (;;) {
      const auto [cost, i] = queue_.top();
      queue_.pop();
      if (!eliminated_[i] && cost == Cost(i)) return i;
    }
  }

  // Eliminates pivot p: subtracts multiples of row p from every row that
  // holds a coefficient in column p. Fills in the factors of step p.
  void Eliminate(size_t p, double pivot, std::vector<std::pair<size_t, double>>& lower,
                 std::vector<std::pair<size_t, double>>& upper) {
    eliminated_[p] = true;
    std::unordered_map<size_t, double>& row = rows_[p];
    row.erase(p);
    upper.assign(row.begin(), row.end());
    for (const auto& [column, value] : upper) --column_counts_[column];
    for (const size_t r : columns_[p]) {
      if (eliminated_[r]) continue;
      const auto entry = rows_[r].find(p);
      const double factor = entry->second / pivot;
      rows_[r].erase(entry);
      lower.emplace_back(r, factor);
      if (factor == 0) continue;
      for (const auto& [column, value] : upper) Add(r, column, -factor * value);
    }
    for (const auto& [r, factor] : lower) Push(r);
    for (const auto& [column, value] : upper) Push(column);
    std::unordered_map<size_t, double>().swap(row);
    std::vector<size_t>().swap(columns_[p]);
  }

  // The coefficient of row p in column p; 0 when it has none.
  double Diagonal(size_t p) const {
    const auto entry = rows_[p].find(p);
    return entry == rows_[p].end() ? 0.0 : entry->second;
  }

 private:
  void Add(size_t row, size_t column, double value) {
    const auto [entry, inserted] = rows_[row].try_emplace(column, 0.0);
    entry->second += value;
    if (inserted) {
      columns_[column].push_back(row);
      ++column_counts_[column];
    }
  }

  size_t Cost(size_t i) const {
    const size_t in_row = rows_[i].size();
    const size_t in_column = column_counts_[i];
    return (in_row > 0 ? in_row - 1 : 0) * (in_column > 0 ? in_column - 1 : 0);
  }

  void Push(size_t i) {
    if (!eliminated_[i]) queue_.emplace(Cost(i), i);
  }

  std::vector<std::unordered_map<size_t, double>> rows_;
  std::vector<std::vector<size_t>> columns_;
  std::vector<size_t> column_counts_;  // rows not yet eliminated with a coefficient there
  std::vector<bool> eliminated_;
  // (cost, pivot), smallest first; an entry whose cost changed since is stale.
  std::priority_queue<std::pair<size_t, size_t>, std::vector<std::pair<size_t, size_t>>,
                      std::greater<>>
      queue_;
};

}  // namespace

bool SparseSystem::Factor(const std::vector<Coefficient>& coefficients, size_t n) {
  pivots_.clear();
  diagonal_.clear();
  lower_.assign(n, {});
  upper_.assign(n, {});
  double largest = 0;
  for (const Coefficient& c : coefficients) largest = std::max(largest, std::fabs(c.value));
  const double tiny = 1e-9 * largest;
  ActiveMatrix matrix(coefficients, n);
  for (size_t k = 0; k < n; ++k) {
    const size_t p = matrix.NextPivot();
    const double pivot = matrix.Diagonal(p);
    if (!(std::fabs(pivot) > tiny)) {
      pivots_.clear();
      return false;
    }
    pivots_.push_back(p);
    diagonal_.push_back(pivot);
    matrix.Eliminate(p, pivot, lower_[k], upper_[k]);
  }
  return true;
}

void SparseSystem::Solve(std::vector<double>& values) const {
  const size_t n = pivots_.size();
  for (size_t k = 0; k < n; ++k) {
    const double value = values[pivots_[k]];
    if (value == 0) continue;
    for (const auto& [row, factor] : lower_[k]) values[row] -= factor * value;
  }
  for (size_t k = n; k-- > 0;) {
    double sum = values[pivots_[k]];
    for (const auto& [column, coefficient] : upper_[k]) sum -= coefficient * values[column];
    values[pivots_[k]] = sum / diagonal_[k];
  }
}

void SparseSystem::SolveTransposed(std::vector<double>& values) const {
  const size_t n = pivots_.size();
  for (size_t k = 0; k < n; ++k) {
    const double value = values[pivots_[k]] / diagonal_[k];
    values[pivots_[k]] = value;
    if (value == 0) continue;
    for (const auto& [column, coefficient] : upper_[k]) values[column] -= coefficient * value;
  }
  for (size_t k = n; k-- > 0;) {
    double sum = values[pivots_[k]];
    for (const auto& [row, factor] : lower_[k]) sum -= factor * values[row];
    values[pivots_[k]] = sum;
  }
}

}  // namespace korav
