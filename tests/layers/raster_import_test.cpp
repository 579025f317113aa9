#include "layers/raster_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "layers/band_layer.h"
#include "layers/bitmap_layer.h"
#include "layers/elevation_model.h"
#include "geo/gdal_raster.h"
#include "layers/layer_stack.h"
#include "layers/tiff_samples.h"
#include "layers/vector_layer.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

const std::string kCannotLoad = "Не удается загрузить изображение.";

class RasterImport : public ::testing::Test {
 protected:
  RasterImport() : stack(host) {}

  // An 8-bit image whose pixel (x, y) is given by `value`, saved as `name`.
  template <typename F>
  std::string WriteImage(const std::string& name, int width, int height, F value, int format = kImageFormatBmp) {
    CImage image;
    EXPECT_TRUE(image.Create(width, height, 8));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.Row(y)[x] = std::uint8_t(value(x, y));
    for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, MakeColor(std::uint8_t(255 - i), 0, std::uint8_t(i)));
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.Save(path, format));
    return path;
  }

  std::string WriteRaw(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = folder.File(name);
    WriteBytes(path, bytes);
    return path;
  }

  CBitmapLayer* Layer(const std::string& name) { return dynamic_cast<CBitmapLayer*>(stack.FindLayer(name)); }

  int OpenBase(const std::string& path, int type, int width = 0, int height = 0, int bytes = 0) {
    return OpenBaseImage(host, path, stack, "Исходное", type, width, height, bytes, info);
  }

  CTestHost host;
  CLayerStack stack;
  CTempFolder folder;
  BaseRasterInfo info;
};

TEST(RasterFilters, AreTheDialogTextsInTheirOrder) {
  EXPECT_EQ(RasterOpenFilter(),
            "All supported formats (*.tif, *.tiff, *.raw, *.jpg, *.jif, *.jpeg, *.bmp, *.gif, *.pcx, *.tga)|*.tif; "
            "*.tiff; *.raw; *.jpg; *.jif; *.jpeg; *.bmp; *.gif; *.pcx; *.tga|Tagged image file format (*.tif, "
            "*.tiff)|*.tif; *.tiff|Raw data (*.raw)|*.raw|JPEG-JFIF Compliant (*.jpg, *.jif, *.jpeg)|*.jpg; *.jif; "
            "*.jpeg|Windows bitmap (*.bmp)|*.bmp|Graphics Interchange Format (*.gif)|*.gif|PCX format "
            "(*.pcx)|*.pcx|TARGA format (*.tga)|*.tga|Все растры GDAL (*)|*||");
  const std::string elevation = ElevationModelOpenFilter();
  EXPECT_EQ(elevation.rfind("All supported formats (*.raw,*.grd,*.tif,*.tiff,*.hgt)|", 0), 0u);
  EXPECT_NE(elevation.find("|Raw data (*.raw)|*.raw|Grid ASCII data (*.grd)|*.grd|"), std::string::npos);
  EXPECT_TRUE(elevation.ends_with("|Все растры GDAL (*)|*||")) << elevation;
  EXPECT_EQ(FormatFilterText(30), "");
}

