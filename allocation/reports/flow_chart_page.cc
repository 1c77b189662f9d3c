// The Cost Flow Chart (41): one self-contained HTML page with the chart as
// inline SVG and, under it, the Stage Report's figures of the pools drawn.
// The page loads nothing: no script, no font, no style sheet from elsewhere,
// so that it opens from a file in any browser and can be mailed on.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "allocation/reports/flow_chart_layout.h"
#include "allocation/reports/page_style.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "allocation/state/run_label.h"
#include "common/numbers.h"
#include "common/text_encoding.h"

namespace korav {
namespace {

// Column 7: "P" cost pools, "G" groups, empty for the choice by count.
std::optional<ChartLevel> RequestedLevel(Engine& engine) {
  const std::string_view level = engine.csv[7];
  if (level == "P" || level == "p") return ChartLevel::kPools;
  if (level == "G" || level == "g") return ChartLevel::kGroups;
  if (!level.empty()) {
    engine.LogLine(
        "e406 REP; Chart level not valid; give P for cost pools, G for groups or "
        "leave it empty; Level=" +
        std::string(level));
  }
  return std::nullopt;
}

class ChartPage {
 public:
  ChartPage(Engine& engine, const FlowChart& chart) : engine_(engine), chart_(chart) {}

  void Write() {
    Line("<!DOCTYPE html>");
    Line("<html lang=\"en\">");
    Line("<head>");
    Line("<meta charset=\"utf-8\">");
    // A page title holds text only, so the label stands there without its
    // isolate.
    Line("<title>" + Heading(Markup::kText) + "</title>");
    Line("<style>" + PageStyle() + "</style>");
    Line("</head>");
    Line("<body>");
    // The figures below are no allocation's result, or do not add up.
    const std::string note = AllocationNote(engine_);
    if (!note.empty()) Line("<p class=\"banner\" role=\"alert\">" + EscapedHtml(note) + "</p>");
    WriteHeading();
    if (chart_.bars.empty()) {
      Line("<p>No cost pool of a stage lies within the report's ranges.</p>");
    } else {
      WriteChart();
      WriteLegend();
    }
    for (const ChartTable& table : chart_.tables) WriteTable(table);
    Line("</body>");
    Line("</html>");
  }

 private:
  void Line(std::string_view text) { engine_.report_output.WriteLine(text); }

  // Each stage's bars, and the bands leaving them, have the stage's colour.
  std::string_view StageColour(const ChartBar& bar) const {
    return kStageColours[chart_.columns[bar.column].stage % kStageColours.size()];
  }

  // "Cost Flow Chart", and after a dash the run's label, when it has one:
  // isolated among the page's words, as text alone in the page's title.
  enum class Markup { kIsolated, kText };
  std::string Heading(Markup markup) const {
    const std::string_view label = RunLabel(engine_);
    if (label.empty()) return "Cost Flow Chart";
    const std::string shown = ShownText(label);
    return "Cost Flow Chart &#8211; " +
           (markup == Markup::kIsolated ? HtmlIsolated(shown) : EscapedHtml(shown));
  }

  void WriteHeading() {
    Line("<h1>" + Heading(Markup::kIsolated) + "</h1>");
    const std::string& description = engine_.options.model_description;
    if (!description.empty())
      Line("<p class=\"about\">" + HtmlIsolated(ShownText(description)) + "</p>");
    Line("<p class=\"about\">Run " + EscapedHtml(engine_.state.started) + " of " +
         HtmlIsolated(ShownText(engine_.paths.run_file)) + "</p>");
    const std::string bars = std::to_string(chart_.bars.size());
    const std::string selected = std::to_string(chart_.selected_pools);
    const std::string shown =
        chart_.level == ChartLevel::kPools
            ? "Cost pools drawn: " + bars + " of " + selected + " selected"
            : "Groups drawn: " + bars + ", holding " + selected + " selected cost pools";
    Line("<p class=\"about\">" + shown + RangesText() + "; written " +
         EscapedHtml(engine_.host.DateTime()) + "</p>");
  }

