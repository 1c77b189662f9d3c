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

 private:
  // A dimension's codes by text, with their bytes of its own.
  class CodeMap {
   public:
    explicit CodeMap(const stTsortObj& codes);
    // The row of `code`, or -1.
    int32_t Find(std::string_view code) const;

   private:
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
    std::string bytes_;
    ProbeTable<Slot, Traits> slots_;
  };

  // What the DIMT row of a value of the transaction dimension puts in
  // place of the line's codes: texts[k] for every dimension k it restricts.
  struct Substitution {
    std::array<bool, kMaxDimensions + 1> restricts{};
    std::array<std::string, kMaxDimensions + 1> texts;
  };

  bool Substitute(CodeTexts& texts, std::vector<std::string>* messages) const;

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
