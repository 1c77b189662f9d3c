// What the code columns of a transaction line decide, and the few distinct
// ways in which accepted lines are placed.
//
// Millions of lines fall into a few hundred or thousand classes: a class
// holds the cost pool group and pool that take a line, the selection rows
// that chose them and the rows of transaction-based input measures that admit
// it. The reader keeps one number per class with each combination of codes
// it has seen, so that a line's tallies come from a small table that stays in
// the processor's cache.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_LINE_OUTCOME_H_
#define KORAV_ALLOCATION_TRANSACTIONS_LINE_OUTCOME_H_

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "allocation/transactions/code_lookup.h"
#include "common/probe_table.h"

namespace korav {

// What one combination of code columns decides.
struct LineOutcome {
  // The code numbers of the known codes, 0 for an empty column or an unknown
  // code; every known code counts a transaction for its value.
  CodeNumbers codes{};
  // Every code known and a pool chosen: the line's amount goes to the
  // tallies and the cube. Otherwise only the codes count and the messages
  // are logged.
  bool accepted = false;
  // The message number under which a line not accepted is rejected: 204
  // for an unknown code (with or without e203), 205 when no pool takes it.
  int32_t rejection = 0;
  bool negate = false;  // the group's Flag
  int32_t group = 0;
  int32_t group_row = 0;  // the "CPGS" row that chose the group
  int32_t pool = 0;
  int32_t pool_row = 0;  // the "CPS" row that chose the pool
  // The "IMS" rows of transaction-based input measures that admit the codes.
  std::vector<int32_t> measure_rows;
  // The texts of the error lines the codes earn (e203, e204, e205), in the
  // order they are logged.
  std::vector<std::string> messages;

  void Clear();
};

// How an accepted line is placed.
struct LineClass {
  bool negate = false;
  // Only lines of this class's tuple add to its cells (no mapping row
  // rebuilds their keys), so the reader may keep a cell's running value
  // with the tuple and store it in the cube once at the end.
  bool owns_cell = false;
  // The pool is one that the model generates for what nothing else takes.
  bool not_selected = false;
  int32_t group = 0;
  int32_t group_row = 0;
  int32_t pool = 0;
  int32_t pool_row = 0;
  int32_t first_measure_row = 0;  // in LineClasses::MeasureRows
  int32_t measure_row_count = 0;
};

// The classes of the accepted lines met; the applying thread's only. Its
// user starts it afresh past its most classes, so that its memory stays
// bounded whatever the file holds.
class LineClasses {
 public:
  explicit LineClasses(size_t most_classes) : most_classes_(most_classes), slots_(64) {}

  void Clear();
  bool Full() const { return classes_.size() >= most_classes_; }

  // The number of the class of accepted `outcome`, from 0, added when new
  // with `owns_cell` and `not_selected`, which follow from the outcome.
  int32_t Intern(const LineOutcome& outcome, bool owns_cell, bool not_selected);
  const LineClass& operator[](int32_t number) const {
    return classes_[static_cast<size_t>(number)];
  }
  std::span<const int32_t> MeasureRows(const LineClass& line_class) const {
    return std::span<const int32_t>(measure_rows_)
        .subspan(static_cast<size_t>(line_class.first_measure_row),
                 static_cast<size_t>(line_class.measure_row_count));
  }

 private:
  // A slot: the high half of the class's hash and its number + 1; 0 when
  // empty.
  struct Traits {
    static bool Empty(uint64_t slot) { return slot == 0; }
    static uint64_t HashOf(uint64_t slot) { return slot; }
  };
  bool Matches(const LineClass& line_class, const LineOutcome& outcome) const;

  const size_t most_classes_;
  std::vector<LineClass> classes_;
  std::vector<int32_t> measure_rows_;
  ProbeTable<uint64_t, Traits> slots_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_LINE_OUTCOME_H_
