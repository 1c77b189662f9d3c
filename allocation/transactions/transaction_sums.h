// The figures that transactions add to, and the exact sums they are set from.
//
// While a transaction file is read, its amounts add to the exact sums beside
// the figures (the dimension values' TxSum, the selection rows', groups' and
// pools' TxSum, the cube's CellSums); once the file is read, every figure is
// set from its sum, so that each is the correctly rounded decimal sum of its
// amounts however many files and lines brought them. Until the allocation
// nothing else adds to these figures.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_SUMS_H_
#define KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_SUMS_H_

#include "allocation/state/engine.h"

namespace korav {

// Sets each figure from its exact sum.
void StoreTransactionSums(Engine& engine);

// For a transaction file read after the allocation, which has added to the
// figures since: each sum starts afresh from its figure as it stands.
void ResumeTransactionSums(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_SUMS_H_
