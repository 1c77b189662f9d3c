// Comparisons of hand-made run folders: a manifest and the two Results
// Exports, with figures worked out by hand; runs of different models; and
// every kind of folder that is no finished run, each refused with a message
// that names it.
#include "allocation/compare/compare_runs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "allocation/host/run_host.h"
#include "common/sha256.h"
#include "tests/allocation/test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr const char* kCellsHeader =
    "Run Label,Stage,Stage Description,Group,Group Description,Pool,Pool Description,Account,"
    "Value\r\n";
constexpr const char* kFlowsHeader =
    "Run Label,Stage,Sender,Sender Description,Base,Line,Receiver,Receiver Description,"
    "Proportion,Amount\r\n";

// A: R (100) sends all to X, which with its own 10 sends 0.6 to P1 (own 5)
// and 0.4 to P2. B: R 120, X's own 13, X's shares 0.5 and 0.5, P1's own 8,
// and X sends P2 a variance of 3. By hand, P1: X's cost effect 20 x 0.6 =
// 12, share effect 130 x -0.1 = -13, flow 66 to 65; own 5 to 8. P2: cost
// effect 20 x 0.4 + 3 = 11, share effect 130 x 0.1 = 13, flow 44 to 68.
constexpr const char* kCellsA =
    "a,S1,Inputs,G1,Resources,R,Resources,SAL,60\r\n"
    "a,S1,Inputs,G1,Resources,R,Resources,RENT,40\r\n"
    "a,S2,Activities,G2,Activity pools,X,Activity,SAL,10\r\n"
    "a,S2,Activities,G2,Activity pools,X,Activity,SAL,60\r\n"
    "a,S2,Activities,G2,Activity pools,X,Activity,RENT,40\r\n"
    "a,S3,Products,G3,Products,P1,\"Product \"\"one\"\", boxed\",SAL,5\r\n"
    "a,S3,Products,G3,Products,P1,\"Product \"\"one\"\", boxed\",SAL,66\r\n"
    "a,S3,Products,G3,Products,P2,Product two,SAL,44\r\n";
constexpr const char* kFlowsA =
    "a,S1,R,Resources,AB.R,all,X,Activity,1,100\r\n"
    "a,S2,X,Activity,AB.X,one,P1,\"Product \"\"one\"\", boxed\",0.6,66\r\n"
    "a,S2,X,Activity,AB.X,two,P2,Product two,0.4,44\r\n";
constexpr const char* kCellsB =
    "b,S1,Inputs,G1,Resources,R,Resources,SAL,72\r\n"
    "b,S1,Inputs,G1,Resources,R,Resources,RENT,48\r\n"
    "b,S2,Activities,G2,Activity pools,X,Activity,SAL,13\r\n"
    "b,S2,Activities,G2,Activity pools,X,Activity,SAL,72\r\n"
    "b,S2,Activities,G2,Activity pools,X,Activity,RENT,48\r\n"
    "b,S3,Products,G3,Products,P1,\"Product \"\"one\"\", boxed\",SAL,8\r\n"
    "b,S3,Products,G3,Products,P1,\"Product \"\"one\"\", boxed\",SAL,65\r\n"
    "b,S3,Products,G3,Products,P2,Product two,SAL,65\r\n"
    "b,S3,Products,G3,Products,P2,Product two,SAL,3\r\n";
constexpr const char* kFlowsB =
    "b,S1,R,Resources,AB.R,all,X,Activity,1,120\r\n"
    "b,S2,X,Activity,AB.X,one,P1,\"Product \"\"one\"\", boxed\",0.5,65\r\n"
    "b,S2,X,Activity,AB.X,two,P2,Product two,0.5,65\r\n"
    "b,S2,X,Activity,,variance,P2,Product two,,3\r\n";

std::string Sha256Of(const std::string& text) {
  Sha256 digest;
  digest.Add(text);
  return digest.HexDigest();
}

