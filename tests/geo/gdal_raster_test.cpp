// Rasters through GDAL: a band with nodata and its georeference in, pictures out as
// GeoTIFF (colour table, metadata, CRS) and PNG/JPEG with world files, read back
// with GDAL's own API.

#include <gtest/gtest.h>

#include <gdal.h>
#include <cpl_conv.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <filesystem>

#include "geo/gdal_raster.h"
#include "support/epsg_wkt.h"
#include "support/test_files.h"

namespace linea {
namespace {

// A Float32 GeoTIFF of width x height with the values f(x, y) and nodata -9999.
void WriteFloatTiff(const std::string& path, int width, int height, double (*f)(int, int)) {
  GDALAllRegister();
  GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), width, height, 1, GDT_Float32, nullptr);
  ASSERT_NE(ds, nullptr);
  double transform[6] = {500000, 30, 0, 6000000, 0, -30};
  GDALSetGeoTransform(ds, transform);
  GDALSetProjection(ds, WktOfEpsg(32723).c_str());
  GDALRasterBandH band = GDALGetRasterBand(ds, 1);
  GDALSetRasterNoDataValue(band, -9999);
  std::vector<float> values(std::size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) values[std::size_t(y) * width + x] = float(f(x, y));
  ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, width, height, values.data(), width, height, GDT_Float32, 0, 0),
            CE_None);
  GDALClose(ds);
}

TEST(GdalRaster, FloatBandComesWithNodataGeotransformAndCrs) {
  CTempFolder folder;
  const std::string path = folder.File("dem.tif");
  WriteFloatTiff(path, 4, 3, [](int x, int y) { return x == 3 && y == 0 ? -9999.0 : 100.5 + x + 10 * y; });
  RasterBandData band;
  std::string reason;
  ASSERT_EQ(ReadRasterBand(path, 1, band, reason), GeoReadResult::Ok) << reason;
  EXPECT_EQ(band.width, 4);
  EXPECT_EQ(band.height, 3);
  EXPECT_EQ(band.bitsPerSample, 32);
  EXPECT_FALSE(band.integerSamples);
  EXPECT_FALSE(band.colourBand);
  EXPECT_TRUE(band.hasNodata);
  EXPECT_EQ(band.nodata, -9999);
  ASSERT_EQ(band.samples.size(), 12u);
  EXPECT_EQ(band.samples[0], 100.5);
  EXPECT_EQ(band.samples[3], -9999);
  EXPECT_EQ(band.samples[4 * 2 + 1], 121.5);  // row 2, column 1: the first row is the top one
  ASSERT_TRUE(band.georeference.known);
  EXPECT_EQ(band.georeference.left, 500000);
  EXPECT_EQ(band.georeference.top, 6000000);
  EXPECT_EQ(band.georeference.right, 500120);
  EXPECT_EQ(band.georeference.bottom, 5999910);
  EXPECT_NE(band.georeference.crsWkt.find("UTM zone 23S"), std::string::npos);
  // Band 2 does not exist.
  EXPECT_EQ(ReadRasterBand(path, 2, band, reason), GeoReadResult::Unsupported);
}

TEST(GdalRaster, WhatGdalCannotReadIsRefusedWithItsReason) {
  CTempFolder folder;
  RasterBandData band;
  std::string reason;
  WriteTextFile(folder.File("x.tif"), "this is no raster at all");
  EXPECT_EQ(ReadRasterBand(folder.File("x.tif"), 1, band, reason), GeoReadResult::CannotOpen);
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_EQ(ReadRasterBand(folder.Path(), 1, band, reason), GeoReadResult::CannotOpen);  // a directory
  EXPECT_FALSE(reason.empty());
  // Virtual paths are not the user's files.
  EXPECT_EQ(ReadRasterBand("/vsimem/nothing.tif", 1, band, reason), GeoReadResult::CannotOpen);
  EXPECT_TRUE(band.samples.empty());
}

RasterToWrite ClassPicture() {
  RasterToWrite r;
  r.width = 3;
  r.height = 2;
  r.pixels = {0, 1, 2, 2, 1, 0};
  r.hasPalette = true;
  r.palette[1] = 0x0000FF;  // red
  r.palette[2] = 0xFF0000;  // blue
  r.georeference.known = true;
  r.georeference.left = 183557;
  r.georeference.top = 8258937;
  r.georeference.pixelWidth = 30;
  r.georeference.pixelHeight = -30;
  r.georeference.crsWkt = WktOfEpsg(32723);
  r.bandMetadata = {{"FROM", "10"}, {"CLASS_WIDTH", "2.5"}};
  return r;
}

