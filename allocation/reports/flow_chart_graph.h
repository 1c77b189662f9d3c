// The first piece of the Cost Flow Chart's layout: what the chart shows,
// before anything of it has a place, a size or a text. It selects the pools,
// adds up what the allocation moved between them into bands, puts the bars
// into columns by stage and by the flow within each stage, and finds the
// cost that stayed in each bar.
#ifndef KORAV_ALLOCATION_REPORTS_FLOW_CHART_GRAPH_H_
#define KORAV_ALLOCATION_REPORTS_FLOW_CHART_GRAPH_H_

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "allocation/reports/flow_chart_layout.h"
#include "allocation/state/engine.h"

namespace korav {

// One end of a band as its tooltip names it: a bar of the chart, or the pool
// or group outside the chart that the band comes from or goes to.
struct BandEnd {
  size_t bar = kOutside;
  // Outside the chart: a group (at the group level, one without a bar) or a
  // pool, its code and description as shown, and its value.
  bool group = false;
  std::string code;
  std::string description;
  double value = 0;
};

// Which bands and stub each bar has, by index into the chart's bands and
// stubs.
struct BarBands {
  std::vector<std::vector<size_t>> entering;  // per bar, in band order
  std::vector<std::vector<size_t>> leaving;
  std::vector<size_t> stub;  // per bar: its stub, or kOutside
};

struct ChartGraph {
  // The level and the number of pools selected; the columns, each with its
  // bars in code order; the bars with their names, column, pools and value;
  // the bands with their kind, ends, amount and whether they turn back; the
  // stubs with their bar and amount; and the tables.
  FlowChart chart;
  BarBands bar_bands;
  std::vector<std::pair<BandEnd, BandEnd>> band_ends;  // per band: source, target
};

// The chart of the pools that engine.report_ranges select and that stand in
// a stage, at `level`, or without one at pools when at most kMostPoolsDrawn
// are selected and else at groups.
ChartGraph BuildChartGraph(const Engine& engine, std::optional<ChartLevel> level);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_FLOW_CHART_GRAPH_H_
