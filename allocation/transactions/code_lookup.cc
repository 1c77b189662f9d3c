#include "allocation/transactions/code_lookup.h"

#include <bit>
#include <cstring>

#include "common/excerpt.h"
#include "common/hash.h"

namespace korav {

CodeLookup::CodeMap::CodeMap(const stTsortObj& codes) {
  // A quarter full at most, so that the probe of a code not in the model
  // ends soon whatever its bytes.
  words_.Reserve(static_cast<size_t>(codes.Count()) * 2);
  slots_.Reserve(static_cast<size_t>(codes.Count()));
  // The first position of a code in the sorted list is the row Find gives.
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const stTsortRec& item = codes.Item(position);
    if (item.Key.empty() || Find(item.Key) != -1) continue;
    const size_t size = item.Key.size();
    if (size <= kWordBytes) {
      const uint64_t word = WordOf(item.Key);
      words_.Insert(HashOfWord(word, size)) =
          WordSlot{word, static_cast<uint32_t>(size), item.Number};
      continue;
    }
    const uint64_t hash = HashBytes(item.Key);
    slots_.Insert(hash) =
        Slot{hash, static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(size), item.Number};
    bytes_.append(item.Key);
  }
}

uint64_t CodeLookup::CodeMap::WordOf(std::string_view code) {
  uint64_t word = 0;
  std::memcpy(&word, code.data(), code.size());
  return word;
}

// The little-endian reading of the word matches WordOf's memcpy on the
// processors this is built for.
uint64_t CodeLookup::CodeMap::PaddedWordOf(std::string_view code) {
  static_assert(std::endian::native == std::endian::little);
  uint64_t word = 0;
  std::memcpy(&word, code.data(), kWordBytes);
  return code.size() == kWordBytes ? word : word & ((uint64_t{1} << (8 * code.size())) - 1);
}

int32_t CodeLookup::CodeMap::FindWord(uint64_t word, size_t size) const {
  const WordSlot* slot = words_.Find(HashOfWord(word, size), [&](const WordSlot& candidate) {
    return candidate.word == word && candidate.size == size;
  });
  return slot == nullptr ? -1 : slot->row;
}

namespace {

// True when the `size` bytes at `a` and `b` are the same. Codes are short:
// one of up to 16 bytes is compared in place, as bytes or as two words that
// overlap, which spares a call per code looked up.
bool SameBytes(const char* a, const char* b, size_t size) {
  if (size > 16) return std::memcmp(a, b, size) == 0;
  if (size < 8) {
    for (size_t i = 0; i < size; ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }
  uint64_t a_head, b_head, a_tail, b_tail;
  std::memcpy(&a_head, a, 8);
  std::memcpy(&b_head, b, 8);
  std::memcpy(&a_tail, a + size - 8, 8);
  std::memcpy(&b_tail, b + size - 8, 8);
  return ((a_head ^ b_head) | (a_tail ^ b_tail)) == 0;
}

}  // namespace

int32_t CodeLookup::CodeMap::FindLong(std::string_view code) const {
  const uint64_t hash = HashBytes(code);
  const Slot* slot = slots_.Find(hash, [&](const Slot& candidate) {
    return candidate.hash == hash && candidate.length == code.size() &&
           SameBytes(bytes_.data() + candidate.offset, code.data(), code.size());
  });
  return slot == nullptr ? -1 : slot->row;
}

CodeLookup::CodeLookup(const Engine& engine)
    : dimension_count_(engine.model.dimension_count),
      transaction_dimension_(engine.options.transaction_dimension) {
  const ModelTables& model = engine.model;
  code_maps_.reserve(static_cast<size_t>(dimension_count_) + 1);
  code_maps_.emplace_back(stTsortObj(stTsortObj::Growth::kSizedOnce));
  for (int k = 1; k <= dimension_count_; ++k) {
    const auto& values = model.dimensions[static_cast<size_t>(k)].Values;
    has_values_[static_cast<size_t>(k)] = values.count() != 0;
    code_maps_.emplace_back(values.CodeIndex);
  }
  if (transaction_dimension_ <= 0 || transaction_dimension_ > dimension_count_) {
    transaction_dimension_ = 0;
    return;
  }
  const auto& values = model.dimensions[static_cast<size_t>(transaction_dimension_)].Values;
  substitution_of_row_.assign(static_cast<size_t>(values.count()) + 1, -1);
  for (int32_t row = 1; row <= values.count(); ++row) {
    const int32_t fill = values[row].TransSelection;
    if (fill == 0) continue;
    const TmySEL& selection = model.selections[fill];
    Substitution& substitution = substitutions_.emplace_back();
    for (int k = 1; k <= dimension_count_; ++k) {
      const size_t i = static_cast<size_t>(k);
      substitution.restricts[i] = selection.DimIndex[i] != 0;
      if (substitution.restricts[i]) {
        substitution.padded_texts[i] = selection.DimSelect[i] + std::string(kScanPadding, '\0');
      }
    }
    substitution_of_row_[static_cast<size_t>(row)] =
        static_cast<int32_t>(substitutions_.size()) - 1;
  }
}

bool CodeLookup::Substitute(CodeTexts& texts, std::vector<std::string>* messages) const {
  const int32_t d = transaction_dimension_;
  if (d == 0 || texts[static_cast<size_t>(d)].empty()) return true;
  const int32_t row = code_maps_[static_cast<size_t>(d)].Find(texts[static_cast<size_t>(d)]);
  if (row < 0) {
    if (messages != nullptr) {
      messages->push_back("e203 TX; DIMT Code not known; Dim=" + std::to_string(d) +
                          " Code=" + Excerpt(texts[static_cast<size_t>(d)]));
    }
    return false;
  }
  const int32_t fill = substitution_of_row_[static_cast<size_t>(row)];
  if (fill < 0) return true;
  const Substitution& substitution = substitutions_[static_cast<size_t>(fill)];
  for (int k = 1; k <= dimension_count_; ++k) {
    const size_t i = static_cast<size_t>(k);
    if (substitution.restricts[i]) {
      const std::string& padded = substitution.padded_texts[i];
      texts[i] = std::string_view(padded.data(), padded.size() - kScanPadding);
    }
  }
  return true;
}

bool CodeLookup::Resolve(CodeTexts& texts, CodeNumbers& codes,
                         std::vector<std::string>* messages) const {
  return Look<false>(texts, codes, messages);
}

bool CodeLookup::ResolvePadded(CodeTexts& texts, CodeNumbers& codes) const {
  return Look<true>(texts, codes, nullptr);
}

template <bool kPadded>
bool CodeLookup::Look(CodeTexts& texts, CodeNumbers& codes,
                      std::vector<std::string>* messages) const {
  codes.fill(0);
  // An unknown DIMT code stays in place, so that the look-up below reports
  // it too, unless its dimension has no values.
  if (!Substitute(texts, messages) && messages == nullptr) return false;
  bool known = true;
  for (int k = 1; k <= dimension_count_; ++k) {
    const std::string_view code = texts[static_cast<size_t>(k)];
    if (!has_values_[static_cast<size_t>(k)] || code.empty()) continue;
    const CodeMap& map = code_maps_[static_cast<size_t>(k)];
    const int32_t row = kPadded ? map.FindPadded(code) : map.Find(code);
    if (row < 0) {
      if (messages == nullptr) return false;
      messages->push_back("e204 TX; DIM Code not known; Dim=" + std::to_string(k) +
                          " Code=" + Excerpt(code));
      known = false;
      continue;
    }
    codes[static_cast<size_t>(k)] = row;
  }
  return known;
}

}  // namespace korav
