#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <limits>
#include <map>
#include <random>
#include <stdexcept>
#include <utility>

#include "allocation/allocate/allocation_loop.h"
#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_table.h"
#include "allocation/transactions/transaction_phase.h"
#include "common/exact_sum.h"
#include "common/numbers.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// A two-dimensional model: accounts A1, A2 and departments B1. Group G takes
// account A1 only; group F (flagged, negating) takes A2; pool P of G takes
// all, and so does Q of F.
class TransactionTest : public ModelTest {
 protected:
  void Build(bool with_flagged_group = true, std::initializer_list<const char*> extra = {},
             bool second_department = false) {
    Parse("DIMH,1,Account");
    Parse("DIMH,2,Department");
    Value(1, "A1,One");
    Value(1, "A2,Two");
    Value(2, "B1,Dept");
    if (second_department) Value(2, "B2,Dept two");
    Parse("STG,S,Stage,2");
    Parse("CPG,G,Group,S,10");
    Parse("CPGS,G,Account one,,,A1,*");
    Parse("CP,P,Pool,G");
    Parse("CPS,P,All,,,*,*");
    if (with_flagged_group) {
      Parse("CPG,F,Flagged,S,20,Y");
      Parse("CPGS,F,Account two,,,A2,*");
      Parse("CP,Q,Pool,F");
      Parse("CPS,Q,All,,,*,*");
    }
    for (const char* record : extra) Parse(record);
    CompleteModel(engine_);
  }

  void Read(const std::string& content, const TransactionLimits& limits = {}) {
    folder_.Write("tx.csv", content);
    engine_.state.data_path = folder_.path("tx.csv");
    engine_.state.data_name = "tx.csv";
    ASSERT_TRUE(engine_.data_file.Open(folder_.path("tx.csv")));
    engine_.state.record_number = 0;
    ReadTransactions(engine_, limits);
    engine_.data_file.Close();
  }

  const TmyCP& Pool(const char* code) {
    return engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)];
  }
};

TEST_F(TransactionTest, AcceptedLinesReachEveryTallyAndTheCube) {
  Build();
  Read("12.5,A1,B1\n7,A2,B1\n0,A1,B1\n");
  const TmyCP& p = Pool("P");
  EXPECT_DOUBLE_EQ(p.Value, 12.5);
  EXPECT_EQ(p.TxCount, 2);
  EXPECT_DOUBLE_EQ(Pool("Q").Value, -7) << "the flagged group negates";
  const TmyDIM& b1 = engine_.model.dimensions[2].Values[1];
  EXPECT_EQ(b1.TxCount, 3);
  EXPECT_DOUBLE_EQ(b1.TxValue, 5.5);
  EXPECT_DOUBLE_EQ(engine_.model.groups[1].Value, 12.5);
  // The zero line counts everywhere but stores nothing.
  ASSERT_EQ(engine_.cube.EntryCount(), 2);
  EXPECT_DOUBLE_EQ(engine_.cube.Entry(0).Value, 12.5);
  EXPECT_DOUBLE_EQ(engine_.cube.Entry(1).Value, -7);
  EXPECT_EQ(engine_.transaction_count, 3);
}

TEST_F(TransactionTest, BadLinesAreReportedWithTheirRecordAndSkipped) {
  Build(false);
  Read("Amount,Account,Department\n,A1,B1\n1,X1,Y1\n2,A1,Y1\n3,A2,B1\n");
  EXPECT_EQ(Pool("P").Value, 0);
  EXPECT_EQ(engine_.cube.EntryCount(), 0);
  EXPECT_EQ(engine_.model.dimensions[1].Values[1].TxCount, 1) << "known codes are counted";
  const Lines lines = Messages();
  const Lines errors = ErrorLines(lines);
  EXPECT_EQ(
      errors,
      (Lines{"  >>>>,,  202 TX; Value not numeric; Value=Amount recnr(1),Amount,Account,Department",
             "  >>>>,,  202 TX; Value not numeric; Value= recnr(2),,A1,B1",
             "  >>>>,,  204 TX; DIM Code not known; Dim=1 Code=X1 recnr(3),1,X1,Y1",
             "  >>>>,,  204 TX; DIM Code not known; Dim=2 Code=Y1 recnr(3),1,X1,Y1",
             "  >>>>,,  204 TX; DIM Code not known; Dim=2 Code=Y1 recnr(4),2,A1,Y1",
             "  >>>>,,  205 TX; No Cost Pool Group selects the transaction; Codes=A2,B1 "
             "recnr(5),3,A2,B1"}));
  EXPECT_EQ(lines.back(), "10:11:12  End of Transaction File; Nr TX 5 ");
}

