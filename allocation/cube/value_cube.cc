#include "allocation/cube/value_cube.h"

#include <algorithm>
#include <span>

#include "allocation/host/run_host.h"
#include "allocation/log/job_log.h"
#include "allocation/model/hierarchy.h"
#include "common/numbers.h"

namespace korav {

namespace {

static_assert(int64_t{ValueCube::kMaxDataSegments} * ValueCube::kEntriesPerSegment <=
                  PoolIndex::kMostEntries,
              "a pool's index holds every entry number");

// Makes `buffer` hold at least `size` elements. Buffers that are reused for
// one pool after another only grow, so that each element is set, not
// cleared first and then set.
template <typename T>
void GrowTo(std::vector<T>& buffer, size_t size) {
  if (buffer.size() < size) buffer.resize(size);
}

// The largest radix product one key part may hold: a margin below 2^63 - 1,
// so that a part never reaches the sign bit.
constexpr int64_t kKeyPartLimit = 9223370000000000000;

[[noreturn]] void RefuseCode(int32_t code, int d) {
  throw RunAborted("Value cube: code number " + std::to_string(code) +
                   " is not a value of dimension " + std::to_string(d) + " (internal error)");
}

}  // namespace

ValueCube::ValueCube(ValueCubeLimits limits) : limits_(limits) {
  limits_.data_segments = std::clamp(limits_.data_segments, 1, kMaxDataSegments);
  limits_.hash_segments = std::clamp(limits_.hash_segments, 1, kMaxHashSegments);
}

double ValueCube::vcCreate(const ModelTables& model) {
  for (int32_t s = 1; s < data_seg_count_; ++s) data_[static_cast<size_t>(s)].reset();
  for (int32_t s = 1; s < hash_seg_count_; ++s) hash_[static_cast<size_t>(s)].reset();
  // Entries are written whole when they are created and never read before,
  // so data segments need no clearing; hash slots start as empty chains.
  if (!data_[0]) data_[0] = MakeLargeArrayForOverwrite<vcTEntry>(kEntriesPerSegment);
  if (!hash_[0]) hash_[0] = MakeLargeArrayForOverwrite<int32_t>(kSlotsPerSegment);
  std::fill_n(hash_[0].get(), kSlotsPerSegment, -1);
  data_seg_count_ = 1;
  capacity_ = kEntriesPerSegment;
  hash_seg_count_ = 1;
  SetSlotCount(kSlotsPerSegment);
  entry_count_ = 0;
  used_slots_ = 0;
  chain_lengths_.fill(0);
  chain_lengths_[0] = kSlotsPerSegment;
  walked_length_ = 0;
  chained_count_ = 0;
  cur_hash_ = 0;
  cur_entry_ = -1;
  iter_cp_ = 0;
  iter_pos_ = -1;
  per_pool_ = false;
  chains_linked_ = true;
  figures_counted_ = true;
  pool_indexes_.clear();
  gathered_pool_ = 0;
  Index1 = 0;
  Index2 = 0;
  Code.fill(0);
  CurCP = 0;

  dim_count_ = std::clamp(model.dimension_count, 0, kMaxDimensions);
  split_at_ = 0;
  radix_.fill(0);
  double product = 1.0;
  for (int d = 1; d <= dim_count_; ++d) {
    const int32_t count = model.dimensions[static_cast<size_t>(d)].Values.count();
    radix_[static_cast<size_t>(d)] = count + 1;
    product *= count;
  }
  pool_entries_.clear();
  pool_entries_.reserve(static_cast<size_t>(model.pools.count()) + 1);
  for (int32_t pool = 0; pool <= model.pools.count(); ++pool)
    pool_entries_.emplace_back(list_arena_);
  return product;
}

void ValueCube::vcSplit() {
  split_at_ = dim_count_;
  bool split = false;
  int64_t product = 1;
  for (int d = 1; d <= dim_count_; ++d) {
    const int32_t radix = radix_[static_cast<size_t>(d)];
    // product * radix > kKeyPartLimit, decided without forming the product.
    if (product > kKeyPartLimit / radix) {
      if (split) {
        throw RunAborted(
            "Value cube: the dimensions have too many values for a key of two parts (the "
            "second part overflows at dimension " +
            std::to_string(d) + "); reduce the number of dimension values");
      }
      split = true;
      split_at_ = d - 1;
      product = 1;
    }
    product *= radix;
  }
}

int32_t ValueCube::MappedCode(const ModelTables& model, const TmySEL& row, int d,
                              int32_t code) const {
  const size_t i = static_cast<size_t>(d);
  if (row.DimIndex[i] != 0) return row.DimIndex[i];
  const char rule = row.DimCopy[i];
  // Code number 0 stands for an empty value whose targets are all 0: every
  // rule leaves it 0.
  if (rule == 0 || code == 0) return code;
  const TmyDIM& value = model.dimensions[i].Values[code];
  if (rule == 'Y') return value.SummariseTarget;
  if (rule == '0') return 0;
  if (rule >= '1' && rule <= '9') {
    const int32_t ancestor = value.Path[static_cast<size_t>(rule - '0')];
    if (ancestor != 0) return ancestor;
  }
  return code;
}

void ValueCube::vcApplyMapping(const ModelTables& model, int32_t selection_row) {
  if (selection_row == 0) return;
  const TmySEL& row = model.selections[selection_row];
  for (int d = 1; d <= dim_count_; ++d) {
    const size_t i = static_cast<size_t>(d);
    Code[i] = MappedCode(model, row, d, Code[i]);
  }
}

void ValueCube::RekeyCodes(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                           int32_t min_loc, int32_t map2, Codes& codes) const {
  for (int d = 1; d <= dim_count_; ++d) {
    int32_t& code = codes[static_cast<size_t>(d)];
    code = RekeyedCode(model, confidence_dimension, map1, min_loc, map2, d, code);
  }
}

int64_t ValueCube::Pack(const int32_t* codes, int first, int last) const {
  // vcSplit keeps every run's radix product within kKeyPartLimit, so with
  // codes below their radices the packed number fits; it is formed unsigned
  // so that even a cube used before vcSplit cannot overflow.
  uint64_t packed = 0;
  for (int d = first; d <= last; ++d) {
    const size_t i = static_cast<size_t>(d);
    if (static_cast<uint32_t>(codes[i]) >= static_cast<uint32_t>(radix_[i]))
      RefuseCode(codes[i], d);
    packed = packed * static_cast<uint64_t>(radix_[i]) + static_cast<uint64_t>(codes[i]);
  }
  return static_cast<int64_t>(packed);
}

void ValueCube::vcComposeKey() {
  Index1 = Pack(Code.data(), 1, split_at_);
  Index2 = Pack(Code.data(), split_at_ + 1, dim_count_);
}

void ValueCube::vcDecomposeKey() {
  const auto unpack = [this](int64_t packed, int first, int last) {
    for (int d = last; d > first; --d) {
      const size_t i = static_cast<size_t>(d);
      Code[i] = static_cast<int32_t>(packed % radix_[i]);
      packed /= radix_[i];
    }
    if (first <= last) Code[static_cast<size_t>(first)] = static_cast<int32_t>(packed);
  };
  unpack(Index1, 1, split_at_);
  unpack(Index2, split_at_ + 1, dim_count_);
}

int32_t ValueCube::SlotOf(int64_t index1, int64_t index2, int32_t cp) const {
  const uint64_t a = static_cast<uint64_t>(index1);
  const uint64_t b = static_cast<uint64_t>(index2);
  const uint32_t pool_term = static_cast<uint32_t>(cp) * 1000000087u;
  uint64_t h = (b >> 32) * 1000000007u + (b & 0xFFFFFFFFu) * 1000000009u + (a >> 32) * 1000000021u +
               (a & 0xFFFFFFFFu) * 1000000033u +
               static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(pool_term)));
  if (static_cast<int64_t>(h) < 0) h = 0 - h;
  return static_cast<int32_t>(static_cast<uint32_t>(h) & static_cast<uint32_t>(slot_count_ - 1));
}

