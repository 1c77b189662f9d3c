#include "common/paths.h"

#include <gtest/gtest.h>

#include "common/environment.h"

namespace korav {
namespace {

TEST(PathsTest, SeparatorsAndAbsoluteNames) {
  EXPECT_EQ(WithNativeSeparators("models\\demo\\run.csv"), "models/demo/run.csv");
  EXPECT_TRUE(IsAbsoluteName("/data/cp.csv"));
  EXPECT_TRUE(IsAbsoluteName("C:/data/cp.csv"));
  EXPECT_FALSE(IsAbsoluteName("data/cp.csv"));
  EXPECT_FALSE(IsAbsoluteName("./cp.csv"));
}

TEST(PathsTest, DirectoriesAndReplacements) {
  EXPECT_EQ(DirectoryOf("/a/b/run.csv"), "/a/b/");
  EXPECT_EQ(DirectoryOf("run.csv"), "");
  EXPECT_EQ(WithTrailingSeparator("out"), "out/");
  EXPECT_EQ(WithTrailingSeparator("out/"), "out/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(ReplaceAll("/home/$USERNAME/$USERNAME.csv", "$USERNAME", "ann"), "/home/ann/ann.csv");
  EXPECT_EQ(ReplaceAll("/home/$username/", "$USERNAME", "ann"), "/home/$username/");
}

TEST(PathsTest, ProgramDirectoryHoldsTheTestProgram) {
  const std::string directory = ProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '/');
  EXPECT_TRUE(FileExists(ProgramPath()));
  EXPECT_TRUE(DirectoryExists(directory));
  EXPECT_FALSE(FileExists(directory));
}

TEST(EnvironmentTest, UnsetVariablesAreEmptyAndUserNameFallsBack) {
  EXPECT_EQ(GetEnvVar("KORAV_SURELY_NOT_SET"), "");
  ::unsetenv("USERNAME");
  ::setenv("USER", "ann", 1);
  EXPECT_EQ(UserName(), "ann");
  ::setenv("USERNAME", "bob", 1);
  EXPECT_EQ(UserName(), "bob");
  ::unsetenv("USERNAME");
}

}  // namespace
}  // namespace korav
