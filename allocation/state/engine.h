// The one object that owns a program run's state: the paths of the run, the
// run driver's state, the pass-1 counts, the log, the field tables and the
// data file being read, the options, the model tables and the value cube. Every part of the engine
// takes it by reference.
#ifndef KORAV_ALLOCATION_STATE_ENGINE_H_
#define KORAV_ALLOCATION_STATE_ENGINE_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "allocation/cube/cell_sums.h"
#include "allocation/cube/value_cube.h"
#include "allocation/host/run_host.h"
#include "allocation/log/job_log.h"
#include "allocation/log/output_file.h"
#include "allocation/log/output_folder.h"
#include "allocation/log/run_files.h"
#include "allocation/model/model_tables.h"
#include "allocation/model/record_kind.h"
#include "allocation/state/reconciliation_status.h"
#include "allocation/state/solved_loop.h"
#include "allocation/state/transaction_totals.h"
#include "allocation/state/where_used_lists.h"
#include "common/excerpt.h"
#include "common/field_table.h"
#include "common/line_reader.h"
#include "common/sha256.h"

namespace korav {

// Where a run finds and puts its files. Directories end in "/" once set.
struct RunPaths {
  std::string program_path;       // the executable, for the log's "i,Program," line
  std::string program_directory;  // where "Start.txt" and the help pages lie
  std::string user_name;          // replaces "$USERNAME" in paths
  std::string run_file;
  // The start file through which the window found the run file; empty when
  // the run file came from the command line.
  std::string start_file;
  std::string output_directory;
  std::string input_directory;  // empty until an "$IDIR" record is read
};

// The run driver's own state, reset at the start of each run.
struct RunState {
  int current_kind = kUnknownRecord;
  int previous_kind = kUnknownRecord;
  bool report_output_open = false;
  bool model_completed = false;
  bool where_used_built = false;  // built once per program run, kept across runs
  std::string started;            // date and time the run began
  std::string started_at;         // the same in ISO 8601, for the run manifest
  // What the run is doing, for the line that ends an interrupted run:
  // "Pass 1", "Pass 2", "Transactions", "Allocation" or "Reports".
  std::string_view phase = "Pass 1";
  // The record being processed, empty between files, and its 1-based number
  // within its file (pass 1 leaves it 0).
  std::string data_line;
  int32_t record_number = 0;
  // The path of the data file being read, as OpenDataFile resolved it, and
  // its kind and name as the run file gives them.
  std::string data_path;
  std::string data_kind;
  std::string data_name;
  // The number of the report being written (0 for the copy).
  int report_number = 0;
  // The dimension (1..8) whose file is being read; 0 in other files.
  int32_t current_dimension = 0;
  int32_t progress_interval = 100000;
};

// What pass 1 counted, from which every model table is sized once.
struct PassCounts {
  std::array<int32_t, kRecordKindSlots> records_of_kind{};
  std::array<int32_t, 9> dimension_values{};  // 1..8, from dimension files
  // "CP" records whose column 5 begins with ">" each add one generated
  // direct base with one line.
  int32_t generated_direct_bases = 0;
  int32_t data_file_records = 0;
  int32_t run_file_records = 0;
  // The code of the last "STG" record of type "1", which the generated
  // not-selected group takes; empty when there is none.
  std::string default_stage_code;
};

// The stage, group and pool ranges of the report being written.
struct ReportRange {
  std::string from = " ";
  std::string to = "z";
};
struct ReportRanges {
  ReportRange stage;
  ReportRange group;
  ReportRange pool;
};

struct Engine {
  Engine(RunHost& run_host, RunPaths run_paths)
      : host(run_host), paths(std::move(run_paths)), log(run_host) {
    report_output.WatchStop(&host.stop);
  }

  // Called at record, batch and pool boundaries: throws RunInterrupted when
  // a stop was requested, and RunAborted when a log line could not be
  // stored, since a run whose log is cut short must not look complete.
  void CheckStop() const {
    if (host.stop.Requested()) throw RunInterrupted();
    if (log.Failed()) throw RunAborted(log.FailureText());
  }

  // Writes one log line naming the current record (see JobLog::Write).
  void LogLine(std::string_view text) { log.Write(text, state.data_line, state.record_number); }

  // True when `identity` is a file this run is writing: a log, or the report
  // or transaction dump being written.
  bool IsOpenOutput(const std::optional<FileIdentity>& identity) const {
    return identity && (log.Writes(*identity) || report_output.identity() == identity);
  }

  // Reports line `line_number` of the data file as too long to be read
  // (e005), quoting its start, `head`, as the current record.
  void LogLongLine(std::string_view head, int64_t line_number) {
    state.data_line = Excerpt(head);
    LogTooLong(state.data_path, line_number);
  }
  // Reports file `path` as one that this run writes, which it does not read
  // (e004).
  void LogOwnOutput(std::string_view path) {
    LogLine("e004 RunF; File is an output of this run and is not read; File=" + std::string(path));
  }
  // Reports line `line_number` of file `path` as too long to be read (e005),
  // with the limit and what to do about it.
  void LogTooLong(std::string_view path, int64_t line_number) {
    LogLine("e005 RunF; Line too long, not read; File=" + std::string(path) + " Line=" +
            std::to_string(line_number) + "; limit " + std::to_string(LineReader::kMaxLineBytes) +
            " bytes; shorten the line or split its record into several");
  }

  RunHost& host;
  RunPaths paths;
  OutputFolder output_folder;  // open from the handling of "$ODIR" on
  RunFiles files;              // what the run reads and has written
  RunState state;
  PassCounts counts;
  JobLog log;
  FieldTable csv{kAllocationCsvSlots};
  FieldTable slash{kAllocationSlashSlots};
  LineReader data_file;  // the model, dimension or transaction file being read
  Sha256 data_digest;    // of data_file's bytes, fed by whichever thread reads it
  RunOptions options;
  ModelTables model;
  ValueCube cube;
  // The exact sums of the cube's transaction amounts, while files are read.
  CellSums cell_sums;
  // The loops that reciprocal allocation solved in this run, in the order
  // solved; a member pool's Loop numbers its loop from 1.
  std::vector<SolvedLoop> solved_loops;
  // What each transaction file of this run held, by outcome.
  TransactionTotals transaction_totals;
  // Set when the allocation phase ends, or found not performed.
  ReconciliationStatus reconciliation;
  // Transaction lines read since the program started, over all runs.
  int32_t transaction_count = 0;
  // The one output file of the report phase; the transaction dump uses it
  // before the reports do.
  OutputFile report_output;
  std::string dump_line;  // reused for every dump line
  ReportRanges report_ranges;
  WhereUsedLists where_used;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_ENGINE_H_
