#include "allocation/allocate/reciprocal.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "allocation/allocate/allocation_loop.h"
#include "allocation/allocate/loop_system.h"
#include "allocation/model/rounding_bound.h"
#include "allocation/model/stage_order.h"
#include "allocation/model/strong_components.h"
#include "common/numbers.h"

namespace korav {
namespace {

// A received amount this small against the own costs under its key is
// rounding left by the solve: the member receives nothing there.
constexpr double kCellNoise = 1e-12;

// A line of a member's base whose output is a member of the same loop.
struct InnerShare {
  size_t from = 0;  // member indices
  size_t to = 0;
  double propn = 0;
  // How a transfer along the line re-keys the cube: the base's level of
  // confidence and the receiving member's mapping.
  int32_t min_loc = 0;
  int32_t mapping = 0;
  bool kept = true;  // false once its share falls to the 0.01 threshold
};

enum class LoopState { kSolved, kWaiting, kBaseLineNotResolved, kCostNeverLeaves, kNotFinite };

// One loop while it is being solved.
struct Loop {
  explicit Loop(std::vector<int32_t> pools) : members(std::move(pools)) {
    for (size_t m = 0; m < members.size(); ++m) index_of.emplace(members[m], m);
  }

  std::vector<int32_t> members;                  // pool rows in code order
  std::unordered_map<int32_t, size_t> index_of;  // member index by pool row
  std::vector<InnerShare> shares;
  std::vector<double> own;
  std::vector<double> full;  // the solved x_i
  LoopSystem system;         // I - P transposed, over the kept shares
  bool sparse = false;       // whether its systems are solved sparsely

  bool Has(int32_t pool) const { return index_of.count(pool) != 0; }
  size_t IndexOf(int32_t pool) const { return index_of.at(pool); }

