#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/messages.h"
#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"
#include "support/test_host.h"

namespace linea {
namespace {

// Records the proposals of the layer-name prompt besides answering from the script.
class NamingHost : public CTestHost {
 public:
  std::optional<std::string> AskLayerName(const std::string& proposed) override {
    proposals.push_back(proposed);
    return CTestHost::AskLayerName(proposed);
  }
  std::vector<std::string> proposals;
};

LineamentRecord Cell(int row, int column, int direction, int value) {
  LineamentRecord r;
  r.bytes = {std::uint8_t(row), 0, std::uint8_t(column), 0, std::uint8_t(direction), 0, std::uint8_t(value),
             std::uint8_t(value >> 8), 0, 0};
  return r;
}

class BandCommandsTest : public ::testing::Test {
 protected:
  BandCommandsTest() : workspace(host) {
    CResults& r = workspace.results;
    r.SetImageGeometry(16, 16, 1, 1);
    r.sourcePath = "D:\\maps\\area.bmp";
    workspace.params.minDensity = 0.0;
    workspace.params.mapKind = 'a';
    workspace.params.scalingMode = kScalingAuto;
  }
  // A 3 x 3 rose grid over the 16 x 16 image; with `peak` the centre rose is the
  // strongest, else the counts grow rose by rose.
  void AddWindowRoses(bool peak = false) {
    CResults& r = workspace.results;
    r.windowRoses.assign(8 * 9, 0);
    for (int rose = 0; rose < 9; ++rose)
      r.windowRoses[std::size_t(8 * rose)] = std::uint16_t(peak ? (rose == 4 ? 50 : 10) : 10 + rose);
    r.hasWindowRoses = true;
  }

  NamingHost host;
  CWorkspace workspace;
};

TEST_F(BandCommandsTest, LineamentMapsAreNumberedAndReplacedLikeRoseMaps) {
  EXPECT_EQ(workspace.ShowLineamentsMap(true), 0);  // no lineaments: nothing
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  EXPECT_EQ(workspace.lineamentMapCounter, 0);

  workspace.results.lineaments = {Cell(1, 1, 30, 120)};
  workspace.results.hasLineaments = true;
  ASSERT_EQ(workspace.ShowLineamentsMap(true), 0);
  ASSERT_NE(workspace.layerStack.FindLayer("Линеаменты 1"), nullptr);
  ASSERT_EQ(workspace.ShowLineamentsMap(false), 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 1);
  ASSERT_EQ(workspace.ShowLineamentsMap(true), 0);
  EXPECT_NE(workspace.layerStack.FindLayer("Линеаменты 2"), nullptr);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 2);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(BandCommandsTest, ABadSectorIsShownAndBuildsNothing) {
  workspace.results.lineaments = {Cell(1, 1, 30, 120)};
  workspace.results.hasLineaments = true;
  workspace.params.lineamentSectors = 4;
  workspace.params.lineamentSector = 5;
  EXPECT_EQ(workspace.ShowLineamentsMap(true), 15);
  EXPECT_EQ(host.OnlyMessageText(), "Неправильный параметр Направление.");
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
}

TEST_F(BandCommandsTest, TheRoseGridCountsAreThoseOfTheLastMapBuildUntilTheProjectIsReset) {
  EXPECT_EQ(workspace.lastRoseGrid, (RoseGridCounts{0, 0}));
  AddWindowRoses();
  ASSERT_EQ(workspace.ShowRoseMap(true), 0);
  EXPECT_EQ(workspace.lastRoseGrid, (RoseGridCounts{3, 3}));
  workspace.ResetWorkspace();
  EXPECT_EQ(workspace.lastRoseGrid, (RoseGridCounts{0, 0}));
}

TEST_F(BandCommandsTest, IsolinesOfTheLastRoseMapAskForTheirNameWithAnUnderscore) {
  AddWindowRoses();
  ASSERT_EQ(workspace.ShowRoseMap(true), 0);
  host.layerNameAnswers.push_back(std::nullopt);
  EXPECT_EQ(workspace.ShowIsolines(), 0);  // cancelled
  EXPECT_EQ(workspace.layerStack.LayerCount(), 1);
  host.layerNameAnswers.push_back("Iso");
  ASSERT_EQ(workspace.ShowIsolines(), 0);
  EXPECT_EQ(host.proposals, (std::vector<std::string>{"Розы 1_", "Розы 1_"}));
  ASSERT_NE(dynamic_cast<CVectorLayer3*>(workspace.layerStack.FindLayer("Iso")), nullptr);
  EXPECT_EQ(workspace.layerStack.FindLayer("Iso")->GetDescription(),
            "Isolines (" + workspace.layerStack.FindLayer("Розы 1")->GetDescription());
}

TEST_F(BandCommandsTest, BandsOfAMissingMapShowTheUnexpectedError) {
  EXPECT_EQ(workspace.ShowIsolines("none"), 2);
  EXPECT_EQ(workspace.ShowColorBand(), 2);
  EXPECT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, LoadText(ErrorMessageId(2)));
  EXPECT_TRUE(host.proposals.empty());
}

TEST_F(BandCommandsTest, AColourBandTurnsTheBandValuesIntoClasses) {
  AddWindowRoses();
  ASSERT_EQ(workspace.ShowRoseMap(true), 0);
  auto* map = dynamic_cast<CRasterLayer*>(workspace.layerStack.FindLayer("Розы 1"));
  ASSERT_NE(map, nullptr);
  const int from = map->From;
  workspace.params.bandFrom = from + 2;
  workspace.params.bandTo = map->To;
  host.layerNameAnswers.push_back("Band");
  ASSERT_EQ(workspace.ShowColorBand({}, MakeColor(0, 255, 0)), 0);
  EXPECT_EQ(host.proposals, (std::vector<std::string>{"Розы 1#"}));
  auto* band = dynamic_cast<CColorBandLayer*>(workspace.layerStack.FindLayer("Band"));
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->bandFrom, int((2.0 / map->classWidth) + 1.0));
  EXPECT_EQ(band->Lookup()[std::size_t(band->bandFrom)], LookupEntry(0, 255, 0));
  EXPECT_EQ(band->Lookup()[std::size_t(band->bandFrom - 1)], 0u);
}

