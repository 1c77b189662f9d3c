// The value cube: the one sparse store of the run's values, each kept against
// a cost pool number and one code number per model dimension, with a chained
// hash index over the keys.
//
// Entries are numbered in order of creation and are never moved or removed;
// they live in fixed-size data segments added one at a time, and the index
// doubles by whole segments when it fills. Every cost pool also keeps the
// numbers of its own entries, so that transfers, sums and listings of one pool
// cost what that pool holds while visiting entries in the same order as a
// scan of the whole store would.
//
// While the allocation runs (BeginAllocation to EndAllocation) cells are
// found through one small index per cost pool instead (pool_index.h). The
// chained index gives its memory back then; its figures are counted by the
// next scan of all entries (vcTotals) and its chains linked when a look-up
// needs them again, both as if every entry had gone into it one by one.
//
// The operations work on the current-key fields (Index1, Index2, Code, CurCP),
// which are scratch state: callers set codes, compose, set the pool and add,
// and any operation that visits entries overwrites them. A cube holds nothing
// until vcCreate.
#ifndef KORAV_ALLOCATION_CUBE_VALUE_CUBE_H_
#define KORAV_ALLOCATION_CUBE_VALUE_CUBE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "allocation/cube/entry_list.h"
#include "allocation/cube/pool_index.h"
#include "allocation/model/model_tables.h"
#include "common/buddy_arena.h"
#include "common/large_array.h"

namespace korav {

class JobLog;

// One stored cell.
struct vcTEntry {
  int64_t Index1;
  int64_t Index2;
  double Value;
  int32_t CP;    // cost pool number
  int32_t Next;  // next entry in the same hash chain, -1 at the end
};
static_assert(sizeof(vcTEntry) == 32, "entries are laid out as 32 bytes");

// How far the cube may grow. The defaults are the store's design limits;
// smaller ones (at least one segment each, hash segments a power of two)
// let a cube reach its limits cheaply.
struct ValueCubeLimits {
  int32_t data_segments = 110;
  int32_t hash_segments = 16;
};

class ValueCube {
 public:
  static constexpr int32_t kEntriesPerSegment = 500000;
  static constexpr int32_t kSlotsPerSegment = 4194304;  // 2^22
  static constexpr int32_t kMaxDataSegments = 110;
  static constexpr int32_t kMaxHashSegments = 16;
  // The index grows when entries reach this percentage of its slots.
  static constexpr int32_t kGrowthLoadPercent = 76;

  ValueCube() = default;
  explicit ValueCube(ValueCubeLimits limits);

  // Empties the cube and sizes it for `model`: DimCount becomes the model's
  // dimension count, each Radix the dimension's value count + 1, and every
  // cost pool of the model gets its (empty) entry list. Returns the product of
  // the value counts; the model completion logs it as "iMax Size of Cube  "
  // followed by FormatGeneral(product). vcSplit must follow before any key is
  // composed.
  double vcCreate(const ModelTables& model);

  // Chooses SplitAt: the leading dimensions whose radix product stays within
  // 9.22337E18 go into Index1, the rest into Index2. Throws RunAborted when
  // the rest do not fit in Index2 either; the cube must then not be used.
  void vcSplit();

  // Rewrites Code[1..DimCount] by selection row `selection_row`'s rules (a
  // "CPGIDC", "CPDC" or "CPBV" row); 0 means no mapping. A DimIndex given for
  // a dimension sets its code; otherwise its DimCopy character decides: 'Y'
  // the current value's SummariseTarget, '0' no value, '1'..'9' the current
  // value's ancestor at that level when it has one, none keeps the code. The
  // codes must be code numbers of their dimensions.
  void vcApplyMapping(const ModelTables& model, int32_t selection_row);

  // Code[1..DimCount] to Index1 and Index2, most significant code first.
  // Throws RunAborted for a code that is not a code number of its dimension,
  // rather than store a value under another cell's key.
  void vcComposeKey();
  // Index1 and Index2 to Code[1..DimCount].
  void vcDecomposeKey();

  // Sets CurHash from the current key and CurCP.
  void vcHash();
  // True, with CurEntry set, when an entry for the current key and CurCP
  // exists.
  bool vcFind();
  // Adds `amount` at the current key and CurCP, creating the entry when it is
  // new; an amount of exactly 0 creates and changes nothing. CurCP must be a
  // cost pool number of the model given to vcCreate (0 is accepted and
  // reported by vcTotals). Throws RunAborted when the cube is full.
  void vcAdd(double amount);
  // Sets entry `n`'s value, for a caller that kept the sum of the entry's
  // additions itself.
  void SetEntryValue(int32_t n, double value) {
    Changing(Entry(n).CP);
    MutableEntry(n).Value = value;
  }

