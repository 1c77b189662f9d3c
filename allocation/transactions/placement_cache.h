// What the code columns of a transaction line decide, kept once per distinct
// text of those columns, for the lines that the reader's fast path leaves
// to it: lines with quotes, unknown codes, or codes that no pool takes.
//
// A line's codes, the messages its codes earn, its class (group, pool and
// matching rows) and its value cube cell depend on its code columns only,
// never on its amount. The reader works each combination out once and finds
// it again by one hash of the columns' raw bytes; the cache also remembers
// the cube entry of the combination's cell once the cell exists, so that
// later lines add to it directly.
//
// The cache is full past a number of bytes given when it is made (records
// and the texts of their messages); its user then makes it start afresh,
// so that its memory never follows the size of the file. It belongs to the
// applying thread only.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_PLACEMENT_CACHE_H_
#define KORAV_ALLOCATION_TRANSACTIONS_PLACEMENT_CACHE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/transactions/line_outcome.h"
#include "common/probe_table.h"

namespace korav {

class PlacementCache {
 public:
  // `dimensions` is the model's dimension count; the cache is full past
  // `most_bytes` of records and messages.
  PlacementCache(int dimensions, size_t most_bytes);

  // A cached combination: its outcome as the reader applies it.
  class Record {
   public:
    // The number of the line class given to Add, or -1 when the line is not
    // accepted.
    int32_t line_class() const { return Word(kClass); }
    // For a line not accepted, the message number it is rejected under
    // (LineOutcome::rejection); 0 for an accepted one.
    int32_t rejection() const { return Word(kRejection); }
    // Code number of dimension k, 1..dimensions.
    int32_t code(int k) const { return Word(kCodes + k - 1); }
    int32_t message_count() const { return Word(kMessageCount); }
    int32_t first_message() const { return Word(kFirstMessage); }
    // The cube entry of the combination's cell, -1 until it exists.
    int32_t& entry() { return words_[kEntry]; }

   private:
    friend class PlacementCache;
    enum : int {
      kKeyLength,
      kClass,
      kRejection,
      kEntry,
      kFirstMessage,
      kMessageCount,
      kCodes,
    };
    explicit Record(int32_t* words) : words_(words) {}
    int32_t Word(int i) const { return words_[i]; }
    int32_t* words_;
  };

  // The record of the combination whose columns read `key` (hash `hash`),
  // or false when it is not cached.
  bool Find(std::string_view key, uint64_t hash, int32_t& record) const;
  // Caches `outcome` for `key`, with its class number `line_class` (-1 when
  // it is not accepted), and returns its record number.
  int32_t Add(std::string_view key, uint64_t hash, const LineOutcome& outcome, int32_t line_class);
  // True when the cache holds its most.
  bool Full() const;
  // Forgets every record.
  void Clear();

  // Asks the processor to fetch what Find for `hash` will read first: the
  // slot, and with PrefetchRecord the record the slot names.
  void PrefetchSlot(uint64_t hash) const { slots_.Prefetch(hash); }
  void PrefetchRecord(uint64_t hash) const;

  // Record number `record`; valid until the next Add or Clear, which may
  // move every record.
  Record At(int32_t record) { return Record(&words_[static_cast<size_t>(record)]); }
  const std::string& Message(int32_t n) const { return messages_[static_cast<size_t>(n)]; }

 private:
  // A slot: the hash's high half, which places it, and the record number
  // + 1; 0 when empty.
  struct Traits {
    static bool Empty(uint64_t slot) { return slot == 0; }
    static uint64_t HashOf(uint64_t slot) { return slot; }
  };
  std::string_view KeyOf(int32_t record) const;

  const int dimensions_;
  const size_t most_bytes_;
  // Records, one after the other: the fixed words of Record, the codes and
  // the key's bytes, padded to whole words.
  std::vector<int32_t> words_;
  ProbeTable<uint64_t, Traits> slots_;
  std::vector<std::string> messages_;
  size_t message_bytes_ = 0;  // held by messages_, with their texts
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_PLACEMENT_CACHE_H_
