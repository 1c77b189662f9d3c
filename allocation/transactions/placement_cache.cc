#include "allocation/transactions/placement_cache.h"

#include <cstring>

namespace korav {
namespace {

// Past this many words (64 MiB) of records the cache starts afresh.
constexpr size_t kMaxWords = size_t{16} << 20;
constexpr size_t kFirstSlots = size_t{1} << 12;

// The record number + 1 and the hash's high half, as a slot holds them.
uint64_t SlotValue(uint64_t hash, int32_t record) {
  return (hash & 0xFFFFFFFF00000000u) | (static_cast<uint64_t>(record) + 1);
}

}  // namespace

PlacementCache::PlacementCache(int dimensions) : dimensions_(dimensions) { Clear(); }

void PlacementCache::Clear() {
  words_.clear();
  slots_.assign(kFirstSlots, 0);
  records_ = 0;
  messages_.clear();
}

std::string_view PlacementCache::KeyOf(int32_t record) const {
  const int32_t* words = &words_[static_cast<size_t>(record)];
  const size_t skip = Record::kCodes + static_cast<size_t>(dimensions_);
  return std::string_view(reinterpret_cast<const char*>(words + skip),
                          static_cast<size_t>(words[Record::kKeyLength]));
}

bool PlacementCache::Full() const { return words_.size() > kMaxWords; }

void PlacementCache::PrefetchRecord(uint64_t hash) const {
  const uint64_t tag = hash & 0xFFFFFFFF00000000u;
  for (size_t slot = SlotOf(hash);; slot = (slot + 1) & (slots_.size() - 1)) {
    const uint64_t value = slots_[slot];
    if (value == 0) return;
    if ((value & 0xFFFFFFFF00000000u) != tag) continue;
    const int32_t* words = &words_[static_cast<size_t>((value & 0xFFFFFFFFu) - 1)];
    __builtin_prefetch(words);
    __builtin_prefetch(words + 16);
    return;
  }
}

bool PlacementCache::Find(std::string_view key, uint64_t hash, int32_t& record) const {
  const uint64_t tag = hash & 0xFFFFFFFF00000000u;
  for (size_t slot = SlotOf(hash);; slot = (slot + 1) & (slots_.size() - 1)) {
    const uint64_t value = slots_[slot];
    if (value == 0) return false;
    if ((value & 0xFFFFFFFF00000000u) != tag) continue;
    const int32_t candidate = static_cast<int32_t>((value & 0xFFFFFFFFu) - 1);
    if (KeyOf(candidate) == key) {
      record = candidate;
      return true;
    }
  }
}

void PlacementCache::Grow() {
  std::vector<uint64_t> old(slots_.size() * 2, 0);
  old.swap(slots_);
  // A slot holds the bits of the hash that choose its place.
  for (const uint64_t value : old) {
    if (value == 0) continue;
    size_t slot = SlotOf(value);
    while (slots_[slot] != 0) slot = (slot + 1) & (slots_.size() - 1);
    slots_[slot] = value;
  }
}

int32_t PlacementCache::Add(std::string_view key, uint64_t hash, const LineOutcome& outcome,
                            int32_t line_class) {
  const size_t key_words = (key.size() + 3) / 4;
  const size_t size = Record::kCodes + static_cast<size_t>(dimensions_) + key_words;
  if ((records_ + 1) * 2 > slots_.size()) Grow();

  const int32_t record = static_cast<int32_t>(words_.size());
  words_.resize(words_.size() + size, 0);
  int32_t* words = &words_[static_cast<size_t>(record)];
  words[Record::kKeyLength] = static_cast<int32_t>(key.size());
  words[Record::kClass] = line_class;
  words[Record::kEntry] = -1;
  words[Record::kFirstMessage] = static_cast<int32_t>(messages_.size());
  words[Record::kMessageCount] = static_cast<int32_t>(outcome.messages.size());
  int32_t* next = words + Record::kCodes;
  for (int k = 1; k <= dimensions_; ++k) *next++ = outcome.codes[static_cast<size_t>(k)];
  std::memcpy(next, key.data(), key.size());
  messages_.insert(messages_.end(), outcome.messages.begin(), outcome.messages.end());

  size_t slot = SlotOf(hash);
  while (slots_[slot] != 0) slot = (slot + 1) & (slots_.size() - 1);
  slots_[slot] = SlotValue(hash, record);
  ++records_;
  return record;
}

}  // namespace korav
