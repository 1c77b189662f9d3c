#include "allocation/transactions/code_tuples.h"

#include <algorithm>
#include <bit>

namespace korav {

TuplePacking::TuplePacking(const ModelTables& model, uint64_t most_places)
    : dimensions_(model.dimension_count) {
  int bits = 0;
  bool fits = true;
  places_ = 1;
  for (int k = dimensions_; k >= 1; --k) {
    const size_t i = static_cast<size_t>(k);
    const auto largest = static_cast<uint64_t>(model.dimensions[i].Values.count());
    const int width = std::bit_width(largest);
    shift_[i] = bits;
    mask_[i] = width == 0 ? 0 : (~uint64_t{0} >> (64 - width));
    bits += width;
    radix_[i] = largest + 1;
    stride_[i] = places_;
    fits = fits && !__builtin_mul_overflow(places_, radix_[i], &places_) && places_ <= most_places;
  }
  usable_ = bits <= 64;
  dense_ = usable_ && fits;
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

uint64_t TuplePacking::TupleAt(uint64_t place) const {
  CodeNumbers codes{};
  for (int k = 1; k <= dimensions_; ++k) {
    const size_t i = static_cast<size_t>(k);
    codes[i] = static_cast<int32_t>(place / stride_[i] % radix_[i]);
  }
  return Pack(codes);
}

TupleIndex::TupleIndex(size_t most_tuples, const TuplePacking& packing)
    : most_tuples_(most_tuples), packing_(packing), keyed_(size_t{1} << 12) {
  if (packing_.Dense()) dense_ = MakeLargeArray(packing_.Places(), Slot{});
}

TupleIndex::Slot& TupleIndex::Add(uint64_t tuple, uint64_t place, int32_t line_class) {
  ++count_;
  const Slot slot{line_class, -1, 0};
  if (packing_.Dense()) return dense_[place] = slot;
  return (keyed_.Insert(place) = Keyed{tuple, slot}).slot;
}

void TupleIndex::Clear() {
  count_ = 0;
  if (packing_.Dense()) {
    std::fill_n(dense_.get(), packing_.Places(), Slot{});
  } else {
    keyed_.Clear();
  }
}

}  // namespace korav
