#include "allocation/allocate/allocation_loop.h"

#include <cmath>
#include <string>
#include <utility>

#include "allocation/allocate/reciprocal.h"
#include "allocation/allocate/resolution.h"
#include "allocation/model/rounding_bound.h"
#include "allocation/model/stage_order.h"
#include "common/numbers.h"

namespace korav {
namespace {

bool TraceCubeOf(const Engine& engine, const TmyCP& pool) {
  const TmyOption& option = engine.options.slots[kTraceCubeOption];
  return option.IsSet && (option.Text.empty() || option.Text == pool.Code);
}

void TraceCube(Engine& engine, int32_t pool, const char* prefix) {
  std::string entry;
  engine.cube.vcIterStart(pool);
  while (engine.cube.vcIterNext(engine.model, entry) != 0) {
    engine.LogLine("t  " + std::string(prefix) + entry);
  }
}

void CheckCubeTotals(Engine& engine) {
  engine.LogLine("iNumber of Values in Value Cube " + std::to_string(engine.cube.EntryCount()));
  engine.cube.vcTotals(engine.model, engine.log);
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const TmyCP& pool = engine.model.pools[codes.Item(position).Number];
    const double difference = std::fabs(pool.Value - pool.VCTotal);
    // Written so that a difference that is not a number is reported too.
    if (!(difference <= CubeTotalTolerance(pool))) {
      engine.LogLine("e307 Alloc; Internal Error; CP Total and VC Total do not match; CP=" +
                     pool.Code + " (" + FormatFixed2(pool.Value) + ") VC (" +
                     FormatFixed2(pool.VCTotal) + ") Diff (" + FormatFixed2(difference) + ")");
    }
  }
}

// Stores an amount for a pool whose sender has no value cube entries: under
// no dimension codes, with the receiving pool's own mapping.
void AllocateWithoutDimensions(Engine& engine, const TmyCP& pool, double amount) {
  ValueCube& cube = engine.cube;
  for (int k = 1; k <= engine.model.dimension_count; ++k) cube.Code[static_cast<size_t>(k)] = 0;
  cube.vcApplyMapping(engine.model, pool.DimCopyRow);
  cube.vcComposeKey();
  cube.CurCP = pool.Row;
  cube.vcAdd(amount);
  engine.LogLine("t           Allocating to CP=" + pool.Code + "(" + FormatFixed2(amount) +
                 ") with no dimensions; because original CP has no Value Cube");
}

// Moves `amount`, which the receiver's value has just received from the
// sender, into the receiver's cube: each of the sender's entries in
// proportion, re-keyed by `mapping`, the base's level of confidence
// `min_loc` and the receiver's own mapping; or, when the sender's value is
// 0, as one entry without dimensions.
void MoveCube(Engine& engine, const TmyCP& sender, TmyCP& receiver, double amount, int32_t mapping,
              int32_t min_loc) {
  if (sender.Value == 0) {
    AllocateWithoutDimensions(engine, receiver, amount);
    CountAmount(receiver, amount);
    return;
  }
  const double factor = amount / sender.Value;
  const auto entries = static_cast<int32_t>(engine.cube.PoolEntries(sender.Row).size());
  engine.cube.vcTransfer(engine.model, engine.options.confidence_dimension, sender.Row,
                         receiver.Row, mapping, min_loc, factor, receiver.DimCopyRow);
  CountTransfer(receiver, sender, amount, factor, entries);
}

// The shares that the members of a solved loop send each other reached
// their values and cubes when the loop was solved.
bool WithinLoop(const TmyCP& sender, const TmyCP& receiver) {
  return sender.Loop != 0 && receiver.Loop == sender.Loop;
}

// Whether `amount` can move from the sender into the receiver with every
// figure of the receiver staying finite.
bool Movable(const TmyCP& sender, const TmyCP& receiver, double amount) {
  return std::isfinite(amount) && std::isfinite(receiver.Value + amount) &&
         StaysFinite(receiver, MovedMagnitude(sender, amount));
}

// The pool that a share or the variance of `sender` would leave with a
// figure that is not finite, the sender itself when its allocation value or
// a share is not; nullptr when everything can move. Tried before anything
// moves, so that a pool either allocates whole or keeps its cost.
const TmyCP* NotFiniteReceiver(const ModelTables& model, const TmyCP& sender, const TmyAB& base,
                               bool budgets) {
  if (!std::isfinite(sender.AllocValue)) return &sender;
  for (const int32_t index : base.Lines) {
    const TmyABL& line = model.base_lines[index];
    const double amount = Proportion(base, line) * sender.AllocValue;
    if (!std::isfinite(amount)) return &sender;
    if (std::fabs(amount) <= kShareThreshold || line.Output == 0) continue;
    const TmyCP& receiver = model.pools[line.Output];
    if (!WithinLoop(sender, receiver) && !Movable(sender, receiver, amount)) return &receiver;
  }
  if (budgets && sender.VariancePool != 0) {
    const TmyCP& variance = model.pools[sender.VariancePool];
    if (!Movable(sender, variance, sender.Value - sender.AllocValue)) return &variance;
  }
  return nullptr;
}

void SendShare(Engine& engine, TmyCP& sender, const TmyAB& base, TmyABL& line) {
  ModelTables& model = engine.model;
  line.Propn = Proportion(base, line);
  const double amount = line.Propn * sender.AllocValue;
  if (std::fabs(amount) <= kShareThreshold || line.Output == 0) return;
  TmyCP& receiver = model.pools[line.Output];
  const bool within_loop = WithinLoop(sender, receiver);
  if (!within_loop) {
    receiver.Received += amount;
    receiver.Value += amount;
  }
  if (!within_loop || StageOf(model, sender) != StageOf(model, receiver)) sender.Sent += amount;
  if (engine.options.slots[kTraceAllocationOption].IsSet) {
    engine.LogLine("t       Alloc  " + sender.Code + " to " + receiver.Code + " Propn " +
                   FormatGeneral(line.Propn) + " (" + FormatGeneral(amount) + ")");
  }
  if (within_loop) return;
  const bool traced = TraceCubeOf(engine, receiver);
  if (traced) {
    TraceCube(engine, sender.Row, "Before ");
    TraceCube(engine, receiver.Row, "Before ");
  }
  MoveCube(engine, sender, receiver, amount, 0, base.LOCRow);
  if (traced) TraceCube(engine, receiver.Row, "After  ");
}

void SendVariance(Engine& engine, TmyCP& sender, const TmyAB& base) {
  ModelTables& model = engine.model;
  if (sender.VariancePool == 0) {
    engine.LogLine("e302 Alloc; Variance for CP but no Variance CP to allocate it to CP=" +
                   sender.Code);
    return;
  }
  TmyCP& variance = model.pools[sender.VariancePool];
  if (variance.Allocated) {
    engine.LogLine("e301 Alloc; Allocating Variance that has already been allocated; from CP=" +
                   sender.Code + " to CP=" + variance.Code);
  }
  const double difference = sender.Value - sender.AllocValue;
  sender.VarianceSent += difference;
  variance.Received += difference;
  variance.Value += difference;
  if (engine.options.slots[kTraceAllocationOption].IsSet) {
    engine.LogLine("t       VAlloc " + sender.Code + " to " + variance.Code + " (" +
                   FormatGeneral(difference) + ")");
  }
  const bool traced = TraceCubeOf(engine, variance);
  if (traced) TraceCube(engine, variance.Row, "Before  ");
  MoveCube(engine, sender, variance, difference, sender.BudgetVarianceRow, base.LOCRow);
  if (traced) TraceCube(engine, variance.Row, "After   ");
}

// Gives back the cube's index of `receiver` once every pool that sends to it
// has allocated: it receives nothing more.
void ReleaseWhenServed(Engine& engine, int32_t receiver) {
  if (receiver == 0) return;
  const ModelTables& model = engine.model;
  for (const PoolInput& input : model.pools[receiver].Inputs) {
    if (!model.pools[input.Source].Allocated) return;
  }
  engine.cube.ReleasePoolIndex(receiver);
}

void AllocatePool(Engine& engine, TmyCP& pool) {
  engine.CheckStop();
  ModelTables& model = engine.model;
  const TmyAB& base = model.bases[pool.Base];
  ComputeAllocationValue(engine, pool);
  const bool budgets = engine.options.slots[kBudgetOption].IsSet && pool.BudgetMethod != 0;
  if (const TmyCP* receiver = NotFiniteReceiver(model, pool, base, budgets)) {
    engine.LogLine("e311 Alloc; Amount not finite, CP not allocated; CP=" + pool.Code +
                   " AB=" + base.Code + " to CP=" + receiver->Code);
    pool.NotFinite = true;
    if (!std::isfinite(pool.AllocValue)) pool.AllocValue = 0;
    return;
  }
  std::string line = "t    Alloc " + std::to_string(pool.Row) + " CP=" + pool.Code + " (" +
                     FormatFixed2(pool.AllocValue) + ")";
  if (budgets) {
    line += ") Variance CP=" + pool.VarianceCode + " (" +
            FormatFixed2(pool.Value - pool.AllocValue) + ")" +
            (pool.AllocValue > pool.Value ? ",Favorable variance" : ",Unfavorable variance");
  }
  engine.LogLine(line);
  // Marked before the shares move, so a pool that is its own output does not
  // allocate again.
  pool.Allocated = true;
  engine.cube.ReleasePoolIndex(pool.Row);
  for (const int32_t index : base.Lines) SendShare(engine, pool, base, model.base_lines[index]);
  if (budgets) SendVariance(engine, pool, base);
  for (const int32_t index : base.Lines) ReleaseWhenServed(engine, model.base_lines[index].Output);
}

void AllocateCostPools(Engine& engine) {
  ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    TmyCP& pool = model.pools[row];
    if (pool.Base == 0) {
      pool.Allocated = true;
      continue;
    }
    if (pool.Resolved && !pool.Allocated && !pool.NotFinite && model.bases[pool.Base].Resolved) {
      AllocatePool(engine, pool);
    }
  }
}

