// Resolution: finding, once per pass of the allocation loop, every input
// measure, allocation base and cost pool whose inputs have become final, so
// that the order of the model's records never matters. Each step walks its
// table in row order, skips what is resolved, and returns true when it
// resolved anything.
#ifndef KORAV_ALLOCATION_ALLOCATE_RESOLUTION_H_
#define KORAV_ALLOCATION_ALLOCATE_RESOLUTION_H_

#include "allocation/state/engine.h"

namespace korav {

// An input measure from cost pools resolves once every source pool of its
// selection rows is resolved; its measure is then taken from the value cube.
bool ResolveInputMeasures(Engine& engine);
// A base resolves once every input measure of its lines is resolved.
bool ResolveAllocationBases(Engine& engine);
// A pool resolves once every pool that allocates into it has allocated.
bool ResolveCostPools(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_RESOLUTION_H_
