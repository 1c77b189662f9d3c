#include "allocation/reports/report_output.h"

#include "allocation/reports/report_table.h"
#include "common/excerpt.h"
#include "common/numbers.h"
#include "common/paths.h"

namespace korav {
namespace {

// One range column: "from/to", where an empty from covers everything and
// the first "*" stands for the lowest (from) or highest (to) codes.
void ReadRange(Engine& engine, int column, ReportRange& range) {
  engine.slash.SplitSlash(engine.csv[column]);
  range.from.assign(engine.slash[1]);
  range.to.assign(engine.slash[2]);
  if (range.from.empty()) range.from = "*";
  if (range.to.empty()) range.to = range.from;
  if (const size_t star = range.from.find('*'); star != std::string::npos) range.from[star] = ' ';
  if (const size_t star = range.to.find('*'); star != std::string::npos) range.to[star] = 'z';
}

bool Within(const std::string& code, const ReportRange& range) {
  return code >= range.from && code <= range.to;
}

// The report record's output file name as the record gives it: column 3, or
// the report number of column 2 when column 3 is empty.
std::string_view ReportNameAsWritten(const Engine& engine) {
  return engine.csv[3].empty() ? engine.csv[2] : engine.csv[3];
}

// True when `place` is the run manifest's, which the run writes last and
// which would replace the report.
bool IsManifest(const Engine& engine, const OutputPlace& place) {
  return place.leaf == kManifestName &&
         IdentityOfOpen(place.folder.get()) == engine.output_folder.identity();
}

}  // namespace

int ReportNumber(const Engine& engine) {
  return engine.csv[1] == "CPY" ? 0 : LeadingInt(engine.csv[2]);
}

std::string ReportOutputName(const Engine& engine) {
  const std::string extension(ReportExtension(ReportNumber(engine)));
  std::string name = WithNativeSeparators(engine.csv[3]);
  if (name.empty()) {
    name = WithNativeSeparators(engine.csv[2]) + extension;
  } else if (name.find('.') == std::string::npos) {
    name += extension;
  }
  return name;
}

bool OpenReportOutput(Engine& engine) {
  engine.report_output.Discard();
  const std::string name = ReportOutputName(engine);
  const auto refuse = [&](std::string_view number, std::string_view reason) {
    engine.LogLine(std::string(number) + " REP; Output file name not valid, " +
                   std::string(reason) + "; Name=" + Excerpt(ReportNameAsWritten(engine)));
    return false;
  };
  // Writing over a log would garble it; over a file the run reads, destroy
  // an input and feed the report back into the run.
  const OutputPlace place = engine.output_folder.Place(name);
  if (place.usable() &&
      ((place.existing && engine.log.Writes(*place.existing)) || engine.files.IsInput(place) ||
       (place.existing && place.existing == engine.data_file.Identity()))) {
    return refuse("e407", "it names a log or input file of this run");
  }
  if (place.usable() && IsManifest(engine, place)) {
    return refuse("e407", "it names the run manifest " + std::string(kManifestName));
  }
  const std::string refusal = engine.report_output.Create(
      engine.output_folder, name, OutputFile::Mode::kWhenComplete, engine.host);
  if (!refusal.empty()) return refuse("e405", refusal);
  engine.state.report_output_open = true;
  engine.state.report_number = ReportNumber(engine);
  return true;
}

void CloseReportOutput(Engine& engine) {
  engine.state.report_output_open = false;
  const std::optional<FileIdentity> report = engine.report_output.identity();
  // A sum that only the report forms (a stage's total of huge pools, say)
  // can still go past the largest number.
  if (const int64_t lines = engine.report_output.not_finite_lines(); lines > 0) {
    engine.LogLine("e408 REP; Figure not finite, written as " + std::string(kNotFiniteText) +
                   "; File=" + engine.report_output.path() + " Lines=" + std::to_string(lines));
  }
  ClosedFile closed = engine.report_output.Close();
  if (report) engine.files.AddWritten(*report, engine.state.report_number, std::move(closed));
}

void WriteReportTitle(Engine& engine, std::string_view title, std::string_view note) {
  std::string line = std::string(title) + std::string(engine.csv[3]) + "; ";
  if (!note.empty()) line += std::string(note) + "; ";
  engine.report_output.WriteLine(line + engine.host.DateTime());
}

std::string AllocationNote(const Engine& engine) {
  const ReconciliationStatus& status = engine.reconciliation;
  switch (status.state) {
    case ReconciliationStatus::State::kAllocationNotPerformed:
      return "Allocation not performed: " + status.reason;
    case ReconciliationStatus::State::kNotReconciled:
      return "Not reconciled: " +
             (status.reason.empty() ? "difference " + FormatFixed2(status.difference)
                                    : status.reason) +
             "; see the Reconciliation Report (17)";
    case ReconciliationStatus::State::kReconciled:
    case ReconciliationStatus::State::kNotChecked:
      break;
  }
  return {};
}

void WriteAllocationNote(Engine& engine) {
  const std::string note = AllocationNote(engine);
  if (!note.empty()) engine.report_output.WriteLine("Note," + note);
}

void SetReportRanges(Engine& engine) {
  ReportRanges& ranges = engine.report_ranges;
  ReadRange(engine, 4, ranges.stage);
  ReadRange(engine, 5, ranges.group);
  ReadRange(engine, 6, ranges.pool);
}

bool InReportRange(const Engine& engine, const TmyCP& pool) {
  const ReportRanges& ranges = engine.report_ranges;
  if (!Within(pool.Code, ranges.pool)) return false;
  if (!pool.GroupCode.empty() && pool.GroupCode < ranges.group.from) return false;
  if (pool.GroupCode > ranges.group.to) return false;
  if (pool.Group == 0) return true;
  const int32_t stage = engine.model.groups[pool.Group].Stage;
  return stage == 0 || Within(engine.model.stages[stage].Code, ranges.stage);
}

void ListPoolCube(Engine& engine, int32_t pool, std::string_view prefix) {
  std::string line;
  engine.cube.vcIterStart(pool);
  while (engine.cube.vcIterNext(engine.model, line) != 0) {
    engine.report_output.WriteLine("    VC,,,," + std::string(prefix) + line);
  }
}

std::string Quoted(std::string_view value) { return "\"" + std::string(value) + "\""; }

}  // namespace korav
