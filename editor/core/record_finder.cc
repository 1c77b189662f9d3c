#include "editor/core/record_finder.h"

#include "editor/core/text_format.h"

namespace korav {
namespace {

// The hit row of a search for `text` in column `column`, or 0.
int32_t HitRow(const EditorModel& model, const TmyParmRec& file, int32_t start_row, int column,
               const std::string& text) {
  const bool nearest = column == 1 && file.HasSortedKey();
  for (int32_t i = start_row; i <= file.RecCount; ++i) {
    const std::string value = UpperCase(model.RecordAt(file, i).Value(column));
    if (!nearest) {
      if (value.find(text) != std::string::npos) return i;
      continue;
    }
    if (value < text) continue;
    if (value.compare(0, text.size(), text) == 0) return i;
    return i > 1 ? i - 1 : 1;
  }
  return 0;
}

}  // namespace

int FindFrom(const EditorModel& model, int32_t fileNr, int32_t start_row,
             const std::string& code_text, const std::string& description_text,
             GridSelection& selection) {
  const TmyParmRec* file = model.Definition(fileNr);
  std::string text = Trimmed(code_text);
  int column = 1;
  if (text.empty()) {
    text = Trimmed(description_text);
    column = 2;
  }
  if (text.empty() || file == nullptr || file->RecCount == 0) return 0;
  const int32_t hit = HitRow(model, *file, start_row, column, UpperCase(text));
  selection.row = hit == 0 ? 1 : hit;
  selection.top_row = selection.row;
  return column;
}

int FindFirst(const EditorModel& model, int32_t fileNr, const std::string& code_text,
              const std::string& description_text, GridSelection& selection) {
  return FindFrom(model, fileNr, 1, code_text, description_text, selection);
}

int FindNext(const EditorModel& model, int32_t fileNr, const std::string& code_text,
             const std::string& description_text, GridSelection& selection) {
  const int32_t start = selection.row == 0 ? 2 : selection.row + 1;
  return FindFrom(model, fileNr, start, code_text, description_text, selection);
}

}  // namespace korav
