// The output file of one report record, and the where-used lists that the
// reports share.
#ifndef KORAV_ALLOCATION_REPORTS_REPORT_OUTPUT_H_
#define KORAV_ALLOCATION_REPORTS_REPORT_OUTPUT_H_

#include "allocation/run/engine.h"

namespace korav {

// Opens the file that the report record in engine.csv names and sets
// engine.state.report_output_open.
void OpenReportOutput(Engine& engine);
// Closes it and clears engine.state.report_output_open.
void CloseReportOutput(Engine& engine);
// Which bases and pools use each pool; built once per program run.
void BuildWhereUsed(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_REPORT_OUTPUT_H_