TEST_F(TransactionTest, LongLinesAreReportedNotHeldAndMessagesQuoteTheirStart) {
  Build(false);
  const std::string huge(LineReader::kMaxLineBytes + 10, 'x');
  const std::string wide = "2" + std::string(300, 'Q');
  Read("1,A1,B1\n" + huge + "\n" + wide + ",A1,B1\n3,A1,B1\n");
  EXPECT_DOUBLE_EQ(Pool("P").Value, 4) << "the lines around the long one are read";
  const std::string start_of_huge = std::string(256, 'x') + "...";
  const std::string start_of_wide = wide.substr(0, 256) + "...";
  EXPECT_EQ(ErrorLines(Messages()),
            (Lines{"  >>>>,,  005 RunF; Line too long, not read; File=" + folder_.path("tx.csv") +
                       " Line=2; limit 1048576 bytes; shorten the line or split its record "
                       "into several recnr(2)," +
                       start_of_huge,
                   "  >>>>,,  202 TX; Value not numeric; Value=" + start_of_wide + " recnr(3)," +
                       start_of_wide}));
  EXPECT_EQ(engine_.transaction_count, 4) << "the long line counts as a line of the file";
}

TEST_F(TransactionTest, ProgressAndRunningCountsOverSeveralFiles) {
  Build();
  engine_.state.progress_interval = 2;
  Read("1,A1\n1,A1\n1,A1\n1,A1\n1,A1\n");
  Read("1,A1\n");
  Lines progress;
  for (const std::string& line : Messages()) {
    if (line.find("Count") != std::string::npos || line.find("Nr TX") != std::string::npos) {
      progress.push_back(line);
    }
  }
  EXPECT_EQ(progress,
            (Lines{"10:11:12  Count 2 - Memory 0 Chg 0", "10:11:12  Count 4 - Memory 0 Chg 0",
                   "10:11:12  End of Transaction File; Nr TX 5 ",
                   "10:11:12  End of Transaction File; Nr TX 6 "}));
}

TEST_F(TransactionTest, EmptyCodeColumnIsAdmittedOnlyByOpenRows) {
  Build(false, {"CPG,H,Open,S,30", "CPGS,H,Any account,,,*,B1", "CP,R,Pool,H", "CPS,R,All,,,*,*"});
  Read("5,,B1\n");
  EXPECT_DOUBLE_EQ(Pool("P").Value, 0) << "G restricts the account and so refuses no account";
  EXPECT_DOUBLE_EQ(Pool("R").Value, 5);
}

TEST_F(TransactionTest, TransactionDimensionRowFillsTheOtherCodes) {
  engine_.options.transaction_dimension = 2;
  Build(false, {"DIMT,B1,Department one books to account one,,,A1"});
  Read("4,A2,B1\n1,A1,ZZ\n");
  EXPECT_DOUBLE_EQ(Pool("P").Value, 4) << "A2 became A1, which G takes";
  EXPECT_EQ(engine_.model.dimensions[1].Values[2].TxCount, 0);
  EXPECT_EQ(ErrorLines(Messages()),
            (Lines{"  >>>>,,  203 TX; DIMT Code not known; Dim=2 Code=ZZ recnr(2),1,A1,ZZ",
                   "  >>>>,,  204 TX; DIM Code not known; Dim=2 Code=ZZ recnr(2),1,A1,ZZ"}));
}

