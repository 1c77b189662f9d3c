// The parameter file: the description of every data file of a model.
//
// A line's column 1 says what it is: 1 to 999 (and 0) a file definition,
// above 1000 a record of the internal file (number - 1000), anything else is
// ignored. A line numbered 1 asks for the file catalogue: file 1 then holds
// one record per other definition that has a tab name.
#ifndef KORAV_EDITOR_CORE_PARAMETER_FILE_H_
#define KORAV_EDITOR_CORE_PARAMETER_FILE_H_

#include <string>

#include "editor/core/editor_host.h"
#include "editor/core/editor_model.h"

namespace korav {

// Clears `model` and reads the parameter file at `path` in two passes: the
// first sizes the definitions and the store, the second fills the
// definitions, the internal records and the catalogue records. While the file
// cannot be opened the host is asked to retry. Throws EditorFailure when the
// file cannot be read.
void LoadKORAVEParms(EditorModel& model, const std::string& path, EditorHost& host);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_PARAMETER_FILE_H_