TEST(GdalRaster, PalettedGeoTiffKeepsColoursPlaceCrsAndMetadata) {
  CTempFolder folder;
  const std::string path = folder.File("map.tif");
  std::string reason;
  ASSERT_EQ(WriteRasterFile(path, ClassPicture(), reason), 0) << reason;
  GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
  ASSERT_NE(ds, nullptr);
  double t[6];
  ASSERT_EQ(GDALGetGeoTransform(ds, t), CE_None);
  EXPECT_EQ(t[0], 183557);
  EXPECT_EQ(t[3], 8258937);
  EXPECT_EQ(t[1], 30);
  EXPECT_EQ(t[5], -30);
  EXPECT_NE(std::string(GDALGetProjectionRef(ds)).find("UTM zone 23S"), std::string::npos);
  GDALRasterBandH band = GDALGetRasterBand(ds, 1);
  EXPECT_EQ(GDALGetRasterDataType(band), GDT_Byte);
  GDALColorTableH table = GDALGetRasterColorTable(band);
  ASSERT_NE(table, nullptr);
  const GDALColorEntry* red = GDALGetColorEntry(table, 1);
  const GDALColorEntry* blue = GDALGetColorEntry(table, 2);
  EXPECT_EQ(red->c1, 255);
  EXPECT_EQ(red->c3, 0);
  EXPECT_EQ(blue->c3, 255);
  EXPECT_STREQ(GDALGetMetadataItem(band, "CLASS_WIDTH", nullptr), "2.5");
  std::uint8_t pixels[6] = {};
  ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, 3, 2, pixels, 3, 2, GDT_Byte, 0, 0), CE_None);
  GDALClose(ds);
  EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + 6), ClassPicture().pixels);
  // No side files beside it: no .aux.xml, no world file.
  EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"map.tif"});
}

TEST(GdalRaster, PngAndJpegGetWorldFilesAndJpegTheColours) {
  CTempFolder folder;
  std::string reason;
  ASSERT_EQ(WriteRasterFile(folder.File("map.png"), ClassPicture(), reason), 0) << reason;
  ASSERT_EQ(WriteRasterFile(folder.File("map.jpg"), ClassPicture(), reason), 0) << reason;
  Georeference g;
  ASSERT_TRUE(ReadWorldFile(folder.File("map.pgw"), 3, 2, g));
  EXPECT_DOUBLE_EQ(g.left, 183557);
  EXPECT_DOUBLE_EQ(g.top, 8258937);
  EXPECT_TRUE(FileExists(folder.File("map.jgw")));
  GDALDatasetH jpeg = GDALOpen(folder.File("map.jpg").c_str(), GA_ReadOnly);
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(GDALGetRasterCount(jpeg), 3);  // colours, not the indices
  GDALClose(jpeg);
}

TEST(GdalRaster, FailedWritesReplaceNothing) {
  CTempFolder folder;
  std::string reason;
  WriteTextFile(folder.File("old.tif"), "previous");
  RasterToWrite empty = ClassPicture();
  empty.pixels.pop_back();  // fewer bytes than the size says
  EXPECT_EQ(WriteRasterFile(folder.File("old.tif"), empty, reason), 17);
  EXPECT_EQ(WriteRasterFile(folder.File("old.bmp"), ClassPicture(), reason), 17);  // no such output format
  EXPECT_EQ(ReadTextFile(folder.File("old.tif")), "previous");
  const std::string unwritable = folder.File("no-folder/map.tif");
  reason.clear();
  EXPECT_NE(WriteRasterFile(unwritable, ClassPicture(), reason), 0);
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(FileExists(unwritable));
  EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"old.tif"});
}

TEST(GdalRaster, RgbPictureIsThreeBands) {
  CTempFolder folder;
  RasterToWrite r;
  r.width = 2;
  r.height = 1;
  r.bands = 3;
  r.pixels = {10, 20, 30, 40, 50, 60};
  std::string reason;
  ASSERT_EQ(WriteRasterFile(folder.File("rgb.tif"), r, reason), 0) << reason;
  GDALDatasetH ds = GDALOpen(folder.File("rgb.tif").c_str(), GA_ReadOnly);
  ASSERT_NE(ds, nullptr);
  ASSERT_EQ(GDALGetRasterCount(ds), 3);
  std::uint8_t green[2] = {};
  ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(ds, 2), GF_Read, 0, 0, 2, 1, green, 2, 1, GDT_Byte, 0, 0), CE_None);
  double t[6];
  EXPECT_NE(GDALGetGeoTransform(ds, t), CE_None);  // not placed: no geotransform written
  GDALClose(ds);
  EXPECT_EQ(green[0], 20);
  EXPECT_EQ(green[1], 50);
}

}  // namespace
}  // namespace linea
