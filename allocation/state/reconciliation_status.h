// Whether a run's figures tie: the transactions' amounts to the pools, and
// each stage's receipts to what it sent, kept and left. Set once the
// allocation phase is over; the reports, the job log's summary and the run
// manifest read it.
#ifndef KORAV_ALLOCATION_STATE_RECONCILIATION_STATUS_H_
#define KORAV_ALLOCATION_STATE_RECONCILIATION_STATUS_H_

#include <string>

namespace korav {

struct ReconciliationStatus {
  enum class State {
    kNotChecked,              // the run has not reached the end of its allocation phase
    kReconciled,              // every difference is below a cent
    kNotReconciled,           // `difference` is the largest, or `reason` says why there is none
    kAllocationNotPerformed,  // `reason` says why
  };
  State state = State::kNotChecked;
  double difference = 0;
  std::string reason;

  // "Reconciled", "Not reconciled" or "Allocation not performed"; empty
  // when not checked.
  const char* Name() const {
    switch (state) {
      case State::kReconciled:
        return "Reconciled";
      case State::kNotReconciled:
        return "Not reconciled";
      case State::kAllocationNotPerformed:
        return "Allocation not performed";
      case State::kNotChecked:
        break;
    }
    return "";
  }
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_RECONCILIATION_STATUS_H_
