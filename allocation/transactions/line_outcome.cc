#include "allocation/transactions/line_outcome.h"

#include <algorithm>

namespace korav {
namespace {

uint64_t HashOf(const LineOutcome& outcome) {
  uint64_t h = outcome.negate ? 1 : 0;
  const auto add = [&h](int32_t value) {
    h = (h ^ static_cast<uint32_t>(value)) * 0x9E3779B97F4A7C15u;
    h ^= h >> 29;
  };
  add(outcome.group);
  add(outcome.group_row);
  add(outcome.pool);
  add(outcome.pool_row);
  for (const int32_t row : outcome.measure_rows) add(row);
  return h;
}

size_t SlotOf(uint64_t hash, size_t slots) { return static_cast<size_t>(hash >> 32) & (slots - 1); }

}  // namespace

void LineOutcome::Clear() {
  codes.fill(0);
  accepted = false;
  negate = false;
  group = group_row = pool = pool_row = 0;
  measure_rows.clear();
  messages.clear();
}

LineClasses::LineClasses() { Clear(); }

void LineClasses::Clear() {
  classes_.clear();
  measure_rows_.clear();
  slots_.assign(64, 0);
}

bool LineClasses::Matches(const LineClass& line_class, const LineOutcome& outcome) const {
  const std::span<const int32_t> rows = MeasureRows(line_class);
  return line_class.negate == outcome.negate && line_class.group == outcome.group &&
         line_class.group_row == outcome.group_row && line_class.pool == outcome.pool &&
         line_class.pool_row == outcome.pool_row &&
         std::equal(rows.begin(), rows.end(), outcome.measure_rows.begin(),
                    outcome.measure_rows.end());
}

void LineClasses::Grow() {
  std::vector<uint64_t> old(slots_.size() * 2, 0);
  old.swap(slots_);
  for (const uint64_t value : old) {
    if (value == 0) continue;
    size_t slot = SlotOf(value, slots_.size());
    while (slots_[slot] != 0) slot = (slot + 1) & (slots_.size() - 1);
    slots_[slot] = value;
  }
}

int32_t LineClasses::Intern(const LineOutcome& outcome, bool owns_cell) {
  const uint64_t hash = HashOf(outcome);
  const uint64_t tag = hash & 0xFFFFFFFF00000000u;
  size_t slot = SlotOf(hash, slots_.size());
  for (; slots_[slot] != 0; slot = (slot + 1) & (slots_.size() - 1)) {
    if ((slots_[slot] & 0xFFFFFFFF00000000u) != tag) continue;
    const int32_t number = static_cast<int32_t>((slots_[slot] & 0xFFFFFFFFu) - 1);
    if (Matches((*this)[number], outcome)) return number;
  }
  const int32_t number = static_cast<int32_t>(classes_.size());
  classes_.push_back(LineClass{outcome.negate, owns_cell, outcome.group, outcome.group_row,
                               outcome.pool, outcome.pool_row,
                               static_cast<int32_t>(measure_rows_.size()),
                               static_cast<int32_t>(outcome.measure_rows.size())});
  measure_rows_.insert(measure_rows_.end(), outcome.measure_rows.begin(),
                       outcome.measure_rows.end());
  slots_[slot] = tag | (static_cast<uint64_t>(number) + 1);
  if (classes_.size() * 2 > slots_.size()) Grow();
  return number;
}

}  // namespace korav
