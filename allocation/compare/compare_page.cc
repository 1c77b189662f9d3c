// compare.html: the comparison for a person, on one self-contained page in
// the Cost Flow Chart's style (page_style.h). It loads nothing and needs no
// script: the charts are inline SVG, the figures tables.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/compare/compare_files.h"
#include "allocation/reports/page_style.h"
#include "common/text_encoding.h"

namespace korav {
namespace {

constexpr size_t kMostBars = 12;
constexpr size_t kMostSteppedSenders = 8;

// The rows of the page's charts: a label, a bar along the plot and a figure.
constexpr double kLabelWidth = 260;
constexpr double kPlotWidth = 520;
constexpr double kFigureWidth = 110;
constexpr double kRowHeight = 20;
constexpr double kBarHeight = 13;
constexpr double kChartMargin = 6;
constexpr double kTextGap = 4;

// Cost that went up is unfavourable, as the variance reports show it.
constexpr std::string_view kIncreaseColour = kVarianceColour;
constexpr std::string_view kDecreaseColour = kStageColours[1];
constexpr std::string_view kCostColour = kStageColours[0];
constexpr std::string_view kShareColour = kStageColours[2];
constexpr std::string_view kOwnColour = kStageColours[4];
constexpr std::string_view kChangeColour = kNotAllocatedColour;

double Units(Cents cents) { return static_cast<double>(cents) / 100; }

// "-1,234.50": cents with a "," between each group of three digits.
std::string Grouped(Cents cents) {
  std::string text = CentsText(cents);
  const size_t digits_begin = text.front() == '-' ? 1 : 0;
  for (size_t at = text.size() - 3; at > digits_begin + 3; at -= 3) text.insert(at - 3, ",");
  return text;
}

std::string Signed(Cents cents) { return (cents > 0 ? "+" : "") + Grouped(cents); }

std::string Figure(const std::optional<Cents>& cents) {
  return cents ? Grouped(*cents) : std::string();
}

std::string Swatch(std::string_view colour, std::string_view text) {
  return "<span class=\"key\"><i style=\"background:" + std::string(colour) + "\"></i>" +
         std::string(text) + "</span>";
}

// A pool or sender as it stands in SVG: code, then description.
std::string SvgNamed(const std::string& code, const std::string& description) {
  const std::string named = SvgIsolated(ShownText(code));
  return description.empty() ? named : named + " " + SvgIsolated(ShownText(description));
}

std::string HtmlNamed(const std::string& code, const std::string& description) {
  const std::string named = HtmlIsolated(ShownText(code));
  return description.empty() ? named : named + " " + HtmlIsolated(ShownText(description));
}

// One row of a chart: a bar from `from` to `to` (none when they are equal),
// its label on the left and its figure on the right.
struct BarRow {
  std::string label;  // SVG text, isolated, not escaped
  std::string tooltip;
  double from = 0;
  double to = 0;
  std::string_view colour;
  std::string figure;
};

class ComparePage {
 public:
  ComparePage(const Comparison& comparison, OutputFile& file)
      : comparison_(comparison), file_(file) {}

  void Write() {
    Line("<!DOCTYPE html>");
    Line("<html lang=\"en\">");
    Line("<head>");
    Line("<meta charset=\"utf-8\">");
    Line("<title>Run Comparison &#8211; " + EscapedHtml(ShownText(comparison_.a.label)) +
         " &#8594; " + EscapedHtml(ShownText(comparison_.b.label)) + "</title>");
    Line("<style>" + PageStyle() + "</style>");
    Line("</head>");
    Line("<body>");
    WriteNotes("A", comparison_.a);
    WriteNotes("B", comparison_.b);
    WriteHeading();
    WriteLargestChanges();
    WriteEffects();
    WritePoolTable();
    WriteOneSided();
    Line("</body>");
    Line("</html>");
  }

 private:
  void Line(std::string_view text) { file_.WriteLine(text); }

  std::string Label(const RunSide& side) const { return HtmlIsolated(ShownText(side.label)); }

  // What the reader must know before believing a run's figures.
  void WriteNotes(std::string_view name, const RunSide& side) {
    for (const std::string& note : side.notes) {
      Line("<p class=\"banner\" role=\"alert\">" + std::string(name) + " (" + Label(side) +
           "): " + EscapedHtml(ShownText(note)) + "</p>");
    }
  }