  std::string RangesText() const {
    static constexpr std::array<std::string_view, 3> kNames = {"stages ", "groups ", "pools "};
    std::string text;
    for (int column = 4; column <= 6; ++column) {
      const std::string_view range = engine_.csv[column];
      if (range.empty()) continue;
      text += (text.empty() ? "; " : ", ") + std::string(kNames[static_cast<size_t>(column - 4)]) +
              HtmlIsolated(ShownText(range));
    }
    return text;
  }

  void WriteChart() {
    Line("<svg width=\"" + Px(chart_.width) + "\" height=\"" + Px(chart_.height) +
         "\" viewBox=\"0 0 " + Px(chart_.width) + " " + Px(chart_.height) +
         "\" role=\"img\" aria-label=\"Cost flow chart\">");
    Line(
        "<defs><pattern id=\"unallocated\" width=\"6\" height=\"6\" "
        "patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
        "<rect width=\"6\" height=\"6\" fill=\"#e4e4e4\"/>"
        "<rect width=\"2\" height=\"6\" fill=\"#9a9a9a\"/></pattern></defs>");
    Line("<g>");
    for (const ChartBand& band : chart_.bands) WriteBand(band);
    Line("</g>");
    Line("<g>");
    for (const ChartBar& bar : chart_.bars) {
      Line("<rect class=\"bar\" x=\"" + Px(bar.x) + "\" y=\"" + Px(bar.y) + "\" width=\"" +
           Px(kBarWidth) + "\" height=\"" + Px(bar.height) + "\" fill=\"" +
           std::string(StageColour(bar)) + "\">" + SvgTitle(bar.tooltip) + "</rect>");
    }
    for (const ChartStub& stub : chart_.stubs) {
      Line("<rect class=\"stub\" x=\"" + Px(stub.x) + "\" y=\"" + Px(stub.y) + "\" width=\"" +
           Px(kStubLength) + "\" height=\"" + Px(stub.height) + "\" fill=\"url(#unallocated)\">" +
           SvgTitle(stub.tooltip) + "</rect>");
    }
    Line("</g>");
    Line("<g>");
    for (const ChartColumn& column : chart_.columns) WriteLabel(column.label, " class=\"heading\"");
    for (const ChartBar& bar : chart_.bars) WriteLabel(bar.label, "");
    for (const ChartStub& stub : chart_.stubs) WriteLabel(stub.label, "");
    Line("</g>");
    Line("</svg>");
  }

  void WriteBand(const ChartBand& band) {
    std::string colour(kOutsideColour);
    if (band.kind == BandKind::kVariance) {
      colour = kVarianceColour;
    } else if (band.kind == BandKind::kNotAllocated) {
      colour = kNotAllocatedColour;
    } else if (band.source != kOutside && band.target != kOutside) {
      colour = StageColour(chart_.bars[band.source]);
    }
    std::string attributes = " stroke=\"" + colour + "\" stroke-width=\"" + Px(band.width) + "\"";
    const bool none = band.kind == BandKind::kNotAllocated;
    if (none) attributes += " stroke-dasharray=\"5 3\"";
    Line(std::string("<path class=\"band") + (none ? " none" : "") + "\" d=\"" + PathOf(band) +
         "\"" + attributes + ">" + SvgTitle(band.tooltip) + "</path>");
  }

  // The band's centre line, from where it leaves its source to where it
  // enters its target.
  std::string PathOf(const ChartBand& band) const {
    if (band.target == kOutside) {
      const double x = chart_.bars[band.source].x + kBarWidth;
      return "M" + Px(x) + " " + Px(band.source_y) + "h" + Px(kOutsideBandLength);
    }
    const double xt = chart_.bars[band.target].x;
    if (band.source == kOutside) {
      return "M" + Px(xt - kOutsideBandLength) + " " + Px(band.target_y) + "H" + Px(xt);
    }
    const double xs = chart_.bars[band.source].x + kBarWidth;
    const double ys = band.source_y;
    const double yt = band.target_y;
    if (!band.turns_back) {
      const double xm = (xs + xt) / 2;
      return "M" + Px(xs) + " " + Px(ys) + "C" + Px(xm) + " " + Px(ys) + " " + Px(xm) + " " +
             Px(yt) + " " + Px(xt) + " " + Px(yt);
    }
    const double lane = band.lane_y;
    const double out = xs + band.bulge;
    const double in = xt - band.bulge;
    return "M" + Px(xs) + " " + Px(ys) + "C" + Px(out) + " " + Px(ys) + " " + Px(out) + " " +
           Px(lane) + " " + Px(xs) + " " + Px(lane) + "H" + Px(xt) + "C" + Px(in) + " " + Px(lane) +
           " " + Px(in) + " " + Px(yt) + " " + Px(xt) + " " + Px(yt);
  }

