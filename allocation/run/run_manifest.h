// The run manifest: ".Run.json" in the output folder, the record of one run
// for programs to read. It names the program's version, the run file, the
// start and end times, how the run ended and its exit code, the run label,
// every file the run read (size, lines, SHA-256), the options set, the
// messages logged by number, the transaction files' totals, the
// reconciliation status, and every report written (size, SHA-256 of the
// bytes as written).
//
// It is written last, once the logs are closed, under a temporary name and
// renamed into place like a report, so that it is whole whenever it stands
// under its name and its exit code is the one the program ends with. It
// names no file but those the run read and wrote.
#ifndef KORAV_ALLOCATION_RUN_RUN_MANIFEST_H_
#define KORAV_ALLOCATION_RUN_RUN_MANIFEST_H_

#include <string>
#include <string_view>

#include "allocation/run/run_outcome.h"
#include "allocation/state/engine.h"

namespace korav {

// The manifest's "format": raised whenever a field changes its meaning or
// goes away, so that a program reading manifests can tell which it knows.
inline constexpr int kManifestFormat = 1;

// The manifest's text for a run that ended as `end` with `exit_code`, and
// for a run that did not complete, `reason`, the text that ended it: JSON,
// indented, lines ending in LF.
std::string ManifestText(const Engine& engine, RunEnd end, int exit_code,
                         std::string_view reason = {});

// Throws RunAborted when the manifest's place in the output folder cannot be
// written (a symbolic link, a folder, a file with other hard links stands
// there), after the host was asked, as for a log, whether to try again: a
// run finds this out before it writes anything rather than at its end.
void CheckManifestPlace(Engine& engine);

// Writes the manifest through the output folder, its lines ending in CR LF
// as every file of the run. Throws RunAborted, with no manifest left, when
// it cannot be created or stored.
void WriteRunManifest(Engine& engine, RunEnd end, int exit_code, std::string_view reason = {});

}  // namespace korav

#endif  // KORAV_ALLOCATION_RUN_RUN_MANIFEST_H_
