// The key list of each file: one (key, record number) entry per live record,
// sorted by key when the file has a KeyDef, else in store order. A file's
// RecCount always equals the entries of its list.
#ifndef KORAV_EDITOR_CORE_KEY_LISTS_H_
#define KORAV_EDITOR_CORE_KEY_LISTS_H_

#include <cstdint>

#include "editor/core/editor_model.h"

namespace korav {

// Adds record `recordNr` to file `fileNr`'s list (unsorted) and raises RecCount.
void AddToKeyList(EditorModel& model, int32_t recordNr, int32_t fileNr);

// Sorts the list of `fileNr` when the file has a KeyDef.
void SortKeyList(EditorModel& model, int32_t fileNr);

// Refills every file's list from the store and sorts those with a KeyDef.
void BuildKeyLists(EditorModel& model);

// Refills and sorts the list of one file (after a delete).
void RebuildKeyList(EditorModel& model, int32_t fileNr);

// The dimension rule: the last option record "2" (the transaction dimension
// number n, 1 to 7) points field 1 of the "DIMT" file, when its special is "@",
// at the dimension file n + 3.
void ApplyDimensionRule(EditorModel& model);

// The file numbers the dimension rule relies on.
inline constexpr int32_t kOptionsFileNr = 2;
inline constexpr int32_t kTransactionSelectionFileNr = 19;

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_KEY_LISTS_H_
