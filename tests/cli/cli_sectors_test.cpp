// linea-cli render with lineament sector counts the ranking cannot take.
#include <gtest/gtest.h>

#include "cli_support.h"
#include "support/test_files.h"

namespace linea {
namespace {

TEST(CliLineamentSectors, MoreThan180SectorsAreRefusedWithTheSectorMessage) {
  CTempFolder folder;
  const std::string project = MakeDemo(folder.Path(), "g", "grey", 160, 120);
  const std::string output = folder.File("x.png");
  CliRun run = RunCliCaptured(
      {"render", project, "-o", output, "--lineaments", "--range", "0", "90", "--order", "--sectors", "500"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "Неправильный параметр Направление.\n");
  EXPECT_FALSE(FileExists(output));

  // 180 sectors, one per direction, still rank.
  run = RunCliCaptured(
      {"render", project, "-o", output, "--lineaments", "--range", "0", "90", "--order", "--sectors", "180"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_TRUE(FileExists(output));
}

}  // namespace
}  // namespace linea
