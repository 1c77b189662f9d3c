// Why a pool's cost changed between two runs, sender by sender, and the
// figures as printed: to the cent, adding up.
//
// A sender moves cost into a pool along its base lines: its allocated amount
// times its share (the proportions of its lines into the pool), and it may
// send the pool its variance besides. Between run A and run B the flow
// changes by
//   cost effect  = (allocated in B - allocated in A) x share in A
//                  + (variance in B - variance in A)
//   share effect = allocated in B x (share in B - share in A)
// which add up to the flow in B less the flow in A: what the sender's own
// cost did, and what the pool's share of it did. A flow in one run only has
// share 0 in the other.
#ifndef KORAV_ALLOCATION_COMPARE_EFFECTS_H_
#define KORAV_ALLOCATION_COMPARE_EFFECTS_H_

#include <optional>
#include <string>
#include <vector>

#include "common/exact_sum.h"

namespace korav {

// What one sender moved into one pool in one run.
struct SenderFlow {
  double allocated = 0;  // the sender's allocated amount, over all its lines
  double share = 0;      // the proportions of its lines into the pool
  double amount = 0;     // what those lines moved
  double variance = 0;   // the variance it sent the pool
};

struct Effect {
  double cost = 0;
  double share = 0;
  double change = 0;  // the flow in B less the flow in A
};

Effect SenderEffect(const SenderFlow& a, const SenderFlow& b);

// A figure in cents, as FormatFixed2 prints it.
using Cents = Int128;

// Figures up to this size are printed to the cent and added as cents.
inline constexpr double kLargestPrinted = 1e30;

// `value` in cents as FormatFixed2 rounds it; none when it is not finite or
// not below kLargestPrinted in size.
std::optional<Cents> CentsOf(double value);

// `cents` with two decimals ("-1234.50", "0.00").
std::string CentsText(Cents cents);

// A pool's effects as printed: each sender's cost and share effect are
// rounded to the cent, as every figure is, and its change is their sum, so
// that every row adds up as printed; what the
// pool's change holds beyond its senders' changes is the pool's own
// transactions (and the rounding of the rows above it), so that the rows
// add up to the pool's change to the cent.
struct PrintedEffect {
  Cents cost = 0;
  Cents share = 0;
  Cents change = 0;
};
struct PrintedEffects {
  std::vector<PrintedEffect> senders;
  Cents own = 0;
};

// None when a figure cannot be printed to the cent (see CentsOf).
std::optional<PrintedEffects> PrintEffects(Cents pool_change, const std::vector<Effect>& senders);

}  // namespace korav

#endif  // KORAV_ALLOCATION_COMPARE_EFFECTS_H_