  // Adds every entry of pool `source` that exists when the transfer starts,
  // times `factor`, to pool `target`, in the source's entry order. The key is
  // rebuilt on the way when a mapping row (0 for none) or a
  // level-of-confidence dimension (`confidence_dimension`, 0 for none) is
  // given: a confidence code below `min_loc` is raised to it, then `map1` and
  // `map2` are applied in turn. The source's keys, codes and values are
  // gathered once and kept for the next transfer from the same source until
  // one of its entries changes, so a pool that sends to several receivers
  // reads its scattered entries once.
  void vcTransfer(const ModelTables& model, int32_t confidence_dimension, int32_t source,
                  int32_t target, int32_t map1, int32_t min_loc, double factor, int32_t map2);

  // Whether vcTransfer with these arguments rebuilds the keys it moves; when
  // it does not, every entry keeps its key.
  bool TransferRekeys(int32_t confidence_dimension, int32_t map1, int32_t map2) const;
  // Rebuilds the current key as vcTransfer does on the way: the confidence
  // code raised to `min_loc`, then `map1` and `map2` applied.
  void vcTransferKey(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                     int32_t min_loc, int32_t map2);

  // Switches to one index per pool for the allocation, and back. After
  // EndAllocation the chained index's figures are counted by vcTotals or
  // vcIndexStats, whichever comes first, and must be before UsedSlots or
  // ChainedCount tell of the index; its chains are linked again by the
  // first look-up.
  void BeginAllocation();
  void EndAllocation();
  // Gives back the index of pool `pool`, which sends its cells now and is
  // not expected to receive again; should it, the index is built afresh.
  void ReleasePoolIndex(int32_t pool);

  // The sum of pool `pool`'s entries whose codes lie within the codes
  // selected by `row` (an "IMS" row) in every dimension, negated when its
  // Include is "E".
  double vcSumSelected(const ModelTables& model, int32_t pool, const TmySEL& row);

  // Starts a listing of pool `pool`'s entries, or of all entries for 0.
  void vcIterStart(int32_t pool);
  // Moves to the next entry of the listing, makes its key current and sets
  // `line` to the pool's code, the value with two decimals and each
  // dimension's value code (empty for code number 0), separated by commas.
  // Returns the entry's cost pool number, or 0 at the end with `line`
  // unchanged. Entries added meanwhile are listed when the listing gets to
  // them.
  int32_t vcIterNext(const ModelTables& model, std::string& line);

  // The numbers of pool `pool`'s entries in creation order; empty for a
  // number that is not a cost pool of the model given to vcCreate.
  const EntryList& PoolEntries(int32_t pool) const;

  // Sets every pool's VCCount and VCTotal and counts ChainedCount, in one
  // scan of all entries, which counts the chained index's figures too when
  // an allocation left them to count. An entry of cost pool 0 means a
  // caller fault: it is reported to the job log and counted in no pool.
  void vcTotals(ModelTables& model, JobLog& log);
  // Writes the hash index's slot count, used slots and chain lengths to the
  // trace log. The chain lengths are kept up to date as entries are added
  // outside an allocation, so this costs no scan of the index then.
  void vcIndexStats(JobLog& log);

  int32_t DimCount() const { return dim_count_; }
  int32_t SplitAt() const { return split_at_; }
  int32_t EntryCount() const { return entry_count_; }
  int32_t DataSegCount() const { return data_seg_count_; }
  int32_t UsedSlots() const { return used_slots_; }
  int32_t SlotCount() const { return slot_count_; }
  int32_t HashSegCount() const { return hash_seg_count_; }
  int32_t ChainedCount() const { return chained_count_; }
  int32_t CurHash() const { return cur_hash_; }
  // The number of the entry found or created last, -1 before any.
  int32_t CurEntry() const { return cur_entry_; }
  // Entry `n`, 0 <= n < EntryCount().
  const vcTEntry& Entry(int32_t n) const {
    return data_[static_cast<size_t>(n / kEntriesPerSegment)][n % kEntriesPerSegment];
  }
  // Asks the processor to fetch entry `n` ahead of its use.
  void PrefetchEntry(int32_t n) const { __builtin_prefetch(&Entry(n)); }
  // The memory the cube holds: segments, indexes and pool entry lists.
  size_t FootprintBytes() const;