  // The kept shares as links of a system over the members.
  std::vector<LoopSystem::Link> KeptLinks() const {
    std::vector<LoopSystem::Link> links;
    for (const InnerShare& share : shares) {
      if (share.kept) links.push_back({share.from, share.to, share.propn});
    }
    return links;
  }
};

// The pools that `pool` allocates into that are not resolved.
template <typename Visit>
void ForEachUnresolvedOutput(const ModelTables& model, int32_t pool, Visit visit) {
  const TmyCP& cp = model.pools[pool];
  if (cp.Base == 0) return;
  for (const int32_t index : model.bases[cp.Base].Lines) {
    const int32_t output = model.base_lines[index].Output;
    if (output != 0 && !model.pools[output].Resolved) visit(output);
  }
}

// The strongly connected components of the "allocates into" graph among the
// unresolved pools that hold a cycle: two pools or more, or one pool that
// allocates into itself. Members in code order, loops by their first code.
std::vector<std::vector<int32_t>> FindLoops(const ModelTables& model) {
  const size_t slots = static_cast<size_t>(model.pools.count()) + 1;
  std::vector<std::vector<size_t>> next(slots);  // by pool row; row 0 is no pool
  for (int32_t pool = 1; pool <= model.pools.count(); ++pool) {
    if (model.pools[pool].Resolved) continue;
    ForEachUnresolvedOutput(model, pool, [&](int32_t output) {
      next[static_cast<size_t>(pool)].push_back(static_cast<size_t>(output));
    });
  }
  const std::vector<size_t> component = StrongComponents(next);
  std::vector<std::vector<int32_t>> members(slots);  // by component
  for (int32_t pool = 1; pool <= model.pools.count(); ++pool) {
    if (!model.pools[pool].Resolved) members[component[static_cast<size_t>(pool)]].push_back(pool);
  }
  std::vector<std::vector<int32_t>> loops;
  for (std::vector<int32_t>& loop : members) {
    if (loop.empty()) continue;
    const size_t first = static_cast<size_t>(loop.front());
    const bool into_itself =
        std::find(next[first].begin(), next[first].end(), first) != next[first].end();
    if (loop.size() > 1 || into_itself) loops.push_back(std::move(loop));
  }
  const auto by_code = [&model](int32_t a, int32_t b) {
    return model.pools[a].Code < model.pools[b].Code;
  };
  for (std::vector<int32_t>& loop : loops) std::sort(loop.begin(), loop.end(), by_code);
  std::sort(loops.begin(), loops.end(),
            [&by_code](const auto& a, const auto& b) { return by_code(a.front(), b.front()); });
  return loops;
}

// Whether every member's base has its proportions and allocates actual cost
// (a budget would make the amount a member sends differ from its cost).
bool BasesReady(const Engine& engine, const Loop& loop) {
  const ModelTables& model = engine.model;
  for (const int32_t member : loop.members) {
    const TmyCP& pool = model.pools[member];
    if (!model.bases[pool.Base].Resolved) return false;
    if (engine.options.slots[kBudgetOption].IsSet && pool.BudgetMethod != 0) return false;
  }
  return true;
}

bool OutsideInputsFinal(const ModelTables& model, const Loop& loop) {
  for (const int32_t member : loop.members) {
    for (const PoolInput& input : model.pools[member].Inputs) {
      if (!loop.Has(input.Source) && !model.pools[input.Source].Allocated) return false;
    }
  }
  return true;
}

void CollectShares(const Engine& engine, Loop& loop) {
  const ModelTables& model = engine.model;
  for (size_t from = 0; from < loop.members.size(); ++from) {
    const TmyAB& base = model.bases[model.pools[loop.members[from]].Base];
    for (const int32_t index : base.Lines) {
      const TmyABL& line = model.base_lines[index];
      if (line.Output == 0 || !loop.Has(line.Output)) continue;
      loop.shares.push_back({from, loop.IndexOf(line.Output), Proportion(base, line), base.LOCRow,
                             model.pools[line.Output].DimCopyRow});
    }
  }
}

// Solves the members' full costs. A share of 0.01 or less is dropped, as a
// normal allocation drops it, and the equations are solved again without it
// until every share left is above the threshold. Dropping shares never
// makes a sparse system's shares negative, so the choice holds throughout.
LoopState SolveFullCosts(Loop& loop) {
  loop.sparse = LoopSystem::SolvesSparsely(loop.KeptLinks(), loop.members.size());
  for (;;) {
    if (!loop.system.Factor(loop.KeptLinks(), loop.members.size(), loop.sparse)) {
      return LoopState::kCostNeverLeaves;
    }
    loop.full = loop.own;
    loop.system.Solve(loop.full);
    bool dropped = false;
    for (InnerShare& share : loop.shares) {
      if (share.kept && std::fabs(share.propn * loop.full[share.from]) <= kShareThreshold) {
        share.kept = false;
        dropped = true;
      }
    }
    if (!dropped) return LoopState::kSolved;
  }
}

// An amount that a member's cube entry receives from the other members.
struct Received {
  int64_t index1 = 0;
  int64_t index2 = 0;
  size_t member = 0;
  double amount = 0;
};

// A cell of a member's full cost: a key and the member holding it.
struct CellState {
  int64_t index1 = 0;
  int64_t index2 = 0;
  size_t member = 0;
};

// Solves the value cube cell by cell. What member i holds in a cell is its
// own entry plus every member's share of what it holds in the cells that a
// transfer into member i re-keys to that cell. Cells are taken a key at a
// time: from a key, the cells reachable through the shares form a small
// system of their own, which is the loop's own system whenever no share
// re-keys. The solutions add up, so each key's system is solved alone.
class CellSolver {
 public:
  CellSolver(Engine& engine, const Loop& loop)
      : engine_(engine), loop_(loop), sent_(loop.members.size()) {
    for (const InnerShare& share : loop.shares) {
      if (!share.kept) continue;
      sent_[share.from].push_back(&share);
      if (engine.cube.TransferRekeys(engine.options.confidence_dimension, 0, share.mapping)) {
        rekeys_ = true;
      }
    }
  }

