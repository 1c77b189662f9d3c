#include "allocation/reports/flow_chart_graph.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "allocation/model/stage_order.h"
#include "allocation/model/strong_components.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/stage_figures.h"
#include "common/text_encoding.h"

namespace korav {
namespace {

constexpr double kLeastAmount = 0.005;  // what rounds to 0.00

// The selected pools, and per group row its selected pools in code order and
// the value of all its pools.
struct Selection {
  std::vector<int32_t> pools;  // rows in code order
  std::vector<std::vector<int32_t>> pools_of_group;
  std::vector<double> group_value;
};

// What every pool sent, and per pool row whether it is in a flow, what its
// base lines moved and what it sent to its variance pool.
struct Flows {
  std::vector<PoolFlow> flows;
  std::vector<bool> in_a_flow;
  std::vector<double> moved_out;
  std::vector<double> variance_out;
};

// Where the pools are drawn: per pool row its bar or kOutside, and per group
// row whether it has a bar.
struct Placement {
  std::vector<size_t> bar_of_pool;
  std::vector<bool> group_drawn;
};

// One end of a flow: a bar of the chart, or a pool or group outside it.
struct End {
  size_t bar = kOutside;
  bool group = false;
  int32_t row = 0;

  auto Key() const { return std::tie(bar, group, row); }
  bool operator<(const End& other) const { return Key() < other.Key(); }
};

size_t Slot(int32_t row) { return static_cast<size_t>(row); }

int32_t StageOf(const ModelTables& model, int32_t pool) {
  const int32_t group = model.pools[pool].Group;
  return group == 0 ? 0 : model.groups[group].Stage;
}

Selection SelectPools(const Engine& engine) {
  const ModelTables& model = engine.model;
  const auto groups = static_cast<size_t>(model.groups.count()) + 1;
  Selection selection;
  selection.pools_of_group.resize(groups);
  selection.group_value.assign(groups, 0.0);
  const stTsortObj& codes = model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const int32_t row = codes.Item(position).Number;
    const size_t group = Slot(model.pools[row].Group);
    selection.group_value[group] += model.pools[row].Value;
    if (StageOf(model, row) == 0 || !InReportRange(engine, model.pools[row])) continue;
    selection.pools.push_back(row);
    selection.pools_of_group[group].push_back(row);
  }
  return selection;
}

// What each pool sent through its base lines and to its variance pool; a
// pool that has not allocated sends nothing along its lines. A variance that
// rounds to 0.00 is no band, though it counts as sent.
Flows CollectFlows(const Engine& engine) {
  const ModelTables& model = engine.model;
  const size_t slots = static_cast<size_t>(model.pools.count()) + 1;
  Flows flows{{},
              std::vector<bool>(slots, false),
              std::vector<double>(slots, 0.0),
              std::vector<double>(slots, 0.0)};
  std::vector<PoolFlow> sent;
  for (int32_t row = 1; row <= model.pools.count(); ++row) AppendPoolFlows(engine, row, sent);
  for (const PoolFlow& flow : sent) {
    if (flow.kind == FlowKind::kAllocation) flows.moved_out[Slot(flow.from)] += flow.amount;
    if (flow.kind == FlowKind::kVariance) {
      flows.variance_out[Slot(flow.from)] = flow.amount;
      if (std::fabs(flow.amount) < kLeastAmount) continue;
    }
    flows.flows.push_back(flow);
    flows.in_a_flow[Slot(flow.from)] = true;
    flows.in_a_flow[Slot(flow.to)] = true;
  }
  return flows;
}

// The rows of the stage's groups in code order.
std::vector<int32_t> GroupsOf(const ModelTables& model, int32_t stage) {
  std::vector<int32_t> rows;
  const stTsortObj& groups = model.groups.CodeIndex;
  for (int32_t position = 1; position <= groups.Count(); ++position) {
    const int32_t group = groups.Item(position).Number;
    if (model.groups[group].Stage == stage) rows.push_back(group);
  }
  return rows;
}

// One column per stage with pools drawn; in each, one bar per pool or group
// in code order. A selected pool is drawn when it has a value or a band to
// draw.
Placement MakeColumnsAndBars(const ModelTables& model, const Selection& selection,
                             const std::vector<bool>& in_a_flow, const std::vector<int32_t>& stages,
                             FlowChart& chart) {
  Placement placement{std::vector<size_t>(in_a_flow.size(), kOutside),
                      std::vector<bool>(selection.pools_of_group.size(), false)};
  const auto drawn = [&](int32_t pool) {
    return std::fabs(model.pools[pool].Value) >= kLeastAmount || in_a_flow[Slot(pool)];
  };
  for (const int32_t stage : stages) {
    ChartColumn column;
    column.code = ShownText(model.stages[stage].Code);
    column.description = ShownText(model.stages[stage].Description);
    const size_t index = chart.columns.size();
    if (chart.level == ChartLevel::kPools) {
      for (const int32_t pool : selection.pools) {
        if (StageOf(model, pool) != stage || !drawn(pool)) continue;
        const TmyCP& cp = model.pools[pool];
        ChartBar bar;
        bar.code = ShownText(cp.Code);
        bar.description = ShownText(cp.Description);
        bar.column = index;
        bar.pools = 1;
        bar.value = cp.Value;
        placement.bar_of_pool[Slot(pool)] = chart.bars.size();
        column.bars.push_back(chart.bars.size());
        chart.bars.push_back(std::move(bar));
      }
    } else {
      for (const int32_t group : GroupsOf(model, stage)) {
        const std::vector<int32_t>& pools = selection.pools_of_group[Slot(group)];
        if (std::none_of(pools.begin(), pools.end(), drawn)) continue;
        ChartBar bar;
        bar.code = ShownText(model.groups[group].Code);
        bar.description = ShownText(model.groups[group].Description);
        bar.column = index;
        for (const int32_t pool : pools) {
          ++bar.pools;
          bar.value += model.pools[pool].Value;
          placement.bar_of_pool[Slot(pool)] = chart.bars.size();
        }
        placement.group_drawn[Slot(group)] = true;
        column.bars.push_back(chart.bars.size());
        chart.bars.push_back(std::move(bar));
      }
    }
    if (column.bars.empty()) continue;
    for (const size_t bar : column.bars) column.value += chart.bars[bar].value;
    chart.columns.push_back(std::move(column));
  }
  return placement;
}

// A pool outside the chart stands for itself, or at the group level for its
// group when that group has no bar.
End EndOf(const ModelTables& model, ChartLevel level, const Placement& placement, int32_t pool) {
  End end;
  end.bar = placement.bar_of_pool[Slot(pool)];
  if (end.bar != kOutside) return end;
  const int32_t group = model.pools[pool].Group;
  end.group = level == ChartLevel::kGroups && group != 0 && !placement.group_drawn[Slot(group)];
  end.row = end.group ? group : pool;
  return end;
}

BandEnd Described(const ModelTables& model, const Selection& selection, const End& end) {
  BandEnd described;
  described.bar = end.bar;
  if (end.bar != kOutside) return described;
  described.group = end.group;
  if (end.group) {
    described.code = ShownText(model.groups[end.row].Code);
    described.description = ShownText(model.groups[end.row].Description);
    described.value = selection.group_value[Slot(end.row)];
  } else {
    described.code = ShownText(model.pools[end.row].Code);
    described.description = ShownText(model.pools[end.row].Description);
    described.value = model.pools[end.row].Value;
  }
  return described;
}

// The flows added up between the chart's bars and the pools or groups
// outside it; flows between two ends outside draw nothing.
void MakeBands(const ModelTables& model, const Selection& selection, const Flows& flows,
               const Placement& placement, ChartGraph& graph) {
  FlowChart& chart = graph.chart;
  std::map<std::tuple<BandKind, End, End>, double> sums;
  for (const PoolFlow& flow : flows.flows) {
    const End source = EndOf(model, chart.level, placement, flow.from);
    const End target = EndOf(model, chart.level, placement, flow.to);
    if (source.bar == kOutside && target.bar == kOutside) continue;
    sums[{flow.kind, source, target}] += flow.amount;
  }
  for (const auto& [key, amount] : sums) {
    const auto& [kind, source, target] = key;
    ChartBand band;
    band.kind = kind;
    band.source = source.bar;
    band.target = target.bar;
    band.amount = amount;
    graph.band_ends.emplace_back(Described(model, selection, source),
                                 Described(model, selection, target));
    chart.bands.push_back(std::move(band));
  }
  graph.bar_bands.entering.resize(chart.bars.size());
  graph.bar_bands.leaving.resize(chart.bars.size());
  for (size_t i = 0; i < chart.bands.size(); ++i) {
    const ChartBand& band = chart.bands[i];
    if (band.source != kOutside) graph.bar_bands.leaving[band.source].push_back(i);
    if (band.target != kOutside) graph.bar_bands.entering[band.target].push_back(i);
  }
}

// For each of `bars` (one stage's), the length of the longest chain of bands
// within the stage that leads to it, a loop counting as one bar.
std::vector<size_t> DepthsWithinStage(const FlowChart& chart,
                                      const std::vector<std::vector<size_t>>& leaving,
                                      const std::vector<size_t>& bars) {
  std::map<size_t, size_t> local;
  for (size_t i = 0; i < bars.size(); ++i) local[bars[i]] = i;
  std::vector<std::vector<size_t>> next(bars.size());
  for (size_t i = 0; i < bars.size(); ++i) {
    for (const size_t band : leaving[bars[i]]) {
      const auto target = local.find(chart.bands[band].target);
      if (target != local.end() && target->second != i) next[i].push_back(target->second);
    }
  }
  // Components come numbered so that every band between two of them runs
  // from a higher number to a lower one.
  const std::vector<size_t> component = StrongComponents(next);
  std::vector<size_t> order(bars.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return component[a] > component[b]; });
  std::vector<size_t> depth_of_component(bars.size(), 0);
  for (const size_t i : order) {
    for (const size_t j : next[i]) {
      if (component[j] == component[i]) continue;
      depth_of_component[component[j]] =
          std::max(depth_of_component[component[j]], depth_of_component[component[i]] + 1);
    }
  }
  std::vector<size_t> depth(bars.size());
  for (size_t i = 0; i < depth.size(); ++i) depth[i] = depth_of_component[component[i]];
  return depth;
}