TEST_F(TransactionTest, ValuesBeyondTheDeepestLevelAreSelectedLikeOrphans) {
  Parse("DIMH,1,Account");
  engine_.model.dimensions[1].Values.Size(18);
  for (int level = 1; level <= 17; ++level) {
    const std::string parent = level > 1 ? "V" + std::to_string(level - 1) : "";
    Value(1, "V" + std::to_string(level) + ",Account," + parent);
  }
  Value(1, "O,Orphan,X");
  Parse("STG,S,Stage,2");
  Parse("CPG,G,Group,S,10");
  Parse("CPGS,G,All,,,*");
  Parse("CP,P,Top,G");
  Parse("CPS,P,Under V1,,,V1");
  Parse("CP,Q,Named,G");
  Parse("CPS,Q,V16 itself,,,V16");
  Parse("CP,R,Rest,G");
  Parse("CPS,R,All,,,*");
  CompleteModel(engine_);
  Read("10,V1\n20,V15\n40,V16\n80,V17\n5,O\n");
  // V16 and V17 lie below the 15 levels followed, so they have level 0 like
  // the orphan O: only a row naming them or admitting everything takes
  // them. Q's row ranks with the catch-all and comes first by its code.
  EXPECT_DOUBLE_EQ(Pool("P").Value, 30);
  EXPECT_DOUBLE_EQ(Pool("Q").Value, 40);
  EXPECT_DOUBLE_EQ(Pool("R").Value, 85);
}

TEST_F(TransactionTest, TraceOptionListsThePoolAfterEachLine) {
  Build();
  engine_.options.slots[9].IsSet = true;
  Read("12.5,A1,B1\n");
  Messages();
  const Lines trace = folder_.Lines(".JobandTrace.csv");
  const auto rec = std::find(trace.begin(), trace.end(), "Rec 1 CP P 12.5,A1,B1");
  ASSERT_NE(rec, trace.end());
  EXPECT_EQ(*(rec + 1), "           TX P,12.50,A1,B1 ");
}

TEST_F(TransactionTest, DumpWritesThePoolAndTheLine) {
  Parse("OO,5,");
  engine_.options.slots[5].IsSet = true;
  Build();
  StartTransactionPhase(engine_);
  Read("12.5,A1,B1\n");
  EndTransactionPhase(engine_);
  EXPECT_EQ(folder_.Lines("35.csv"), (Lines{"Transaction Trace Report", "P,12.5,A1,B1"}));
}

TEST_F(TransactionTest, ExtractsKeepTheLinesOfThePoolsInRange) {
  engine_.options.slots[5].IsSet = true;
  Build();
  EXPECT_TRUE(Report("REP,32", WriteTransactionExtract).empty()) << "no dump yet";
  StartTransactionPhase(engine_);
  Read("12.5,A1,B1\n7,A2,B1\n3,A1,B1\n");
  EndTransactionPhase(engine_);
  const Lines transactions = Report("REP,32,,,,Q", WriteTransactionExtract);
  EXPECT_EQ(Lines(transactions.begin() + 1, transactions.end()), (Lines{"Q,7,A2,B1"}));
  EXPECT_EQ(transactions[0], "Extract Selected Transactions Report,2026-12-07 10:11:12");
  EXPECT_EQ(Report("REP,33,,,,P", WriteCubeExtract), (Lines{"P,15.50,A1,B1"}));
  const Lines log = Messages();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "  >>>>,,  401 REP; Transaction Trace Report selected but no Tx input file "
                      "exists; create one using OO 5 "),
            log.end());
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "         402 REP; Transaction Trace Report; NrTXselected=1 "),
            log.end());
}