TEST_F(RasterImport, RawSizeIsProposedFromTheFileLength) {
  const std::string path = WriteRaw("square.raw", std::vector<std::uint8_t>(65536, 7));
  std::vector<std::uint8_t> data;
  int width = 0, height = 0, bytes = 0;
  ASSERT_EQ(ReadRaw(host, path, kImageTypeGreyscale, data, width, height, bytes), 0);
  ASSERT_EQ(host.imageSizeProposals.size(), 1u);
  EXPECT_EQ(host.imageSizeProposals[0].width, 256);
  EXPECT_EQ(host.imageSizeProposals[0].height, 256);
  EXPECT_EQ(host.imageSizeProposals[0].bytesPerSample, 1);
  EXPECT_EQ(width, 256);
  EXPECT_EQ(bytes, 1);
  EXPECT_EQ(data.size(), 65536u);

  // As an elevation model: 16 bits ticked, sqrt(32768) = 181; 181 x 181 x 2 is not the file.
  CTestHost dtmHost;
  width = height = 0;
  EXPECT_EQ(ReadRaw(dtmHost, path, kImageTypeElevation, data, width, height, bytes), 1);
  ASSERT_EQ(dtmHost.imageSizeProposals.size(), 1u);
  EXPECT_EQ(dtmHost.imageSizeProposals[0].width, 181);
  EXPECT_EQ(dtmHost.imageSizeProposals[0].height, 181);
  EXPECT_EQ(dtmHost.imageSizeProposals[0].bytesPerSample, 2);
  EXPECT_EQ(dtmHost.OnlyMessageText(),
            kCannotLoad + " Размер изображения не соответствует заданным параметрам изображения.");
}

TEST_F(RasterImport, RawOfAnotherSizeIsRefusedWithoutALayer) {
  const std::string path = WriteRaw("base.raw", std::vector<std::uint8_t>(24, 1));
  EXPECT_NE(OpenBase(path, kImageTypeGreyscale, 5, 5, 1), 0);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad + " Размер изображения не соответствует заданным параметрам изображения.");
  EXPECT_EQ(stack.LayerCount(), 0);
  EXPECT_TRUE(host.imageSizeProposals.empty());

  // Answers the images cannot have are refused the same way.
  CTestHost other;
  other.imageSizeAnswers = {{0, 24, 1}};
  std::vector<std::uint8_t> data;
  int width = 0, height = 0, bytes = 1;
  EXPECT_EQ(ReadRaw(other, path, kImageTypeGreyscale, data, width, height, bytes), 1);
  EXPECT_EQ(other.messages.size(), 1u);
}

TEST_F(RasterImport, MissingFileNamesThePath) {
  const std::string path = folder.File("nothing.raw");
  EXPECT_NE(OpenBase(path, kImageTypeGreyscale), 0);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad + " Ошибка открытия файла " + path + ".");
}

TEST_F(RasterImport, GreyscaleRawBecomesThePicture) {
  std::vector<std::uint8_t> bytes(15);
  for (int i = 0; i < 15; ++i) bytes[i] = std::uint8_t(i * 10);
  ASSERT_EQ(OpenBase(WriteRaw("base.raw", bytes), kImageTypeScheme, 5, 3, 1), 0);
  auto* layer = Layer("Исходное");
  ASSERT_NE(layer, nullptr);
  EXPECT_FALSE(layer->IsDeletable());
  EXPECT_EQ(layer->Image().Row(2)[4], 140);
  EXPECT_EQ(layer->Image().GetColorFromIndex(0), 0u);          // scheme palette
  EXPECT_EQ(layer->Image().GetColorFromIndex(140), 0xFFFFFFu);
  EXPECT_EQ(info.width, 5u);
  EXPECT_EQ(info.height, 3u);
  EXPECT_EQ(info.bytesPerPixel, 1);
  EXPECT_EQ(info.imageType, kImageTypeScheme);
  EXPECT_TRUE(info.descentGrid.empty());
  EXPECT_EQ(layer->GetDescription(), "5x3x8 LINE base.raw");
}

TEST_F(RasterImport, SixteenBitGreyscaleRawIsReducedToGreyLevels) {
  // Samples 0, 256, 512, 1023 (little-endian): step 1023 / 256 + 1 = 4.
  const std::vector<std::uint8_t> bytes = {0, 0, 0, 1, 0, 2, 0xFF, 3};
  ASSERT_EQ(OpenBase(WriteRaw("deep.raw", bytes), kImageTypeGreyscale, 2, 2, 2), 0);
  const CImage& image = Layer("Исходное")->Image();
  EXPECT_EQ(image.Row(0)[0], 0);
  EXPECT_EQ(image.Row(0)[1], 64);
  EXPECT_EQ(image.Row(1)[0], 128);
  EXPECT_EQ(image.Row(1)[1], 255);
  EXPECT_EQ(info.bytesPerPixel, 2);  // so that a reopened project reads the file the same way
  EXPECT_EQ(Layer("Исходное")->GetDescription(), "2x2x16 GREYSCALE deep.raw");
}

