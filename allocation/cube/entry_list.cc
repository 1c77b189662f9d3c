#include "allocation/cube/entry_list.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace korav {

EntryList::EntryList(EntryList&& other) noexcept
    : arena_(other.arena_),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

EntryList& EntryList::operator=(EntryList&& other) noexcept {
  if (this != &other) {
    Release();
    arena_ = other.arena_;
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

EntryList::~EntryList() { Release(); }

void EntryList::Grow(size_t least) {
  const size_t wanted = std::max(least, capacity_ * 2);
  if (wanted > static_cast<size_t>(-1) / sizeof(int32_t)) throw std::bad_alloc();
  const size_t bytes = BuddyArena::BlockBytes(wanted * sizeof(int32_t));
  auto* data = static_cast<int32_t*>(arena_->Allocate(bytes));
  if (data == nullptr) throw std::bad_alloc();
  if (size_ != 0) std::memcpy(data, data_, size_ * sizeof(int32_t));
  Release();
  data_ = data;
  capacity_ = bytes / sizeof(int32_t);
}

void EntryList::Release() {
  if (data_ != nullptr) arena_->Free(data_, capacity_ * sizeof(int32_t));
  data_ = nullptr;
  capacity_ = 0;
}

}  // namespace korav
