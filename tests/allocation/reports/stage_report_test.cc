#include <gtest/gtest.h>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// Stage S1 (type 1) with pools V (base and variance pool), U (base, no
// variance pool) and N (no base); stage S3 (final) with pool F.
class StageReportTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("STG,S1,Resources,1");
    Parse("STG,S3,Products,3");
    Parse("CPG,G1,Resource pools,S1,1");
    Parse("CPG,G3,Product pools,S3,2");
    Parse("CP,V,With variance pool,G1,AB,1,F");
    Parse("CP,U,Without variance pool,G1,AB");
    Parse("CP,N,No base,G1");
    Parse("CP,F,Final,G3");
    Parse("AB,AB,Base");
    Parse("ABL,AB,all,C,1,F");
    CompleteModel(engine_);
    for (const char* code : {"V", "U", "N", "F"}) {
      TmyCP& pool = engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)];
      pool.Value = 100;
      pool.AllocValue = pool.Base != 0 ? 80 : 0;
    }
  }
};

TEST_F(StageReportTest, ActualsAllocationsAndVariancesByStage) {
  const Lines lines = Report("REP,12,March", WriteStageReport);
  const Lines expected = {
      "Stage Report; March; 2026-12-07 10:11:12",
      "RecType,Code,Description,CP Count,STG Value,CPG Value,CP Actual,Unalloc,Alloc,"
      "Alloc Variance,UnAlloc Variance",
      "STG,S1,\"Resources\",3,300.00",
      "    CPG,G1,\"Resource pools\",,,300.00",
      "        CP,N,\"No base\",,,,100.00,100.00,,",
      "        CP,U,\"Without variance pool\",,,,100.00,,80.00,,20.00,",
      "        CP,V,\"With variance pool\",,,,100.00,,80.00,20.00,",
      ",Total,,,,,300.00,100.00,160.00,20.00,20.00",
      ",Next,,,180.00,<<<",
      "",
      "STG,S3,\"Products\",1,100.00",
      "    CPG,G3,\"Product pools\",,,100.00",
      "        CP,F,\"Final\",,,,100.00,,,",
      ",Total,,,,,100.00,0.00,0.00,0.00,0.00",
      ",Next,,,100.00,<<<",
      "",
  };
  EXPECT_EQ(lines, expected);
}

// The Cost Flow Chart's tables under the chart carry the same figures.
TEST_F(StageReportTest, FlowChartTablesCarryTheSameFigures) {
  const auto cells = [](std::vector<std::string> texts) {
    std::string row = "<tr><td>" + texts[0] + "</td><td>" + texts[1] + "</td>";
    for (size_t i = 2; i < texts.size(); ++i) row += "<td class=\"n\">" + texts[i] + "</td>";
    return row + "</tr>";
  };
  const Lines expected = {
      cells({"N", "No base", "100.00", "", "100.00", "", ""}),
      cells({"U", "Without variance pool", "100.00", "80.00", "", "", "20.00"}),
      cells({"V", "With variance pool", "100.00", "80.00", "", "20.00", ""}),
      "<tr class=\"total\"><td>Total</td><td></td><td class=\"n\">300.00</td>"
      "<td class=\"n\">160.00</td><td class=\"n\">100.00</td><td class=\"n\">20.00</td>"
      "<td class=\"n\">20.00</td></tr>",
      "<tr><td>Passed on</td><td></td><td class=\"n\">180.00</td><td colspan=\"4\"></td></tr>",
      cells({"F", "Final", "100.00", "", "", "", ""}),
      "<tr class=\"total\"><td>Total</td><td></td><td class=\"n\">100.00</td>"
      "<td class=\"n\">0.00</td><td class=\"n\">0.00</td><td class=\"n\">0.00</td>"
      "<td class=\"n\">0.00</td></tr>",
      "<tr><td>Passed on</td><td></td><td class=\"n\">100.00</td><td colspan=\"4\"></td></tr>",
  };
  Lines rows;
  for (const std::string& line : Report("REP,41", WriteCostFlowChart)) {
    if (line.rfind("<tr>", 0) == 0 && line.find("<th>") == std::string::npos) rows.push_back(line);
    if (line.rfind("<tr class=\"total\">", 0) == 0) rows.push_back(line);
  }
  EXPECT_EQ(rows, expected);
}

TEST_F(StageReportTest, RangeAndSwitchesLeaveOnlyTheStageTotals) {
  const Lines lines = Report("REP,12,,S3,,,-", WriteStageReport);
  EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
            (Lines{"STG,S3,\"Products\",1,100.00", ",Total,,,,,0.00,0.00,0.00,0.00,0.00",
                   ",Next,,,0.00,<<<", ""}));
}

