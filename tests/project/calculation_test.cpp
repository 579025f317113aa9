#include "project/calculation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/messages.h"
#include "base/string_table.h"
#include "project_fixture.h"

namespace linea {
namespace {

using Calculation = ProjectFixture;

// Ridges at 45 degrees, 8-bit grey.
void WriteRidges(const std::string& path, int side) {
  CImage image;
  ASSERT_TRUE(image.Create(side, side, 8));
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      image.Row(y)[x] = std::uint8_t(128 + 60 * std::sin(2 * 3.14159265 * (-x * 0.7071 - y * 0.7071) / 12.0));
  ASSERT_TRUE(image.Save(path, kImageFormatBmp));
}

void WriteBlocks(const std::string& path, int side) {
  CImage image;
  ASSERT_TRUE(image.Create(side, side, 8));
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) image.Row(y)[x] = x < side / 2 ? 1 : 2;
  ASSERT_TRUE(image.Save(path, kImageFormatBmp));
}

constexpr AnalysisRequest kEverything{true, true, true, true};

TEST_F(Calculation, ComputesEveryResultShowsProgressAndSavesTheFiles) {
  WriteRidges(folder.File("ridges.bmp"), 64);
  WriteBlocks(folder.File("blocks.bmp"), 64);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("ridges.bmp"), 1));
  ASSERT_TRUE(workspace.LoadBlocksImage(folder.File("blocks.bmp"), 1));
  host.modified.reset();
  ASSERT_EQ(CalculateResults(workspace, kEverything), 0);
  EXPECT_TRUE(host.messages.empty());
  const CResults& r = workspace.results;
  EXPECT_TRUE(r.hasStripes && r.hasGlobalRose && r.hasBlockRoses && r.hasWindowRoses && r.hasLineaments);
  EXPECT_EQ(r.blockRoses.size(), 2u);
  // 45 degrees is class 3.
  EXPECT_GT(r.globalRose[2], 64 * 64 / 2);
  EXPECT_EQ(host.progressTitles,
            (std::vector<std::string>{LoadText(154), LoadText(155), LoadText(157), LoadText(160), LoadText(161),
                                      LoadText(159)}));
  EXPECT_EQ(host.progressEnds, 1);
  EXPECT_EQ(host.modified, std::optional<bool>(true));
  const CalcPanelState panel = workspace.CalcPanel();
  EXPECT_TRUE(panel.hasStripes && panel.hasBlockRoses && panel.hasWindowRoses && panel.hasLineaments);

  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);
  EXPECT_EQ(ReadBytes(folder.File("p.str")).size(), 64u * 64u);
  EXPECT_EQ(ReadBytes(folder.File("p.ros")).size(), 9u * 9u * 8u * 2u);
  EXPECT_EQ(ReadBytes(folder.File("p.orl")).size(), r.lineaments.size() * 10u);
  CTestHost otherHost;
  CWorkspace reopened(otherHost);
  ASSERT_TRUE(reopened.LoadProject(folder.File("p.orw")));
  EXPECT_EQ(reopened.results.stripeCodes, r.stripeCodes);
  EXPECT_EQ(reopened.results.blockRoses, r.blockRoses);
  EXPECT_EQ(reopened.results.windowRoses, r.windowRoses);
  EXPECT_EQ(reopened.results.lineaments, r.lineaments);
}

TEST_F(Calculation, CancelShowsCodeElevenAndKeepsThePreviousResults) {
  WriteRidges(folder.File("ridges.bmp"), 64);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("ridges.bmp"), 1));
  ASSERT_EQ(CalculateResults(workspace, {true, false, true, true}), 0);
  const std::vector<std::uint8_t> codes = workspace.results.stripeCodes;
  const std::vector<std::uint16_t> roses = workspace.results.windowRoses;
  const std::vector<LineamentRecord> lineaments = workspace.results.lineaments;
  host.modified.reset();
  host.progressEnds = 0;
  workspace.params.TR_Linear = 70;
  host.cancelAtProgress = 40;
  EXPECT_EQ(CalculateResults(workspace, {true, false, true, true}), kErrorStopped);
  EXPECT_EQ(host.OnlyMessageText(), "Расчет остановлен.");
  EXPECT_EQ(host.progressEnds, 1);
  EXPECT_FALSE(host.modified.has_value());
  EXPECT_EQ(workspace.results.stripeCodes, codes);
  EXPECT_EQ(workspace.results.windowRoses, roses);
  EXPECT_EQ(workspace.results.lineaments, lineaments);
  EXPECT_TRUE(workspace.results.hasStripes && workspace.results.hasWindowRoses && workspace.results.hasLineaments);
}

TEST_F(Calculation, WithoutABaseImageOrBlocksTheFailureIsShown) {
  EXPECT_EQ(CalculateResults(workspace, kEverything), kErrorNoData);
  EXPECT_EQ(host.OnlyMessageText(), "Массив данных пуст.");
  host.messages.clear();
  WriteRidges(folder.File("ridges.bmp"), 32);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("ridges.bmp"), 1));
  EXPECT_EQ(CalculateResults(workspace, {true, true, false, false}), kErrorNoBlocks);
  EXPECT_EQ(host.OnlyMessageText(), "Не заданы Блоки.");
  EXPECT_FALSE(workspace.results.hasStripes);
  // An empty request does nothing at all.
  host.messages.clear();
  EXPECT_EQ(CalculateResults(workspace, {}), 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(Calculation, ShownStripesLayerIsRebuiltFromTheNewStripes) {
  WriteRidges(folder.File("ridges.bmp"), 32);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("ridges.bmp"), 1));
  ASSERT_EQ(CalculateResults(workspace, {true, false, false, false}), 0);
  ASSERT_EQ(workspace.ShowStripesLayer(), 0);
  ASSERT_NE(workspace.layerStack.FindLayer(LoadText(32818)), nullptr);
  workspace.params.TR_Contrast = 255;  // no stripe at all now
  ASSERT_EQ(CalculateResults(workspace, {true, false, false, false}), 0);
  EXPECT_FALSE(workspace.results.hasGlobalRose);
  EXPECT_NE(workspace.layerStack.FindLayer(LoadText(32818)), nullptr);
}

}  // namespace
}  // namespace linea
