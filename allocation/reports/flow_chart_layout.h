// The Cost Flow Chart laid out: the cost pools (or their groups) of the
// report's ranges as bars in one column per stage, the amounts that the
// allocation moved between them as bands, and the cost that stayed
// unallocated as stubs, each with its place in pixels, its tooltip and, where
// it has room, its label; and under the chart the Stage Report's figures of
// the same pools. The page writer only draws what is decided here, so the
// chart can be checked without a browser. All texts are UTF-8 as ShownText
// makes them: no control characters, direction controls balanced; in labels
// and tooltips a text of the model with letters beyond ASCII stands in a
// direction isolate of its own, and a label cut short leaves none open.
//
// The layout comes in three pieces, each taking what the one before decided:
// flow_chart_graph.h (what is drawn), flow_chart_geometry.h (where) and
// flow_chart_labels.h (the texts that fit there).
#ifndef KORAV_ALLOCATION_REPORTS_FLOW_CHART_LAYOUT_H_
#define KORAV_ALLOCATION_REPORTS_FLOW_CHART_LAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "allocation/reports/page_style.h"
#include "allocation/reports/pool_flows.h"
#include "allocation/reports/stage_figures.h"
#include "allocation/state/engine.h"

namespace korav {

enum class ChartLevel { kPools, kGroups };

// Above this many selected pools a chart without a chosen level shows groups.
inline constexpr int32_t kMostPoolsDrawn = 60;

// Sizes in pixels that the layout's pieces and the page writer share.
inline constexpr double kBarWidth = 18;
inline constexpr double kStubLength = 26;
inline constexpr double kOutsideBandLength = 40;
inline constexpr double kColumnGap = 250;    // between one column's bars and the next's
inline constexpr double kRightMargin = 230;  // room for the last column's labels
inline constexpr double kTop = 44;           // below the column headings
inline constexpr double kLabelGap = 4;

// Lines of text drawn from the top left corner of their box.
struct ChartLabel {
  std::vector<std::string> lines;  // none: the tooltip alone names the thing
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

struct ChartBar {
  std::string code;
  std::string description;
  size_t column = 0;
  int32_t pools = 0;  // the cost pools drawn in the bar
  double value = 0;   // their values after the allocation
  double x = 0;
  double y = 0;
  double height = 0;
  std::string tooltip;
  ChartLabel label;
};

// A band is of the kind of the flows it adds up.
using BandKind = FlowKind;

// The end of a band that is no bar of the chart.
inline constexpr size_t kOutside = static_cast<size_t>(-1);

struct ChartBand {
  BandKind kind = BandKind::kAllocation;
  size_t source = kOutside;  // bar indices
  size_t target = kOutside;
  double amount = 0;
  double width = 0;
  double source_y = 0;  // the band's centre where it leaves its source
  double target_y = 0;  // and where it enters its target
  // A band whose target stands in its source's column or an earlier one
  // leaves to the right, runs back along a lane below the bars and enters
  // its target from the left, bulging out by `bulge` at either end.
  bool turns_back = false;
  double lane_y = 0;
  double bulge = 0;
  std::string tooltip;
};

// How far a band that turns back swings out beside the bars, from the side it
// leaves or enters to its outer edge. Its centre line runs there as a cubic
// Bezier curve whose two control points both stand `bulge` out, level with
// the curve's ends; such a curve reaches three quarters of that.
inline double TurnReach(const ChartBand& band) { return 0.75 * band.bulge + band.width / 2; }

// The cost that stayed in a bar of a stage of type 1 or 2.
struct ChartStub {
  size_t bar = 0;
  double amount = 0;
  double x = 0;
  double y = 0;
  double height = 0;
  std::string tooltip;
  ChartLabel label;
};

// A stage takes one column, or several when its bars allocate to each
// other: a bar stands right of the bars of its stage that allocate to it,
// and bars that allocate to each other in a loop share a column.
struct ChartColumn {
  std::string code;  // the stage's
  std::string description;
  size_t stage = 0;         // the stage's place among the chart's stages
  bool opens_stage = true;  // the stage's first column, under its heading
  double value = 0;         // the stage's cost
  double x = 0;
  std::vector<size_t> bars;  // top to bottom
  ChartLabel label;          // the heading, on the stage's first column
};

struct ChartTablePool {
  std::string code;
  std::string description;
  PoolFigures figures;
};

struct ChartTableGroup {
  std::string code;
  std::string description;
  double value = 0;
  std::vector<ChartTablePool> pools;
};

// The Stage Report's figures of one drawn stage, for the pools drawn.
struct ChartTable {
  std::string code;
  std::string description;
  bool passes_on = true;  // a reporting stage (type 4) has no totals
  std::vector<ChartTableGroup> groups;
  StageSums sums;
};

struct FlowChart {
  ChartLevel level = ChartLevel::kPools;
  int32_t selected_pools = 0;
  std::vector<ChartColumn> columns;  // in stage code order
  std::vector<ChartBar> bars;
  std::vector<ChartBand> bands;
  std::vector<ChartStub> stubs;
  std::vector<ChartTable> tables;
  double scale = 0;  // pixels per unit of cost
  double width = 0;
  double height = 0;
};

// Lays out the pools that engine.report_ranges select and that stand in a
// stage, at `level`, or without one at pools when at most kMostPoolsDrawn
// are selected and else at groups.
FlowChart LayOutFlowChart(const Engine& engine, std::optional<ChartLevel> level);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_FLOW_CHART_LAYOUT_H_