void ValueCube::vcHash() { cur_hash_ = SlotOf(Index1, Index2, CurCP); }

bool ValueCube::vcFind() {
  if (per_pool_) return FindInPool();
  // A cube not yet created has no index; vcAdd then refuses the pool.
  if (slot_count_ == 0) return false;
  if (!chains_linked_) LinkChains();
  vcHash();
  int32_t length = 0;
  for (int32_t n = Head(cur_hash_); n != -1; ++length) {
    const vcTEntry& entry = Entry(n);
    if (entry.CP == CurCP && entry.Index1 == Index1 && entry.Index2 == Index2) {
      cur_entry_ = n;
      return true;
    }
    n = entry.Next;
  }
  walked_length_ = length;
  return false;
}

bool ValueCube::FindInPool() {
  // A number that is no pool's is found nowhere; vcAdd then refuses it.
  if (!HasPool(CurCP)) return false;
  cur_key_hash_ = PoolIndex::KeyHash(Index1, Index2);
  const int32_t n =
      IndexOf(CurCP).Find(cur_key_hash_, [this](int32_t entry) { return IsCurrentKey(entry); });
  if (n == -1) return false;
  cur_entry_ = n;
  return true;
}

PoolIndex& ValueCube::IndexOf(int32_t pool, size_t coming) {
  PoolIndex& index = pool_indexes_[static_cast<size_t>(pool)];
  if (!index.Built())
    BuildPoolIndex(pool, pool_entries_[static_cast<size_t>(pool)].size() + coming);
  return index;
}

