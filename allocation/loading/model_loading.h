// Loading the model: the records of the model files become rows of the model
// tables. Options and dimension headers are read in pass 1, before the tables
// are sized; every other record is parsed in pass 2. Each function reads the
// record that the run driver has split into engine.csv and reports faults as
// numbered log lines; none of them stops the run.
#ifndef KORAV_ALLOCATION_LOADING_MODEL_LOADING_H_
#define KORAV_ALLOCATION_LOADING_MODEL_LOADING_H_

#include "allocation/model/record_kind.h"
#include "allocation/state/engine.h"

namespace korav {

// Pass 1: an "OO" record.
void ReadOptionRecord(Engine& engine);
// Pass 1: a "DIMH" record.
void ReadDimensionHeader(Engine& engine);
// End of pass 1: the generated Level of Confidence dimension.
void SetUpConfidenceDimension(Engine& engine);
// After pass 1: every table gets its capacity from engine.counts.
void SizeModelTables(Engine& engine);
// Pass 2: one record of `kind` (a dimension value, a selection row, a stage,
// a group, a pool, a budget, a base, a base line or a measure).
void ParseModelRecord(Engine& engine, RecordKind kind);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOADING_MODEL_LOADING_H_
