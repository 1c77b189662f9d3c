// The transaction phase: cost lines read into the cost pools and the value
// cube, between the completion of the model and the allocation.
//
// Every line's amount goes to the dimension values, selection rows, cost pool
// group and cost pool that take it, and into the value cube under the pool
// and the line's codes. A line whose amount is not a number (e202) or that
// names an unknown code (e204, one line per code) is reported and skipped; so
// is a line that no group, or no pool of its group, selects (e205), so that
// every stored amount belongs to a cost pool, and one whose amount would take
// a total it adds to past the largest number (e206), so that every total
// stays finite.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_PHASE_H_
#define KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_PHASE_H_

#include <cstddef>

#include "allocation/state/engine.h"

namespace korav {

// The transaction dump's name in the output folder, and its number among
// the run's reports.
inline constexpr char kDumpName[] = "35.csv";
inline constexpr int kDumpReport = 35;

// Creates the transaction dump when option 5 asks for it; a dump that cannot
// be written there is reported (e405) and left out.
void StartTransactionPhase(Engine& engine);
// How far the reader's tables grow before they start afresh together, so
// that their memory never follows the size of the file. What the reader
// writes is the same whatever the limits (at least 1 each); small ones
// only make it work combinations out again.
struct TransactionLimits {
  size_t tuples = size_t{1} << 21;        // code tuples met
  size_t classes = size_t{1} << 20;       // line classes
  size_t cache_bytes = size_t{64} << 20;  // each placement cache's records and messages
  size_t placements = size_t{1} << 20;    // placements the resolver remembers
};

// Reads the transaction file open in engine.data_file to its end.
void ReadTransactions(Engine& engine, const TransactionLimits& limits = {});
// Closes the transaction dump, which puts it in place under its name; the
// run neither reads it back nor writes a report over it. The exact sums of
// the cube's cells are let go: the allocation adds to the figures alone.
void EndTransactionPhase(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_PHASE_H_
