// Lines whose codes are all known, found again by their code numbers.
//
// The parsing side packs a line's code numbers into one 64-bit tuple, each
// dimension in bits of its own. The applying side keeps, per tuple met, the
// class of its lines, the value cube entry of its cell and, for a cell that
// no other tuple adds to, the cell's running value, so that a line costs one
// look-up in this index. Tuples are compared whole, so two lines share a
// slot only when their codes are the same.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_
#define KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_

#include <array>
#include <cstdint>

#include "allocation/model/model_tables.h"
#include "allocation/transactions/code_lookup.h"
#include "common/large_array.h"

namespace korav {

class TuplePacking {
 public:
  explicit TuplePacking(const ModelTables& model);

  // True when every code number of the model fits into one tuple.
  bool Usable() const { return usable_; }
  uint64_t Pack(const CodeNumbers& codes) const;
  // Sets codes[1..dimensions] from `tuple`, as Pack had them.
  void Unpack(uint64_t tuple, CodeNumbers& codes) const;

 private:
  int dimensions_ = 0;
  bool usable_ = false;
  std::array<int, kMaxDimensions + 1> shift_{};
  std::array<uint64_t, kMaxDimensions + 1> mask_{};
};

class TupleIndex {
 public:
  // A tuple's class marks lines that are not accepted; they take the
  // reader's general path, which gives them their messages.
  static constexpr int32_t kNotAccepted = -1;
  // Past this many tuples the index starts afresh, so that its memory (at
  // most 96 MiB) never follows the size of the file.
  static constexpr size_t kMostTuples = size_t{1} << 21;

  struct Slot {
    uint64_t tuple = 0;
    int32_t line_class = kEmpty;  // a LineClasses number or kNotAccepted
    int32_t entry = -1;           // the cube entry of the cell, -1 until it exists
    // The cell's value while the reader keeps it here (LineClass::owns_cell).
    double value = 0;
  };

  TupleIndex();

  static uint64_t HashOf(uint64_t tuple) { return tuple * 0x9E3779B97F4A7C15u; }
  void Prefetch(uint64_t hash) const { __builtin_prefetch(&slots_[SlotOf(hash)]); }
  // The slot of `tuple`, or nullptr when it was not met. Valid until Add.
  Slot* Find(uint64_t tuple, uint64_t hash);
  // Adds `tuple`, not in the index, with its class. Valid until Add.
  Slot& Add(uint64_t tuple, uint64_t hash, int32_t line_class);

  // Calls visit(slot) for every tuple in the index.
  template <typename Visit>
  void ForEachTuple(Visit visit) {
    for (size_t i = 0; i < slot_count_; ++i) {
      if (slots_[i].line_class != kEmpty) visit(slots_[i]);
    }
  }

  bool Full() const { return count_ >= kMostTuples; }
  void Clear();

 private:
  static constexpr int32_t kEmpty = -2;
  size_t SlotOf(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }
  void Grow();

  LargeArray<Slot> slots_;  // open addressing, at most half full
  size_t slot_count_ = 0;
  int shift_ = 0;  // 64 - log2(slot count)
  size_t count_ = 0;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_