  // Fills `received` with what each member's cells receive, and `dropped`
  // with the size of what each member's cells were found to receive as
  // rounding and were not given; false when a key's system has no single
  // solution.
  bool Solve(std::vector<Received>& received, std::vector<double>& dropped) {
    dropped.assign(loop_.members.size(), 0.0);
    std::vector<Received> cells = OwnCells();
    const size_t n = loop_.members.size();
    for (size_t first = 0; first < cells.size();) {
      size_t last = first;
      while (last < cells.size() && cells[last].index1 == cells[first].index1 &&
             cells[last].index2 == cells[first].index2) {
        ++last;
      }
      // Without re-keying every key has the loop's own system: built once.
      if (rekeys_ || states_.empty()) {
        if (!BuildSystem(cells[first].index1, cells[first].index2)) return false;
      }
      values_.assign(states_.size(), 0.0);
      double scale = 0;
      for (size_t c = first; c < last; ++c) {
        values_[cells[c].member] += cells[c].amount;
        scale += std::fabs(cells[c].amount);
      }
      own_.assign(values_.begin(), values_.begin() + static_cast<std::ptrdiff_t>(n));
      system_.Solve(values_);
      for (size_t s = 0; s < states_.size(); ++s) {
        const double amount = values_[s] - (s < n ? own_[s] : 0.0);
        const CellState& state = states_[s];
        if (std::fabs(amount) <= kCellNoise * scale) {
          dropped[state.member] += std::fabs(amount);
          continue;
        }
        // Without re-keying the states keep the key they were built for.
        received.push_back(
            rekeys_ ? Received{state.index1, state.index2, state.member, amount}
                    : Received{cells[first].index1, cells[first].index2, state.member, amount});
      }
      first = last;
    }
    return true;
  }

 private:
  // Every entry of every member, grouped by key.
  std::vector<Received> OwnCells() const {
    std::vector<Received> cells;
    const ValueCube& cube = engine_.cube;
    for (size_t m = 0; m < loop_.members.size(); ++m) {
      for (const int32_t n : cube.PoolEntries(loop_.members[m])) {
        const vcTEntry& entry = cube.Entry(n);
        cells.push_back({entry.Index1, entry.Index2, m, entry.Value});
      }
    }
    std::sort(cells.begin(), cells.end(), [](const Received& a, const Received& b) {
      return std::tie(a.index1, a.index2, a.member) < std::tie(b.index1, b.index2, b.member);
    });
    return cells;
  }

  // The cells reachable from every member's cell under key (index1, index2),
  // the members' own cells first, and the system over them.
  bool BuildSystem(int64_t index1, int64_t index2) {
    states_.clear();
    state_numbers_.clear();
    links_.clear();
    for (size_t m = 0; m < loop_.members.size(); ++m) StateOf(index1, index2, m);
    ValueCube& cube = engine_.cube;
    for (size_t s = 0; s < states_.size(); ++s) {
      for (const InnerShare* share : sent_[states_[s].member]) {
        cube.Index1 = states_[s].index1;
        cube.Index2 = states_[s].index2;
        if (rekeys_) {
          cube.vcTransferKey(engine_.model, engine_.options.confidence_dimension, 0, share->min_loc,
                             share->mapping);
        }
        links_.push_back({s, StateOf(cube.Index1, cube.Index2, share->to), share->propn});
      }
    }
    return system_.Factor(links_, states_.size(), loop_.sparse);
  }

  size_t StateOf(int64_t index1, int64_t index2, size_t member) {
    const auto [number, added] =
        state_numbers_.try_emplace(std::tuple(index1, index2, member), states_.size());
    if (added) states_.push_back({index1, index2, member});
    return number->second;
  }