class CompareRunsTest : public ::testing::Test {
 protected:
  // Writes a run folder `name` holding 36.csv (cells), flows.csv and a
  // manifest of a complete run that lists both; `edit` may change the
  // manifest before it is written.
  void WriteRun(const std::string& name, const std::string& label, const std::string& cells,
                const std::string& flows, const std::function<void(Json&)>& edit = {}) {
    folder_.Write(name + "/36.csv", cells);
    folder_.Write(name + "/flows.csv", flows);
    Json manifest = {
        {"format", 1},
        {"program", {{"name", "korava"}, {"version", "0.7"}}},
        {"run_label", label},
        {"status", "complete"},
        {"exit_code", 0},
        {"messages", {{"errors", 0}, {"warnings", 0}}},
        {"reconciliation", {{"status", "Reconciled"}, {"difference", "0.00"}, {"reason", ""}}},
        {"reports",
         {{{"number", 36}, {"file", "36.csv"}, {"sha256", Sha256Of(cells)}},
          {{"number", 36}, {"file", "flows.csv"}, {"sha256", Sha256Of(flows)}}}}};
    if (edit) edit(manifest);
    folder_.Write(name + "/.Run.json", manifest.dump(2));
  }

  void WritePair() {
    WriteRun("a", "2026-11 Actual", std::string(kCellsHeader) + kCellsA,
             std::string(kFlowsHeader) + kFlowsA);
    WriteRun("b", "2026-12 What-if", std::string(kCellsHeader) + kCellsB,
             std::string(kFlowsHeader) + kFlowsB);
  }

  CompareOutcome Compare(const std::string& output = "") {
    return CompareRuns(CompareRequest{folder_.path("a"), folder_.path("b"),
                                      output.empty() ? "" : folder_.path(output)});
  }

  ModelFolder folder_;
};

TEST_F(CompareRunsTest, ChangesAndEffectsAsWorkedByHand) {
  WritePair();
  const CompareOutcome outcome = Compare();
  EXPECT_EQ(outcome.output_folder, folder_.dir() + "compare/");
  EXPECT_TRUE(outcome.notes.empty());
  const std::vector<std::string> table = {
      "Stage,Group,Pool,Pool Description,A: 2026-11 Actual,B: 2026-12 What-if,Change,Change %,"
      "Note",
      "S1,G1,R,Resources,100.00,120.00,20.00,20.00,", "S2,G2,X,Activity,110.00,133.00,23.00,20.91,",
      "S3,G3,P1,\"Product \"\"one\"\", boxed\",71.00,73.00,2.00,2.82,",
      "S3,G3,P2,Product two,44.00,68.00,24.00,54.55,"};
  EXPECT_EQ(folder_.Lines("compare/compare.csv"), table);
  const std::vector<std::string> effects = {
      "Pool,Sender,Cost Effect,Share Effect,Change", "P1,X,12.00,-13.00,-1.00",
      "P1,(own transactions),,,3.00", "P2,X,11.00,13.00,24.00", "P2,(own transactions),,,0.00"};
  EXPECT_EQ(folder_.Lines("compare/compare-effects.csv"), effects);
  const std::string page = folder_.Read("compare/compare.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\r\n", 0), 0u);
  EXPECT_NE(page.find("<h1>Run Comparison &#8211; 2026-11 Actual &#8594; 2026-12 What-if</h1>"),
            std::string::npos);
  EXPECT_NE(page.find("<h3>P1 Product &quot;one&quot;, boxed: 71.00 &#8594; 73.00</h3>"),
            std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(outcome.page, outcome.output_folder + "compare.html");
}

