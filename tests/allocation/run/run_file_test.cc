#include "allocation/run/run_file.h"

#include <gtest/gtest.h>

#include "tests/allocation/test_support.h"

namespace korav {
namespace {

RunPaths PathsIn(const ModelFolder& folder) {
  RunPaths paths;
  paths.program_directory = folder.dir() + "bin/";
  paths.user_name = "ann";
  paths.run_file = folder.dir() + "run.csv";
  return paths;
}

std::string AbortMessage(const std::optional<std::string>& argument, const RunPaths& paths) {
  try {
    FindRunFile(argument, paths);
  } catch (const RunAborted& aborted) {
    return aborted.what();
  }
  return "no abort";
}

TEST(FindRunFileTest, ArgumentIsUsedAsTypedWithTheUserName) {
  ModelFolder folder;
  folder.Write("ann/run.csv", "");
  const RunPaths paths = PathsIn(folder);
  EXPECT_EQ(FindRunFile(folder.dir() + "$USERNAME/run.csv", paths), folder.dir() + "ann/run.csv");
  EXPECT_EQ(AbortMessage(folder.dir() + "bob/run.csv", paths),
            "Error, RUN file " + folder.dir() + "bob/run.csv not found");
}

TEST(FindRunFileTest, StartFileDotIsTheProgramDirectory) {
  ModelFolder folder;
  folder.Write("bin/Start.txt", ".\\models\\$USERNAME.csv\r\nsecond line is not read\r\n");
  folder.Write("bin/models/ann.csv", "");
  EXPECT_EQ(FindRunFile(std::nullopt, PathsIn(folder)), folder.dir() + "bin/./models/ann.csv");
}

TEST(FindRunFileTest, MissingStartFileOrRunFileEndsTheProgram) {
  ModelFolder folder;
  const RunPaths paths = PathsIn(folder);
  EXPECT_EQ(AbortMessage(std::nullopt, paths),
            "Error, Start file " + folder.dir() + "bin/Start.txt not found");
  folder.Write("bin/Start.txt", "/nowhere/run.csv");
  EXPECT_EQ(AbortMessage(std::nullopt, paths), "Error, RUN file /nowhere/run.csv not found");
}

TEST(ExpandDirectoryTest, DotUserNameSeparatorsAndTrailingSlash) {
  ModelFolder folder;
  FixedHost host;
  Engine engine(host, PathsIn(folder));
  EXPECT_EQ(ExpandDirectory(engine, "./out"), folder.dir() + "./out/");
  EXPECT_EQ(ExpandDirectory(engine, ".\\in\\$USERNAME"), folder.dir() + "./in/ann/");
  EXPECT_EQ(ExpandDirectory(engine, "/abs/out/"), "/abs/out/");
  EXPECT_EQ(ExpandDirectory(engine, "D:\\data"), "D:/data/");
  EXPECT_EQ(ExpandDirectory(engine, ""), "");
  engine.paths.run_file = "run.csv";  // a run file in the working directory
  EXPECT_EQ(ExpandDirectory(engine, "./out"), "./out/");
}

TEST(OpenDataFileTest, NamesResolveAgainstTheInputDirectory) {
  ModelFolder folder;
  folder.Write("in/CP.csv", "CP,A\n");
  FixedHost host;
  Engine engine(host, PathsIn(folder));
  engine.state.record_number = 9;
  EXPECT_FALSE(OpenDataFile(engine, "MODEL", "in/CP.csv")) << "relative to the working directory";
  EXPECT_EQ(engine.state.record_number, 0);
  EXPECT_EQ(engine.log.errors(), 1);
  engine.paths.input_directory = folder.dir() + "in/";
  EXPECT_TRUE(OpenDataFile(engine, "MODEL", "CP.csv"));
  engine.paths.input_directory = "/elsewhere/";
  EXPECT_TRUE(OpenDataFile(engine, "MODEL", folder.dir() + "in\\CP.csv"))
      << "absolute, either separator";
  std::string_view line;
  ASSERT_TRUE(engine.data_file.Next(line));
  EXPECT_EQ(line, "CP,A");
}

}  // namespace
}  // namespace korav
