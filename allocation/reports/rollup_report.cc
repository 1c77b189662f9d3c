// The Cost Pool Rollup Report (26): each pool's value cube entries broken
// down by up to three dimensions at chosen hierarchy levels, as a
// control-break listing in which a group's row follows the rows of the
// groups inside it and shows what was entered at the group itself and what
// rolled up from everything below it.
//
// Entries are sorted by the hierarchy position of their value at each
// break's level; since every value sorts after its descendants, the entries
// of a group come together and its own entries come last. Entries with no
// value in a break's dimension sort first. At level 1 of the first break
// each row shows its own group only, and entries with no value there get one
// row with an empty code, so the level-1 rows add up to the pool's value.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

constexpr int kMaxBreaks = 3;
constexpr int kMaxBreakLevel = 9;

// A dimension and the hierarchy level at which it is broken down.
struct RollupBreakChoice {
  int32_t dimension = 0;
  int32_t level = 0;
};

// The accumulators of one break level.
struct GroupTotals {
  int32_t code = 0;  // the open group's value row; 0 for none
  double entered = 0;
  double rolled = 0;
};

class Rollup {
 public:
  Rollup(Engine& engine, std::vector<RollupBreakChoice> breaks)
      : engine_(engine), model_(engine.model), cube_(engine.cube), breaks_(std::move(breaks)) {}

  // Writes the group rows of pool `pool`.
  void WritePool(int32_t pool) {
    SortEntries(pool);
    for (auto& levels : totals_) levels.fill(GroupTotals{});
    const bool trace = engine_.options.slots[kTraceRollupOption].IsSet;
    for (int32_t position = 1; position <= sorted_.Count(); ++position) {
      const stTsortRec& item = sorted_.Item(position);
      const vcTEntry& entry = MakeCurrent(item.Number);
      if (trace) WriteTrace(item.Key, entry.Value);
      if (position == 1) {
        RollupStart();
      } else {
        BreakWhereGroupChanges();
      }
      Totals(Last(), Break(Last()).level).entered += entry.Value;
    }
    if (sorted_.Count() > 0) RollupBreak(0, 1);
  }

 private:
  // Fills the sorted list with pool `pool`'s entries keyed by the position of
  // their value at each break's level.
  void SortEntries(int32_t pool) {
    const EntryList& entries = cube_.PoolEntries(pool);
    sorted_.Init(static_cast<int32_t>(entries.size()), 0);
    for (const int32_t number : entries) {
      MakeCurrent(number);
      key_.clear();
      for (int b = 0; b <= Last(); ++b) AppendKeyPart(b);
      sorted_.Add(key_, number);
    }
    sorted_.Sort();
  }

  void AppendKeyPart(int b) {
    const RollupBreakChoice& chosen = Break(b);
    const TmyDIMH& dimension = model_.dimensions[static_cast<size_t>(chosen.dimension)];
    int32_t value = ValueOf(b);
    const TmyDIM& row = dimension.Values[value];
    if (value != 0 && row.Level >= chosen.level)
      value = row.Path[static_cast<size_t>(chosen.level)];
    AppendZeroPadded(key_, dimension.Values[value].HierarchyPos, dimension.KeyWidth);
  }

  const vcTEntry& MakeCurrent(int32_t number) {
    const vcTEntry& entry = cube_.Entry(number);
    cube_.Index1 = entry.Index1;
    cube_.Index2 = entry.Index2;
    cube_.vcDecomposeKey();
    return entry;
  }

  // The current entry's code number in break `b`'s dimension.
  int32_t ValueOf(int b) const { return cube_.Code[static_cast<size_t>(Break(b).dimension)]; }

  // The current entry's group at level `k` of break `b`: its value's
  // ancestor at that level, or 0 when the value lies above it or is absent.
  int32_t GroupOf(int b, int k) const {
    const int32_t value = ValueOf(b);
    if (value == 0) return 0;
    const TmyDIM& row = DimensionOf(b).Values[value];
    return row.Level >= k ? row.Path[static_cast<size_t>(k)] : 0;
  }

  void RollupStart() {
    for (int b = 0; b <= Last(); ++b) {
      for (int k = 1; k <= Break(b).level; ++k) Totals(b, k).code = GroupOf(b, k);
    }
  }

  // Closes the groups from the first break level, outermost first, at which
  // the current entry no longer belongs to the open group. Leaving the group
  // of entries without a value counts as a change too: otherwise every group
  // after it would be taken into it.
  void BreakWhereGroupChanges() {
    for (int b = 0; b <= Last(); ++b) {
      for (int k = 1; k <= Break(b).level; ++k) {
        if (Totals(b, k).code != GroupOf(b, k)) return RollupBreak(b, k);
      }
    }
  }

  // Closes the groups of break `a` from level `k0` down and every group of
  // the breaks after it, innermost first, and opens the current entry's.
  void RollupBreak(int a, int k0) {
    for (int b = Last(); b >= a; --b) {
      const int start = b == a ? k0 : 1;
      for (int k = Break(b).level; k >= start; --k) {
        GroupTotals& group = Totals(b, k);
        const bool valueless_top = b == 0 && k == 1 && group.code == 0;
        if (group.code != 0 || valueless_top) {
          group.rolled += group.entered;
          WriteGroupRow(b, k, group);
          group.entered = 0;
        }
        if (k > 1) {
          PassUp(group, Totals(b, k - 1));
        } else if (b > 0) {
          PassUp(group, Totals(b - 1, Break(b - 1).level));
        } else {
          group = GroupTotals{};
        }
        group.code = GroupOf(b, k);
      }
    }
  }

