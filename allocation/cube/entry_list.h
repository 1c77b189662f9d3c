// The numbers of one cost pool's entries in creation order, kept in blocks
// of the value cube's arena. A transfer into a pool creates its new entries
// one after another, so the numbers are kept as runs: an entry number,
// followed by -k when the k numbers after it belong to the pool too. A pool
// filled by transfers then takes a few words however many cells it holds,
// and is read in order of the store.
//
// Numbers must be appended in increasing order. A cursor stays valid while
// numbers are appended and reaches them when it gets there.
#ifndef KORAV_ALLOCATION_CUBE_ENTRY_LIST_H_
#define KORAV_ALLOCATION_CUBE_ENTRY_LIST_H_

#include <cstddef>
#include <cstdint>

#include "common/buddy_arena.h"

namespace korav {

class EntryList {
 public:
  // A list that stays empty.
  EntryList() = default;
  // `arena` must outlive the list.
  explicit EntryList(BuddyArena& arena) : arena_(&arena) {}
  EntryList(EntryList&& other) noexcept;
  EntryList& operator=(EntryList&& other) noexcept;
  ~EntryList();

  // Appends `n`, greater than every number in the list.
  void push_back(int32_t n) {
    if (size_ != 0 && n == last_ + 1) {
      if (words_[used_ - 1] < 0) {
        --words_[used_ - 1];
      } else {
        PushWord(-1);
      }
    } else {
      PushWord(n);
    }
    last_ = n;
    ++size_;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The bytes the list sets aside.
  size_t CapacityBytes() const { return capacity_ * sizeof(int32_t); }

  // Where a walk through the list stands: the word of the current run and
  // how far into the run.
  struct Cursor {
    size_t word = 0;
    int32_t step = 0;
  };
  // Sets `n` to the number at `cursor` and moves it on; false at the end.
  bool Next(Cursor& cursor, int32_t& n) const {
    while (cursor.word < used_) {
      if (cursor.step <= MoreIn(cursor.word)) {
        n = words_[cursor.word] + cursor.step++;
        return true;
      }
      // At the end the cursor stays on the last run, which may lengthen.
      const size_t next_run = NextRun(cursor.word);
      if (next_run >= used_) return false;
      cursor = Cursor{next_run, 0};
    }
    return false;
  }

  // Calls visit(n) for every number in order, and ahead(m) for the first
  // number m of the run kAhead runs further on, so that the caller can fetch
  // what it will read there: the numbers of one run lie side by side.
  template <size_t kAhead, typename Visit, typename Ahead>
  void ForEach(Visit visit, Ahead ahead) const {
    size_t look = 0;
    for (size_t k = 0; k < kAhead && look < used_; ++k, look = NextRun(look)) ahead(words_[look]);
    for (size_t word = 0; word < used_; word = NextRun(word)) {
      if (look < used_) {
        ahead(words_[look]);
        look = NextRun(look);
      }
      const int32_t start = words_[word];
      const int32_t end = start + 1 + MoreIn(word);
      for (int32_t n = start; n < end; ++n) visit(n);
    }
  }

  // For range-for: the numbers in order.
  class Iterator {
   public:
    explicit Iterator(const EntryList& list) : list_(&list) { ++*this; }
    int32_t operator*() const { return n_; }
    Iterator& operator++() {
      done_ = !list_->Next(cursor_, n_);
      return *this;
    }
    struct End {};
    bool operator!=(End) const { return !done_; }

   private:
    const EntryList* list_;
    Cursor cursor_;
    int32_t n_ = 0;
    bool done_ = false;
  };
  Iterator begin() const { return Iterator(*this); }
  Iterator::End end() const { return {}; }

 private:
  // How many numbers follow the first of the run that starts at `word`.
  int32_t MoreIn(size_t word) const {
    return word + 1 < used_ && words_[word + 1] < 0 ? -words_[word + 1] : 0;
  }
  // The word where the run after the one at `word` starts.
  size_t NextRun(size_t word) const { return MoreIn(word) > 0 ? word + 2 : word + 1; }
  void PushWord(int32_t word) {
    if (used_ == capacity_) Grow();
    words_[used_++] = word;
  }
  void Grow();
  void Release();

  BuddyArena* arena_ = nullptr;
  int32_t* words_ = nullptr;
  size_t used_ = 0;
  size_t capacity_ = 0;
  size_t size_ = 0;
  int32_t last_ = -1;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_CUBE_ENTRY_LIST_H_