TEST_F(BandCommandsTest, BandValuesOutsideTheMapAreRefusedWithTheDialogsMessage) {
  AddWindowRoses();
  ASSERT_EQ(workspace.ShowRoseMap(true), 0);
  auto* map = dynamic_cast<CRasterLayer*>(workspace.layerStack.FindLayer("Розы 1"));
  ASSERT_NE(map, nullptr);
  workspace.params.bandFrom = map->From;
  workspace.params.bandTo = map->To + 1;
  EXPECT_EQ(workspace.ShowColorBand(), 1);
  EXPECT_EQ(host.OnlyMessageText(), FormatText("Значение параметра To должно быть от %d до %d.", map->From, map->To));
  EXPECT_TRUE(host.proposals.empty());
}

TEST_F(BandCommandsTest, AnExtremumBandUsesTheGridOfTheLastMap) {
  AddWindowRoses(true);
  ASSERT_EQ(workspace.ShowRoseMap(true), 0);
  auto* map = dynamic_cast<CRasterLayer*>(workspace.layerStack.FindLayer("Розы 1"));
  ASSERT_NE(map, nullptr);
  workspace.params.bandFrom = map->From;
  workspace.params.bandTo = map->To;
  EXPECT_EQ(workspace.ShowExtremumBand(true, 3, 0.9), 1);  // wider than 16 / 6
  EXPECT_EQ(host.OnlyMessageText(), "Значение параметра Width должно быть от 1 до 2.");
  host.messages.clear();
  EXPECT_EQ(workspace.ShowExtremumBand(true, 2, 1.5), 1);  // a range above 1 for maxima
  EXPECT_EQ(host.OnlyMessageText(), "Значение параметра Range должно быть от 0 до 1.");
  host.messages.clear();
  host.layerNameAnswers.push_back("Ext");
  ASSERT_EQ(workspace.ShowExtremumBand(true, 2, 0.9), 0);
  EXPECT_EQ(host.proposals, (std::vector<std::string>{"Розы 1*"}));
  auto* layer = dynamic_cast<CExtremumLayer*>(workspace.layerStack.FindLayer("Ext"));
  ASSERT_NE(layer, nullptr);
  // The only inner node of the 3 x 3 grid, at (8, 8), is the peak: it stays.
  EXPECT_EQ(layer->Image().Row(8)[8], map->Image().Row(8)[8]);
  EXPECT_NE(layer->Image().Row(8)[8], 0);
  EXPECT_EQ(layer->Image().Row(0)[0], 0);
  EXPECT_EQ(layer->Image().Row(8)[12], 0);
  EXPECT_EQ(layer->GetDescription().rfind("ExtremumBand (Max Band ", 0), 0u);

  // After a reset of the project no map has been built: the band keeps nothing.
  workspace.lastRoseGrid = RoseGridCounts{};
  host.layerNameAnswers.push_back("Ext2");
  ASSERT_EQ(workspace.ShowExtremumBand(true, 2, 0.9), 0);
  auto* empty = dynamic_cast<CExtremumLayer*>(workspace.layerStack.FindLayer("Ext2"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Image().Row(8)[8], 0);
}


TEST_F(BandCommandsTest, TheCombinationNeedsItsNumberOfProjects) {
  CombinedProject project;
  project.width = 64;
  project.height = 48;
  project.imageType = 1;
  project.gridWidth = 64;
  project.windowRoses = {1, 0, 0, 0, 0, 0, 0, 0};
  workspace.combinedProjects = {project};
  EXPECT_EQ(workspace.CombineRoses(true, false), 2);
  EXPECT_EQ(host.OnlyMessageText(), "Пожалуйста, выберите как минимум два проекта для данной операции.");
  host.messages.clear();
  EXPECT_EQ(workspace.CombineRoses(false, false), 2);
  EXPECT_EQ(host.OnlyMessageText(), "Пожалуйста, выберите ровно два проекта для данной операции.");
  EXPECT_FALSE(workspace.results.hasWindowRoses);

  host.messages.clear();
  project.windowRoses = {3, 0, 0, 0, 0, 0, 0, 0};
  workspace.combinedProjects.push_back(project);
  ASSERT_EQ(workspace.CombineRoses(false, false), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(workspace.results.windowRoses[0], 2);
  EXPECT_EQ(workspace.results.imageWidth, 64u);
  EXPECT_TRUE(host.lastCalcPanel.hasWindowRoses);
}

TEST_F(BandCommandsTest, FieldAdditionAsksForTheNameOnlyWhenEveryMapIsThere) {
  AddWindowRoses();
  ASSERT_EQ(workspace.ShowRoseMap(true), 0);
  EXPECT_EQ(workspace.AddFieldLayers({"Розы 1", "gone"}, {}), 2);
  EXPECT_TRUE(host.proposals.empty());
  host.layerNameAnswers.push_back("Sum");
  workspace.params.paletteSteps = 4;
  ASSERT_EQ(workspace.AddFieldLayers({"Розы 1"}, {}), 0);
  EXPECT_EQ(host.proposals, (std::vector<std::string>{"Add"}));
  auto* sum = dynamic_cast<CRasterLayer*>(workspace.layerStack.FindLayer("Sum"));
  ASSERT_NE(sum, nullptr);
  EXPECT_EQ(sum->steps, 4);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(BandCommandsTest, MergingDrawingsProposesItsName) {
  for (const char* name : {"x", "y"}) workspace.layerStack.AddLayer(std::make_unique<CVectorLayer3>(name, true));
  host.layerNameAnswers.push_back("Объединение");
  EXPECT_TRUE(workspace.MergeDrawings());
  EXPECT_EQ(host.proposals, (std::vector<std::string>{"Объединение"}));
  EXPECT_EQ(workspace.layerStack.LayerCount(), 1);
}

}  // namespace
}  // namespace linea
