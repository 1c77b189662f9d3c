// The start file and the run file.
//
// A run file names the output directory ("$ODIR"), the input directory
// ("$IDIR") and, in order, the files to read ("$FILE", kind, name). The run
// driver reads it three times: once to find the output directory, then pass 1,
// which counts every file's records and reads options and dimension headers,
// then pass 2, which parses every record and steps the run through its phases
// at transaction, report and copy records.
#ifndef KORAV_ALLOCATION_RUN_RUN_FILE_H_
#define KORAV_ALLOCATION_RUN_RUN_FILE_H_

#include <optional>
#include <string>
#include <string_view>

#include "allocation/state/engine.h"

namespace korav {

// The run file path: `argument` when given (used as typed, relative to the
// working directory), else the first line of "Start.txt" in the program
// directory, where a leading "." stands for the program directory. In both,
// "$USERNAME" is replaced by the user name. Throws RunAborted with
// "Error, Start file <path> not found" or "Error, RUN file <path> not found".
std::string FindRunFile(const std::optional<std::string>& argument, const RunPaths& paths);

// A directory text of the run file, expanded: "\" read as "/", a leading "."
// taken relative to the run file's directory, "$USERNAME" replaced, and a
// trailing "/" added unless the result is empty.
std::string ExpandDirectory(const Engine& engine, std::string_view text);

// The start file beside the program: "Start.txt" in its directory.
std::string StartFilePath(const RunPaths& paths);

// Resolves a "$FILE" name against the input directory (an absolute name is
// used unchanged), sets the record number to 0 and opens the file of `kind`
// into engine.data_file, its bytes feeding engine.data_digest. Logs e001 (missing), e006 (a folder,
// FIFO or device), e003 (unreadable) or e004 (one of the files this run writes or has written, see
// RefuseOwnOutput; the transaction dump's place whenever option 5 asks for a dump, even before the
// dump exists) and returns false when it is not to be read.
bool OpenDataFile(Engine& engine, std::string_view kind, std::string_view name);

// Notes the open data file among the files the run read (see
// RunFiles::AddRead), as far as it has been read: its digest only when it
// was read to its end.
void NoteDataFileRead(Engine& engine);

// A run that read a file it is writing would read its own lines back as
// they are written, without end; one it has written, its own results as
// data. When engine.data_file is one of the run's open output files (a log,
// the transaction dump or a report) or one it has finished, closes it, logs
// e004 and returns true.
bool RefuseOwnOutput(Engine& engine);

// Reads the run file up to its first "$ODIR" record and sets the output
// directory from it; notes the run file, and the start file when the run
// file was found through it, among the files the run read. Throws
// RunAborted when the run file cannot be read, has no "$ODIR" record, names
// a directory that does not exist, or is itself one of the logs or the
// manifest that the run is about to write there.
void FindOutputDirectory(Engine& engine);

// Pass 1: counts every file's records into engine.counts and reads options
// and dimension headers, ending with the record totals in the log. Throws
// RunAborted for an "$IDIR" directory that does not exist.
void ReadPass1(Engine& engine);

// What pass 2 does at transaction, report and copy records: step the run
// through its phases, or skip them to load the model alone (as the test data
// generator does).
enum class PhaseSteps { kRun, kSkip };

// Pass 2: parses every record; transaction, report and copy records go
// through StepPhase unless `steps` is kSkip.
void ReadPass2(Engine& engine, PhaseSteps steps = PhaseSteps::kRun);

}  // namespace korav

#endif  // KORAV_ALLOCATION_RUN_RUN_FILE_H_
