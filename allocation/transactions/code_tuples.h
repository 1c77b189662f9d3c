// Lines whose codes are all known, found again by their code numbers.
//
// The parsing side packs a line's code numbers into one 64-bit tuple, each
// dimension in bits of its own. The applying side keeps, per tuple met, the
// class of its lines, the value cube entry of its cell and, for a cell that
// no other tuple adds to, the millionths its lines have added since, so
// that a line costs one look-up in this index. Tuples are compared whole, so two lines share a
// slot only when their codes are the same.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_
#define KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_

#include <array>
#include <cstdint>

#include "allocation/model/model_tables.h"
#include "allocation/transactions/code_lookup.h"
#include "common/hash.h"
#include "common/probe_table.h"

namespace korav {

// Immutable after construction: the parsing threads pack tuples with it
// while the applying thread unpacks them.
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

// The index of the tuples met; the applying thread's only. Its user starts
// it afresh past its most tuples, so that its memory never follows the size
// of the file (at the reader's default of 2^21 tuples: 2^22 slots of 24
// bytes, 96 MiB).
class TupleIndex {
 public:
  // A tuple's class marks lines that are not accepted; they take the
  // reader's general path, which gives them their messages.
  static constexpr int32_t kNotAccepted = -1;

  struct Slot {
    uint64_t tuple = 0;
    int32_t line_class = kEmpty;  // a LineClasses number or kNotAccepted
    int32_t entry = -1;           // the cube entry of the cell, -1 until it exists
    // The millionths added to the cell since the slot was made, while the
    // reader keeps them here (LineClass::owns_cell).
    int64_t micros = 0;
  };

  explicit TupleIndex(size_t most_tuples) : most_tuples_(most_tuples), slots_(size_t{1} << 12) {}

  static uint64_t HashOf(uint64_t tuple) { return HashWord(tuple); }
  void Prefetch(uint64_t hash) const { slots_.Prefetch(hash); }
  // The slot of `tuple`, or nullptr when it was not met. Valid until Add.
  Slot* Find(uint64_t tuple, uint64_t hash) {
    return slots_.Find(hash, [tuple](const Slot& slot) { return slot.tuple == tuple; });
  }
  // Adds `tuple`, not in the index, with its class. Valid until Add.
  Slot& Add(uint64_t tuple, uint64_t hash, int32_t line_class) {
    return slots_.Insert(hash) = Slot{tuple, line_class, -1, 0};
  }

  // Calls visit(slot) for every tuple in the index.
  template <typename Visit>
  void ForEachTuple(Visit visit) {
    slots_.ForEach(visit);
  }

  bool Full() const { return slots_.count() >= most_tuples_; }
  void Clear() { slots_.Clear(); }

 private:
  static constexpr int32_t kEmpty = -2;
  struct Traits {
    static bool Empty(const Slot& slot) { return slot.line_class == kEmpty; }
    static uint64_t HashOf(const Slot& slot) { return HashWord(slot.tuple); }
  };

  const size_t most_tuples_;
  ProbeTable<Slot, Traits> slots_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_