  // The current key.
  int64_t Index1 = 0;
  int64_t Index2 = 0;
  std::array<int32_t, kMaxDimensions + 1> Code{};  // 1..DimCount
  int32_t CurCP = 0;

 private:
  // A key's two parts.
  struct Key {
    int64_t index1;
    int64_t index2;
  };

  vcTEntry& MutableEntry(int32_t n) { return const_cast<vcTEntry&>(Entry(n)); }
  // The head of hash slot `slot`'s chain: an entry number, or -1.
  const int32_t& Head(int32_t slot) const {
    return hash_[static_cast<size_t>(slot / kSlotsPerSegment)][slot % kSlotsPerSegment];
  }
  int32_t& Head(int32_t slot) { return const_cast<int32_t&>(std::as_const(*this).Head(slot)); }
  int32_t SlotOf(int64_t index1, int64_t index2, int32_t cp) const;
  // The index of pool `pool`'s entries, built from them when it is not,
  // with room for `coming` more.
  PoolIndex& IndexOf(int32_t pool, size_t coming = 0);
  bool IsCurrentKey(int32_t n) const {
    const vcTEntry& entry = Entry(n);
    return entry.Index1 == Index1 && entry.Index2 == Index2;
  }
  // Calls visit(n) for each entry number n of `entries` in order.
  template <typename Visit>
  void ForEachEntry(const EntryList& entries, Visit visit) const;
  // Builds pool `pool`'s index afresh from its entries, sized for `size`.
  void BuildPoolIndex(int32_t pool, size_t size);
  uint64_t KeyHashOf(int32_t n) const;
  bool FindInPool();
  // Packs codes[first..last] as a mixed-radix number.
  int64_t Pack(const int32_t* codes, int first, int last) const;
  using Codes = std::array<int32_t, kMaxDimensions + 1>;  // 1..DimCount, as Code
  // Rebuilds `codes` as a transfer rebuilds a key: the confidence code raised
  // to `min_loc`, then `map1` and `map2` applied.
  void RekeyCodes(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                  int32_t min_loc, int32_t map2, Codes& codes) const;
  // Per dimension 1..kMaxDimensions, the code each code of the dimension
  // becomes when a transfer rebuilds keys; empty for a dimension it leaves
  // alone.
  struct RekeyPlan {
    std::array<std::vector<int32_t>, kMaxDimensions + 1> to;
    bool operator==(const RekeyPlan&) const = default;
  };
  void PlanRekey(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                 int32_t min_loc, int32_t map2, RekeyPlan& plan) const;
  // Code `code` of dimension `d` rebuilt as a transfer rebuilds keys: the
  // confidence code raised to `min_loc`, then `map1` and `map2` applied.
  int32_t RekeyedCode(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                      int32_t min_loc, int32_t map2, int d, int32_t code) const;
  // Code `code` of dimension `d` under selection row `row`'s rule for it.
  int32_t MappedCode(const ModelTables& model, const TmySEL& row, int d, int32_t code) const;
  // The cells of pool `source` as they stand, gathered when they were not.
  void Gather(int32_t source);
  // vcTransfer between two pools while each has its own index: the cells
  // under `keys`, whose values are `values`, times `factor`, into `target`.
  void AddInPool(std::span<const Key> keys, std::span<const uint64_t> hashes,
                 std::span<const double> values, int32_t target, double factor);
  // Which of the gathered cells' key sets key_hashes_ holds the hashes of.
  enum class HashedKeys { kNone, kGathered, kRekeyed };
  // The PoolIndex hashes of `keys`, the key set `which`, worked out once
  // for all the receivers of that set.
  std::span<const uint64_t> KeyHashes(HashedKeys which, std::span<const Key> keys);
  // The gathered cells' keys rebuilt as vcTransferKey rebuilds one key.
  void RekeyGathered(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                     int32_t min_loc, int32_t map2);
  // Forgets the gathered cells when they are pool `pool`'s, which changes.
  void Changing(int32_t pool) {
    if (pool == gathered_pool_) gathered_pool_ = 0;
  }
  bool HasPool(int32_t pool) const {
    return pool >= 0 && static_cast<size_t>(pool) < pool_entries_.size();
  }
  void Store(double amount);
  // Creates the entry of the current key and CurCP with `amount` and chain
  // link `next`, and lists it with its pool; returns its number.
  int32_t NewEntry(double amount, int32_t next);
  // Puts new entry `n` of pool CurCP into the pool's index: by
  // insert(index, n), or by building the index again when it is full, and
  // then returns true.
  template <typename Insert>
  bool IndexNewEntry(int32_t n, Insert insert);
  void AddDataSegment();
  void GrowIndex();
  // Sets the index's slot count and the entry count at which it is
  // kGrowthLoadPercent used.
  void SetSlotCount(int32_t slots) {
    slot_count_ = slots;
    grow_at_ = static_cast<int32_t>((int64_t{slots} * kGrowthLoadPercent + 99) / 100);
  }
  // Calls visit(n, slot) for every entry n in number order with its slot,
  // after visit.Prefetch(slot) a few entries ahead.
  template <typename Visit>
  void ForEachSlot(Visit& visit);
  // Allocates the index's segments as far as they are missing, empties them
  // and inserts every entry, newest first in each chain, counting the
  // chains' lengths afresh.
  void LinkChains();
  // Tells the job log of entry `n`, whose cost pool number is 0; kept apart
  // from the scan of all entries, which it would otherwise weigh down.
  [[gnu::cold, gnu::noinline]] void ReportEntryWithoutPool(int32_t n, JobLog& log) const;
  // Counts the chains' lengths from the entries' keys, linked or not,
  // calling also(n) for every entry n in number order on the way.
  template <typename Also>
  void CountChains(Also also);
  void TallyChains(std::span<const uint8_t> lengths);
  static void Lengthen(uint8_t& length) {
    if (length <= kLongestCounted) ++length;
  }
  static size_t LengthBucket(int32_t length) {
    return static_cast<size_t>(length > kLongestCounted ? kLongestCounted + 1 : length);
  }

