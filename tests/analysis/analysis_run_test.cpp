#include "analysis/analysis_run.h"

#include <gtest/gtest.h>

#include "analysis/test_images.h"
#include "base/messages.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {
namespace {

struct Project {
  testing_images::Picture base = testing_images::Ridges(64, {45.0}, 40.0, 12.0, 4.0, 2u);
  std::vector<std::uint8_t> blocks = std::vector<std::uint8_t>(64 * 64, 3);
  CResults results;
  CalcParameters params;
  AnalysisInputs inputs;
  Project() {
    results.SetImageGeometry(64, 64, 1, 1);
    inputs.base = base.Raster();
    inputs.blocks = AnalysisRaster{blocks.data(), 64, 64, 64};
    inputs.sourcePath = "/data/ridges.tif";
  }
};

TEST(RunAnalysis, EverySwitchFillsItsResultAndFlag) {
  Project p;
  std::vector<int> titles;
  AnalysisFeedback feedback;
  feedback.stage = [&](int id) { titles.push_back(id); };
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, true, true, true}, feedback), 0);
  EXPECT_TRUE(p.results.hasStripes && p.results.hasGlobalRose && p.results.hasBlockRoses &&
              p.results.hasWindowRoses && p.results.hasLineaments);
  EXPECT_EQ(p.results.stripeCodes.size(), 64u * 64u);
  EXPECT_EQ(p.results.stripeClasses.size(), 64u * 64u);
  EXPECT_EQ(p.results.windowRoses.size(), 9u * 9u * 8u);
  ASSERT_EQ(p.results.blockRoses.size(), 1u);
  EXPECT_EQ(p.results.blockRoses[0].header[0], 3);
  // 45 degrees is class 3.
  EXPECT_GT(p.results.globalRose[2], 64 * 64 / 2);
  EXPECT_EQ(p.results.sourcePath, "/data/ridges.tif");
  // The lineament stage goes on with its steps: the tiles laid out, searched,
  // and their pieces joined and measured.
  EXPECT_EQ(titles, (std::vector<int>{154, 155, 157, 160, 161, 159}));
}

TEST(RunAnalysis, ElevationModelsUseTheSlopeTitle) {
  Project p;
  p.inputs.imageType = 3;
  std::vector<int> titles;
  AnalysisFeedback feedback;
  feedback.stage = [&](int id) { titles.push_back(id); };
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, false, false, false}, feedback), 0);
  EXPECT_EQ(titles, std::vector<int>{152});
}

TEST(RunAnalysis, CancelLeavesThePreviousResultsUntouched) {
  Project p;
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, true, true, true}, {}), 0);
  const CResults before = p.results;
  p.params.TR_Linear = 60;
  AnalysisFeedback feedback;
  feedback.progress = [](int percent) { return percent < 30; };
  for (AnalysisRequest r : {AnalysisRequest{true, false, false, false}, AnalysisRequest{false, true, true, true},
                            AnalysisRequest{true, true, true, true}}) {
    EXPECT_EQ(RunAnalysis(p.results, p.params, p.inputs, r, feedback), kErrorStopped);
    EXPECT_EQ(p.results.stripeCodes, before.stripeCodes);
    EXPECT_EQ(p.results.windowRoses, before.windowRoses);
    EXPECT_EQ(p.results.blockRoses, before.blockRoses);
    EXPECT_EQ(p.results.lineaments, before.lineaments);
    EXPECT_EQ(p.results.globalRose, before.globalRose);
  }
}

TEST(RunAnalysis, RosesWithoutStripesOrBlocksFailWithTheirCodes) {
  Project p;
  EXPECT_EQ(RunAnalysis(p.results, p.params, p.inputs, {false, false, true, false}, {}), kErrorNoStripes);
  EXPECT_FALSE(p.results.hasWindowRoses);
  p.inputs.blocks = AnalysisRaster{};
  EXPECT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, true, false, false}, {}), kErrorNoBlocks);
  EXPECT_FALSE(p.results.hasStripes);
  p.inputs.base = AnalysisRaster{};
  EXPECT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, false, false, false}, {}), kErrorNoData);
}

TEST(RunAnalysis, NewStripesDropTheRosesAndLineamentsOfTheOldOnes) {
  Project p;
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, true, true, true}, {}), 0);
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, false, true, false}, {}), 0);
  EXPECT_TRUE(p.results.hasWindowRoses);
  EXPECT_FALSE(p.results.hasBlockRoses);
  EXPECT_TRUE(p.results.blockRoses.empty());
  EXPECT_FALSE(p.results.hasLineaments);
  // Roses alone reuse the stored stripes.
  const auto codes = p.results.stripeCodes;
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {false, true, false, false}, {}), 0);
  EXPECT_TRUE(p.results.hasBlockRoses);
  EXPECT_EQ(p.results.stripeCodes, codes);
}

TEST(RunAnalysis, MaskedCellsAreLeftOutWhenTheMaskIsUsed) {
  Project p;
  std::vector<std::uint8_t> mask(64 * 64, 0);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) mask[std::size_t(y) * 64 + x] = 1;
  p.inputs.mask = AnalysisRaster{mask.data(), 64, 64, 64};
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, false, false, false}, {}), 0);
  const std::size_t unmaskedRun = std::count(p.results.stripeCodes.begin(), p.results.stripeCodes.begin() + 32 * 64, 0);
  EXPECT_LT(unmaskedRun, 32u * 64u / 2);  // not used without UseMask
  p.params.UseMask = true;
  ASSERT_EQ(RunAnalysis(p.results, p.params, p.inputs, {true, false, false, false}, {}), 0);
  EXPECT_EQ(std::count(p.results.stripeCodes.begin(), p.results.stripeCodes.begin() + 32 * 64, 0), 32 * 64);
}

}  // namespace
}  // namespace linea
