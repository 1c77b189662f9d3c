// The numbers of one cost pool's entries in creation order, kept in blocks
// of the value cube's arena: appending doubles the room when it is full, as
// a vector does, so that the room is always a power of two.
#ifndef KORAV_ALLOCATION_CUBE_ENTRY_LIST_H_
#define KORAV_ALLOCATION_CUBE_ENTRY_LIST_H_

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/buddy_arena.h"

namespace korav {

class EntryList {
 public:
  // `arena` must outlive the list.
  explicit EntryList(BuddyArena& arena) : arena_(&arena) {}
  EntryList(EntryList&& other) noexcept;
  EntryList& operator=(EntryList&& other) noexcept;
  ~EntryList();

  void push_back(int32_t n) {
    if (size_ == capacity_) Grow(size_ + 1);
    data_[size_++] = n;
  }
  // Makes room for `count` numbers in all.
  void reserve(size_t count) {
    if (count > capacity_) Grow(count);
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t capacity() const { return capacity_; }
  int32_t operator[](size_t i) const { return data_[i]; }
  const int32_t* begin() const { return data_; }
  const int32_t* end() const { return data_ + size_; }
  std::span<const int32_t> View() const { return {data_, size_}; }

 private:
  void Grow(size_t least);
  void Release();

  BuddyArena* arena_;
  int32_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_CUBE_ENTRY_LIST_H_
