// The code numbers of a transaction line's code columns: the DIMT
// substitution, then each dimension's code found by its text.
//
// A lookup never changes once built, so the thread that parses transaction
// lines and the one that applies them may use it at the same time.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_CODE_LOOKUP_H_
#define KORAV_ALLOCATION_TRANSACTIONS_CODE_LOOKUP_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/state/engine.h"

namespace korav {

// The code texts of a line by dimension (1..8): its columns 2..n+1.
using CodeTexts = std::array<std::string_view, kMaxDimensions + 1>;
// Code numbers by dimension (1..8); 0 for an empty column.
using CodeNumbers = std::array<int32_t, kMaxDimensions + 1>;

// A 64-bit hash of `bytes`.
uint64_t HashBytes(std::string_view bytes);

class CodeLookup {
 public:
  // Prepares the look-ups for `engine`'s model and options, which must stay
  // unchanged while the lookup is used.
  explicit CodeLookup(const Engine& engine);

  // Applies the DIMT substitution to `texts` and sets `codes` to their code
  // numbers; true when every code is known. With `messages`, each unknown
  // code adds its error line (e203, e204) and every column is looked at;
  // without, the first unknown code ends the look-up.
  bool Resolve(CodeTexts& texts, CodeNumbers& codes, std::vector<std::string>* messages) const;

 private:
  // A dimension's codes by text: open addressing, at most half full. Every
  // line looks up each of its codes, so a code is compared through two words
  // that, with its length, are its bytes when it is at most 16 bytes long.
  class CodeMap {
   public:
    explicit CodeMap(const stTsortObj& codes);
    // The row of `code`, or -1.
    int32_t Find(std::string_view code) const;

   private:
    struct Words {
      uint64_t head = 0;
      uint64_t tail = 0;
    };
    struct Slot {
      Words words;
      uint32_t length = 0;
      int32_t row = -1;
      const char* bytes = nullptr;
    };
    static Words WordsOf(std::string_view code);
    size_t SlotOf(const Words& words, size_t length) const;
    static bool Same(const Slot& slot, const Words& words, std::string_view code);
    std::vector<Slot> slots_;
    int shift_ = 0;  // 64 - log2(slot count)
  };

  bool Substitute(CodeTexts& texts, std::vector<std::string>* messages) const;

  const ModelTables& model_;
  const int32_t transaction_dimension_;
  std::vector<CodeMap> code_maps_;  // by dimension, 1..n
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_CODE_LOOKUP_H_