template <typename Visit>
void ValueCube::ForEachEntry(const EntryList& entries, Visit visit) const {
  // Entries made by a transfer lie side by side, those of the transactions
  // scattered over the store: each run is fetched well ahead.
  entries.ForEach<16>(visit, [this](int32_t n) { PrefetchEntry(n); });
}

void ValueCube::BuildPoolIndex(int32_t pool, size_t size) {
  PoolIndex& index = pool_indexes_[static_cast<size_t>(pool)];
  const EntryList& entries = pool_entries_[static_cast<size_t>(pool)];
  index.Build(size, index_arena_);
  ForEachEntry(entries, [&](int32_t n) { index.Insert(KeyHashOf(n), n); });
}

uint64_t ValueCube::KeyHashOf(int32_t n) const {
  const vcTEntry& entry = Entry(n);
  return PoolIndex::KeyHash(entry.Index1, entry.Index2);
}

void ValueCube::vcAdd(double amount) {
  if (amount == 0.0) return;
  Changing(CurCP);
  if (vcFind()) {
    MutableEntry(cur_entry_).Value += amount;
    return;
  }
  Store(amount);
}

void ValueCube::Store(double amount) {
  if (!HasPool(CurCP)) {
    throw RunAborted("Value cube: cost pool number " + std::to_string(CurCP) +
                     " is not a cost pool of the model (internal error)");
  }
  if (per_pool_) {
    // vcAdd came here after FindInPool hashed the key; the chain is made
    // when the chained index is rebuilt.
    IndexNewEntry(NewEntry(amount, -1),
                  [this](PoolIndex& index, int32_t n) { index.Insert(cur_key_hash_, n); });
  } else {
    int32_t& head = Head(cur_hash_);
    const int32_t n = NewEntry(amount, head);
    if (head == -1) ++used_slots_;
    head = n;
    // vcAdd came here after vcFind walked this slot's whole chain.
    --chain_lengths_[LengthBucket(walked_length_)];
    ++chain_lengths_[LengthBucket(walked_length_ + 1)];
  }
  if (entry_count_ >= grow_at_) GrowIndex();
}

int32_t ValueCube::NewEntry(double amount, int32_t next) {
  if (entry_count_ == capacity_) AddDataSegment();
  const int32_t n = entry_count_++;
  cur_entry_ = n;
  MutableEntry(n) = vcTEntry{Index1, Index2, amount, CurCP, next};
  pool_entries_[static_cast<size_t>(CurCP)].push_back(n);
  return n;
}

