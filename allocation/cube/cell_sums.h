// The exact sums of the transaction amounts that the value cube's entries
// receive, from the first transaction file to the allocation.
//
// An entry's sum is a whole number of millionths in an array by entry number
// (8 bytes an entry while transactions are read). One that would overflow
// 64 bits, or that takes an amount not held in millionths, moves whole into
// a map of ExactSums, which ledger amounts seldom need. The cube's doubles
// are set from the sums when a file has been read, so that every cell is the
// correctly rounded decimal sum of its amounts, whatever their number and
// order.
#ifndef KORAV_ALLOCATION_CUBE_CELL_SUMS_H_
#define KORAV_ALLOCATION_CUBE_CELL_SUMS_H_

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "allocation/cube/value_cube.h"
#include "common/exact_sum.h"

namespace korav {

class CellSums {
 public:
  // Makes room for the sums of the cube's first `entries` entries at once.
  void Cover(int32_t entries) {
    if (entries > 0) Reach(entries - 1);
  }
  // Adds to the sum of cube entry `entry`.
  void Add(int32_t entry, const Amount& amount);
  void AddMicros(int32_t entry, int64_t micros);

  // Asks the processor to fetch the sum of entry `entry` ahead of its use.
  void Prefetch(int32_t entry) const {
    if (static_cast<size_t>(entry) < micros_.size())
      __builtin_prefetch(&micros_[static_cast<size_t>(entry)]);
  }

  // The sum of entry `entry`, correctly rounded, plus the double it started
  // from (Resume).
  double Value(int32_t entry) const;
  // Sets the double of every entry that has a sum.
  void Store(ValueCube& cube) const;

  // Forgets every sum; a cube made afresh has none.
  void Clear();
  // Forgets every sum when the allocation begins, which adds to the cube's
  // doubles alone; Released() tells the transaction files that follow.
  void Release();
  bool Released() const { return released_; }
  // For a transaction file read after the allocation: each entry of `cube`
  // starts from its double as it stands.
  void Resume(const ValueCube& cube);

 private:
  void Reach(int32_t entry) {
    if (static_cast<size_t>(entry) >= micros_.size())
      micros_.resize(static_cast<size_t>(entry) + 1);
  }
  // Moves entry `entry`'s millionths into its map sum and adds `amount` there.
  void Spill(int32_t entry, const Amount& amount);

  std::vector<int64_t> micros_;
  std::unordered_map<int32_t, ExactSum> spilled_;
  std::vector<double> start_;  // by entry, after Resume
  bool released_ = false;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_CUBE_CELL_SUMS_H_
