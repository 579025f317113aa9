#include <gtest/gtest.h>

#include "base/profile_text.h"
#include "base/string_table.h"
#include "project/calc_parameter_rules.h"
#include "project_fixture.h"

namespace linea {
namespace {

using Workspace = ProjectFixture;

TEST_F(Workspace, ABaseImageStartsANewProjectWithItsGeometry) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  workspace.params.TR_Linear = 77;
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  EXPECT_EQ(workspace.params.TR_Linear, 20);  // reset to the default
  EXPECT_EQ(workspace.results.imageWidth, 6u);
  EXPECT_EQ(workspace.results.gridHeight, 4u);
  EXPECT_EQ(workspace.imageType, 1);
  EXPECT_EQ(host.rememberedFolders.back(), (std::pair<std::string, std::string>{"SourcePath", folder.Path()}));
  EXPECT_TRUE(host.lastCalcPanel.hasBaseImage);
  CLayer* base = workspace.layerStack.FindLayer(LoadText(32817));
  ASSERT_NE(base, nullptr);
  EXPECT_FALSE(base->IsDeletable());
  EXPECT_EQ(base->GetDescription(), "6x4x8 GREYSCALE base.bmp");
}

TEST_F(Workspace, ResetKeepsTheImageTypeLineWidthsAndCombinationList) {
  workspace.imageType = 3;
  workspace.lineWidth = 4;
  workspace.combinedProjects.resize(2);
  workspace.baseImagePath = "x";
  workspace.params.rose_wind = 8;
  workspace.ResetWorkspace();
  EXPECT_EQ(workspace.imageType, 3);
  EXPECT_EQ(workspace.lineWidth, 4);
  EXPECT_EQ(workspace.combinedProjects.size(), 2u);
  EXPECT_TRUE(workspace.baseImagePath.empty());
  EXPECT_EQ(workspace.params, CalcParameters{});
  EXPECT_EQ(host.shownZooms.back(), 1.0);
}

TEST_F(Workspace, TheCalcPanelFollowsTheResultsAndTheStripesButton) {
  CalcPanelState state;
  state.hasBlocksImage = true;
  EXPECT_FALSE(ComputeCalcPanelEnabling(state, false).blockRoses);
  EXPECT_TRUE(ComputeCalcPanelEnabling(state, true).blockRoses);
  EXPECT_TRUE(ComputeCalcPanelEnabling(state, true).lineaments);
  state.hasStripes = true;
  state.hasBlocksImage = false;
  auto e = ComputeCalcPanelEnabling(state, false);
  EXPECT_FALSE(e.blockRoses);
  EXPECT_TRUE(e.windowRoses);
  EXPECT_FALSE(e.stripes);
  EXPECT_FALSE(e.globalNormalisation);
}

class ParameterEdits : public ProjectFixture {
 protected:
  void SetUp() override {
    workspace.results.SetImageGeometry(100, 100, 1, 1);
    workspace.results.stripeCodes.assign(10000, 1);
    workspace.results.hasStripes = true;
    workspace.results.windowRoses.assign(8, 1);
    workspace.results.hasWindowRoses = true;
  }
};

TEST_F(ParameterEdits, FillingInMaskClearsWindowRosesOnlyWhenTheMaskIsUsed) {
  CalcParameters edited = workspace.params;
  edited.Filled_Out = 0.5;
  ASSERT_TRUE(workspace.ApplyCalcParameters(edited));
  EXPECT_TRUE(workspace.results.hasWindowRoses);
  EXPECT_EQ(host.modified, true);

  workspace.params.UseMask = true;
  edited = workspace.params;
  edited.Filled_Out = 0.7;
  ASSERT_TRUE(workspace.ApplyCalcParameters(edited));
  EXPECT_FALSE(workspace.results.hasWindowRoses);
  EXPECT_TRUE(workspace.results.hasStripes);
}

TEST_F(ParameterEdits, ANewRateRecomputesTheGridAndDropsTheStripes) {
  CalcParameters edited = workspace.params;
  edited.Rate = 2.5;
  ASSERT_TRUE(workspace.ApplyCalcParameters(edited));
  EXPECT_EQ(workspace.results.gridWidth, 40u);
  EXPECT_FALSE(workspace.results.hasStripes);
  EXPECT_FALSE(workspace.results.hasWindowRoses);
  EXPECT_EQ(workspace.results.pixelCount, 10000u);
}

TEST_F(ParameterEdits, ReplacedStripesAskBeforeTheirInputsChange) {
  workspace.results.stripesReplaced = true;
  CalcParameters edited = workspace.params;
  edited.TR_Linear = 30;
  host.yesNoAnswers = {true};
  EXPECT_FALSE(workspace.ApplyCalcParameters(edited));
  EXPECT_EQ(workspace.params.TR_Linear, 20);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, LoadText(32849));
  EXPECT_EQ(host.messages[0].caption, "Warning");
  host.yesNoAnswers = {false};
  EXPECT_TRUE(workspace.ApplyCalcParameters(edited));
  EXPECT_EQ(workspace.params.TR_Linear, 30);
  EXPECT_TRUE(workspace.results.hasStripes);  // the threshold alone clears nothing here
}