TEST_F(RasterImport, GreyscaleImageGetsTheGreyPaletteAndItsWorldFile) {
  const std::string path = WriteImage("map.bmp", 6, 4, [](int x, int y) { return x + 10 * y; });
  EXPECT_EQ(WorldFilePath(path), folder.File("map.bfw"));
  EXPECT_EQ(WorldFilePath("relief.tif"), "relief.tfw");
  WriteTextFile(folder.File("map.bfw"), "2.5\n0\n0\n-2.5\n1000.0\n5000.0\n");
  ASSERT_EQ(OpenBase(path, kImageTypeGreyscale), 0);
  auto* layer = Layer("Исходное");
  EXPECT_EQ(layer->Image().GetColorFromIndex(31), MakeColor(31, 31, 31));
  EXPECT_EQ(layer->Image().Row(3)[5], 35);
  EXPECT_EQ(layer->GetDescription(), "6x4x8 GREYSCALE map.bmp");
  ASSERT_TRUE(info.georeference.known);
  // The world file names the centre of the upper-left pixel: the edge is half a pixel out.
  EXPECT_DOUBLE_EQ(info.georeference.left, 998.75);
  EXPECT_DOUBLE_EQ(info.georeference.top, 5001.25);
  EXPECT_DOUBLE_EQ(info.georeference.right, 1013.75);
  EXPECT_DOUBLE_EQ(info.georeference.bottom, 4991.25);
  EXPECT_DOUBLE_EQ(info.georeference.pixelHeight, -2.5);
}

TEST_F(RasterImport, TrueColourImageIsNoBaseButAViewRaster) {
  CImage colour;
  ASSERT_TRUE(colour.Create(4, 3, 24));
  colour.Fill(0, 0, 4, 3, MakeColor(200, 10, 10));
  const std::string path = folder.File("photo.tif");
  ASSERT_TRUE(colour.Save(path, kImageFormatTiff));
  EXPECT_NE(OpenBase(path, kImageTypeGreyscale), 0);
  EXPECT_EQ(host.OnlyMessageText(), "Нельзя загрузить изображение отличное от 8 бит на пиксел.");
  EXPECT_EQ(stack.LayerCount(), 0);

  CTestHost viewHost;
  CLayerStack viewStack(viewHost);
  ASSERT_EQ(OpenExtraRaster(viewHost, path, viewStack, "Фото", true, {4, 3}), 0);
  auto* view = dynamic_cast<CBitmapLayer*>(viewStack.FindLayer("Фото"));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetKind(), kLayerKindBitmap);
  EXPECT_EQ(view->Image().GetBitsPerPixel(), 24);
  EXPECT_TRUE(view->IsDeletable());
  EXPECT_EQ(view->GetDescription(), "4x3x24 photo.tif");
  EXPECT_TRUE(viewHost.messages.empty());

  // As a transparent raster a true-colour image is "several colours".
  ASSERT_EQ(OpenExtraRaster(viewHost, path, viewStack, "Прозрачный", false, {4, 3}), 0);
  EXPECT_TRUE(viewStack.FindLayer("Прозрачный")->HasFlag(kLayerSeveralColors));
}

