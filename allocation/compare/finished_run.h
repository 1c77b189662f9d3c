// A finished run as its output folder holds it: the run manifest (.Run.json)
// and the two Results Exports (report 36) that it lists, the cells (one row
// per value cube entry) and the flows (one row per base line that moved an
// amount, and per variance sent to a variance pool).
//
// A folder is taken only when it holds what a run of korava wrote to its
// end and nothing has changed since: a manifest of this format written by
// korava for a complete run, and both exports with the SHA-256 it records.
// Anything else is refused with RunAborted, whose text names the file, the
// cause and what to do.
#ifndef KORAV_ALLOCATION_COMPARE_FINISHED_RUN_H_
#define KORAV_ALLOCATION_COMPARE_FINISHED_RUN_H_

#include <map>
#include <string>
#include <vector>

#include "common/exact_sum.h"

namespace korav {

// A cost pool as the exports show it. Codes and texts are the bytes the
// exports hold.
struct RunPool {
  std::string stage;  // empty for a pool the cells do not show
  std::string group;
  std::string description;
  ExactSum value;  // the sum of its cells
  bool sends = false;
  bool receives = false;
};

// What one sender's lines and variances moved into one receiver.
struct Inflow {
  double share = 0;  // the proportions of the lines
  double amount = 0;
  double variance = 0;
};

struct Sender {
  // The sender's allocated amount: Amount / Proportion of its lines, taken
  // from the line of the largest proportion, where the division loses least.
  double allocated = 0;
  double proportion = 0;  // the size of that line's proportion
  std::map<std::string, Inflow> receivers;
};

struct FinishedRun {
  std::string folder;  // as given
  std::string label;   // the run label, or the folder's name when it has none
  // What a reader of a comparison must know of the run's figures: that its
  // allocation was not performed, that they do not reconcile, or that it
  // logged errors; one text each.
  std::vector<std::string> notes;
  std::vector<std::string> dimensions;  // the cells' dimension columns
  std::vector<std::string> stages;      // stage codes, in the order first met
  std::vector<std::string> pool_order;  // pool codes, in the order first met
  std::map<std::string, RunPool> pools;
  std::map<std::string, Sender> senders;
};

// Reads the finished run in the output folder `folder`; throws RunAborted
// when it is no such run.
FinishedRun ReadFinishedRun(const std::string& folder);

}  // namespace korav

#endif  // KORAV_ALLOCATION_COMPARE_FINISHED_RUN_H_
