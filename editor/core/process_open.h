// Opening a model in the editor: the parameter file, then every data file of
// the data folder with its key list, then the dimension rule.
#ifndef KORAV_EDITOR_CORE_PROCESS_OPEN_H_
#define KORAV_EDITOR_CORE_PROCESS_OPEN_H_

#include <string>

#include "editor/core/editor_host.h"
#include "editor/core/editor_model.h"

namespace korav {

// Reloads `model` from `parameter_file` and the data files in `data_folder`
// (ending in "/"). Throws EditorFailure when a file cannot be read.
void ProcessOpen(EditorModel& model, const std::string& parameter_file,
                 const std::string& data_folder, EditorHost& host);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_PROCESS_OPEN_H_
