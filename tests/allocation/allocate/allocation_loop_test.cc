#include "allocation/allocate/allocation_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "allocation/allocate/loop_system.h"
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

  // Switches reciprocal allocation on, with room for a few loops.
  void Reciprocal() {
    Option("OO,11,");
    engine_.model.bases.Size(6);
    engine_.model.base_lines.Size(16);
  }

  // A pool's value cube entries by their account code ("" for none).
  std::map<std::string, double> Cells(const char* code) {
    std::map<std::string, double> cells;
    ValueCube& cube = engine_.cube;
    for (const int32_t n : cube.PoolEntries(Pool(code).Row)) {
      cube.Index1 = cube.Entry(n).Index1;
      cube.Index2 = cube.Entry(n).Index2;
      cube.vcDecomposeKey();
      const int32_t account = cube.Code[1];
      cells[account == 0 ? "" : engine_.model.dimensions[1].Values[account].Code] +=
          cube.Entry(n).Value;
    }
    return cells;
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

TEST_F(AllocationTest, ReciprocalLoopSolvesTheEquationsCellByCell) {
  // A sends 1/4 to B and 3/4 to D; B sends half back to A and half to E.
  // x_A = 80 + 0.5 x_B and x_B = 15 + 0.25 x_A give x_A = 100, x_B = 40.
  // Values arriving in B lose their account (CPDC %0), so B's full cost is
  // its own 15 under Y and 0.25 x 100 = 25 under no account; A keeps X 60,
  // Y 20 + 0.5 x 15 = 27.5 and gets 0.5 x 25 = 12.5 under no account.
  Reciprocal();
  Option("OO,7,");
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,A,Service A,G,ABA");
  Parse("CP,B,Service B,G,ABB");
  Parse("CPDC,B,No account,,,%0");
  Parse("CP,D,Product D,G");
  Parse("CP,E,Product E,G");
  Parse("AB,ABA,A's base");
  Parse("ABL,ABA,b,C,1,B");
  Parse("ABL,ABA,d,C,3,D");
  Parse("AB,ABB,B's base");
  Parse("ABL,ABB,a,C,1,A");
  Parse("ABL,ABB,e,C,1,E");
  Complete();
  Give("A", 60, 1);
  Give("A", 20, 2);
  Give("B", 15, 2);
  RunAllocation(engine_);
  EXPECT_NEAR(Pool("A").Value, 100, 1e-9);
  EXPECT_NEAR(Pool("B").Value, 40, 1e-9);
  EXPECT_EQ(Pool("A").AllocValue, Pool("A").Value) << "allocated whole, no variance";
  EXPECT_TRUE(Pool("B").Allocated);
  EXPECT_NEAR(Pool("D").Value, 75, 1e-9);
  EXPECT_NEAR(Pool("E").Value, 20, 1e-9);
  using Cube = std::map<std::string, double>;
  const auto expect_cells = [this](const char* pool, const Cube& expected) {
    const Cube cells = Cells(pool);
    ASSERT_EQ(cells.size(), expected.size()) << pool;
    for (const auto& [account, value] : expected) EXPECT_NEAR(cells.at(account), value, 1e-9);
  };
  expect_cells("A", {{"X", 60}, {"Y", 27.5}, {"", 12.5}});
  expect_cells("B", {{"Y", 15}, {"", 25}});
  expect_cells("D", {{"X", 45}, {"Y", 20.625}, {"", 9.375}});
  expect_cells("E", {{"Y", 7.5}, {"", 12.5}});
  EXPECT_TRUE(Errors().empty());
  const Lines trace = folder_.Lines(".JobandTrace.csv");
  const auto solved =
      std::find(trace.begin(), trace.end(), Info(" Reciprocal Allocation; CP=A/B, Solved"));
  ASSERT_NE(solved, trace.end());
  EXPECT_EQ(Lines(solved + 1, solved + 6),
            (Lines{"             Reciprocal Loop 1 CP=A/B; Members=2; Solved ",
                   "                Reciprocal CP=A Own (80) Full (100) ",
                   "         CP Resolved Cost    CP=A (100.00) ",
                   "                Reciprocal CP=B Own (15) Full (40) ",
                   "         CP Resolved Cost    CP=B (40.00) "}));
  EXPECT_NE(std::find(trace.begin(), trace.end(), Info("11 Reciprocal Allocation      OO,11,")),
            trace.end());
}

TEST_F(AllocationTest, LoopsAreSolvedInTurnAndThePoolsBelowFollow) {
  // S keeps a fifth of its cost: x_S = 80 / 0.8 = 100, and 80 goes to A.
  // A and B wait for S: x_A = 80 + 0.25 x_B, x_B = 30 + 0.5 x_A give 100
  // and 80; F gets 0.5 x 100 + 0.75 x 80 = 110. T sends half of 100 to U,
  // whose share back, 50 x 0.0001 / 1.0001, is below 0.01 and dropped as in
  // any allocation: x_T = 100, x_U = 50, G = 50 + 50 / 1.0001.
  Reciprocal();
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,S,Self,G,ABS");
  Parse("CP,A,A,G,ABA");
  Parse("CP,B,B,G,ABB");
  Parse("CP,F,F,G");
  Parse("CP,T,T,G,ABT");
  Parse("CP,U,U,G,ABU");
  Parse("CP,G1,G,G");
  Parse("AB,ABS,S");
  Parse("ABL,ABS,self,C,1,S");
  Parse("ABL,ABS,a,C,4,A");
  Parse("AB,ABA,A");
  Parse("ABL,ABA,b,C,1,B");
  Parse("ABL,ABA,f,C,1,F");
  Parse("AB,ABB,B");
  Parse("ABL,ABB,a,C,1,A");
  Parse("ABL,ABB,f,C,3,F");
  Parse("AB,ABT,T");
  Parse("ABL,ABT,u,C,1,U");
  Parse("ABL,ABT,g,C,1,G1");
  Parse("AB,ABU,U");
  Parse("ABL,ABU,t,C,0.0001,T");
  Parse("ABL,ABU,g,C,1,G1");
  Complete();
  Give("S", 80);
  Give("B", 30, 2);
  Give("T", 100);
  RunAllocation(engine_);
  EXPECT_NEAR(Pool("S").Value, 100, 1e-9);
  EXPECT_NEAR(Pool("A").Value, 100, 1e-9);
  EXPECT_NEAR(Pool("B").Value, 80, 1e-9);
  EXPECT_NEAR(Pool("F").Value, 110, 1e-9);
  EXPECT_DOUBLE_EQ(Pool("T").Value, 100);
  EXPECT_NEAR(Pool("G1").Value, 50 + 50 / 1.0001, 1e-9);
  EXPECT_TRUE(Pool("F").Resolved);
  EXPECT_TRUE(Errors().empty());
  Lines solved;
  for (const std::string& line : folder_.Lines(".Job.csv")) {
    if (line.find("Reciprocal Allocation;") != std::string::npos) solved.push_back(line);
  }
  EXPECT_EQ(solved, (Lines{Info(" Reciprocal Allocation; CP=S, Solved"),
                           Info(" Reciprocal Allocation; CP=T/U, Solved"),
                           Info(" Reciprocal Allocation; CP=A/B, Solved")}));
}

// A and B allocate into each other and never resolve; P beside them
// allocates to Q as it would without them.
struct UnsolvableLoop {
  const char* name;
  std::vector<const char*> records;  // the pools A and B, their bases' lines, what those need
  // What comes before the e305 lines of A and B: numbered errors by their
  // text, warnings as written (beginning "w").
  std::vector<const char*> first_errors;
  std::vector<const char*> last_errors;  // what comes after them
};

class UnsolvableLoopTest : public AllocationTest,
                           public ::testing::WithParamInterface<UnsolvableLoop> {};

TEST_P(UnsolvableLoopTest, SaysWhyAndLeavesEverythingElseAsWithoutTheOption) {
  Reciprocal();
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,1");
  Parse("CP,P,Beside,G,ABP");
  Parse("CP,Q,Below P,G");
  Parse("AB,ABP,P");
  Parse("ABL,ABP,q,C,1,Q");
  Parse("AB,ABA,A");
  Parse("AB,ABB,B");
  for (const char* record : GetParam().records) {
    if (std::string_view(record).starts_with("OO,")) {
      Option(record);
    } else {
      Parse(record);
    }
  }
  Complete();
  Give("A", 10);
  Give("P", 7);
  RunAllocation(engine_);
  EXPECT_FALSE(Pool("A").Resolved);
  EXPECT_FALSE(Pool("B").Allocated);
  EXPECT_DOUBLE_EQ(Pool("Q").Value, 7);
  std::vector<const char*> lines = GetParam().first_errors;
  lines.insert(lines.end(), {"305 Alloc; CP could not be allocated; CP value not finalised; CP=A",
                             "w         ,,       Alloc; CP=B has not allocated cost to this CP ",
                             "305 Alloc; CP could not be allocated; CP value not finalised; CP=B",
                             "w         ,,       Alloc; CP=A has not allocated cost to this CP "});
  lines.insert(lines.end(), GetParam().last_errors.begin(), GetParam().last_errors.end());
  Lines expected;
  for (const char* line : lines) {
    expected.push_back(line[0] == 'w' ? std::string(line + 1) : Error(line));
  }
  EXPECT_EQ(Errors(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reciprocal, UnsolvableLoopTest,
    ::testing::Values(
        UnsolvableLoop{"AllCostStaysInTheLoop",
                       {"CP,A,A,G,ABA", "CP,B,B,G,ABB", "ABL,ABA,b,C,1,B", "ABL,ABB,a,C,1,A"},
                       {"308 Alloc; Reciprocal allocation not possible, cost never leaves "
                        "the loop; CP=A/B"},
                       {}},
        UnsolvableLoop{"ProportionFromAMembersCost",
                       {"CP,A,A,G,ABA", "CP,B,B,G,ABB", "ABL,ABA,b,C,1,B", "ABL,ABB,a,I,M,A",
                        "IM,M,From A,C", "IMS,M,A's cost,A,I"},
                       {"308 Alloc; Reciprocal allocation not possible, base line not "
                        "resolved; CP=A/B",
                        "303 Alloc; IM could not be used for allocn; IM not resolved; IM=M",
                        "w         ,,      Alloc; CP=A not resolved ",
                        "304 Alloc; AB could not be used for allocn; not all Measures "
                        "resolved; AB=ABB",
                        "w         ,,       Alloc; IM=M not resolved "},
                       {}},
        UnsolvableLoop{"BudgetedMember",
                       {"OO,1,", "CP,A,A,G,ABA", "CP,B,B,G,ABB,1,V,20", "CP,V,Variance,G",
                        "CP,Z,Below A,G", "ABL,ABA,b,C,1,B", "ABL,ABA,z,C,1,Z", "ABL,ABB,a,C,1,A"},
                       {"308 Alloc; Reciprocal allocation not possible, base line not "
                        "resolved; CP=A/B"},
                       {"305 Alloc; CP could not be allocated; CP value not finalised; CP=Z",
                        "w         ,,       Alloc; CP=A has not allocated cost to this CP "}}),
    [](const auto& info) { return std::string(info.param.name); });

// A ring of pools R001, R002, ... larger than the loops solved densely:
// each sends `round` of its full cost to the next, `chord` to the one seven
// ahead, and the rest out of the loop to OUT. Every tenth pool has own cost
// under account X or Y, so no share is small enough to be dropped.
struct LargeLoop {
  const char* name;
  int pools;
  double round;
  double chord;
  bool rekeys;                     // members lose the account of what they receive (CPDC %0)
  bool reversed;                   // the ring runs against the code order
  double scale = 1;                // of the own costs
  const char* unsolved = nullptr;  // why the loop cannot be solved, if it cannot
};

class LargeLoopTest : public AllocationTest, public ::testing::WithParamInterface<LargeLoop> {
 protected:
  static std::string Code(int pool) {
    const std::string number = std::to_string(pool);
    return "R" + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
  }

  // Builds and allocates the ring; own[i] is pool i's own cost under X
  // (even tenths) or Y (odd tenths).
  void AllocateRing(const LargeLoop& ring) {
    Reciprocal();
    engine_.model.pools.Size(ring.pools + 2);
    engine_.model.bases.Size(ring.pools + 1);
    engine_.model.base_lines.Size(3 * ring.pools + 1);
    engine_.model.selections.Size(ring.pools + 12);
    Parse("STG,S,Stage,2");
    Parse("CPG,G,Group,S,1");
    Parse("CP,OUT,Out of the loop,G");
    const auto ahead = [&ring](int pool, int steps) {
      const int next = ring.reversed ? pool - steps : pool + steps;
      return Code((next - 1 + ring.pools) % ring.pools + 1);
    };
    for (int pool = 1; pool <= ring.pools; ++pool) {
      const std::string code = Code(pool);
      Parse("CP," + code + "," + code + ",G,AB" + code);
      if (ring.rekeys) Parse("CPDC," + code + ",No account,,,%0");
      Parse("AB,AB" + code + "," + code);
      Parse("ABL,AB" + code + ",next,C," + std::to_string(ring.round) + "," + ahead(pool, 1));
      if (ring.chord != 0) {
        Parse("ABL,AB" + code + ",chord,C," + std::to_string(ring.chord) + "," + ahead(pool, 7));
      }
      Parse("ABL,AB" + code + ",out,C," + std::to_string(1 - ring.round - ring.chord) + ",OUT");
    }
    Complete();
    own_x_.assign(ring.pools, 0.0);
    own_y_.assign(ring.pools, 0.0);
    for (int pool = 1; pool <= ring.pools; pool += 10) {
      std::vector<double>& own = pool % 20 == 1 ? own_x_ : own_y_;
      own[pool - 1] = (10.0 * pool + 0.37) * ring.scale;
      Give(Code(pool).c_str(), own[pool - 1], pool % 20 == 1 ? 1 : 2);
    }
    RunAllocation(engine_);
  }

  // The same equations, over the proportions the allocation stored on the
  // lines, solved densely for own costs `own`.
  std::vector<double> SolvedDensely(const LargeLoop& ring, std::vector<double> own) {
    std::vector<LoopSystem::Link> links;
    for (int pool = 1; pool <= ring.pools; ++pool) {
      for (const int32_t index : engine_.model.bases[Pool(Code(pool).c_str()).Base].Lines) {
        const TmyABL& line = engine_.model.base_lines[index];
        const std::string& to = engine_.model.pools[line.Output].Code;
        if (to != "OUT") {
          links.push_back({static_cast<size_t>(pool - 1),
                           static_cast<size_t>(std::stoi(to.substr(1)) - 1), line.Propn});
        }
      }
    }
    LoopSystem dense;
    EXPECT_TRUE(dense.Factor(links, own.size(), false));
    dense.Solve(own);
    return own;
  }

  std::vector<double> own_x_;
  std::vector<double> own_y_;
};

TEST_P(LargeLoopTest, SolvedSparselyAsDenselyToFarBelowACent) {
  const LargeLoop& ring = GetParam();
  ASSERT_GT(static_cast<size_t>(ring.pools), LoopSystem::kDenseLimit);
  AllocateRing(ring);
  EXPECT_TRUE(Errors().empty());
  const std::vector<double> full_x = SolvedDensely(ring, own_x_);
  const std::vector<double> full_y = SolvedDensely(ring, own_y_);
  constexpr double kFarBelowACent = 1e-5;
  double total = 0;
  for (int pool = 1; pool <= ring.pools; ++pool) {
    const size_t m = static_cast<size_t>(pool - 1);
    const std::string code = Code(pool);
    EXPECT_NEAR(Pool(code.c_str()).Value, full_x[m] + full_y[m], kFarBelowACent) << code;
    std::map<std::string, double> expected;
    if (ring.rekeys) {
      // What a member receives arrives without an account.
      expected = {
          {"X", own_x_[m]}, {"Y", own_y_[m]}, {"", full_x[m] + full_y[m] - own_x_[m] - own_y_[m]}};
    } else {
      expected = {{"X", full_x[m]}, {"Y", full_y[m]}};
    }
    std::map<std::string, double> cells = Cells(code.c_str());
    for (const auto& [account, value] : expected) {
      EXPECT_NEAR(cells[account], value, kFarBelowACent) << code << " " << account;
    }
    total += own_x_[m] + own_y_[m];
  }
  EXPECT_NEAR(Pool("OUT").Value, total, kFarBelowACent) << "all cost leaves the loop";
}

INSTANTIATE_TEST_SUITE_P(
    Reciprocal, LargeLoopTest,
    ::testing::Values(LargeLoop{"TinyLeak", 80, 0.999999, 0, false, false},
                      LargeLoop{"TinyLeakAgainstTheCodeOrder", 80, 0.999999, 0, false, true},
                      LargeLoop{"ChordsAndLostAccounts", 90, 0.6, 0.3, true, false},
                      LargeLoop{"ChordsAgainstTheCodeOrder", 90, 0.5, 0.4, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A large loop that cannot be solved says why as a small one does.
class UnsolvableLargeLoopTest : public LargeLoopTest {};

TEST_P(UnsolvableLargeLoopTest, SaysWhy) {
  const LargeLoop& ring = GetParam();
  AllocateRing(ring);
  std::string codes;
  for (int pool = 1; pool <= ring.pools; ++pool) codes += (pool > 1 ? "/" : "") + Code(pool);
  const Lines errors = Errors();
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), Error(std::string("308 Alloc; Reciprocal allocation not possible, ") +
                                  ring.unsolved + "; CP=" + codes));
  EXPECT_FALSE(Pool("R001").Resolved);
}

INSTANTIATE_TEST_SUITE_P(Reciprocal, UnsolvableLargeLoopTest,
                         ::testing::Values(LargeLoop{"CostNeverLeaves", 70, 1, 0, false, false, 1,
                                                     "cost never leaves the loop"},
                                           LargeLoop{"NotFinite", 70, 0.999999, 0, false, false,
                                                     1e304, "full costs not finite"}),
                         [](const auto& info) { return std::string(info.param.name); });

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
