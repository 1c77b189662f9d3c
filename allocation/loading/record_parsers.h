// The parsers that turn one split model record into one row of its table.
//
// Each parser reads the columns of `fields`, appends its row, adds the row's
// code to the table's code index and logs a numbered message for every fault
// it can see within the record; faulty rows stay in their tables. A record
// that finds its table full (it was not counted in pass 1, as a record after
// a "REP" or "CPY" record is not) is reported with e125 and not stored.
#ifndef KORAV_ALLOCATION_LOADING_RECORD_PARSERS_H_
#define KORAV_ALLOCATION_LOADING_RECORD_PARSERS_H_

#include <string_view>

#include "allocation/model/record_kind.h"
#include "allocation/state/engine.h"
#include "common/field_table.h"

namespace korav {

// Parses a record of `kind` from `fields`. Dimension values go to the
// dimension whose file is being read (engine.state.current_dimension).
void ParseRecord(Engine& engine, RecordKind kind, const FieldTable& fields);

// Appends one value to dimension `dimension` (1..8) from a dimension file
// record: code, description, parent code, summarise flag.
void ParseDimensionValue(Engine& engine, int32_t dimension, const FieldTable& fields);

// Parses a record that the program makes itself (the generated not-selected
// rows, the Level of Confidence header) as if it stood in a model file.
void ParseGeneratedRecord(Engine& engine, std::string_view record);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOADING_RECORD_PARSERS_H_
