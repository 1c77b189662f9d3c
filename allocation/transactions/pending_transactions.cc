// Transactions are not read yet: a transaction file named by the run file is
// opened and closed, and nothing is stored.
#include "allocation/transactions/transaction_phase.h"

namespace korav {

void StartTransactionPhase(Engine&) {}
void ReadTransactions(Engine&) {}
void EndTransactionPhase(Engine&) {}

}  // namespace korav
