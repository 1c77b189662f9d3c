#include "allocation/allocate/allocation_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "allocation/loading/model_completion.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// One dimension of two values; pools get their values together with one
// value cube entry each, as transactions would give them.
class AllocationTest : public ModelTest {
 protected:
  void Complete() {
    Parse("DIMH,1,Account");
    for (const char* value : {"X,One", "Y,Two"}) Value(1, value);
    CompleteModel(engine_);
    BuildInputs(engine_);
  }

  void Give(const char* code, double amount, int32_t value_row = 1) {
    const int32_t row = engine_.model.pools.CodeIndex.Find(code);
    engine_.model.pools[row].Value += amount;
    engine_.cube.Code[1] = value_row;
    engine_.cube.vcComposeKey();
    engine_.cube.CurCP = row;
    engine_.cube.vcAdd(amount);
  }

  TmyCP& Pool(const char* code) {
    return engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)];
  }

  Lines Errors() {
    Lines errors;
    for (const std::string& line : Messages()) {
      if (line.rfind("  >>>>,,  ", 0) == 0 || line.rfind("         ,,", 0) == 0)
        errors.push_back(line);
    }
    return errors;
  }
};

TEST_F(AllocationTest, SharesFollowTheMeasuresAndTinySharesAreDropped) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,SRC,Source,G,AB");
  Parse("CP,D1,One,G");
  Parse("CP,D2,Three,G");
  Parse("CP,D3,Tiny,G");
  Parse("AB,AB,Base");
  Parse("ABL,AB,one,C,1,D1");
  Parse("ABL,AB,three,C,3,D2");
  Parse("ABL,AB,tiny,C,0.0004,D3");
  Parse("CP,D4,Just kept,G");
  Parse("ABL,AB,kept,C,0.00044,D4");
  Complete();
  Give("SRC", 60, 1);
  Give("SRC", 40, 2);
  RunAllocation(engine_);
  EXPECT_DOUBLE_EQ(Pool("D1").Value, 1 / 4.00084 * 100);
  EXPECT_DOUBLE_EQ(Pool("D2").Value, 3 / 4.00084 * 100);
  EXPECT_EQ(Pool("D3").Value, 0) << "a share of 0.01 or less stays where it is";
  EXPECT_NEAR(Pool("D4").Value, 0.011, 1e-4);
  EXPECT_TRUE(Pool("SRC").Allocated);
  EXPECT_DOUBLE_EQ(Pool("SRC").Value, 100) << "the sender keeps the cost that reached it";
  // The cube moved along: D2 holds three quarters of each source entry.
  engine_.cube.vcTotals(engine_.model, engine_.log);
  EXPECT_NEAR(Pool("D2").VCTotal, 3 / 4.00084 * 100, 1e-9);
  EXPECT_EQ(Pool("D2").VCCount, 2);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(AllocationTest, PoolsAllocatingToEachOtherNeverResolve) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,A,A,G,ABA");
  Parse("CP,B,B,G,ABB");
  Parse("AB,ABA,To B");
  Parse("AB,ABB,To A");
  Parse("ABL,ABA,b,C,1,B");
  Parse("ABL,ABB,a,C,1,A");
  Complete();
  Give("A", 10);
  RunAllocation(engine_);
  EXPECT_FALSE(Pool("A").Allocated);
  EXPECT_EQ(Errors(),
            (Lines{"  >>>>,,  305 Alloc; CP could not be allocated; CP value not finalised; CP=A ",
                   "         ,,       Alloc; CP=B has not allocated cost to this CP ",
                   "  >>>>,,  305 Alloc; CP could not be allocated; CP value not finalised; CP=B ",
                   "         ,,       Alloc; CP=A has not allocated cost to this CP "}));
}

TEST_F(AllocationTest, BudgetedPoolWithoutValueSendsItsBudgetAndVariance) {
  Parse("OO,1,");
  engine_.options.slots[1].IsSet = true;
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,BUD,Budgeted,G,AB,1,VAR,50");
  Parse("CP,OUT,Output,G");
  Parse("CP,VAR,Variance,G");
  Parse("AB,AB,Base");
  Parse("ABL,AB,all,C,1,OUT");
  Complete();
  RunAllocation(engine_);
  EXPECT_DOUBLE_EQ(Pool("OUT").Value, 50);
  EXPECT_DOUBLE_EQ(Pool("VAR").Value, -50);
  // VAR stands after BUD, so the variance reaches it before the sweep marks
  // it allocated, and no e301 is due.
  EXPECT_TRUE(Errors().empty());
  engine_.cube.vcTotals(engine_.model, engine_.log);
  EXPECT_DOUBLE_EQ(Pool("OUT").VCTotal, 50);
  EXPECT_DOUBLE_EQ(Pool("VAR").VCTotal, -50);
}

TEST_F(AllocationTest, FlexibleBudgetIsCappedByTheActualValue) {
  Parse("OO,1,");
  engine_.options.slots[1].IsSet = true;
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,P,Pool,G,AB,3,V,100,1,10,12");
  Parse("CP,V,Variance,G");
  Parse("AB,AB,Base");
  Complete();
  TmyCP& pool = Pool("P");
  pool.Value = 110;
  ComputeAllocationValue(engine_, pool);
  EXPECT_DOUBLE_EQ(pool.AllocValue, 110);
  pool.Value = 130;
  ComputeAllocationValue(engine_, pool);
  EXPECT_DOUBLE_EQ(pool.AllocValue, 120);
  engine_.options.slots[1].IsSet = false;
  ComputeAllocationValue(engine_, pool);
  EXPECT_DOUBLE_EQ(pool.AllocValue, 130) << "without budgets the actual value is allocated";
}

