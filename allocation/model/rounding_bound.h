// How far a cost pool's value and its value cube total may drift apart by
// rounding alone, so that the check of one against the other reports only a
// real difference.
//
// Both sides add up the same amounts in different orders: the value adds
// them as they come, the cube adds each cell's amounts and later the cells.
// Each floating-point addition is off by at most u = 2^-53 of its result,
// and no partial sum exceeds the sum of the magnitudes of what was added.
// So every pool keeps that sum (SummedMagnitude); its TxCount transactions,
// each added once on either side, may have rounded by 2u x TxCount x that
// sum, and what else it received keeps a running bound (RoundingBound). An
// allocation passes the sender's bound on in proportion to what it moves.
// The bound grows with the number and size of the amounts, and stays far
// below any amount that a lost or doubled line would leave.
#ifndef KORAV_ALLOCATION_MODEL_ROUNDING_BOUND_H_
#define KORAV_ALLOCATION_MODEL_ROUNDING_BOUND_H_

#include <cmath>
#include <cstdint>

#include "allocation/model/model_tables.h"

namespace korav {

// The largest relative rounding error of one operation on doubles.
inline constexpr double kUnitRoundoff = 0x1p-53;

// A transaction's `amount` was added once to the pool's value and once to
// one of its cells, and TxCount counted it. Transactions are many, so this
// is all each one costs; their rounding follows from TxCount.
inline void CountTransactionAmount(TmyCP& pool, double amount) {
  pool.SummedMagnitude += std::fabs(amount);
}

// `amount` was added once to the pool's value and once to one of its cells.
inline void CountAmount(TmyCP& pool, double amount) {
  pool.SummedMagnitude += std::fabs(amount);
  pool.RoundingBound += 2 * kUnitRoundoff * pool.SummedMagnitude;
}

// How far rounding may have moved the pool's value and the sum of its
// entries apart so far: what its transactions and what its other amounts
// may have done.
double RoundingSoFar(const TmyCP& pool);

// `amount` was added to the receiver's value while each of the sender's
// `entries` cube entries, times `factor`, was added to the receiver's cells.
// The receiver may be the sender.
void CountTransfer(TmyCP& receiver, const TmyCP& sender, double amount, double factor,
                   int32_t entries);

// The difference between the pool's value and its cube total (VCTotal, summed
// over VCCount entries) above which they do not match: 0.01, the tolerance of
// the allocation, plus twice the rounding bound, which covers the
// higher-order terms the first-order bound leaves out.
double CubeTotalTolerance(const TmyCP& pool);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_ROUNDING_BOUND_H_
