// Two finished runs matched pool by pool (by code): each pool's value in
// either run, and for each final pool the effects that explain its change.
//
// The exports name each pool's stage by its code, not its type, so the
// final pools are told by what they do: a final pool receives cost in
// either run (along a base line or as a variance) and sends none in either.
// That holds the pools of the final stages and also a variance pool that
// passes nothing on, and it needs no model file.
//
// Runs of different models are compared on what they share. A pool, stage
// or dimension that only one run shows is listed as such; a pool that holds
// no cost and moves none in a run is not in that run's exports, so it counts
// as a pool of the other run only.
#ifndef KORAV_ALLOCATION_COMPARE_COMPARISON_H_
#define KORAV_ALLOCATION_COMPARE_COMPARISON_H_

#include <optional>
#include <string>
#include <vector>

#include "allocation/compare/effects.h"
#include "allocation/compare/finished_run.h"

namespace korav {

// One run's side of a comparison.
struct RunSide {
  std::string folder;
  std::string label;
  std::vector<std::string> notes;
  double final_total = 0;  // the values of the final pools it holds
};

// A pool of either run. A figure is none where the pool is not in that run,
// or where it cannot be printed to the cent (not finite, or beyond
// kLargestPrinted).
struct PoolChange {
  std::string code;
  std::string stage;  // B's, or A's for a pool of A only
  std::string group;
  std::string description;
  bool in_a = false;
  bool in_b = false;
  bool final = false;
  std::optional<Cents> a;
  std::optional<Cents> b;

  // B - A; none unless both figures are.
  std::optional<Cents> Change() const;
  // The change in per cent of A with two decimals; empty when A is 0 or a
  // figure is missing.
  std::string ChangePercentText() const;
  // "only in A", "only in B", "figure out of range" or empty.
  std::string Note() const;
};

// A sender's effect on a final pool, as computed and as printed.
struct SenderRow {
  std::string code;
  std::string description;
  Effect effect;
  PrintedEffect printed;
};

struct FinalPoolEffects {
  size_t pool = 0;  // the index of its row in Comparison::pools
  std::vector<SenderRow> senders;
  // What the pool's own transactions changed, as printed (see PrintEffects);
  // none when the pool's figures cannot be printed to the cent, and then the
  // senders' printed figures are not set either.
  std::optional<Cents> own;
};

// What one run shows and the other lacks, of one kind.
struct OneSided {
  std::string kind;   // "pool", "stage" or "dimension"
  bool in_a = false;  // only in A; else only in B
  std::vector<std::string> names;
};

struct Comparison {
  RunSide a;
  RunSide b;
  // In the order cost flows through their stages; within a stage, B's pools
  // as its exports list them, then those of A that B lacks.
  std::vector<PoolChange> pools;
  // The final pools that both runs hold, in the order of `pools`.
  std::vector<FinalPoolEffects> finals;
  // What only one run shows: stages, dimensions, pools.
  std::vector<OneSided> one_sided;
};

// `change` in per cent of `base`, which is not 0, with two decimals.
std::string PercentText(Cents change, Cents base);

// One line for `one_sided`, naming at most `most` of its names: "2 pools
// only in B (2026-12 What-if): P.NEW, P.OLD".
std::string OneSidedLine(const Comparison& comparison, const OneSided& one_sided, size_t most);

// Throws RunAborted when the runs share no cost pool: there is nothing to
// compare.
Comparison CompareFinishedRuns(const FinishedRun& a, const FinishedRun& b);

}  // namespace korav

#endif  // KORAV_ALLOCATION_COMPARE_COMPARISON_H_