  void WriteHeading() {
    Line("<h1>Run Comparison &#8211; " + Label(comparison_.a) + " &#8594; " + Label(comparison_.b) +
         "</h1>");
    const std::optional<Cents> a = CentsOf(comparison_.a.final_total);
    const std::optional<Cents> b = CentsOf(comparison_.b.final_total);
    for (const auto& [name, side, total] :
         {std::tuple{"A", &comparison_.a, a}, std::tuple{"B", &comparison_.b, b}}) {
      Line("<p class=\"about\">" + std::string(name) + ": " + Label(*side) + ", run folder " +
           HtmlIsolated(ShownText(side->folder)) + "; cost of the final pools " + Figure(total) +
           "</p>");
    }
    if (a && b) {
      std::string line = "Change of the final pools: " + Signed(*b - *a);
      if (*a != 0) line += " (" + PercentText(*b - *a, *a) + " %)";
      Line("<p class=\"about\">" + line + "</p>");
    }
  }

  void WriteLargestChanges() {
    Line("<h2>Largest changes of the final pools</h2>");
    std::vector<const PoolChange*> pools;
    for (const FinalPoolEffects& effects : comparison_.finals) {
      const PoolChange& pool = comparison_.pools[effects.pool];
      if (pool.Change()) pools.push_back(&pool);
    }
    if (pools.empty()) {
      Line(
          "<p>Neither run holds a final pool of the other with figures to compare: no pool of "
          "both receives cost and sends none.</p>");
      return;
    }
    const auto larger = [](const PoolChange* x, const PoolChange* y) {
      const Cents cx = *x->Change();
      const Cents cy = *y->Change();
      return (cx < 0 ? -cx : cx) > (cy < 0 ? -cy : cy);
    };
    std::stable_sort(pools.begin(), pools.end(), larger);
    if (pools.size() > kMostBars) pools.resize(kMostBars);
    std::vector<BarRow> rows;
    for (const PoolChange* pool : pools) {
      const Cents change = *pool->Change();
      const std::string named = SvgNamed(pool->code, pool->description);
      rows.push_back(BarRow{named,
                            named + "\nA " + Grouped(*pool->a) + "\nB " + Grouped(*pool->b) +
                                "\nChange " + Signed(change),
                            0, Units(change), change > 0 ? kIncreaseColour : kDecreaseColour,
                            Signed(change)});
    }
    Line("<p class=\"about\">The " + std::to_string(rows.size()) + " largest changes of " +
         std::to_string(comparison_.finals.size()) +
         " final pools, B less A; a final pool receives cost and sends none.</p>");
    WriteBarRows(rows, "Largest changes of the final pools");
    Line("<p class=\"legend\">" + Swatch(kIncreaseColour, "cost went up") +
         Swatch(kDecreaseColour, "cost went down") + "</p>");
  }

  void WriteEffects() {
    Line("<h2>Why each final pool changed</h2>");
    Line(
        "<p class=\"about\">A sender's cost effect is the change of its allocated amount at "
        "A's share, with the change of any variance it sends; its share effect is B's "
        "allocated amount times the change of the pool's share of it. What the senders do "
        "not explain is the pool's own transactions.</p>");
    Line("<p class=\"legend\">" + Swatch(kCostColour, "cost effect") +
         Swatch(kShareColour, "share effect") + Swatch(kOwnColour, "own transactions") +
         Swatch(kChangeColour, "change of the pool") + "</p>");
    for (const FinalPoolEffects& effects : comparison_.finals) WritePoolEffects(effects);
  }

