// No cost pools exist yet, so the allocation has nothing to allocate.
#include "allocation/engine/allocation_loop.h"

namespace korav {

void RunAllocation(Engine&) {}

}  // namespace korav
