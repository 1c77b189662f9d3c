#include "allocation/reports/flow_chart_layout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "allocation/model/share_threshold.h"
#include "allocation/model/strong_components.h"
#include "allocation/reports/report_output.h"
#include "common/numbers.h"
#include "common/text_encoding.h"

namespace korav {
namespace {

constexpr double kLeastAmount = 0.005;  // what rounds to 0.00

constexpr double kColumnGap = 250;    // between one column's bars and the next's
constexpr double kRightMargin = 230;  // room for the last column's labels
constexpr double kSideMargin = 16;
constexpr double kTop = 44;  // below the column headings
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
constexpr double kLabelGap = 4;
// A generous average advance of the page's sans-serif font, so that a label
// measured with it takes no more room than it is given.
constexpr double kCharWidth = kFontSize * 0.68;
constexpr int kSweeps = 4;

// One end of a band: a bar of the chart, or a pool or group outside it.
struct End {
  size_t bar = kOutside;
  bool group = false;
  int32_t row = 0;

  auto Key() const { return std::tie(bar, group, row); }
  bool operator<(const End& other) const { return Key() < other.Key(); }
};

// An amount moved from one pool to another.
struct PoolFlow {
  BandKind kind;
  int32_t from;
  int32_t to;
  double amount;
};

// `text`, a text of the model, as it stands among other words in a label or
// tooltip. SVG text has no element that isolates (as <bdi> does in HTML), so
// a text that needs it stands between U+2068 FIRST STRONG ISOLATE and U+2069
// POP DIRECTIONAL ISOLATE.
std::string Isolated(const std::string& text) {
  return NeedsIsolate(text) ? "\xE2\x81\xA8" + text + "\xE2\x81\xA9" : text;
}

std::string Named(const std::string& code, const std::string& description) {
  return description.empty() ? Isolated(code) : Isolated(code) + " " + Isolated(description);
}

std::string ShareText(double amount, double whole, const std::string& of) {
  if (whole == 0) return "";
  return ", " + FormatGrouped(amount / whole * 100) + " % of " + of;
}

// `line` cut to `width` pixels, with "…" where it was cut, and the
// direction controls that the cut left open closed before it.
std::string FitLine(const std::string& line, double width) {
  const auto room = static_cast<size_t>(std::max(0.0, std::floor(width / kCharWidth)));
  if (Utf8Length(line) <= room) return line;
  if (room <= 1) return "";
  return BalancedDirections(Utf8Prefix(line, room - 1)) + "\xE2\x80\xA6";
}

double LinesWidth(const std::vector<std::string>& lines) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, Utf8Length(line));
  return static_cast<double>(longest) * kCharWidth;
}