  void WritePoolEffects(const FinalPoolEffects& effects) {
    const PoolChange& pool = comparison_.pools[effects.pool];
    Line("<h3>" + HtmlNamed(pool.code, pool.description) + ": " + Figure(pool.a) + " &#8594; " +
         Figure(pool.b) + "</h3>");
    if (!effects.own) {
      Line(
          "<p>Not broken down: a figure of this pool is not finite or too large to print to "
          "the cent.</p>");
      return;
    }
    WriteBarRows(StepsOf(effects, pool), "Effects on the pool's cost");
    Line("<table>");
    Line(
        "<tr><th>Sender</th><th>Description</th><th class=\"n\">Cost effect</th>"
        "<th class=\"n\">Share effect</th><th class=\"n\">Change</th></tr>");
    for (const SenderRow& sender : effects.senders) {
      Line("<tr><td>" + HtmlIsolated(ShownText(sender.code)) + "</td><td>" +
           HtmlIsolated(ShownText(sender.description)) + "</td><td class=\"n\">" +
           Grouped(sender.printed.cost) + "</td><td class=\"n\">" + Grouped(sender.printed.share) +
           "</td><td class=\"n\">" + Grouped(sender.printed.change) + "</td></tr>");
    }
    Line("<tr><td>Own transactions</td><td></td><td></td><td></td><td class=\"n\">" +
         Grouped(*effects.own) + "</td></tr>");
    Line("<tr class=\"total\"><td>Change</td><td></td><td></td><td></td><td class=\"n\">" +
         Grouped(*pool.Change()) + "</td></tr>");
    Line("</table>");
  }

  // The waterfall from A's figure to B's: each step a cost or share effect
  // of one of the largest senders (the rest taken together), then the own
  // transactions, then the change they add up to.
  std::vector<BarRow> StepsOf(const FinalPoolEffects& effects, const PoolChange& pool) const {
    std::vector<const SenderRow*> senders;
    for (const SenderRow& sender : effects.senders) senders.push_back(&sender);
    std::stable_sort(senders.begin(), senders.end(), [](const SenderRow* x, const SenderRow* y) {
      const Cents cx = x->printed.change < 0 ? -x->printed.change : x->printed.change;
      const Cents cy = y->printed.change < 0 ? -y->printed.change : y->printed.change;
      return cx > cy;
    });
    std::vector<BarRow> rows;
    rows.push_back(BarRow{"A: " + SvgIsolated(ShownText(comparison_.a.label)),
                          "A " + Grouped(*pool.a),
                          0,
                          0,
                          {},
                          Grouped(*pool.a)});
    double at = 0;
    const auto step = [&](const std::string& label, Cents cents, std::string_view colour,
                          std::string_view what) {
      if (cents == 0) return;
      const double to = at + Units(cents);
      rows.push_back(BarRow{label, label + "\n" + std::string(what) + " " + Signed(cents), at, to,
                            colour, Signed(cents)});
      at = to;
    };
    PrintedEffect others;
    for (size_t i = 0; i < senders.size(); ++i) {
      const PrintedEffect& printed = senders[i]->printed;
      if (i < kMostSteppedSenders) {
        const std::string named = SvgNamed(senders[i]->code, senders[i]->description);
        step(named + ": cost", printed.cost, kCostColour, "Cost effect");
        step(named + ": share", printed.share, kShareColour, "Share effect");
      } else {
        others.cost += printed.cost;
        others.share += printed.share;
      }
    }
    if (senders.size() > kMostSteppedSenders) {
      const std::string named =
          std::to_string(senders.size() - kMostSteppedSenders) + " other senders";
      step(named + ": cost", others.cost, kCostColour, "Cost effect");
      step(named + ": share", others.share, kShareColour, "Share effect");
    }
    step("Own transactions", *effects.own, kOwnColour, "Own transactions");
    const Cents change = *pool.Change();
    rows.push_back(BarRow{"Change", "Change " + Signed(change), 0, Units(change), kChangeColour,
                          Signed(change)});
    rows.push_back(BarRow{"B: " + SvgIsolated(ShownText(comparison_.b.label)),
                          "B " + Grouped(*pool.b),
                          0,
                          0,
                          {},
                          Grouped(*pool.b)});
    return rows;
  }

