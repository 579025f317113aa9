// linea-cli draw: scheme lines over a project, named and described as the drawing
// tool does it, and the refusals a user sees.
#include <gtest/gtest.h>

#include "cli_support.h"
#include "imaging/image.h"
#include "support/test_files.h"

namespace linea {
namespace {

class CliDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { project = MakeDemo(folder.Path(), "g", "grey", 160, 120); }
  CliRun Draw(std::vector<std::string> options) {
    std::vector<std::string> arguments = {"draw", project, "-o", folder.File("out.png")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return RunCliCaptured(arguments);
  }
  CTempFolder folder;
  std::string project;
};

TEST_F(CliDrawTest, LinesLandInNumberedDrawingsDescribedByTheirLastSegment) {
  const CliRun run = Draw({"--width", "3", "--line", "20,60", "60,60", "--color", "00FF00", "--line", "30,30",
                          "33,34", "--new-layer", "--line", "100,20", "100,90"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.out,
            "Рисунок1: Drawing Distance 5 Direction 127 \n"
            "Рисунок2: Drawing Distance 70 Direction 90 \n");
  const CImage picture = LoadRender(folder.File("out.png"));
  ASSERT_EQ(picture.GetWidth(), 160);
  // Red, three pixels wide, along row 60; the green line is drawn in the same drawing.
  for (int y = 59; y <= 61; ++y) EXPECT_EQ(picture.GetColorFromPixel(40, y), MakeColor(255, 0, 0)) << y;
  EXPECT_NE(picture.GetColorFromPixel(40, 62), MakeColor(255, 0, 0));
  EXPECT_EQ(picture.GetColorFromPixel(33, 34), MakeColor(0, 255, 0));
  EXPECT_EQ(picture.GetColorFromPixel(100, 50), MakeColor(0, 255, 0));
}

TEST_F(CliDrawTest, BadWidthsPointsAndMissingLinesAreRefused) {
  CliRun run = Draw({"--width", "0", "--line", "1,1", "5,5"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("Значение параметра Width должно быть от 1 до 100."), std::string::npos) << run.errors;
  run = Draw({"--line", "1;1"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errors.find("--line needs points X,Y"), std::string::npos);
  EXPECT_EQ(Draw({"--line", "1,99999"}).exitCode, 2);
  EXPECT_EQ(Draw({"--color", "red", "--line", "1,1"}).exitCode, 2);
  EXPECT_EQ(Draw({}).exitCode, 2);
  EXPECT_EQ(RunCliCaptured({"draw", project, "-o", folder.File("out.jpg"), "--line", "1,1"}).exitCode, 2);
  run = RunCliCaptured({"draw", folder.File("none.orw"), "-o", folder.File("out.png"), "--line", "1,1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.errors.empty());
}

}  // namespace
}  // namespace linea
