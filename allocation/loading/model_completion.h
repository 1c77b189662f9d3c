// Completing the model once its records are read: the steps that the run
// driver takes at the first transaction, report or copy record, the
// resolution of transaction-based measures before allocation, and the copy of
// one cost pool's results to another.
#ifndef KORAV_ALLOCATION_LOADING_MODEL_COMPLETION_H_
#define KORAV_ALLOCATION_LOADING_MODEL_COMPLETION_H_

#include "allocation/state/engine.h"

namespace korav {

// The three values of the Level of Confidence dimension, while it is set up.
void AddConfidenceValues(Engine& engine);
// The default not-selected group and its selection.
void AddNotSelectedDefaults(Engine& engine);
// Codes resolved across tables, hierarchies and the value cube set up.
void CompleteModel(Engine& engine);
// Each cost pool's list of inputs.
void BuildInputs(Engine& engine);
// The input measures counted from transactions, before allocation.
void ResolveTransactionMeasures(Engine& engine);
// A "CPY" record, split into engine.csv: one pool's results copied to another.
void CopyCostPool(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOADING_MODEL_COMPLETION_H_
