#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/flow_chart_layout.h"
#include "allocation/reports/report_output.h"
#include "allocation/run/run_driver.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// Each column as "STAGE: CODE CODE", the codes sorted.
std::vector<std::string> Columns(const FlowChart& chart) {
  std::vector<std::string> columns;
  for (const ChartColumn& column : chart.columns) {
    std::vector<std::string> codes;
    for (const size_t bar : column.bars) codes.push_back(chart.bars[bar].code);
    std::sort(codes.begin(), codes.end());
    std::string text = column.code + ":";
    for (const std::string& code : codes) text += " " + code;
    columns.push_back(text);
  }
  return columns;
}

// The tooltips of every band and stub, sorted.
std::vector<std::string> Tooltips(const FlowChart& chart) {
  std::vector<std::string> tooltips;
  for (const ChartBand& band : chart.bands) tooltips.push_back(band.tooltip);
  for (const ChartStub& stub : chart.stubs) tooltips.push_back(stub.tooltip);
  std::sort(tooltips.begin(), tooltips.end());
  return tooltips;
}

const ChartBar& Bar(const FlowChart& chart, const std::string& code) {
  for (const ChartBar& bar : chart.bars) {
    if (bar.code == code) return bar;
  }
  ADD_FAILURE() << "no bar " << code;
  return chart.bars.front();
}

// What holds for every chart: no two labels overlap, bars and bands are as
// high as their cost at the chart's scale, and the lanes of the bands that
// turn back lie below every bar.
void ExpectWellFormed(const FlowChart& chart) {
  std::vector<const ChartLabel*> labels;
  for (const ChartColumn& column : chart.columns) labels.push_back(&column.label);
  for (const ChartBar& bar : chart.bars) labels.push_back(&bar.label);
  for (const ChartStub& stub : chart.stubs) labels.push_back(&stub.label);
  for (size_t i = 0; i < labels.size(); ++i) {
    for (size_t j = i + 1; j < labels.size(); ++j) {
      const ChartLabel& a = *labels[i];
      const ChartLabel& b = *labels[j];
      if (a.lines.empty() || b.lines.empty()) continue;
      const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                         b.y + b.height <= a.y;
      EXPECT_TRUE(apart) << a.lines.front() << " overlaps " << b.lines.front();
    }
  }
  double lowest_bar = 0;
  for (const ChartBar& bar : chart.bars) {
    lowest_bar = std::max(lowest_bar, bar.y + bar.height);
    if (bar.label.lines.empty()) continue;
    EXPECT_LE(bar.label.height, bar.height) << bar.code << ": a label only where it fits";
  }
  for (const ChartBand& band : chart.bands) {
    if (band.kind == BandKind::kAllocation && std::fabs(band.amount) * chart.scale >= 1) {
      EXPECT_NEAR(band.width, std::fabs(band.amount) * chart.scale, 1e-9);
    }
    if (band.turns_back) {
      EXPECT_GT(band.lane_y - band.width / 2, lowest_bar);
    }
    EXPECT_LE(band.lane_y + band.width / 2, chart.height);
  }
}

// A (input, 400) sends 100 to B and 300 to C; U (input, 50) has no base.
// B sends to C and F, C back to B and on to D in the same stage: B and C
// never resolve, so they keep their value and send nothing. D and F (final)
// end with nothing.
class FlowChartTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("STG,S1,Input,1");
    Parse("STG,S2,Activities,2");
    Parse("STG,S3,Products,3");
    Parse("CPG,G1,In,S1,1");
    Parse("CPG,G2,Act,S2,2");
    Parse("CPG,G3,Out,S3,3");
    Parse("CP,A,Alpha,G1,AA");
    Parse("CP,U,Unassigned,G1");
    Parse("CP,B,Beta,G2,AB");
    Parse("CP,C,Gamma,G2,AC");
    Parse("CP,D,Delta,G2");
    Parse("CP,F,Final,G3");
    Parse("AB,AA,Base A");
    Parse("ABL,AA,one,C,1,B");
    Parse("ABL,AA,three,C,3,C");
    Parse("AB,AB,Base B");
    Parse("ABL,AB,on,C,1,C");
    Parse("ABL,AB,out,C,1,F");
    Parse("AB,AC,Base C");
    Parse("ABL,AC,back,C,1,B");
    Parse("ABL,AC,on,C,1,D");
    CompleteModel(engine_);
    ModelTables& model = engine_.model;
    model.base_lines[1].Propn = 0.25;
    model.base_lines[2].Propn = 0.75;
    SetPool("A", 400, true);
    SetPool("U", 50, true);
    SetPool("B", 100, false);
    SetPool("C", 300, false);
  }

  void SetPool(const char* code, double value, bool allocated) {
    TmyCP& pool = engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)];
    pool.Value = value;
    pool.AllocValue = allocated && pool.Base != 0 ? value : 0;
    pool.Allocated = allocated;
  }

  FlowChart Chart(std::string_view record, std::optional<ChartLevel> level) {
    engine_.csv.SplitCsv(record);
    SetReportRanges(engine_);
    return LayOutFlowChart(engine_, level);
  }
};

