// The slots of a hash table with open addressing and linear probing, the
// shape of every table the transaction reader keeps per code, key or tuple.
//
// A slot's home is given by the top bits of its key's hash, so the hash
// must spread its high bits (common/hash.h does). The table is a power of
// two slots and at most half full: Insert doubles it first when it would
// be more, so a probe always ends at an empty slot. What a slot holds, and
// how it is compared, is its user's; `Traits` says which slots are empty
// and gives back the hash of a filled one when the table grows:
//
//   struct Traits {
//     static bool Empty(const Slot& slot);
//     static uint64_t HashOf(const Slot& slot);  // its top bits suffice
//   };
//
// The slots are a LargeArray, so a large table is backed by huge pages.
// Find, Insert and Clear belong to one thread at a time.
#ifndef KORAV_COMMON_PROBE_TABLE_H_
#define KORAV_COMMON_PROBE_TABLE_H_

#include <bit>
#include <cstddef>
#include <cstdint>

#include "common/large_array.h"

namespace korav {

template <typename Slot, typename Traits>
class ProbeTable {
 public:
  // An empty table of `first_slots` slots, a power of two of at least 2;
  // Clear returns to it.
  explicit ProbeTable(size_t first_slots = 16) : first_shift_(64 - std::countr_zero(first_slots)) {
    Clear();
  }

  // Empties the table and gives back its memory beyond the first slots.
  void Clear() { Reset(size_t{1} << (64 - first_shift_)); }
  // Empties the table and sizes it for `count` slots filled.
  void Reserve(size_t count) {
    size_t slots = size_t{1} << (64 - first_shift_);
    while (slots < count * 2) slots *= 2;
    Reset(slots);
  }

  size_t count() const { return count_; }
  size_t slot_count() const { return slot_count_; }

  // The filled slot for which match(slot) holds on the probe of `hash`, or
  // nullptr. Valid until Insert or Clear.
  template <typename Match>
  Slot* Find(uint64_t hash, Match match) {
    for (size_t i = Home(hash);; i = Next(i)) {
      Slot& slot = slots_[i];
      if (Traits::Empty(slot)) return nullptr;
      if (match(slot)) return &slot;
    }
  }
  template <typename Match>
  const Slot* Find(uint64_t hash, Match match) const {
    return const_cast<ProbeTable*>(this)->Find(hash, match);
  }

  // The empty slot where a new key of `hash` goes, counted as filled; the
  // caller fills it. The key must not be in the table. Valid until Insert
  // or Clear.
  Slot& Insert(uint64_t hash) {
    if ((count_ + 1) * 2 > slot_count_) Grow();
    ++count_;
    return slots_[FreeSlot(hash)];
  }

  // Asks the processor to fetch the home slot of `hash`.
  void Prefetch(uint64_t hash) const { __builtin_prefetch(&slots_[Home(hash)]); }

  // Calls visit(slot) for every filled slot.
  template <typename Visit>
  void ForEach(Visit visit) {
    for (size_t i = 0; i < slot_count_; ++i) {
      if (!Traits::Empty(slots_[i])) visit(slots_[i]);
    }
  }

 private:
  size_t Home(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }
  size_t Next(size_t i) const { return (i + 1) & (slot_count_ - 1); }
  size_t FreeSlot(uint64_t hash) const {
    size_t i = Home(hash);
    while (!Traits::Empty(slots_[i])) i = Next(i);
    return i;
  }

  void Reset(size_t slots) {
    slots_ = MakeLargeArray(slots, Slot{});
    slot_count_ = slots;
    shift_ = 64 - std::countr_zero(slots);
    count_ = 0;
  }

  void Grow() {
    LargeArray<Slot> old = MakeLargeArray(slot_count_ * 2, Slot{});
    old.swap(slots_);
    const size_t old_count = slot_count_;
    slot_count_ *= 2;
    --shift_;
    for (size_t i = 0; i < old_count; ++i) {
      if (!Traits::Empty(old[i])) slots_[FreeSlot(Traits::HashOf(old[i]))] = old[i];
    }
  }

  const int first_shift_;  // 64 - log2(first slot count)
  LargeArray<Slot> slots_;
  size_t slot_count_ = 0;
  int shift_ = 0;  // 64 - log2(slot count)
  size_t count_ = 0;
};

}  // namespace korav

#endif  // KORAV_COMMON_PROBE_TABLE_H_