template <typename Insert>
bool ValueCube::IndexNewEntry(int32_t n, Insert insert) {
  PoolIndex& index = pool_indexes_[static_cast<size_t>(CurCP)];
  if (index.Full()) {
    BuildPoolIndex(CurCP, pool_entries_[static_cast<size_t>(CurCP)].size());
    return true;
  }
  insert(index, n);
  return false;
}

void ValueCube::AddDataSegment() {
  if (data_seg_count_ == limits_.data_segments) {
    throw RunAborted("Value cube full: " + std::to_string(capacity_) +
                     " entries; reduce the dimensions or split the model");
  }
  data_[static_cast<size_t>(data_seg_count_)] =
      MakeLargeArrayForOverwrite<vcTEntry>(kEntriesPerSegment);
  ++data_seg_count_;
  capacity_ += kEntriesPerSegment;
}

void ValueCube::GrowIndex() {
  if (hash_seg_count_ == limits_.hash_segments) {
    throw RunAborted("Value cube full: its index of " + std::to_string(slot_count_) + " slots is " +
                     std::to_string(kGrowthLoadPercent) + "% used by " +
                     std::to_string(entry_count_) +
                     " entries; reduce the dimensions or split the model");
  }
  hash_seg_count_ *= 2;
  SetSlotCount(hash_seg_count_ * kSlotsPerSegment);
  // Without linked chains only the index's size is followed, so that it is
  // linked at the size, and refused at the point, that adding the entries
  // one by one would have reached.
  if (!chains_linked_) return;
  LinkChains();
  vcHash();
}

template <typename Visit>
void ValueCube::ForEachSlot(Visit& visit) {
  // The slots of the next kAhead entries are worked out, and what `visit`
  // touches there fetched, ahead of their turn.
  constexpr int32_t kAhead = 32;
  std::array<int32_t, kAhead> slots{};
  const auto fetch = [&](int32_t n) {
    if (n >= entry_count_) return;
    const vcTEntry& entry = Entry(n);
    const int32_t slot = SlotOf(entry.Index1, entry.Index2, entry.CP);
    slots[static_cast<size_t>(n % kAhead)] = slot;
    visit.Prefetch(slot);
  };
  for (int32_t n = 0; n < kAhead; ++n) fetch(n);
  for (int32_t n = 0; n < entry_count_; ++n) {
    const int32_t slot = slots[static_cast<size_t>(n % kAhead)];
    fetch(n + kAhead);
    visit(n, slot);
  }
}

void ValueCube::LinkChains() {
  for (int32_t s = 0; s < hash_seg_count_; ++s) {
    LargeArray<int32_t>& segment = hash_[static_cast<size_t>(s)];
    if (!segment) segment = MakeLargeArrayForOverwrite<int32_t>(kSlotsPerSegment);
    std::fill_n(segment.get(), kSlotsPerSegment, -1);
  }
  // Re-inserting in entry-number order rebuilds every chain newest first, as
  // if the entries had been added to the larger index from the start.
  struct Link {
    ValueCube& cube;
    LargeArray<uint8_t> lengths;
    void Prefetch(int32_t slot) {
      __builtin_prefetch(&cube.Head(slot));
      __builtin_prefetch(&lengths[static_cast<size_t>(slot)]);
    }
    void operator()(int32_t n, int32_t slot) {
      int32_t& head = cube.Head(slot);
      cube.MutableEntry(n).Next = head;
      head = n;
      Lengthen(lengths[static_cast<size_t>(slot)]);
    }
  } link{*this, MakeLargeArray<uint8_t>(static_cast<size_t>(slot_count_), 0)};
  ForEachSlot(link);
  TallyChains({link.lengths.get(), static_cast<size_t>(slot_count_)});
  chains_linked_ = true;
}

template <typename Also>
void ValueCube::CountChains(Also also) {
  struct Count {
    LargeArray<uint8_t> lengths;
    Also& also;
    void Prefetch(int32_t slot) { __builtin_prefetch(&lengths[static_cast<size_t>(slot)]); }
    void operator()(int32_t n, int32_t slot) {
      Lengthen(lengths[static_cast<size_t>(slot)]);
      also(n);
    }
  } count{MakeLargeArray<uint8_t>(static_cast<size_t>(slot_count_), 0), also};
  ForEachSlot(count);
  TallyChains({count.lengths.get(), static_cast<size_t>(slot_count_)});
}