// Every line read is accepted or rejected under one message; the totals
// keep each amount as written. The groups of stage S, the default one, get
// a generated not-selected pool each: G takes account A1, its pool P
// department B1 and .NOTSEL.G the rest; the flagged group F takes A2, its
// pool Q department B1. H, of another stage, takes A3 and its pool R only
// B1; A4 no group takes.
TEST_F(TransactionTest, TotalsTieTheLinesReadToWhereTheyWent) {
  engine_.counts.default_stage_code = "S";
  engine_.options.transaction_dimension = 2;
  Parse("DIMH,1,Account");
  Parse("DIMH,2,Department");
  for (const char* value : {"A1,One", "A2,Two", "A3,Three", "A4,Four"}) Value(1, value);
  for (const char* value : {"B1,One", "B2,Two"}) Value(2, value);
  for (const char* record :
       {"STG,S,Stage,1", "STG,T,Other,2", "CPG,G,Group,S,10", "CPGS,G,Account one,,,A1,*",
        "CP,P,Pool,G", "CPS,P,Department one,,,*,B1", "CPG,F,Flagged,S,20,Y",
        "CPGS,F,Account two,,,A2,*", "CP,Q,Pool,F", "CPS,Q,Department one,,,*,B1",
        "CPG,H,Other,T,30", "CPGS,H,Account three,,,A3,*", "CP,R,Pool,H",
        "CPS,R,Department one,,,*,B1"}) {
    Parse(record);
  }
  CompleteModel(engine_);
  const std::string too_long(LineReader::kMaxLineBytes + 10, '7');
  Read(
      "10.10,A1,B1\n"           // P
      "2.02,A1,B2\n"            // .NOTSEL.G
      "3.03,A2,B1\n"            // Q, reversed
      "x,A1,B1\n"               // 202
      "4.04,X9,Y9\n"            // 204 twice, one line
      "5.05,A3,B2\n"            // 205, no pool of H
      "6.06,A4,B1\n"            // 205, no group
      "7,A1,B1,extra\n"         // P
      + too_long + "\n" +       // 5
      "1.5e308,A3,B1\n"         // R
      "-1.5e308,A3,B1\n"        // 206: R's amounts would exceed the largest number
      "8.08,A1,ZZ\n"            // 203 and 204: 204
      "\"1.25\",\"A2\",B1\n");  // Q, reversed
  ASSERT_EQ(engine_.transaction_totals.files.size(), 1u);
  const TransactionFileTotals& file = engine_.transaction_totals.files[0];
  EXPECT_EQ(file.path, "tx.csv");
  const auto micros = [](const AmountTally& tally) {
    return ExactSum::MicrosText(tally.amount.micros());
  };
  EXPECT_EQ(file.read.lines, 13);
  EXPECT_EQ(micros(file.read), "46.630000") << "the two large amounts cancel";
  EXPECT_EQ(file.read.amount.Value(), 46.63);
  EXPECT_EQ(file.accepted.lines, 6);
  EXPECT_EQ(micros(file.accepted), "23.400000");
  EXPECT_EQ(file.accepted.amount.Value(), 1.5e308);
  EXPECT_EQ(file.reversed.lines, 2);
  EXPECT_EQ(micros(file.reversed), "4.280000") << "as written, before the group negates it";
  EXPECT_EQ(file.not_selected.lines, 1);
  EXPECT_EQ(micros(file.not_selected), "2.020000");
  std::map<int, std::pair<int64_t, double>> rejected;
  for (const auto& [number, tally] : file.rejected) {
    rejected[number] = {tally.lines, tally.amount.Value()};
  }
  EXPECT_EQ(
      rejected,
      (std::map<int, std::pair<int64_t, double>>{
          {5, {1, 0}}, {202, {1, 0}}, {204, {2, 12.12}}, {205, {2, 11.11}}, {206, {1, -1.5e308}}}));
  AmountTally tied = file.accepted;
  for (const auto& [number, tally] : file.rejected) tied.Add(tally);
  EXPECT_EQ(tied.lines, file.read.lines);
  EXPECT_EQ(tied.amount.micros(), file.read.amount.micros());
  EXPECT_EQ(tied.amount.Value(), file.read.amount.Value());
  EXPECT_EQ(Pool("P").Value, 17.1);
  EXPECT_EQ(Pool("Q").Value, -4.28);
  EXPECT_EQ(Pool(".NOTSEL.G").Value, 2.02);
  // A second file adds its own totals.
  Read("1,A1,B1\n");
  ASSERT_EQ(engine_.transaction_totals.files.size(), 2u);
  EXPECT_EQ(engine_.transaction_totals.Sum().read.lines, 14);
  EXPECT_EQ(Pool("P").Value, 18.1);
}

