// The Results Export's (36) two tables as their header rows name them, for
// the report that writes them and for the programs of this project that
// read them back: the cells (the leading columns, one column per dimension,
// then the value) and the flows, whose variance rows hold "variance" as
// their line.
#ifndef KORAV_ALLOCATION_REPORTS_RESULTS_EXPORT_H_
#define KORAV_ALLOCATION_REPORTS_RESULTS_EXPORT_H_

#include <array>
#include <string_view>

namespace korav {

inline constexpr std::array<std::string_view, 7> kCellsLeadingColumns = {
    "Run Label",         "Stage", "Stage Description", "Group",
    "Group Description", "Pool",  "Pool Description"};
inline constexpr std::string_view kCellsValueColumn = "Value";
inline constexpr std::array<std::string_view, 10> kFlowsColumns = {
    "Run Label",  "Stage", "Sender",   "Sender Description",
    "Base",       "Line",  "Receiver", "Receiver Description",
    "Proportion", "Amount"};
inline constexpr std::string_view kVarianceLine = "variance";

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_RESULTS_EXPORT_H_
