#include "allocation/run/run_file.h"

#include "allocation/loading/model_completion.h"
#include "allocation/loading/model_loading.h"
#include "allocation/run/run_driver.h"
#include "allocation/transactions/transaction_phase.h"
#include "common/excerpt.h"
#include "common/numbers.h"
#include "common/paths.h"

namespace korav {
namespace {

// Columns 1 to 3 of a run file record and its text, copied out of engine.csv
// because reading the files it names splits other lines into that table.
struct RunFileRecord {
  std::string text;
  std::string type;
  std::string kind;
  std::string name;
};

bool IsComment(std::string_view first_column) {
  return !first_column.empty() && first_column.front() == ';';
}

// What a pass does with a run file line too long to be read: the search for
// the output directory, before the logs are open, passes over it; the passes
// report it.
enum class LongLines { kPassOver, kReport };

// Calls `handle` with each record of the run file until it returns false.
template <typename Handler>
void ForEachRunFileRecord(Engine& engine, LongLines long_lines, Handler handle) {
  LineReader reader;
  if (!reader.Open(engine.paths.run_file)) {
    throw RunAborted("Error, RUN file " + engine.paths.run_file + " cannot be read");
  }
  RunFileRecord record;
  std::string_view line;
  while (reader.Next(line)) {
    if (reader.TooLong()) {
      if (long_lines == LongLines::kReport) {
        engine.LogTooLong(engine.paths.run_file, reader.LineNumber());
      }
      continue;
    }
    record.text.assign(line);
    engine.csv.SplitCsv(line);
    record.type.assign(engine.csv[1]);
    record.kind.assign(engine.csv[2]);
    record.name.assign(engine.csv[3]);
    if (!handle(record)) break;
  }
  if (reader.Failed()) {
    throw RunAborted("Error, RUN file " + engine.paths.run_file + " could not be read to its end");
  }
}

// The dimension number of a "$FILE" kind "DIM<n>": the integer of its
// characters 4 and 5 when that is 1 to 8, else 0.
int32_t DimensionFileNumber(std::string_view kind) {
  int32_t number = 0;
  if (!ParseInt(kind.substr(3, 2), number) || number < 1 || number > 8) return 0;
  return number;
}

bool IsDimensionKind(std::string_view kind) { return kind.substr(0, 3) == "DIM"; }

// Reads the file at `path` of `kind` through to note it among the files the
// run read: the run file and the start file, which the run reads in parts
// and more than once.
void NoteWholeFile(Engine& engine, std::string_view kind, const std::string& path) {
  LineReader reader;
  Sha256 digest;
  if (!reader.Open(path, &digest)) return;
  reader.ReadToEnd();
  engine.files.AddRead(InputFile{std::string(kind), path, AbsolutePath(path), digest.size(),
                                 reader.LineNumber(),
                                 reader.AtEnd() ? digest.HexDigest() : std::string()});
}

void SetInputDirectory(Engine& engine, const RunFileRecord& record) {
  engine.paths.input_directory = ExpandDirectory(engine, record.name);
}

// Ends the reading of a data file: the rest of a file that a record ended
// early (TXH, or pass 1's first report) is read past, so that the run's
// record of it holds the whole file; the file is noted among those read, a
// read error is reported, the file closed and the current data line cleared.
void CloseDataFile(Engine& engine, std::string_view name) {
  if (engine.data_file.IsOpen()) {
    if (!engine.data_file.Failed()) engine.data_file.ReadToEnd();
    NoteDataFileRead(engine);
  }
  const bool failed = engine.data_file.Failed();
  const std::string reason = engine.data_file.FailureReason();
  engine.data_file.Close();
  engine.state.data_line.clear();
  engine.state.current_dimension = 0;
  if (failed) {
    engine.LogLine("e003 File could not be read to its end; File=" + std::string(name) +
                   " Reason=" + reason);
  }
}

// Pass 1 for one record of `kind`; returns false when the rest of the file
// is not to be read.
bool CountRecord(Engine& engine, RecordKind kind) {
  PassCounts& counts = engine.counts;
  switch (kind) {
    case kUnknownRecord:
      engine.LogLine("e126 Unknown File Record Type=" + Excerpt(engine.csv[1]));
      return true;
    case kTransactionHeaderRecord:
    case kReportRecord:
    case kCopyRecord:
      return false;
    case kOptionRecord:
      ReadOptionRecord(engine);
      break;
    case kDimensionHeaderRecord:
      ReadDimensionHeader(engine);
      break;
    case kDimensionValueRecord:
      ++counts.dimension_values[static_cast<size_t>(engine.state.current_dimension)];
      break;
    case kStageRecord:
      if (engine.csv[4] == "1") counts.default_stage_code.assign(engine.csv[2]);
      break;
    case kPoolRecord:
      if (engine.csv[5].substr(0, 1) == ">") ++counts.generated_direct_bases;
      break;
    default:
      break;
  }
  ++counts.records_of_kind[static_cast<size_t>(kind)];
  return true;
}

// Calls `count` for each line of the open data file and `handle` with the
// kind of each record, until `handle` returns false. A line too long to be
// read is reported and a comment passed over; both are counted.
template <typename Count, typename Handler>
void ForEachDataRecord(Engine& engine, Count count, Handler handle) {
  const bool dimension_file = engine.state.current_dimension > 0;
  std::string_view line;
  while (engine.data_file.Next(line)) {
    engine.CheckStop();
    count();
    if (engine.data_file.TooLong()) {
      engine.LogLongLine(line, engine.data_file.LineNumber());
      continue;
    }
    engine.state.data_line.assign(line);
    engine.csv.SplitCsv(line);
    if (IsComment(engine.csv[1])) continue;
    if (!handle(dimension_file ? kDimensionValueRecord : RecordKindOf(engine.csv[1]))) return;
  }
}

void CountFileRecords(Engine& engine, const RunFileRecord& record) {
  int32_t count = 0;
  ForEachDataRecord(
      engine,
      [&] {
        ++count;
        ++engine.counts.data_file_records;
      },
      [&](RecordKind kind) { return CountRecord(engine, kind); });
  CloseDataFile(engine, record.name);
  engine.LogLine("i   records " + std::to_string(count));
}

// Pass 2 for the records of one file.
void ParseFileRecords(Engine& engine, PhaseSteps steps) {
  ForEachDataRecord(
      engine, [&] { ++engine.state.record_number; },
      [&](RecordKind kind) {
        engine.state.current_kind = kind;
        switch (kind) {
          case kTransactionHeaderRecord:
            return false;
          case kReportRecord:
            if (steps == PhaseSteps::kRun) StepPhase(engine);
            break;
          case kCopyRecord:
            if (steps == PhaseSteps::kRun) {
              StepPhase(engine);
              CopyCostPool(engine);
            }
            break;
          case kUnknownRecord:
          case kCommentRecord:
          case kOptionRecord:
          case kDimensionHeaderRecord:
          case kTransactionRecord:
            break;
          default:
            ParseModelRecord(engine, kind);
            break;
        }
        return true;
      });
}

}  // namespace

std::string FindRunFile(const std::optional<std::string>& argument, const RunPaths& paths) {
  std::string path;
  if (argument) {
    path = *argument;
  } else {
    const std::string start_file = StartFilePath(paths);
    LineReader reader;
    if (!FileExists(start_file) || !reader.Open(start_file)) {
      throw RunAborted("Error, Start file " + start_file + " not found");
    }
    std::string_view first_line;
    if (reader.Next(first_line)) path = WithNativeSeparators(first_line);
    if (!path.empty() && path.front() == '.') path = paths.program_directory + path;
  }
  path = ReplaceAll(path, "$USERNAME", paths.user_name);
  if (!FileExists(path)) throw RunAborted("Error, RUN file " + Excerpt(path) + " not found");
  return path;
}

std::string ExpandDirectory(const Engine& engine, std::string_view text) {
  std::string directory = WithNativeSeparators(text);
  if (!directory.empty() && directory.front() == '.') {
    directory = DirectoryOf(engine.paths.run_file) + directory;
  }
  return WithTrailingSeparator(ReplaceAll(directory, "$USERNAME", engine.paths.user_name));
}

std::string StartFilePath(const RunPaths& paths) { return paths.program_directory + "Start.txt"; }

bool OpenDataFile(Engine& engine, std::string_view kind, std::string_view name) {
  engine.state.record_number = 0;
  std::string path = WithNativeSeparators(name);
  if (!IsAbsoluteName(path)) path = engine.paths.input_directory + path;
  engine.state.data_path = path;
  engine.state.data_kind.assign(kind);
  engine.state.data_name.assign(name);
  // The dump is written during the run, and the manifest at its end, so
  // while the run reads they may not exist yet or be an older run's: they
  // are known by their place.
  if ((engine.options.slots[kDumpOption].IsSet && engine.output_folder.Holds(path, kDumpName)) ||
      engine.output_folder.Holds(path, kManifestName)) {
    engine.LogOwnOutput(path);
    return false;
  }
  engine.files.AddInput(path);
  if (const PathKind kind = KindOf(path); kind != PathKind::kFile) {
    engine.LogLine(kind == PathKind::kNothing ? "e001 File does not exist; File=" + path
                                              : "e006 RunF; Not a regular file, not read; File=" +
                                                    path + " Kind=" + std::string(KindName(kind)));
    return false;
  }
  if (!engine.data_file.Open(path, &engine.data_digest)) {
    engine.LogLine("e003 File cannot be read; File=" + path +
                   " Reason=" + engine.data_file.FailureReason());
    return false;
  }
  return !RefuseOwnOutput(engine);
}

void NoteDataFileRead(Engine& engine) {
  const LineReader& file = engine.data_file;
  engine.files.AddRead(InputFile{engine.state.data_kind, engine.state.data_name,
                                 AbsolutePath(engine.state.data_path), engine.data_digest.size(),
                                 file.LineNumber(),
                                 file.AtEnd() ? engine.data_digest.HexDigest() : std::string()});
}

bool RefuseOwnOutput(Engine& engine) {
  const std::optional<FileIdentity> file = engine.data_file.Identity();
  if (!engine.IsOpenOutput(file) && !engine.files.IsWritten(file)) return false;
  engine.data_file.Close();
  engine.LogOwnOutput(engine.state.data_path);
  return true;
}

void FindOutputDirectory(Engine& engine) {
  bool found = false;
  ForEachRunFileRecord(engine, LongLines::kPassOver, [&](const RunFileRecord& record) {
    if (record.type != "$ODIR") return true;
    engine.paths.output_directory = ExpandDirectory(engine, record.name);
    found = true;
    return false;
  });
  if (!found) throw RunAborted("RUN File does not contain $ODIR");
  if (!DirectoryExists(engine.paths.output_directory) ||
      !engine.output_folder.Open(engine.paths.output_directory)) {
    throw RunAborted("Output Directory does not exist " + engine.paths.output_directory);
  }
  const std::optional<FileIdentity> run_file = IdentityOf(engine.paths.run_file);
  for (const std::string& log : JobLog::Paths(engine.paths.output_directory, "")) {
    if (run_file && run_file == IdentityOf(log)) {
      throw RunAborted("RUN file " + engine.paths.run_file + " is " + log +
                       ", a log that the run writes; give the run file another name or folder");
    }
  }
  if (engine.output_folder.Holds(engine.paths.run_file, kManifestName)) {
    throw RunAborted("RUN file " + engine.paths.run_file +
                     " is the manifest that the run writes; give the run file another name or "
                     "folder");
  }
  engine.files.Clear();
  engine.files.AddInput(engine.paths.run_file);
  NoteWholeFile(engine, "RUN", engine.paths.run_file);
  if (!engine.paths.start_file.empty()) NoteWholeFile(engine, "START", engine.paths.start_file);
  if (!engine.paths.program_directory.empty()) {
    const std::string start_file = StartFilePath(engine.paths);
    if (FileExists(start_file)) engine.files.AddInput(start_file);
  }
}

void ReadPass1(Engine& engine) {
  ForEachRunFileRecord(engine, LongLines::kReport, [&](const RunFileRecord& record) {
    ++engine.counts.run_file_records;
    engine.LogLine("i" + Excerpt(record.text));
    if (record.type == "$IDIR") {
      SetInputDirectory(engine, record);
      if (!DirectoryExists(engine.paths.input_directory)) {
        throw RunAborted("Input Directory does not exist " + engine.paths.input_directory);
      }
      return true;
    }
    if (record.type != "$FILE" || !OpenDataFile(engine, record.kind, record.name)) return true;
    if (record.kind == "TX") {
      engine.data_file.Close();
      return true;
    }
    if (IsDimensionKind(record.kind)) {
      engine.state.current_dimension = DimensionFileNumber(record.kind);
      if (engine.state.current_dimension == 0) {
        engine.data_file.Close();
        engine.LogLine("e002 RunF DIM; DIM File Number not valid=" + Excerpt(record.kind) +
                       "; a dimension file's kind is DIM1 to DIM8");
        return true;
      }
    }
    CountFileRecords(engine, record);
    return true;
  });
  SetUpConfidenceDimension(engine);
  engine.LogLine("iNr of Data File Records " + std::to_string(engine.counts.data_file_records));
  engine.LogLine("iNr of Run File Records " + std::to_string(engine.counts.run_file_records));
}

// Each "$IDIR" applies to the "$FILE" records after it in pass 2 as it did in
// pass 1, so that both passes read the same files.
void ReadPass2(Engine& engine, PhaseSteps steps) {
  engine.paths.input_directory.clear();
  ForEachRunFileRecord(engine, LongLines::kReport, [&](const RunFileRecord& record) {
    engine.LogLine("i" + Excerpt(record.text));
    if (record.type == "$IDIR") {
      SetInputDirectory(engine, record);
      return true;
    }
    if (record.type != "$FILE" || !OpenDataFile(engine, record.kind, record.name)) return true;
    if (record.kind == "TX") {
      if (steps == PhaseSteps::kRun) {
        engine.state.data_line = "TX";
        engine.state.current_kind = kTransactionRecord;
        StepPhase(engine);
      } else {
        engine.data_file.Close();  // the model alone is loaded
      }
    } else if (IsDimensionKind(record.kind)) {
      engine.state.current_dimension = DimensionFileNumber(record.kind);
      if (engine.state.current_dimension > 0) {
        ParseFileRecords(engine, steps);
      } else {
        engine.data_file.Close();  // not read: pass 1 reported it (e002)
      }
    } else {
      ParseFileRecords(engine, steps);
    }
    CloseDataFile(engine, record.name);
    return true;
  });
}

}  // namespace korav
