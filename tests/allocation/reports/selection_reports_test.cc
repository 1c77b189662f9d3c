#include <gtest/gtest.h>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

class SelectionReportsTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("DIMH,1,Account");
    Parse("DIMH,2,Region");
    Value(1, "X,Only");
    Value(2, "R,Region");
    Parse("STG,S1,Stage one,2");
    Parse("STG,S2,Stage two,2");
    Parse("CPG,GB,Second,S1,2");
    Parse("CPG,GA,First,S1,1,,0,1");
    Parse("CPG,GN,No rows,S1,0");
    Parse("CPG,GZ,Other stage,S2,0");
    Parse("CPGS,GB,Region rows,,,*,R");
    Parse("CPGS,GA,All,,,*,*");
    Parse("CPGS,GZ,All,,,*,*");
    Parse("CP,P,Pool,GA,AB");
    Parse("CPS,P,Any,,,*,*");
    Parse("AB,AB,Base");
    Parse("ABL,AB,named,N,NM,P");
    Parse("NM,NM,Named,10,4");
    Parse("IM,IM,Input,T");
    Parse("IMS,IM,Included,,,X");
    Parse("IMS,IM,Excluded,P,E");
    CompleteModel(engine_);
    BuildWhereUsed(engine_);
  }
};

TEST_F(SelectionReportsTest, GroupsInPriorityOrderWithTheirRows) {
  const Lines lines = Report("REP,13,,S1", WriteSelectionResolutionReport);
  const Lines expected = {
      "Type,Code,Description,Count,Value,Prty,Account,Region",
      "Cost Pool Groups",
      "CPG,GA,\"First\",0,0.00,1,0,1,0,0,0,0",
      "    CPGS,GA,\"All\",0,0.00,,*,*",
      "CPG,GB,\"Second\",0,0.00,2,0,0,0,0,0,0",
      "    CPGS,GB,\"Region rows\",0,0.00,,*,R",
      "",
      "Cost Pools",
      "CPG,GA,\"First\",0,0.00,1",
      "    CPS,P,\"Any\",0,0.00,,*,*",
      "",
      "CPG,GB,\"Second\",0,0.00,2",
      "",
  };
  EXPECT_EQ(Lines(lines.begin() + 1, lines.end()), expected);
}

TEST_F(SelectionReportsTest, MeasuresWithRowsAndUsers) {
  const Lines lines = Report("REP,14", WriteCostMeasuresReport);
  const Lines expected = {
      "Measure Type,Code,Description,CPCode/T,Include,Count,Value,RawV,Divisor,Account,Region",
      "NM,NM,\"Named\",,,,2.50,10.00,4.00",
      "    Used by AB,AB,\"Base\"",
      "    Used by CP,P,\"Pool\"",
      "IM,IM,\"Input\",T,,,0.00,0.00,1.00",
      "    IMS,IM,\"Included\",,I,0,,0.00,,X,*",
      "    IMS,IM,\"Excluded\",P,E,0,,0.00,,*,*",
  };
  EXPECT_EQ(Lines(lines.begin() + 1, lines.end()), expected);
  const Lines quiet = Report("REP,14,,,,,-,,,,-,-", WriteCostMeasuresReport);
  EXPECT_EQ(quiet.size(), 4u) << "title, header, NM and IM lines only";
}

}  // namespace
}  // namespace korav
