#include "allocation/transactions/code_tuples.h"

#include <bit>

namespace korav {

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

}  // namespace korav
