// The Trace Forward Report (23) and the Trace Back Report (24): for each
// pool, the tree of pools its allocation flows into, or that allocated into
// it, level by level with the amount carried along each branch.
//
// Both walks mark the pools of the branch being walked and cut a branch that
// comes back to one of them (pools that allocate to each other), and both
// stop at a depth limit; each cut writes a line saying so. A pool reached
// again along another branch is printed again with that branch's amount.
//
// Those two rules alone leave a tree that grows with the number of paths:
// where n pools all serve each other it holds about (n-1)^depth branches,
// millions for ten pools. So each pool's tree also ends after a fixed number
// of lines, with a line saying so, and the report holds at most that many
// lines for each pool selected, however the pools allocate to each other.
#include <string>
#include <vector>

#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "common/numbers.h"

namespace korav {
namespace {

constexpr int kForwardLevelLimit = 8;
constexpr int kBackLevelLimit = 11;
constexpr int kMostLinesPerPool = 10000;
constexpr std::string_view kIndentStep = "   ";

// "C" for a constant line, else the measure type and the measure's code.
std::string TypeText(const TmyABL& line) {
  if (line.MeasureType == 'C') return "C";
  return std::string(1, line.MeasureType) + line.MeasureCode;
}

class TraceWalk {
 public:
  explicit TraceWalk(Engine& engine)
      : engine_(engine),
        model_(engine.model),
        Visited(static_cast<size_t>(engine.model.pools.count()) + 1, false) {}

  // Readies the walk for the tree of another pool.
  void StartTree() {
    Visited.assign(Visited.size(), false);
    lines_left_ = kMostLinesPerPool;
  }

  // Writes pool `pool` with the amount `amount` that reaches it, the lines of
  // its base, and then the pools those lines lead to, one level deeper.
  // `line_details` lists every line of the base with its output pool before
  // the walk goes on; `short_lines` writes each line again just before the
  // branch it leads to.
  void TraceForward(int level, const std::string& indent, int32_t pool, double amount) {
    if (pool == 0 || lines_left_ < 0) return;
    if (level >= kForwardLevelLimit) return WriteCut("level limit");
    if (Visited[Slot(pool)]) return WriteCut("flag");
    Visited[Slot(pool)] = true;
    const std::string deeper = indent + std::string(kIndentStep);
    ++level;
    const TmyCP& cp = model_.pools[pool];
    Write(std::to_string(level) + "," + deeper + cp.Code + "," + FormatFixed2(amount));
    if (cp.Base > 0) {
      const TmyAB& base = model_.bases[cp.Base];
      if (line_details) {
        for (const int32_t index : base.Lines) {
          const TmyABL& line = model_.base_lines[index];
          const std::string output =
              line.Output > 0 ? model_.pools[line.Output].Description : std::string();
          Write(LineRow(base, line, amount) + "," + line.OutputCode + "," + Quoted(output));
        }
      }
      for (const int32_t index : base.Lines) {
        const TmyABL& line = model_.base_lines[index];
        if (short_lines) Write(LineRow(base, line, amount));
        TraceForward(level, deeper, line.Output, amount * line.Propn);
      }
    }
    Visited[Slot(pool)] = false;
  }

  // Writes pool `pool` with the part `factor` of its allocation that reaches
  // the report's pool, then, one level deeper, the pools that allocated into
  // it. A source without sources of its own below the first level gets no
  // row: its "Show CP" detail row above already shows what it sends.
  void TraceBack(int level, const std::string& indent, int32_t pool, double factor) {
    if (pool == 0 || lines_left_ < 0) return;
    ++level;
    if (level >= kBackLevelLimit) return WriteCut("level limit");
    if (Visited[Slot(pool)]) return WriteCut("flag");
    Visited[Slot(pool)] = true;
    const std::string deeper = indent + std::string(kIndentStep);
    const TmyCP& cp = model_.pools[pool];
    const double shown = cp.BaseCode.empty() ? cp.Value : cp.AllocValue * factor;
    if (level == 1 || !cp.Inputs.empty()) {
      Write(std::to_string(level) + "," + deeper + cp.Code + "," + FormatFixed2(shown));
    }
    if (show_sources) {
      for (const PoolInput& input : cp.Inputs) {
        if (input.Line == 0) continue;
        const TmyCP& source = model_.pools[input.Source];
        const TmyABL& line = model_.base_lines[input.Line];
        Write(",,," + source.Code + "," + source.BaseCode + "," + TypeText(line) + "," +
              FormatFixed2(factor * source.AllocValue * line.Propn));
      }
    }
    for (const PoolInput& input : cp.Inputs) {
      if (input.Line == 0) continue;
      TraceBack(level, deeper, input.Source, factor * model_.base_lines[input.Line].Propn);
    }
    Visited[Slot(pool)] = false;
  }

  bool line_details = true;
  bool short_lines = false;
  bool show_sources = true;

 private:
  static size_t Slot(int32_t pool) { return static_cast<size_t>(pool); }

  static std::string LineRow(const TmyAB& base, const TmyABL& line, double amount) {
    return ",,," + base.Code + "," + TypeText(line) + "," + FormatFixed2(amount * line.Propn);
  }

  // Writes `line` while the tree has lines left; in place of the first line
  // beyond them, the line that says the tree was cut, and nothing after it.
  void Write(const std::string& line) {
    if (lines_left_ < 0) return;
    if (lines_left_-- == 0) {
      engine_.report_output.WriteLine("Trace cut; by line limit of " +
                                      std::to_string(kMostLinesPerPool) +
                                      "; the rest of this pool's tree is left out");
      return;
    }
    engine_.report_output.WriteLine(line);
  }
  void WriteCut(std::string_view rule) {
    Write("Loop detected; by " + std::string(rule) + "; this level exits");
  }

  Engine& engine_;
  const ModelTables& model_;
  // The pools of the branch being walked.
  std::vector<bool> Visited;
  // The lines the tree may still write; below 0 once it has been cut.
  int lines_left_ = kMostLinesPerPool;
};

enum class Direction { kForward, kBack };

void WriteTraceReport(Engine& engine, Direction direction) {
  const bool forward = direction == Direction::kForward;
  WriteReportTitle(engine, forward ? "Trace Forward Report; " : "Trace Back Report; ");
  engine.report_output.WriteLine(
      forward ? "Level,CP Code,Value,AB Code,Type/MR Code,Value,Output Code,Desc"
              : "Level,CP Code,Value,From CP Code,AB Code,Type/IM Code,Value");
  SetReportRanges(engine);
  TraceWalk walk(engine);
  // The window's "Show Selection" and "Show VC" boxes switch the forward
  // report's line rows, "Show CP" the back report's source rows.
  walk.line_details = engine.csv[7] != "-";
  walk.short_lines = engine.csv[10] == "+";
  walk.show_sources = engine.csv[8] != "-";
  const stTsortObj& codes = engine.model.pools.CodeIndex;
  for (int32_t position = 1; position <= codes.Count(); ++position) {
    const int32_t row = codes.Item(position).Number;
    const TmyCP& pool = engine.model.pools[row];
    if (!InReportRange(engine, pool)) continue;
    walk.StartTree();
    if (forward) {
      walk.TraceForward(0, "", row, pool.AllocValue);
    } else {
      walk.TraceBack(0, "", row, 1.0);
    }
  }
}

}  // namespace

void WriteTraceForwardReport(Engine& engine) { WriteTraceReport(engine, Direction::kForward); }

void WriteTraceBackReport(Engine& engine) { WriteTraceReport(engine, Direction::kBack); }

}  // namespace korav