TEST_F(FlowChartTest, RangesLevelsLoopsAndStubs) {
  const std::string not_allocated = "Not allocated: ";
  struct Case {
    const char* record;
    std::optional<ChartLevel> level;
    std::vector<std::string> columns;
    std::vector<std::string> tooltips;
  };
  const Case cases[] = {
      {"REP,41",
       std::nullopt,
       {"S1: A U", "S2: B C", "S2: D", "S3: F"},
       {"A Alpha → B Beta\n100.00, 25.00 % of A", "A Alpha → C Gamma\n300.00, 75.00 % of A",
        "B Beta\nUnallocated 100.00, 100.00 % of B",
        "B Beta → C Gamma\nNot allocated: B has not allocated its cost",
        "B Beta → F Final\nNot allocated: B has not allocated its cost",
        "C Gamma\nUnallocated 300.00, 100.00 % of C",
        "C Gamma → B Beta\nNot allocated: C has not allocated its cost",
        "C Gamma → D Delta\nNot allocated: C has not allocated its cost",
        "U Unassigned\nUnallocated 50.00, 100.00 % of U"}},
      {"REP,41",
       ChartLevel::kGroups,
       {"S1: G1", "S2: G2", "S3: G3"},
       {"G1 In\nUnallocated 50.00, 11.11 % of G1", "G1 In → G2 Act\n400.00, 88.89 % of G1",
        "G2 Act\nUnallocated 400.00, 100.00 % of G2",
        "G2 Act → G2 Act\nNot allocated: pools of G2 have not allocated their cost",
        "G2 Act → G3 Out\nNot allocated: pools of G2 have not allocated their cost"}},
      {"REP,41,,S2",
       std::nullopt,
       {"S2: B C", "S2: D"},
       {"A Alpha (not in this chart) → B Beta\n100.00, 25.00 % of A",
        "A Alpha (not in this chart) → C Gamma\n300.00, 75.00 % of A",
        "B Beta\nUnallocated 100.00, 100.00 % of B",
        "B Beta → C Gamma\nNot allocated: B has not allocated its cost",
        "B Beta → F Final (not in this chart)\nNot allocated: B has not allocated its cost",
        "C Gamma\nUnallocated 300.00, 100.00 % of C",
        "C Gamma → B Beta\nNot allocated: C has not allocated its cost",
        "C Gamma → D Delta\nNot allocated: C has not allocated its cost"}},
      {"REP,41,,,,A/B",
       ChartLevel::kPools,
       {"S1: A", "S2: B"},
       {"A Alpha → B Beta\n100.00, 25.00 % of A",
        "A Alpha → C Gamma (not in this chart)\n300.00, 75.00 % of A",
        "B Beta\nUnallocated 100.00, 100.00 % of B",
        "B Beta → C Gamma (not in this chart)\nNot allocated: B has not allocated its cost",
        "B Beta → F Final (not in this chart)\nNot allocated: B has not allocated its cost",
        "C Gamma (not in this chart) → B Beta\nNot allocated: C has not allocated its cost"}},
      {"REP,41,,,G3",
       std::nullopt,
       {"S3: F"},
       {"B Beta (not in this chart) → F Final\nNot allocated: B has not allocated its cost"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    const FlowChart chart = Chart(c.record, c.level);
    EXPECT_EQ(Columns(chart), c.columns);
    EXPECT_EQ(Tooltips(chart), c.tooltips);
    ExpectWellFormed(chart);
  }

  // B and C allocate to each other: their bands turn back under the bars,
  // while C's band to D runs on to D's column; U's cost stays, and its stub
  // says so.
  const FlowChart chart = Chart("REP,41", std::nullopt);
  size_t turning = 0;
  for (const ChartBand& band : chart.bands) turning += band.turns_back ? 1 : 0;
  EXPECT_EQ(turning, 2u);
  const ChartBar& u = Bar(chart, "U");
  std::vector<std::string> stub_lines = u.label.lines;
  for (const ChartStub& stub : chart.stubs) {
    if (&chart.bars[stub.bar] == &u) {
      stub_lines.insert(stub_lines.end(), stub.label.lines.begin(), stub.label.lines.end());
    }
  }
  EXPECT_NE(std::find(stub_lines.begin(), stub_lines.end(), "unallocated 50.00"), stub_lines.end());
  EXPECT_TRUE(chart.columns[1].opens_stage);
  EXPECT_FALSE(chart.columns[2].opens_stage);
}

TEST_F(FlowChartTest, AnUnknownLevelIsLoggedAndTheCountChooses) {
  const Lines page = Report("REP,41,,,,,X", WriteCostFlowChart);
  EXPECT_NE(std::find(page.begin(), page.end(),
                      "<p class=\"about\">Cost pools drawn: 6 of 6 selected; written "
                      "2026-12-07 10:11:12</p>"),
            page.end());
  EXPECT_EQ(ErrorLines(Messages()),
            Lines{Error("406 REP; Chart level not valid; give P for cost pools, G for groups or "
                        "leave it empty; Level=X")});
}

TEST(FlowChartLevelTest, GroupsAboveSixtySelectedPools) {
  for (const int pools : {60, 61}) {
    ModelFolder folder;
    FixedHost host;
    Engine engine(host, RunPaths{});
    OpenLogIn(engine.log, engine.output_folder, folder.dir());
    ModelTables& model = engine.model;
    model.stages.Size(1);
    model.groups.Size(2);
    model.pools.Size(pools);
    ParseGeneratedRecord(engine, "STG,S,Stage,1");
    ParseGeneratedRecord(engine, "CPG,G,Group,S");
    for (int p = 1; p <= pools; ++p) {
      ParseGeneratedRecord(engine, "CP,P" + std::to_string(p) + ",Pool,G");
    }
    CompleteModel(engine);
    for (int32_t row = 1; row <= model.pools.count(); ++row) model.pools[row].Value = 1;
    engine.csv.SplitCsv("REP,41");
    SetReportRanges(engine);
    const FlowChart chart = LayOutFlowChart(engine, std::nullopt);
    EXPECT_EQ(chart.level, pools <= 60 ? ChartLevel::kPools : ChartLevel::kGroups);
    EXPECT_EQ(chart.bars.size(), pools <= 60 ? size_t(pools) : 1u);
  }
}

// X and Y would cross A's and B's bands in code order; ordered by their
// sources they do not.
TEST_F(ModelTest, BarsStandBesideTheirSources) {
  Parse("STG,S1,In,1");
  Parse("STG,S2,Out,3");
  Parse("CPG,G1,In,S1");
  Parse("CPG,G2,Out,S2");
  Parse("CP,A,A,G1,AA");
  Parse("CP,B,B,G1,AB");
  Parse("CP,X,X,G2");
  Parse("CP,Y,Y,G2");
  Parse("AB,AA,to Y");
  Parse("ABL,AA,all,C,1,Y");
  Parse("AB,AB,to X");
  Parse("ABL,AB,all,C,1,X");
  CompleteModel(engine_);
  for (int32_t row = 1; row <= 4; ++row) {
    TmyCP& pool = engine_.model.pools[row];
    pool.Value = 100;
    pool.AllocValue = pool.Base != 0 ? 100 : 0;
    pool.Allocated = true;
  }
  engine_.model.base_lines[1].Propn = 1;
  engine_.model.base_lines[2].Propn = 1;
  engine_.csv.SplitCsv("REP,41");
  SetReportRanges(engine_);
  const FlowChart chart = LayOutFlowChart(engine_, std::nullopt);
  ASSERT_EQ(chart.columns.size(), 2u);
  std::vector<std::string> order;
  for (const ChartColumn& column : chart.columns) {
    for (const size_t bar : column.bars) order.push_back(chart.bars[bar].code);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "Y", "X"}));
}

