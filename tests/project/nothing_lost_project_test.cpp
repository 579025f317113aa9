// Project files and workspace operations that used to lose or garble work: folders
// that differ only in case, a missing or unusable rate, results whose base raster
// is missing, parameters of a project without an image, failed writes told by
// their code, and the last layer given up only when the user lets it go.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/atomic_file.h"
#include "base/layer_names.h"
#include "base/profile_text.h"
#include "base/string_table.h"
#include "layers/raster_export.h"
#include "project/base_image_compression.h"
#include "project/calc_parameter_rules.h"
#include "project_fixture.h"

namespace linea {
namespace {

using NothingLostProject = ProjectFixture;

TEST_F(NothingLostProject, AFolderSpelledInAnotherCaseIsAnotherFolder) {
  std::filesystem::create_directories(folder.File("Data"));
  std::filesystem::create_directories(folder.File("data"));
  WriteImage(folder.File("Data/base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("Data/base.bmp"), 1));
  ASSERT_EQ(workspace.SaveProject(folder.File("data/p.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("data/p.orw")), 0);
  EXPECT_EQ(saved.GetText("Main", "BaseImage"), folder.File("Data/base.bmp"));

  CTestHost reader;
  CWorkspace reopened(reader);
  ASSERT_TRUE(reopened.LoadProject(folder.File("data/p.orw")));
  EXPECT_TRUE(reader.messages.empty());
  EXPECT_EQ(reopened.baseImagePath, folder.File("Data/base.bmp"));
}

TEST_F(NothingLostProject, TheSameFolderSpelledDifferentlyStillGivesTheBareName) {
  std::filesystem::create_directories(folder.File("sub"));
  WriteImage(folder.File("base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  ASSERT_EQ(workspace.SaveProject(folder.File("sub/../p.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("p.orw")), 0);
  EXPECT_EQ(saved.GetText("Main", "BaseImage"), "base.bmp");
}

TEST_F(NothingLostProject, AMissingOrUnusableRateIsReadAsOneAndWrittenBackSo) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  const std::string head = "[Version]\nNumber = 3.1\n[Main]\nBaseImage = base.bmp\ntype = 1\nWidth = 6\nHeight = 4\n";
  for (const std::string& rate : {std::string(), std::string("[Compression]\nRate = 0\n"),
                                   std::string("[Compression]\nRate = -2.5\n")}) {
    WriteTextFile(folder.File("p.orw"), head + rate);
    ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw"))) << rate;
    EXPECT_DOUBLE_EQ(workspace.params.Rate, 1.0) << rate;
    EXPECT_EQ(workspace.results.gridWidth, 6u) << rate;
    EXPECT_EQ(workspace.results.gridHeight, 4u) << rate;
    ASSERT_EQ(workspace.SaveProject(folder.File("q.orw")), 0);
    EXPECT_NE(ReadTextFile(folder.File("q.orw")).find("\nRate = 1.000000\n"), std::string::npos) << rate;
  }
  // A rate that is given stays.
  WriteTextFile(folder.File("p.orw"), head + "[Compression]\nRate = 2\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_DOUBLE_EQ(workspace.params.Rate, 2.0);
  EXPECT_EQ(workspace.results.gridWidth, 3u);
}

TEST_F(NothingLostProject, ResultLayersOfAProjectWithoutItsBaseRasterNameTheStoredFile) {
  WriteBytes(folder.File("p.str"), std::vector<std::uint8_t>(24, 2));
  WriteTextFile(folder.File("p.orw"),
                ProjectText("3.1", "D:\\maps\\gone.bmp") + "[Calc stripes]\nCalculated = 1\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  ASSERT_TRUE(workspace.results.hasStripes);
  ASSERT_EQ(workspace.ShowStripesLayer(), 0);
  const CLayer* stripes = workspace.layerStack.FindLayer(LoadText(kStripesLayerName));
  ASSERT_NE(stripes, nullptr);
  const std::string& text = stripes->GetDescription();
  ASSERT_GE(text.size(), 9u);
  EXPECT_EQ(text.substr(text.size() - 9), "gone.bmp)") << text;
}

TEST(NothingLostRules, WithoutAnImageTheRoseWindowIsBoundOnlyBy1500) {
  CTestHost host;
  CalcParameters defaults;
  EXPECT_FALSE(CheckCalcParameters(defaults, 0, 0, false, host).has_value());
  CalcParameters wide;
  wide.rose_wind = 1504;
  auto failure = CheckCalcParameters(wide, 0, 0, false, host);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->message, "Значение параметра Rose Window должно быть от 8 до 1500.");
  CalcParameters narrow;
  narrow.rose_wind = 0;
  failure = CheckCalcParameters(narrow, 0, 0, false, host);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->message, "Значение параметра Rose Window должно быть от 8 до 1500.");
  // With an image its size bounds the window, as before.
  failure = CheckCalcParameters(defaults, 60, 60, false, host);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->message, "Значение параметра Rose Window должно быть от 8 до 43.");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(NothingLostProject, AWriteThatFailsIsToldAsCannotOpenOrCannotWrite) {
  EXPECT_EQ(WriteFailureCode(folder.File("no/such/folder/x.tif")), 4);
  EXPECT_EQ(WriteFailureCode(folder.File("x.tif")), 6);
  EXPECT_EQ(ListFolder(folder.Path()).size(), 0u);  // the probe leaves nothing behind
}

TEST_F(NothingLostProject, ACompressionThatCannotWriteShowsItsCode) {
  WriteImage(folder.File("base.bmp"), 8, 8);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  EXPECT_EQ(CompressBaseImageReported(host, workspace.layerStack, 2.0, folder.File("gone/half.raw"), 1), 4);
  EXPECT_EQ(host.OnlyMessageText(), "Не удается открыть файл.");
  host.messages.clear();
  // A refused factor shows its own message only.
  EXPECT_EQ(CompressBaseImageReported(host, workspace.layerStack, 0.5, folder.File("half.raw"), 1), 1);
  EXPECT_EQ(host.OnlyMessageText(), "Недопустимый коэффициент масштабирования.");
  host.messages.clear();
  EXPECT_EQ(CompressBaseImageReported(host, workspace.layerStack, 2.0, folder.File("half.raw"), 1), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(ReadBytes(folder.File("half.raw")).size(), 16u);
}

TEST_F(NothingLostProject, ChangingTheRateOverAStripesOnlyProjectNeverStartsANewOne) {
  WriteBytes(folder.File("p.str"), std::vector<std::uint8_t>(24, 2));
  WriteTextFile(folder.File("p.orw"), ProjectText("3.1", "gone.bmp") + "[Calc stripes]\nCalculated = 1\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  ASSERT_EQ(workspace.ShowStripesLayer(), 0);
  ASSERT_EQ(workspace.layerStack.LayerCount(), 1);
  CalcParameters edited = workspace.params;
  edited.Rate = 2.0;
  ASSERT_TRUE(workspace.ApplyCalcParameters(edited));
  EXPECT_EQ(host.newDocumentRuns, 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  EXPECT_FALSE(workspace.results.hasStripes);
  EXPECT_DOUBLE_EQ(workspace.params.Rate, 2.0);
  EXPECT_EQ(workspace.results.gridWidth, 3u);
  // The mask switch clears the same way.
  ASSERT_EQ(workspace.LoadProject(folder.File("p.orw")), true);
  ASSERT_EQ(workspace.ShowStripesLayer(), 0);
  edited = workspace.params;
  edited.UseMask = true;
  ASSERT_TRUE(workspace.ApplyCalcParameters(edited));
  EXPECT_EQ(host.newDocumentRuns, 0);
  EXPECT_TRUE(workspace.params.UseMask);
}

TEST_F(NothingLostProject, TheLastLayerStaysWhenTheUserCancelsTheNewProject) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  ASSERT_EQ(workspace.layerStack.LayerCount(), 1);
  CLayer* only = workspace.layerStack.LayerAt(0);
  workspace.layerStack.SetCurrentLayer(only);
  host.newDocumentGoesAhead = false;
  EXPECT_FALSE(workspace.layerStack.RemoveLayer(only));
  EXPECT_EQ(host.newDocumentRuns, 1);
  ASSERT_EQ(workspace.layerStack.LayerCount(), 1);
  EXPECT_EQ(workspace.layerStack.LayerAt(0), only);
  EXPECT_EQ(workspace.layerStack.GetCurrentLayer(), only);
  host.newDocumentGoesAhead = true;
  EXPECT_TRUE(workspace.layerStack.RemoveLayer(only));
  EXPECT_EQ(host.newDocumentRuns, 2);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
}

}  // namespace
}  // namespace linea