// B adds a department dimension, a stage S4 with pool Q and drops P2: what
// both share is compared, the rest listed as one run's only. B's allocation
// was not performed, which the notes say first.
TEST_F(CompareRunsTest, RunsOfDifferentModelsAreComparedOnWhatTheyShare) {
  WriteRun("a", "2026-11 Actual", std::string(kCellsHeader) + kCellsA,
           std::string(kFlowsHeader) + kFlowsA);
  const std::string cells_b =
      "Run Label,Stage,Stage Description,Group,Group Description,Pool,Pool Description,Account,"
      "Department,Value\r\n"
      "b,S1,Inputs,G1,Resources,R,Resources,SAL,BAKE,100\r\n"
      "b,S4,Report,G4,Reporting,Q,Copy,SAL,BAKE,7\r\n";
  WriteRun("b", "", cells_b, kFlowsHeader, [](Json& manifest) {
    manifest["reconciliation"] = {
        {"status", "Allocation not performed"},
        {"reason", "Requested Run Allocation if no errors; there are errors"}};
    manifest["messages"]["errors"] = 2;
  });
  const CompareOutcome outcome = Compare("out");
  const std::vector<std::string> notes = {
      "B (b): allocation not performed: Requested Run Allocation if no errors; there are errors",
      "B (b): 2 errors logged; see .Job.csv in the run's folder",
      "2 stages only in A (2026-11 Actual): S2, S3",
      "1 stage only in B (b): S4",
      "1 dimension only in B (b): Department",
      "3 pools only in A (2026-11 Actual): X, P1, P2",
      "1 pool only in B (b): Q"};
  EXPECT_EQ(outcome.notes, notes);
  const std::vector<std::string> table = {
      "Stage,Group,Pool,Pool Description,A: 2026-11 Actual,B: b,Change,Change %,Note",
      "S1,G1,R,Resources,100.00,100.00,0.00,0.00,",
      "S4,G4,Q,Copy,,7.00,,,only in B",
      "S2,G2,X,Activity,110.00,,,,only in A",
      "S3,G3,P1,\"Product \"\"one\"\", boxed\",71.00,,,,only in A",
      "S3,G3,P2,Product two,44.00,,,,only in A"};
  EXPECT_EQ(folder_.Lines("out/compare.csv"), table);
  // No final pool lies in both runs.
  EXPECT_EQ(folder_.Lines("out/compare-effects.csv"),
            std::vector<std::string>{"Pool,Sender,Cost Effect,Share Effect,Change"});
}

// A figure of 1E+300 cannot be printed to the cent: it is left empty with a
// note, its pool is not broken down, and nothing prints it.
TEST_F(CompareRunsTest, FiguresBeyondTheCentAreNeverPrinted) {
  WritePair();
  std::string cells = std::string(kCellsHeader) + kCellsB;
  cells.replace(cells.find("P2,Product two,SAL,65"), 21, "P2,Product two,SAL,1e300");
  WriteRun("b", "2026-12 What-if", cells, std::string(kFlowsHeader) + kFlowsB);
  Compare();
  const std::vector<std::string> table = folder_.Lines("compare/compare.csv");
  EXPECT_EQ(table.back(), "S3,G3,P2,Product two,44.00,,,,figure not finite or beyond 1E+30");
  const std::vector<std::string> effects = folder_.Lines("compare/compare-effects.csv");
  EXPECT_EQ(effects.back(), "P2,(not broken down: a figure is not finite or too large),,,");
  EXPECT_EQ(effects[1], "P1,X,12.00,-13.00,-1.00");
  const std::string page = folder_.Read("compare/compare.html");
  for (const char* figure : {"inf", "nan", "e+300", "#NUM!", "00000000000000000000"}) {
    EXPECT_EQ(page.find(figure), std::string::npos) << figure;
  }
}