  void WriteLabel(const ChartLabel& label, std::string_view attributes) {
    if (label.lines.empty()) return;
    std::string text = "<text" + std::string(attributes) + ">";
    for (size_t i = 0; i < label.lines.size(); ++i) {
      // A line's baseline lies a font size below the top of its box.
      const double baseline = label.y + static_cast<double>(i) * kLineHeight + kFontSize;
      text += "<tspan x=\"" + Px(label.x) + "\" y=\"" + Px(baseline) + "\">" +
              EscapedHtml(label.lines[i]) + "</tspan>";
    }
    Line(text + "</text>");
  }

  void WriteLegend() {
    const auto swatch = [](std::string_view style, std::string_view text) {
      return "<span class=\"key\"><i style=\"" + std::string(style) + "\"></i>" +
             std::string(text) + "</span>";
    };
    Line("<p class=\"legend\"><span class=\"key\">Bars: cost of each " +
         std::string(chart_.level == ChartLevel::kPools ? "cost pool" : "group") +
         ";</span><span class=\"key\">bands: amounts allocated, coloured by their source's "
         "stage;</span>" +
         swatch("background:" + std::string(kVarianceColour) + ";opacity:.6", "variance") +
         swatch("border-top:2px dashed " + std::string(kNotAllocatedColour) + ";height:0",
                "not allocated") +
         swatch("background:repeating-linear-gradient(45deg,#9a9a9a 0 2px,#e4e4e4 2px 6px)",
                "unallocated") +
         swatch("background:" + std::string(kOutsideColour) + ";opacity:.6",
                "to or from pools not in this chart") +
         "</p>");
  }

  static std::string Cell(const std::optional<double>& figure) {
    return "<td class=\"n\">" + (figure ? FormatGrouped(*figure) : std::string()) + "</td>";
  }

  void WriteTable(const ChartTable& table) {
    Line("<h2>Stage " + HtmlIsolated(table.code) + " " + HtmlIsolated(table.description) + "</h2>");
    Line("<table>");
    Line(
        "<tr><th>Pool</th><th>Description</th><th class=\"n\">Cost</th>"
        "<th class=\"n\">Allocated</th><th class=\"n\">Unallocated</th>"
        "<th class=\"n\">Variance</th><th class=\"n\">Unallocated variance</th></tr>");
    for (const ChartTableGroup& group : table.groups) {
      Line("<tr class=\"group\"><td>" + HtmlIsolated(group.code) + "</td><td>" +
           HtmlIsolated(group.description) + "</td>" + Cell(group.value) +
           "<td colspan=\"4\"></td></tr>");
      for (const ChartTablePool& pool : group.pools) {
        const PoolFigures& f = pool.figures;
        Line("<tr><td>" + HtmlIsolated(pool.code) + "</td><td>" + HtmlIsolated(pool.description) +
             "</td>" + Cell(f.actual) + Cell(f.allocated) + Cell(f.unallocated) +
             Cell(f.allocation_variance) + Cell(f.unallocated_variance) + "</tr>");
      }
    }
    if (table.passes_on) {
      const StageSums& s = table.sums;
      Line("<tr class=\"total\"><td>Total</td><td></td>" + Cell(s.actual) + Cell(s.allocated) +
           Cell(s.unallocated) + Cell(s.allocation_variance) + Cell(s.unallocated_variance) +
           "</tr>");
      Line("<tr><td>Passed on</td><td></td>" + Cell(s.PassedOn()) + "<td colspan=\"4\"></td></tr>");
    }
    Line("</table>");
  }

  Engine& engine_;
  const FlowChart& chart_;
};

}  // namespace

void WriteCostFlowChart(Engine& engine) {
  SetReportRanges(engine);
  const std::optional<ChartLevel> level = RequestedLevel(engine);
  const FlowChart chart = LayOutFlowChart(engine, level);
  ChartPage(engine, chart).Write();
}

}  // namespace korav
