#include "allocation/transactions/placement_cache.h"

#include <cstring>

namespace korav {
namespace {

constexpr uint64_t kHighHalf = 0xFFFFFFFF00000000u;
constexpr size_t kFirstSlots = size_t{1} << 12;

int32_t RecordOf(uint64_t slot) { return static_cast<int32_t>((slot & ~kHighHalf) - 1); }

}  // namespace

PlacementCache::PlacementCache(int dimensions, size_t most_bytes)
    : dimensions_(dimensions), most_bytes_(most_bytes), slots_(kFirstSlots) {}

void PlacementCache::Clear() {
  words_.clear();
  slots_.Clear();
  messages_.clear();
  message_bytes_ = 0;
}

std::string_view PlacementCache::KeyOf(int32_t record) const {
  const int32_t* words = &words_[static_cast<size_t>(record)];
  const size_t skip = Record::kCodes + static_cast<size_t>(dimensions_);
  return std::string_view(reinterpret_cast<const char*>(words + skip),
                          static_cast<size_t>(words[Record::kKeyLength]));
}

bool PlacementCache::Full() const {
  return words_.size() * sizeof(int32_t) + message_bytes_ > most_bytes_;
}

void PlacementCache::PrefetchRecord(uint64_t hash) const {
  const uint64_t tag = hash & kHighHalf;
  const uint64_t* slot =
      slots_.Find(hash, [tag](uint64_t candidate) { return (candidate & kHighHalf) == tag; });
  if (slot == nullptr) return;
  const int32_t* words = &words_[static_cast<size_t>(RecordOf(*slot))];
  __builtin_prefetch(words);
  __builtin_prefetch(words + 16);
}

bool PlacementCache::Find(std::string_view key, uint64_t hash, int32_t& record) const {
  const uint64_t tag = hash & kHighHalf;
  const uint64_t* slot = slots_.Find(hash, [&](uint64_t candidate) {
    return (candidate & kHighHalf) == tag && KeyOf(RecordOf(candidate)) == key;
  });
  if (slot == nullptr) return false;
  record = RecordOf(*slot);
  return true;
}

int32_t PlacementCache::Add(std::string_view key, uint64_t hash, const LineOutcome& outcome,
                            int32_t line_class) {
  const size_t key_words = (key.size() + 3) / 4;
  const size_t size = Record::kCodes + static_cast<size_t>(dimensions_) + key_words;
  const int32_t record = static_cast<int32_t>(words_.size());
  words_.resize(words_.size() + size, 0);
  int32_t* words = &words_[static_cast<size_t>(record)];
  words[Record::kKeyLength] = static_cast<int32_t>(key.size());
  words[Record::kClass] = line_class;
  words[Record::kRejection] = outcome.rejection;
  words[Record::kEntry] = -1;
  words[Record::kFirstMessage] = static_cast<int32_t>(messages_.size());
  words[Record::kMessageCount] = static_cast<int32_t>(outcome.messages.size());
  int32_t* next = words + Record::kCodes;
  for (int k = 1; k <= dimensions_; ++k) *next++ = outcome.codes[static_cast<size_t>(k)];
  std::memcpy(next, key.data(), key.size());
  for (const std::string& message : outcome.messages) {
    message_bytes_ += sizeof message + message.size();
  }
  messages_.insert(messages_.end(), outcome.messages.begin(), outcome.messages.end());
  slots_.Insert(hash) = (hash & kHighHalf) | (static_cast<uint64_t>(record) + 1);
  return record;
}

}  // namespace korav
