// Elevation models and pictures that only GDAL reads, made in the test with GDAL:
// Float32 GeoTIFFs with nodata, SRTM .hgt tiles, 16-bit greyscale GeoTIFFs.

#include <gtest/gtest.h>

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <functional>

#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/elevation_model.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"
#include "support/epsg_wkt.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

// Writes a one-band raster of `type` through `driver` (via an in-memory copy).
void WriteRaster(const std::string& path, const char* driver, GDALDataType type, int width, int height,
                 const std::function<double(int, int)>& value, const double* transform, const std::string& wkt,
                 const double* nodata = nullptr) {
  GDALAllRegister();
  GDALDatasetH memory = GDALCreate(GDALGetDriverByName("MEM"), "", width, height, 1, type, nullptr);
  ASSERT_NE(memory, nullptr);
  if (transform) GDALSetGeoTransform(memory, const_cast<double*>(transform));
  if (!wkt.empty()) GDALSetProjection(memory, wkt.c_str());
  GDALRasterBandH band = GDALGetRasterBand(memory, 1);
  if (nodata) GDALSetRasterNoDataValue(band, *nodata);
  std::vector<double> values(std::size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) values[std::size_t(y) * width + x] = value(x, y);
  ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, width, height, values.data(), width, height, GDT_Float64, 0, 0),
            CE_None);
  GDALDatasetH copy =
      GDALCreateCopy(GDALGetDriverByName(driver), path.c_str(), memory, FALSE, nullptr, nullptr, nullptr);
  ASSERT_NE(copy, nullptr) << CPLGetLastErrorMsg();
  GDALClose(copy);
  GDALClose(memory);
}

class GdalImport : public ::testing::Test {
 protected:
  GdalImport() : stack(host) {}
  int OpenBase(const std::string& path, int type) {
    return OpenBaseImage(host, path, stack, "Исходное", type, 0, 0, 0, info);
  }
  CBitmapLayer* Base() { return dynamic_cast<CBitmapLayer*>(stack.FindLayer("Исходное")); }
  CTestHost host;
  CLayerStack stack;
  CTempFolder folder;
  BaseRasterInfo info;
};

// A hill with a plateau and a pit, so that the descent has flats to resolve.
double Relief(int x, int y) {
  if (x >= 3 && x <= 5 && y >= 3 && y <= 4) return 250.0;  // plateau
  if (x == 8 && y == 6) return 90.0;                          // pit
  return 300.0 - std::hypot(x - 4.3, y - 3.7) * 17.25;
}

TEST_F(GdalImport, FloatModelWithNodataDescendsLikeTheSameHeightsAsAGrid) {
  const int w = 11, h = 9;
  const double nodata = -9999;
  auto value = [](int x, int y) { return x == 0 && y == 0 ? -9999.0 : Relief(x, y); };
  const double transform[6] = {183557, 30, 0, 8258937, 0, -30};
  const std::string tif = folder.File("dem.tif");
  WriteRaster(tif, "GTiff", GDT_Float32, w, h, value, transform, WktOfEpsg(32723), &nodata);

  // The same heights (as Float32 keeps them) as a DSAA grid: first row the lowest y,
  // nodata a blank cell, z range the heights' own.
  double low = 1e300, high = -1e300;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (value(x, y) != nodata) {
        low = std::min(low, double(float(value(x, y))));
        high = std::max(high, double(float(value(x, y))));
      }
  std::string grid = FormatText("DSAA\n%d %d\n0 %d\n0 %d\n%.17g %.17g\n", w, h, w - 1, h - 1, low, high);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x)
      grid += value(x, y) == nodata ? "1.70141e+38 " : FormatText("%.17g ", double(float(value(x, y))));
    grid += "\n";
  }
  WriteTextFile(folder.File("dem.grd"), grid);

  ASSERT_EQ(OpenBase(folder.File("dem.grd"), kImageTypeElevation), 0) << host.OnlyMessageText();
  const std::vector<std::uint8_t> gridDescent = info.descentGrid;
  const CImage gridPicture = Base()->Image();
  ASSERT_EQ(OpenBase(tif, kImageTypeElevation), 0) << host.OnlyMessageText();
  EXPECT_EQ(info.imageType, kImageTypeElevation);
  EXPECT_EQ(info.bytesPerPixel, 2);
  EXPECT_EQ(info.width, std::uint32_t(w));
  ASSERT_EQ(info.descentGrid.size(), std::size_t(w * h));
  EXPECT_EQ(info.descentGrid, gridDescent);
  EXPECT_NE(std::count(gridDescent.begin(), gridDescent.end(), kDescentNone), w * h);  // something descends
  // The picture too; the nodata cell is blank (the lowest grey).
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(Base()->Image().Row(y)[x], gridPicture.Row(y)[x]) << x << "," << y;
  EXPECT_EQ(Base()->Image().Row(0)[0], 0);
  EXPECT_EQ(Base()->GetDescription(), "11x9x16 DTM dem.tif");
  // Georeference and CRS from the file.
  ASSERT_TRUE(info.georeference.known);
  EXPECT_EQ(info.georeference.left, 183557);
  EXPECT_EQ(info.georeference.top, 8258937);
  EXPECT_EQ(info.georeference.bottom, 8258937 - 9 * 30);
  EXPECT_NE(info.georeference.crsWkt.find("UTM zone 23S"), std::string::npos);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(GdalImport, SrtmTileOpensWithItsPlaceAndVoidsBlank) {
  // SRTM3: 1201 x 1201 cells of 3 arc seconds; the file name gives the corner.
  const int side = 1201;
  const double step = 1.0 / 1200;
  const double transform[6] = {6 - step / 2, step, 0, 46 + step / 2, 0, -step};
  const double voidValue = -32768;
  const std::string path = folder.File("N45E006.hgt");
  WriteRaster(path, "SRTMHGT", GDT_Int16, side, side,
              [](int x, int y) { return x == 600 && y == 600 ? -32768.0 : 200.0 + x + 2 * y; }, transform,
              WktOfEpsg(4326), &voidValue);
  ASSERT_EQ(OpenBase(path, kImageTypeElevation), 0) << host.OnlyMessageText();
  EXPECT_EQ(info.width, 1201u);
  EXPECT_EQ(info.height, 1201u);
  ASSERT_TRUE(info.georeference.known);
  EXPECT_NEAR(info.georeference.left, 6 - step / 2, 1e-9);
  EXPECT_NEAR(info.georeference.top, 46 + step / 2, 1e-9);
  EXPECT_NE(info.georeference.crsWkt.find("WGS 84"), std::string::npos);
  EXPECT_EQ(Base()->Image().Row(600)[600], 0);  // the void is blank
  EXPECT_EQ(Base()->Image().Row(1200)[1200], 255);
  // The surface falls to the north-west everywhere: interior cells drain diagonally there.
  EXPECT_EQ(info.descentGrid[std::size_t(300) * side + 300], 4);
}

