// How far a cost pool's value and its value cube total may drift apart by
// rounding alone, so that the check of one against the other reports only a
// real difference.
//
// Both sides add up the same amounts in different ways: the value as one
// sum, the cube cell by cell and later the cells. Transaction amounts held
// in millionths add up exactly and are rounded once for the value and once
// for each cell; other amounts are added in floating point in the order
// they come. Each floating-point operation is off by at most u = 2^-53 of
// its result, and no partial sum exceeds the sum of the magnitudes of what
// was added. So every pool keeps that sum (SummedMagnitude); its TxCount
// transactions may have rounded by 2u x TxCount x that sum, and what else
// it received keeps a running bound (RoundingBound). An
// allocation passes the sender's bound on in proportion to what it moves.
// The bound grows with the number and size of the amounts, and stays far
// below any amount that a lost or doubled line would leave.
#ifndef KORAV_ALLOCATION_MODEL_ROUNDING_BOUND_H_
#define KORAV_ALLOCATION_MODEL_ROUNDING_BOUND_H_

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "allocation/model/model_tables.h"

namespace korav {

// The largest relative rounding error of one operation on doubles.
inline constexpr double kUnitRoundoff = 0x1p-53;

// Whether the pool can take more amounts of `magnitude` in all without any
// figure of it overflowing. No partial sum of its value or of one of its
// cells exceeds its summed magnitude in size, so all of them stay finite as
// long as that sum does, and so does its rounding bound.
inline bool StaysFinite(const TmyCP& pool, double magnitude) {
  return std::isfinite(pool.SummedMagnitude + magnitude);
}

// Transactions of `amount` reached the pool's value and one of its cells,
// and TxCount counted them: one line's amount, or the exact sum of lines of
// one cell, which is no larger than their magnitudes and all that the
// rounding of an exact sum depends on. Transactions are many, so this is
// all they cost; their rounding follows from TxCount.
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

// How much the receiver's summed magnitude grows when `amount` of the
// sender's value moves to it: the amount, or when the sender has a value to
// scale its cells by, what those cells bring if that is more.
double MovedMagnitude(const TmyCP& sender, double amount);

// `amount` was added to the receiver's value while each of the sender's
// `entries` cube entries, times `factor`, was added to the receiver's cells.
// The receiver may be the sender.
void CountTransfer(TmyCP& receiver, const TmyCP& sender, double amount, double factor,
                   int32_t entries);

// A solved loop of `members` pools added `value` to the member's value and
// amounts of `cells` in size all told to `entries` of its cube entries, and
// left out `dropped` in size that its cell by cell solve took for rounding.
// Both sides were worked out by solving equations over the members, whose
// rounding grows with what the member's full cost draws on: `reach`, the
// sum over members j of |M_ij| x j's summed magnitude, M the full cost of
// each member per unit of each member's own cost. `inherited`, the same sum
// over the rounding so far of the other members, is the drift they pass on.
// A loop too large to sum M row by row may give figures above these sums,
// never below.
void CountLoopSettlement(TmyCP& member, double value, double cells, double dropped, int32_t entries,
                         size_t members, double reach, double inherited);

// The difference between the pool's value and its cube total (VCTotal, summed
// over VCCount entries) above which they do not match: kShareThreshold, what
// the allocation leaves with a pool, plus twice the rounding bound, which covers the
// higher-order terms the first-order bound leaves out.
double CubeTotalTolerance(const TmyCP& pool);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_ROUNDING_BOUND_H_