TEST_F(RasterImport, ViewRasterMustHaveTheProjectSizeAndTakesItsDescriptionFile) {
  const std::string path = WriteImage("over.bmp", 6, 4, [](int x, int) { return x; });
  EXPECT_EQ(OpenExtraRaster(host, path, stack, "Над", true, {6, 5}), 1);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad + " Размер изображения не соответствует параметрам проекта.");
  EXPECT_EQ(stack.LayerCount(), 0);

  WriteTextFile(folder.File("over.txo"), "Снимок 1998 года");
  std::string text;
  ASSERT_TRUE(ReadDescriptionFile(path, text));
  EXPECT_EQ(text, "Снимок 1998 года");
  ASSERT_EQ(OpenExtraRaster(host, path, stack, "Над", true, {6, 4}), 0);
  EXPECT_EQ(stack.FindLayer("Над")->GetDescription(), "Снимок 1998 года");
  EXPECT_FALSE(ReadDescriptionFile(folder.File("other.bmp"), text));
}

TEST_F(RasterImport, RawViewRasterUsesTheProjectSizeWithoutAsking) {
  std::vector<std::uint8_t> bytes(12);
  for (int i = 0; i < 12; ++i) bytes[i] = std::uint8_t(i);
  ASSERT_EQ(OpenExtraRaster(host, WriteRaw("v.raw", bytes), stack, "v", true, {4, 3}), 0);
  EXPECT_TRUE(host.imageSizeProposals.empty());
  auto* layer = Layer("v");
  EXPECT_EQ(layer->Image().Row(2)[3], 11);
  EXPECT_EQ(layer->Image().GetColorFromIndex(11), MakeColor(11, 11, 11));
  EXPECT_EQ(layer->GetDescription(), "4x3x8 v.raw");
}

TEST_F(RasterImport, TransparentRasterFindsItsSingleColour) {
  // Only black (index 0 of the grey palette) and index 77.
  CImage image;
  ASSERT_TRUE(image.Create(5, 5, 8));
  image.Row(1)[2] = 77;
  image.Row(4)[4] = 77;
  ASSERT_TRUE(image.Save(folder.File("single.bmp"), kImageFormatBmp));
  ASSERT_EQ(OpenExtraRaster(host, folder.File("single.bmp"), stack, "Один", false, {5, 5}), 0);
  auto* single = dynamic_cast<CVectorLayer*>(stack.FindLayer("Один"));
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(single->GetKind(), kLayerKindVector);
  EXPECT_EQ(single->GetColorIndex(), 77);
  EXPECT_FALSE(single->HasFlag(kLayerSeveralColors));
  EXPECT_TRUE(single->IsTransparent());
  EXPECT_EQ(single->GetTransparentColor(), 0u);
  EXPECT_TRUE(single->IsColorChangeable());

  image.Row(3)[0] = 78;
  ASSERT_TRUE(image.Save(folder.File("two.bmp"), kImageFormatBmp));
  ASSERT_EQ(OpenExtraRaster(host, folder.File("two.bmp"), stack, "Два", false, {5, 5}), 0);
  EXPECT_TRUE(stack.FindLayer("Два")->HasFlag(kLayerSeveralColors));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(RasterImport, MaskMarksEverythingButZeroAsOutside) {
  const std::string path = WriteImage("mask.bmp", 4, 2, [](int x, int y) { return (x + y) % 3 * 40; });
  ASSERT_EQ(OpenMask(host, path, stack, "Маска", {4, 2}), 0);
  auto* mask = dynamic_cast<CExtremumLayer*>(stack.FindLayer("Маска"));
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->GetKind(), kLayerKindBand);
  const std::uint8_t expected[2][4] = {{0, 255, 255, 0}, {255, 255, 0, 255}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(mask->Image().Row(y)[x], expected[y][x]) << x << "," << y;
  EXPECT_EQ(mask->Image().GetColorFromIndex(0), MakeColor(255, 0, 0));
  EXPECT_EQ(mask->Image().GetColorFromIndex(255), 0u);
  EXPECT_EQ(mask->GetDescription(), "Mask image");
  EXPECT_FALSE(mask->IsDeletable());
  EXPECT_EQ(mask->steps, 2);
  EXPECT_EQ(mask->stepBoundaries, (std::vector<std::uint8_t>{1, 255}));
}

TEST_F(RasterImport, MaskMustBeEightBitsOfTheProjectSize) {
  CImage colour;
  ASSERT_TRUE(colour.Create(4, 2, 24));
  ASSERT_TRUE(colour.Save(folder.File("mask.tif"), kImageFormatTiff));
  EXPECT_NE(OpenMask(host, folder.File("mask.tif"), stack, "Маска", {4, 2}), 0);
  EXPECT_EQ(host.OnlyMessageText(), "Нельзя загрузить изображение отличное от 8 бит на пиксел.");

  CTestHost other;
  other.imageSizeAnswers = {{2, 2, 2}};  // 16 bits ticked
  const std::string raw = WriteRaw("mask.raw", std::vector<std::uint8_t>(8, 1));
  EXPECT_NE(OpenMask(other, raw, stack, "Маска", {0, 0}), 0);
  EXPECT_EQ(other.OnlyMessageText(), "Нельзя загрузить изображение отличное от 8 бит на пиксел.");
  EXPECT_EQ(stack.LayerCount(), 0);
}

TEST_F(RasterImport, BlocksRasterDrawsEachBorderOnTheLowerSide) {
  // Two blocks: 10 on the left three columns, 20 on the right two.
  const std::string path = WriteImage("blocks.bmp", 5, 2, [](int x, int) { return x < 3 ? 10 : 20; });
  ASSERT_EQ(OpenBlocks(host, path, stack, "Блоки", 1, {5, 2}), 0);
  auto* blocks = dynamic_cast<CVectorLayer*>(stack.FindLayer("Блоки"));
  ASSERT_NE(blocks, nullptr);
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(blocks->Image().Row(y)[1], 10);
    EXPECT_EQ(blocks->Image().Row(y)[2], 255);
    EXPECT_EQ(blocks->Image().Row(y)[3], 20);
  }
  // Only the borders show: block numbers are transparent black, borders red.
  EXPECT_EQ(blocks->Image().GetColorFromIndex(20), MakeColor(0, 0, 0));
  EXPECT_EQ(blocks->Image().GetColorFromIndex(255), MakeColor(255, 0, 0));
  EXPECT_TRUE(blocks->IsTransparent());
  EXPECT_FALSE(blocks->IsDeletable());
  EXPECT_EQ(blocks->GetDescription(), "5x2x8 blocks.bmp");

  // Saved blocks stay as they are.
  ASSERT_EQ(OpenBlocks(host, path, stack, "Блоки", 0, {5, 2}), 0);
  EXPECT_EQ(Layer("Блоки")->Image().Row(0)[2], 10);
}