void ReportUnresolved(Engine& engine) {
  const ModelTables& model = engine.model;
  for (int32_t row = 1; row <= model.input_measures.count(); ++row) {
    const TmyIM& measure = model.input_measures[row];
    if (measure.Resolved) continue;
    engine.LogLine("e303 Alloc; IM could not be used for allocn; IM not resolved; IM=" +
                   measure.Code);
    for (const int32_t selection : measure.Selections) {
      const int32_t source = model.selections[selection].Code2Row;
      if (source > 0 && !model.pools[source].Resolved) {
        engine.LogLine("w,,      Alloc; CP=" + model.pools[source].Code + " not resolved");
      }
    }
  }
  for (int32_t row = 1; row <= model.bases.count(); ++row) {
    const TmyAB& base = model.bases[row];
    if (base.Resolved) continue;
    engine.LogLine("e304 Alloc; AB could not be used for allocn; not all Measures resolved; AB=" +
                   base.Code);
    for (const int32_t index : base.Lines) {
      const TmyABL& line = model.base_lines[index];
      if (line.MeasureType == 'I' && line.InputMeasure > 0 &&
          !model.input_measures[line.InputMeasure].Resolved) {
        engine.LogLine("w,,       Alloc; IM=" + model.input_measures[line.InputMeasure].Code +
                       " not resolved");
      }
    }
  }
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    const TmyCP& pool = model.pools[row];
    if (!pool.Resolved) {
      engine.LogLine("e305 Alloc; CP could not be allocated; CP value not finalised; CP=" +
                     pool.Code);
      int32_t previous = 0;
      for (const PoolInput& input : pool.Inputs) {
        if (model.pools[input.Source].Allocated || input.Source == previous) continue;
        previous = input.Source;
        engine.LogLine("w,,       Alloc; CP=" + model.pools[input.Source].Code +
                       " has not allocated cost to this CP");
      }
    } else if (!pool.Allocated) {
      engine.LogLine("e306 Alloc; CP Value not allocated; CP=" + pool.Code + " (" +
                     FormatFixed2(pool.Value) + "); AB=" + pool.BaseCode);
    }
  }
}

}  // namespace

