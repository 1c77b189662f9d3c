#include "allocation/cube/entry_list.h"

#include <cstring>
#include <new>
#include <utility>

namespace korav {

EntryList::EntryList(EntryList&& other) noexcept
    : arena_(other.arena_),
      words_(std::exchange(other.words_, nullptr)),
      used_(std::exchange(other.used_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      size_(std::exchange(other.size_, 0)),
      last_(std::exchange(other.last_, -1)) {}

EntryList& EntryList::operator=(EntryList&& other) noexcept {
  if (this != &other) {
    Release();
    arena_ = other.arena_;
    words_ = std::exchange(other.words_, nullptr);
    used_ = std::exchange(other.used_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    size_ = std::exchange(other.size_, 0);
    last_ = std::exchange(other.last_, -1);
  }
  return *this;
}

EntryList::~EntryList() { Release(); }

void EntryList::Grow() {
  if (arena_ == nullptr || capacity_ > static_cast<size_t>(-1) / (2 * sizeof(int32_t))) {
    throw std::bad_alloc();
  }
  // Doubling, as a vector grows; the arena's blocks are powers of two.
  const size_t bytes = BuddyArena::BlockBytes(capacity_ * 2 * sizeof(int32_t));
  auto* words = static_cast<int32_t*>(arena_->Allocate(bytes));
  if (words == nullptr) throw std::bad_alloc();
  if (used_ != 0) std::memcpy(words, words_, used_ * sizeof(int32_t));
  Release();
  words_ = words;
  capacity_ = bytes / sizeof(int32_t);
}

void EntryList::Release() {
  if (words_ != nullptr) arena_->Free(words_, capacity_ * sizeof(int32_t));
  words_ = nullptr;
  capacity_ = 0;
}

}  // namespace korav