TEST_F(RasterImport, BordersRasterIsNumberedByRegions) {
  // Inside is the first pixel's value (3); the cross of 9 splits the image in four.
  const std::string path =
      WriteImage("borders.bmp", 5, 5, [](int x, int y) { return (x == 2 || y == 2) ? 9 : 3; });
  ASSERT_EQ(OpenBlocks(host, path, stack, "Блоки", 2, {5, 5}), 0);
  const CImage& image = Layer("Блоки")->Image();
  EXPECT_EQ(image.Row(0)[0], 1);
  EXPECT_EQ(image.Row(1)[4], 2);
  EXPECT_EQ(image.Row(4)[0], 3);
  EXPECT_EQ(image.Row(3)[3], 4);
  EXPECT_EQ(image.Row(2)[1], 255);
  EXPECT_EQ(image.Row(0)[2], 255);
}

TEST_F(RasterImport, BordersRasterHasAtMost253Regions) {
  // One row of single inside cells separated by border cells.
  auto write = [&](int regions) {
    return WriteImage("row" + std::to_string(regions) + ".bmp", 2 * regions - 1, 1,
                      [](int x, int) { return x % 2 == 0 ? 0 : 1; });
  };
  const std::string ok = write(253);
  ASSERT_EQ(OpenBlocks(host, ok, stack, "Блоки", 2, {505, 1}), 0);
  EXPECT_EQ(Layer("Блоки")->Image().Row(0)[504], 253);
  stack.ClearLayers();

  const std::string tooMany = write(254);
  EXPECT_EQ(OpenBlocks(host, tooMany, stack, "Блоки", 2, {507, 1}), 3);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad);
  EXPECT_EQ(stack.LayerCount(), 0);
}

