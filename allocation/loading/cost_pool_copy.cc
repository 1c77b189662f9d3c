// The cost pool copy ("CPY" records, report 0): one pool's value and value
// cube entries added to a pool of a report stage, under that pool's mapping.
// A pool that takes part in the allocation is never a copy target, so a
// copy cannot change the model's results.
#include <string>

#include "allocation/loading/model_completion.h"
#include "allocation/model/rounding_bound.h"
#include "common/excerpt.h"

namespace korav {

void CopyCostPool(Engine& engine) {
  const std::string from(engine.csv[2]);
  const std::string to(engine.csv[3]);
  engine.LogLine("iCPY; CP " + Excerpt(from) + " to CP " + Excerpt(to));
  ModelTables& model = engine.model;
  const int32_t source = model.pools.CodeIndex.Find(from);
  const int32_t target = model.pools.CodeIndex.Find(to);
  if (source < 0) engine.LogLine("e127 CPY; CPCode From not found; CP=" + Excerpt(from));
  if (target < 0) engine.LogLine("e128 CPY; CPCode To not found; CP=" + Excerpt(to));
  if (source < 0 || target < 0) return;
  TmyCP& copy = model.pools[target];
  if (copy.STGType != StageType::kReport) {
    engine.LogLine("e129 CPY; CPCode To; is part of model; copy skipped CP=" + Excerpt(to));
    return;
  }
  const TmyCP& original = model.pools[source];
  const auto entries = static_cast<int32_t>(engine.cube.PoolEntries(source).size());
  copy.Copied += original.Value;
  copy.Value += original.Value;
  engine.cube.vcTransfer(model, engine.options.confidence_dimension, source, target, 0, 0, 1.0,
                         copy.DimCopyRow);
  CountTransfer(copy, original, original.Value, 1.0, entries);
}

}  // namespace korav