// Puts each bar of a stage right of the bars of the stage that send to it,
// by the longest chain of such bands that leads to it; bars in a loop count
// as one. Bands then turn back only where they close a loop or go to an
// earlier stage.
void SplitStagesByFlow(const std::vector<std::vector<size_t>>& leaving, FlowChart& chart) {
  std::vector<ChartColumn> columns;
  for (size_t s = 0; s < chart.columns.size(); ++s) {
    const ChartColumn& stage = chart.columns[s];
    const std::vector<size_t> depth = DepthsWithinStage(chart, leaving, stage.bars);
    const size_t deepest = *std::max_element(depth.begin(), depth.end());
    for (size_t d = 0; d <= deepest; ++d) {
      ChartColumn column;
      column.code = stage.code;
      column.description = stage.description;
      column.stage = s;
      column.opens_stage = d == 0;
      column.value = stage.value;
      for (size_t i = 0; i < depth.size(); ++i) {
        if (depth[i] == d) column.bars.push_back(stage.bars[i]);
      }
      columns.push_back(std::move(column));
    }
  }
  chart.columns = std::move(columns);
  for (size_t c = 0; c < chart.columns.size(); ++c) {
    for (const size_t bar : chart.columns[c].bars) chart.bars[bar].column = c;
  }
  for (ChartBand& band : chart.bands) {
    band.turns_back = band.source != kOutside && band.target != kOutside &&
                      chart.bars[band.target].column <= chart.bars[band.source].column;
  }
}