  // The rows as one SVG: labels on the left, bars along a plot whose zero is
  // a vertical line, figures on the right.
  void WriteBarRows(const std::vector<BarRow>& rows, std::string_view name) {
    double low = 0;
    double high = 0;
    for (const BarRow& row : rows) {
      low = std::min({low, row.from, row.to});
      high = std::max({high, row.from, row.to});
    }
    const double scale = high > low ? kPlotWidth / (high - low) : 0;
    const double zero = kLabelWidth + (high > low ? -low * scale : kPlotWidth / 2);
    const double width = kLabelWidth + kPlotWidth + kFigureWidth;
    const double height = static_cast<double>(rows.size()) * kRowHeight + 2 * kChartMargin;
    Line("<svg width=\"" + Px(width) + "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " +
         Px(width) + " " + Px(height) + "\" role=\"img\" aria-label=\"" + std::string(name) +
         "\">");
    Line("<line x1=\"" + Px(zero) + "\" y1=\"0\" x2=\"" + Px(zero) + "\" y2=\"" + Px(height) +
         "\" stroke=\"#999\"/>");
    for (size_t i = 0; i < rows.size(); ++i) {
      const BarRow& row = rows[i];
      const double top = kChartMargin + static_cast<double>(i) * kRowHeight;
      const double baseline = top + (kRowHeight + kFontSize) / 2 - 1;
      if (row.from != row.to) {
        const double left = zero + std::min(row.from, row.to) * scale;
        const double length = std::max(1.0, std::fabs(row.to - row.from) * scale);
        Line("<rect class=\"bar\" x=\"" + Px(left) + "\" y=\"" +
             Px(top + (kRowHeight - kBarHeight) / 2) + "\" width=\"" + Px(length) + "\" height=\"" +
             Px(kBarHeight) + "\" fill=\"" + std::string(row.colour) + "\">" +
             SvgTitle(row.tooltip) + "</rect>");
      }
      Line("<text text-anchor=\"end\" x=\"" + Px(kLabelWidth - 2 * kTextGap) + "\" y=\"" +
           Px(baseline) + "\">" + EscapedHtml(FitLine(row.label, kLabelWidth - 3 * kTextGap)) +
           SvgTitle(row.tooltip) + "</text>");
      Line("<text x=\"" + Px(kLabelWidth + kPlotWidth + 2 * kTextGap) + "\" y=\"" + Px(baseline) +
           "\">" + EscapedHtml(row.figure) + "</text>");
    }
    Line("</svg>");
  }

  void WritePoolTable() {
    Line("<h2>Every pool</h2>");
    Line("<table>");
    Line("<tr><th>Stage</th><th>Group</th><th>Pool</th><th>Description</th><th class=\"n\">A: " +
         Label(comparison_.a) + "</th><th class=\"n\">B: " + Label(comparison_.b) +
         "</th><th class=\"n\">Change</th><th class=\"n\">Change %</th><th>Note</th></tr>");
    for (const PoolChange& pool : comparison_.pools) {
      const std::optional<Cents> change = pool.Change();
      Line("<tr><td>" + HtmlIsolated(ShownText(pool.stage)) + "</td><td>" +
           HtmlIsolated(ShownText(pool.group)) + "</td><td>" + HtmlIsolated(ShownText(pool.code)) +
           "</td><td>" + HtmlIsolated(ShownText(pool.description)) + "</td><td class=\"n\">" +
           Figure(pool.a) + "</td><td class=\"n\">" + Figure(pool.b) + "</td><td class=\"n\">" +
           (change ? Signed(*change) : std::string()) + "</td><td class=\"n\">" +
           pool.ChangePercentText() + "</td><td>" + pool.Note() + "</td></tr>");
    }
    Line("</table>");
  }

  void WriteOneSided() {
    if (comparison_.one_sided.empty()) return;
    Line("<h2>In one run only</h2>");
    Line(
        "<p class=\"about\">Compared on what both runs show. A pool that holds no cost and "
        "moves none in a run is not in its exports, so it shows as the other run's only.</p>");
    Line("<ul>");
    for (const OneSided& one_sided : comparison_.one_sided) {
      const size_t count = one_sided.names.size();
      std::string item = std::to_string(count) + " " + one_sided.kind + (count == 1 ? "" : "s") +
                         " only in " +
                         (one_sided.in_a ? "A (" + Label(comparison_.a) + ")"
                                         : "B (" + Label(comparison_.b) + ")") +
                         ":";
      for (size_t i = 0; i < count; ++i) {
        item += (i > 0 ? ", " : " ") + HtmlIsolated(ShownText(one_sided.names[i]));
      }
      Line("<li>" + item + "</li>");
    }
    Line("</ul>");
  }

  const Comparison& comparison_;
  OutputFile& file_;
};

}  // namespace

void WriteComparePage(const Comparison& comparison, OutputFile& file) {
  ComparePage(comparison, file).Write();
}

}  // namespace korav
