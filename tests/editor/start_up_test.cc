#include "editor/core/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/core/editor_host.h"
#include "editor_test_support.h"

namespace korav {
namespace {

std::string FailureOf(const std::optional<std::string>& run,
                      const std::optional<std::string>& parms, EditorPaths& paths) {
  try {
    FindEditorPaths(run, parms, paths);
  } catch (const EditorFailure& failure) {
    return failure.what();
  }
  return {};
}

TEST(StartUpTest, StartFileNamesTheRunFileRelativeToTheProgramFolder) {
  EditorFolder folder;
  std::filesystem::create_directories(folder.path("models/ann"));
  folder.Write("models/ann/run.csv", "");
  folder.Write("Start.txt", ".\\models\\$USERNAME\\run.csv\r\n");
  folder.Write("KORAVEParms.csv", "");
  EditorPaths paths;
  paths.program_folder = folder.dir();
  paths.user_name = "ann";
  EXPECT_EQ(FailureOf("*", std::nullopt, paths), "");
  EXPECT_EQ(paths.run_file, folder.dir() + "./models/ann/run.csv");
  EXPECT_EQ(paths.data_folder, folder.dir() + "./models/ann/");
  EXPECT_EQ(paths.parameter_file, folder.dir() + "KORAVEParms.csv");
  EXPECT_EQ(EditorCaption(paths.data_folder),
            "KORAVE - KORAV Edit - " + folder.dir() + "./models/ann/");
}

TEST(StartUpTest, MissingFilesGiveTheStartUpMessages) {
  EditorFolder folder;
  EditorPaths paths;
  paths.program_folder = folder.dir();
  EXPECT_EQ(FailureOf(std::nullopt, std::nullopt, paths),
            "Error, Start file " + folder.dir() + "Start.txt not found");
  EXPECT_EQ(FailureOf(folder.path("run.csv"), std::nullopt, paths),
            "Error, RUN file " + folder.path("run.csv") + " not found");
  folder.Write("run.csv", "");
  EXPECT_EQ(FailureOf(folder.path("run.csv"), "*", paths),
            "Parameter file of " + folder.dir() + "KORAVEParms.csv not found");
  EXPECT_EQ(FailureOf(folder.path("run.csv"), folder.path("mine.csv"), paths),
            "Parameter file of " + folder.path("mine.csv") + " not found");
}

}  // namespace
}  // namespace korav