// A transaction file read after the allocation adds to the figures that the
// allocation left, in the pools and in the cube.
TEST_F(TransactionTest, AFileAfterTheAllocationKeepsWhatItAllocated) {
  Parse("DIMH,1,Account");
  Value(1, "A1,One");
  Value(1, "A2,Two");
  for (const char* record : {"STG,S,Stage,2", "CPG,G,Group,S,10", "CPGS,G,All,,,*",
                             "CP,P,Sender,G,AB", "CPS,P,Account one,,,A1", "CP,Q,Receiver,G",
                             "CPS,Q,Account two,,,A2", "AB,AB,Base", "ABL,AB,all,C,1,Q"}) {
    Parse(record);
  }
  CompleteModel(engine_);
  BuildInputs(engine_);
  Read("100,A1\n");
  EndTransactionPhase(engine_);
  RunAllocation(engine_);
  ASSERT_EQ(Pool("Q").Value, 100);
  Read("5,A2\n0.25,A1\n");
  EXPECT_EQ(Pool("P").Value, 100.25);
  EXPECT_EQ(Pool("Q").Value, 105);
  Lines cells;
  std::string cell;
  engine_.cube.vcIterStart(0);
  while (engine_.cube.vcIterNext(engine_.model, cell) != 0) cells.push_back(cell);
  EXPECT_EQ(cells, (Lines{"P,100.25,A1", "Q,100.00,A1", "Q,5.00,A2"}));
  EXPECT_EQ(ErrorLines(Messages()), Lines{});
}

// A code combination is worked out once and then found again; each of these
// files must give what working every line out afresh gives. Group G (pool
// P) takes account A1, the flagged group F (pool Q) account A2.
struct RepeatCase {
  const char* content;
  double p_value;
  double q_value;
  int32_t entries;  // value cube entries
  int32_t a1_count;
  Lines errors;
};