// A DSAA grid of 3 columns and 2 rows; the first data row is the lowest y.
std::string GridText(const std::string& rows) {
  return "DSAA\n3 2\n100 300\n50 150\n10 20\n" + rows;
}

TEST_F(RasterImport, GridHeightsAreScaledAndTheFirstRowIsTheLowest) {
  const std::string path = folder.File("relief.grd");
  WriteTextFile(path, GridText("10 15 20\n9.5 1.70141e+38 12.5\n"));
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  GridExtent extent;
  ASSERT_EQ(ReadGrid(host, path, samples, width, height, extent), 0);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  EXPECT_DOUBLE_EQ(extent.xMax, 300.0);
  EXPECT_DOUBLE_EQ(extent.yMin, 50.0);
  // Buffer row 0 is the file's second row (highest y): below z minimum, blank, 2.5 of 10.
  EXPECT_EQ(samples, (std::vector<std::uint16_t>{0, 0, 15999, 0, 31999, 63999}));
}

TEST_F(RasterImport, GridWithoutItsWordOrShortOfValuesNamesTheFile) {
  const std::string path = folder.File("bad.grd");
  WriteTextFile(path, "DSAB\n3 2\n100 300\n50 150\n10 20\n1 2 3 4 5 6\n");
  EXPECT_NE(OpenBase(path, kImageTypeElevation), 0);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad + " Ошибка открытия файла " + path + ".");

  CTestHost shortHost;
  WriteTextFile(path, GridText("10 11 12\n13 14\n"));
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  GridExtent extent;
  EXPECT_EQ(ReadGrid(shortHost, path, samples, width, height, extent), 1);
  EXPECT_EQ(shortHost.OnlyMessageText(), kCannotLoad + " Ошибка открытия файла " + path + ".");
  EXPECT_EQ(stack.LayerCount(), 0);
}

TEST_F(RasterImport, GridWithAnEmptyHeightRangeIsFlat) {
  const std::string path = folder.File("flat.grd");
  WriteTextFile(path, "DSAA 3 2 0 2 0 1 5 5 5 5 5 5 5 7\n");
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  GridExtent extent;
  ASSERT_EQ(ReadGrid(host, path, samples, width, height, extent), 0);
  EXPECT_EQ(samples, std::vector<std::uint16_t>(6, 0));
}

TEST_F(RasterImport, GridModelIsShownGreyWithItsDescentAndExtent) {
  const std::string path = folder.File("relief.grd");
  WriteTextFile(path, GridText("10 15 20\n12 14 16\n"));
  ASSERT_EQ(OpenBase(path, kImageTypeElevation), 0);
  EXPECT_EQ(info.imageType, kImageTypeElevation);
  EXPECT_EQ(info.bytesPerPixel, 2);
  EXPECT_EQ(info.width, 3u);
  EXPECT_EQ(info.descentGrid, std::vector<std::uint8_t>(6, kDescentNone));  // no interior
  auto* layer = Layer("Исходное");
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->Image().Row(1)[2], 255);  // z maximum, the lowest row of the buffer
  EXPECT_EQ(layer->Image().Row(1)[0], 0);
  EXPECT_EQ(layer->GetDescription(), "3x2x16 DTM relief.grd");
  ASSERT_TRUE(info.georeference.known);
  EXPECT_DOUBLE_EQ(info.georeference.pixelWidth, 100.0);
  EXPECT_DOUBLE_EQ(info.georeference.pixelHeight, -100.0);
  EXPECT_DOUBLE_EQ(info.georeference.left, 50.0);
  EXPECT_DOUBLE_EQ(info.georeference.top, 200.0);
  EXPECT_DOUBLE_EQ(info.georeference.right, 350.0);
  EXPECT_DOUBLE_EQ(info.georeference.bottom, 0.0);
  EXPECT_EQ(host.progressEnds, 1);
}

