// linea-cli new and analyse: a raster becomes a project with results in two
// commands; wrong input is told and changes nothing.
#include "cli/cli_analyse.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cli_support.h"
#include "imaging/image.h"
#include "project/workspace.h"
#include "results/calc_parameters.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

class CliAnalyseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CImage image;
    ASSERT_TRUE(image.Create(96, 80, 8));
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 96; ++x)
        image.Row(y)[x] = std::uint8_t(128 + 60 * std::sin(2 * 3.14159265 * (-y) / 10.0));  // runs along x
    raster = folder.File("ridges.bmp");
    ASSERT_TRUE(image.Save(raster, kImageFormatBmp));
  }
  CliRun Run(const std::vector<std::string>& arguments, int expected) {
    CliRun run = RunCliCaptured(arguments);
    EXPECT_EQ(run.exitCode, expected) << run.errors;
    return run;
  }

  CTempFolder folder;
  std::string raster;
};

TEST_F(CliAnalyseTest, NewThenAnalyseGiveAProjectWithResults) {
  const std::string project = folder.File("p.orw"), other = folder.File("q.orw");
  Run({"new", "--greyscale", raster, "-o", project}, 0);
  Run({"analyse", project, "--stripes", "--window-roses", "--lineaments", "--set", "TR_Linear=30", "--set",
       "rose_wind=32", "-o", other},
      0);
  CTestHost host;
  CWorkspace analysed(host);
  ASSERT_TRUE(analysed.LoadProject(other));
  EXPECT_TRUE(analysed.results.hasStripes && analysed.results.hasWindowRoses && analysed.results.hasLineaments);
  EXPECT_FALSE(analysed.results.hasBlockRoses);
  EXPECT_EQ(analysed.params.TR_Linear, 30);
  EXPECT_EQ(analysed.params.rose_wind, 32);
  // Horizontal ridges: class 1.
  EXPECT_GT(analysed.results.globalRose[0], 96 * 80 / 2);
  // The source project keeps what it had.
  CWorkspace source(host);
  ASSERT_TRUE(source.LoadProject(project));
  EXPECT_FALSE(source.results.hasStripes);
  // Analysing in place, later stages reuse the stored stripes.
  Run({"analyse", other, "--window-roses"}, 0);
}

TEST_F(CliAnalyseTest, CommandLinesThatCannotBeUnderstoodChangeNothing) {
  const std::string project = folder.File("p.orw");
  Run({"new", "--greyscale", raster, "-o", project}, 0);
  const std::vector<std::uint8_t> before = ReadBytes(project);
  EXPECT_NE(Run({"analyse", project, "--stripes", "--set", "Colour=3"}, 2).errors.find("unknown parameter Colour"),
            std::string::npos);
  EXPECT_NE(Run({"analyse", project, "--stripes", "--set", "nb1=three"}, 2).errors.find("nb1 cannot be three"),
            std::string::npos);
  Run({"analyse", project, "--stripes", "--set", "LONG=2"}, 2);
  Run({"analyse", project}, 2);
  Run({"analyse", "--stripes"}, 2);
  Run({"new", raster, "-o", project}, 2);
  Run({"new", "--greyscale", raster}, 2);
  EXPECT_EQ(ReadBytes(project), before);
}

TEST_F(CliAnalyseTest, RefusedParametersAndMissingInputsAreToldWithTheProgramsMessages) {
  const std::string project = folder.File("p.orw");
  Run({"new", "--greyscale", raster, "-o", project}, 0);
  const std::vector<std::uint8_t> before = ReadBytes(project);
  // A rose window below 8 fails the range check of "Настройки".
  EXPECT_NE(Run({"analyse", project, "--stripes", "--set", "rose_wind=7"}, 1).errors.find("Rose Window"),
            std::string::npos);
  EXPECT_NE(Run({"analyse", project, "--block-roses", "--stripes"}, 1).errors.find("Не заданы Блоки."),
            std::string::npos);
  Run({"analyse", project, "--window-roses"}, 1);
  EXPECT_EQ(ReadBytes(project), before);
  Run({"new", "--greyscale", folder.File("missing.bmp"), "-o", folder.File("m.orw")}, 1);
  EXPECT_FALSE(FileExists(folder.File("m.orw")));
}

TEST(SetCalcParameter, EveryProjectKeyReachesItsField) {
  CalcParameters p;
  EXPECT_EQ(SetCalcParameter(p, "TR_Contrast", "12"), "");
  EXPECT_EQ(SetCalcParameter(p, "Calck_DTM", "2"), "");
  EXPECT_EQ(SetCalcParameter(p, "Size", "1.5"), "");
  EXPECT_EQ(SetCalcParameter(p, "Norm", "1"), "");
  EXPECT_EQ(SetCalcParameter(p, "Filled_Out", "0.5"), "");
  EXPECT_EQ(SetCalcParameter(p, "Part", "0.25"), "");
  EXPECT_EQ(SetCalcParameter(p, "Rate", "2"), "");
  EXPECT_EQ(SetCalcParameter(p, "UseMask", "1"), "");
  EXPECT_EQ(p.TR_Contrast, 12);
  EXPECT_EQ(p.Calck_DTM, 2);
  EXPECT_DOUBLE_EQ(p.blockRoseSize, 1.5);
  EXPECT_TRUE(p.blockRoseGlobalNorm);
  EXPECT_DOUBLE_EQ(p.Filled_Out, 0.5);
  EXPECT_DOUBLE_EQ(p.Part, 0.25);
  EXPECT_DOUBLE_EQ(p.Rate, 2.0);
  EXPECT_TRUE(p.UseMask);
  const CalcParameters kept = p;
  EXPECT_NE(SetCalcParameter(p, "Calck", "3"), "");
  EXPECT_NE(SetCalcParameter(p, "dnh", "nan"), "");
  EXPECT_NE(SetCalcParameter(p, "TR_Linear", "1.5"), "");
  EXPECT_EQ(p, kept);
}

}  // namespace
}  // namespace linea
