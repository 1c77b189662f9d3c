// The transaction phase: cost lines read into the cost pools and the value
// cube, between the completion of the model and the allocation.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_PHASE_H_
#define KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_PHASE_H_

#include "allocation/run/engine.h"

namespace korav {

// Opens the transaction dump when the model asks for one.
void StartTransactionPhase(Engine& engine);
// Reads the transaction file open in engine.data_file to its end.
void ReadTransactions(Engine& engine);
// Closes the transaction dump.
void EndTransactionPhase(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_TRANSACTION_PHASE_H_
