// Working out what the code columns of a transaction line decide: the DIMT
// substitution, the code numbers, the cost pool group and pool that take the
// line, the rows of transaction-based input measures that admit it, and the
// error lines its codes earn (e203, e204, e205).
//
// Codes are found through a hash of each dimension's codes, built from its
// sorted code list so that it gives the row that list's Find gives. The
// group and pool depend only on the codes of the dimensions that some group,
// pool or measure selection row restricts, so each combination of those
// codes is placed once and found again.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_LINE_RESOLUTION_H_
#define KORAV_ALLOCATION_TRANSACTIONS_LINE_RESOLUTION_H_

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "allocation/state/engine.h"
#include "allocation/transactions/placement_cache.h"

namespace korav {

// The code texts of a line by dimension (1..8): its columns 2..n+1.
using CodeTexts = std::array<std::string_view, kMaxDimensions + 1>;

class LineResolver {
 public:
  // Prepares the look-ups for `engine`'s model, which must stay unchanged
  // while the resolver is used.
  explicit LineResolver(const Engine& engine);

  // Sets `outcome` to what a line whose code columns read `texts` decides.
  void Resolve(CodeTexts texts, LineOutcome& outcome);

 private:
  // A dimension's codes by text: open addressing, at most half full.
  class CodeMap {
   public:
    explicit CodeMap(const stTsortObj& codes);
    // The row of `code`, or -1.
    int32_t Find(std::string_view code) const;

   private:
    struct Slot {
      uint64_t hash = 0;
      std::string_view code;
      int32_t row = -1;
    };
    std::vector<Slot> slots_;
  };

  struct Placement {
    int32_t group = 0;
    int32_t group_row = 0;
    int32_t pool = 0;
    int32_t pool_row = 0;
    bool negate = false;
    int32_t first_measure_row = 0;
    int32_t measure_row_count = 0;
  };

  void SubstituteTransactionDimension(CodeTexts& texts, LineOutcome& outcome) const;
  bool ResolveCodes(const CodeTexts& texts, LineOutcome& outcome) const;
  const Placement& PlacementOf(const std::array<int32_t, kMaxDimensions + 1>& codes);
  void Place(const std::array<int32_t, kMaxDimensions + 1>& codes, Placement& placement);
  void ForgetPlacements();
  std::string CodesText(const CodeTexts& texts) const;

  const Engine& engine_;
  std::vector<CodeMap> code_maps_;  // by dimension, 1..n
  // The dimensions that placement reads, and whether their codes pack into
  // one 64-bit number (else every line is placed anew).
  std::vector<int> placement_dimensions_;
  bool memo_placements_ = true;
  // Placement numbers by packed codes: open addressing, at most half full;
  // a slot holds the key and the number + 1, 0 when empty.
  std::vector<std::pair<uint64_t, int32_t>> placement_slots_;
  std::vector<Placement> placements_;
  std::vector<int32_t> measure_rows_;
  Placement scratch_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_LINE_RESOLUTION_H_
