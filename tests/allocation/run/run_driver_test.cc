#include "allocation/run/run_driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "common/sha256.h"
#include "tests/allocation/test_support.h"

namespace korav {
namespace {

// Runs the model of `run_file` in a fresh folder holding `files` and returns
// the job log's lines with their time stamps cut off.
class RunDriverTest : public ::testing::Test {
 protected:
  void Run(const std::string& run_file) {
    folder_.MakeDirectory("out");
    folder_.Write("run.csv", run_file);
    RunPaths paths;
    paths.program_path = "/opt/korav/bin/korava";
    paths.run_file = folder_.path("run.csv");
    engine_ = std::make_unique<Engine>(host_, paths);
    RunModel(*engine_);
    job_ = folder_.Lines("out/.Job.csv");
  }

  int Count(const std::string& line) const {
    return static_cast<int>(std::count(job_.begin(), job_.end(), line));
  }

  // The position of `line` in the job log, or -1.
  int IndexOf(const std::string& line) const {
    const auto found = std::find(job_.begin(), job_.end(), line);
    return found == job_.end() ? -1 : static_cast<int>(found - job_.begin());
  }

  ModelFolder folder_;
  FixedHost host_;
  std::unique_ptr<Engine> engine_;
  std::vector<std::string> job_;
};

constexpr const char* kFinished =
    "10:11:12  Finished Reading Model; Start of Read Transactions - Memory 0 Chg 0";
constexpr const char* kAllocate = "10:11:12  End of Transactions; Start Allocate - Memory 0 Chg 0";

TEST_F(RunDriverTest, ModelOnlyRunHasNoPhaseMilestones) {
  folder_.Write("STG.csv", "STG,S1,Stage,1\r\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD,STG.csv\n");
  const std::vector<std::string> expected = {
      "10:11:12  Program Start KORAVA 2026-12-07 10:11:12 ",
      "         ,Program,/opt/korav/bin/korava ",
      "         ,Runfile," + folder_.path("run.csv") + " ",
      "10:11:12  Start Read Pass 1 - Memory 0 Chg 0",
      "         $ODIR,,./out ",
      "         $IDIR,,. ",
      "         $FILE,MOD,STG.csv ",
      "            records 1 ",
      "         Nr of Data File Records 1 ",
      "         Nr of Run File Records 3 ",
      "         NrSEL 2 ",
      "         NrDIMT 0 ",
      "         NrSTG 2 ",
      "         NrCPG 1 NrCPGS 1 NrCPGIDC 0 ",
      "         NrCP 1 NrCPS 1 NrCPDC 0 NrCPB 0 NrCPBV 0 ",
      "         NrAB 0 NrABL 0 ",
      "         NrNM 0 Nr NMV 0 NrIM 0 NrIMS 0 ",
      "10:11:12  End of Pass1; Start Pass 2 - Memory 0 Chg 0",
      "         $ODIR,,./out ",
      "         $IDIR,,. ",
      "         $FILE,MOD,STG.csv ",
      "10:11:12  End of Run - Memory 0 Chg 0",
      "         Nr of Errors 0 ",
      "         Nr of Warnings 0 ",
      "10:11:12  Program End 2026-12-07 10:11:12 ",
  };
  EXPECT_EQ(job_, expected);
  EXPECT_EQ(engine_->counts.records_of_kind[kStageRecord], 1);
  EXPECT_EQ(engine_->counts.default_stage_code, "S1");
}

TEST_F(RunDriverTest, ConsecutiveReportsCompleteAndAllocateOnceAndEachRunsItself) {
  folder_.Write("REP.csv", "REP,11,first\nREP,12x,second\nCPY,CP1,CP2\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD,REP.csv\n");
  EXPECT_EQ(Count(kFinished), 1);
  EXPECT_EQ(Count(kAllocate), 1);
  EXPECT_LT(IndexOf(kAllocate), IndexOf("         REP,11,first "));
  EXPECT_EQ(Count("         REP,11,first "), 1);
  EXPECT_EQ(Count("         REP,12x,second "), 1);
}

TEST_F(RunDriverTest, TransactionsThenReportsPassEveryMilestoneInOrder) {
  folder_.Write("tx.csv", "100.00,A,B\n");
  folder_.Write("REP.csv", "REP,15\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,TX,tx.csv\n$FILE,TX,tx.csv\n$FILE,MOD,REP.csv\n");
  const int finished = IndexOf(kFinished);
  const int allocate = IndexOf(kAllocate);
  const int reports = IndexOf("10:11:12  End of Allocate; Start of Reports - Memory 0 Chg 0");
  const int report = IndexOf("         REP,15 ");
  EXPECT_EQ(Count(kFinished), 1) << "the second transaction file completes nothing";
  EXPECT_LT(IndexOf("10:11:12  End of Pass1; Start Pass 2 - Memory 0 Chg 0"), finished);
  EXPECT_LT(finished, allocate);
  EXPECT_LT(allocate, reports);
  EXPECT_LT(reports, report);
}

TEST_F(RunDriverTest, TransactionFileAfterReportsDoesNotCompleteTheModelAgain) {
  folder_.Write("tx.csv", "1,A\n");
  folder_.Write("REP.csv", "REP,15\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD,REP.csv\n$FILE,TX,tx.csv\n");
  EXPECT_EQ(Count(kFinished), 1);
  EXPECT_EQ(engine_->log.warnings(), 1);
}

TEST_F(RunDriverTest, LauncherReportsOfAModelOnlyRunCompleteAndAllocateItOnce) {
  folder_.Write("STG.csv", "STG,S1,Stage,1\r\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD,STG.csv\n");
  RunLauncherReport(*engine_, "REP,12,,,,");
  job_ = folder_.Lines("out/.JobREP.csv");
  EXPECT_EQ(job_.at(0), "10:11:12  Program Start KORAVA 2026-12-07 10:11:12 ");
  EXPECT_LT(IndexOf(kFinished), IndexOf(kAllocate));
  EXPECT_LT(IndexOf(kAllocate), IndexOf("         REP,12,,,, "));
  EXPECT_EQ(folder_.Lines("out/12.csv").at(0).rfind("Stage Report; ; ", 0), 0u);
  EXPECT_EQ(folder_.Lines("out/.Job.csv").back(), "10:11:12  Program End 2026-12-07 10:11:12 ")
      << "the run's own log is kept";

  RunLauncherReport(*engine_, "CPY,S1,S2");
  job_ = folder_.Lines("out/.JobREP.csv");
  EXPECT_EQ(IndexOf(kAllocate), -1) << "the model is allocated once";
  EXPECT_NE(IndexOf("         CPY,S1,S2 "), -1);
  EXPECT_TRUE(std::filesystem::exists(folder_.path("out/S2.csv")));
}

TEST_F(RunDriverTest, LongLinesOfTheRunFileAndModelFilesAreReportedInEachPass) {
  const std::string huge(LineReader::kMaxLineBytes + 1, 'y');
  folder_.Write("STG.csv", "STG,S1,One,1\n" + huge + "\nSTG,S2,Two,2\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD," + huge + "\n$FILE,MOD,STG.csv\n");
  const std::string limit =
      "; limit 1048576 bytes; shorten the line or split its record into several ";
  const std::string run_line =
      "  >>>>,,  005 RunF; Line too long, not read; File=" + folder_.path("run.csv") + " Line=3" +
      limit;
  const std::string model_line =
      "  >>>>,,  005 RunF; Line too long, not read; File=" + folder_.dir() + "./STG.csv Line=2" +
      limit;
  const std::string start = std::string(256, 'y') + "...";
  EXPECT_EQ(Count(run_line), 2);
  EXPECT_EQ(Count(model_line + "recnr(0)," + start), 1) << "pass 1";
  EXPECT_EQ(Count(model_line + "recnr(2)," + start), 1) << "pass 2";
  EXPECT_EQ(engine_->log.errors(), 4);
  EXPECT_EQ(engine_->model.stages.count(), 2) << "the records around the long line are read";
}

TEST_F(RunDriverTest, ReportNamesOutsideTheOutputFolderAreSkippedAndTheRunGoesOn) {
  const std::string absolute = folder_.path("absolute.csv");
  folder_.Write("REP.csv",
                "REP,12,../escape\nREP,12," + absolute + "\nREP,12,missing/x.csv\nREP,12,kept\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD,REP.csv\n");
  const std::string e405 =
      "  >>>>,,  405 REP; Output file name not valid, it must name a file in the output folder; "
      "Name=";
  EXPECT_EQ(Count(e405 + "../escape recnr(1),REP,12,../escape"), 1);
  EXPECT_EQ(Count(e405 + absolute + " recnr(2),REP,12," + absolute), 1);
  EXPECT_EQ(Count("  >>>>,,  405 REP; Output file name not valid, a folder in it does not exist; "
                  "Name=missing/x.csv recnr(3),REP,12,missing/x.csv"),
            1);
  EXPECT_TRUE(std::filesystem::exists(folder_.path("out/kept.csv")));

  // The window's report area builds the same record, with the same outcome.
  RunLauncherReport(*engine_, "REP,12,../launched.csv,,,,,,,,,");
  job_ = folder_.Lines("out/.JobREP.csv");
  EXPECT_EQ(Count(e405 + "../launched.csv recnr(0),REP,12,../launched.csv,,,,,,,,,"), 1);
  for (const char* name : {"escape.csv", "absolute.csv", "launched.csv"}) {
    EXPECT_FALSE(std::filesystem::exists(folder_.path(name))) << name;
  }
}

TEST_F(RunDriverTest, FilesThisRunWritesAreNeitherReadNorWrittenOver) {
  // Output and input folder are one. Read, a log would grow with every line
  // read; written over, the model file would lose its records.
  folder_.Write("OO.csv", "OO,5\n");
  const std::string reports = "REP,12,.Job.csv\nREP,12,REP.csv\nREP,12\n";
  folder_.Write("REP.csv", reports);
  Run("$ODIR,,.\n$IDIR,,.\n$FILE,MOD,OO.csv\n$FILE,MOD,.Job.csv\n"
      "$FILE,TX,.JobandTrace.csv\n$FILE,MOD,REP.csv\n$FILE,TX,35.csv\n");
  job_ = folder_.Lines(".Job.csv");
  const std::string e004 =
      "  >>>>,,  004 RunF; File is an output of this run and is not read; File=" + folder_.dir() +
      "./";
  EXPECT_EQ(Count(e004 + ".Job.csv "), 2) << "in each pass";
  EXPECT_EQ(Count(e004 + ".JobandTrace.csv "), 2);
  // The dump is known by its place: in pass 1 it does not exist yet, and
  // after the reports it must not be read back as transactions.
  EXPECT_EQ(Count(e004 + "35.csv "), 2);
  EXPECT_EQ(engine_->transaction_count, 0);
  const std::string e407 =
      "  >>>>,,  407 REP; Output file name not valid, it names a log or input file of this run; "
      "Name=";
  EXPECT_EQ(Count(e407 + ".Job.csv recnr(1),REP,12,.Job.csv"), 1);
  EXPECT_EQ(Count(e407 + "REP.csv recnr(2),REP,12,REP.csv"), 1);
  EXPECT_EQ(folder_.Read("REP.csv"), reports);
  EXPECT_TRUE(std::filesystem::exists(folder_.path("12.csv")));
  EXPECT_EQ(job_.back(), "10:11:12  Program End 2026-12-07 10:11:12 ");

  // A run file that is one of the logs is refused before they are written.
  RunPaths paths;
  paths.run_file = folder_.path(".Job.csv");
  folder_.Write(".Job.csv", "$ODIR,,.\n");
  Engine engine(host_, paths);
  try {
    RunModel(engine);
    FAIL() << "expected RunAborted";
  } catch (const RunAborted& aborted) {
    EXPECT_EQ(std::string(aborted.what()),
              "RUN file " + paths.run_file + " is " + folder_.dir() +
                  "./.Job.csv, a log that the run writes; give the run file another name or "
                  "folder");
  }
  EXPECT_EQ(folder_.Read(".Job.csv"), "$ODIR,,.\n");
}

// Output and input folder are one, and each report record names a place
// that a model must not be able to write: an input under another spelling,
// a file a later record reads, links out of the folder, a file that is not
// its own. Each is skipped with its reason; nothing outside changes; the
// reports after them are written.
TEST_F(RunDriverTest, ReportsNeverReplaceAnInputNorWriteThroughLinks) {
  namespace fs = std::filesystem;
  ModelFolder outside;
  outside.Write("victim.txt", "keep");
  folder_.Write("STG.csv", "STG,S1,Stage,1\n");
  folder_.Write("in/tx.csv", "1,A\n");
  folder_.MakeDirectory("sub");
  folder_.MakeDirectory("dir.csv");
  fs::create_symlink("STG.csv", folder_.path("lnk.csv"));
  fs::create_symlink(outside.dir(), folder_.path("ext"));
  fs::create_symlink("sub", folder_.path("inlink"));
  fs::create_symlink(outside.path("nowhere"), folder_.path("dangling.csv"));
  fs::create_hard_link(outside.path("victim.txt"), folder_.path("hard.csv"));
  const struct {
    std::string name;
    std::string reason;  // "" when the report is written
  } cases[] = {
      {"run.csv", "407 REP; Output file name not valid, it names a log or input file of this run"},
      {"./STG.csv",
       "407 REP; Output file name not valid, it names a log or input file of this run"},
      {"in/../STG.csv",
       "405 REP; Output file name not valid, it must name a file in the output folder"},
      {"in/tx.csv",
       "407 REP; Output file name not valid, it names a log or input file of this run"},
      {"later.csv",
       "407 REP; Output file name not valid, it names a log or input file of this run"},
      {"lnk.csv", "405 REP; Output file name not valid, it is a symbolic link"},
      {"dangling.csv", "405 REP; Output file name not valid, it is a symbolic link"},
      {"hard.csv", "405 REP; Output file name not valid, it has more than one hard link"},
      {"ext/x.csv",
       "405 REP; Output file name not valid, a folder in it leads outside the output folder"},
      {"dir.csv", "405 REP; Output file name not valid, it is a folder"},
      {std::string("a\0b.csv", 7), "405 REP; Output file name not valid, it holds a NUL byte"},
      {"inlink/x.csv", ""},
      {"ok.csv", ""},
  };
  std::string reports;
  for (const auto& c : cases) reports += "REP,12," + c.name + "\n";
  folder_.Write("REP.csv", reports);
  Run("$ODIR,,.\n$IDIR,,.\n$FILE,MOD,STG.csv\n$FILE,TX,in/tx.csv\n$FILE,MOD,REP.csv\n"
      "$FILE,TX,later.csv\n");
  job_ = folder_.Lines(".Job.csv");
  int record = 0;
  for (const auto& c : cases) {
    ++record;
    const std::string line = "  >>>>,,  " + c.reason + "; Name=" + c.name + " recnr(" +
                             std::to_string(record) + "),REP,12," + c.name;
    EXPECT_EQ(Count(line), c.reason.empty() ? 0 : 1) << line;
  }
  EXPECT_EQ(folder_.Read("STG.csv"), "STG,S1,Stage,1\n");
  EXPECT_EQ(folder_.Read("in/tx.csv"), "1,A\n");
  EXPECT_EQ(folder_.Read("REP.csv"), reports);
  EXPECT_EQ(outside.Read("victim.txt"), "keep");
  EXPECT_EQ(fs::directory_iterator(outside.dir()) == fs::directory_iterator(), false);
  EXPECT_FALSE(fs::exists(outside.path("x.csv")));
  EXPECT_FALSE(fs::exists(outside.path("nowhere")));
  EXPECT_TRUE(fs::is_regular_file(folder_.path("sub/x.csv")));
  EXPECT_TRUE(fs::is_regular_file(folder_.path("ok.csv")));
  EXPECT_FALSE(fs::exists(folder_.path("later.csv")));

  // The window's report area builds the same record, with the same outcome.
  RunLauncherReport(*engine_, "REP,12,CPY/../STG.csv,,,,,,,,,");
  RunLauncherReport(*engine_, "REP,12,./in/tx.csv,,,,,,,,,");
  job_ = folder_.Lines(".JobREP.csv");
  EXPECT_EQ(Count("  >>>>,,  407 REP; Output file name not valid, it names a log or input file "
                  "of this run; Name=./in/tx.csv recnr(0),REP,12,./in/tx.csv,,,,,,,,,"),
            1);
  EXPECT_EQ(folder_.Read("in/tx.csv"), "1,A\n");
}

// A "$FILE" that names no regular file says what it names instead, and the
// run goes on without it; none of them is opened, so none can block it.
TEST_F(RunDriverTest, FilesThatAreNoRegularFilesAreNamedForWhatTheyAre) {
  folder_.MakeDirectory("folder.csv");
  ASSERT_EQ(::mkfifo(folder_.path("fifo.csv").c_str(), 0600), 0);
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,TX,folder.csv\n$FILE,TX,fifo.csv\n$FILE,TX,/dev/zero\n"
      "$FILE,TX,gone.csv\n");
  const std::string e006 = "  >>>>,,  006 RunF; Not a regular file, not read; File=";
  EXPECT_EQ(Count(e006 + folder_.dir() + "./folder.csv Kind=folder "), 2) << "in each pass";
  EXPECT_EQ(Count(e006 + folder_.dir() + "./fifo.csv Kind=FIFO "), 2);
  EXPECT_EQ(Count(e006 + "/dev/zero Kind=device "), 2);
  EXPECT_EQ(Count("  >>>>,,  001 File does not exist; File=" + folder_.dir() + "./gone.csv "), 2);
  EXPECT_EQ(engine_->log.errors(), 8);
}

TEST_F(RunDriverTest, EachInputDirectoryAppliesToTheFilesAfterItInBothPasses) {
  folder_.Write("a/one.csv", "STG,S1,One,1\n");
  folder_.Write("b/two.csv", "STG,S2,Two,2\n");
  Run("$ODIR,,./out\n$IDIR,,./a\n$FILE,MOD,one.csv\n$IDIR,,./b\n$FILE,MOD,two.csv\n");
  EXPECT_EQ(engine_->log.errors(), 0);
}

TEST_F(RunDriverTest, RunFileWithoutOutputDirectoryOrWithAMissingOne) {
  folder_.Write("run.csv", "$IDIR,,.\n");
  RunPaths paths;
  paths.run_file = folder_.path("run.csv");
  Engine engine(host_, paths);
  EXPECT_THROW(
      {
        try {
          RunModel(engine);
        } catch (const RunAborted& aborted) {
          EXPECT_STREQ(aborted.what(), "RUN File does not contain $ODIR");
          throw;
        }
      },
      RunAborted);
  folder_.Write("run.csv", "$ODIR,,./missing\n$ODIR,,.\n");
  try {
    RunModel(engine);
    FAIL() << "expected RunAborted";
  } catch (const RunAborted& aborted) {
    EXPECT_EQ(std::string(aborted.what()),
              "Output Directory does not exist " + folder_.dir() + "./missing/");
  }
}

std::string Sha256Of(const std::string& text) {
  Sha256 digest;
  digest.Add(text);
  return digest.HexDigest();
}

// The manifest of a run that names it as a model file and as a report: it is
// read as neither (e004 in each pass, e407), and the run's own record of
// what it read and logged stands in its place afterwards.
TEST_F(RunDriverTest, TheManifestIsNeitherReadNorReplacedAndRecordsTheRun) {
  folder_.Write("out/.Run.json", "old");
  const std::string reports = "OO,12,Test run\nREP,12,.Run.json\n";
  folder_.Write("REP.csv", reports);
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MOD,out/.Run.json\n$FILE,MOD,REP.csv\n");
  EXPECT_EQ(Count("  >>>>,,  004 RunF; File is an output of this run and is not read; File=" +
                  folder_.dir() + "./out/.Run.json "),
            2);
  EXPECT_EQ(Count("  >>>>,,  407 REP; Output file name not valid, it names the run manifest "
                  ".Run.json; Name=.Run.json recnr(2),REP,12,.Run.json"),
            1);
  const auto manifest = nlohmann::json::parse(folder_.Read("out/.Run.json"));
  EXPECT_EQ(manifest["status"], "complete");
  EXPECT_EQ(manifest["exit_code"], 4);
  EXPECT_EQ(manifest["run_label"], "Test run");
  EXPECT_EQ(manifest["messages"]["by_message"]["e004"], 2);
  EXPECT_EQ(manifest["messages"]["by_message"]["e407"], 1);
  EXPECT_EQ(manifest["reports"], nlohmann::json::array());
  const std::string run_file = folder_.Read("run.csv");
  const nlohmann::json inputs = {{{"kind", "RUN"},
                                  {"path", folder_.path("run.csv")},
                                  {"absolute_path", folder_.path("run.csv")},
                                  {"size", run_file.size()},
                                  {"lines", 4},
                                  {"sha256", Sha256Of(run_file)}},
                                 {{"kind", "MOD"},
                                  {"path", "REP.csv"},
                                  {"absolute_path", folder_.path("REP.csv")},
                                  {"size", reports.size()},
                                  {"lines", 2},
                                  {"sha256", Sha256Of(reports)}}};
  EXPECT_EQ(manifest["inputs"], inputs);
}

// A link in the manifest's place ends the run before anything is written,
// as one in a log's place does, rather than after all of its work.
TEST_F(RunDriverTest, AManifestThatCannotBeWrittenSafelyStopsTheRunAtOnce) {
  folder_.Write("elsewhere", "keep");
  folder_.MakeDirectory("out");
  std::filesystem::create_symlink(folder_.path("elsewhere"), folder_.path("out/.Run.json"));
  folder_.Write("run.csv", "$ODIR,,./out\n");
  RunPaths paths;
  paths.run_file = folder_.path("run.csv");
  Engine engine(host_, paths);
  try {
    RunModel(engine);
    FAIL() << "expected RunAborted";
  } catch (const RunAborted& aborted) {
    EXPECT_EQ(std::string(aborted.what()), "Output File " + folder_.dir() +
                                               "./out/.Run.json cannot be written: it is a "
                                               "symbolic link");
  }
  EXPECT_EQ(host_.retry_messages.size(), 1u) << "asked once, as for a log";
  EXPECT_FALSE(std::filesystem::exists(folder_.path("out/.Job.csv")));
  EXPECT_EQ(folder_.Read("elsewhere"), "keep");
}

TEST_F(RunDriverTest, MissingInputDirectoryEndsTheRunAndTheLogSaysWhy) {
  folder_.MakeDirectory("out");
  folder_.Write("run.csv", "$ODIR,,./out\n$IDIR,,./gone\n");
  RunPaths paths;
  paths.run_file = folder_.path("run.csv");
  Engine engine(host_, paths);
  EXPECT_THROW(RunModel(engine), RunAborted);
  const auto job = folder_.Lines("out/.Job.csv");
  ASSERT_GE(job.size(), 4u);
  EXPECT_EQ(job[job.size() - 4],
            "10:11:12  Input Directory does not exist " + folder_.dir() + "./gone/ ");
  EXPECT_EQ(job.back(), "10:11:12  Program End 2026-12-07 10:11:12 ");
  // The manifest says so too, with the exit code the program ends with.
  const auto manifest = nlohmann::json::parse(folder_.Read("out/.Run.json"));
  EXPECT_EQ(manifest["status"], "failed");
  EXPECT_EQ(manifest["exit_code"], 2);
  EXPECT_EQ(manifest["phase"], "Pass 1");
  EXPECT_EQ(manifest["reason"], "Input Directory does not exist " + folder_.dir() + "./gone/");
}

// Amounts near the largest double, in a model of two resource pools (R1
// takes account A, R2 account B) that allocate to two products (P1 also
// takes account C). A figure that would not be finite is refused where it
// arises, and the amount stays where it was.
struct HugeAmounts {
  const char* name;
  const char* transactions;
  const char* second_base;               // the two lines of R2's base
  std::vector<std::string> errors;       // how each error line begins
  std::map<std::string, double> values;  // pool values after the run
};

void PrintTo(const HugeAmounts& example, std::ostream* out) { *out << example.name; }

class HugeAmountsTest : public RunDriverTest, public ::testing::WithParamInterface<HugeAmounts> {};

TEST_P(HugeAmountsTest, AreRefusedWhereTheyArise) {
  const HugeAmounts& example = GetParam();
  folder_.Write("model.csv", std::string("DIMH,1,Account\n") +
                                 "STG,RS,Resources,1\nSTG,PS,Products,3\n"
                                 "CPG,RES,Resources,RS,10\nCPGS,RES,All,,,*\n"
                                 "CPG,PRD,Products,PS,5\nCPGS,PRD,Direct,,,C\n"
                                 "CP,R1,Resource one,RES,AB1\nCPS,R1,A,,,A\n"
                                 "CP,R2,Resource two,RES,AB2\nCPS,R2,B,,,B\n"
                                 "CP,P1,Product one,PRD\nCPS,P1,C,,,C\nCP,P2,Product two,PRD\n"
                                 "AB,AB1,One to three\nABL,AB1,one,C,1,P1\nABL,AB1,three,C,3,P2\n"
                                 "AB,AB2,Second base\n" +
                                 example.second_base);
  folder_.Write("reports.csv", "REP,12\nREP,15,,,,,,,,+\nREP,16\nREP,41\n");
  folder_.Write("accounts.csv", "A,Account A\nB,Account B\nC,Account C\n");
  folder_.Write("tx.csv", example.transactions);
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MODEL,model.csv\n$FILE,DIM1,accounts.csv\n"
      "$FILE,TX,tx.csv\n$FILE,MODEL,reports.csv\n");
  std::vector<std::string> errors;
  for (const std::string& line : job_) {
    if (line.rfind("  >>>>", 0) == 0 || line.rfind("         ,,", 0) == 0) errors.push_back(line);
  }
  ASSERT_EQ(errors.size(), example.errors.size()) << ::testing::PrintToString(errors);
  for (size_t i = 0; i < errors.size(); ++i) {
    EXPECT_EQ(errors[i].substr(0, example.errors[i].size()), example.errors[i]);
  }
  for (const auto& [code, value] : example.values) {
    const ModelTables& model = engine_->model;
    EXPECT_DOUBLE_EQ(model.pools[model.pools.CodeIndex.Find(code)].Value, value) << code;
  }
  for (const auto& file : std::filesystem::directory_iterator(folder_.path("out"))) {
    const std::string name = "out/" + file.path().filename().string();
    for (const std::string& line : folder_.Lines(name)) {
      for (const char* figure : {"inf", "nan", "INF", "NAN"}) {
        EXPECT_EQ(line.find(figure), std::string::npos) << name << ": " << line;
      }
    }
  }
}