void ValueCube::TallyChains(std::span<const uint8_t> lengths) {
  // Four tallies taken in turn: most slots are empty, and one tally's
  // increments of the same count would each wait for the one before.
  std::array<std::array<int32_t, kLongestCounted + 2>, 4> tallies{};
  size_t i = 0;
  for (; i + 4 <= lengths.size(); i += 4) {
    for (size_t k = 0; k < 4; ++k) ++tallies[k][lengths[i + k]];
  }
  for (; i < lengths.size(); ++i) ++tallies[0][lengths[i]];
  chain_lengths_.fill(0);
  for (const auto& tally : tallies) {
    for (size_t length = 0; length < tally.size(); ++length)
      chain_lengths_[length] += tally[length];
  }
  used_slots_ = slot_count_ - chain_lengths_[0];
  figures_counted_ = true;
}

void ValueCube::vcTransfer(const ModelTables& model, int32_t confidence_dimension, int32_t source,
                           int32_t target, int32_t map1, int32_t min_loc, double factor,
                           int32_t map2) {
  if (!HasPool(source)) return;
  Gather(source);
  const bool rekey = TransferRekeys(confidence_dimension, map1, map2);
  if (rekey) RekeyGathered(model, confidence_dimension, map1, min_loc, map2);
  const size_t count = gathered_count_;
  const std::span<const Key> keys(rekey ? rekeyed_.data() : gathered_keys_.data(), count);
  // A transfer into the source itself changes the cells it reads: an earlier
  // cell may add to a later one, whose value is then read as it has become.
  // The walk ends with the cells that were there at the start. A target that
  // is no pool's goes the same way, to be refused as vcAdd refuses it.
  if (per_pool_ && source != target && HasPool(target)) {
    const std::span<const uint64_t> hashes =
        KeyHashes(rekey ? HashedKeys::kRekeyed : HashedKeys::kGathered, keys);
    return AddInPool(keys, hashes, std::span<const double>(gathered_values_.data(), count), target,
                     factor);
  }
  const EntryList& own = pool_entries_[static_cast<size_t>(source)];
  EntryList::Cursor cursor;
  for (size_t i = 0; i < count; ++i) {
    double value = gathered_values_[i];
    int32_t n = 0;
    if (source == target && own.Next(cursor, n)) value = Entry(n).Value;
    Index1 = keys[i].index1;
    Index2 = keys[i].index2;
    CurCP = target;
    vcAdd(value * factor);
  }
}

