// The smallest amount the allocation moves.
#ifndef KORAV_ALLOCATION_MODEL_SHARE_THRESHOLD_H_
#define KORAV_ALLOCATION_MODEL_SHARE_THRESHOLD_H_

namespace korav {

// A share of this amount or less is not allocated: it stays with its pool,
// whether the pool allocates alone or in a solved loop. So a pool's value and
// its cube total may differ by this much besides their rounding, and the Cost
// Flow Chart draws no band for such a share.
inline constexpr double kShareThreshold = 0.01;

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_SHARE_THRESHOLD_H_
