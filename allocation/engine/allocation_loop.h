// The allocation: cost pools resolved and allocated through their bases,
// stage by stage, until nothing more resolves.
#ifndef KORAV_ALLOCATION_ENGINE_ALLOCATION_LOOP_H_
#define KORAV_ALLOCATION_ENGINE_ALLOCATION_LOOP_H_

#include "allocation/run/engine.h"

namespace korav {

void RunAllocation(Engine& engine);

}  // namespace korav

#endif  // KORAV_ALLOCATION_ENGINE_ALLOCATION_LOOP_H_
