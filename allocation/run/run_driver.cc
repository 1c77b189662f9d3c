#include "allocation/run/run_driver.h"

#include <string>

#include "allocation/allocate/allocation_loop.h"
#include "allocation/allocate/reconciliation.h"
#include "allocation/loading/model_completion.h"
#include "allocation/loading/model_loading.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "allocation/run/run_file.h"
#include "allocation/run/run_manifest.h"
#include "allocation/transactions/transaction_phase.h"
#include "common/excerpt.h"
#include "common/numbers.h"

namespace korav {
namespace {

bool IsPhaseKind(int kind) {
  return kind == kTransactionRecord || kind == kReportRecord || kind == kCopyRecord;
}

bool IsOutputKind(int kind) { return kind == kReportRecord || kind == kCopyRecord; }

void ResetRunState(Engine& engine) {
  const bool where_used_built = engine.state.where_used_built;
  engine.state = RunState{};
  engine.state.where_used_built = where_used_built;
  engine.counts = PassCounts{};
  engine.options = RunOptions{};
  engine.model = ModelTables{};
  engine.solved_loops.clear();
  engine.transaction_totals = TransactionTotals{};
  engine.reconciliation = ReconciliationStatus{};
  engine.paths.output_directory.clear();
  engine.paths.input_directory.clear();
}

void CompleteModelPhase(Engine& engine) {
  engine.state.phase = "Model completion";
  if (engine.state.model_completed) {
    engine.LogLine(
        "w  ***** Transaction file after a report or copy record; model already complete");
    return;
  }
  engine.state.model_completed = true;
  AddConfidenceValues(engine);
  AddNotSelectedDefaults(engine);
  CompleteModel(engine);
  BuildInputs(engine);
  engine.LogLine("MFinished Reading Model; Start of Read Transactions");
  StartTransactionPhase(engine);
}

void AllocatePhase(Engine& engine) {
  engine.state.phase = "Allocation";
  ResolveTransactionMeasures(engine);
  EndTransactionPhase(engine);
  engine.LogLine("MEnd of Transactions; Start Allocate");
  RunAllocation(engine);
  engine.reconciliation = Reconcile(engine).status;
  engine.LogLine("MEnd of Allocate; Start of Reports");
  engine.state.phase = "Reports";
}

void LogCounts(Engine& engine) {
  engine.LogLine("iNr of Errors " + std::to_string(engine.log.own().errors));
  engine.LogLine("iNr of Warnings " + std::to_string(engine.log.own().warnings));
}

// The status as the run ends, after any copies made for reporting.
void LogReconciliation(Engine& engine) {
  if (engine.reconciliation.state == ReconciliationStatus::State::kNotChecked) return;
  engine.reconciliation = Reconcile(engine).status;
  const bool reconciled =
      engine.reconciliation.state != ReconciliationStatus::State::kNotReconciled;
  // Figures that do not tie are a warning: the run's outputs are in doubt.
  std::string line = std::string(reconciled ? "i" : "w") +
                     "Reconciliation; Status=" + engine.reconciliation.Name();
  if (!engine.reconciliation.reason.empty()) {
    line += "; " + engine.reconciliation.reason;
  } else if (!reconciled) {
    line += "; Difference=" + FormatFixed2(engine.reconciliation.difference);
  }
  engine.LogLine(line);
}

void CloseLogs(Engine& engine) {
  LogReconciliation(engine);
  LogCounts(engine);
  engine.LogLine("IProgram End " + engine.host.DateTime());
  engine.log.Close();
}

// Ends the logs of a run or report that `failure` stopped: the report being
// written is dropped, so that no part of it stands under its name, and the
// logs say why the run ended, an interruption in their last line.
void EndStoppedRun(Engine& engine, const RunAborted& failure) {
  engine.report_output.Discard();
  engine.state.report_output_open = false;
  engine.state.data_line.clear();
  if (dynamic_cast<const RunInterrupted*>(&failure) != nullptr) {
    LogCounts(engine);
    engine.LogLine("IRun interrupted; Phase=" + std::string(engine.state.phase) +
                   " Signal=" + engine.host.stop.SignalName());
  } else {
    engine.LogLine("F" + std::string(failure.what()));
    LogCounts(engine);
    engine.LogLine("IProgram End " + engine.host.DateTime());
  }
  engine.log.Discard();
}

// The manifest of a run that `failure` stopped. Its own failure is not
// told: the run is ending with the failure that stopped it.
void WriteStoppedRunManifest(Engine& engine, const RunAborted& failure) {
  const bool interrupted = dynamic_cast<const RunInterrupted*>(&failure) != nullptr;
  const RunEnd end = interrupted ? RunEnd::kInterrupted : RunEnd::kFailed;
  // The file being read when the run stopped was read in part.
  if (engine.data_file.IsOpen()) NoteDataFileRead(engine);
  const std::string reason =
      interrupted ? "Run interrupted; Signal=" + engine.host.stop.SignalName() : failure.what();
  try {
    WriteRunManifest(engine, end, ExitCode(end, engine.log.own().errors, engine.host.stop.Signal()),
                     reason);
  } catch (const RunAborted&) {
  }
}

// Runs the phase steps that a record of engine.state.current_kind begins,
// then splits engine.state.data_line into engine.csv again: the completion
// steps split other lines into engine.csv and the data line, so the record
// that called is restored afterwards.
void RunDuePhaseSteps(Engine& engine) {
  const std::string kept_line = engine.state.data_line;
  const int current = engine.state.current_kind;
  const int previous = engine.state.previous_kind;
  if (current != previous) {
    const bool completion_due =
        current == kTransactionRecord || (IsOutputKind(current) && !IsPhaseKind(previous));
    const bool allocation_due = IsOutputKind(current) && !IsOutputKind(previous);
    engine.state.previous_kind = current;
    if (completion_due) CompleteModelPhase(engine);
    if (allocation_due) AllocatePhase(engine);
  }
  engine.state.data_line = kept_line;
  engine.csv.SplitCsv(engine.state.data_line);
}

}  // namespace

void OpenLogs(Engine& engine, std::string_view suffix) {
  engine.log.Open(engine.output_folder, suffix);
  engine.LogLine("IProgram Start KORAVA " + engine.host.DateTime());
  engine.LogLine("i,Program," + engine.paths.program_path);
  engine.LogLine("i,Runfile," + engine.paths.run_file);
}

void RunModel(Engine& engine) {
  ResetRunState(engine);
  engine.state.started = engine.host.DateTime();
  engine.state.started_at = engine.host.Timestamp();
  FindOutputDirectory(engine);
  CheckManifestPlace(engine);
  OpenLogs(engine, "");
  try {
    engine.state.phase = "Pass 1";
    engine.LogLine("MStart Read Pass 1");
    ReadPass1(engine);
    SizeModelTables(engine);
    engine.state.phase = "Pass 2";
    engine.LogLine("MEnd of Pass1; Start Pass 2");
    ReadPass2(engine);
    engine.LogLine("MEnd of Run");
    engine.CheckStop();
    CloseLogs(engine);
  } catch (const RunAborted& stopped) {
    EndStoppedRun(engine, stopped);
    WriteStoppedRunManifest(engine, stopped);
    throw;
  }
  WriteRunManifest(engine, RunEnd::kComplete,
                   ExitCode(RunEnd::kComplete, engine.log.own().errors, 0));
}

void StepPhase(Engine& engine) {
  RunDuePhaseSteps(engine);
  const RecordKind kind = RecordKindOf(engine.csv[1]);
  engine.state.current_kind = kind;
  // Completing the model may have created the transaction dump, which the
  // file just opened may be.
  if (kind == kTransactionRecord && !RefuseOwnOutput(engine)) {
    engine.state.phase = "Transactions";
    ReadTransactions(engine);
  }
  if (kind == kReportRecord) RunReportRecord(engine);
}

void RunReportRecord(Engine& engine) {
  engine.LogLine("i" + Excerpt(engine.state.data_line));
  const int number = ReportNumber(engine);
  if (!OpenReportOutput(engine)) return;
  if (!engine.state.where_used_built) {
    BuildWhereUsed(engine);
    engine.state.where_used_built = true;
  }
  if (const ReportFunction report = FindReport(number)) report(engine);
  CloseReportOutput(engine);
}

void RunLauncherReport(Engine& engine, std::string_view record) {
  engine.state.data_line.assign(record);
  engine.state.record_number = 0;
  OpenLogs(engine, "REP");
  try {
    // A run file without report or copy records leaves the model without its
    // completion or allocation; they run now, as such a record would have
    // begun them in the run.
    engine.state.current_kind = kReportRecord;
    RunDuePhaseSteps(engine);
    RunReportRecord(engine);
  } catch (const RunAborted& stopped) {
    EndStoppedRun(engine, stopped);
    throw;
  }
  engine.state.data_line.clear();
  engine.log.Close();
}

}  // namespace korav