TEST_F(ParameterEdits, SwitchingToCombinationAsksWhenWindowRosesExist) {
  workspace.params.globalNormalisation = true;
  workspace.results.hasGlobalRose = true;
  host.yesNoAnswers = {false};
  EXPECT_FALSE(workspace.SetCombinationMode(true));
  EXPECT_FALSE(workspace.rosesCombination);
  EXPECT_EQ(host.messages[0].text,
            "Если Вы переключитесь в этот режим, текущие расчеты будут стерты.\nХотите продолжить?");
  host.yesNoAnswers = {true};
  EXPECT_TRUE(workspace.SetCombinationMode(true));
  EXPECT_TRUE(workspace.rosesCombination);
  EXPECT_FALSE(workspace.results.hasWindowRoses);
  EXPECT_FALSE(workspace.results.hasGlobalRose);
  EXPECT_FALSE(workspace.params.globalNormalisation);
  EXPECT_EQ(host.rosePanelRefreshes, 1);
  EXPECT_TRUE(workspace.SetCombinationMode(true));  // already on: nothing asked
  EXPECT_EQ(host.messages.size(), 2u);
}

class Combination : public ProjectFixture {
 protected:
  std::string MakeProject(const std::string& name, int width, int height, std::size_t roseValues,
                          bool calculated = true) {
    std::string path = folder.File(name + ".orw");
    WriteTextFile(path, "[Version]\nNumber = 3.1\n[Main]\nWidth = " + std::to_string(width) +
                            "\nHeight = " + std::to_string(height) +
                            "\n[Compression]\nRate = 2.0\n[Calc window roses]\nrose_wind = 32\nCalculated = " +
                            (calculated ? "1" : "0") + "\n");
    WriteBytes(folder.File(name + ".ros"), std::vector<std::uint8_t>(roseValues * 2, 1));
    return path;
  }
};

TEST_F(Combination, TheSameProjectTwiceIsAcceptedAndTheFirstStartsANewDocument) {
  std::string path = MakeProject("a", 64, 32, 16);
  ASSERT_TRUE(workspace.AddCombinedProject(path));
  ASSERT_TRUE(workspace.AddCombinedProject(path));
  ASSERT_EQ(workspace.combinedProjects.size(), 2u);
  EXPECT_EQ(workspace.combinedProjects[0], workspace.combinedProjects[1]);
  EXPECT_EQ(workspace.combinedProjects[0].gridWidth, 32);
  EXPECT_EQ(workspace.combinedProjects[0].gridHeight, 16);
  EXPECT_EQ(workspace.combinedProjects[0].roseWindow, 32);
  EXPECT_EQ(workspace.combinedProjects[0].windowRoses[0], 0x0101);
  EXPECT_EQ(host.newDocumentRuns, 1);
  EXPECT_EQ(host.combinationListRefreshes, 2);
}

TEST_F(Combination, ADifferentGeometryIsRefusedAndTheListStays) {
  ASSERT_TRUE(workspace.AddCombinedProject(MakeProject("a", 64, 32, 16)));
  EXPECT_FALSE(workspace.AddCombinedProject(MakeProject("b", 64, 34, 16)));
  EXPECT_FALSE(workspace.AddCombinedProject(MakeProject("c", 64, 32, 24)));
  EXPECT_EQ(workspace.combinedProjects.size(), 1u);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text,
            "Не удается загрузить проект. Параметры изображения указанного проекта не соответствуют параметрам уже "
            "выбранных проектов.");
}

TEST_F(Combination, AProjectWithoutWindowRosesIsRefused) {
  EXPECT_FALSE(workspace.AddCombinedProject(MakeProject("a", 64, 32, 16, false)));
  EXPECT_FALSE(workspace.AddCombinedProject(folder.File("none.orw")));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Не удается загрузить проект. Оконные Разы не найдены.");
  EXPECT_EQ(host.messages[1].text, "Не удается загрузить проект.");
  workspace.ResetWorkspace();
  EXPECT_TRUE(workspace.combinedProjects.empty());
}

TEST_F(Combination, EntriesCanBeRemovedAndCleared) {
  std::string path = MakeProject("a", 64, 32, 16);
  workspace.AddCombinedProject(path);
  workspace.AddCombinedProject(path);
  workspace.RemoveCombinedProject(5);
  EXPECT_EQ(workspace.combinedProjects.size(), 2u);
  workspace.RemoveCombinedProject(0);
  EXPECT_EQ(workspace.combinedProjects.size(), 1u);
  workspace.ClearCombinedProjects();
  EXPECT_TRUE(workspace.combinedProjects.empty());
}

}  // namespace
}  // namespace linea
