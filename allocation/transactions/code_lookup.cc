#include "allocation/transactions/code_lookup.h"

#include <cstring>

#include "common/excerpt.h"

namespace korav {

uint64_t HashBytes(std::string_view bytes) {
  const auto mix = [](uint64_t h, uint64_t word) {
    h = (h ^ word) * 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 31);
  };
  uint64_t h = 0x9E3779B97F4A7C15u ^ bytes.size();
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    h = mix(h, word);
  }
  if (i < bytes.size()) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, bytes.size() - i);
    h = mix(h, word);
  }
  h = (h ^ (h >> 29)) * 0x94D049BB133111EBu;
  return h ^ (h >> 32);
}

// Two loads that may overlap but never leave the code; for a code of at most
// 16 bytes the words and the length give back every byte.
CodeLookup::CodeMap::Words CodeLookup::CodeMap::WordsOf(std::string_view code) {
  const char* const p = code.data();
  const size_t n = code.size();
  Words words;
  if (n >= 8) {
    std::memcpy(&words.head, p, 8);
    std::memcpy(&words.tail, p + n - 8, 8);
  } else if (n >= 4) {
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    words.head = first | (uint64_t{last} << 32);
  } else if (n > 0) {
    const auto byte = [p](size_t i) { return uint64_t{static_cast<unsigned char>(p[i])}; };
    words.head = byte(0) | (byte(n / 2) << 8) | (byte(n - 1) << 16);
  }
  return words;
}

size_t CodeLookup::CodeMap::SlotOf(const Words& words, size_t length) const {
  // The top bits of a product depend on every bit of its factors.
  const uint64_t h = ((words.head ^ (uint64_t{length} << 56)) * 0x9E3779B97F4A7C15u ^ words.tail) *
                     0xC2B2AE3D27D4EB4Fu;
  return static_cast<size_t>(h >> shift_);
}

bool CodeLookup::CodeMap::Same(const Slot& slot, const Words& words, std::string_view code) {
  return slot.words.head == words.head && slot.words.tail == words.tail &&
         slot.length == code.size() &&
         (code.size() <= 16 || std::memcmp(slot.bytes, code.data(), code.size()) == 0);
}

CodeLookup::CodeMap::CodeMap(const stTsortObj& codes) {
  size_t size = 16;
  shift_ = 60;
  while (size < static_cast<size_t>(codes.Count()) * 2) {
    size *= 2;
    --shift_;
  }
  slots_.resize(size);
  // The first position of a code in the sorted list is the row Find gives.
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const stTsortRec& item = codes.Item(position);
    if (item.Key.empty() || Find(item.Key) != -1) continue;
    const Words words = WordsOf(item.Key);
    size_t slot = SlotOf(words, item.Key.size());
    while (slots_[slot].row != -1) slot = (slot + 1) & (size - 1);
    slots_[slot] =
        Slot{words, static_cast<uint32_t>(item.Key.size()), item.Number, item.Key.data()};
  }
}

int32_t CodeLookup::CodeMap::Find(std::string_view code) const {
  const Words words = WordsOf(code);
  for (size_t slot = SlotOf(words, code.size());; slot = (slot + 1) & (slots_.size() - 1)) {
    const Slot& candidate = slots_[slot];
    if (candidate.row == -1) return -1;
    if (Same(candidate, words, code)) return candidate.row;
  }
}

CodeLookup::CodeLookup(const Engine& engine)
    : model_(engine.model), transaction_dimension_(engine.options.transaction_dimension) {
  code_maps_.reserve(static_cast<size_t>(model_.dimension_count) + 1);
  code_maps_.emplace_back(stTsortObj(stTsortObj::Growth::kSizedOnce));
  for (int k = 1; k <= model_.dimension_count; ++k) {
    code_maps_.emplace_back(model_.dimensions[static_cast<size_t>(k)].Values.CodeIndex);
  }
}

bool CodeLookup::Substitute(CodeTexts& texts, std::vector<std::string>* messages) const {
  const int32_t d = transaction_dimension_;
  if (d == 0 || d > model_.dimension_count || texts[static_cast<size_t>(d)].empty()) return true;
  const int32_t row = code_maps_[static_cast<size_t>(d)].Find(texts[static_cast<size_t>(d)]);
  if (row < 0) {
    if (messages != nullptr) {
      messages->push_back("e203 TX; DIMT Code not known; Dim=" + std::to_string(d) +
                          " Code=" + Excerpt(texts[static_cast<size_t>(d)]));
    }
    return false;
  }
  const int32_t fill = model_.dimensions[static_cast<size_t>(d)].Values[row].TransSelection;
  if (fill == 0) return true;
  const TmySEL& selection = model_.selections[fill];
  for (int k = 1; k <= model_.dimension_count; ++k) {
    if (selection.DimIndex[static_cast<size_t>(k)] != 0) {
      texts[static_cast<size_t>(k)] = selection.DimSelect[static_cast<size_t>(k)];
    }
  }
  return true;
}

bool CodeLookup::Resolve(CodeTexts& texts, CodeNumbers& codes,
                         std::vector<std::string>* messages) const {
  codes.fill(0);
  // An unknown DIMT code stays in place, so that the look-up below reports
  // it too, unless its dimension has no values.
  if (!Substitute(texts, messages) && messages == nullptr) return false;
  bool known = true;
  for (int k = 1; k <= model_.dimension_count; ++k) {
    const std::string_view code = texts[static_cast<size_t>(k)];
    if (model_.dimensions[static_cast<size_t>(k)].Values.count() == 0 || code.empty()) continue;
    const int32_t row = code_maps_[static_cast<size_t>(k)].Find(code);
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