class RepeatedCodesTest : public TransactionTest,
                          public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatedCodesTest, CountLikeTheFirstTime) {
  const RepeatCase& c = GetParam();
  Build();
  Read(c.content);
  EXPECT_DOUBLE_EQ(Pool("P").Value, c.p_value);
  EXPECT_DOUBLE_EQ(Pool("Q").Value, c.q_value);
  EXPECT_EQ(engine_.cube.EntryCount(), c.entries);
  // Pool P's amounts all go to one cell, in the same order as to the pool.
  const int32_t p = engine_.model.pools.CodeIndex.Find("P");
  double cells_of_p = 0;
  for (int32_t n = 0; n < engine_.cube.EntryCount(); ++n) {
    if (engine_.cube.Entry(n).CP == p) cells_of_p += engine_.cube.Entry(n).Value;
  }
  EXPECT_EQ(cells_of_p, c.p_value);
  EXPECT_EQ(engine_.model.dimensions[1].Values[1].TxCount, c.a1_count);
  EXPECT_EQ(ErrorLines(Messages()), c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RepeatedCodesTest,
    ::testing::Values(
        // A known combination after an unknown code, and the unknown one again.
        RepeatCase{"1,A1,B1\n2,X9,B1\n4,A1,B1\n2,X9,B1\n",
                   5,
                   0,
                   1,
                   2,
                   {"  >>>>,,  204 TX; DIM Code not known; Dim=1 Code=X9 recnr(2),2,X9,B1",
                    "  >>>>,,  204 TX; DIM Code not known; Dim=1 Code=X9 recnr(4),2,X9,B1"}},
        // Other spellings of one cell: a trailing blank, quotes, a column more.
        RepeatCase{"1,A1,B1\n2,A1 ,B1\n4,\"A1\",B1\n8,A1,B1,extra\n", 15, 0, 1, 4, {}},
        // Quoted and plain lines of one cell, whose sum is exact whatever the
        // order of the additions, where doubles added in file order give 1:
        // 1E+16 + 1 rounds back to 1E+16.
        RepeatCase{"1e16,A1,B1\n1,\"A1\",B1\n1,\"A1\",B1\n-1e16,A1,B1\n1,A1,B1\n", 3, 0, 1, 5, {}},
        // The flagged group's line between two of the other group.
        RepeatCase{"1,A1,B1\n2,A2,B1\n4,A1,B1\n", 5, -2, 2, 2, {}},
        // A zero amount first stores nothing; the next amount creates the cell.
        RepeatCase{"0,A1,B1\n3,A1,B1\n", 3, 0, 1, 2, {}},
        // No line end after the last line.
        RepeatCase{"1,A1,B1\n2,A1,B1", 3, 0, 1, 2, {}}));

// The DIMT row's codes and each group's mapping belong to the combination:
// B1 books to account A1, and group G keeps no department in the cube.
TEST_F(TransactionTest, SubstitutionAndMappingsApplyToEveryRepeat) {
  engine_.options.transaction_dimension = 2;
  Build(true, {"DIMT,B1,Department one books to account one,,,A1", "CPGIDC,G,No department,,,,%0"});
  Read("4,A2,B1\n1,A2,\n4,A2,B1\n2,A1,\n");
  EXPECT_DOUBLE_EQ(Pool("P").Value, 10);
  EXPECT_DOUBLE_EQ(Pool("Q").Value, -1);
  std::string line;
  Lines cells;
  engine_.cube.vcIterStart(0);
  while (engine_.cube.vcIterNext(engine_.model, line) != 0) cells.push_back(line);
  EXPECT_EQ(cells, (Lines{"P,10.00,A1,", "Q,-1.00,A2,"}));
}

// Lines are parsed on another thread in batches of thousands and applied in
// chunks of a few hundred; messages, progress lines and record numbers still
// follow the file's order.
TEST_F(TransactionTest, MessagesFollowTheFileOrderAcrossBatches) {
  Build();
  engine_.state.progress_interval = 16000;
  std::string content;
  for (int n = 1; n <= 40000; ++n) {
    content += n % 15000 == 0 ? "1,A1,Z" + std::to_string(n) + "\n" : "1,A1,B1\n";
  }
  Read(content);
  Lines lines;
  for (const std::string& line : Messages()) {
    if (line.find("204") != std::string::npos || line.find("Count") != std::string::npos) {
      lines.push_back(line);
    }
  }
  EXPECT_EQ(
      lines,
      (Lines{"  >>>>,,  204 TX; DIM Code not known; Dim=2 Code=Z15000 recnr(15000),1,A1,Z15000",
             "10:11:12  Count 16000 - Memory 0 Chg 0",
             "  >>>>,,  204 TX; DIM Code not known; Dim=2 Code=Z30000 recnr(30000),1,A1,Z30000",
             "10:11:12  Count 32000 - Memory 0 Chg 0"}));
  EXPECT_DOUBLE_EQ(Pool("P").Value, 39998);
  EXPECT_EQ(Pool("P").TxCount, 39998);
}

// The reader's tables start afresh when they reach their limits; what it
// logs and stores stays the same, in every order of addition.
class LimitsRun : public TransactionTest {
 public:
  // Reads `content` with `limits`; returns the log, the pools' values and
  // the value cube's cells.
  Lines ReadWith(const std::string& content, const TransactionLimits& limits) {
    Build(true,
          {"CPG,H,Open,S,30", "CPGS,H,Any account,,,*,B2", "CP,R,Pool,H", "CPS,R,All,,,*,*",
           "CPGIDC,H,No department,,,,%0"},
          true);
    Read(content, limits);
    Lines result = Messages();
    for (const char* pool : {"P", "Q", "R"}) result.push_back(FormatGeneral(Pool(pool).Value));
    std::string cell;
    engine_.cube.vcIterStart(0);
    while (engine_.cube.vcIterNext(engine_.model, cell) != 0) result.push_back(cell);
    return result;
  }
  void TestBody() override {}
};

TEST(TransactionLimitsTest, TablesStartingAfreshChangeNothing) {
  // Tuples, quoted lines, unknown codes, lines no group takes and amounts
  // whose sums depend on their order, over several batches.
  std::string content;
  for (int n = 0; n < 20000; ++n) {
    const std::string amount = n % 97 == 0 ? "1e16" : n % 89 == 0 ? "-1e16" : std::to_string(n % 7);
    switch (n % 6) {
      case 0:
        content += amount + ",A1,B1\n";
        break;
      case 1:
        content += amount + ",\"A2\",B1\n";
        break;
      case 2:
        content += amount + ",A" + std::to_string(n % 5) + ",B2\n";
        break;
      case 3:
        content += amount + ",X" + std::to_string(n % 1000) + ",B1\n";
        break;
      case 4:
        content += n % 400 == 4 ? "x,A1,B1\n" : amount + ",A2,\n";
        break;
      default:
        content += amount + ",A1,\"B2\"\n";
        break;
    }
  }
  const Lines usual = LimitsRun().ReadWith(content, {});
  const Lines tiny = LimitsRun().ReadWith(
      content, TransactionLimits{.tuples = 1, .classes = 1, .cache_bytes = 1, .placements = 1});
  EXPECT_GT(usual.size(), 2000u);
  EXPECT_EQ(tiny, usual);
}

// A host that fails while the file is read ends the reading: its exception
// reaches the caller and the parsing thread is gone.
TEST_F(TransactionTest, AHostThatThrowsEndsTheReadingWithItsException) {
  Build();
  const auto threads = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator());
  };
  // A first reading starts whatever threads the runtime keeps (a sanitizer's).
  Read("1,A1,B1\n");
  const auto before = threads();
  host_.on_reading = [](int64_t lines) {
    if (lines > 20000) throw std::runtime_error("host failed");
  };
  std::string content;
  for (int n = 0; n < 100000; ++n) content += "1,A1,B1\n";
  EXPECT_THROW(Read(content), std::runtime_error);
  EXPECT_EQ(threads(), before);
  EXPECT_LT(engine_.transaction_count, 100001);
}

