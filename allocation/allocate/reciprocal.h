// Reciprocal allocation: service pools whose bases allocate into each other
// (a loop of the "allocates into" graph) never resolve one after the other,
// so they are solved together. Each member's full cost x_i is its own cost
// plus its shares of the other members' full costs,
// x_i = own_i + sum over j of p_ji * x_j, and the value cube is solved the
// same way cell by cell, each share re-keyed as a transfer into the
// receiving member would re-key it. The members then hold their full costs
// and allocate them through their bases as any resolved pool does, except
// that the shares members send each other are already in place. Large
// loops are solved by sparse elimination (loop_system.h), in time and
// memory that follow the members' lines rather than the square of their
// number.
#ifndef KORAV_ALLOCATION_ALLOCATE_RECIPROCAL_H_
#define KORAV_ALLOCATION_ALLOCATE_RECIPROCAL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "allocation/state/engine.h"

namespace korav {

// Called when a pass of the allocation loop resolved nothing. Finds the
// loops among the unresolved pools and solves each loop whose inputs from
// outside are final and whose members' bases are resolved: its members get
// their full costs as values and become resolved, and the loop goes on.
// Returns true when a loop was solved. Otherwise the loops that can never be
// solved are reported (e308: a member's base line has no proportion, the
// members keep all the cost among themselves, or their full costs would not
// be finite) and false is returned.
bool SolveLoops(Engine& engine);

// The codes of a loop's member pools, joined by "/" ("HR/IT").
std::string MemberCodes(const ModelTables& model, const std::vector<int32_t>& members);

}  // namespace korav

#endif  // KORAV_ALLOCATION_ALLOCATE_RECIPROCAL_H_