TEST_F(AllocationTest, InputMeasureResolvesInThePassAfterItsLastSource) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,S0,Feeds S2,G,AB0");
  Parse("CP,S1,Source,G");
  Parse("CP,S2,Late source,G");
  Parse("CP,X,Uses the measure,G,ABX");
  Parse("CP,D1,By measure,G");
  Parse("CP,D2,By constant,G");
  Parse("AB,AB0,To S2");
  Parse("ABL,AB0,all,C,1,S2");
  Parse("AB,ABX,Measure and constant");
  Parse("ABL,ABX,measure,I,M,D1");
  Parse("ABL,ABX,constant,C,2,D2");
  Parse("IM,M,Difference,C");
  Parse("IMS,M,plus,S1,I");
  Parse("IMS,M,minus,S2,E");
  Complete();
  Give("S0", 8);
  Give("S1", 10, 2);
  Give("X", 50);
  RunAllocation(engine_);
  // S2 receives S0's 8 in pass 1 and resolves in pass 2, so M resolves in
  // pass 3 as 10 - 8 = 2, and X splits 50 by 2:2.
  EXPECT_DOUBLE_EQ(engine_.model.input_measures[1].Measure, 2);
  EXPECT_DOUBLE_EQ(Pool("D1").Value, 25);
  EXPECT_DOUBLE_EQ(Pool("D2").Value, 25);
  EXPECT_TRUE(Errors().empty());
  const Lines trace = folder_.Lines(".JobandTrace.csv");
  const auto loop3 =
      std::find(trace.begin(), trace.end(), "10:11:12  Alloc Loop 3 - Memory 0 Chg 0");
  const auto resolved = std::find(trace.begin(), trace.end(), "         IM Resolved Measure IM=M ");
  ASSERT_NE(resolved, trace.end());
  EXPECT_EQ(resolved - loop3, 1);
}

TEST_F(AllocationTest, InputMeasureRowsWithoutASourcePoolCountAsZero) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,S1,Source,G");
  Parse("CP,X,Uses the measure,G,ABX");
  Parse("CP,D1,By measure,G");
  Parse("CP,D2,By constant,G");
  Parse("AB,ABX,Measure and constant");
  Parse("ABL,ABX,measure,I,M,D1");
  Parse("ABL,ABX,constant,C,10,D2");
  Parse("IM,M,Known source only,C");
  Parse("IMS,M,unknown pool,NOPE,I");
  Parse("IMS,M,known,S1,I");
  Parse("IMS,M,no pool,,I");
  Complete();
  Give("S1", 10);
  Give("X", 50);
  RunAllocation(engine_);
  // M = 10 + 0 + 0, so X splits 50 by 10:10.
  EXPECT_TRUE(engine_.model.input_measures[1].Resolved);
  EXPECT_DOUBLE_EQ(engine_.model.input_measures[1].Measure, 10);
  EXPECT_DOUBLE_EQ(Pool("D1").Value, 25);
  EXPECT_DOUBLE_EQ(Pool("D2").Value, 25);
  EXPECT_EQ(Errors(), (Lines{"  >>>>,,  110 IMS; CPCode2 not found; IM=M CP2=NOPE "}));
}

TEST_F(AllocationTest, VarianceToAPoolAlreadyPassedIsReported) {
  Parse("OO,1,");
  engine_.options.slots[1].IsSet = true;
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,VAR,Variance first,G");
  Parse("CP,BUD,Budgeted,G,AB,1,VAR,30");
  Parse("CP,OUT,Output,G");
  Parse("AB,AB,Base");
  Parse("ABL,AB,all,C,1,OUT");
  Complete();
  Give("BUD", 50);
  RunAllocation(engine_);
  EXPECT_DOUBLE_EQ(Pool("OUT").Value, 30);
  EXPECT_DOUBLE_EQ(Pool("VAR").Value, 20);
  EXPECT_EQ(Errors(), (Lines{"  >>>>,,  301 Alloc; Allocating Variance that has already been "
                             "allocated; from CP=BUD to CP=VAR "}));
}

TEST_F(AllocationTest, AllocationWaitsForAnErrorFreeModelWhenAsked) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,P,Pool,G");
  Complete();
  engine_.options.allocation_request = 1;
  engine_.LogLine("e999 some earlier error");
  RunAllocation(engine_);
  EXPECT_FALSE(Pool("P").Allocated);
  const Lines lines = Messages();
  EXPECT_EQ(lines.back(),
            "           ***** Requested Run Allocation if no errors; there are errors ");
}

TEST_F(AllocationTest, AllocationCanBeSwitchedOff) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,P,Pool,G");
  Complete();
  engine_.options.allocation_request = 2;
  RunAllocation(engine_);
  EXPECT_FALSE(Pool("P").Allocated);
  const Lines lines = Messages();
  EXPECT_NE(
      std::find(lines.begin(), lines.end(), "           ***** Requested No run of Allocation "),
      lines.end());
}

}  // namespace
}  // namespace korav
