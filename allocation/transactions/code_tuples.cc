#include "allocation/transactions/code_tuples.h"

#include <bit>

namespace korav {
namespace {

constexpr int kFirstSlotBits = 12;

}  // namespace

TuplePacking::TuplePacking(const ModelTables& model) : dimensions_(model.dimension_count) {
  int bits = 0;
  for (int k = dimensions_; k >= 1; --k) {
    const auto largest =
        static_cast<uint64_t>(model.dimensions[static_cast<size_t>(k)].Values.count());
    const int width = std::bit_width(largest);
    shift_[static_cast<size_t>(k)] = bits;
    mask_[static_cast<size_t>(k)] = width == 0 ? 0 : (~uint64_t{0} >> (64 - width));
    bits += width;
  }
  usable_ = bits <= 64;
}

uint64_t TuplePacking::Pack(const CodeNumbers& codes) const {
  uint64_t tuple = 0;
  for (int k = 1; k <= dimensions_; ++k) {
    tuple |= static_cast<uint64_t>(codes[static_cast<size_t>(k)]) << shift_[static_cast<size_t>(k)];
  }
  return tuple;
}

void TuplePacking::Unpack(uint64_t tuple, CodeNumbers& codes) const {
  for (int k = 1; k <= dimensions_; ++k) {
    const size_t i = static_cast<size_t>(k);
    codes[i] = static_cast<int32_t>((tuple >> shift_[i]) & mask_[i]);
  }
}

TupleIndex::TupleIndex() { Clear(); }

void TupleIndex::Clear() {
  slot_count_ = size_t{1} << kFirstSlotBits;
  slots_ = MakeLargeArray(slot_count_, Slot{});
  shift_ = 64 - kFirstSlotBits;
  count_ = 0;
}

TupleIndex::Slot* TupleIndex::Find(uint64_t tuple, uint64_t hash) {
  for (size_t slot = SlotOf(hash);; slot = (slot + 1) & (slot_count_ - 1)) {
    Slot& candidate = slots_[slot];
    if (candidate.line_class == kEmpty) return nullptr;
    if (candidate.tuple == tuple) return &candidate;
  }
}

void TupleIndex::Grow() {
  LargeArray<Slot> old = MakeLargeArray(slot_count_ * 2, Slot{});
  old.swap(slots_);
  const size_t old_count = slot_count_;
  slot_count_ *= 2;
  --shift_;
  for (size_t i = 0; i < old_count; ++i) {
    const Slot& moved = old[i];
    if (moved.line_class == kEmpty) continue;
    size_t slot = SlotOf(HashOf(moved.tuple));
    while (slots_[slot].line_class != kEmpty) slot = (slot + 1) & (slot_count_ - 1);
    slots_[slot] = moved;
  }
}

TupleIndex::Slot& TupleIndex::Add(uint64_t tuple, uint64_t hash, int32_t line_class) {
  if ((count_ + 1) * 2 > slot_count_) Grow();
  size_t slot = SlotOf(hash);
  while (slots_[slot].line_class != kEmpty) slot = (slot + 1) & (slot_count_ - 1);
  ++count_;
  slots_[slot] = Slot{tuple, line_class, -1, 0};
  return slots_[slot];
}

}  // namespace korav
