// The workspace's raster entry points and project loading with elevation models,
// raw rasters and georeferenced images.

#include <gtest/gtest.h>

#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/tiff_samples.h"
#include "project_fixture.h"

namespace linea {
namespace {

using RasterWiring = ProjectFixture;

testing::TiffModel SlopeModel() {
  testing::TiffModel model;
  model.width = 5;
  model.height = 4;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) model.values.push_back(1000.0 + 10 * x + y);  // falls to the west
  model.geo = true;
  model.pixelWidth = 25;
  model.pixelHeight = 25;
  model.left = 7000;
  model.top = 3000;
  return model;
}

TEST_F(RasterWiring, GeoTiffElevationModelOpensAsTypeThreeWithItsGeoreference) {
  ASSERT_TRUE(testing::WriteTiffModel(folder.File("dem.tif"), SlopeModel()));
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("dem.tif"), 3));
  EXPECT_EQ(workspace.imageType, 3);
  EXPECT_EQ(workspace.results.imageType, 3);
  EXPECT_EQ(workspace.results.bytesPerPixel, 2);
  EXPECT_EQ(workspace.results.imageWidth, 5u);
  EXPECT_EQ(workspace.results.pixelCount, 20u);
  ASSERT_EQ(workspace.results.descentGrid.size(), 20u);
  EXPECT_EQ(workspace.results.descentGrid[1 * 5 + 2], 3);  // west, the steepest way down
  EXPECT_EQ(workspace.saveSettings.upperLeftX, 7000);
  EXPECT_EQ(workspace.saveSettings.upperLeftY, 3000);
  EXPECT_EQ(workspace.saveSettings.lowerRightX, 7125);
  EXPECT_EQ(workspace.saveSettings.lowerRightY, 2900);
  EXPECT_EQ(workspace.saveSettings.resolutionY, -25);
  EXPECT_EQ(workspace.baseImagePath, folder.File("dem.tif"));
  EXPECT_TRUE(host.messages.empty());

  // The highlighting (command 32844) is built from the grid the workspace now holds.
  ASSERT_EQ(workspace.ShowHighlightLayer(), 0);
  auto* layer = dynamic_cast<CBitmapLayer*>(workspace.layerStack.FindLayer("Подсвеченное"));
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->Image().Row(1)[2], 64);
  EXPECT_EQ(layer->GetDescription(), "Highlighted 5x4x dem.tif");
}

TEST_F(RasterWiring, ReopenedRawElevationModelTakesItsSizeFromTheProject) {
  std::vector<std::uint8_t> samples;
  for (int i = 0; i < 12; ++i) {
    samples.push_back(std::uint8_t(i * 3));
    samples.push_back(0);
  }
  WriteBytes(folder.File("relief.raw"), samples);
  WriteTextFile(folder.File("p.orw"),
                "[Version]\nNumber = 3.1\n[Main]\nBaseImage = relief.raw\ntype = 3\nWidth = 4\nHeight = 3\n"
                "Bytes = 2\n[Compression]\nRate = 1.0\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_TRUE(host.imageSizeProposals.empty());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(workspace.results.imageType, 3);
  EXPECT_EQ(workspace.results.bytesPerPixel, 2);
  EXPECT_EQ(workspace.results.descentGrid.size(), 12u);
  EXPECT_EQ(workspace.results.descentGrid[5], 0);  // row above is lower: north
  EXPECT_EQ(workspace.baseImagePath, folder.File("relief.raw"));
  EXPECT_EQ(host.progressEnds, 1);
}

TEST_F(RasterWiring, RawMaskOfTheProjectSizeOpensWithoutTheSizeQuestion) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  std::vector<std::uint8_t> mask(24, 0);
  mask[7] = 3;
  WriteBytes(folder.File("mask.raw"), mask);
  ASSERT_TRUE(workspace.LoadMaskImage(folder.File("mask.raw")));
  EXPECT_TRUE(host.imageSizeProposals.empty());
  EXPECT_EQ(workspace.maskImagePath, folder.File("mask.raw"));
  auto* layer = dynamic_cast<CBitmapLayer*>(workspace.layerStack.FindLayer("Маска"));
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->Image().Row(1)[1], 255);
  EXPECT_FALSE(layer->IsDeletable());

  WriteBytes(folder.File("small.raw"), std::vector<std::uint8_t>(20, 0));
  EXPECT_FALSE(workspace.LoadMaskImage(folder.File("small.raw")));
  EXPECT_EQ(workspace.maskImagePath, folder.File("mask.raw"));
}

}  // namespace
}  // namespace linea
