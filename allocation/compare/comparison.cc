#include "allocation/compare/comparison.h"

#include <algorithm>
#include <set>

#include "allocation/host/run_host.h"
#include "common/numbers.h"

namespace korav {
namespace {

const RunPool* FindPool(const FinishedRun& run, const std::string& code) {
  const auto found = run.pools.find(code);
  return found == run.pools.end() ? nullptr : &found->second;
}

RunSide SideOf(const FinishedRun& run) { return RunSide{run.folder, run.label, run.notes, 0}; }

PoolChange RowOf(const std::string& code, const RunPool* a, const RunPool* b) {
  const RunPool& shown = b != nullptr ? *b : *a;
  PoolChange row;
  row.code = code;
  row.stage = shown.stage;
  row.group = shown.group;
  row.description = shown.description;
  row.in_a = a != nullptr;
  row.in_b = b != nullptr;
  if (a != nullptr) row.a = CentsOf(a->value.Value());
  if (b != nullptr) row.b = CentsOf(b->value.Value());
  const bool receives = (a != nullptr && a->receives) || (b != nullptr && b->receives);
  const bool sends = (a != nullptr && a->sends) || (b != nullptr && b->sends);
  row.final = receives && !sends;
  return row;
}

// What `sender` moved into `pool` in `run`; nothing when it moved nothing.
SenderFlow FlowOf(const FinishedRun& run, const std::string& sender, const std::string& pool) {
  SenderFlow flow;
  const auto found = run.senders.find(sender);
  if (found == run.senders.end()) return flow;
  flow.allocated = found->second.allocated;
  const auto inflow = found->second.receivers.find(pool);
  if (inflow != found->second.receivers.end()) {
    flow.share = inflow->second.share;
    flow.amount = inflow->second.amount;
    flow.variance = inflow->second.variance;
  }
  return flow;
}

void SendersInto(const FinishedRun& run, const std::string& pool, std::set<std::string>& codes) {
  for (const auto& [code, sender] : run.senders) {
    if (sender.receivers.contains(pool)) codes.insert(code);
  }
}

FinalPoolEffects EffectsOf(const FinishedRun& a, const FinishedRun& b,
                           const std::vector<PoolChange>& rows, size_t index) {
  const PoolChange& row = rows[index];
  FinalPoolEffects effects;
  effects.pool = index;
  std::set<std::string> codes;
  SendersInto(a, row.code, codes);
  SendersInto(b, row.code, codes);
  std::vector<Effect> computed;
  for (const std::string& code : codes) {
    const RunPool* pool = FindPool(b, code);
    if (pool == nullptr) pool = FindPool(a, code);
    SenderRow sender;
    sender.code = code;
    if (pool != nullptr) sender.description = pool->description;
    sender.effect = SenderEffect(FlowOf(a, code, row.code), FlowOf(b, code, row.code));
    computed.push_back(sender.effect);
    effects.senders.push_back(std::move(sender));
  }
  const std::optional<Cents> change = row.Change();
  const std::optional<PrintedEffects> printed =
      change ? PrintEffects(*change, computed) : std::nullopt;
  if (printed) {
    for (size_t i = 0; i < effects.senders.size(); ++i) {
      effects.senders[i].printed = printed->senders[i];
    }
    effects.own = printed->own;
  }
  return effects;
}

// The names in `names` that `others` lacks, in their order.
std::vector<std::string> Lacking(const std::vector<std::string>& names,
                                 const std::vector<std::string>& others) {
  std::vector<std::string> lacking;
  for (const std::string& name : names) {
    if (std::find(others.begin(), others.end(), name) == others.end()) lacking.push_back(name);
  }
  return lacking;
}

// The stages in the order cost flows through them: a stage whose pools send
// to another stage's comes before it. Stages that no flow orders, or that
// send to each other, keep the order in which B and then A show them.
std::vector<std::string> StagesInFlowOrder(const FinishedRun& a, const FinishedRun& b) {
  std::vector<std::string> stages = b.stages;
  for (const std::string& stage : Lacking(a.stages, b.stages)) stages.push_back(stage);
  const auto index = [&](const std::string& stage) {
    return static_cast<size_t>(std::find(stages.begin(), stages.end(), stage) - stages.begin());
  };
  std::vector<std::set<size_t>> later(stages.size());
  std::vector<size_t> earlier(stages.size(), 0);
  for (const FinishedRun* run : {&a, &b}) {
    for (const auto& [code, sender] : run->senders) {
      const size_t from = index(run->pools.at(code).stage);
      for (const auto& [receiver, inflow] : sender.receivers) {
        const size_t to = index(run->pools.at(receiver).stage);
        if (from < stages.size() && to < stages.size() && from != to &&
            later[from].insert(to).second) {
          ++earlier[to];
        }
      }
    }
  }
  std::vector<std::string> ordered;
  std::vector<bool> placed(stages.size(), false);
  while (ordered.size() < stages.size()) {
    size_t next = 0;
    while (placed[next] || earlier[next] > 0) {
      if (++next == stages.size()) {
        // Stages that send to each other: the first not placed goes next.
        next = static_cast<size_t>(std::find(placed.begin(), placed.end(), false) - placed.begin());
        break;
      }
    }
    placed[next] = true;
    ordered.push_back(stages[next]);
    for (const size_t to : later[next]) --earlier[to];
  }
  return ordered;
}

// The rows in stage flow order, those of no stage last; within a stage as
// they came.
void SortByStage(std::vector<PoolChange>& rows, const std::vector<std::string>& stages) {
  const auto rank = [&](const PoolChange& row) {
    return std::find(stages.begin(), stages.end(), row.stage) - stages.begin();
  };
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const PoolChange& x, const PoolChange& y) { return rank(x) < rank(y); });
}

