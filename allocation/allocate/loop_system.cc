#include "allocation/allocate/loop_system.h"

#include <cmath>
#include <utility>

namespace korav {
namespace {

// M of a dense system, every column solved once.
class DenseFullCosts : public LoopFullCosts {
 public:
  DenseFullCosts(const DenseSystem& system, size_t n) : n_(n), full_(n * n, 0.0) {
    for (size_t i = 0; i < n; ++i) {
      std::vector<double> unit(n, 0.0);
      unit[i] = 1.0;
      system.Solve(unit);
      for (size_t k = 0; k < n; ++k) full_[k * n + i] = unit[k];
    }
  }

  std::vector<double> PerUnitIn(size_t i) const override {
    std::vector<double> column(n_);
    for (size_t k = 0; k < n_; ++k) column[k] = full_[k * n_ + i];
    return column;
  }

  std::vector<double> PerUnitFor(size_t k) const override {
    const auto row = full_.begin() + static_cast<std::ptrdiff_t>(k * n_);
    return std::vector<double>(row, row + static_cast<std::ptrdiff_t>(n_));
  }

 private:
  size_t n_;
  std::vector<double> full_;  // M_ki at k * n + i
};

// M of a sparse system: a column is a solve for a unit of own cost, a row a
// solve of the transposed system, each as cheap as solving the loop once.
class SparseFullCosts : public LoopFullCosts {
 public:
  explicit SparseFullCosts(std::shared_ptr<const SparseSystem> system)
      : system_(std::move(system)) {}

  std::vector<double> PerUnitIn(size_t i) const override {
    std::vector<double> column = Unit(i);
    system_->Solve(column);
    return column;
  }

  std::vector<double> PerUnitFor(size_t k) const override {
    std::vector<double> row = Unit(k);
    system_->SolveTransposed(row);
    return row;
  }

 private:
  std::vector<double> Unit(size_t i) const {
    std::vector<double> unit(system_->size(), 0.0);
    unit[i] = 1.0;
    return unit;
  }

  std::shared_ptr<const SparseSystem> system_;
};

}  // namespace

// A negative share could leave a column without dominance, where
// elimination on the diagonal could fail or lose digits that partial
// pivoting keeps.
bool LoopSystem::SolvesSparsely(const std::vector<Link>& links, size_t n) {
  if (n <= kDenseLimit) return false;
  for (const Link& link : links) {
    if (!(link.propn >= 0)) return false;
  }
  return true;
}

bool LoopSystem::Factor(const std::vector<Link>& links, size_t n, bool sparse) {
  n_ = n;
  if (sparse) {
    std::vector<SparseSystem::Coefficient> coefficients;
    coefficients.reserve(n + links.size());
    for (size_t i = 0; i < n; ++i) coefficients.push_back({i, i, 1.0});
    for (const Link& link : links) coefficients.push_back({link.to, link.from, -link.propn});
    sparse_ = std::make_shared<SparseSystem>();
    return sparse_->Factor(coefficients, n);
  }
  sparse_.reset();
  std::vector<double> rows(n * n, 0.0);
  for (size_t i = 0; i < n; ++i) rows[i * n + i] = 1.0;
  for (const Link& link : links) rows[link.to * n + link.from] -= link.propn;
  return dense_.Factor(std::move(rows), n);
}

void LoopSystem::Solve(std::vector<double>& values) const {
  if (sparse_) {
    sparse_->Solve(values);
  } else {
    dense_.Solve(values);
  }
}

std::shared_ptr<const LoopFullCosts> LoopSystem::FullCosts() const {
  if (sparse_) return std::make_shared<SparseFullCosts>(sparse_);
  return std::make_shared<DenseFullCosts>(dense_, n_);
}

}  // namespace korav
