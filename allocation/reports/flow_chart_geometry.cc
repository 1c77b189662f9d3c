#include "allocation/reports/flow_chart_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace korav {
namespace {

constexpr double kSideMargin = 16;
constexpr double kBarGap = 12;
constexpr double kPixelsPerBar = 36;  // plot height per bar of the fullest column
constexpr double kLabelledBarHeight = 2 * kLineHeight + 2;
constexpr double kLeastPlotHeight = 420;
constexpr double kMostPlotHeight = 12000;
constexpr double kLeastBarHeight = 2;
constexpr double kLeastBandWidth = 1;
constexpr double kUnallocatedBandWidth = 1.5;
constexpr double kLaneGap = 8;
constexpr double kLeastBulge = 30;
constexpr int kSweeps = 4;

// The cost a bar must have room for: its value, or all that enters or leaves
// it when that is more.
std::vector<double> Extents(const FlowChart& chart) {
  std::vector<double> in(chart.bars.size(), 0.0);
  std::vector<double> out(chart.bars.size(), 0.0);
  for (const ChartBand& band : chart.bands) {
    if (band.source != kOutside) out[band.source] += std::fabs(band.amount);
    if (band.target != kOutside) in[band.target] += std::fabs(band.amount);
  }
  for (const ChartStub& stub : chart.stubs) out[stub.bar] += std::fabs(stub.amount);
  std::vector<double> extents(chart.bars.size());
  for (size_t bar = 0; bar < extents.size(); ++bar) {
    extents[bar] = std::max({std::fabs(chart.bars[bar].value), in[bar], out[bar]});
  }
  return extents;
}

// The room a column's bars take besides their cost.
double FixedHeight(const ChartColumn& column) {
  const auto bars = static_cast<double>(column.bars.size());
  return (bars - 1) * kBarGap + bars * kLeastBarHeight;
}

// The plot is high enough for the middle bar by cost to carry a label of two
// lines, and for the fullest column's bars.
double PlotHeight(const FlowChart& chart, const std::vector<double>& extents) {
  std::vector<double> sorted;
  for (const double extent : extents) {
    if (extent > 0) sorted.push_back(extent);
  }
  std::sort(sorted.begin(), sorted.end());
  const double wanted = sorted.empty() ? 0 : kLabelledBarHeight / sorted[sorted.size() / 2];
  size_t most_bars = 0;
  double height = 0;
  for (const ChartColumn& column : chart.columns) {
    most_bars = std::max(most_bars, column.bars.size());
    double total = 0;
    for (const size_t bar : column.bars) total += extents[bar];
    height = std::max(height, FixedHeight(column) + total * wanted);
  }
  return std::clamp(std::max(height, static_cast<double>(most_bars) * kPixelsPerBar),
                    kLeastPlotHeight, kMostPlotHeight);
}

// One scale for the whole chart, at which the fullest column fills the plot;
// the heights of bars and stubs and the widths of bands follow from it.
void Scale(const std::vector<double>& extents, double plot_height, FlowChart& chart) {
  double scale = 0;
  for (const ChartColumn& column : chart.columns) {
    double total = 0;
    for (const size_t bar : column.bars) total += extents[bar];
    if (total <= 0) continue;
    const double column_scale = std::max(plot_height - FixedHeight(column), 0.0) / total;
    if (scale == 0 || column_scale < scale) scale = column_scale;
  }
  chart.scale = scale;
  for (size_t bar = 0; bar < chart.bars.size(); ++bar) {
    chart.bars[bar].height = std::max(extents[bar] * scale, kLeastBarHeight);
  }
  for (ChartBand& band : chart.bands) {
    band.width = band.kind == BandKind::kNotAllocated
                     ? kUnallocatedBandWidth
                     : std::max(std::fabs(band.amount) * scale, kLeastBandWidth);
    band.bulge = band.width + kLeastBulge;
  }
  for (ChartStub& stub : chart.stubs) {
    stub.height = std::max(std::fabs(stub.amount) * scale, kLeastBandWidth);
  }
}

// Puts the column's bars under each other, the column centred in the plot.
void Stack(double plot_height, ChartColumn& column, FlowChart& chart) {
  double used = static_cast<double>(column.bars.size() - 1) * kBarGap;
  for (const size_t bar : column.bars) used += chart.bars[bar].height;
  double y = kTop + (plot_height - used) / 2;
  for (const size_t bar : column.bars) {
    chart.bars[bar].y = y;
    y += chart.bars[bar].height + kBarGap;
  }
}

double Centre(const FlowChart& chart, size_t bar) {
  return chart.bars[bar].y + chart.bars[bar].height / 2;
}

// Orders column `c` by the mean height, weighted by band width, of the bars
// its bars receive from (`from_left`) or send to in the columns on that side;
// a bar without such bands keeps its place as its key.
void OrderByNeighbours(const BarBands& bar_bands, double plot_height, size_t c, bool from_left,
                       FlowChart& chart) {
  ChartColumn& column = chart.columns[c];
  std::vector<std::pair<double, size_t>> keyed;
  for (const size_t bar : column.bars) {
    double weighted = 0;
    double weights = 0;
    for (const size_t index : from_left ? bar_bands.entering[bar] : bar_bands.leaving[bar]) {
      const ChartBand& band = chart.bands[index];
      const size_t other = from_left ? band.source : band.target;
      if (other == kOutside) continue;
      const size_t other_column = chart.bars[other].column;
      if (from_left ? other_column >= c : other_column <= c) continue;
      weighted += band.width * Centre(chart, other);
      weights += band.width;
    }
    keyed.emplace_back(weights > 0 ? weighted / weights : Centre(chart, bar), bar);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < keyed.size(); ++i) column.bars[i] = keyed[i].second;
  Stack(plot_height, column, chart);
}

// Stacks the bands on each side of each bar from its top: leaving, those to
// bars further right by the height of their target, then those to pools
// outside the chart, then those turning back, then the stub; entering, those
// from outside, then those from the left by the height of their source, then
// those turning back.
void PlaceBandEnds(const BarBands& bar_bands, FlowChart& chart) {
  const auto leaving_key = [&chart](size_t index) -> std::pair<int, double> {
    const ChartBand& band = chart.bands[index];
    if (band.turns_back) return {2, static_cast<double>(index)};
    if (band.target == kOutside) return {1, static_cast<double>(index)};
    return {0, Centre(chart, band.target)};
  };
  const auto entering_key = [&chart](size_t index) -> std::pair<int, double> {
    const ChartBand& band = chart.bands[index];
    if (band.turns_back) return {2, static_cast<double>(index)};
    if (band.source == kOutside) return {0, static_cast<double>(index)};
    return {1, Centre(chart, band.source)};
  };
  const auto by = [](const auto& key) {
    return [&key](size_t a, size_t b) { return key(a) < key(b); };
  };
  for (size_t bar = 0; bar < chart.bars.size(); ++bar) {
    std::vector<size_t> leaving = bar_bands.leaving[bar];
    std::stable_sort(leaving.begin(), leaving.end(), by(leaving_key));
    double y = chart.bars[bar].y;
    for (const size_t band : leaving) {
      chart.bands[band].source_y = y + chart.bands[band].width / 2;
      y += chart.bands[band].width;
    }
    if (bar_bands.stub[bar] != kOutside) chart.stubs[bar_bands.stub[bar]].y = y;
    std::vector<size_t> entering = bar_bands.entering[bar];
    std::stable_sort(entering.begin(), entering.end(), by(entering_key));
    y = chart.bars[bar].y;
    for (const size_t band : entering) {
      chart.bands[band].target_y = y + chart.bands[band].width / 2;
      y += chart.bands[band].width;
    }
  }
}

// Columns from the left margin, which leaves room for the bands that turn
// back or come from outside; lanes under the plot, one per band turning
// back; and the size of the whole.
void PlaceLanesAndSize(double plot_height, FlowChart& chart) {
  double left = kOutsideBandLength;
  double right = kRightMargin;
  double lane = kTop + plot_height + kSideMargin;
  for (ChartBand& band : chart.bands) {
    if (!band.turns_back) continue;
    const double reach = TurnReach(band);
    left = std::max(left, reach);
    right = std::max(right, reach);
    band.lane_y = lane + band.width / 2;
    lane += band.width + kLaneGap;
  }
  left += kSideMargin;
  for (size_t c = 0; c < chart.columns.size(); ++c) {
    const double x = left + static_cast<double>(c) * (kBarWidth + kColumnGap);
    chart.columns[c].x = x;
    for (const size_t bar : chart.columns[c].bars) chart.bars[bar].x = x;
  }
  for (ChartStub& stub : chart.stubs) stub.x = chart.bars[stub.bar].x + kBarWidth;
  const double columns = static_cast<double>(chart.columns.size());
  chart.width = left + columns * kBarWidth + (columns - 1) * kColumnGap + right;
  chart.height = lane + kSideMargin;
}

}  // namespace

void PlaceShapes(const BarBands& bar_bands, FlowChart& chart) {
  const std::vector<double> extents = Extents(chart);
  const double plot_height = PlotHeight(chart, extents);
  Scale(extents, plot_height, chart);
  for (ChartColumn& column : chart.columns) Stack(plot_height, column, chart);
  for (int sweep = 0; sweep < kSweeps; ++sweep) {
    for (size_t c = 1; c < chart.columns.size(); ++c) {
      OrderByNeighbours(bar_bands, plot_height, c, true, chart);
    }
    for (size_t c = chart.columns.size(); c-- > 1;) {
      OrderByNeighbours(bar_bands, plot_height, c - 1, false, chart);
    }
  }
  PlaceBandEnds(bar_bands, chart);
  PlaceLanesAndSize(plot_height, chart);
}

}  // namespace korav
