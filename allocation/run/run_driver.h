// The run driver: one run of the model from the first log line to the last.
//
// RunModel finds the output directory, opens the logs, reads the run file in
// two passes and, as pass 2 meets transaction, report and copy records, steps
// the run through its phases: completion of the model, transactions,
// allocation, reports; at the end it writes the run manifest. Data errors
// are log lines and the run goes on; only RunAborted ends it early.
#ifndef KORAV_ALLOCATION_RUN_RUN_DRIVER_H_
#define KORAV_ALLOCATION_RUN_RUN_DRIVER_H_

#include <string_view>

#include "allocation/state/engine.h"

namespace korav {

// Performs one run on engine.paths.run_file. Its results are the logs, the
// report files, the run manifest and the model kept in the engine. Throws
// RunAborted when the run cannot go on; the logs, when open, then end with
// the reason. Once the logs were open, the manifest is written last,
// whether the run completed, was interrupted or failed; a complete run
// whose manifest cannot be written fails (RunAborted).
void RunModel(Engine& engine);

// Creates both logs in the output directory with `suffix` in their names
// (empty for a run, "REP" for the window's report runs) and writes the three
// opening lines.
void OpenLogs(Engine& engine, std::string_view suffix);

// Called by pass 2 with engine.state.current_kind set to a transaction,
// report or copy kind and engine.state.data_line holding that record. Runs
// the phase steps that this kind begins (model completion, allocation), then
// reads the transaction file or runs the report; a copy record is carried on
// by pass 2. Every record handed over runs itself, even when its kind repeats.
void StepPhase(Engine& engine);

// Runs the report record split in engine.csv: logs it, opens its output,
// and runs the report its column 2 numbers ("12x" reads 12; no leading digit
// reads 0, the cost pool copy). A "CPY" record always runs the copy.
void RunReportRecord(Engine& engine);

// Runs one report or copy `record` that the window built, after a run,
// against the model the run left in memory, with its own logs
// ".JobandTraceREP.csv" and ".JobREP.csv" in the output directory. Throws
// RunAborted, with both logs closed, when an output file cannot be created.
void RunLauncherReport(Engine& engine, std::string_view record);

}  // namespace korav

#endif  // KORAV_ALLOCATION_RUN_RUN_DRIVER_H_