// A pool whose description holds a right-to-left override near where its
// label is cut.
TEST_F(ModelTest, ChartTextsKeepTheirDirectionToThemselvesAlsoWhenCut) {
  const std::string rlo = "\xE2\x80\xAE";
  const std::string pdf = "\xE2\x80\xAC";
  const std::string fsi = "\xE2\x81\xA8";
  const std::string pdi = "\xE2\x81\xA9";
  Parse("STG,S,Final,3");
  Parse("CPG,G,Group,S");
  Parse("CP,L,x,G");
  CompleteModel(engine_);
  TmyCP& pool = engine_.model.pools[1];
  pool.Description = "abcdefghijklmno" + rlo + "pqrstuvwxyz0123456789";
  pool.Value = 100;
  engine_.csv.SplitCsv("REP,41");
  SetReportRanges(engine_);
  const FlowChart chart = LayOutFlowChart(engine_, std::nullopt);
  // The only column is the last: its labels have (230 - 26 - 3 x 4) px at
  // 7.48 px a character, 25 characters, the last of them "…". The description
  // stands in an isolate of its own, which the cut leaves open with the
  // override inside it: both are closed.
  ASSERT_EQ(chart.bars.size(), 1u);
  EXPECT_EQ(chart.bars[0].label.lines,
            (Lines{"L " + fsi + "abcdefghijklmno" + rlo + "pqrst" + pdf + pdi + "\xE2\x80\xA6",
                   "100.00"}));
  EXPECT_EQ(chart.bars[0].tooltip,
            "L " + fsi + pool.Description + pdf + pdi + "\nStage S Final\nCost 100.00");
}

