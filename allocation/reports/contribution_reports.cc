// The Cost Pool Input Contribution Report (21) and the Cost Pool Final
// Contribution Report (22): where the cost of each input pool ends up among
// the final pools, and where the cost of each final pool came from among the
// input pools, found by walking the pools' base lines with the proportions
// that the allocation stored on them.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

// The most pools one backward walk credits: far beyond any tree of real
// stages, reached only where dozens of pools feed each other along more
// routes than could ever be listed.
constexpr int64_t kMaxWalkSteps = 1000000;

double ShareOf(double part, double whole) { return whole != 0 ? part / whole : 0.0; }

// The scratch state of one walk over the allocation graph, one slot per pool.
//
// A loop solved by reciprocal allocation is walked as one node, through the
// solved shares: cost arriving in one member spreads over every member's
// full cost as the equations spread it, and leaves through the members'
// lines to pools outside the loop; the lines the members send each other are
// not walked, as their shares are within those full costs.
class ContributionWalk {
 public:
  ContributionWalk(const ModelTables& model, const std::vector<SolvedLoop>& solved_loops)
      : model_(model),
        solved_loops_(solved_loops),
        Visited(static_cast<size_t>(model.pools.count()) + 1, false),
        Contribution(static_cast<size_t>(model.pools.count()) + 1, 0.0) {}

