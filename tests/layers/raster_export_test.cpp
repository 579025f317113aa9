#include "layers/raster_export.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "layers/band_layer.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

class RasterExport : public ::testing::Test {
 protected:
  RasterExport() : stack(host) {}

  // A 5 x 3 mask (rows not a multiple of 4 bytes) with its pixels 0 or 255.
  CBitmapLayer* AddMask() {
    auto mask = std::make_unique<CExtremumLayer>("Маска", false);
    EXPECT_TRUE(mask->Image().Create(5, 3, 8));
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) mask->Image().Row(y)[x] = (x + y) % 2 ? 255 : 0;
    return static_cast<CBitmapLayer*>(stack.AddLayer(std::move(mask)));
  }

  CTestHost host;
  CLayerStack stack;
  CTempFolder folder;
};

TEST(SaveFilter, ListsTheFormatsInTheirCodeOrder) {
  EXPECT_EQ(RasterSaveFilter(),
            "Tagged image file format (*.tif, *.tiff)|*.tif; *.tiff|Raw data (*.raw)|*.raw|Windows bitmap "
            "(*.bmp)|*.bmp|Graphics Interchange Format (*.gif)|*.gif|PCX format (*.pcx)|*.pcx|TARGA format "
            "(*.tga)|*.tga|GRID ASCII format (*.grd)|*.grd||");
  const int expected[] = {8, -1, 0, 9, 1, 7, 17};
  for (int i = 0; i < kSaveFilterEntries; ++i) EXPECT_EQ(SaveFilterFormatCode(i), expected[i]) << i;
  EXPECT_EQ(SaveFilterFormatCode(7), kNoFormat);
  EXPECT_EQ(SaveFilterFormatCode(-1), kNoFormat);
}

TEST_F(RasterExport, RawMaskReopensWithTheSamePixelsAndNoSizeQuestion) {
  CBitmapLayer* mask = AddMask();
  const std::string path = folder.File("map_.raw");
  ASSERT_EQ(SaveLayerRaster(stack, path, 1, "Маска"), kSaveLayerSaved);
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 15u);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 255);
  EXPECT_EQ(bytes[5], 255);  // row 1 starts right after the five bytes of row 0
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 3; ++y) pixels.insert(pixels.end(), mask->Image().Row(y), mask->Image().Row(y) + 5);

  CTestHost other;
  CLayerStack reopened(other);
  ASSERT_EQ(OpenMask(other, path, reopened, "Маска", {5, 3}), 0);
  EXPECT_TRUE(other.imageSizeProposals.empty());
  auto* again = dynamic_cast<CBitmapLayer*>(reopened.FindLayer("Маска"));
  ASSERT_NE(again, nullptr);
  std::vector<std::uint8_t> reread;
  for (int y = 0; y < 3; ++y) reread.insert(reread.end(), again->Image().Row(y), again->Image().Row(y) + 5);
  EXPECT_EQ(reread, pixels);
}

TEST_F(RasterExport, MissingLayerTouchesNoFile) {
  const std::string path = folder.File("mask.tif");
  EXPECT_EQ(SaveLayerRaster(stack, path, 0, "Маска"), kSaveLayerMissing);
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(ListFolder(folder.Path()).empty());
}

TEST_F(RasterExport, LibraryFormatsWriteFilesThatReadBack) {
  AddMask();
  const std::string bmp = folder.File("blocks.bmp");
  const std::string tif = folder.File("blocks.tif");
  ASSERT_EQ(SaveLayerRaster(stack, bmp, 2, "Маска"), kSaveLayerSaved);
  ASSERT_EQ(SaveLayerRaster(stack, tif, 0, "Маска"), kSaveLayerSaved);
  const std::vector<std::uint8_t> bmpBytes = ReadBytes(bmp), tifBytes = ReadBytes(tif);
  ASSERT_GE(bmpBytes.size(), 2u);
  EXPECT_EQ(std::string(bmpBytes.begin(), bmpBytes.begin() + 2), "BM");
  ASSERT_GE(tifBytes.size(), 2u);
  EXPECT_TRUE(tifBytes[0] == tifBytes[1] && (tifBytes[0] == 'I' || tifBytes[0] == 'M'));
  CImage back;
  ASSERT_TRUE(back.Load(bmp));
  EXPECT_EQ(back.GetWidth(), 5);
  EXPECT_EQ(back.Row(2)[1], 255);
  EXPECT_EQ(back.Row(2)[2], 0);
}

TEST_F(RasterExport, FailedSaveLeavesThePreviousFile) {
  auto empty = std::make_unique<CBitmapLayer>("Блоки", false);  // no image to save
  stack.AddLayer(std::move(empty));
  const std::string path = folder.File("blocks.raw");
  WriteBytes(path, {1, 2, 3});
  EXPECT_EQ(SaveLayerRaster(stack, path, 1, "Блоки"), kSaveLayerFailed);
  EXPECT_EQ(SaveLayerRaster(stack, path, 0, "Блоки"), kSaveLayerFailed);
  EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));

  AddMask();
  EXPECT_EQ(SaveLayerRaster(stack, folder.File("no/such/folder/mask.raw"), 1, "Маска"), kSaveLayerFailed);
  EXPECT_EQ(SaveLayerRaster(stack, folder.File("mask.x"), 9, "Маска"), kSaveLayerFailed);
  EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"blocks.raw"}));
}

TEST_F(RasterExport, RawOfATrueColourLayerReducesTheLayer) {
  auto view = std::make_unique<CBitmapLayer>("Вид", true);
  ASSERT_TRUE(view->Image().Create(3, 2, 24));
  view->Image().Fill(0, 0, 3, 2, MakeColor(10, 20, 30));
  view->Image().Fill(2, 1, 1, 1, MakeColor(250, 0, 0));
  CBitmapLayer* layer = static_cast<CBitmapLayer*>(stack.AddLayer(std::move(view)));
  const std::string path = folder.File("view.raw");
  ASSERT_EQ(SaveLayerRaster(stack, path, 1, "Вид"), kSaveLayerSaved);
  ASSERT_EQ(layer->Image().GetBitsPerPixel(), 8);
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 6u);
  // The file holds palette indices; the layer shows them through its new palette.
  EXPECT_EQ(layer->Image().GetColorFromIndex(bytes[0]), MakeColor(10, 20, 30));
  EXPECT_EQ(layer->Image().GetColorFromIndex(bytes[5]), MakeColor(250, 0, 0));
  EXPECT_EQ(layer->Lookup()[bytes[5]], LookupEntry(250, 0, 0));
  EXPECT_TRUE(layer->IsChanged());
}

}  // namespace
}  // namespace linea
