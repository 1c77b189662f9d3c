// Find First / Find Next over a file's records in key-list order, shared by
// the main window's grid and the record select dialog.
//
// The code box searches column 1: in a sorted file (KeyDef "K" or "S") the
// nearest match, the first record at or after the text when it begins with
// it, else the record just before; in other files any record containing the
// text. The description box searches column 2 for any record containing the
// text. Both compare in upper case.
#ifndef KORAV_EDITOR_CORE_RECORD_FINDER_H_
#define KORAV_EDITOR_CORE_RECORD_FINDER_H_

#include <cstdint>
#include <string>

#include "editor/core/editor_model.h"

namespace korav {

// The selection of a grid over one file's records: rows 1..RecCount, 0 for none.
struct GridSelection {
  int32_t row = 0;
  int32_t top_row = 0;
};

// Searches file `fileNr` from `start_row` for the text of the code box, or
// when that is empty after trimming the description box, and selects the hit
// with it scrolled to the top; without a hit, row 1. Does nothing when both
// boxes are empty or the file has no records. Returns the column searched (1
// or 2), or 0 when nothing was searched.
int FindFrom(const EditorModel& model, int32_t fileNr, int32_t start_row,
             const std::string& code_text, const std::string& description_text,
             GridSelection& selection);

// Find First starts at row 1, Find Next after the selected row.
int FindFirst(const EditorModel& model, int32_t fileNr, const std::string& code_text,
              const std::string& description_text, GridSelection& selection);
int FindNext(const EditorModel& model, int32_t fileNr, const std::string& code_text,
             const std::string& description_text, GridSelection& selection);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_RECORD_FINDER_H_
