#include "allocation/log/job_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "tests/allocation/test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;

class JobLogTest : public ::testing::Test {
 protected:
  std::string Format(std::string_view text, std::string_view data_line = "", int32_t record = 0) {
    return log_.FormatLine(text, data_line, record);
  }

  FixedHost host_;
  OutputFolder folder_;
  JobLog log_{host_};
};

TEST_F(JobLogTest, PrefixFollowsTheClassLetter) {
  EXPECT_EQ(Format("iNr of Errors 3"), "         Nr of Errors 3 ");
  EXPECT_EQ(Format("IProgram End x"), "10:11:12  Program End x ");
  EXPECT_EQ(Format("w  ***** Requested No run"), "           ***** Requested No run ");
  EXPECT_EQ(Format("t trace"), "          trace ");
  // Digits and signs are their own upper case, so they take the time.
  EXPECT_EQ(Format("5x"), "10:11:12  x ");
}

TEST_F(JobLogTest, ErrorsNameTheCurrentRecord) {
  EXPECT_EQ(Format("e001 File does not exist; File=/m/a.csv"),
            "  >>>>,,  001 File does not exist; File=/m/a.csv ");
  EXPECT_EQ(Format("e126 Unknown File Record Type=XX", "XX,1,2", 7),
            "  >>>>,,  126 Unknown File Record Type=XX recnr(7),XX,1,2");
  EXPECT_EQ(Format("E9 upper", "L", 0), "  >>>>,,  9 upper recnr(0),L");
  // Other classes never show the record.
  EXPECT_EQ(Format("iinfo", "L", 3), "         info ");
}

TEST_F(JobLogTest, MilestonesShowTheHeapAndItsChange) {
  host_.heap = 1000;
  EXPECT_EQ(Format("MStart Read Pass 1"), "10:11:12  Start Read Pass 1 - Memory 1000 Chg 1000");
  host_.heap = 400;
  // A lower-case m has no time stamp but still shows the heap.
  EXPECT_EQ(Format("mlow"), "         low - Memory 400 Chg -600");
}

TEST_F(JobLogTest, CountsAndWhichFileEachClassReaches) {
  ModelFolder folder;
  OpenLogIn(log_, folder_, folder.dir(), "REP");
  for (const char* text :
       {"e1 a", "E2 b", "f3 c", "F4 d", "w5 e", "W6 f", "t7 g", "T8 h", "i9 i"}) {
    log_.Write(text, "", 0);
  }
  log_.Close();
  EXPECT_EQ(log_.errors(), 4);
  EXPECT_EQ(log_.warnings(), 2);
  const auto trace = folder.Lines(".JobandTraceREP.csv");
  const auto job = folder.Lines(".JobREP.csv");
  EXPECT_EQ(trace.size(), 9u);
  ASSERT_EQ(job.size(), 7u);
  EXPECT_EQ(trace[6], "         7 g ");
  EXPECT_EQ(job[6], "         9 i ");
  EXPECT_EQ(folder.Read(".JobREP.csv").substr(0, 47),
            "  >>>>,,  1 a \r\n  >>>>,,  2 b \r\n         3 c \r\n");
}

// Errors and warnings by their class letter and number; a line without a
// number counts under its letter, and each opening of the logs counts its
// own lines while the program's totals go on.
TEST_F(JobLogTest, OwnCountsKeepEachMessageNumber) {
  ModelFolder folder;
  log_.Write("e9 before the logs", "", 0);
  OpenLogIn(log_, folder_, folder.dir(), "");
  for (const char* text : {"e204 TX; a", "e204 b", "w CP; c", "W7 d", "f", "F1234567 e", "i1 f",
                           "t2 g", "e005 h", "w,, i"}) {
    log_.Write(text, "", 0);
  }
  const MessageCounts& own = log_.own();
  EXPECT_EQ(own.errors, 5);
  EXPECT_EQ(own.warnings, 3);
  const std::map<std::string, int32_t> expected = {{"e204", 2}, {"w", 2},       {"W7", 1},
                                                   {"f", 1},    {"F123456", 1}, {"e005", 1}};
  EXPECT_EQ(own.by_message, expected);
  EXPECT_EQ(log_.errors(), 6);
  log_.Close();
  OpenLogIn(log_, folder_, folder.dir(), "REP");
  EXPECT_EQ(log_.own().errors, 0);
  EXPECT_TRUE(log_.own().by_message.empty());
  EXPECT_EQ(log_.errors(), 6);
  log_.Close();
}

TEST_F(JobLogTest, OnlyMilestonesAreReportedAsProgress) {
  for (const char* text : {"MStart Read Pass 1", "iinfo", "e1 a", "mCount 5", "Ttrace"}) {
    log_.Write(text, "", 0);
  }
  EXPECT_EQ(host_.progress, (std::vector<std::string>{"Start Read Pass 1", "Count 5"}));
}

// A log is never written through a link or over a file that is not its own:
// each of these is refused, the host asked to retry, and the run stopped
// with the file's name and the reason, while the file elsewhere is kept.
TEST_F(JobLogTest, ALogThatCannotBeWrittenSafelyIsRetriedThenGivenUp) {
  ModelFolder outside;
  outside.Write("victim.txt", "keep");
  const std::string victim = outside.path("victim.txt");
  const struct {
    const char* why;
    std::function<void(const ModelFolder&)> plant;
  } cases[] = {
      {"it is a symbolic link",
       [&](const ModelFolder& f) { fs::create_symlink(victim, f.path(".JobandTrace.csv")); }},
      {"it is a symbolic link",
       [&](const ModelFolder& f) {
         fs::create_symlink(outside.path("nowhere"), f.path(".JobandTrace.csv"));
       }},
      {"it has more than one hard link",
       [&](const ModelFolder& f) { fs::create_hard_link(victim, f.path(".JobandTrace.csv")); }},
      {"it is a folder", [&](const ModelFolder& f) { f.MakeDirectory(".JobandTrace.csv"); }},
  };
  for (const auto& c : cases) {
    ModelFolder folder;
    c.plant(folder);
    folder.Write(".Job.csv", "older job log");
    host_.retries_left = 1;
    host_.retry_messages.clear();
    const std::string expected =
        "Output File " + folder.dir() + ".JobandTrace.csv cannot be written: " + c.why;
    try {
      OpenLogIn(log_, folder_, folder.dir());
      ADD_FAILURE() << "expected RunAborted for " << c.why;
    } catch (const RunAborted& aborted) {
      EXPECT_EQ(std::string(aborted.what()), expected);
    }
    EXPECT_EQ(host_.retry_messages, (std::vector<std::string>{expected, expected}));
    EXPECT_FALSE(log_.IsOpen());
    EXPECT_EQ(folder.Read(".Job.csv"), "older job log") << "the other log is left as it was";
    EXPECT_EQ(outside.Read("victim.txt"), "keep");
    EXPECT_FALSE(fs::exists(outside.path("nowhere")));
  }
}

}  // namespace
}  // namespace korav