const std::string kCanAllocate = "ABL,AB2,one,C,1,P1\nABL,AB2,three,C,3,P2\n";

INSTANTIATE_TEST_SUITE_P(
    Runs, HugeAmountsTest,
    ::testing::Values(
        // The second line would make R1's value 2e308: it is refused, and
        // R1 allocates 1e308 as 0.25e308 and 0.75e308.
        HugeAmounts{"Transactions",
                    "1e308,A\n1e308,A\n100,B\n",
                    kCanAllocate.c_str(),
                    {"  >>>>,,  206 TX; Value too large, a total would not be finite; CP=R1 "
                     "Value=1E+308 recnr(2),1e308,A"},
                    {{"R1", 1e308}, {"P1", 0.25e308 + 25}, {"P2", 0.75e308 + 75}}},
        // 1e308 + 1e308 is no total: R2 keeps its 14, so the products wait
        // for it to the end, and R1's 100 goes to them as 25 and 75.
        HugeAmounts{"BaseTotal",
                    "100,A\n14,B\n",
                    "ABL,AB2,huge one,C,1e308,P1\nABL,AB2,huge two,C,1e308,P2\n",
                    {"  >>>>,,  310 Alloc; AB Measure not finite, not used; AB=AB2 Line=huge two ",
                     "  >>>>,,  304 Alloc; AB could not be used for allocn; not all Measures "
                     "resolved; AB=AB2 ",
                     "  >>>>,,  306 Alloc; CP Value not allocated; CP=R2 (14.00); AB=AB2 ",
                     "  >>>>,,  305 Alloc; CP could not be allocated; CP value not finalised; "
                     "CP=P1 ",
                     "         ,,       Alloc; CP=R2 has not allocated cost to this CP ",
                     "  >>>>,,  305 Alloc; CP could not be allocated; CP value not finalised; "
                     "CP=P2 ",
                     "         ,,       Alloc; CP=R2 has not allocated cost to this CP "},
                    {{"R2", 14}, {"P1", 25}, {"P2", 75}}},
        // R1's quarter, 0.25e308, would take P1 from 1.7e308 past the
        // largest double: R1 keeps its cost and P2 gets nothing from it
        // either; R2's 8 goes as 2 and 6.
        HugeAmounts{"Share",
                    "1.7e308,C\n1e308,A\n8,B\n",
                    kCanAllocate.c_str(),
                    {"  >>>>,,  311 Alloc; Amount not finite, CP not allocated; CP=R1 AB=AB1 to "
                     "CP=P1 ",
                     "  >>>>,,  306 Alloc; CP Value not allocated; CP=R1 (1",
                     "  >>>>,,  305 Alloc; CP could not be allocated; CP value not finalised; "
                     "CP=P1 ",
                     "         ,,       Alloc; CP=R1 has not allocated cost to this CP ",
                     "  >>>>,,  305 Alloc; CP could not be allocated; CP value not finalised; "
                     "CP=P2 ",
                     "         ,,       Alloc; CP=R1 has not allocated cost to this CP "},
                    {{"R1", 1e308}, {"P1", 1.7e308 + 2}, {"P2", 6}}}),
    [](const ::testing::TestParamInfo<HugeAmounts>& info) { return std::string(info.param.name); });

