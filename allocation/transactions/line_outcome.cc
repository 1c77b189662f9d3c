#include "allocation/transactions/line_outcome.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/hash.h"

namespace korav {
namespace {

constexpr uint64_t kHighHalf = 0xFFFFFFFF00000000u;

// The fixed fields of a class, then its measure rows.
uint64_t HashOf(const LineOutcome& outcome) {
  const std::array<int32_t, 5> fields{outcome.negate ? 1 : 0, outcome.group, outcome.group_row,
                                      outcome.pool, outcome.pool_row};
  const uint64_t seed =
      HashBytes(std::string_view(reinterpret_cast<const char*>(fields.data()), sizeof fields));
  return HashBytes(std::string_view(reinterpret_cast<const char*>(outcome.measure_rows.data()),
                                    outcome.measure_rows.size() * sizeof(int32_t)),
                   seed);
}

}  // namespace

void LineOutcome::Clear() {
  codes.fill(0);
  accepted = false;
  rejection = 0;
  negate = false;
  group = group_row = pool = pool_row = 0;
  measure_rows.clear();
  messages.clear();
}

void LineClasses::Clear() {
  classes_.clear();
  measure_rows_.clear();
  slots_.Clear();
}

bool LineClasses::Matches(const LineClass& line_class, const LineOutcome& outcome) const {
  const std::span<const int32_t> rows = MeasureRows(line_class);
  return line_class.negate == outcome.negate && line_class.group == outcome.group &&
         line_class.group_row == outcome.group_row && line_class.pool == outcome.pool &&
         line_class.pool_row == outcome.pool_row &&
         std::equal(rows.begin(), rows.end(), outcome.measure_rows.begin(),
                    outcome.measure_rows.end());
}

int32_t LineClasses::Intern(const LineOutcome& outcome, bool owns_cell, bool not_selected) {
  const uint64_t hash = HashOf(outcome);
  const uint64_t tag = hash & kHighHalf;
  const uint64_t* found = slots_.Find(hash, [&](uint64_t slot) {
    return (slot & kHighHalf) == tag &&
           Matches((*this)[static_cast<int32_t>((slot & ~kHighHalf) - 1)], outcome);
  });
  if (found != nullptr) return static_cast<int32_t>((*found & ~kHighHalf) - 1);
  const int32_t number = static_cast<int32_t>(classes_.size());
  classes_.push_back(LineClass{outcome.negate, owns_cell, not_selected, outcome.group,
                               outcome.group_row, outcome.pool, outcome.pool_row,
                               static_cast<int32_t>(measure_rows_.size()),
                               static_cast<int32_t>(outcome.measure_rows.size())});
  measure_rows_.insert(measure_rows_.end(), outcome.measure_rows.begin(),
                       outcome.measure_rows.end());
  slots_.Insert(hash) = tag | (static_cast<uint64_t>(number) + 1);
  return number;
}

}  // namespace korav
