// Finding the editor's inputs at start-up: the run file (its folder is the
// data folder; the run file itself is not read) and the parameter file.
#ifndef KORAV_EDITOR_CORE_START_UP_H_
#define KORAV_EDITOR_CORE_START_UP_H_

#include <optional>
#include <string>

namespace korav {

struct EditorPaths {
  std::string program_folder;  // ends in "/"
  std::string user_name;
  std::string run_file;
  std::string parameter_file;
  std::string data_folder;  // the run file's folder, ends in "/"
};

// Fills run_file, parameter_file and data_folder of `paths` (whose
// program_folder and user_name are set). The run file is `run_argument`,
// or, when it is absent or "*", the first line of "Start.txt" in the program
// folder; the parameter file is `parameter_argument`, or when absent or "*"
// "KORAVEParms.csv" in the program folder. In every name "\" reads as "/"
// and "$USERNAME" stands for the user name; a leading "." in Start.txt stands
// for the program folder, while arguments are taken as typed. Throws
// EditorFailure with the start-up messages when a file is missing.
void FindEditorPaths(const std::optional<std::string>& run_argument,
                     const std::optional<std::string>& parameter_argument, EditorPaths& paths);

// The caption of the main window for a data folder.
std::string EditorCaption(const std::string& data_folder);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_START_UP_H_
