// The cells of one cost pool found by their key: a table with open
// addressing and linear probing over the pool's entry numbers. The value
// cube keeps one per pool while the allocation runs, so that a transfer into
// a pool looks its cells up in a table of that pool's size rather than in
// the index of the whole cube.
//
// A slot is four bytes, as a chain head of the cube's own index is: the
// entry number (below 2^26) and six more bits of its key's hash, so that a
// probe reads an entry only when those match. The table is at most half
// full, since most look-ups of a transfer find no cell and an unsuccessful
// linear probe lengthens steeply past that (from 2.5 slots on average at
// half full to 8.5 at three quarters); the owner, which keeps the entries'
// keys, builds a full table again at twice the size.
#ifndef KORAV_ALLOCATION_CUBE_POOL_INDEX_H_
#define KORAV_ALLOCATION_CUBE_POOL_INDEX_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "common/buddy_arena.h"
#include "common/hash.h"

namespace korav {

class PoolIndex {
 public:
  // Entry numbers a slot can hold.
  static constexpr int32_t kMostEntries = (int32_t{1} << 26) - 1;

  // The hash of a key's two parts.
  static uint64_t KeyHash(int64_t index1, int64_t index2) {
    const int64_t key[2] = {index1, index2};
    return XXH3_64bits(key, sizeof key);
  }

  // Whether the table holds anything, or has been given back.
  bool Built() const { return slot_count_ != 0; }
  // An empty table in `arena`, which must outlive it, sized for `count`
  // entries, so that as many go in before it is Full.
  void Build(size_t count, BuddyArena& arena) {
    size_t slots = 8;
    while (slots < count * 2) slots *= 2;
    Reset(slots, arena);
  }
  // Gives the table's memory back.
  void Clear() {
    slots_.reset();
    slot_count_ = 0;
    count_ = 0;
  }

  // The entry for which same_key(entry) holds among those inserted under
  // `hash`, or -1.
  template <typename SameKey>
  int32_t Find(uint64_t hash, SameKey same_key) const {
    size_t empty = 0;
    return Find(hash, same_key, empty);
  }
  // The same, setting `empty` to the slot where an entry of `hash` goes
  // when there is none: InsertAt takes it while the table stays as it is.
  template <typename SameKey>
  int32_t Find(uint64_t hash, SameKey same_key, size_t& empty) const {
    return FindFrom(Home(hash), hash, same_key, empty);
  }
  // The same, starting at the slot `stop` that FirstStop(hash) gave: the
  // slots before it on the probe stay as they were while the table only
  // gains entries, so a walk may resume there until the table is built
  // again.
  template <typename SameKey>
  int32_t FindFrom(size_t stop, uint64_t hash, SameKey same_key, size_t& empty) const {
    const uint32_t tag = TagOf(hash);
    for (size_t i = stop;; i = Next(i)) {
      const uint32_t slot = slots_[i];
      if (slot == 0) {
        empty = i;
        return -1;
      }
      if ((slot & kTagMask) == tag && same_key(EntryOf(slot))) return EntryOf(slot);
    }
  }

  // Asks the processor to fetch the slot where the probe of `hash` starts.
  void PrefetchHome(uint64_t hash) const { __builtin_prefetch(&slots_[Home(hash)]); }
  // The first slot on the probe of `hash` that is empty or holds an entry
  // with the hash's tag: where a look-up of `hash` reads its first entry.
  size_t FirstStop(uint64_t hash) const {
    const uint32_t tag = TagOf(hash);
    size_t i = Home(hash);
    while (slots_[i] != 0 && (slots_[i] & kTagMask) != tag) i = Next(i);
    return i;
  }
  // The entry in slot `i`, -1 when it is empty.
  int32_t EntryAt(size_t i) const { return EntryOf(slots_[i]); }

  // Whether one more entry would fill the table past half; the
  // owner then builds it again, larger, from its entries.
  bool Full() const { return (count_ + 1) * 2 > slot_count_; }
  // Adds entry `entry`, whose key has `hash` and is not in the table yet;
  // the table must not be Full.
  void Insert(uint64_t hash, int32_t entry) {
    size_t i = Home(hash);
    while (slots_[i] != 0) i = Next(i);
    InsertAt(i, hash, entry);
  }
  // Adds entry `entry` of `hash` at the slot `empty` that Find gave.
  void InsertAt(size_t empty, uint64_t hash, int32_t entry) {
    ++count_;
    slots_[empty] = (static_cast<uint32_t>(entry + 1) << kTagBits) | TagOf(hash);
  }
  // How many entries the table holds.
  size_t Count() const { return count_; }

  size_t FootprintBytes() const { return slot_count_ * sizeof(uint32_t); }

 private:
  static constexpr int kTagBits = 6;
  static constexpr uint32_t kTagMask = (uint32_t{1} << kTagBits) - 1;

  // The tag comes from the hash's low bits, the home from its top bits.
  static uint32_t TagOf(uint64_t hash) { return static_cast<uint32_t>(hash) & kTagMask; }
  static int32_t EntryOf(uint32_t slot) { return static_cast<int32_t>(slot >> kTagBits) - 1; }
  size_t Home(uint64_t hash) const { return static_cast<size_t>(hash >> shift_); }
  size_t Next(size_t i) const { return (i + 1) & (slot_count_ - 1); }

  void Reset(size_t slots, BuddyArena& arena) {
    const size_t bytes = slots * sizeof(uint32_t);
    void* memory = arena.Allocate(bytes);
    if (memory == nullptr) throw std::bad_alloc();
    std::memset(memory, 0, bytes);
    slots_ = std::unique_ptr<uint32_t[], Free>(static_cast<uint32_t*>(memory), Free{&arena, bytes});
    slot_count_ = slots;
    shift_ = 64 - std::countr_zero(slots);
    count_ = 0;
  }

  struct Free {
    BuddyArena* arena;
    size_t bytes;
    void operator()(uint32_t* slots) const { arena->Free(slots, bytes); }
  };
  std::unique_ptr<uint32_t[], Free> slots_;
  size_t slot_count_ = 0;
  int shift_ = 64;
  size_t count_ = 0;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_CUBE_POOL_INDEX_H_
