// What the code columns of a transaction line decide, kept once per distinct
// text of those columns.
//
// A line's codes, the messages its codes earn, its cost pool group and pool,
// the selection rows it matches and its value cube cell depend on its code
// columns only, never on its amount, and transaction files repeat the same
// few code combinations millions of times. The reader works each combination
// out once and finds it again by one hash of the columns' raw bytes; the
// cache also remembers the cube entry of the combination's cell once the
// cell exists, so that later lines add to it directly.
//
// The cache holds about 64 MiB at most: past that its user makes it start
// afresh, so that its memory never follows the size of the file.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_PLACEMENT_CACHE_H_
#define KORAV_ALLOCATION_TRANSACTIONS_PLACEMENT_CACHE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/model/model_tables.h"

namespace korav {

// What one combination of code columns decides.
struct LineOutcome {
  // The code numbers of the known codes, 0 for an empty column or an unknown
  // code; every known code counts a transaction for its value.
  std::array<int32_t, kMaxDimensions + 1> codes{};
  // Every code known and a pool chosen: the line's amount goes to the
  // tallies and the cube. Otherwise only the codes count and the messages
  // are logged.
  bool accepted = false;
  bool negate = false;  // the group's Flag
  int32_t group = 0;
  int32_t group_row = 0;  // the "CPGS" row that chose the group
  int32_t pool = 0;
  int32_t pool_row = 0;  // the "CPS" row that chose the pool
  // The "IMS" rows of transaction-based input measures that admit the codes.
  std::vector<int32_t> measure_rows;
  // The texts of the error lines the codes earn (e203, e204, e205), in the
  // order they are logged.
  std::vector<std::string> messages;

  void Clear();
};

// A 64-bit hash of `bytes`.
uint64_t HashBytes(std::string_view bytes);

class PlacementCache {
 public:
  // `dimensions` is the model's dimension count.
  explicit PlacementCache(int dimensions);

  // A cached combination: its outcome as the reader applies it.
  class Record {
   public:
    bool accepted() const { return (Word(kFlags) & kAccepted) != 0; }
    bool negate() const { return (Word(kFlags) & kNegate) != 0; }
    int32_t group() const { return Word(kGroup); }
    int32_t group_row() const { return Word(kGroupRow); }
    int32_t pool() const { return Word(kPool); }
    int32_t pool_row() const { return Word(kPoolRow); }
    // Code number of dimension k, 1..dimensions.
    int32_t code(int k) const { return Word(kCodes + k - 1); }
    int32_t measure_count() const { return Word(kMeasureCount); }
    int32_t measure_row(int i) const { return Word(kCodes + dimensions_ + i); }
    int32_t message_count() const { return (Word(kFlags) >> 8) & 0xFF; }
    int32_t first_message() const { return Word(kFirstMessage); }
    // The cube entry of the combination's cell, -1 until it exists.
    int32_t entry() const { return Word(kEntry); }
    void set_entry(int32_t entry) { words_[kEntry] = entry; }

   private:
    friend class PlacementCache;
    enum : int {
      kKeyLength,
      kFlags,
      kGroup,
      kGroupRow,
      kPool,
      kPoolRow,
      kEntry,
      kFirstMessage,
      kMeasureCount,
      kCodes,
    };
    static constexpr int32_t kAccepted = 1;
    static constexpr int32_t kNegate = 2;
    Record(int32_t* words, int dimensions) : words_(words), dimensions_(dimensions) {}
    int32_t Word(int i) const { return words_[i]; }
    int32_t* words_;
    int dimensions_;
  };

  // The record of the combination whose columns read `key` (hash `hash`),
  // or false when it is not cached.
  bool Find(std::string_view key, uint64_t hash, int32_t& record) const;
  // Caches `outcome` for `key` and returns its record number.
  int32_t Add(std::string_view key, uint64_t hash, const LineOutcome& outcome);
  // Starts afresh when the cache holds its most. Record numbers stay valid
  // from one call to the next.
  void MakeRoom();

  // Asks the processor to fetch what Find for `hash` will read first: the
  // slot, and with PrefetchRecord the record the slot names.
  void PrefetchSlot(uint64_t hash) const { __builtin_prefetch(&slots_[SlotOf(hash)]); }
  void PrefetchRecord(uint64_t hash) const;

  Record At(int32_t record) { return Record(&words_[static_cast<size_t>(record)], dimensions_); }
  const std::string& Message(int32_t n) const { return messages_[static_cast<size_t>(n)]; }

 private:
  void Clear();
  void Grow();
  std::string_view KeyOf(int32_t record) const;
  // The slot of a hash: from its high half, which the slot keeps.
  size_t SlotOf(uint64_t hash) const {
    return static_cast<size_t>(hash >> 32) & (slots_.size() - 1);
  }

  int dimensions_;
  // Records, one after the other: the fixed words of Record, the codes, the
  // measure rows and the key's bytes, padded to whole words.
  std::vector<int32_t> words_;
  // Open addressing, probed linearly: the hash's high half and the record
  // number + 1; 0 for an empty slot. Never more than half full, and never
  // more than 2^32 slots.
  std::vector<uint64_t> slots_;
  size_t records_ = 0;
  std::vector<std::string> messages_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_PLACEMENT_CACHE_H_
