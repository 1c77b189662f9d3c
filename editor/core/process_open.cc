#include "editor/core/process_open.h"

#include "editor/core/data_files.h"
#include "editor/core/key_lists.h"
#include "editor/core/parameter_file.h"

namespace korav {

void ProcessOpen(EditorModel& model, const std::string& parameter_file,
                 const std::string& data_folder, EditorHost& host) {
  LoadKORAVEParms(model, parameter_file, host);
  model.DataFolder = data_folder;
  LoadKORAVEData(model, host);
  BuildKeyLists(model);
  ApplyDimensionRule(model);
}

}  // namespace korav