  static void PassUp(GroupTotals& from, GroupTotals& to) {
    to.entered += from.entered;
    to.rolled += from.rolled;
    from.entered = 0;
    from.rolled = 0;
  }

  void WriteGroupRow(int b, int k, const GroupTotals& group) {
    static constexpr std::array<std::string_view, kMaxBreaks> kPrefix{",", ",,,", ",,,,,"};
    static constexpr std::array<std::string_view, kMaxBreaks> kFiller{",,,,,", ",,,", ","};
    std::string line(kPrefix[static_cast<size_t>(b)]);
    line.append(static_cast<size_t>(2 * (k - 1)), ' ');
    if (group.code != 0) {
      const TmyDIM& value = DimensionOf(b).Values[group.code];
      line += value.Code + "," + value.Description;
    } else {
      line += ",";
    }
    line += kFiller[static_cast<size_t>(b)];
    line += FormatFixed2(group.entered) + "," + FormatFixed2(group.rolled);
    engine_.report_output.WriteLine(line);
  }

  void WriteTrace(const std::string& key, double value) {
    std::string line = "TR " + key + "," + FormatFixed2(value);
    for (int d = 1; d <= cube_.DimCount(); ++d) {
      line += ',';
      const int32_t code = cube_.Code[static_cast<size_t>(d)];
      if (code != 0) line += model_.dimensions[static_cast<size_t>(d)].Values[code].Code;
    }
    engine_.report_output.WriteLine(line);
  }

  int Last() const { return static_cast<int>(breaks_.size()) - 1; }
  const RollupBreakChoice& Break(int b) const { return breaks_[static_cast<size_t>(b)]; }
  const TmyDIMH& DimensionOf(int b) const {
    return model_.dimensions[static_cast<size_t>(Break(b).dimension)];
  }
  GroupTotals& Totals(int b, int k) {
    return totals_[static_cast<size_t>(b)][static_cast<size_t>(k)];
  }

  Engine& engine_;
  const ModelTables& model_;
  ValueCube& cube_;
  std::vector<RollupBreakChoice> breaks_;
  std::array<std::array<GroupTotals, kMaxBreakLevel + 1>, kMaxBreaks> totals_{};
  stTsortObj sorted_{stTsortObj::Growth::kSizedOnce};
  std::string key_;
};

// The breaks of columns 7 to 12: a second break when column 9 names a
// dimension, a third when column 11 does too.
std::vector<RollupBreakChoice> ReadBreaks(const Engine& engine) {
  std::vector<RollupBreakChoice> breaks;
  for (int b = 0; b < kMaxBreaks; ++b) {
    const int column = 7 + 2 * b;
    RollupBreakChoice chosen{IntOr(engine.csv[column], 0), IntOr(engine.csv[column + 1], 0)};
    if (b > 0 && chosen.dimension == 0) break;
    chosen.level = std::min(chosen.level, kMaxBreakLevel);
    breaks.push_back(chosen);
  }
  return breaks;
}

// Logs each break that names no dimension of the model or no level, and
// returns true when there is none.
bool BreaksValid(Engine& engine, const std::vector<RollupBreakChoice>& breaks) {
  bool valid = true;
  for (size_t b = 0; b < breaks.size(); ++b) {
    const RollupBreakChoice& chosen = breaks[b];
    if (chosen.dimension >= 1 && chosen.dimension <= engine.model.dimension_count &&
        chosen.level >= 1) {
      continue;
    }
    engine.LogLine("e404 REP; Rollup break not valid; give a dimension number from 1 to " +
                   std::to_string(engine.model.dimension_count) +
                   " and a level from 1 to 9; Break=" + std::to_string(b + 1) + " Dim=" +
                   std::to_string(chosen.dimension) + " Level=" + std::to_string(chosen.level));
    valid = false;
  }
  return valid;
}

}  // namespace

void WriteRollupReport(Engine& engine) {
  SetReportRanges(engine);
  std::vector<RollupBreakChoice> breaks = ReadBreaks(engine);
  if (breaks[0].dimension == 0 || breaks[0].level == 0) {
    engine.report_output.WriteLine("Selection of first break is empty");
    return;
  }
  WriteReportTitle(engine, "Cost Pool Rollup Report; ");
  const bool valid = BreaksValid(engine, breaks);
  Rollup rollup(engine, std::move(breaks));
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const int32_t row = codes.Item(position).Number;
    const TmyCP& pool = engine.model.pools[row];
    if (!InReportRange(engine, pool)) continue;
    engine.report_output.WriteLine("CP," + pool.Code + "," + Quoted(pool.Description) + ",,,,,," +
                                   FormatFixed2(pool.Value));
    engine.report_output.WriteLine(
        ",Code,Description,Code,Description,Code,Description,Entered Value,Rolled Up Value");
    if (valid) rollup.WritePool(row);
  }
}

}  // namespace korav