  ValueCubeLimits limits_;
  int32_t dim_count_ = 0;
  int32_t split_at_ = 0;
  std::array<int32_t, kMaxDimensions + 1> radix_{};
  int32_t iter_cp_ = 0;
  int32_t iter_pos_ = -1;          // entry number in a listing of all entries
  EntryList::Cursor iter_cursor_;  // in a listing of one pool
  int32_t entry_count_ = 0;
  int32_t capacity_ = 0;
  int32_t data_seg_count_ = 0;
  int32_t used_slots_ = 0;
  int32_t slot_count_ = 0;
  int32_t grow_at_ = 0;
  int32_t hash_seg_count_ = 0;
  int32_t chained_count_ = 0;
  int32_t cur_hash_ = 0;
  int32_t cur_entry_ = -1;
  // The length of the chain vcFind walked last without finding the key.
  int32_t walked_length_ = 0;
  // How many slots have chains of each length 0..kLongestCounted, and the
  // last element those with longer chains.
  static constexpr int32_t kLongestCounted = 10;
  std::array<int32_t, kLongestCounted + 2> chain_lengths_{};
  // Written once per entry and read at random: large arrays too.
  std::array<LargeArray<vcTEntry>, kMaxDataSegments> data_;
  // Looked up at random, so in large arrays (huge pages).
  std::array<LargeArray<int32_t>, kMaxHashSegments> hash_;
  // The memory of the pools' entry lists and of their indexes, which grow
  // and are given back in every size; declared before them, so that they
  // outlive them. Apart, so that the indexes' chunks empty and go back to
  // the system when the indexes are given back, while the lists stay.
  BuddyArena list_arena_;
  BuddyArena index_arena_;
  // Per cost pool number, its entry numbers in creation order.
  std::vector<EntryList> pool_entries_;
  // Between BeginAllocation and EndAllocation: per cost pool number, its
  // index, and the hash of the key vcFind looked up last.
  bool per_pool_ = false;
  // Whether the chained index's heads and Next fields are in place; and
  // whether its figures (UsedSlots, chain lengths) are current, which they
  // are but from EndAllocation to the next count.
  bool chains_linked_ = true;
  bool figures_counted_ = true;
  std::vector<PoolIndex> pool_indexes_;
  uint64_t cur_key_hash_ = 0;
  // A transfer source's cells in entry order (gathered_pool_, 0 for none):
  // their keys as stored, their values and their re-keyed keys.
  int32_t gathered_pool_ = 0;
  size_t gathered_count_ = 0;  // the buffers below may be longer
  std::vector<Key> gathered_keys_;
  std::vector<double> gathered_values_;
  std::vector<Key> rekeyed_;
  // The plan rekeyed_ was made by, when it holds the gathered cells' keys;
  // and the next transfer's plan, built to be compared with it.
  RekeyPlan rekeyed_plan_;
  bool rekeyed_plan_valid_ = false;
  RekeyPlan next_plan_;
  HashedKeys hashed_keys_ = HashedKeys::kNone;
  std::vector<uint64_t> key_hashes_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_CUBE_VALUE_CUBE_H_
