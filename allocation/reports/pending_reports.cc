// Report output and the reports themselves are not written yet: a report
// record is logged and its number looked up, and no file is created.
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"

namespace korav {

void OpenReportOutput(Engine& engine) { engine.state.report_output_open = true; }
void CloseReportOutput(Engine& engine) { engine.state.report_output_open = false; }
void BuildWhereUsed(Engine&) {}

void WriteDimensionReport(Engine&) {}
void WriteStageReport(Engine&) {}
void WriteSelectionResolutionReport(Engine&) {}
void WriteCostMeasuresReport(Engine&) {}
void WriteCostPoolReport(Engine&) {}
void WriteAllocationBaseReport(Engine&) {}
void WriteInputContributionReport(Engine&) {}
void WriteFinalContributionReport(Engine&) {}
void WriteTraceForwardReport(Engine&) {}
void WriteTraceBackReport(Engine&) {}
void WriteVarianceReport(Engine&) {}
void WriteRollupReport(Engine&) {}
void WriteCubeAnalysisReport(Engine&) {}
void WriteTransactionExtract(Engine&) {}
void WriteCubeExtract(Engine&) {}
void WriteDimensionExtract(Engine&) {}

}  // namespace korav