// The run's count of lines is a 32-bit number: the line after the last it
// can count stops the run, naming its file and line, and the lines before
// it are kept.
TEST_F(TransactionTest, ALineBeyondTheCountableOnesStopsTheRun) {
  Build();
  engine_.transaction_count = std::numeric_limits<int32_t>::max() - 1;
  std::string refusal;
  try {
    Read("1,A1,B1\n2,A1,B1\n");
  } catch (const RunAborted& aborted) {
    refusal = aborted.what();
  }
  EXPECT_EQ(refusal,
            "Transactions: more than 2147483647 lines in one run cannot be counted; File=tx.csv "
            "Line=2; sum the ledger by tuple of codes first (scripts/preaggregate.py) or split "
            "it over several runs");
  EXPECT_EQ(engine_.transaction_count, 2147483647);
  EXPECT_DOUBLE_EQ(Pool("P").Value, 1);
}

// A decimal text of `units` with `decimals` decimals ("12.34" for 1234, 2).
std::string DecimalText(int64_t units, int decimals) {
  std::string fraction = std::to_string(units % 10000000);
  fraction.insert(0, 7 - fraction.size(), '0');
  int64_t whole = units;
  for (int i = 0; i < decimals; ++i) whole /= 10;
  return std::to_string(whole) + "." + fraction.substr(7 - static_cast<size_t>(decimals));
}