TEST_F(RasterImport, RawModelsOfOneOrTwoBytesGetTheirDescent) {
  // 3 x 3, centre higher than everything: it drains south, the lowest neighbour.
  std::vector<std::uint8_t> eight = {50, 40, 50, 30, 90, 35, 50, 20, 50};
  ASSERT_EQ(OpenBase(WriteRaw("peak.raw", eight), kImageTypeElevation, 3, 3, 1), 0);
  EXPECT_EQ(info.bytesPerPixel, 1);
  EXPECT_EQ(info.descentGrid[4], 2);
  EXPECT_EQ(Layer("Исходное")->Image().Row(1)[1], 90);  // the bytes themselves
  EXPECT_EQ(Layer("Исходное")->GetDescription(), "3x3x8 DTM peak.raw");

  std::vector<std::uint8_t> sixteen;
  for (std::uint8_t v : eight) {
    sixteen.push_back(0);
    sixteen.push_back(v);  // v x 256
  }
  host.imageSizeAnswers = {{3, 3, 2}};
  ASSERT_EQ(OpenBase(WriteRaw("peak16.raw", sixteen), kImageTypeElevation), 0);
  EXPECT_EQ(info.bytesPerPixel, 2);
  EXPECT_EQ(info.descentGrid[4], 2);
  EXPECT_EQ(Layer("Исходное")->Image().Row(1)[1], 252);  // range 17920: step 71
  EXPECT_EQ(stack.LayerCount(), 1);
}

