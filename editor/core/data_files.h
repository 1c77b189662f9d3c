// The model's data files: loading every file the parameter file names into
// the record store, and writing them back.
//
// A line whose first column begins with ";" is a comment, as the allocation
// program reads these files, and so is an empty line; neither is loaded.
// Saving writes each file in key-list order, one line per record, every value
// followed by a comma; comments of the file that was read are not kept.
#ifndef KORAV_EDITOR_CORE_DATA_FILES_H_
#define KORAV_EDITOR_CORE_DATA_FILES_H_

#include <string>
#include <string_view>

#include "editor/core/editor_host.h"
#include "editor/core/editor_model.h"

namespace korav {

// Loads every data file of model.DataFolder that a definition names (after
// LoadKORAVEParms): a counting pass sizes the store with room for 1000 more
// records, then a loading pass adds the records. A file that does not exist is
// skipped. Throws EditorFailure when a file cannot be read.
void LoadKORAVEData(EditorModel& model, EditorHost& host);

// Writes every file from 2 on that has a FileName and either depends on no
// other file or has records, each replaced atomically. Throws EditorFailure
// at the first file that cannot be written; the files before it stay written.
void SaveDataFiles(const EditorModel& model);

// The text of one data file as SaveDataFiles writes it.
std::string DataFileText(const EditorModel& model, int32_t fileNr);

// Why `value` cannot be written into a data file so that it reads back the
// same ("must not ..."), or empty when it can. A value holding a comma is
// written between double quotes, and the splitter knows no escape for a
// double quote: a quoted value ends at its first double quote, and an
// unquoted one that begins with a double quote is read as quoted. A value
// may therefore not begin with a double quote, nor hold both a double quote
// and a comma; nor may it hold a line end, or end in a blank (which the
// splitter removes).
std::string UnwritableReason(std::string_view value);

// The message shown after a successful save.
inline constexpr const char* kAllFilesWritten = "All Files written";

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_DATA_FILES_H_
