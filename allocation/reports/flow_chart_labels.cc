#include "allocation/reports/flow_chart_labels.h"

#include <algorithm>
#include <string>

#include "allocation/reports/page_style.h"
#include "common/numbers.h"

namespace korav {
namespace {

std::string Named(const std::string& code, const std::string& description) {
  return description.empty() ? SvgIsolated(code)
                             : SvgIsolated(code) + " " + SvgIsolated(description);
}

std::string ShareText(double amount, double whole, const std::string& of) {
  if (whole == 0) return "";
  return ", " + FormatGrouped(amount / whole * 100) + " % of " + of;
}

bool Overlap(const ChartLabel& a, const ChartLabel& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::string EndName(const FlowChart& chart, const BandEnd& end) {
  if (end.bar != kOutside) return Named(chart.bars[end.bar].code, chart.bars[end.bar].description);
  return Named(end.code, end.description) + " (not in this chart)";
}

std::string EndCode(const FlowChart& chart, const BandEnd& end) {
  return SvgIsolated(end.bar != kOutside ? chart.bars[end.bar].code : end.code);
}

double EndValue(const FlowChart& chart, const BandEnd& end) {
  return end.bar != kOutside ? chart.bars[end.bar].value : end.value;
}

bool IsGroup(const FlowChart& chart, const BandEnd& end) {
  return end.bar != kOutside ? chart.level == ChartLevel::kGroups : end.group;
}

void WriteTooltips(const std::vector<std::pair<BandEnd, BandEnd>>& band_ends, FlowChart& chart) {
  for (const ChartColumn& column : chart.columns) {
    for (const size_t index : column.bars) {
      ChartBar& bar = chart.bars[index];
      std::string name = Named(bar.code, bar.description);
      if (chart.level == ChartLevel::kGroups) {
        name += ", " + std::to_string(bar.pools) + (bar.pools == 1 ? " cost pool" : " cost pools");
      }
      bar.tooltip = name + "\nStage " + Named(column.code, column.description) + "\nCost " +
                    FormatGrouped(bar.value);
    }
  }
  for (size_t i = 0; i < chart.bands.size(); ++i) {
    ChartBand& band = chart.bands[i];
    const auto& [source, target] = band_ends[i];
    const std::string route =
        EndName(chart, source) + " \xE2\x86\x92 " + EndName(chart, target) + "\n";
    const std::string share =
        ShareText(band.amount, EndValue(chart, source), EndCode(chart, source));
    switch (band.kind) {
      case BandKind::kAllocation:
        band.tooltip = route + FormatGrouped(band.amount) + share;
        break;
      case BandKind::kVariance:
        band.tooltip = route + "Variance " + FormatGrouped(band.amount) + share;
        break;
      case BandKind::kNotAllocated:
        band.tooltip =
            route + "Not allocated: " +
            (IsGroup(chart, source)
                 ? "pools of " + EndCode(chart, source) + " have not allocated their cost"
                 : EndCode(chart, source) + " has not allocated its cost");
        break;
    }
  }
  for (ChartStub& stub : chart.stubs) {
    const ChartBar& bar = chart.bars[stub.bar];
    stub.tooltip = Named(bar.code, bar.description) + "\nUnallocated " +
                   FormatGrouped(stub.amount) +
                   ShareText(stub.amount, bar.value, SvgIsolated(bar.code));
  }
}

// The labels placed so far, which a label placed later must clear.
class LabelPlacer {
 public:
  // Sets `label` to the first of `choices` that fits between `top` and
  // `bottom` without overlapping a label placed before; else leaves it
  // without lines.
  void Place(ChartLabel& label, double x, double top, double bottom, double room,
             const std::vector<std::vector<std::string>>& choices) {
    for (const std::vector<std::string>& choice : choices) {
      const double height = static_cast<double>(choice.size()) * kLineHeight;
      if (bottom - top < height) continue;
      ChartLabel candidate;
      for (const std::string& line : choice) candidate.lines.push_back(FitLine(line, room));
      candidate.x = x;
      candidate.y = top + (bottom - top - height) / 2;
      candidate.width = LinesWidth(candidate.lines);
      candidate.height = height;
      const auto clashes = [&](const ChartLabel* placed) { return Overlap(*placed, candidate); };
      if (std::any_of(placed_.begin(), placed_.end(), clashes)) continue;
      label = std::move(candidate);
      placed_.push_back(&label);
      return;
    }
  }

  void Unplace(ChartLabel& label) {
    placed_.erase(std::remove(placed_.begin(), placed_.end(), &label), placed_.end());
    label = ChartLabel{};
  }

 private:
  std::vector<const ChartLabel*> placed_;
};

double LabelRoom(const FlowChart& chart, size_t column) {
  const bool last = column + 1 == chart.columns.size();
  return (last ? kRightMargin : kColumnGap) - kStubLength - 3 * kLabelGap;
}

// Labels beside the bars and stubs, where they fit inside the height of what
// they name and clear every other label. A bar's label stands above its stub
// and the stub's label in the stub; where there is no room for both, the
// stub's amount becomes a line of the bar's label.
void PlaceLabels(const std::vector<size_t>& stubs, FlowChart& chart) {
  LabelPlacer placer;
  for (size_t c = 0; c < chart.columns.size(); ++c) {
    ChartColumn& column = chart.columns[c];
    if (!column.opens_stage) continue;
    size_t end = c + 1;
    while (end < chart.columns.size() && !chart.columns[end].opens_stage) ++end;
    const double last = end == chart.columns.size() ? kRightMargin : kColumnGap;
    const double room =
        static_cast<double>(end - c - 1) * (kBarWidth + kColumnGap) + last - kLabelGap;
    placer.Place(column.label, column.x, 0, kTop - kLabelGap, room,
                 {{Named(column.code, column.description), FormatGrouped(column.value)}});
  }
  for (size_t index = 0; index < chart.bars.size(); ++index) {
    ChartBar& bar = chart.bars[index];
    const std::string name = Named(bar.code, bar.description);
    const std::string amount = FormatGrouped(bar.value);
    const std::string code = SvgIsolated(bar.code);
    const std::string code_amount = code + " " + amount;
    const double room = LabelRoom(chart, bar.column);
    const double bottom = bar.y + bar.height;
    if (stubs[index] == kOutside) {
      placer.Place(bar.label, bar.x + kBarWidth + kLabelGap, bar.y, bottom, room,
                   {{name, amount}, {code_amount}, {code}});
      continue;
    }
    ChartStub& stub = chart.stubs[stubs[index]];
    const std::string unallocated = "unallocated " + FormatGrouped(stub.amount);
    const double x = stub.x + kStubLength + kLabelGap;
    const auto place_stub_label = [&] {
      placer.Place(stub.label, x, stub.y, stub.y + stub.height, room, {{unallocated}});
    };
    placer.Place(bar.label, x, bar.y, stub.y, room, {{name, amount}, {code_amount}, {code}});
    if (!bar.label.lines.empty()) place_stub_label();
    if (!bar.label.lines.empty() && !stub.label.lines.empty()) continue;
    placer.Unplace(bar.label);
    placer.Unplace(stub.label);
    placer.Place(bar.label, x, bar.y, bottom, room,
                 {{name, amount, unallocated}, {code_amount, unallocated}});
    if (!bar.label.lines.empty()) continue;
    placer.Place(bar.label, x, bar.y, bottom, room, {{name, amount}, {code_amount}, {code}});
    place_stub_label();
  }
}

}  // namespace

void WriteTexts(const std::vector<std::pair<BandEnd, BandEnd>>& band_ends,
                const std::vector<size_t>& stubs, FlowChart& chart) {
  WriteTooltips(band_ends, chart);
  PlaceLabels(stubs, chart);
}

}  // namespace korav
