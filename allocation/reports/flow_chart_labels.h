// The last piece of the Cost Flow Chart's layout: the texts. Every bar, band
// and stub gets its tooltip; the column headings, bars and stubs get labels
// where they have room and clear every other label.
#ifndef KORAV_ALLOCATION_REPORTS_FLOW_CHART_LABELS_H_
#define KORAV_ALLOCATION_REPORTS_FLOW_CHART_LABELS_H_

#include <utility>
#include <vector>

#include "allocation/reports/flow_chart_graph.h"
#include "allocation/reports/flow_chart_layout.h"

namespace korav {

// Reads `chart` with every shape placed (PlaceShapes), `band_ends` naming
// each band's ends and `stubs` each bar's stub (or kOutside). Sets the
// tooltips of the bars, bands and stubs and the labels of the columns, bars
// and stubs.
void WriteTexts(const std::vector<std::pair<BandEnd, BandEnd>>& band_ends,
                const std::vector<size_t>& stubs, FlowChart& chart);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_FLOW_CHART_LABELS_H_
