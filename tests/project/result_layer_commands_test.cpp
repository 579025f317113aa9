#include <gtest/gtest.h>

#include "base/messages.h"
#include "base/string_table.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "project_fixture.h"

namespace linea {
namespace {

class ResultLayerCommandsTest : public ProjectFixture {
 protected:
  ResultLayerCommandsTest() {
    CResults& r = workspace.results;
    r.SetImageGeometry(16, 16, 1, 1);
    r.sourcePath = "D:\\maps\\area.bmp";
    workspace.params.minDensity = 0.0;
    workspace.params.mapKind = 'a';
    workspace.params.scalingMode = kScalingAuto;
  }
  void AddStripes() {
    CResults& r = workspace.results;
    r.stripeCodes.assign(256, 3);
    r.DeriveStripeClasses();
    r.hasStripes = true;
  }
  void AddWindowRoses(std::uint16_t eastCount) {
    CResults& r = workspace.results;
    r.windowRoses.assign(8 * 9, 0);
    for (int rose = 0; rose < 9; ++rose) r.windowRoses[std::size_t(8 * rose)] = eastCount;
    r.hasWindowRoses = true;
  }
  CLayer* Layer(int nameId) { return workspace.layerStack.FindLayer(LoadText(nameId)); }
};

TEST_F(ResultLayerCommandsTest, NothingHappensWithoutTheResults) {
  EXPECT_EQ(workspace.ShowStripesLayer(), 0);
  EXPECT_EQ(workspace.ShowGlobalRoseLayer(), 0);
  EXPECT_EQ(workspace.ShowBlockRosesLayer(), 0);
  EXPECT_EQ(workspace.ShowRoseMap(true), 0);
  EXPECT_EQ(workspace.ShowHighlightLayer(), 0);
  EXPECT_EQ(workspace.roseMapCounter, 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ResultLayerCommandsTest, StripesGlobalRoseAndBlockRosesGetTheirFixedNamesAndTheDefaultLineWidth) {
  AddStripes();
  workspace.results.globalRose = {1, 0, 0, 0, 0, 0, 0, 0};
  workspace.results.hasGlobalRose = true;
  workspace.results.blockRoses.push_back({{0, 8, 8}, {1, 1, 1, 1, 1, 1, 1, 1}});
  workspace.results.hasBlockRoses = true;
  workspace.blocksImagePath = "/data/blocks.bmp";
  workspace.defaultLineWidth = 2;
  EXPECT_EQ(workspace.ShowStripesLayer(), 0);
  EXPECT_EQ(workspace.ShowGlobalRoseLayer(), 0);
  EXPECT_EQ(workspace.ShowBlockRosesLayer(), 0);
  ASSERT_NE(Layer(32818), nullptr);
  EXPECT_EQ(Layer(32818)->GetDescription(), "Stripes (Linear=20, Contrast=1, GREYSCALE, area.bmp)");
  auto* rose = dynamic_cast<CVectorLayer3*>(Layer(32819));
  ASSERT_NE(rose, nullptr);
  EXPECT_EQ(rose->Group(0).GetWidth(), 2);
  auto* blocks = dynamic_cast<CVectorLayer3*>(Layer(32820));
  ASSERT_NE(blocks, nullptr);
  EXPECT_EQ(blocks->GetDescription(), "Block Roses (Linear=20, Contrast=1, GREYSCALE, area.bmp, blocks.bmp)");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ResultLayerCommandsTest, ShowReplacesTheCurrentMapAndNewLayerAddsTheNextNumber) {
  AddWindowRoses(10);
  EXPECT_EQ(workspace.ShowRoseMap(false), 0);
  EXPECT_EQ(workspace.ShowRoseMap(false), 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 1);
  EXPECT_NE(workspace.layerStack.FindLayer("Розы 0"), nullptr);
  EXPECT_EQ(workspace.ShowRoseMap(true), 0);
  EXPECT_EQ(workspace.roseMapCounter, 1);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 2);
  auto* map = dynamic_cast<CRasterLayer*>(workspace.layerStack.FindLayer("Розы 1"));
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->From, 31);
  EXPECT_EQ(workspace.params.mapMax, 31);  // written back into the workspace parameters
}

TEST_F(ResultLayerCommandsTest, AMapWithoutValuesIsReportedAndAddsNothing) {
  AddWindowRoses(0);
  EXPECT_EQ(workspace.ShowRoseMap(false), 17);
  EXPECT_EQ(host.OnlyMessageText(), LoadText(ErrorMessageId(17)));
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
}

TEST_F(ResultLayerCommandsTest, ReliefHighlightingOnlyForElevationModelsWithADescentGrid) {
  workspace.results.imageType = 3;
  EXPECT_EQ(workspace.ShowHighlightLayer(), 2);
  EXPECT_EQ(host.messages.size(), 1u);
  workspace.results.descentGrid.assign(256, 5);
  EXPECT_EQ(workspace.ShowHighlightLayer(), 0);
  ASSERT_NE(Layer(32822), nullptr);
  EXPECT_EQ(Layer(32822)->GetDescription(), "Highlighted 16x16x area.bmp");
}

}  // namespace
}  // namespace linea
