// The logic of the main window's report area, kept apart from the widgets so
// that it can be tested without a display: the rows of the report list, what
// choosing a row does to the form (proposed file name, first range label,
// which groups show) and the record that "Run Report" builds from the fields.
#ifndef KORAV_ALLOCATION_APP_REPORT_LAUNCHER_H_
#define KORAV_ALLOCATION_APP_REPORT_LAUNCHER_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace korav {

// The report list's rows in the report table's order, after an empty one: a
// report's number in two digits, " - " and its title. A row's first two
// characters are its report number.
std::vector<std::string> ReportListRows();

// How the form looks for a chosen report.
struct ReportForm {
  std::string output_file_name;
  std::string first_range_label;
  bool show_selection = true;  // "Report Selection": the three ranges
  bool show_options = true;    // "Report Options": the six check boxes
  bool show_rollup = false;    // "Rollup Dimensions"
  bool show_copy = false;      // "Copy Cost Pool"
  bool show_level = false;     // "Chart Level"
  bool show_flows = false;     // "Export": the check box "Flows"
};

// The form for report list row `row`, which must not be empty.
ReportForm ReportFormFor(std::string_view row);

// What the user typed and ticked in the report area, taken as it stands.
struct ReportFields {
  std::string row;  // the chosen report list row
  std::string output_file_name;
  std::array<std::string, 3> ranges;  // first range, group range, pool range
  // Show Selection, Show CP, Show AB, Show VC, Where used CP, Where used AB.
  std::array<bool, 6> options{true, true, true, false, true, true};
  // Dimension number and level of the first, second and third dimension.
  std::array<std::string, 6> rollup;
  std::string copy_from;
  std::string copy_to;
  std::string level;   // the chart's: "P" cost pools, "G" groups, empty by count
  bool flows = false;  // the export's: the flows rather than the cells
};

// The record that runs the chosen report: "CPY,from,to" for the copy,
// "REP,26,..." with the roll-up fields for report 26, "REP,41,..." with the
// chart's level for report 41, "REP,36,..." with "F" for the flows or
// nothing for the cells for report 36, else "REP,<number>,..." with the
// option columns ("-" for a cleared box, "+" for a ticked "Show VC",
// otherwise empty). `fields.row` must not be empty.
std::string BuildReportRecord(const ReportFields& fields);

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_REPORT_LAUNCHER_H_