// A shipped model run as a user runs it, its report records replaced by
// `reports` in the file `report_file`.
class ShippedModelTest : public ::testing::Test {
 protected:
  void Run(const std::string& model, const std::string& report_file, const std::string& reports) {
    const std::filesystem::path source = std::filesystem::path(KORAV_SOURCE_DIR) / model;
    for (const auto& entry : std::filesystem::directory_iterator(source)) {
      if (entry.is_regular_file()) {
        std::filesystem::copy_file(entry.path(), folder_.path(entry.path().filename().string()));
      }
    }
    folder_.Write(report_file, reports);
    folder_.MakeDirectory("out");
    RunPaths paths;
    paths.run_file = folder_.path("run.csv");
    engine_ = std::make_unique<Engine>(host_, paths);
    RunModel(*engine_);
  }

  FlowChart Chart() {
    engine_->csv.SplitCsv("REP,41");
    SetReportRanges(*engine_);
    return LayOutFlowChart(*engine_, std::nullopt);
  }

  ModelFolder folder_;
  FixedHost host_;
  std::unique_ptr<Engine> engine_;
};

// Bands keyed "SOURCE>TARGET".
std::map<std::string, const ChartBand*> BandsByRoute(const FlowChart& chart) {
  std::map<std::string, const ChartBand*> bands;
  for (const ChartBand& band : chart.bands) {
    bands[chart.bars[band.source].code + ">" + chart.bars[band.target].code] = &band;
  }
  return bands;
}