TEST_F(CompareRunsTest, WhatIsNoFinishedRunIsRefusedAndNothingIsWritten) {
  const std::string cells = std::string(kCellsHeader) + kCellsA;
  const std::string flows = std::string(kFlowsHeader) + kFlowsA;
  const auto manifest_edit = [&](std::function<void(Json&)> edit) {
    return [this, cells, flows, edit] { WriteRun("a", "x", cells, flows, edit); };
  };
  struct Case {
    const char* name;
    std::function<void()> damage;  // done to the pair
    std::string message;           // the part of the message after the folder's path
    const char* output = "";
  };
  const Case cases[] = {
      {"missing folder", [&] { fs::remove_all(folder_.path("a")); },
       "a does not exist; give the output folder of a finished run"},
      {"no manifest", [&] { fs::remove(folder_.path("a/.Run.json")); },
       "a/.Run.json does not exist; give the output folder of a finished run"},
      {"manifest a FIFO",
       [&] {
         fs::remove(folder_.path("a/.Run.json"));
         ::mkfifo(folder_.path("a/.Run.json").c_str(), 0600);
       },
       "a/.Run.json is a FIFO, not a file korava wrote"},
      {"truncated manifest",
       [&] { folder_.Write("a/.Run.json", folder_.Read("a/.Run.json").substr(0, 80)); },
       "a/.Run.json is not a run manifest: it is truncated or not JSON"},
      {"not JSON", [&] { folder_.Write("a/.Run.json", "Stage,Group\r\n"); },
       "a/.Run.json is not a run manifest: it is truncated or not JSON"},
      {"other format", manifest_edit([](Json& m) { m["format"] = 2; }),
       "a/.Run.json is of format 2, and this korava reads format 1"},
      {"other program", manifest_edit([](Json& m) { m["program"]["name"] = "other"; }),
       "a/.Run.json was not written by korava"},
      {"interrupted run", manifest_edit([](Json& m) {
         m["status"] = "interrupted";
         m["reason"] = "Run interrupted; Signal=SIGTERM";
       }),
       "a/.Run.json records a run that did not complete (status interrupted: Run interrupted; "
       "Signal=SIGTERM)"},
      {"no flows export", manifest_edit([](Json& m) { m["reports"].erase(1); }),
       "a/.Run.json lists no Results Export (36) of the flows; add the record REP,36,flows,,,,F"},
      {"two cells exports", manifest_edit([&](Json& m) {
         folder_.Write("a/more.csv", cells);
         m["reports"].push_back(
             {{"number", 36}, {"file", "more.csv"}, {"sha256", Sha256Of(cells)}});
       }),
       "a/.Run.json lists two cells exports"},
      {"export outside the folder",
       manifest_edit([](Json& m) { m["reports"][0]["file"] = "../b/36.csv"; }),
       "a/.Run.json names the export \"../b/36.csv\", which is no file in the run's folder"},
      {"export deleted", [&] { fs::remove(folder_.path("a/flows.csv")); },
       "a/flows.csv does not exist; the run wrote it, so it was moved or deleted since"},
      {"export changed", [&] { folder_.Write("a/36.csv", cells + "a,S1,,G1,,R,,SAL,1\r\n"); },
       "a/36.csv has changed since the run: its SHA-256 differs from the one in .Run.json"},
      {"faulty figure as written",
       [&] {
         const std::string bad = std::string(kFlowsHeader) + "a,S1,R,,AB.R,all,X,,1,1e999\r\n";
         WriteRun("a", "x", cells, bad);
       },
       "a/flows.csv is not a Results Export: line 2: Amount \"1e999\" is not a number"},
      {"no shared pool",
       [&] {
         WriteRun("a", "x", std::string(kCellsHeader) + "a,S,,G,,OTHER,,SAL,1\r\n", kFlowsHeader);
       },
       "b share no cost pool: nothing to compare"},
      {"output is RUN_A", [] {}, "the output folder " + folder_.path("a") + " is RUN_A itself",
       "a"},
  };
  for (const Case& c : cases) {
    WritePair();
    c.damage();
    try {
      Compare(c.output);
      ADD_FAILURE() << c.name << ": not refused";
    } catch (const RunAborted& refused) {
      EXPECT_NE(std::string(refused.what()).find(c.message), std::string::npos)
          << c.name << ": " << refused.what();
    }
    EXPECT_FALSE(fs::exists(folder_.path("compare"))) << c.name;
    EXPECT_FALSE(fs::exists(folder_.path("a/compare.csv"))) << c.name;
    fs::remove_all(folder_.path("a"));
    fs::remove_all(folder_.path("b"));
  }
}

// A link in a file's place is refused, and what it points at is left alone.
TEST_F(CompareRunsTest, LinksInTheOutputFolderAreNeverWrittenThrough) {
  WritePair();
  folder_.Write("elsewhere.txt", "keep");
  folder_.MakeDirectory("compare");
  fs::create_symlink(folder_.path("elsewhere.txt"), folder_.path("compare/compare.csv"));
  try {
    Compare();
    ADD_FAILURE() << "not refused";
  } catch (const RunAborted& refused) {
    EXPECT_EQ(std::string(refused.what()),
              "Output File " + folder_.path("compare/compare.csv") +
                  " cannot be written: it is a symbolic link; remove what stands there, or give "
                  "another OUTDIR");
  }
  EXPECT_EQ(folder_.Read("elsewhere.txt"), "keep");
}

}  // namespace
}  // namespace korav