bool Overlap(const ChartLabel& a, const ChartLabel& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

class FlowChartBuilder {
 public:
  FlowChartBuilder(const Engine& engine, std::optional<ChartLevel> level)
      : engine_(engine),
        model_(engine.model),
        requested_level_(level),
        bar_of_pool_(static_cast<size_t>(model_.pools.count()) + 1, kOutside),
        moved_out_(bar_of_pool_.size(), 0.0),
        variance_out_(bar_of_pool_.size(), 0.0) {}

  FlowChart Build() {
    SelectPools();
    CollectFlows();
    OrderStages();
    MakeColumnsAndBars();
    MakeBands();
    SplitStagesByFlow();
    CollectStubs();
    Scale();
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
      for (size_t c = 1; c < chart_.columns.size(); ++c) OrderByNeighbours(c, true);
      for (size_t c = chart_.columns.size(); c-- > 1;) OrderByNeighbours(c - 1, false);
    }
    PlaceBandEnds();
    PlaceLanesAndSize();
    WriteTooltips();
    PlaceLabels();
    MakeTables();
    return std::move(chart_);
  }

 private:
  int32_t GroupOf(int32_t pool) const { return model_.pools[pool].Group; }
  int32_t StageOf(int32_t pool) const {
    const int32_t group = GroupOf(pool);
    return group == 0 ? 0 : model_.groups[group].Stage;
  }

  void SelectPools() {
    const auto groups = static_cast<size_t>(model_.groups.count()) + 1;
    pools_of_group_.resize(groups);
    group_drawn_.assign(groups, false);
    group_value_.assign(groups, 0.0);
    const stTsortObj& codes = model_.pools.CodeIndex;
    for (int32_t position = 1; position <= codes.Count(); ++position) {
      const int32_t row = codes.Item(position).Number;
      const auto group = static_cast<size_t>(GroupOf(row));
      group_value_[group] += model_.pools[row].Value;
      if (StageOf(row) == 0 || !InReportRange(engine_, model_.pools[row])) continue;
      selected_.push_back(row);
      pools_of_group_[group].push_back(row);
    }
    chart_.selected_pools = static_cast<int32_t>(selected_.size());
    chart_.level = requested_level_.value_or(
        chart_.selected_pools <= kMostPoolsDrawn ? ChartLevel::kPools : ChartLevel::kGroups);
  }

  // Stages from input (type 1) through intermediate and final to reporting
  // (type 4), so that cost flows from left to right; stages of one type in
  // code order.
  void OrderStages() {
    const stTsortObj& codes = model_.stages.CodeIndex;
    for (int32_t position = 1; position <= codes.Count(); ++position) {
      stages_.push_back(codes.Item(position).Number);
    }
    std::stable_sort(stages_.begin(), stages_.end(), [this](int32_t a, int32_t b) {
      return model_.stages[a].STGType < model_.stages[b].STGType;
    });
  }

  // A selected pool is drawn when it has a value or a band to draw.
  bool Drawn(int32_t pool) const {
    return std::fabs(model_.pools[pool].Value) >= kLeastAmount ||
           in_a_flow_[static_cast<size_t>(pool)];
  }

  // One column per stage with pools drawn; in each, one bar per pool or
  // group in code order.
  void MakeColumnsAndBars() {
    for (const int32_t stage : stages_) {
      ChartColumn column;
      column.code = ShownText(model_.stages[stage].Code);
      column.description = ShownText(model_.stages[stage].Description);
      const size_t index = chart_.columns.size();
      if (chart_.level == ChartLevel::kPools) {
        for (const int32_t pool : selected_) {
          if (StageOf(pool) == stage && Drawn(pool)) column.bars.push_back(AddPoolBar(pool, index));
        }
      } else {
        AddGroupBars(stage, index, column);
      }
      if (column.bars.empty()) continue;
      for (const size_t bar : column.bars) column.value += chart_.bars[bar].value;
      chart_.columns.push_back(std::move(column));
    }
  }

  size_t AddPoolBar(int32_t pool, size_t column) {
    const TmyCP& cp = model_.pools[pool];
    ChartBar bar;
    bar.code = ShownText(cp.Code);
    bar.description = ShownText(cp.Description);
    bar.column = column;
    bar.pools = 1;
    bar.value = cp.Value;
    bar_of_pool_[static_cast<size_t>(pool)] = chart_.bars.size();
    chart_.bars.push_back(std::move(bar));
    return chart_.bars.size() - 1;
  }

  // The rows of the stage's groups in code order.
  std::vector<int32_t> GroupsOf(int32_t stage) const {
    std::vector<int32_t> rows;
    const stTsortObj& groups = model_.groups.CodeIndex;
    for (int32_t position = 1; position <= groups.Count(); ++position) {
      const int32_t group = groups.Item(position).Number;
      if (model_.groups[group].Stage == stage) rows.push_back(group);
    }
    return rows;
  }

  void AddGroupBars(int32_t stage, size_t column_index, ChartColumn& column) {
    for (const int32_t group : GroupsOf(stage)) {
      ChartBar bar;
      bar.code = ShownText(model_.groups[group].Code);
      bar.description = ShownText(model_.groups[group].Description);
      bar.column = column_index;
      const std::vector<int32_t>& pools = pools_of_group_[static_cast<size_t>(group)];
      if (std::none_of(pools.begin(), pools.end(), [this](int32_t p) { return Drawn(p); })) {
        continue;
      }
      for (const int32_t pool : pools) {
        ++bar.pools;
        bar.value += model_.pools[pool].Value;
        bar_of_pool_[static_cast<size_t>(pool)] = chart_.bars.size();
      }
      group_drawn_[static_cast<size_t>(group)] = true;
      column.bars.push_back(chart_.bars.size());
      chart_.bars.push_back(std::move(bar));
    }
  }

  // A pool outside the chart stands for itself, or at the group level for
  // its group when that group has no bar.
  End EndOf(int32_t pool) const {
    End end;
    end.bar = bar_of_pool_[static_cast<size_t>(pool)];
    if (end.bar != kOutside) return end;
    const int32_t group = GroupOf(pool);
    end.group = chart_.level == ChartLevel::kGroups && group != 0 &&
                !group_drawn_[static_cast<size_t>(group)];
    end.row = end.group ? group : pool;
    return end;
  }

  std::string EndName(const End& end) const {
    if (end.bar != kOutside)
      return Named(chart_.bars[end.bar].code, chart_.bars[end.bar].description);
    const std::string name = end.group ? Named(ShownText(model_.groups[end.row].Code),
                                               ShownText(model_.groups[end.row].Description))
                                       : Named(ShownText(model_.pools[end.row].Code),
                                               ShownText(model_.pools[end.row].Description));
    return name + " (not in this chart)";
  }

  bool IsGroup(const End& end) const {
    return end.bar != kOutside ? chart_.level == ChartLevel::kGroups : end.group;
  }

  std::string EndCode(const End& end) const {
    if (end.bar != kOutside) return Isolated(chart_.bars[end.bar].code);
    return Isolated(
        ShownText(end.group ? model_.groups[end.row].Code : model_.pools[end.row].Code));
  }

  double EndValue(const End& end) const {
    if (end.bar != kOutside) return chart_.bars[end.bar].value;
    return end.group ? group_value_[static_cast<size_t>(end.row)] : model_.pools[end.row].Value;
  }

  void AddFlow(BandKind kind, int32_t from, int32_t to, double amount) {
    flows_.push_back({kind, from, to, amount});
    in_a_flow_[static_cast<size_t>(from)] = true;
    in_a_flow_[static_cast<size_t>(to)] = true;
  }

  // What each pool sent through its base lines and to its variance pool;
  // a pool that has not allocated sends nothing along its lines.
  void CollectFlows() {
    in_a_flow_.assign(bar_of_pool_.size(), false);
    const bool budgets = engine_.options.slots[kBudgetOption].IsSet;
    for (int32_t row = 1; row <= model_.pools.count(); ++row) {
      const TmyCP& pool = model_.pools[row];
      if (pool.Base == 0) continue;
      for (const int32_t index : model_.bases[pool.Base].Lines) {
        const TmyABL& line = model_.base_lines[index];
        if (line.Output == 0) continue;
        if (!pool.Allocated) {
          AddFlow(BandKind::kNotAllocated, row, line.Output, 0);
          continue;
        }
        const double amount = line.Propn * pool.AllocValue;
        if (std::fabs(amount) <= kShareThreshold) continue;
        moved_out_[static_cast<size_t>(row)] += amount;
        AddFlow(BandKind::kAllocation, row, line.Output, amount);
      }
      if (pool.Allocated && budgets && pool.BudgetMethod != 0 && pool.VariancePool != 0) {
        const double variance = pool.Value - pool.AllocValue;
        variance_out_[static_cast<size_t>(row)] = variance;
        if (std::fabs(variance) >= kLeastAmount) {
          AddFlow(BandKind::kVariance, row, pool.VariancePool, variance);
        }
      }
    }
  }

  // The flows added up between the chart's bars and the pools or groups
  // outside it; flows between two ends outside draw nothing.
  void MakeBands() {
    std::map<std::tuple<BandKind, End, End>, double> sums;
    for (const PoolFlow& flow : flows_) {
      const End source = EndOf(flow.from);
      const End target = EndOf(flow.to);
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
      band_ends_.emplace_back(source, target);
      chart_.bands.push_back(std::move(band));
    }
    entering_.resize(chart_.bars.size());
    leaving_.resize(chart_.bars.size());
    for (size_t i = 0; i < chart_.bands.size(); ++i) {
      if (chart_.bands[i].source != kOutside) leaving_[chart_.bands[i].source].push_back(i);
      if (chart_.bands[i].target != kOutside) entering_[chart_.bands[i].target].push_back(i);
    }
  }

  // Puts each bar of a stage right of the bars of the stage that send to it,
  // by the longest chain of such bands that leads to it; bars in a loop
  // count as one. Bands then turn back only where they close a loop or go
  // to an earlier stage.
  void SplitStagesByFlow() {
    std::vector<ChartColumn> columns;
    for (size_t s = 0; s < chart_.columns.size(); ++s) {
      const ChartColumn& stage = chart_.columns[s];
      const std::vector<size_t> depth = DepthsWithinStage(stage.bars);
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
    chart_.columns = std::move(columns);
    for (size_t c = 0; c < chart_.columns.size(); ++c) {
      for (const size_t bar : chart_.columns[c].bars) chart_.bars[bar].column = c;
    }
    for (ChartBand& band : chart_.bands) {
      band.turns_back = band.source != kOutside && band.target != kOutside &&
                        chart_.bars[band.target].column <= chart_.bars[band.source].column;
    }
  }

  // For each of `bars` (one stage's), the length of the longest chain of
  // bands within the stage that leads to it, a loop counting as one bar.
  std::vector<size_t> DepthsWithinStage(const std::vector<size_t>& bars) const {
    std::map<size_t, size_t> local;
    for (size_t i = 0; i < bars.size(); ++i) local[bars[i]] = i;
    std::vector<std::vector<size_t>> next(bars.size());
    for (size_t i = 0; i < bars.size(); ++i) {
      for (const size_t band : leaving_[bars[i]]) {
        const auto target = local.find(chart_.bands[band].target);
        if (target != local.end() && target->second != i) next[i].push_back(target->second);
      }
    }
    const std::vector<size_t> component = StrongComponents(next);
    // Components come numbered so that every band between two of them runs
    // from a higher number to a lower one.
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

  // What a pool of a stage of type 1 or 2 neither allocated nor sent as a
  // variance stays in it.
  void CollectStubs() {
    std::vector<double> stays(chart_.bars.size(), 0.0);
    for (const int32_t pool : selected_) {
      const TmyCP& cp = model_.pools[pool];
      if (cp.STGType > StageType::kIntermediate) continue;
      const size_t slot = static_cast<size_t>(pool);
      if (bar_of_pool_[slot] == kOutside) continue;
      stays[bar_of_pool_[slot]] += cp.Value - moved_out_[slot] - variance_out_[slot];
    }
    for (size_t bar = 0; bar < stays.size(); ++bar) {
      if (std::fabs(stays[bar]) < kLeastAmount) continue;
      ChartStub stub;
      stub.bar = bar;
      stub.amount = stays[bar];
      stub_of_bar_[bar] = chart_.stubs.size();
      chart_.stubs.push_back(std::move(stub));
    }
  }

  // The cost a bar must have room for: its value, or all that enters or
  // leaves it when that is more.
  std::vector<double> Extents() const {
    std::vector<double> in(chart_.bars.size(), 0.0);
    std::vector<double> out(chart_.bars.size(), 0.0);
    for (const ChartBand& band : chart_.bands) {
      if (band.source != kOutside) out[band.source] += std::fabs(band.amount);
      if (band.target != kOutside) in[band.target] += std::fabs(band.amount);
    }
    for (const ChartStub& stub : chart_.stubs) out[stub.bar] += std::fabs(stub.amount);
    std::vector<double> extents(chart_.bars.size());
    for (size_t bar = 0; bar < extents.size(); ++bar) {
      extents[bar] = std::max({std::fabs(chart_.bars[bar].value), in[bar], out[bar]});
    }
    return extents;
  }

  // The room a column's bars take besides their cost.
  static double FixedHeight(const ChartColumn& column) {
    const auto bars = static_cast<double>(column.bars.size());
    return (bars - 1) * kBarGap + bars * kLeastBarHeight;
  }

  // One scale for the whole chart. The plot is high enough for the middle
  // bar by cost to carry a label of two lines, and the fullest column fills
  // it.
  void Scale() {
    const std::vector<double> extents = Extents();
    std::vector<double> sorted;
    for (const double extent : extents) {
      if (extent > 0) sorted.push_back(extent);
    }
    std::sort(sorted.begin(), sorted.end());
    const double wanted = sorted.empty() ? 0 : kLabelledBarHeight / sorted[sorted.size() / 2];
    size_t most_bars = 0;
    double height = 0;
    for (const ChartColumn& column : chart_.columns) {
      most_bars = std::max(most_bars, column.bars.size());
      double total = 0;
      for (const size_t bar : column.bars) total += extents[bar];
      height = std::max(height, FixedHeight(column) + total * wanted);
    }
    plot_height_ = std::clamp(std::max(height, static_cast<double>(most_bars) * kPixelsPerBar),
                              kLeastPlotHeight, kMostPlotHeight);
    double scale = 0;
    for (const ChartColumn& column : chart_.columns) {
      double total = 0;
      for (const size_t bar : column.bars) total += extents[bar];
      if (total <= 0) continue;
      const double column_scale = std::max(plot_height_ - FixedHeight(column), 0.0) / total;
      if (scale == 0 || column_scale < scale) scale = column_scale;
    }
    chart_.scale = scale;
    for (size_t bar = 0; bar < chart_.bars.size(); ++bar) {
      chart_.bars[bar].height = std::max(extents[bar] * scale, kLeastBarHeight);
    }
    for (ChartBand& band : chart_.bands) {
      band.width = band.kind == BandKind::kNotAllocated
                       ? kUnallocatedBandWidth
                       : std::max(std::fabs(band.amount) * scale, kLeastBandWidth);
      band.bulge = band.width + kLeastBulge;
    }
    for (ChartStub& stub : chart_.stubs) {
      stub.height = std::max(std::fabs(stub.amount) * scale, kLeastBandWidth);
    }
    for (size_t c = 0; c < chart_.columns.size(); ++c) Stack(c);
  }

  // Puts the column's bars under each other, the column centred in the plot.
  void Stack(size_t c) {
    ChartColumn& column = chart_.columns[c];
    double used = static_cast<double>(column.bars.size() - 1) * kBarGap;
    for (const size_t bar : column.bars) used += chart_.bars[bar].height;
    double y = kTop + (plot_height_ - used) / 2;
    for (const size_t bar : column.bars) {
      chart_.bars[bar].y = y;
      y += chart_.bars[bar].height + kBarGap;
    }
  }

  double Centre(size_t bar) const { return chart_.bars[bar].y + chart_.bars[bar].height / 2; }

  // Orders a column by the mean height, weighted by band width, of the bars
  // its bars receive from (`from_left`) or send to in the columns on that
  // side; a bar without such bands keeps its place as its key.
  void OrderByNeighbours(size_t c, bool from_left) {
    ChartColumn& column = chart_.columns[c];
    std::vector<std::pair<double, size_t>> keyed;
    for (const size_t bar : column.bars) {
      double weighted = 0;
      double weights = 0;
      for (const size_t index : from_left ? entering_[bar] : leaving_[bar]) {
        const ChartBand& band = chart_.bands[index];
        const size_t other = from_left ? band.source : band.target;
        if (other == kOutside) continue;
        const size_t other_column = chart_.bars[other].column;
        if (from_left ? other_column >= c : other_column <= c) continue;
        weighted += band.width * Centre(other);
        weights += band.width;
      }
      keyed.emplace_back(weights > 0 ? weighted / weights : Centre(bar), bar);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i) column.bars[i] = keyed[i].second;
    Stack(c);
  }

  // Stacks the bands on each side of each bar from its top: leaving, those
  // to bars further right by the height of their target, then those to
  // pools outside the chart, then those turning back, then the stub;
  // entering, those from outside, then those from the left by the height
  // of their source, then those turning back.
  std::pair<int, double> LeavingKey(size_t index) const {
    const ChartBand& band = chart_.bands[index];
    if (band.turns_back) return {2, static_cast<double>(index)};
    if (band.target == kOutside) return {1, static_cast<double>(index)};
    return {0, Centre(band.target)};
  }

  std::pair<int, double> EnteringKey(size_t index) const {
    const ChartBand& band = chart_.bands[index];
    if (band.turns_back) return {2, static_cast<double>(index)};
    if (band.source == kOutside) return {0, static_cast<double>(index)};
    return {1, Centre(band.source)};
  }

  void PlaceBandEnds() {
    const auto by = [this](auto key) {
      return [this, key](size_t a, size_t b) { return (this->*key)(a) < (this->*key)(b); };
    };
    for (size_t bar = 0; bar < chart_.bars.size(); ++bar) {
      std::stable_sort(leaving_[bar].begin(), leaving_[bar].end(),
                       by(&FlowChartBuilder::LeavingKey));
      double y = chart_.bars[bar].y;
      for (const size_t band : leaving_[bar]) {
        chart_.bands[band].source_y = y + chart_.bands[band].width / 2;
        y += chart_.bands[band].width;
      }
      if (const auto stub = stub_of_bar_.find(bar); stub != stub_of_bar_.end()) {
        chart_.stubs[stub->second].y = y;
      }
      std::stable_sort(entering_[bar].begin(), entering_[bar].end(),
                       by(&FlowChartBuilder::EnteringKey));
      y = chart_.bars[bar].y;
      for (const size_t band : entering_[bar]) {
        chart_.bands[band].target_y = y + chart_.bands[band].width / 2;
        y += chart_.bands[band].width;
      }
    }
  }

  // Columns from the left margin, which leaves room for the bands that turn
  // back or come from outside; lanes under the plot, one per band turning
  // back; and the size of the whole.
  void PlaceLanesAndSize() {
    double left = kOutsideBandLength;
    double right = kRightMargin;
    double lane = kTop + plot_height_ + kSideMargin;
    for (ChartBand& band : chart_.bands) {
      if (!band.turns_back) continue;
      const double reach = 0.75 * band.bulge + band.width / 2;
      left = std::max(left, reach);
      right = std::max(right, reach);
      band.lane_y = lane + band.width / 2;
      lane += band.width + kLaneGap;
    }
    left += kSideMargin;
    for (size_t c = 0; c < chart_.columns.size(); ++c) {
      const double x = left + static_cast<double>(c) * (kBarWidth + kColumnGap);
      chart_.columns[c].x = x;
      for (const size_t bar : chart_.columns[c].bars) chart_.bars[bar].x = x;
    }
    for (ChartStub& stub : chart_.stubs) stub.x = chart_.bars[stub.bar].x + kBarWidth;
    const double columns = static_cast<double>(chart_.columns.size());
    chart_.width = left + columns * kBarWidth + (columns - 1) * kColumnGap + right;
    chart_.height = lane + kSideMargin;
  }

  void WriteTooltips() {
    for (size_t c = 0; c < chart_.columns.size(); ++c) {
      const ChartColumn& column = chart_.columns[c];
      for (const size_t index : column.bars) {
        ChartBar& bar = chart_.bars[index];
        std::string name = Named(bar.code, bar.description);
        if (chart_.level == ChartLevel::kGroups) {
          name +=
              ", " + std::to_string(bar.pools) + (bar.pools == 1 ? " cost pool" : " cost pools");
        }
        bar.tooltip = name + "\nStage " + Named(column.code, column.description) + "\nCost " +
                      FormatGrouped(bar.value);
      }
    }
    for (size_t i = 0; i < chart_.bands.size(); ++i) {
      ChartBand& band = chart_.bands[i];
      const auto& [source, target] = band_ends_[i];
      const std::string route = EndName(source) + " \xE2\x86\x92 " + EndName(target) + "\n";
      const std::string share = ShareText(band.amount, EndValue(source), EndCode(source));
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
              (IsGroup(source) ? "pools of " + EndCode(source) + " have not allocated their cost"
                               : EndCode(source) + " has not allocated its cost");
          break;
      }
    }
    for (ChartStub& stub : chart_.stubs) {
      const ChartBar& bar = chart_.bars[stub.bar];
      stub.tooltip = Named(bar.code, bar.description) + "\nUnallocated " +
                     FormatGrouped(stub.amount) +
                     ShareText(stub.amount, bar.value, Isolated(bar.code));
    }
  }

  double LabelRoom(size_t column) const {
    const bool last = column + 1 == chart_.columns.size();
    return (last ? kRightMargin : kColumnGap) - kStubLength - 3 * kLabelGap;
  }

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

  // Labels beside the bars and stubs, where they fit inside the height of
  // what they name and clear every other label. A bar's label stands above
  // its stub and the stub's label in the stub; where there is no room for
  // both, the stub's amount becomes a line of the bar's label.
  void PlaceLabels() {
    for (size_t c = 0; c < chart_.columns.size(); ++c) {
      ChartColumn& column = chart_.columns[c];
      if (!column.opens_stage) continue;
      size_t end = c + 1;
      while (end < chart_.columns.size() && !chart_.columns[end].opens_stage) ++end;
      const double last = end == chart_.columns.size() ? kRightMargin : kColumnGap;
      const double room =
          static_cast<double>(end - c - 1) * (kBarWidth + kColumnGap) + last - kLabelGap;
      Place(column.label, column.x, 0, kTop - kLabelGap, room,
            {{Named(column.code, column.description), FormatGrouped(column.value)}});
    }
    for (size_t index = 0; index < chart_.bars.size(); ++index) {
      ChartBar& bar = chart_.bars[index];
      const std::string name = Named(bar.code, bar.description);
      const std::string amount = FormatGrouped(bar.value);
      const std::string code = Isolated(bar.code);
      const std::string code_amount = code + " " + amount;
      const double room = LabelRoom(bar.column);
      const double bottom = bar.y + bar.height;
      const auto stub_index = stub_of_bar_.find(index);
      if (stub_index == stub_of_bar_.end()) {
        Place(bar.label, bar.x + kBarWidth + kLabelGap, bar.y, bottom, room,
              {{name, amount}, {code_amount}, {code}});
        continue;
      }
      ChartStub& stub = chart_.stubs[stub_index->second];
      const std::string unallocated = "unallocated " + FormatGrouped(stub.amount);
      const double x = stub.x + kStubLength + kLabelGap;
      const auto place_stub_label = [&] {
        Place(stub.label, x, stub.y, stub.y + stub.height, room, {{unallocated}});
      };
      Place(bar.label, x, bar.y, stub.y, room, {{name, amount}, {code_amount}, {code}});
      if (!bar.label.lines.empty()) place_stub_label();
      if (!bar.label.lines.empty() && !stub.label.lines.empty()) continue;
      Unplace(bar.label);
      Unplace(stub.label);
      Place(bar.label, x, bar.y, bottom, room,
            {{name, amount, unallocated}, {code_amount, unallocated}});
      if (!bar.label.lines.empty()) continue;
      Place(bar.label, x, bar.y, bottom, room, {{name, amount}, {code_amount}, {code}});
      place_stub_label();
    }
  }

  void Unplace(ChartLabel& label) {
    placed_.erase(std::remove(placed_.begin(), placed_.end(), &label), placed_.end());
    label = ChartLabel{};
  }

  // The Stage Report's groups and pools of each drawn stage, for the pools
  // drawn.
  void MakeTables() {
    for (const int32_t stage : stages_) {
      ChartTable table;
      table.code = ShownText(model_.stages[stage].Code);
      table.description = ShownText(model_.stages[stage].Description);
      table.passes_on = model_.stages[stage].STGType != StageType::kReport;
      for (const int32_t group : GroupsOf(stage)) {
        ChartTableGroup rows;
        rows.code = ShownText(model_.groups[group].Code);
        rows.description = ShownText(model_.groups[group].Description);
        for (const int32_t pool : pools_of_group_[static_cast<size_t>(group)]) {
          const TmyCP& cp = model_.pools[pool];
          ChartTablePool row{ShownText(cp.Code), ShownText(cp.Description), StageFiguresOf(cp)};
          rows.value += cp.Value;
          table.sums.Add(row.figures);
          rows.pools.push_back(std::move(row));
        }
        if (!rows.pools.empty()) table.groups.push_back(std::move(rows));
      }
      if (!table.groups.empty()) chart_.tables.push_back(std::move(table));
    }
  }

  const Engine& engine_;
  const ModelTables& model_;
  std::optional<ChartLevel> requested_level_;
  FlowChart chart_;
  std::vector<int32_t> selected_;  // pool rows in code order
  // Per group row: its selected pools in code order, whether it has a bar,
  // and the value of all its pools.
  std::vector<std::vector<int32_t>> pools_of_group_;
  std::vector<bool> group_drawn_;
  std::vector<double> group_value_;
  // Per bar: the bands that enter and leave it.
  std::vector<std::vector<size_t>> entering_;
  std::vector<std::vector<size_t>> leaving_;
  std::vector<int32_t> stages_;  // in column order
  std::vector<size_t> bar_of_pool_;
  std::vector<double> moved_out_;
  std::vector<double> variance_out_;
  std::vector<PoolFlow> flows_;
  std::vector<bool> in_a_flow_;  // per pool row
  std::vector<std::pair<End, End>> band_ends_;
  std::map<size_t, size_t> stub_of_bar_;
  std::vector<const ChartLabel*> placed_;
  double plot_height_ = 0;
};

}  // namespace

FlowChart LayOutFlowChart(const Engine& engine, std::optional<ChartLevel> level) {
  return FlowChartBuilder(engine, level).Build();
}

}  // namespace korav