  Engine& engine_;
  const Loop& loop_;
  std::vector<std::vector<const InnerShare*>> sent_;  // each member's kept shares, in order
  bool rekeys_ = false;
  std::vector<CellState> states_;
  std::map<std::tuple<int64_t, int64_t, size_t>, size_t> state_numbers_;
  std::vector<LoopSystem::Link> links_;
  std::vector<double> values_;
  std::vector<double> own_;
  LoopSystem system_;
};

// What settling a loop gives one member.
struct Settlement {
  double value = 0;    // its shares of the members' full costs
  double cells = 0;    // the size of what its cube entries receive, all told
  double dropped = 0;  // the size of what the cell solve took for rounding
  int32_t entries = 0;
};

std::vector<Settlement> Settlements(const Loop& loop, const std::vector<Received>& received,
                                    const std::vector<double>& dropped) {
  std::vector<Settlement> settlements(loop.members.size());
  for (const InnerShare& share : loop.shares) {
    if (share.kept) settlements[share.to].value += share.propn * loop.full[share.from];
  }
  for (const Received& cell : received) {
    settlements[cell.member].cells += std::fabs(cell.amount);
    ++settlements[cell.member].entries;
  }
  for (size_t m = 0; m < loop.members.size(); ++m) settlements[m].dropped = dropped[m];
  return settlements;
}

// Whether every member's figures stay finite once the loop is settled.
bool SettlesFinitely(const ModelTables& model, const Loop& loop,
                     const std::vector<Settlement>& settlements) {
  for (size_t m = 0; m < loop.members.size(); ++m) {
    const TmyCP& pool = model.pools[loop.members[m]];
    const Settlement& settlement = settlements[m];
    if (!std::isfinite(loop.full[m]) || !std::isfinite(pool.Value + settlement.value) ||
        !StaysFinite(pool, std::max(std::fabs(settlement.value), settlement.cells))) {
      return false;
    }
  }
  return true;
}

// What each member's full cost draws on (rounding_bound.h): reach_i, the
// sum over members j of |M_ij| x j's summed magnitude, and inherited_i, the
// same sum over the rounding so far of the other members. Each row of M is
// summed as it stands.
void SumReach(const ModelTables& model, const Loop& loop, const LoopFullCosts& full,
              std::vector<double>& reach, std::vector<double>& inherited) {
  const size_t n = loop.members.size();
  for (size_t i = 0; i < n; ++i) {
    const std::vector<double> row = full.PerUnitFor(i);
    for (size_t j = 0; j < n; ++j) {
      const TmyCP& source = model.pools[loop.members[j]];
      const double per_unit = std::fabs(row[j]);
      reach[i] += per_unit * source.SummedMagnitude;
      if (j != i) inherited[i] += per_unit * RoundingSoFar(source);
    }
  }
}

// The same sums for a sparse loop without the n rows of M: its shares are
// all positive, so M = I + P' + P'^2 + ... (P' = P transposed) is too, and
// the sums are M times the magnitudes, one solve each. M_ii is at least 1,
// so M times the roundings less a member's own rounding is at least what
// the others pass on. The solve rounds each sum by far less than a
// millionth of it, which the margin covers, so neither figure falls below
// the one summed row by row.
void BoundReach(const ModelTables& model, const Loop& loop, std::vector<double>& reach,
                std::vector<double>& inherited) {
  constexpr double kMargin = 1 + 1e-6;
  const size_t n = loop.members.size();
  std::vector<double> rounding(n);
  for (size_t j = 0; j < n; ++j) {
    const TmyCP& source = model.pools[loop.members[j]];
    reach[j] = source.SummedMagnitude;
    rounding[j] = RoundingSoFar(source);
  }
  inherited = rounding;
  loop.system.Solve(reach);
  loop.system.Solve(inherited);
  for (size_t i = 0; i < n; ++i) {
    reach[i] *= kMargin;
    inherited[i] = std::max(0.0, inherited[i] * kMargin - rounding[i]);
  }
}

// Counts what the settlement may have rounded into each member's bound
// (rounding_bound.h), from the members' magnitudes and drift before it.
void CountSettlements(ModelTables& model, const Loop& loop,
                      const std::vector<Settlement>& settlements, const LoopFullCosts& full) {
  const size_t n = loop.members.size();
  std::vector<double> reach(n, 0.0);
  std::vector<double> inherited(n, 0.0);
  if (loop.sparse) {
    BoundReach(model, loop, reach, inherited);
  } else {
    SumReach(model, loop, full, reach, inherited);
  }
  for (size_t m = 0; m < n; ++m) {
    const Settlement& settlement = settlements[m];
    CountLoopSettlement(model.pools[loop.members[m]], settlement.value, settlement.cells,
                        settlement.dropped, settlement.entries, n, reach[m], inherited[m]);
  }
}

// Puts the solution in place: each member's cube entries receive their
// shares, its value becomes its full cost, and the loop is kept for the
// contribution reports.
void Settle(Engine& engine, Loop& loop, const std::vector<Received>& received,
            const std::vector<Settlement>& settlements) {
  ModelTables& model = engine.model;
  ValueCube& cube = engine.cube;
  for (const Received& cell : received) {
    cube.Index1 = cell.index1;
    cube.Index2 = cell.index2;
    cube.CurCP = loop.members[cell.member];
    cube.vcAdd(cell.amount);
  }
  const size_t n = loop.members.size();
  SolvedLoop solved{loop.members, loop.own, loop.system.FullCosts()};
  CountSettlements(model, loop, settlements, *solved.Full);
  engine.solved_loops.push_back(std::move(solved));
  const int32_t number = static_cast<int32_t>(engine.solved_loops.size());

  const std::string codes = MemberCodes(model, loop.members);
  engine.LogLine("i Reciprocal Allocation; CP=" + codes + ", Solved");
  const bool trace = engine.options.slots[kTraceAllocationOption].IsSet;
  if (trace) {
    engine.LogLine("t    Reciprocal Loop " + std::to_string(number) + " CP=" + codes +
                   "; Members=" + std::to_string(n) + "; Solved");
  }
  for (const InnerShare& share : loop.shares) {
    if (share.kept) {
      TmyCP& receiver = model.pools[loop.members[share.to]];
      const double amount = share.propn * loop.full[share.from];
      receiver.GrossUp += amount;
      if (StageOf(model, model.pools[loop.members[share.from]]) == StageOf(model, receiver)) {
        receiver.GrossUpWithinStage += amount;
      } else {
        receiver.Received += amount;
      }
      receiver.Value += amount;
    }
  }
  for (size_t m = 0; m < n; ++m) {
    TmyCP& pool = model.pools[loop.members[m]];
    pool.Loop = number;
    pool.Resolved = true;
    if (trace) {
      engine.LogLine("t       Reciprocal CP=" + pool.Code + " Own (" + FormatGeneral(loop.own[m]) +
                     ") Full (" + FormatGeneral(loop.full[m]) + ")");
    }
    engine.LogLine("tCP Resolved Cost    CP=" + pool.Code + " (" + FormatFixed2(pool.Value) + ")");
  }
}

LoopState TrySolve(Engine& engine, Loop& loop) {
  const ModelTables& model = engine.model;
  if (!BasesReady(engine, loop)) return LoopState::kBaseLineNotResolved;
  CollectShares(engine, loop);
  for (const int32_t member : loop.members) loop.own.push_back(model.pools[member].Value);
  const LoopState state = SolveFullCosts(loop);
  if (state != LoopState::kSolved) return state;
  if (!OutsideInputsFinal(model, loop)) return LoopState::kWaiting;
  std::vector<Received> received;
  std::vector<double> dropped;
  if (!CellSolver(engine, loop).Solve(received, dropped)) return LoopState::kCostNeverLeaves;
  const std::vector<Settlement> settlements = Settlements(loop, received, dropped);
  // A loop whose figures would not be finite keeps its members' costs, as
  // one that cannot be solved does.
  if (!SettlesFinitely(model, loop, settlements)) return LoopState::kNotFinite;
  Settle(engine, loop, received, settlements);
  return LoopState::kSolved;
}

const char* UnsolvedReason(LoopState state) {
  switch (state) {
    case LoopState::kCostNeverLeaves:
      return "cost never leaves the loop";
    case LoopState::kNotFinite:
      return "full costs not finite";
    default:
      return "base line not resolved";
  }
}

}  // namespace

bool SolveLoops(Engine& engine) {
  std::vector<std::pair<LoopState, std::vector<int32_t>>> unsolved;
  bool solved = false;
  for (std::vector<int32_t>& members : FindLoops(engine.model)) {
    Loop loop(std::move(members));
    const LoopState state = TrySolve(engine, loop);
    if (state == LoopState::kSolved) {
      solved = true;
    } else {
      unsolved.emplace_back(state, std::move(loop.members));
    }
  }
  if (solved) return true;
  // Nothing more can resolve: a loop that waits for a pool outside it is
  // reported with that pool, and the others say why they cannot be solved.
  for (const auto& [state, members] : unsolved) {
    if (state == LoopState::kWaiting) continue;
    engine.LogLine(std::string("e308 Alloc; Reciprocal allocation not possible, ") +
                   UnsolvedReason(state) + "; CP=" + MemberCodes(engine.model, members));
  }
  return false;
}

std::string MemberCodes(const ModelTables& model, const std::vector<int32_t>& members) {
  std::string codes;
  for (const int32_t member : members) {
    if (!codes.empty()) codes += '/';
    codes += model.pools[member].Code;
  }
  return codes;
}

}  // namespace korav
