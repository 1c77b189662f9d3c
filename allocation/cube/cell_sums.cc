#include "allocation/cube/cell_sums.h"

#include <limits>

namespace korav {
namespace {

bool FitsIn64Bits(Int128 micros) {
  return micros >= std::numeric_limits<int64_t>::min() &&
         micros <= std::numeric_limits<int64_t>::max();
}

}  // namespace

void CellSums::Add(int32_t entry, const Amount& amount) {
  Reach(entry);
  int64_t& micros = micros_[static_cast<size_t>(entry)];
  int64_t sum = 0;
  if (amount.exact && FitsIn64Bits(amount.micros) &&
      !__builtin_add_overflow(micros, static_cast<int64_t>(amount.micros), &sum)) {
    micros = sum;
    return;
  }
  Spill(entry, amount);
}

void CellSums::AddMicros(int32_t entry, int64_t micros) {
  Reach(entry);
  int64_t& held = micros_[static_cast<size_t>(entry)];
  int64_t sum = 0;
  if (!__builtin_add_overflow(held, micros, &sum)) {
    held = sum;
    return;
  }
  Spill(entry, MicrosAmount(micros));
}

void CellSums::Spill(int32_t entry, const Amount& amount) {
  int64_t& micros = micros_[static_cast<size_t>(entry)];
  ExactSum& sum = spilled_[entry];
  sum.Add(MicrosAmount(micros));
  sum.Add(amount);
  micros = 0;
}

double CellSums::Value(int32_t entry) const {
  const size_t n = static_cast<size_t>(entry);
  const int64_t micros = n < micros_.size() ? micros_[n] : 0;
  double value = ExactSum::MicrosToDouble(micros);
  if (const auto spilled = spilled_.find(entry); spilled != spilled_.end()) {
    ExactSum sum = spilled->second;
    sum.Add(MicrosAmount(micros));
    value = sum.Value();
  }
  return n < start_.size() ? start_[n] + value : value;
}

void CellSums::Store(ValueCube& cube) const {
  for (size_t n = 0; n < micros_.size(); ++n) {
    const double value = ExactSum::MicrosToDouble(micros_[n]);
    cube.SetEntryValue(static_cast<int32_t>(n), n < start_.size() ? start_[n] + value : value);
  }
  for (const auto& [entry, sum] : spilled_) cube.SetEntryValue(entry, Value(entry));
}

void CellSums::Clear() {
  micros_ = {};
  spilled_ = {};
  start_ = {};
  released_ = false;
}

void CellSums::Release() {
  Clear();
  released_ = true;
}

void CellSums::Resume(const ValueCube& cube) {
  Clear();
  const int32_t entries = cube.EntryCount();
  start_.reserve(static_cast<size_t>(entries));
  for (int32_t n = 0; n < entries; ++n) start_.push_back(cube.Entry(n).Value);
  micros_.assign(start_.size(), 0);
}

}  // namespace korav