// Cancelling amounts of 1e15 in a loop of service pools (the model of
// tests/models/reciprocal_services): the loop's members hold +-1e15 under
// their accounts and next to nothing in all. The solve moves the big cells
// with rounding in the last digits, which the check of value against cube
// must allow for, and HR's full cost, (30/29) x 1e-5 plus rounding, prints
// as 0.00.
TEST_F(RunDriverTest, CancellingAmountsInASolvedLoopLeaveNoDifferenceAndNoNegativeZero) {
  const std::string model = KORAV_SOURCE_DIR "/tests/models/reciprocal_services/";
  for (const char* name : {"model.csv", "accounts.csv", "departments.csv", "reports.csv"}) {
    std::filesystem::copy_file(model + name, folder_.path(name));
  }
  folder_.Write("transactions.csv", "1e15,RNT,BLD\n-1e15,SAL,IT\n1e-5,SAL,HR\n");
  Run("$ODIR,,./out\n$IDIR,,.\n$FILE,MODEL,model.csv\n$FILE,DIM1,accounts.csv\n"
      "$FILE,DIM2,departments.csv\n$FILE,TX,transactions.csv\n$FILE,MODEL,reports.csv\n");
  EXPECT_EQ(engine_->log.errors(), 0);
  for (const char* report : {"out/pools.csv", "out/stages.csv", "out/final.csv"}) {
    for (const std::string& line : folder_.Lines(report)) {
      EXPECT_EQ(line.find("-0.00"), std::string::npos) << report << ": " << line;
    }
  }
}

}  // namespace
}  // namespace korav
