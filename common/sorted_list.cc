#include "common/sorted_list.h"

#include <utility>

namespace korav {

void stTsortObj::Resize(int32_t capacity) {
  capacity_ = capacity;
  items_.resize(static_cast<size_t>(capacity) + 1);
}

void stTsortObj::Init(int32_t capacity, int32_t growBy) {
  grow_by_ = growBy;
  if (count_ == 0) {
    Resize(capacity);
  } else if (growth_ == Growth::kSizedOnce && capacity_ < capacity) {
    Resize(capacity + grow_by_);
  }
  count_ = 0;
}

bool stTsortObj::Add(std::string_view key, int32_t number) {
  if (count_ + 1 > capacity_) {
    if (growth_ == Growth::kSizedOnce || grow_by_ < 1) return false;
    Resize(capacity_ + grow_by_);
  }
  ++count_;
  stTsortRec& item = items_[static_cast<size_t>(count_)];
  item.Key.assign(key);
  item.Number = number;
  return true;
}

void stTsortObj::Sort() {
  if (count_ < 2) return;
  int32_t gap = (5 * count_ - 1) / 11;
  if (gap < 2) gap = 1;
  while (gap > 0) {
    if (gap < 5) gap = 1;
    for (int32_t i = gap + 1; i <= count_; ++i) {
      for (int32_t j = i - gap; j > 0 && items_[j].Key > items_[j + gap].Key; j -= gap) {
        std::swap(items_[j], items_[j + gap]);
      }
    }
    gap = (5 * gap - 1) / 11;
  }
}

int32_t stTsortObj::FindPosition(std::string_view key) const {
  if (key.empty() || count_ == 0) return -1;
  int32_t lo = 0;
  int32_t hi = count_;
  while (hi - lo > 1) {
    const int32_t mid = (lo + hi) / 2;
    if (key > std::string_view(items_[mid].Key)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return items_[hi].Key == key ? hi : -1;
}

int32_t stTsortObj::Find(std::string_view key) const {
  const int32_t position = FindPosition(key);
  return position < 0 ? -1 : items_[static_cast<size_t>(position)].Number;
}

}  // namespace korav
