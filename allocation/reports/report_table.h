// The reports by number: what a "REP" record's column 2 asks for.
#ifndef KORAV_ALLOCATION_REPORTS_REPORT_TABLE_H_
#define KORAV_ALLOCATION_REPORTS_REPORT_TABLE_H_

#include <string_view>

#include "allocation/state/engine.h"

namespace korav {

using ReportFunction = void (*)(Engine&);

// The report with `number`, or nullptr for a number not in the table (whose
// record writes its output file empty). Number 0 is the cost pool copy.
ReportFunction FindReport(int number);

// The reports, each writing into the open report output.
void WriteDimensionReport(Engine& engine);            // 11
void WriteStageReport(Engine& engine);                // 12
void WriteSelectionResolutionReport(Engine& engine);  // 13
void WriteCostMeasuresReport(Engine& engine);         // 14
void WriteCostPoolReport(Engine& engine);             // 15
void WriteAllocationBaseReport(Engine& engine);       // 16
void WriteInputContributionReport(Engine& engine);    // 21
void WriteFinalContributionReport(Engine& engine);    // 22
void WriteTraceForwardReport(Engine& engine);         // 23
void WriteTraceBackReport(Engine& engine);            // 24
void WriteVarianceReport(Engine& engine);             // 25
void WriteRollupReport(Engine& engine);               // 26
void WriteCubeAnalysisReport(Engine& engine);         // 31
void WriteTransactionExtract(Engine& engine);         // 32
void WriteCubeExtract(Engine& engine);                // 33
void WriteDimensionExtract(Engine& engine);           // 34
void WriteCostFlowChart(Engine& engine);              // 41

inline constexpr int kCostFlowChart = 41;

// The extension of a report's output file when column 3 gives none: ".html"
// for the Cost Flow Chart's page, ".csv" for every other report.
std::string_view ReportExtension(int number);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_REPORT_TABLE_H_
