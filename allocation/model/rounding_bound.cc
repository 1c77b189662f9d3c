#include "allocation/model/rounding_bound.h"

#include <algorithm>

#include "allocation/model/share_threshold.h"

namespace korav {

// The cube side receives factor x each sender entry: the sender's own drift
// scaled, the rounding of the factor (division) and of each product, and
// then one addition per entry into the receiver's cells. The value side
// receives one addition.
void CountTransfer(TmyCP& receiver, const TmyCP& sender, double amount, double factor,
                   int32_t entries) {
  const double moved = std::fabs(factor) * sender.SummedMagnitude;
  const double inherited = std::fabs(factor) * RoundingSoFar(sender);
  receiver.SummedMagnitude += std::max(std::fabs(amount), moved);
  receiver.RoundingBound += inherited + kUnitRoundoff * (2 * std::fabs(amount) + moved) +
                            (entries + 1.0) * kUnitRoundoff * receiver.SummedMagnitude;
}

double MovedMagnitude(const TmyCP& sender, double amount) {
  if (sender.Value == 0) return std::fabs(amount);
  return std::max(std::fabs(amount), std::fabs(amount / sender.Value) * sender.SummedMagnitude);
}

// The factorisation and the two triangular solves round each figure about
// `members` times apiece (sparse elimination no more often than that), and
// the value adds up to `members` shares; each entry, and the value, then
// takes one addition.
void CountLoopSettlement(TmyCP& member, double value, double cells, double dropped, int32_t entries,
                         size_t members, double reach, double inherited) {
  member.SummedMagnitude += std::max(std::fabs(value), cells);
  member.RoundingBound += dropped + inherited +
                          (4.0 * static_cast<double>(members) + entries + 1) * kUnitRoundoff *
                              (reach + member.SummedMagnitude);
}

double RoundingSoFar(const TmyCP& pool) {
  return 2 * kUnitRoundoff * pool.TxCount * pool.SummedMagnitude + pool.RoundingBound;
}

double CubeTotalTolerance(const TmyCP& pool) {
  const double summing_cells = pool.VCCount * kUnitRoundoff * pool.SummedMagnitude;
  return kShareThreshold + 2 * (RoundingSoFar(pool) + summing_cells);
}

}  // namespace korav