// Pool P takes 100,000 amounts of up to 1E+9 over three accounts and
// allocates a quarter to Q, the rest to R.
class VolumeTest : public TransactionTest {
 protected:
  // Reads the volume, its amounts with `decimals` decimals (up to 7);
  // returns the amount of its first line.
  double ReadVolume(int decimals = 2) {
    Parse("DIMH,1,Account");
    for (const char* value : {"A1,One", "A2,Two", "A3,Three"}) Value(1, value);
    for (const char* record : {"STG,S,Stage,2", "CPG,G,Group,S,10", "CPGS,G,All,,,*",
                               "CP,P,Pool,G,AB", "CPS,P,All,,,*", "CP,Q,Quarter,G", "CP,R,Rest,G",
                               "AB,AB,Base", "ABL,AB,quarter,C,1,Q", "ABL,AB,rest,C,3,R"}) {
      Parse(record);
    }
    CompleteModel(engine_);
    BuildInputs(engine_);
    std::mt19937_64 random(7);
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    std::string lines;
    double first = 0;
    for (int i = 0; i < 100000; ++i) {
      const auto units = static_cast<int64_t>(random() % static_cast<uint64_t>(1000000000 * scale));
      const std::string text = DecimalText(units, decimals);
      double amount = 0;
      ParseDouble(text, amount);
      if (i == 0) first = amount;
      in_file_order_ += amount;
      units_[static_cast<size_t>(i % 3)] += units;
      lines += text + ",A" + std::to_string(1 + i % 3) + "\n";
    }
    Read(lines);
    return first;
  }

  TmyCP& Pool(const char* code) {
    return engine_.model.pools[engine_.model.pools.CodeIndex.Find(code)];
  }

  Lines Mismatches() {
    Lines found;
    for (const std::string& line : Messages()) {
      if (line.find("307 Alloc") != std::string::npos) found.push_back(line);
    }
    return found;
  }

  // The amounts added as doubles in file order, and each account's amounts
  // in units of the last decimal.
  double in_file_order_ = 0;
  // 128 bits: 100,000 amounts of seven decimals pass 2^63 units.
  std::array<Int128, 3> units_{};
};

// Amounts in cents add up exactly: the pool's value, the group's and each
// cell are their decimal sums, rounded once, where doubles added in file
// order drift from them.
TEST_F(VolumeTest, AmountsInCentsSumToTheirDecimalSum) {
  ReadVolume();
  const auto total = static_cast<int64_t>(units_[0] + units_[1] + units_[2]);
  // Below 2^53 cents, one division rounds the decimal sum correctly.
  const double expected = static_cast<double>(total) / 100;
  ASSERT_NE(in_file_order_, expected);
  EXPECT_EQ(Pool("P").Value, expected);
  EXPECT_EQ(engine_.model.groups[1].Value, expected);
  ASSERT_EQ(engine_.cube.EntryCount(), 3);
  for (int32_t n = 0; n < 3; ++n) {
    const auto account = static_cast<int32_t>(engine_.cube.Entry(n).Index1);
    const double cents = static_cast<double>(units_[static_cast<size_t>(account - 1)]);
    EXPECT_EQ(engine_.cube.Entry(n).Value, cents / 100) << "A" << account;
    EXPECT_EQ(engine_.model.dimensions[1].Values[account].TxValue, cents / 100) << "A" << account;
  }
}

// Amounts of seven decimals add as doubles: the value in one sum, the cube
// cell by cell, which round apart by more than the allocation's tolerance.
TEST_F(VolumeTest, RoundingIsNoMismatchBeforeOrAfterTheAllocation) {
  ReadVolume(7);
  engine_.cube.vcTotals(engine_.model, engine_.log);
  ASSERT_GT(std::fabs(Pool("P").Value - Pool("P").VCTotal), 0.01)
      << "the two sides of this volume round apart by more than the allocation's tolerance";
  RunAllocation(engine_);
  EXPECT_EQ(Mismatches(), Lines{});
  EXPECT_NEAR(Pool("Q").Value * 3, Pool("R").Value, 1e-3 * Pool("R").Value);
}

TEST_F(VolumeTest, AnAmountMissingOnOneSideIsStillAMismatch) {
  // The first line's amount, some hundreds of millions, never reached the value.
  Pool("P").Value -= ReadVolume();
  RunAllocation(engine_);
  const Lines found = Mismatches();
  ASSERT_EQ(found.size(), 4u) << "P before the allocation; P, Q and R after it";
  for (const auto& [index, code] : {std::pair{0, "P"}, {1, "P"}, {2, "Q"}, {3, "R"}}) {
    EXPECT_NE(found[static_cast<size_t>(index)].find(std::string("; CP=") + code + " ("),
              std::string::npos)
        << found[static_cast<size_t>(index)];
  }
}

}  // namespace
}  // namespace korav
