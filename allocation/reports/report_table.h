// The reports by number: what a "REP" record's column 2 asks for, and what
// the main window's report list offers.
#ifndef KORAV_ALLOCATION_REPORTS_REPORT_TABLE_H_
#define KORAV_ALLOCATION_REPORTS_REPORT_TABLE_H_

#include <array>
#include <string_view>

#include "allocation/loading/model_completion.h"
#include "allocation/state/engine.h"

namespace korav {

using ReportFunction = void (*)(Engine&);

// The reports, each writing into the open report output.
void WriteDimensionReport(Engine& engine);
void WriteStageReport(Engine& engine);
void WriteReconciliationReport(Engine& engine);
void WriteSelectionResolutionReport(Engine& engine);
void WriteCostMeasuresReport(Engine& engine);
void WriteCostPoolReport(Engine& engine);
void WriteAllocationBaseReport(Engine& engine);
void WriteInputContributionReport(Engine& engine);
void WriteFinalContributionReport(Engine& engine);
void WriteTraceForwardReport(Engine& engine);
void WriteTraceBackReport(Engine& engine);
void WriteVarianceReport(Engine& engine);
void WriteRollupReport(Engine& engine);
void WriteCubeAnalysisReport(Engine& engine);
void WriteTransactionExtract(Engine& engine);
void WriteCubeExtract(Engine& engine);
void WriteDimensionExtract(Engine& engine);
void WriteResultsExport(Engine& engine);
void WriteCostFlowChart(Engine& engine);

inline constexpr int kResultsExport = 36;
inline constexpr int kCostFlowChart = 41;

struct ReportEntry {
  int number;
  std::string_view title;  // as the report list shows it after the number
  ReportFunction write;
};

// Every report in number order. Number 0 is the cost pool copy.
inline constexpr std::array<ReportEntry, 20> kReportTable{{
    {0, "Copy", CopyCostPool},
    {11, "Dimension Report", WriteDimensionReport},
    {12, "Stage Report", WriteStageReport},
    {13, "Cost Pool Resolution Report", WriteSelectionResolutionReport},
    {14, "Measures Report", WriteCostMeasuresReport},
    {15, "Cost Pool Report", WriteCostPoolReport},
    {16, "Allocation Base", WriteAllocationBaseReport},
    {17, "Reconciliation Report", WriteReconciliationReport},
    {21, "Cost Pool Input Contribution Report", WriteInputContributionReport},
    {22, "Cost Pool Final Contribution Report", WriteFinalContributionReport},
    {23, "Trace Forward Report", WriteTraceForwardReport},
    {24, "Trace Back Report", WriteTraceBackReport},
    {25, "Cost Pool Variance Report", WriteVarianceReport},
    {26, "Rollup Report", WriteRollupReport},
    {31, "Cost Pool Value Cube Analysis Report", WriteCubeAnalysisReport},
    {32, "Extract Selected Transactions", WriteTransactionExtract},
    {33, "Extract Value Cubes", WriteCubeExtract},
    {34, "Extract Dimensions", WriteDimensionExtract},
    {kResultsExport, "Results Export", WriteResultsExport},
    {kCostFlowChart, "Cost Flow Chart", WriteCostFlowChart},
}};

// The report with `number`, or nullptr for a number not in the table (whose
// record writes its output file empty).
ReportFunction FindReport(int number);

// The extension of a report's output file when column 3 gives none: ".html"
// for the Cost Flow Chart's page, ".csv" for every other report.
std::string_view ReportExtension(int number);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_REPORT_TABLE_H_
