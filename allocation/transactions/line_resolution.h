// Working out what the code columns of a transaction line decide: the code
// numbers (through a CodeLookup), the cost pool group and pool that take the
// line, the rows of transaction-based input measures that admit it, and the
// error lines its codes earn (e203, e204, e205).
//
// The group and pool depend only on the codes of the dimensions that some
// group, pool or measure selection row restricts, so each combination of
// those codes is placed once and found again.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_LINE_RESOLUTION_H_
#define KORAV_ALLOCATION_TRANSACTIONS_LINE_RESOLUTION_H_

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "allocation/state/engine.h"
#include "allocation/transactions/code_lookup.h"
#include "allocation/transactions/line_outcome.h"
#include "common/hash.h"
#include "common/probe_table.h"

namespace korav {

// The applying thread's only.
class LineResolver {
 public:
  // Prepares the placements for `engine`'s model, whose selections must stay
  // unchanged while the resolver is used, as must `codes`. Past
  // `most_placements` remembered placements it starts afresh, so that its
  // memory stays bounded whatever the file holds.
  LineResolver(const Engine& engine, const CodeLookup& codes, size_t most_placements);

  // Sets `outcome` to what a line whose code columns read `texts` decides.
  void Resolve(CodeTexts texts, LineOutcome& outcome);
  // Sets the placement of `outcome` from its codes, all known: accepted,
  // or not with no message.
  void PlaceKnownCodes(LineOutcome& outcome) { PlaceCodes(outcome, nullptr); }

 private:
  // Where a combination of codes goes: a line class, with group 0 when no
  // group takes it and pool_row 0 when no pool of its group does; its
  // measure rows are in measure_rows_.
  using Placement = LineClass;

  // With `texts`, a line that no pool takes earns its e205 line.
  void PlaceCodes(LineOutcome& outcome, const CodeTexts* texts);
  const Placement& PlacementOf(const CodeNumbers& codes);
  void Place(const CodeNumbers& codes, Placement& placement);
  void ForgetPlacements();
  std::string CodesText(const CodeTexts& texts) const;

  const Engine& engine_;
  const CodeLookup& codes_;
  // The dimensions that placement reads, and whether their codes pack into
  // one 64-bit number (else every line is placed anew).
  std::vector<int> placement_dimensions_;
  bool memo_placements_ = true;
  // Placement numbers by packed codes.
  struct Slot {
    uint64_t key = 0;
    int32_t number = 0;  // the placement's number + 1; 0 when empty
  };
  struct Traits {
    static bool Empty(const Slot& slot) { return slot.number == 0; }
    static uint64_t HashOf(const Slot& slot) { return HashWord(slot.key); }
  };
  const size_t most_placements_;
  ProbeTable<Slot, Traits> placement_slots_;
  std::vector<Placement> placements_;
  std::vector<int32_t> measure_rows_;
  Placement scratch_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_LINE_RESOLUTION_H_
