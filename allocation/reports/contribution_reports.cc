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

std::string PoolRow(const TmyCP& pool, double value) {
  return "CP," + pool.Code + "," + Quoted(pool.Description) + "," + FormatFixed2(value);
}

std::string ContributionRow(const TmyCP& pool, double contribution, double share_of_start,
                            double value, double share_of_pool) {
  return ",    " + pool.Code + "," + Quoted(pool.Description) + ",," + FormatFixed2(contribution) +
         "," + FormatFixed2(share_of_start) + "," + FormatFixed2(value) + "," +
         FormatFixed2(share_of_pool);
}

// What sets the two reports apart: which pools they start from, which they
// list under each, and which way they walk.
struct ContributionReport {
  std::string_view title;
  std::string_view header;
  int32_t start_stage;
  int32_t listed_stage;
  bool forward;
};

void WriteContributionReport(Engine& engine, const ContributionReport& report) {
  SetReportRanges(engine);
  WriteReportTitle(engine, report.title);
  engine.report_output.WriteLine(report.header);
  const ModelTables& model = engine.model;
  const stTsortObj& codes = model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const int32_t row = codes.Item(position).Number;
    const TmyCP& start = model.pools[row];
    if (start.STGType != report.start_stage || !InReportRange(engine, start)) continue;
    ContributionWalk walk(model);
    double whole = start.AllocValue;
    if (report.forward) {
      walk.WalkForward(row, start.AllocValue);
    } else {
      walk.WalkBackward(row, 1.0);
      // A final pool without a base sends nothing on, so its own value is
      // what the proportion is taken of.
      if (whole == 0) whole = start.Value;
    }
    engine.report_output.WriteLine(PoolRow(start, report.forward ? start.AllocValue : start.Value));
    for (int32_t listed_row = 1; listed_row <= model.pools.count(); ++listed_row) {
      const TmyCP& listed = model.pools[listed_row];
      const double c = walk.ContributionOf(listed_row);
      if (listed.STGType != report.listed_stage || c == 0) continue;
      const double listed_whole = report.forward ? listed.Value : listed.AllocValue;
      engine.report_output.WriteLine(
          ContributionRow(listed, c, ShareOf(c, whole), listed_whole, ShareOf(c, listed_whole)));
    }
  }
}

}  // namespace

void WriteInputContributionReport(Engine& engine) {
  WriteContributionReport(
      engine, {"Cost Pool Input Contribution Report; ",
               ",Code,Description,Value,,Propn of Initial,Destn Value,Propn of Final", kInputStage,
               kFinalStage, true});
}

void WriteFinalContributionReport(Engine& engine) {
  WriteContributionReport(engine,
                          {"Cost Pool Final Contribution Report; ",
                           ",Code,Description,Value,,Propn of Final,Value Initial,Propn of Initial",
                           kFinalStage, kInputStage, false});
}

}  // namespace korav