std::span<const uint64_t> ValueCube::KeyHashes(HashedKeys which, std::span<const Key> keys) {
  if (hashed_keys_ != which) {
    GrowTo(key_hashes_, keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
      key_hashes_[i] = PoolIndex::KeyHash(keys[i].index1, keys[i].index2);
    hashed_keys_ = which;
  }
  return {key_hashes_.data(), keys.size()};
}

void ValueCube::AddInPool(std::span<const Key> keys, std::span<const uint64_t> hashes,
                          std::span<const double> values, int32_t target, double factor) {
  Changing(target);
  CurCP = target;
  // A pool that has not received yet is sized for what it has and what
  // comes: most of a first transfer's cells are new to it.
  PoolIndex& index = IndexOf(target, keys.size());
  // The cells go in blocks: the block's home slots are fetched, then the
  // entries where their probes first stop, then the cells are added in
  // order, each probe resuming where it stopped, so that the fetches of a
  // block overlap and no probe walks its slots twice.
  constexpr size_t kBlock = 64;
  std::array<size_t, kBlock> stops;
  for (size_t first = 0; first < keys.size(); first += kBlock) {
    const size_t size = std::min(kBlock, keys.size() - first);
    const std::span<const uint64_t> block = hashes.subspan(first, size);
    for (const uint64_t hash : block) index.PrefetchHome(hash);
    for (size_t i = 0; i < size; ++i) {
      stops[i] = index.FirstStop(block[i]);
      const int32_t candidate = index.EntryAt(stops[i]);
      if (candidate != -1) PrefetchEntry(candidate);
    }
    bool rebuilt = false;
    for (size_t i = 0; i < size; ++i) {
      const double amount = values[first + i] * factor;
      if (amount == 0.0) continue;
      Index1 = keys[first + i].index1;
      Index2 = keys[first + i].index2;
      const auto same = [this](int32_t entry) { return IsCurrentKey(entry); };
      size_t empty = 0;
      const int32_t found = rebuilt ? index.Find(block[i], same, empty)
                                    : index.FindFrom(stops[i], block[i], same, empty);
      if (found != -1) {
        cur_entry_ = found;
        MutableEntry(found).Value += amount;
        continue;
      }
      // As Store does, without asking the index again where the cell goes.
      const auto insert = [&](PoolIndex& same_index, int32_t n) {
        same_index.InsertAt(empty, block[i], n);
      };
      if (IndexNewEntry(NewEntry(amount, -1), insert)) rebuilt = true;
      if (entry_count_ >= grow_at_) GrowIndex();
    }
  }
}

void ValueCube::Gather(int32_t source) {
  if (gathered_pool_ == source) return;
  const EntryList& entries = pool_entries_[static_cast<size_t>(source)];
  gathered_count_ = entries.size();
  GrowTo(gathered_keys_, gathered_count_);
  GrowTo(gathered_values_, gathered_count_);
  size_t i = 0;
  ForEachEntry(entries, [&](int32_t n) {
    const vcTEntry& entry = Entry(n);
    gathered_keys_[i] = Key{entry.Index1, entry.Index2};
    gathered_values_[i++] = entry.Value;
  });
  gathered_pool_ = source;
  rekeyed_plan_valid_ = false;
  hashed_keys_ = HashedKeys::kNone;
}

int32_t ValueCube::RekeyedCode(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                               int32_t min_loc, int32_t map2, int d, int32_t code) const {
  if (d == confidence_dimension) code = std::max(code, min_loc);
  for (const int32_t row : {map1, map2}) {
    // A code that is no value of the dimension is left for the key's
    // composition to refuse.
    if (row == 0 ||
        static_cast<uint32_t>(code) >= static_cast<uint32_t>(radix_[static_cast<size_t>(d)]))
      continue;
    code = MappedCode(model, model.selections[row], d, code);
  }
  return code;
}

void ValueCube::PlanRekey(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                          int32_t min_loc, int32_t map2, RekeyPlan& plan) const {
  for (int d = 1; d <= kMaxDimensions; ++d) {
    std::vector<int32_t>& to = plan.to[static_cast<size_t>(d)];
    to.clear();
    if (d > dim_count_) continue;
    const int32_t radix = radix_[static_cast<size_t>(d)];
    bool changes = false;
    for (int32_t code = 0; code < radix; ++code) {
      to.push_back(RekeyedCode(model, confidence_dimension, map1, min_loc, map2, d, code));
      changes = changes || to.back() != code;
    }
    if (!changes) to.clear();
  }
}

void ValueCube::RekeyGathered(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                              int32_t min_loc, int32_t map2) {
  const size_t count = gathered_count_;
  // Each dimension's codes map on their own, so a transfer's re-keying is
  // one table per dimension it changes; receivers whose dimension copies
  // read alike share the keys re-keyed for the first of them.
  PlanRekey(model, confidence_dimension, map1, min_loc, map2, next_plan_);
  if (rekeyed_plan_valid_ && next_plan_ == rekeyed_plan_) return;
  std::swap(next_plan_, rekeyed_plan_);
  rekeyed_plan_valid_ = true;
  if (hashed_keys_ == HashedKeys::kRekeyed) hashed_keys_ = HashedKeys::kNone;
  // Only the codes of the dimensions that change are read from the key. A
  // changed code moves its key part by the difference of the codes times
  // the code's place value; every step leaves a key of valid codes, so the
  // wrapping arithmetic below ends where packing the codes would.
  struct Change {
    int d;
    size_t part;
    uint64_t place;
    uint64_t radix;
    const int32_t* to;
  };
  std::array<Change, kMaxDimensions> changes{};
  size_t change_count = 0;
  for (int d = 1; d <= dim_count_; ++d) {
    const std::vector<int32_t>& to = rekeyed_plan_.to[static_cast<size_t>(d)];
    if (to.empty()) continue;
    uint64_t place = 1;
    const int last = d <= split_at_ ? split_at_ : dim_count_;
    for (int e = d + 1; e <= last; ++e)
      place *= static_cast<uint64_t>(radix_[static_cast<size_t>(e)]);
    changes[change_count++] =
        Change{d, d <= split_at_ ? size_t{0} : size_t{1}, place,
               static_cast<uint64_t>(radix_[static_cast<size_t>(d)]), to.data()};
  }
  GrowTo(rekeyed_, count);
  for (size_t i = 0; i < count; ++i) {
    const std::array<uint64_t, 2> stored = {static_cast<uint64_t>(gathered_keys_[i].index1),
                                            static_cast<uint64_t>(gathered_keys_[i].index2)};
    std::array<uint64_t, 2> parts = stored;
    for (size_t c = 0; c < change_count; ++c) {
      const Change& change = changes[c];
      const auto from = static_cast<int32_t>(stored[change.part] / change.place % change.radix);
      const int32_t to = change.to[from];
      if (static_cast<uint64_t>(static_cast<uint32_t>(to)) >= change.radix)
        RefuseCode(to, change.d);
      parts[change.part] += static_cast<uint64_t>(static_cast<int64_t>(to) - from) * change.place;
    }
    rekeyed_[i] = Key{static_cast<int64_t>(parts[0]), static_cast<int64_t>(parts[1])};
  }
}

bool ValueCube::TransferRekeys(int32_t confidence_dimension, int32_t map1, int32_t map2) const {
  return map1 != 0 || map2 != 0 ||
         (confidence_dimension >= 1 && confidence_dimension <= dim_count_);
}

void ValueCube::BeginAllocation() {
  per_pool_ = true;
  chains_linked_ = false;
  pool_indexes_.clear();
  pool_indexes_.resize(pool_entries_.size());
  for (LargeArray<int32_t>& segment : hash_) segment.reset();
}

void ValueCube::EndAllocation() {
  if (!per_pool_) return;
  per_pool_ = false;
  pool_indexes_.clear();
  pool_indexes_.shrink_to_fit();
  gathered_pool_ = 0;
  for (std::vector<Key>* keys : {&gathered_keys_, &rekeyed_}) *keys = std::vector<Key>();
  gathered_values_ = std::vector<double>();
  key_hashes_ = std::vector<uint64_t>();
  hashed_keys_ = HashedKeys::kNone;
  // The chains are linked when a look-up needs them again, their figures
  // counted by the scan of all entries that follows an allocation.
  figures_counted_ = false;
}

void ValueCube::ReleasePoolIndex(int32_t pool) {
  if (!per_pool_ || !HasPool(pool)) return;
  pool_indexes_[static_cast<size_t>(pool)].Clear();
}

void ValueCube::vcTransferKey(const ModelTables& model, int32_t confidence_dimension, int32_t map1,
                              int32_t min_loc, int32_t map2) {
  vcDecomposeKey();
  RekeyCodes(model, confidence_dimension, map1, min_loc, map2, Code);
  vcComposeKey();
}

double ValueCube::vcSumSelected(const ModelTables& model, int32_t pool, const TmySEL& row) {
  if (!HasPool(pool)) return 0.0;
  const bool exclude = row.Include == "E";
  double sum = 0.0;
  for (const int32_t n : pool_entries_[static_cast<size_t>(pool)]) {
    const vcTEntry& entry = Entry(n);
    Index1 = entry.Index1;
    Index2 = entry.Index2;
    vcDecomposeKey();
    bool within = true;
    for (int d = 1; d <= dim_count_ && within; ++d) {
      const size_t i = static_cast<size_t>(d);
      within = IsWithin(model, d, row.DimIndex[i], Code[i]);
    }
    if (within) sum += exclude ? -entry.Value : entry.Value;
  }
  return sum;
}

const EntryList& ValueCube::PoolEntries(int32_t pool) const {
  static const EntryList kNone;
  return HasPool(pool) ? pool_entries_[static_cast<size_t>(pool)] : kNone;
}

void ValueCube::vcIterStart(int32_t pool) {
  iter_cp_ = pool;
  iter_pos_ = -1;
  iter_cursor_ = EntryList::Cursor{};
}

int32_t ValueCube::vcIterNext(const ModelTables& model, std::string& line) {
  int32_t n = 0;
  if (iter_cp_ == 0) {
    if (iter_pos_ + 1 >= entry_count_) return 0;
    n = ++iter_pos_;
  } else {
    if (!HasPool(iter_cp_)) return 0;
    if (!pool_entries_[static_cast<size_t>(iter_cp_)].Next(iter_cursor_, n)) return 0;
  }
  const vcTEntry& entry = Entry(n);
  Index1 = entry.Index1;
  Index2 = entry.Index2;
  vcDecomposeKey();

  line.clear();
  if (entry.CP >= 1 && entry.CP <= model.pools.count()) line += model.pools[entry.CP].Code;
  line += ',';
  AppendFixed(line, entry.Value, 2);
  for (int d = 1; d <= dim_count_; ++d) {
    const size_t i = static_cast<size_t>(d);
    line += ',';
    if (Code[i] != 0) line += model.dimensions[i].Values[Code[i]].Code;
  }
  return entry.CP;
}

void ValueCube::ReportEntryWithoutPool(int32_t n, JobLog& log) const {
  const vcTEntry& entry = Entry(n);
  log.WriteDirect(JobLog::File::kJob, " >>>>,,Internal error VC CP Code Nr is zero " +
                                          std::to_string(n) + " " + std::to_string(entry.CP) + "," +
                                          FormatGeneral(entry.Value));
}

void ValueCube::vcTotals(ModelTables& model, JobLog& log) {
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    model.pools[row].VCCount = 0;
    model.pools[row].VCTotal = 0.0;
  }
  const auto add = [&](int32_t n) {
    const vcTEntry& entry = Entry(n);
    if (entry.CP == 0) return ReportEntryWithoutPool(n, log);
    TmyCP& pool = model.pools[entry.CP];
    ++pool.VCCount;
    pool.VCTotal += entry.Value;
  };
  if (figures_counted_) {
    for (int32_t n = 0; n < entry_count_; ++n) add(n);
  } else {
    CountChains(add);
  }
  // Every chain ends in one entry without a next: the others are chained.
  chained_count_ = entry_count_ - used_slots_;
}

