#include <string>
#include <utility>
#include <vector>

#include "allocation/reports/report_output.h"

namespace korav {
namespace {

using Keys = std::vector<std::pair<std::string, int32_t>>;

void Fill(stTsortObj& list, const Keys& keys) {
  list.Init(static_cast<int32_t>(keys.size()), 0);
  for (const auto& [key, row] : keys) list.Add(key, row);
  list.Sort();
}

}  // namespace

void BuildWhereUsed(Engine& engine) {
  const ModelTables& model = engine.model;
  Keys named_by_base, named_by_pool, input_by_base, input_by_pool, base_by_pool, pool_by_pool;
  for (int32_t row = 1; row <= model.named_measures.count(); ++row) {
    named_by_base.emplace_back(model.named_measures[row].Code + "<", row);
    named_by_pool.emplace_back(model.named_measures[row].Code + "<", row);
  }
  for (int32_t row = 1; row <= model.input_measures.count(); ++row) {
    input_by_base.emplace_back(model.input_measures[row].Code + "<", row);
    input_by_pool.emplace_back(model.input_measures[row].Code + "<", row);
  }
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    pool_by_pool.emplace_back(model.pools[row].Code + "<", row);
  }
  for (int32_t row = 1; row <= model.bases.count(); ++row) {
    base_by_pool.emplace_back(model.bases[row].Code + "<", row);
  }
  // Measure users among a base's lines, into the by-base or by-pool lists.
  const auto add_measure_users = [&](int32_t base, int32_t user, Keys& named, Keys& input) {
    for (const int32_t index : model.bases[base].Lines) {
      const TmyABL& line = model.base_lines[index];
      if (line.MeasureType == 'N' && line.NamedMeasure > 0) {
        named.emplace_back(model.named_measures[line.NamedMeasure].Code + ">", user);
      } else if (line.MeasureType == 'I' && line.InputMeasure > 0) {
        input.emplace_back(model.input_measures[line.InputMeasure].Code + ">", user);
      }
    }
  };
  for (int32_t row = 1; row <= model.bases.count(); ++row) {
    add_measure_users(row, row, named_by_base, input_by_base);
  }
  for (int32_t row = 1; row <= model.pools.count(); ++row) {
    const TmyCP& pool = model.pools[row];
    if (pool.VariancePool > 0) {
      pool_by_pool.emplace_back(model.pools[pool.VariancePool].Code + ">", row);
    }
    if (pool.Base == 0) continue;
    base_by_pool.emplace_back(model.bases[pool.Base].Code + ">", row);
    for (const int32_t index : model.bases[pool.Base].Lines) {
      const int32_t output = model.base_lines[index].Output;
      if (output > 0) pool_by_pool.emplace_back(model.pools[output].Code + ">", row);
    }
    add_measure_users(pool.Base, row, named_by_pool, input_by_pool);
  }
  WhereUsedLists& lists = engine.where_used;
  Fill(lists.named_by_base, named_by_base);
  Fill(lists.named_by_pool, named_by_pool);
  Fill(lists.input_by_base, input_by_base);
  Fill(lists.input_by_pool, input_by_pool);
  Fill(lists.base_by_pool, base_by_pool);
  Fill(lists.pool_by_pool, pool_by_pool);
}

void WriteWhereUsed(Engine& engine, char kind, const stTsortObj& list, const std::string& code) {
  const int32_t position = list.FindPosition(code + "<");
  if (position < 0) return;
  const std::string user_key = code + ">";
  for (int32_t i = position + 1; i <= list.Count() && list.Item(i).Key == user_key; ++i) {
    const int32_t row = list.Item(i).Number;
    if (kind == 'C') {
      const TmyCP& pool = engine.model.pools[row];
      engine.report_output.WriteLine("    Used by CP," + pool.Code + "," +
                                     Quoted(pool.Description));
    } else {
      const TmyAB& base = engine.model.bases[row];
      engine.report_output.WriteLine("    Used by AB," + base.Code + "," +
                                     Quoted(base.Description));
    }
  }
}

}  // namespace korav
