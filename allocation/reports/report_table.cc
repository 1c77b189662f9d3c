#include "allocation/reports/report_table.h"

namespace korav {

ReportFunction FindReport(int number) {
  for (const ReportEntry& report : kReportTable) {
    if (report.number == number) return report.write;
  }
  return nullptr;
}

std::string_view ReportExtension(int number) { return number == kCostFlowChart ? ".html" : ".csv"; }

}  // namespace korav
