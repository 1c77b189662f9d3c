#include "allocation/reports/flow_chart_layout.h"

#include <utility>

#include "allocation/reports/flow_chart_geometry.h"
#include "allocation/reports/flow_chart_graph.h"
#include "allocation/reports/flow_chart_labels.h"

namespace korav {

// Each piece takes what the one before it decided: what is drawn, then where,
// then the texts that fit there.
FlowChart LayOutFlowChart(const Engine& engine, std::optional<ChartLevel> level) {
  ChartGraph graph = BuildChartGraph(engine, level);
  PlaceShapes(graph.bar_bands, graph.chart);
  WriteTexts(graph.band_ends, graph.bar_bands.stub, graph.chart);
  return std::move(graph.chart);
}

}  // namespace korav
