#include "allocation/transactions/transaction_sums.h"

namespace korav {
namespace {

// Calls visit(figure, sum) for every figure that transactions add to.
template <typename Visit>
void ForEachFigure(ModelTables& model, Visit visit) {
  for (int k = 1; k <= model.dimension_count; ++k) {
    ModelTable<TmyDIM>& values = model.dimensions[static_cast<size_t>(k)].Values;
    for (int32_t row = 1; row <= values.count(); ++row)
      visit(values[row].TxValue, values[row].TxSum);
  }
  for (int32_t row = 1; row <= model.selections.count(); ++row) {
    visit(model.selections[row].Value, model.selections[row].TxSum);
  }
  for (int32_t row = 1; row <= model.groups.count(); ++row) {
    visit(model.groups[row].Value, model.groups[row].TxSum);
  }
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    visit(model.pools[row].Value, model.pools[row].TxSum);
  }
}

}  // namespace

void StoreTransactionSums(Engine& engine) {
  ForEachFigure(engine.model, [](double& figure, const ExactSum& sum) { figure = sum.Value(); });
  engine.cell_sums.Store(engine.cube);
}

void ResumeTransactionSums(Engine& engine) {
  ForEachFigure(engine.model, [](double figure, ExactSum& sum) {
    sum = ExactSum();
    sum.Add(Amount{figure, 0, false});
  });
  engine.cell_sums.Resume(engine.cube);
}

}  // namespace korav
