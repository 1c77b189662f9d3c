// What every report shares: the output file of its "REP" record, the title
// line, the ranges that filter cost pools, and the value cube listing of a
// pool. Reports write their lines through engine.report_output, each ending
// in CR LF.
#ifndef KORAV_ALLOCATION_REPORTS_REPORT_OUTPUT_H_
#define KORAV_ALLOCATION_REPORTS_REPORT_OUTPUT_H_

#include <string>
#include <string_view>

#include "allocation/state/engine.h"

namespace korav {

// The number of the report that the record in engine.csv asks for: column 2
// of a "REP" record, 0 for a "CPY" record.
int ReportNumber(const Engine& engine);

// The name of the report record's output file within the output folder, as
// the record gives it: column 2 + the report's extension (".csv", or ".html"
// for the chart) when column 3 is empty; column 3 as given when it has a
// dot; else column 3 with the report's extension added. Whether the name
// may be used is for OutputFolder::Place to say.
std::string ReportOutputName(const Engine& engine);

// Opens the file that the report record in engine.csv names and sets
// engine.state.report_output_open. A name that cannot be used is reported
// (e405, with the reason: it leaves the output folder, is a symbolic link,
// a folder, a file with other hard links, ...), as is one that names a log
// of the run, its manifest or a file it reads (e407); false is then returned
// with nothing open, and the report is skipped.
bool OpenReportOutput(Engine& engine);
// Closes it, which puts the whole report in place under its name, and
// clears engine.state.report_output_open. Lines that had to show a figure
// that is not finite are reported (e408). The report becomes a file that the
// run never reads, and one that its manifest lists.
void CloseReportOutput(Engine& engine);

// Writes the title line: `title` (ending in "; "), column 3 of the report
// record, "; ", then `note` and "; " when there is one, and the date and
// time.
void WriteReportTitle(Engine& engine, std::string_view title, std::string_view note = {});

// What a report of the run's results must say before its figures: that the
// allocation was not performed and why, or that the figures do not
// reconcile; empty when neither.
std::string AllocationNote(const Engine& engine);
// Writes AllocationNote as the line "Note,<note>" when there is one.
void WriteAllocationNote(Engine& engine);

// Reads columns 4, 5 and 6 of the report record into engine.report_ranges:
// an empty column covers everything, "A*" every code that begins with A,
// "B/D" the codes from B to D, "C" just C.
void SetReportRanges(Engine& engine);
// True when the pool's code, group code and stage code lie within the ranges.
bool InReportRange(const Engine& engine, const TmyCP& pool);

// Builds the where-used lists that several reports print.
void BuildWhereUsed(Engine& engine);

// Writes the users of the item `code` in `list`: "Used by CP," lines for
// kind 'C', "Used by AB," lines for kind 'A'.
void WriteWhereUsed(Engine& engine, char kind, const stTsortObj& list, const std::string& code);

// Writes each value cube line of pool `pool` as "    VC,,,," + `prefix` +
// the line.
void ListPoolCube(Engine& engine, int32_t pool, std::string_view prefix);

// `value` between double quotes, as report descriptions are written.
std::string Quoted(std::string_view value);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_REPORT_OUTPUT_H_