void ValueCube::vcIndexStats(JobLog& log) {
  if (!figures_counted_) CountChains([](int32_t) {});
  const std::string indent = "         ";
  log.WriteDirect(JobLog::File::kTrace, indent + "Total Indexes," + std::to_string(slot_count_));
  log.WriteDirect(JobLog::File::kTrace, indent + "Indexes Used," + std::to_string(used_slots_));
  for (int k = 0; k <= kLongestCounted; ++k) {
    log.WriteDirect(JobLog::File::kTrace,
                    indent + "Index Length " + std::to_string(k) + "," +
                        std::to_string(chain_lengths_[static_cast<size_t>(k)]));
  }
  log.WriteDirect(JobLog::File::kTrace, indent + "Index Length >" +
                                            std::to_string(kLongestCounted) + "," +
                                            std::to_string(chain_lengths_[kLongestCounted + 1]));
}

size_t ValueCube::FootprintBytes() const {
  size_t bytes = static_cast<size_t>(data_seg_count_) * kEntriesPerSegment * sizeof(vcTEntry) +
                 pool_entries_.capacity() * sizeof(EntryList);
  if (chains_linked_) {
    bytes += static_cast<size_t>(hash_seg_count_) * kSlotsPerSegment * sizeof(int32_t);
  }
  for (const PoolIndex& index : pool_indexes_) bytes += index.FootprintBytes();
  for (const EntryList& entries : pool_entries_) {
    bytes += entries.CapacityBytes();
  }
  return bytes;
}

}  // namespace korav