void AddOneSided(Comparison& comparison, std::string kind, bool in_a,
                 std::vector<std::string> names) {
  if (!names.empty()) comparison.one_sided.push_back(OneSided{std::move(kind), in_a, names});
}

}  // namespace

std::optional<Cents> PoolChange::Change() const {
  if (!a || !b) return std::nullopt;
  return *b - *a;
}

std::string PoolChange::ChangePercentText() const {
  const std::optional<Cents> change = Change();
  if (!change || *a == 0) return {};
  return PercentText(*change, *a);
}

std::string PercentText(Cents change, Cents base) {
  return FormatFixed2(static_cast<double>(change) / static_cast<double>(base) * 100);
}

std::string PoolChange::Note() const {
  if (!in_a) return "only in B";
  if (!in_b) return "only in A";
  if (!a || !b) return "figure not finite or beyond 1E+30";
  return {};
}

std::string OneSidedLine(const Comparison& comparison, const OneSided& one_sided, size_t most) {
  const size_t count = one_sided.names.size();
  std::string line =
      std::to_string(count) + " " + one_sided.kind + (count == 1 ? "" : "s") + " only in " +
      (one_sided.in_a ? "A (" + comparison.a.label + ")" : "B (" + comparison.b.label + ")") + ": ";
  for (size_t i = 0; i < count && i < most; ++i) {
    line += (i > 0 ? ", " : "") + one_sided.names[i];
  }
  if (count > most) line += ", and " + std::to_string(count - most) + " more";
  return line;
}

Comparison CompareFinishedRuns(const FinishedRun& a, const FinishedRun& b) {
  Comparison comparison;
  comparison.a = SideOf(a);
  comparison.b = SideOf(b);
  for (const std::string& code : b.pool_order) {
    comparison.pools.push_back(RowOf(code, FindPool(a, code), FindPool(b, code)));
  }
  for (const std::string& code : a.pool_order) {
    if (!b.pools.contains(code))
      comparison.pools.push_back(RowOf(code, FindPool(a, code), nullptr));
  }
  SortByStage(comparison.pools, StagesInFlowOrder(a, b));
  const auto shared = [](const PoolChange& row) { return row.in_a && row.in_b; };
  if (std::none_of(comparison.pools.begin(), comparison.pools.end(), shared)) {
    throw RunAborted(a.folder + " and " + b.folder +
                     " share no cost pool: nothing to compare; give the output folders of two "
                     "runs of one model");
  }
  for (size_t i = 0; i < comparison.pools.size(); ++i) {
    const PoolChange& row = comparison.pools[i];
    if (!row.final) continue;
    if (row.in_a) comparison.a.final_total += a.pools.at(row.code).value.Value();
    if (row.in_b) comparison.b.final_total += b.pools.at(row.code).value.Value();
    if (shared(row)) comparison.finals.push_back(EffectsOf(a, b, comparison.pools, i));
  }
  AddOneSided(comparison, "stage", true, Lacking(a.stages, b.stages));
  AddOneSided(comparison, "stage", false, Lacking(b.stages, a.stages));
  AddOneSided(comparison, "dimension", true, Lacking(a.dimensions, b.dimensions));
  AddOneSided(comparison, "dimension", false, Lacking(b.dimensions, a.dimensions));
  std::vector<std::string> pools_of_a;
  std::vector<std::string> pools_of_b;
  for (const PoolChange& row : comparison.pools) {
    if (!row.in_b) pools_of_a.push_back(row.code);
    if (!row.in_a) pools_of_b.push_back(row.code);
  }
  AddOneSided(comparison, "pool", true, pools_of_a);
  AddOneSided(comparison, "pool", false, pools_of_b);
  return comparison;
}

}  // namespace korav
