#include "allocation/model/rounding_bound.h"

#include <algorithm>

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

double RoundingSoFar(const TmyCP& pool) {
  return 2 * kUnitRoundoff * pool.TxCount * pool.SummedMagnitude + pool.RoundingBound;
}

double CubeTotalTolerance(const TmyCP& pool) {
  constexpr double kAllocationTolerance = 0.01;
  const double summing_cells = pool.VCCount * kUnitRoundoff * pool.SummedMagnitude;
  return kAllocationTolerance + 2 * (RoundingSoFar(pool) + summing_cells);
}

}  // namespace korav
