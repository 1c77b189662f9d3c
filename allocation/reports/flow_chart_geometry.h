// The second piece of the Cost Flow Chart's layout: every shape's place and
// size. One scale turns cost into pixels for the whole chart; each column's
// bars are stacked and ordered to keep the bands between columns short; the
// bands are stacked on the sides of their bars, those that turn back get a
// lane below the plot, and the columns stand far enough apart for the labels.
#ifndef KORAV_ALLOCATION_REPORTS_FLOW_CHART_GEOMETRY_H_
#define KORAV_ALLOCATION_REPORTS_FLOW_CHART_GEOMETRY_H_

#include "allocation/reports/flow_chart_graph.h"
#include "allocation/reports/flow_chart_layout.h"

namespace korav {

// Reads the columns, bars, bands and stubs of `chart` as BuildChartGraph
// leaves them, with `bar_bands` saying which bands and stub each bar has.
// Reorders each column's bars and sets the chart's scale, width and height,
// every column's x, every bar's place and height, every band's width, bulge,
// ends and lane, and every stub's place and height.
void PlaceShapes(const BarBands& bar_bands, FlowChart& chart);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_FLOW_CHART_GEOMETRY_H_