// The demo: its page, and the chart's bands in the proportions of the bases
// (personnel 12:4 by headcount and premises 300:100 by floor space, both
// 3:1).
TEST_F(ShippedModelTest, DemoChartFollowsTheFlowAndItsSplits) {
  Run("examples/demo", "REP.csv", "REP,41,flow\r\n");
  const FlowChart chart = Chart();
  // Resources, activities, products: by stage type, not by code.
  EXPECT_EQ(Columns(chart), (std::vector<std::string>{"RES: R.PERS R.PREM", "ACT: A.BAKE A.PACK",
                                                      "PRD: P.BREAD P.CAKE"}));
  std::map<std::string, const ChartBand*> bands = BandsByRoute(chart);
  EXPECT_DOUBLE_EQ(bands["R.PERS>A.BAKE"]->width / bands["R.PERS>A.PACK"]->width, 3.0);
  EXPECT_DOUBLE_EQ(bands["R.PREM>A.BAKE"]->width / bands["R.PREM>A.PACK"]->width, 3.0);
  EXPECT_DOUBLE_EQ(Bar(chart, "R.PERS").height / Bar(chart, "R.PREM").height, 68750.0 / 14000);
  EXPECT_EQ(bands["R.PERS>A.BAKE"]->tooltip,
            "R.PERS Personnel costs → A.BAKE Baking\n51,562.50, 75.00 % of R.PERS");
  EXPECT_EQ(Bar(chart, "P.BREAD").tooltip, "P.BREAD Bread\nStage PRD Products\nCost 60,770.38");
  EXPECT_TRUE(chart.stubs.empty());
  ExpectWellFormed(chart);

  const std::string page = folder_.Read("out/flow.html");
  EXPECT_EQ(
      page.rfind("<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">", 0),
      0u);
  const std::string parts[] = {
      "<p class=\"about\">Demo bakery - costs of one month</p>",
      "<p class=\"about\">Run 2026-12-07 10:11:12 of " + folder_.path("run.csv") + "</p>",
      "<title>R.PERS Personnel costs → A.BAKE Baking&#10;51,562.50, 75.00 % of R.PERS</title>",
      "<h2>Stage RES Resources</h2>"};
  for (const std::string& part : parts) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
  // Nothing is fetched from elsewhere.
  for (const char* reference : {"src=", "href=", "http", "@import", "<script", "<link"}) {
    EXPECT_EQ(page.find(reference), std::string::npos) << reference;
  }
}

// The run's label (option 12) heads the page after the chart's name: in an
// isolate of its own among the heading's words, as plain text in the title.
TEST_F(ShippedModelTest, TheRunLabelHeadsThePage) {
  Run("examples/demo", "REP.csv", "OO,12,F\xC3\xA9vrier <Actual>\r\nREP,41,flow\r\n");
  const std::string page = folder_.Read("out/flow.html");
  EXPECT_NE(page.find("<title>Cost Flow Chart &#8211; F\xC3\xA9vrier &lt;Actual&gt;</title>"),
            std::string::npos);
  EXPECT_NE(page.find("<h1>Cost Flow Chart &#8211; <bdi>F\xC3\xA9vrier &lt;Actual&gt;</bdi></h1>"),
            std::string::npos);
  // The option's 26-character name, then a blank, then the record.
  EXPECT_NE(folder_.Read("out/.Job.csv").find("12 Run Label" + std::string(18, ' ') + "OO,12,"),
            std::string::npos);
}

// Reciprocal allocation's service departments (see the model's README): IT
// (1,200) and HR (800) serve each other and facilities (500), which serves
// them back from the next stage and sends on to assembly in its own stage.
TEST_F(ShippedModelTest, SolvedLoopsTurnBackWithTheirSolvedAmounts) {
  Run("tests/models/reciprocal_services", "reports.csv", "REP,41\r\n");
  const FlowChart chart = Chart();
  EXPECT_EQ(Columns(chart),
            (std::vector<std::string>{"S1: HR IT RENT", "S2: FAC", "S2: ASM", "S3: BIKE CART"}));
  std::map<std::string, const ChartBand*> bands = BandsByRoute(chart);
  struct Route {
    std::string route;
    double amount;
    bool turns_back;
  };
  const Route routes[] = {{"IT>HR", 120, true}, {"HR>IT", 160, true},   {"FAC>IT", 50, true},
                          {"FAC>HR", 50, true}, {"IT>FAC", 120, false}, {"FAC>ASM", 250, false}};
  for (const Route& r : routes) {
    ASSERT_TRUE(bands.count(r.route)) << r.route;
    EXPECT_NEAR(bands[r.route]->amount, r.amount, 1e-6) << r.route;
    EXPECT_EQ(bands[r.route]->turns_back, r.turns_back) << r.route;
  }
  EXPECT_EQ(bands["IT>HR"]->tooltip,
            "IT Information technology → HR Human resources\n120.00, 10.00 % of IT");
  EXPECT_DOUBLE_EQ(bands["IT>HR"]->width / bands["HR>IT"]->width, 120.0 / 160);
  EXPECT_DOUBLE_EQ(Bar(chart, "IT").height / Bar(chart, "HR").height, 1200.0 / 800);
  EXPECT_TRUE(chart.stubs.empty());
  ExpectWellFormed(chart);
}

}  // namespace
}  // namespace korav
