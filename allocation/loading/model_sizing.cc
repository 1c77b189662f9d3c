// Sizing the model tables once, from the pass-1 counts, before pass 2 fills
// them. The extra rows make room for the rows the program generates: one
// not-selected pool and its selection per group, the ".NOTSEL" group with
// its selection, and a direct base with one line per pool that allocates
// directly (counted in pass 1).
#include <string>

#include "allocation/loading/model_loading.h"

namespace korav {

void SizeModelTables(Engine& engine) {
  const auto& of_kind = engine.counts.records_of_kind;
  const auto count = [&](RecordKind kind) { return of_kind[static_cast<size_t>(kind)]; };
  ModelTables& model = engine.model;

  for (int d = 1; d <= kMaxDimensions; ++d) {
    const int32_t values = engine.counts.dimension_values[static_cast<size_t>(d)];
    model.dimensions[static_cast<size_t>(d)].Values.Size(values);
    if (d <= model.dimension_count) {
      engine.LogLine("iNrDIM[ " + std::to_string(d) + "]=" + std::to_string(values));
    }
  }

  const int32_t groups = count(kGroupRecord);
  const int32_t selections = groups + count(kGroupSelectionRecord) + count(kPoolSelectionRecord) +
                             count(kTransactionDimensionRecord) + count(kGroupCopyRecord) +
                             count(kPoolCopyRecord) + count(kPoolBudgetValueRecord) +
                             count(kInputMeasureSelectionRecord) + 2;
  model.selections.Size(selections);
  engine.LogLine("iNrSEL " + std::to_string(selections));
  engine.LogLine("iNrDIMT " + std::to_string(count(kTransactionDimensionRecord)));

  model.stages.Size(count(kStageRecord) + 1);
  engine.LogLine("iNrSTG " + std::to_string(model.stages.capacity()));

  model.groups.Size(groups + 1);
  engine.LogLine("iNrCPG " + std::to_string(model.groups.capacity()) + " NrCPGS " +
                 std::to_string(count(kGroupSelectionRecord) + 1) + " NrCPGIDC " +
                 std::to_string(count(kGroupCopyRecord)));

  model.pools.Size(count(kPoolRecord) + groups + 1);
  engine.LogLine("iNrCP " + std::to_string(model.pools.capacity()) + " NrCPS " +
                 std::to_string(count(kPoolSelectionRecord) + groups + 1) + " NrCPDC " +
                 std::to_string(count(kPoolCopyRecord)) + " NrCPB " +
                 std::to_string(count(kPoolBudgetRecord)) + " NrCPBV " +
                 std::to_string(count(kPoolBudgetValueRecord)));

  model.budgets.Size(count(kPoolBudgetRecord));
  const int32_t bases = count(kBaseRecord) + engine.counts.generated_direct_bases;
  const int32_t lines = count(kBaseLineRecord) + engine.counts.generated_direct_bases;
  model.bases.Size(bases);
  model.base_lines.Size(lines);
  engine.LogLine("iNrAB " + std::to_string(bases) + " NrABL " + std::to_string(lines));

  model.named_measures.Size(count(kNamedMeasureRecord));
  model.named_values.Size(count(kNamedMeasureValueRecord));
  model.input_measures.Size(count(kInputMeasureRecord));
  engine.LogLine("iNrNM " + std::to_string(count(kNamedMeasureRecord)) + " Nr NMV " +
                 std::to_string(count(kNamedMeasureValueRecord)) + " NrIM " +
                 std::to_string(count(kInputMeasureRecord)) + " NrIMS " +
                 std::to_string(count(kInputMeasureSelectionRecord)));
}

}  // namespace korav