void ComputeAllocationValue(Engine& engine, TmyCP& pool) {
  if (!engine.options.slots[kBudgetOption].IsSet) {
    pool.Units = 0;
    pool.EffectiveUnitBudget = 0;
    pool.AllocValue = pool.Value;
    return;
  }
  const TmyAB& base = engine.model.bases[pool.Base];
  switch (pool.UnitSource) {
    case 0:
      pool.Units = 0;
      pool.EffectiveUnitBudget = 0;
      break;
    case 1:
      pool.Units = pool.EnteredUnits;
      pool.EffectiveUnitBudget = pool.UnitBudget;
      break;
    case 2:
      pool.Units = base.TotalMeasure;
      pool.EffectiveUnitBudget = pool.UnitBudget;
      break;
    case 3:
      pool.Units = base.TotalMeasure;
      pool.EffectiveUnitBudget = base.TotalUnitBudget;
      break;
    default:
      break;
  }
  const double flexible = pool.EffectiveUnitBudget == 0
                              ? pool.ValueBudget
                              : pool.ValueBudget / pool.EffectiveUnitBudget * pool.Units;
  switch (pool.BudgetMethod) {
    case 0:
      pool.AllocValue = pool.Value;
      break;
    case 1:
      pool.AllocValue = pool.ValueBudget;
      break;
    case 2:
      pool.AllocValue = flexible;
      break;
    case 3:
      pool.AllocValue =
          pool.EffectiveUnitBudget != 0 && flexible > pool.Value ? pool.Value : flexible;
      break;
    default:
      break;
  }
}

void RunAllocation(Engine& engine) {
  if (engine.model.pools.count() == 0) return;
  engine.state.data_line.clear();
  CheckCubeTotals(engine);
  engine.cube.vcIndexStats(engine.log);
  const int32_t request = engine.options.allocation_request;
  const auto not_performed = [&engine](std::string reason) {
    engine.LogLine("w  ***** " + reason);
    engine.reconciliation.state = ReconciliationStatus::State::kAllocationNotPerformed;
    engine.reconciliation.reason = std::move(reason);
  };
  if (request == 2) return not_performed("Requested No run of Allocation");
  if (request == 1 && engine.log.errors() > 0) {
    return not_performed("Requested Run Allocation if no errors; there are errors");
  }
  engine.cube.BeginAllocation();
  for (int pass = 1;; ++pass) {
    engine.LogLine("MAlloc Loop " + std::to_string(pass));
    bool progress = ResolveInputMeasures(engine);
    progress = ResolveAllocationBases(engine) || progress;
    progress = ResolveCostPools(engine) || progress;
    // Solved loops allocate in this pass's sweep, so that the pools they feed
    // resolve in the next.
    if (!progress && engine.options.slots[kReciprocalOption].IsSet) progress = SolveLoops(engine);
    AllocateCostPools(engine);
    if (!progress) break;
  }
  ReportUnresolved(engine);
  engine.cube.EndAllocation();
  CheckCubeTotals(engine);
  engine.cube.vcIndexStats(engine.log);
}

}  // namespace korav
