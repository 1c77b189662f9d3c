// The code numbers of a transaction line's code columns: the DIMT
// substitution, then each dimension's code found by its text.
//
// A lookup copies what it reads of the model when it is built (the codes'
// texts and rows, the DIMT rows' codes) and never changes afterwards, so the
// thread that parses transaction lines may use it while the applying thread
// writes the model's tallies.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_CODE_LOOKUP_H_
#define KORAV_ALLOCATION_TRANSACTIONS_CODE_LOOKUP_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/state/engine.h"
#include "common/byte_scan.h"
#include "common/probe_table.h"

namespace korav {

// The code texts of a line by dimension (1..8): its columns 2..n+1.
using CodeTexts = std::array<std::string_view, kMaxDimensions + 1>;
// Code numbers by dimension (1..8); 0 for an empty column.
using CodeNumbers = std::array<int32_t, kMaxDimensions + 1>;

class CodeLookup {
 public:
  // Copies the look-ups from `engine`'s model and options.
  explicit CodeLookup(const Engine& engine);
  CodeLookup(const CodeLookup&) = delete;
  CodeLookup& operator=(const CodeLookup&) = delete;

  // Applies the DIMT substitution to `texts` and sets `codes` to their code
  // numbers; true when every code is known. With `messages`, each unknown
  // code adds its error line (e203, e204) and every column is looked at;
  // without, the first unknown code ends the look-up. The texts substituted
  // stay valid as long as the lookup.
  bool Resolve(CodeTexts& texts, CodeNumbers& codes, std::vector<std::string>* messages) const;
  // As Resolve without messages, for texts each followed by at least
  // kScanPadding bytes of the same buffer (a batch's lines are): a short
  // code is then read as one word.
  bool ResolvePadded(CodeTexts& texts, CodeNumbers& codes) const;

 private:
  // A dimension's codes by text, with their bytes of its own. Codes of up
  // to 8 bytes, the usual ones, are kept as words, so that finding one
  // costs a multiplication and a comparison; longer ones by their XXH3 hash.
  class CodeMap {
   public:
    explicit CodeMap(const stTsortObj& codes);
    // The row of `code`, or -1.
    int32_t Find(std::string_view code) const {
      return code.size() <= kWordBytes ? FindWord(WordOf(code), code.size()) : FindLong(code);
    }
    // As Find, for a code followed by at least kWordBytes - 1 readable bytes.
    int32_t FindPadded(std::string_view code) const {
      return code.size() <= kWordBytes ? FindWord(PaddedWordOf(code), code.size()) : FindLong(code);
    }

   private:
    static constexpr size_t kWordBytes = 8;
    // The bytes of a code of up to 8 bytes as a word, the rest zero.
    static uint64_t WordOf(std::string_view code);
    static uint64_t PaddedWordOf(std::string_view code);
    int32_t FindWord(uint64_t word, size_t size) const;
    int32_t FindLong(std::string_view code) const;

    struct WordSlot {
      uint64_t word = 0;
      uint32_t size = 0;
      int32_t row = -1;
    };
    struct WordTraits {
      static bool Empty(const WordSlot& slot) { return slot.row == -1; }
      static uint64_t HashOf(const WordSlot& slot) { return HashOfWord(slot.word, slot.size); }
    };
    // A multiplicative hash, whose top bits ProbeTable takes; the size
    // keeps codes that differ only in trailing NUL bytes apart.
    static uint64_t HashOfWord(uint64_t word, size_t size) {
      return (word ^ (uint64_t{size} << 59)) * 0x9E3779B97F4A7C15ull;
    }

    struct Slot {
      uint64_t hash = 0;
      uint32_t offset = 0;  // the code's bytes in bytes_
      uint32_t length = 0;
      int32_t row = -1;
    };
    struct Traits {
      static bool Empty(const Slot& slot) { return slot.row == -1; }
      static uint64_t HashOf(const Slot& slot) { return slot.hash; }
    };
    ProbeTable<WordSlot, WordTraits> words_;
    std::string bytes_;
    ProbeTable<Slot, Traits> slots_;
  };

  // What the DIMT row of a value of the transaction dimension puts in
  // place of the line's codes: texts[k] for every dimension k it restricts.
  // Each text ends in kScanPadding NUL bytes that are not part of it, so
  // that substituted codes are padded as a batch's are.
  struct Substitution {
    std::array<bool, kMaxDimensions + 1> restricts{};
    std::array<std::string, kMaxDimensions + 1> padded_texts;
  };

  bool Substitute(CodeTexts& texts, std::vector<std::string>* messages) const;
  template <bool kPadded>
  bool Look(CodeTexts& texts, CodeNumbers& codes, std::vector<std::string>* messages) const;

  int dimension_count_ = 0;
  int32_t transaction_dimension_ = 0;  // 0 when no dimension substitutes
  std::array<bool, kMaxDimensions + 1> has_values_{};
  std::vector<CodeMap> code_maps_;  // by dimension, 1..n
  // By row of the transaction dimension: its index in substitutions_, or -1.
  std::vector<int32_t> substitution_of_row_;
  std::vector<Substitution> substitutions_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_CODE_LOOKUP_H_
