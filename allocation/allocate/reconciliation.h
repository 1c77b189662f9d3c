// Ties a run's figures together. The transactions read split into accepted
// and rejected lines; the accepted amounts are what the pools took from
// transactions; and stage by stage, in flow order, what a stage took from
// transactions and received from other pools is what it sent on, sent as
// variances, left unallocated and kept:
//
//   From Transactions + Received = Sent + Variance Sent + Unallocated + Stays
//
// A solved loop's gross-up (what its members' shares to each other added to
// their values: full cost less own cost) lies within the stage's pool
// values, never in what the stage received or sent. What cost pool copies
// added for reporting stands outside the flow.
//
// The Reconciliation Report writes it out; the job log's summary and the run
// record repeat its status.
#ifndef KORAV_ALLOCATION_ALLOCATE_RECONCILIATION_H_
#define KORAV_ALLOCATION_ALLOCATE_RECONCILIATION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "allocation/state/engine.h"

namespace korav {

// Differences below half a cent print as 0.00 and count as none.
inline constexpr double kReconciledWithin = 0.005;

struct StageBalance {
  int32_t stage = 0;  // the stage row; 0 for the pools of groups without a stage
  double from_transactions = 0;
  double received = 0;
  double sent = 0;
  double variance_sent = 0;
  double unallocated = 0;
  double gross_up = 0;
  double stays = 0;
  // From transactions and received, less everything that left or stayed:
  // what the pools' values hold beyond what they took in.
  double difference = 0;

  void Add(const StageBalance& other);
};

// A pool, or a solved loop, that kept cost it should have passed on.
struct UnallocatedCost {
  int32_t stage = 0;
  std::string code;  // the pool's code, or the loop's member codes joined by "/"
  std::string description;
  double amount = 0;
  std::string reason;  // the message that says why
};

// One figure found two ways.
struct ReconciliationCheck {
  std::string name;
  double expected = 0;
  double found = 0;
  double Difference() const { return found - expected; }
};

struct Reconciliation {
  TransactionFileTotals transactions;  // every file's lines added up
  std::vector<StageBalance> stages;    // in flow order, then the stageless
  StageBalance total;
  std::vector<UnallocatedCost> unallocated;  // pools in row order, then the loops
  std::vector<ReconciliationCheck> checks;
  double copied = 0;
  ReconciliationStatus status;
};

// The reconciliation of the run as it stands. A run whose allocation did not
// run keeps that status (engine.reconciliation) and its reason.
Reconciliation Reconcile(const Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_RECONCILIATION_H_
