// The editor's command-line checks inside a sandbox, for the fuzz targets of
// the editor core.
#ifndef KORAV_FUZZ_EDITOR_CHECKS_H_
#define KORAV_FUZZ_EDITOR_CHECKS_H_

#include <string>

#include "fuzz/sandbox.h"

namespace korav::fuzz {

// Opens the model whose data files lie in the sandbox with the parameter file
// `parameter_file`, then checks the parameter file and the data into their
// check files, as "korave --check-parms" and "--check-data" do. A model that
// cannot be opened or checked ends quietly. Any file the checks leave in the
// sandbox other than their check files is a finding.
void CheckModel(const Sandbox& sandbox, const std::string& parameter_file);

}  // namespace korav::fuzz

#endif  // KORAV_FUZZ_EDITOR_CHECKS_H_
