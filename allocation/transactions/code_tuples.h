// Lines whose codes are all known, found again by their code numbers.
//
// The parsing side packs a line's code numbers into one 64-bit tuple, each
// dimension in bits of its own, and works out the tuple's place in the
// index. The applying side keeps, per tuple met, the class of its lines, the
// value cube entry of its cell and, for a cell that no other tuple adds to,
// the millionths its lines have added since, so that a line costs one
// look-up in this index. Two lines share a slot only when their codes are
// the same.
//
// Where the model's code combinations are few enough, every tuple has a
// slot of its own, at its mixed-radix number (the codes as the digits of a
// number whose radix in each dimension is its value count + 1): a line then
// reads one 16-byte slot, with no probing and no tuple to compare, and the
// slots that a file reaches lie close together. Otherwise tuples are found
// by their hash.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_
#define KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_

#include <array>
#include <cstdint>

#include "allocation/model/model_tables.h"
#include "allocation/transactions/code_lookup.h"
#include "common/hash.h"
#include "common/large_array.h"
#include "common/probe_table.h"

namespace korav {

// Immutable after construction: the parsing threads pack tuples with it
// while the applying thread unpacks them.
class TuplePacking {
 public:
  // Tuples have places of their own when the model's code combinations
  // number at most `most_places`.
  TuplePacking(const ModelTables& model, uint64_t most_places);

  // True when every code number of the model fits into one tuple.
  bool Usable() const { return usable_; }
  // True when each tuple has a place of its own; then there are Places().
  bool Dense() const { return dense_; }
  uint64_t Places() const { return places_; }

  uint64_t Pack(const CodeNumbers& codes) const;
  // Sets codes[1..dimensions] from `tuple`, as Pack had them.
  void Unpack(uint64_t tuple, CodeNumbers& codes) const;
  // Where TupleIndex looks for the tuple of `codes`, `tuple`: its own place
  // when Dense(), else its hash.
  uint64_t PlaceOf(const CodeNumbers& codes, uint64_t tuple) const {
    if (!dense_) return HashWord(tuple);
    uint64_t place = 0;
    for (int k = 1; k <= dimensions_; ++k) {
      place +=
          static_cast<uint64_t>(codes[static_cast<size_t>(k)]) * stride_[static_cast<size_t>(k)];
    }
    return place;
  }
  // The tuple at `place`, when Dense().
  uint64_t TupleAt(uint64_t place) const;

 private:
  int dimensions_ = 0;
  bool usable_ = false;
  bool dense_ = false;
  uint64_t places_ = 0;
  std::array<int, kMaxDimensions + 1> shift_{};
  std::array<uint64_t, kMaxDimensions + 1> mask_{};
  std::array<uint64_t, kMaxDimensions + 1> radix_{};
  std::array<uint64_t, kMaxDimensions + 1> stride_{};
};

// The index of the tuples met; the applying thread's only. Its user starts
// it afresh past its most tuples, so that its memory never follows the size
// of the file (at the reader's default of 2^21 tuples: 2^22 slots of 24
// bytes, 96 MiB, or when dense at most 2^22 places of 16 bytes, 64 MiB).
class TupleIndex {
 public:
  // A tuple's class marks lines that are not accepted; they take the
  // reader's general path, which gives them their messages.
  static constexpr int32_t kNotAccepted = -1;

  struct Slot {
    int32_t line_class = kEmpty;  // a LineClasses number or kNotAccepted
    int32_t entry = -1;           // the cube entry of the cell, -1 until it exists
    // The millionths added to the cell since the slot was made, while the
    // reader keeps them here (LineClass::owns_cell).
    int64_t micros = 0;
  };

  // `packing` must outlive the index.
  TupleIndex(size_t most_tuples, const TuplePacking& packing);

  void Prefetch(uint64_t place) const {
    if (packing_.Dense()) {
      __builtin_prefetch(&dense_[place]);
    } else {
      keyed_.Prefetch(place);
    }
  }
  // The slot of `tuple` at `place` (TuplePacking::PlaceOf), or nullptr when
  // it was not met. Valid until Add.
  Slot* Find(uint64_t tuple, uint64_t place) {
    if (packing_.Dense()) {
      Slot& slot = dense_[place];
      return slot.line_class == kEmpty ? nullptr : &slot;
    }
    Keyed* keyed = keyed_.Find(place, [tuple](const Keyed& k) { return k.tuple == tuple; });
    return keyed == nullptr ? nullptr : &keyed->slot;
  }
  // Adds `tuple`, not in the index, with its class. Valid until Add.
  Slot& Add(uint64_t tuple, uint64_t place, int32_t line_class);

  // Calls visit(tuple, slot) for every tuple in the index.
  template <typename Visit>
  void ForEachTuple(Visit visit) {
    if (!packing_.Dense()) {
      keyed_.ForEach([&visit](Keyed& keyed) { visit(keyed.tuple, keyed.slot); });
      return;
    }
    for (uint64_t place = 0; place < packing_.Places(); ++place) {
      if (dense_[place].line_class != kEmpty) visit(packing_.TupleAt(place), dense_[place]);
    }
  }

  bool Full() const { return count_ >= most_tuples_; }
  void Clear();

 private:
  static constexpr int32_t kEmpty = -2;
  struct Keyed {
    uint64_t tuple = 0;
    Slot slot;
  };
  struct Traits {
    static bool Empty(const Keyed& keyed) { return keyed.slot.line_class == kEmpty; }
    static uint64_t HashOf(const Keyed& keyed) { return HashWord(keyed.tuple); }
  };

  const size_t most_tuples_;
  const TuplePacking& packing_;
  size_t count_ = 0;
  LargeArray<Slot> dense_;  // by place, when the packing is dense
  ProbeTable<Keyed, Traits> keyed_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_CODE_TUPLES_H_
