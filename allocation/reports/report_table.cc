#include "allocation/reports/report_table.h"

#include <array>
#include <utility>

#include "allocation/loading/model_completion.h"

namespace korav {

ReportFunction FindReport(int number) {
  static constexpr std::array<std::pair<int, ReportFunction>, 18> kReports{{
      {0, CopyCostPool},
      {11, WriteDimensionReport},
      {12, WriteStageReport},
      {13, WriteSelectionResolutionReport},
      {14, WriteCostMeasuresReport},
      {15, WriteCostPoolReport},
      {16, WriteAllocationBaseReport},
      {21, WriteInputContributionReport},
      {22, WriteFinalContributionReport},
      {23, WriteTraceForwardReport},
      {24, WriteTraceBackReport},
      {25, WriteVarianceReport},
      {26, WriteRollupReport},
      {31, WriteCubeAnalysisReport},
      {32, WriteTransactionExtract},
      {33, WriteCubeExtract},
      {34, WriteDimensionExtract},
      {kCostFlowChart, WriteCostFlowChart},
  }};
  for (const auto& [known, report] : kReports) {
    if (known == number) return report;
  }
  return nullptr;
}

std::string_view ReportExtension(int number) { return number == kCostFlowChart ? ".html" : ".csv"; }

}  // namespace korav