TEST_F(StageReportTest, OutputFileNamesStayInTheOutputFolder) {
  folder_.MakeDirectory("sub");
  folder_.MakeDirectory("dir.d");
  // The name a record gives, and why the output folder refuses it ("" when
  // it takes it).
  const auto name = [&](std::string_view record) {
    engine_.csv.SplitCsv(record);
    return ReportOutputName(engine_);
  };
  const auto refusal = [&](std::string_view record) {
    return engine_.output_folder.Place(name(record)).refusal;
  };
  EXPECT_EQ(name("REP,12"), "12.csv");
  EXPECT_EQ(name("REP,12,stages"), "stages.csv");
  EXPECT_EQ(name("REP,12,stages.txt"), "stages.txt");
  EXPECT_EQ(name("REP,12,sub\\stages"), "sub/stages.csv");
  EXPECT_EQ(name("REP,12,./sub/./s.csv"), "./sub/./s.csv");
  EXPECT_EQ(refusal("REP,12,./sub/./s.csv"), "");
  // No drive letters here: a colon is a character of the name.
  EXPECT_EQ(name("REP,12,C:x"), "C:x.csv");
  EXPECT_EQ(refusal("REP,12,C:x"), "");
  EXPECT_EQ(name("REP,12,sub/"), "sub/.csv") << "a name without a dot gets one";
  // The chart is a page: a name without a dot becomes one.
  EXPECT_EQ(name("REP,41"), "41.html");
  EXPECT_EQ(name("REP,41,flow"), "flow.html");
  EXPECT_EQ(name("REP,41,flow.htm"), "flow.htm");
  const std::string outside = "it must name a file in the output folder";
  for (const char* record :
       {"REP,12,/tmp/x", "REP,12,../x", "REP,12,..\\x.csv", "REP,12,sub/../../x.csv",
        "REP,12,dir.d/", "REP,12,sub/.", "REP,../../12", "REP,12,.."}) {
    EXPECT_EQ(refusal(record), outside) << record;
  }
  EXPECT_EQ(refusal("REP,12,nofolder/x"), "a folder in it does not exist");
  EXPECT_EQ(refusal("REP,12,C:\\x"), "a folder in it does not exist");
  EXPECT_EQ(refusal("REP,12,dir.d"), "it is a folder");
  EXPECT_EQ(refusal("REP,12," + std::string(256, 'n')), outside) << "too long for a file name";
  EXPECT_EQ(refusal("REP,12," + std::string(251, 'n')), "");
}

// Two pools of finite values whose stage total is not: the report shows the
// marker, never "inf", and the run counts it as an error.
TEST_F(StageReportTest, ATotalThatIsNotFiniteIsAnError) {
  for (const char* code : {"V", "U"}) {
    engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)].Value = 1e308;
  }
  engine_.csv.SplitCsv("REP,12");
  ASSERT_TRUE(OpenReportOutput(engine_));
  WriteStageReport(engine_);
  CloseReportOutput(engine_);
  const std::string report = folder_.Read("12.csv");
  EXPECT_NE(report.find("STG,S1,\"Resources\",3,#NUM!"), std::string::npos) << report;
  EXPECT_EQ(report.find("inf"), std::string::npos);
  const Lines log = Messages();
  EXPECT_EQ(log.back(), "  >>>>,,  408 REP; Figure not finite, written as #NUM!; File=" +
                            folder_.dir() + "12.csv Lines=4 ");
}

TEST_F(StageReportTest, ReportRangesFilterPools) {
  const auto in_range = [&](std::string_view record, const char* code) {
    engine_.csv.SplitCsv(record);
    SetReportRanges(engine_);
    return InReportRange(engine_, engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)]);
  };
  EXPECT_TRUE(in_range("REP,15", "V"));
  EXPECT_TRUE(in_range("REP,15,,S1", "V"));
  EXPECT_FALSE(in_range("REP,15,,S3", "V"));
  EXPECT_TRUE(in_range("REP,15,,,G*", "F"));
  EXPECT_FALSE(in_range("REP,15,,,,N/U", "V"));
  EXPECT_TRUE(in_range("REP,15,,,,N/U", "U"));

  // Codes outside the fixture's pools, without group.
  const auto code_in_range = [&](std::string_view record, const char* code) {
    engine_.csv.SplitCsv(record);
    SetReportRanges(engine_);
    TmyCP pool;
    pool.Code = code;
    return InReportRange(engine_, pool);
  };
  EXPECT_FALSE(code_in_range("REP,15", "zz")) << "the empty range ends at z";
  EXPECT_TRUE(code_in_range("REP,15", "z"));
  EXPECT_TRUE(code_in_range("REP,15,,,,2/3", "2x"));
  EXPECT_TRUE(code_in_range("REP,15,,,,2/3", "3"));
  EXPECT_FALSE(code_in_range("REP,15,,,,2/3", "3x"));
}

}  // namespace
}  // namespace korav