// What a pool of an input or intermediate stage neither allocated nor sent
// as a variance stays in it.
void CollectStubs(const ModelTables& model, const Selection& selection, const Flows& flows,
                  const Placement& placement, ChartGraph& graph) {
  FlowChart& chart = graph.chart;
  std::vector<double> stays(chart.bars.size(), 0.0);
  for (const int32_t pool : selection.pools) {
    const TmyCP& cp = model.pools[pool];
    if (cp.STGType > StageType::kIntermediate) continue;
    const size_t slot = Slot(pool);
    if (placement.bar_of_pool[slot] == kOutside) continue;
    stays[placement.bar_of_pool[slot]] +=
        cp.Value - flows.moved_out[slot] - flows.variance_out[slot];
  }
  graph.bar_bands.stub.assign(chart.bars.size(), kOutside);
  for (size_t bar = 0; bar < stays.size(); ++bar) {
    if (std::fabs(stays[bar]) < kLeastAmount) continue;
    ChartStub stub;
    stub.bar = bar;
    stub.amount = stays[bar];
    graph.bar_bands.stub[bar] = chart.stubs.size();
    chart.stubs.push_back(std::move(stub));
  }
}

// The Stage Report's groups and pools of each drawn stage, for the pools
// drawn.
std::vector<ChartTable> MakeTables(const ModelTables& model, const Selection& selection,
                                   const std::vector<int32_t>& stages) {
  std::vector<ChartTable> tables;
  for (const int32_t stage : stages) {
    ChartTable table;
    table.code = ShownText(model.stages[stage].Code);
    table.description = ShownText(model.stages[stage].Description);
    table.passes_on = model.stages[stage].STGType != StageType::kReport;
    for (const int32_t group : GroupsOf(model, stage)) {
      ChartTableGroup rows;
      rows.code = ShownText(model.groups[group].Code);
      rows.description = ShownText(model.groups[group].Description);
      for (const int32_t pool : selection.pools_of_group[Slot(group)]) {
        const TmyCP& cp = model.pools[pool];
        ChartTablePool row{ShownText(cp.Code), ShownText(cp.Description), StageFiguresOf(cp)};
        rows.value += cp.Value;
        table.sums.Add(row.figures);
        rows.pools.push_back(std::move(row));
      }
      if (!rows.pools.empty()) table.groups.push_back(std::move(rows));
    }
    if (!table.groups.empty()) tables.push_back(std::move(table));
  }
  return tables;
}

}  // namespace

ChartGraph BuildChartGraph(const Engine& engine, std::optional<ChartLevel> level) {
  const ModelTables& model = engine.model;
  ChartGraph graph;
  FlowChart& chart = graph.chart;
  const Selection selection = SelectPools(engine);
  chart.selected_pools = static_cast<int32_t>(selection.pools.size());
  chart.level = level.value_or(chart.selected_pools <= kMostPoolsDrawn ? ChartLevel::kPools
                                                                       : ChartLevel::kGroups);
  const Flows flows = CollectFlows(engine);
  const std::vector<int32_t> stages = StagesInFlowOrder(model);
  const Placement placement = MakeColumnsAndBars(model, selection, flows.in_a_flow, stages, chart);
  MakeBands(model, selection, flows, placement, graph);
  SplitStagesByFlow(graph.bar_bands.leaving, chart);
  CollectStubs(model, selection, flows, placement, graph);
  chart.tables = MakeTables(model, selection, stages);
  return graph;
}

}  // namespace korav
