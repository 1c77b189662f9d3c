// The three files of a comparison of two runs, each written through an
// OutputFile (lines ending in CR LF):
// - compare.csv: one row per pool of either run, its value in A and in B,
//   the change and the change in per cent of A;
// - compare-effects.csv: for each final pool, one row per sender with its
//   cost effect, share effect and change, and a row for what the pool's own
//   transactions changed; the rows of a pool add up to its change as printed;
// - compare.html: the same for a person, one self-contained page in the Cost
//   Flow Chart's style.
// Figures have two decimals; one that cannot be printed to the cent (not
// finite, or beyond kLargestPrinted) is left empty, never printed.
#ifndef KORAV_ALLOCATION_COMPARE_COMPARE_FILES_H_
#define KORAV_ALLOCATION_COMPARE_COMPARE_FILES_H_

#include "allocation/compare/comparison.h"
#include "allocation/log/output_file.h"

namespace korav {

inline constexpr char kCompareTableName[] = "compare.csv";
inline constexpr char kCompareEffectsName[] = "compare-effects.csv";
inline constexpr char kComparePageName[] = "compare.html";

// The texts of compare-effects.csv's rows that are no sender.
inline constexpr char kOwnTransactions[] = "(own transactions)";
inline constexpr char kNotBrokenDown[] = "(not broken down: a figure is not finite or too large)";

void WriteChangeTable(const Comparison& comparison, OutputFile& file);
void WriteEffectsTable(const Comparison& comparison, OutputFile& file);
void WriteComparePage(const Comparison& comparison, OutputFile& file);

}  // namespace korav

#endif  // KORAV_ALLOCATION_COMPARE_COMPARE_FILES_H_