TEST_F(GdalImport, SixteenBitGreyscaleIsReducedLikeARawFileAndKeepsItsCrs) {
  const double transform[6] = {1000, 2, 0, 5000, 0, -2};
  const std::string path = folder.File("scene.tif");
  // Samples 0, 256, 512, 1023 as in a 16-bit raw file: step 4.
  const double samples[4] = {0, 256, 512, 1023};
  WriteRaster(path, "GTiff", GDT_UInt16, 2, 2, [&](int x, int y) { return samples[y * 2 + x]; }, transform,
              WktOfEpsg(32633));
  ASSERT_EQ(OpenBase(path, kImageTypeGreyscale), 0) << host.OnlyMessageText();
  const CImage& image = Base()->Image();
  EXPECT_EQ(image.Row(0)[0], 0);
  EXPECT_EQ(image.Row(0)[1], 64);
  EXPECT_EQ(image.Row(1)[0], 128);
  EXPECT_EQ(image.Row(1)[1], 255);
  EXPECT_EQ(image.GetColorFromIndex(200), MakeColor(200, 200, 200));
  EXPECT_EQ(info.bytesPerPixel, 2);
  EXPECT_EQ(info.georeference.left, 1000);
  EXPECT_NE(info.georeference.crsWkt.find("UTM zone 33N"), std::string::npos);
}

TEST_F(GdalImport, WorldFileUnderAGisNameWinsAndTheCrsStaysGdals) {
  const std::string path = folder.File("scene.tif");
  WriteRaster(path, "GTiff", GDT_Byte, 4, 4, [](int x, int y) { return x * 10 + y; }, nullptr, WktOfEpsg(32633));
  WriteTextFile(folder.File("scene.tifw"), "10\n0\n0\n-10\n105\n295\n");
  ASSERT_EQ(OpenBase(path, kImageTypeGreyscale), 0) << host.OnlyMessageText();
  ASSERT_TRUE(info.georeference.known);
  EXPECT_EQ(info.georeference.left, 100);
  EXPECT_EQ(info.georeference.top, 300);
  EXPECT_NE(info.georeference.crsWkt.find("UTM zone 33N"), std::string::npos);
}

TEST_F(GdalImport, ARasterNobodyReadsGivesTheFileAndTheReason) {
  const std::string path = folder.File("model.hgt");
  WriteTextFile(path, "not an elevation model");
  EXPECT_NE(OpenBase(path, kImageTypeElevation), 0);
  const std::string text = host.OnlyMessageText();
  const std::string expected =
      LoadText(32839) + " " + FormatText(LoadText(32802).c_str(), path.c_str()) + " ";
  EXPECT_EQ(text.rfind(expected, 0), 0u) << text;
  EXPECT_GT(text.size(), expected.size());  // GDAL's reason
  EXPECT_EQ(stack.LayerCount(), 0);
  EXPECT_FALSE(info.georeference.known);
}

}  // namespace
}  // namespace linea
