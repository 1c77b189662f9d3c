// The Cost Pool Input Contribution Report (21) and the Cost Pool Final
// Contribution Report (22): where the cost of each input pool ends up among
// the final pools, and where the cost of each final pool came from among the
// input pools, found by walking the pools' base lines with the proportions
// that the allocation stored on them.
#include <string>
#include <vector>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

constexpr int32_t kInputStage = 1;
constexpr int32_t kFinalStage = 3;

double ShareOf(double part, double whole) { return whole != 0 ? part / whole : 0.0; }

// The scratch state of one walk over the allocation graph, one slot per pool.
class ContributionWalk {
 public:
  explicit ContributionWalk(const ModelTables& model)
      : model_(model),
        Visited(static_cast<size_t>(model.pools.count()) + 1, false),
        Contribution(static_cast<size_t>(model.pools.count()) + 1, 0.0) {}

  // Passes `amount` leaving pool `pool` down its base lines. A pool reached a
  // second time, along another route, takes that route's share but does not
  // pass it on, so each pool's own base is walked once.
  void WalkForward(int32_t pool, double amount) {
    if (Visited[Slot(pool)]) return;
    Visited[Slot(pool)] = true;
    const int32_t base = model_.pools[pool].Base;
    if (base == 0) return;
    for (const int32_t index : model_.bases[base].Lines) {
      const TmyABL& line = model_.base_lines[index];
      if (line.Output == 0) continue;
      const double share = amount * line.Propn;
      Contribution[Slot(line.Output)] += share;
      WalkForward(line.Output, share);
    }
  }

  // Credits every pool that allocated into `pool` with the part of its
  // allocation that arrives, `factor` being the share of `pool`'s own
  // allocation that reaches the walk's start. Every route counts. A source
  // already on the route being walked closes a cycle of pools allocating to
  // each other; that branch is cut and credits nothing, so the walk ends.
  void WalkBackward(int32_t pool, double factor) {
    Visited[Slot(pool)] = true;
    for (const PoolInput& input : model_.pools[pool].Inputs) {
      if (input.Line == 0 || Visited[Slot(input.Source)]) continue;
      const double share = factor * model_.base_lines[input.Line].Propn;
      Contribution[Slot(input.Source)] += model_.pools[input.Source].AllocValue * share;
      WalkBackward(input.Source, share);
    }
    Visited[Slot(pool)] = false;
  }

  double ContributionOf(int32_t pool) const { return Contribution[Slot(pool)]; }

 private:
  static size_t Slot(int32_t pool) { return static_cast<size_t>(pool); }

  const ModelTables& model_;
  std::vector<bool> Visited;
  std::vector<double> Contribution;
};

// Calls `write` for each pool of stage type `stage_type` in code order that
// lies within the report's ranges.
template <typename WritePool>
void ForEachReportedPool(Engine& engine, int32_t stage_type, WritePool write) {
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const int32_t row = codes.Item(position).Number;
    const TmyCP& pool = engine.model.pools[row];
    if (pool.STGType == stage_type && InReportRange(engine, pool)) write(row, pool);
  }
}

std::string PoolRow(const TmyCP& pool, double value) {
  return "CP," + pool.Code + "," + Quoted(pool.Description) + "," + FormatFixed2(value);
}

std::string ContributionRow(const TmyCP& pool, double contribution, double share_of_start,
                            double value, double share_of_pool) {
  return ",    " + pool.Code + "," + Quoted(pool.Description) + ",," + FormatFixed2(contribution) +
         "," + FormatFixed2(share_of_start) + "," + FormatFixed2(value) + "," +
         FormatFixed2(share_of_pool);
}

}  // namespace

void WriteInputContributionReport(Engine& engine) {
  SetReportRanges(engine);
  WriteReportTitle(engine, "Cost Pool Input Contribution Report; ");
  engine.report_output.WriteLine(
      ",Code,Description,Value,,Propn of Initial,Destn Value,Propn of Final");
  const ModelTables& model = engine.model;
  ForEachReportedPool(engine, kInputStage, [&](int32_t row, const TmyCP& input) {
    engine.report_output.WriteLine(PoolRow(input, input.AllocValue));
    ContributionWalk walk(model);
    walk.WalkForward(row, input.AllocValue);
    for (int32_t final_row = 1; final_row <= model.pools.count(); ++final_row) {
      const TmyCP& final_pool = model.pools[final_row];
      const double c = walk.ContributionOf(final_row);
      if (final_pool.STGType != kFinalStage || c == 0) continue;
      engine.report_output.WriteLine(ContributionRow(final_pool, c, ShareOf(c, input.AllocValue),
                                                     final_pool.Value,
                                                     ShareOf(c, final_pool.Value)));
    }
  });
}

void WriteFinalContributionReport(Engine& engine) {
  SetReportRanges(engine);
  WriteReportTitle(engine, "Cost Pool Final Contribution Report; ");
  engine.report_output.WriteLine(
      ",Code,Description,Value,,Propn of Final,Value Initial,Propn of Initial");
  const ModelTables& model = engine.model;
  ForEachReportedPool(engine, kFinalStage, [&](int32_t row, const TmyCP& final_pool) {
    engine.report_output.WriteLine(PoolRow(final_pool, final_pool.Value));
    ContributionWalk walk(model);
    walk.WalkBackward(row, 1.0);
    // A final pool without a base sends nothing on, so its own value is
    // what the proportion is taken of.
    const double whole = final_pool.AllocValue != 0 ? final_pool.AllocValue : final_pool.Value;
    for (int32_t input_row = 1; input_row <= model.pools.count(); ++input_row) {
      const TmyCP& input = model.pools[input_row];
      const double c = walk.ContributionOf(input_row);
      if (input.STGType != kInputStage || c == 0) continue;
      engine.report_output.WriteLine(ContributionRow(input, c, ShareOf(c, whole), input.AllocValue,
                                                     ShareOf(c, input.AllocValue)));
    }
  });
}

}  // namespace korav
