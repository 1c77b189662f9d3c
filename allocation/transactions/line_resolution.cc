#include "allocation/transactions/line_resolution.h"

#include <string>

#include "allocation/model/selection_queries.h"
#include "common/excerpt.h"

namespace korav {
namespace {

using Codes = CodeNumbers;

// The first selection row of `rows` that admits `codes`, or 0.
int32_t FirstMatch(const ModelTables& model, const std::vector<int32_t>& rows, const Codes& codes) {
  for (const int32_t row : rows) {
    if (SelectionMatches(model, model.selections[row], codes)) return row;
  }
  return 0;
}

void NoteRestrictedDimensions(const ModelTables& model, const std::vector<int32_t>& rows,
                              std::array<bool, kMaxDimensions + 1>& restricted) {
  for (const int32_t row : rows) {
    for (int k = 1; k <= model.dimension_count; ++k) {
      if (model.selections[row].DimIndex[static_cast<size_t>(k)] != 0) {
        restricted[static_cast<size_t>(k)] = true;
      }
    }
  }
}

}  // namespace

LineResolver::LineResolver(const Engine& engine, const CodeLookup& codes, size_t most_placements)
    : engine_(engine), codes_(codes), most_placements_(most_placements), placement_slots_(1024) {
  const ModelTables& model = engine.model;
  std::array<bool, kMaxDimensions + 1> restricted{};
  for (int32_t group = 1; group <= model.groups.count(); ++group) {
    NoteRestrictedDimensions(model, model.groups[group].GroupSelections, restricted);
    NoteRestrictedDimensions(model, model.groups[group].PoolSelections, restricted);
  }
  for (int32_t m = 1; m <= model.input_measures.count(); ++m) {
    if (model.input_measures[m].IMType == 'T') {
      NoteRestrictedDimensions(model, model.input_measures[m].Selections, restricted);
    }
  }
  // Code numbers run 0..count, so the packed number's radix is count + 1.
  double range = 1;
  for (int k = 1; k <= model.dimension_count; ++k) {
    if (!restricted[static_cast<size_t>(k)]) continue;
    placement_dimensions_.push_back(k);
    range *= model.dimensions[static_cast<size_t>(k)].Values.count() + 1.0;
  }
  memo_placements_ = range < 1.8e19;
  ForgetPlacements();
}

// Groups are tried in priority order, then the chosen group's pools in their
// ranking order; group 0 or pool row 0 means none took the line.
void LineResolver::Place(const Codes& codes, Placement& placement) {
  const ModelTables& model = engine_.model;
  placement = Placement{};
  for (int32_t position = 1; position <= model.group_priority.Count(); ++position) {
    const int32_t group = model.group_priority.Item(position).Number;
    const int32_t row = FirstMatch(model, model.groups[group].GroupSelections, codes);
    if (row == 0) continue;
    placement.group = group;
    placement.group_row = row;
    break;
  }
  if (placement.group == 0) return;
  const TmyCPG& group = model.groups[placement.group];
  placement.pool_row = FirstMatch(model, group.PoolSelections, codes);
  if (placement.pool_row == 0) return;
  placement.pool = model.selections[placement.pool_row].OwnerRow;
  placement.negate = group.Flag;
  placement.first_measure_row = static_cast<int32_t>(measure_rows_.size());
  for (int32_t m = 1; m <= model.input_measures.count(); ++m) {
    const TmyIM& measure = model.input_measures[m];
    if (measure.IMType != 'T') continue;
    for (const int32_t row : measure.Selections) {
      if (SelectionMatches(model, model.selections[row], codes)) measure_rows_.push_back(row);
    }
  }
  placement.measure_row_count =
      static_cast<int32_t>(measure_rows_.size()) - placement.first_measure_row;
}

void LineResolver::ForgetPlacements() {
  placement_slots_.Clear();
  placements_.clear();
  measure_rows_.clear();
}

const LineResolver::Placement& LineResolver::PlacementOf(const Codes& codes) {
  if (!memo_placements_) {
    measure_rows_.clear();
    Place(codes, scratch_);
    return scratch_;
  }
  uint64_t key = 0;
  for (const int k : placement_dimensions_) {
    const size_t i = static_cast<size_t>(k);
    key = key * (static_cast<uint64_t>(engine_.model.dimensions[i].Values.count()) + 1) +
          static_cast<uint64_t>(codes[i]);
  }
  const uint64_t hash = HashWord(key);
  if (const Slot* slot =
          placement_slots_.Find(hash, [key](const Slot& s) { return s.key == key; })) {
    return placements_[static_cast<size_t>(slot->number - 1)];
  }
  if (placements_.size() == most_placements_) ForgetPlacements();
  placements_.emplace_back();
  placement_slots_.Insert(hash) = Slot{key, static_cast<int32_t>(placements_.size())};
  Place(codes, placements_.back());
  return placements_.back();
}

std::string LineResolver::CodesText(const CodeTexts& texts) const {
  std::string text;
  for (int k = 1; k <= engine_.model.dimension_count; ++k) {
    if (k > 1) text += ',';
    AppendExcerpt(text, texts[static_cast<size_t>(k)]);
  }
  return text;
}

void LineResolver::Resolve(CodeTexts texts, LineOutcome& outcome) {
  outcome.Clear();
  if (!codes_.Resolve(texts, outcome.codes, &outcome.messages)) {
    outcome.rejection = 204;
    return;
  }
  PlaceCodes(outcome, &texts);
}

void LineResolver::PlaceCodes(LineOutcome& outcome, const CodeTexts* texts) {
  const Placement& placement = PlacementOf(outcome.codes);
  if (placement.group == 0 || placement.pool_row == 0) outcome.rejection = 205;
  if (placement.group == 0) {
    if (texts != nullptr) {
      outcome.messages.push_back("e205 TX; No Cost Pool Group selects the transaction; Codes=" +
                                 CodesText(*texts));
    }
    return;
  }
  if (placement.pool_row == 0) {
    if (texts != nullptr) {
      outcome.messages.push_back(
          "e205 TX; No Cost Pool of the group selects the transaction; CPG=" +
          engine_.model.groups[placement.group].Code + " Codes=" + CodesText(*texts));
    }
    return;
  }
  outcome.accepted = true;
  outcome.negate = placement.negate;
  outcome.group = placement.group;
  outcome.group_row = placement.group_row;
  outcome.pool = placement.pool;
  outcome.pool_row = placement.pool_row;
  const auto first = measure_rows_.begin() + placement.first_measure_row;
  outcome.measure_rows.assign(first, first + placement.measure_row_count);
}

}  // namespace korav