  // Passes `amount` leaving pool `pool` down its base lines. A pool reached a
  // second time, along another route, takes that route's share but does not
  // pass it on, so each pool's own base is walked once.
  void WalkForward(int32_t pool, double amount) {
    if (Visited[Slot(pool)]) return;
    if (model_.pools[pool].Loop != 0) return SpreadThroughLoop(pool, amount);
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
  // each other; that branch is cut and credits nothing, so the walk ends. A
  // source that did not allocate sent nothing on, so neither it nor its own
  // sources contributed along that route. Routes multiply where many pools
  // feed each other, so a walk ends after kMaxWalkSteps pools credited, and
  // Cut() says so.
  void WalkBackward(int32_t pool, double factor) {
    Visited[Slot(pool)] = true;
    for (const PoolInput& input : model_.pools[pool].Inputs) {
      if (input.Line == 0 || Visited[Slot(input.Source)] || SameLoop(pool, input.Source) ||
          !model_.pools[input.Source].Allocated) {
        continue;
      }
      if (++steps_ > kMaxWalkSteps) break;
      CreditSource(input.Source, factor * model_.base_lines[input.Line].Propn);
    }
    Visited[Slot(pool)] = false;
  }

  // True when the backward walk ended at its step limit: the contributions
  // it found are then only part of the whole.
  bool Cut() const { return steps_ > kMaxWalkSteps; }

  // Credits `pool`, of whose allocation the share `share` reaches the walk's
  // start, and walks on to its sources. For a member of a solved loop, what
  // reaches the start is that share of its full cost, which stems from every
  // member's own cost (the cost that reached it from outside the loop): each
  // member is credited with its own cost times the part of it in that share.
  void CreditSource(int32_t pool, double share) {
    const TmyCP& cp = model_.pools[pool];
    if (cp.Loop == 0) {
      Contribution[Slot(pool)] += cp.AllocValue * share;
      return WalkBackward(pool, share);
    }
    const SolvedLoop& loop = LoopOf(cp);
    const std::vector<double> per_unit = loop.Full->PerUnitFor(MemberIndex(loop, pool));
    for (size_t k = 0; k < loop.Members.size(); ++k) {
      const double part = share * per_unit[k];
      Contribution[Slot(loop.Members[k])] += loop.Own[k] * part;
      WalkBackward(loop.Members[k], part);
    }
  }

  // What an input pool contributes: its allocation value, or for a member
  // of a solved loop its own cost, which the solved system spreads over the
  // loop's outflows. Its full cost also holds the other members' shares,
  // which their own walks carry; so every input pool's contributions add up
  // to its own cost when all of it reaches the final pools, the same
  // figures whichever way the walk goes.
  double InitialValue(int32_t pool) const {
    const TmyCP& cp = model_.pools[pool];
    if (cp.Loop == 0) return cp.AllocValue;
    const SolvedLoop& loop = LoopOf(cp);
    return loop.Own[MemberIndex(loop, pool)];
  }

  // Where the report's own pool starts the backward walk.
  void StartBackward(int32_t pool) {
    if (model_.pools[pool].Loop != 0) return CreditSource(pool, 1.0);
    WalkBackward(pool, 1.0);
  }

  double ContributionOf(int32_t pool) const { return Contribution[Slot(pool)]; }

 private:
  static size_t Slot(int32_t pool) { return static_cast<size_t>(pool); }

  bool SameLoop(int32_t a, int32_t b) const {
    return model_.pools[a].Loop != 0 && model_.pools[a].Loop == model_.pools[b].Loop;
  }
  const SolvedLoop& LoopOf(const TmyCP& pool) const {
    return solved_loops_[static_cast<size_t>(pool.Loop - 1)];
  }
  static size_t MemberIndex(const SolvedLoop& loop, int32_t pool) {
    return static_cast<size_t>(std::find(loop.Members.begin(), loop.Members.end(), pool) -
                               loop.Members.begin());
  }

  // `amount` arrives in member `entry` of a solved loop (the walk's start:
  // leaves it): it raises each member's full cost by its solved part, and
  // the members' lines to pools outside the loop carry those parts on, the
  // loop's outflow into each such pool walked on once.
  void SpreadThroughLoop(int32_t entry, double amount) {
    const SolvedLoop& loop = LoopOf(model_.pools[entry]);
    const std::vector<double> per_unit = loop.Full->PerUnitIn(MemberIndex(loop, entry));
    std::vector<std::pair<int32_t, double>> outflows;
    for (size_t k = 0; k < loop.Members.size(); ++k) {
      const int32_t member = loop.Members[k];
      const double part = amount * per_unit[k];
      Visited[Slot(member)] = true;
      // The arrival in the entry member was credited before the walk got here.
      Contribution[Slot(member)] += member == entry ? part - amount : part;
      for (const int32_t index : model_.bases[model_.pools[member].Base].Lines) {
        const TmyABL& line = model_.base_lines[index];
        if (line.Output == 0 || SameLoop(member, line.Output)) continue;
        const auto out = std::find_if(outflows.begin(), outflows.end(),
                                      [&line](const auto& o) { return o.first == line.Output; });
        if (out == outflows.end()) {
          outflows.emplace_back(line.Output, part * line.Propn);
        } else {
          out->second += part * line.Propn;
        }
      }
    }
    for (const auto& [output, share] : outflows) {
      Contribution[Slot(output)] += share;
      WalkForward(output, share);
    }
  }

  const ModelTables& model_;
  const std::vector<SolvedLoop>& solved_loops_;
  std::vector<bool> Visited;
  std::vector<double> Contribution;
  int64_t steps_ = 0;
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
  StageType start_stage;
  StageType listed_stage;
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
    ContributionWalk walk(model, engine.solved_loops);
    double whole = start.AllocValue;
    if (report.forward) {
      whole = walk.InitialValue(row);
      walk.WalkForward(row, whole);
    } else {
      walk.StartBackward(row);
      // A final pool without a base sends nothing on, so its own value is
      // what the proportion is taken of.
      if (whole == 0) whole = start.Value;
    }
    engine.report_output.WriteLine(PoolRow(start, report.forward ? whole : start.Value));
    if (walk.Cut()) {
      engine.report_output.WriteLine("Walk cut; by step limit of " + std::to_string(kMaxWalkSteps) +
                                     "; the contributions below are only part of the whole");
      engine.LogLine("w REP; Contribution walk cut by its step limit, figures incomplete; CP=" +
                     start.Code);
    }
    for (int32_t listed_row = 1; listed_row <= model.pools.count(); ++listed_row) {
      const TmyCP& listed = model.pools[listed_row];
      const double c = walk.ContributionOf(listed_row);
      if (listed.STGType != report.listed_stage || c == 0) continue;
      const double listed_whole = report.forward ? listed.Value : walk.InitialValue(listed_row);
      engine.report_output.WriteLine(
          ContributionRow(listed, c, ShareOf(c, whole), listed_whole, ShareOf(c, listed_whole)));
    }
  }
}

}  // namespace

void WriteInputContributionReport(Engine& engine) {
  WriteContributionReport(engine,
                          {"Cost Pool Input Contribution Report; ",
                           ",Code,Description,Value,,Propn of Initial,Destn Value,Propn of Final",
                           StageType::kInput, StageType::kFinal, true});
}

void WriteFinalContributionReport(Engine& engine) {
  WriteContributionReport(engine,
                          {"Cost Pool Final Contribution Report; ",
                           ",Code,Description,Value,,Propn of Final,Value Initial,Propn of Initial",
                           StageType::kFinal, StageType::kInput, false});
}

}  // namespace korav