TEST_F(RasterImport, FlatModelOpensWithAUniformPicture) {
  ASSERT_EQ(OpenBase(WriteRaw("flat.raw", std::vector<std::uint8_t>(18, 4)), kImageTypeElevation, 3, 3, 2), 0);
  auto* layer = Layer("Исходное");
  ASSERT_NE(layer, nullptr);
  ASSERT_EQ(layer->Image().GetWidth(), 3);
  ASSERT_EQ(layer->Image().GetHeight(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(layer->Image().Row(y)[x], 0) << x << "," << y;
  EXPECT_EQ(layer->GetDescription(), "3x3x16 DTM flat.raw");
  EXPECT_EQ(info.descentGrid, std::vector<std::uint8_t>(9, kDescentNone));
}

TEST_F(RasterImport, CancelledDescentLeavesNoLayer) {
  host.cancelAtProgress = 0;
  std::vector<std::uint8_t> eight = {50, 40, 50, 30, 90, 35, 50, 20, 50};
  EXPECT_EQ(OpenBase(WriteRaw("peak.raw", eight), kImageTypeElevation, 3, 3, 1), 11);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad);
  EXPECT_EQ(stack.LayerCount(), 0);
  EXPECT_TRUE(info.descentGrid.empty());
}

TEST_F(RasterImport, SixteenBitGeoTiffModelOpensWithItsGeoreference) {
  testing::TiffModel model;
  model.width = 4;
  model.height = 3;
  model.values = {100, 100, 100, 100,  //
                  100, 300, 200, 100,  //
                  100, 100, 100, 500};
  model.geo = true;
  model.pixelWidth = 30;
  model.pixelHeight = 30;
  model.left = 500000;
  model.top = 6000000;
  const std::string path = folder.File("dem.tif");
  ASSERT_TRUE(testing::WriteTiffModel(path, model));
  ASSERT_EQ(OpenBase(path, kImageTypeElevation), 0) << host.OnlyMessageText();
  EXPECT_EQ(info.imageType, kImageTypeElevation);
  EXPECT_EQ(info.bytesPerPixel, 2);
  EXPECT_EQ(info.width, 4u);
  EXPECT_EQ(info.height, 3u);
  ASSERT_EQ(info.descentGrid.size(), 12u);
  EXPECT_EQ(info.descentGrid[5], 0);  // 300 drains north, the first of its lowest neighbours
  const CImage& image = Layer("Исходное")->Image();
  EXPECT_EQ(image.Row(0)[0], 0);
  EXPECT_EQ(image.Row(2)[3], 255);
  EXPECT_EQ(Layer("Исходное")->GetDescription(), "4x3x16 DTM dem.tif");
  ASSERT_TRUE(info.georeference.known);
  EXPECT_DOUBLE_EQ(info.georeference.left, 500000);
  EXPECT_DOUBLE_EQ(info.georeference.top, 6000000);
  EXPECT_DOUBLE_EQ(info.georeference.right, 500120);
  EXPECT_DOUBLE_EQ(info.georeference.bottom, 5999910);
  EXPECT_DOUBLE_EQ(info.georeference.pixelHeight, -30);

  // A world file beside it wins over the tags.
  WriteTextFile(folder.File("dem.tfw"), "10 0 0 -10 1 2");
  ASSERT_EQ(OpenBase(path, kImageTypeElevation), 0);
  EXPECT_DOUBLE_EQ(info.georeference.left, -4);
  EXPECT_DOUBLE_EQ(info.georeference.right, 36);
}

TEST_F(RasterImport, FloatTiffModelScalesHeightsAndBlanksNodata) {
  testing::TiffModel model;
  model.width = 20;
  model.height = 18;
  model.bits = 32;
  model.sampleFormat = SAMPLEFORMAT_IEEEFP;
  model.tileSide = 16;
  model.nodata = "-9999";
  model.values.assign(20 * 18, 0.0);
  for (int i = 0; i < 20 * 18; ++i) model.values[i] = 100.0 + (i % 20) * 0.5;  // 100 .. 109.5
  model.values[0] = -9999;
  model.values[1] = std::nan("");
  model.geo = true;
  model.pixelIsPoint = true;
  model.pixelWidth = 2;
  model.pixelHeight = 2;
  model.left = 10;
  model.top = 20;
  const std::string path = folder.File("dem.tiff");
  ASSERT_TRUE(testing::WriteTiffModel(path, model));

  RasterBandData band;
  std::string reason;
  ASSERT_EQ(ReadRasterBand(path, 1, band, reason), GeoReadResult::Ok) << reason;
  EXPECT_TRUE(band.hasNodata);
  EXPECT_EQ(band.nodata, -9999);
  std::vector<std::uint16_t> heights(band.samples.size());
  HeightsOfSamples(band.samples, band.hasNodata, band.nodata, heights);
  ASSERT_EQ(heights.size(), 360u);
  EXPECT_EQ(heights[0], 0);                  // nodata
  EXPECT_EQ(heights[1], 0);                  // NaN
  EXPECT_EQ(heights[20], 0);                 // the lowest height, 100
  EXPECT_EQ(heights[39], 63999);             // the highest, 109.5
  EXPECT_EQ(heights[20 * 17 + 10], 33683);   // 105: 5 / 9.5 of 63999, truncated

  ASSERT_EQ(OpenBase(path, kImageTypeElevation), 0);
  // Pixel is point: the tiepoint is the centre of the first pixel.
  EXPECT_DOUBLE_EQ(info.georeference.left, 9);
  EXPECT_DOUBLE_EQ(info.georeference.top, 21);
  EXPECT_DOUBLE_EQ(info.georeference.right, 49);
}

TEST_F(RasterImport, TiffThatIsNoModelIsRefused) {
  CImage colour;
  ASSERT_TRUE(colour.Create(4, 3, 24));
  ASSERT_TRUE(colour.Save(folder.File("photo.tif"), kImageFormatTiff));
  EXPECT_NE(OpenBase(folder.File("photo.tif"), kImageTypeElevation), 0);
  EXPECT_EQ(host.OnlyMessageText(), kCannotLoad);
  EXPECT_EQ(stack.LayerCount(), 0);
}

}  // namespace
}  // namespace linea
