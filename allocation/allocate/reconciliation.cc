#include "allocation/allocate/reconciliation.h"

#include <cmath>
#include <map>

#include "allocation/allocate/reciprocal.h"
#include "allocation/model/stage_order.h"

namespace korav {
namespace {

// Final and reporting stages keep what reaches them; every other stage
// should pass its cost on.
bool Keeps(const TmyCP& pool) { return pool.STGType >= StageType::kFinal; }

// What stayed in a pool: its value without the copies and the shares that
// members of its loop in its own stage sent it, less what it sent to pools
// outside its loop or stage.
double RestOf(const TmyCP& pool) {
  return pool.Value - pool.GrossUpWithinStage - pool.Copied - pool.Sent - pool.VarianceSent;
}

// Why a pool that allocated, or a loop, kept some of its cost.
constexpr const char* kSharesNotSent =
    "Shares of 0.01 or less, or on lines without an output CP, not sent";

// Why a pool outside any loop kept cost it should have passed on.
std::string ReasonFor(const Engine& engine, const TmyCP& pool) {
  if (engine.reconciliation.state == ReconciliationStatus::State::kAllocationNotPerformed) {
    return "Allocation not performed";
  }
  if (pool.Base == 0) {
    return pool.BaseCode.empty() ? "No allocation base"
                                 : "Allocation base not found; AB=" + pool.BaseCode;
  }
  if (!pool.Resolved) return "e305 CP could not be allocated; CP value not finalised";
  if (pool.NotFinite) return "e311 Amount not finite, CP not allocated";
  if (!pool.Allocated) return "e306 CP Value not allocated; AB=" + pool.BaseCode;
  if (engine.options.slots[kBudgetOption].IsSet && pool.BudgetMethod != 0 &&
      pool.VariancePool == 0) {
    return "e302 Variance for CP but no Variance CP to allocate it to";
  }
  return kSharesNotSent;
}

// The balance of every stage, and the unallocated cost of the pools and
// loops that kept some.
void BalanceStages(const Engine& engine, Reconciliation& result) {
  const ModelTables& model = engine.model;
  std::map<int32_t, StageBalance> by_stage;
  // The stages' transaction amounts, added exactly from the pools' own.
  std::map<int32_t, ExactSum> from_transactions;
  std::vector<double> loop_rest(engine.solved_loops.size(), 0.0);
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    const TmyCP& pool = model.pools[row];
    const int32_t stage = StageOf(model, pool);
    StageBalance& balance = by_stage[stage];
    balance.stage = stage;
    from_transactions[stage].Add(pool.TxSum);
    balance.received += pool.Received;
    balance.sent += pool.Sent;
    balance.variance_sent += pool.VarianceSent;
    balance.gross_up += pool.GrossUp;
    result.copied += pool.Copied;
    const double rest = RestOf(pool);
    if (Keeps(pool)) {
      balance.stays += rest;
      continue;
    }
    balance.unallocated += rest;
    // A loop member's own cost and what it sent outside the loop differ by
    // what it and the others sent each other; only the loop's sum says what
    // the loop kept.
    if (pool.Loop != 0) {
      loop_rest[static_cast<size_t>(pool.Loop - 1)] += rest;
    } else if (std::fabs(rest) >= kReconciledWithin) {
      result.unallocated.push_back(
          {stage, pool.Code, pool.Description, rest, ReasonFor(engine, pool)});
    }
  }
  for (size_t loop = 0; loop < loop_rest.size(); ++loop) {
    if (std::fabs(loop_rest[loop]) < kReconciledWithin) continue;
    const std::vector<int32_t>& members = engine.solved_loops[loop].Members;
    result.unallocated.push_back({StageOf(model, model.pools[members.front()]),
                                  MemberCodes(model, members),
                                  "Solved loop", loop_rest[loop], kSharesNotSent});
  }
  for (auto& [stage, balance] : by_stage)
    balance.from_transactions = from_transactions[stage].Value();
  for (const int32_t stage : StagesInFlowOrder(model)) {
    const auto found = by_stage.find(stage);
    result.stages.push_back(found != by_stage.end() ? found->second : StageBalance{stage});
  }
  if (const auto stageless = by_stage.find(0); stageless != by_stage.end()) {
    result.stages.push_back(stageless->second);
  }
  for (StageBalance& balance : result.stages) {
    // Nonzero when a pool's value holds more or less than what it took
    // from transactions and other pools: the rest is taken from the value.
    balance.difference = balance.from_transactions + balance.received - balance.sent -
                         balance.variance_sent - balance.unallocated - balance.stays;
    result.total.Add(balance);
  }
  ExactSum all_transactions;
  for (const auto& [stage, sum] : from_transactions) all_transactions.Add(sum);
  result.total.from_transactions = all_transactions.Value();
}

void AddChecks(Reconciliation& result) {
  ExactSum into_pools = result.transactions.accepted.amount;
  into_pools.Subtract(result.transactions.reversed.amount);
  into_pools.Subtract(result.transactions.reversed.amount);
  const StageBalance& total = result.total;
  result.checks = {
      {"Accepted into pools", into_pools.Value(), total.from_transactions},
      {"Sent and received", total.sent + total.variance_sent, total.received},
      {"Unallocated and stays", total.from_transactions, total.unallocated + total.stays},
  };
}

ReconciliationStatus StatusOf(const Engine& engine, const Reconciliation& result) {
  if (engine.reconciliation.state == ReconciliationStatus::State::kAllocationNotPerformed) {
    return engine.reconciliation;
  }
  double largest = 0;
  const auto widen = [&largest](double difference) {
    if (!(std::fabs(difference) <= std::fabs(largest))) largest = difference;
  };
  for (const StageBalance& balance : result.stages) widen(balance.difference);
  for (const ReconciliationCheck& check : result.checks) widen(check.Difference());
  ReconciliationStatus status;
  if (std::fabs(largest) < kReconciledWithin) {
    status.state = ReconciliationStatus::State::kReconciled;
  } else {
    status.state = ReconciliationStatus::State::kNotReconciled;
    // Figures near the largest double (kept in their pools with e206 or
    // e311) can overflow when added; the check then cannot be made.
    if (std::isfinite(largest)) {
      status.difference = largest;
    } else {
      status.reason = "figures too large to add up";
    }
  }
  return status;
}

}  // namespace

void StageBalance::Add(const StageBalance& other) {
  from_transactions += other.from_transactions;
  received += other.received;
  sent += other.sent;
  variance_sent += other.variance_sent;
  unallocated += other.unallocated;
  gross_up += other.gross_up;
  stays += other.stays;
  difference += other.difference;
}

Reconciliation Reconcile(const Engine& engine) {
  Reconciliation result;
  result.transactions = engine.transaction_totals.Sum();
  BalanceStages(engine, result);
  AddChecks(result);
  result.status = StatusOf(engine, result);
  return result;
}

}  // namespace korav
