#include "allocation/app/report_launcher.h"

#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

std::string ReportCode(std::string_view row) { return std::string(row.substr(0, 2)); }

// The option columns say what differs from each box's default: a cleared box
// turns its listing off, a ticked "Show VC" turns the value cube listing on.
std::string OptionColumn(size_t column, bool checked) {
  constexpr size_t kShowVc = 3;
  if (column == kShowVc) return checked ? "+" : "";
  return checked ? "" : "-";
}

template <size_t N>
void AppendColumns(std::string& record, const std::array<std::string, N>& columns) {
  for (const std::string& column : columns) record += "," + column;
}

}  // namespace

std::vector<std::string> ReportListRows() {
  std::vector<std::string> rows{""};
  for (const ReportEntry& report : kReportTable) {
    const std::string number = std::to_string(report.number);
    rows.push_back(std::string(2 - number.size(), '0') + number + " - " +
                   std::string(report.title));
  }
  return rows;
}

ReportForm ReportFormFor(std::string_view row) {
  const std::string code = ReportCode(row);
  ReportForm form;
  form.output_file_name = "REP" + code + "a" + std::string(ReportExtension(LeadingInt(code)));
  form.first_range_label = "STG Range";
  const int number = LeadingInt(code);
  if (number == 0) {
    form.show_selection = false;
    form.show_options = false;
    form.show_copy = true;
  } else if (number == 11) {
    form.first_range_label = "DIM Nr Range";
    form.show_options = false;
  } else if (number == 14) {
    form.first_range_label = "Measure Range";
  } else if (number == 16) {
    form.first_range_label = "AB Range";
  } else if (number == 17) {
    // A reconciliation covers the whole run, whatever the ranges.
    form.show_selection = false;
    form.show_options = false;
  } else if (number == 26) {
    form.show_options = false;
    form.show_rollup = true;
  } else if ((number >= 21 && number <= 25) || (number >= 31 && number <= 34)) {
    form.show_options = false;
  } else if (number == kResultsExport) {
    form.show_options = false;
    form.show_flows = true;
  } else if (number == kCostFlowChart) {
    form.show_options = false;
    form.show_level = true;
  }
  return form;
}

std::string BuildReportRecord(const ReportFields& fields) {
  const std::string code = ReportCode(fields.row);
  if (code == "00") return "CPY," + fields.copy_from + "," + fields.copy_to;
  std::string record = "REP," + (code == "26" ? code : std::to_string(LeadingInt(code)));
  record += "," + fields.output_file_name;
  AppendColumns(record, fields.ranges);
  if (code == "26") {
    AppendColumns(record, fields.rollup);
    return record;
  }
  if (LeadingInt(code) == kCostFlowChart) return record + "," + fields.level;
  if (LeadingInt(code) == kResultsExport) return record + (fields.flows ? ",F" : ",");
  for (size_t column = 0; column < fields.options.size(); ++column) {
    record += "," + OptionColumn(column, fields.options[column]);
  }
  return record;
}

}  // namespace korav
