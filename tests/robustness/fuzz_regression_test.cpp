// Inputs that the fuzz targets found making a reader fail, read back by the
// readers they broke (the files are under tests/data/fuzz, see its README).

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/string_table.h"
#include "geo/gdal_raster.h"
#include "layers/raster_import.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

const std::string kData = std::string(LINEA_TEST_DATA_DIR) + "/fuzz/";

TEST(FuzzRegression, FoundGridWithANotANumberZMinimumIsRefused) {
  // 20 cells announced, 3 values held: refused before any height is converted.
  CTestHost host;
  const std::string path = kData + "grid_read_nan_zmin.grd";
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  GridExtent extent;
  EXPECT_EQ(ReadGrid(host, path, samples, width, height, extent), 1);
  EXPECT_EQ(host.OnlyMessageText(), LoadText(32839) + " " + FormatText(LoadText(32802).c_str(), path.c_str()));
}

TEST(FuzzRegression, GridWithoutAFiniteZMinimumGivesFlatHeights) {
  CTempFolder folder;
  for (const char* zMinimum : {"nan", "-inf", "inf"}) {
    SCOPED_TRACE(zMinimum);
    CTestHost host;
    WriteTextFile(folder.File("z.grd"), std::string("DSAA 3 1 0 2 0 1 ") + zMinimum + " 10 1 5 1e300\n");
    std::vector<std::uint16_t> samples;
    int width = 0, height = 0;
    GridExtent extent;
    ASSERT_EQ(ReadGrid(host, folder.File("z.grd"), samples, width, height, extent), 0);
    EXPECT_EQ(samples, std::vector<std::uint16_t>(3, 0));
    EXPECT_TRUE(host.messages.empty());
  }
}

TEST(FuzzRegression, GridAnnouncingMoreCellsThanItsTextHoldsIsRefusedAtOnce) {
  CTempFolder folder;
  CTestHost host;
  const std::string path = folder.File("huge.grd");
  // 32767 x 32767 cells would be 2 GB of samples; the file holds three values.
  WriteTextFile(path, "DSAA\n32767 32767\n0 1\n0 1\n0 100\n1 2 3\n");
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  GridExtent extent;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadGrid(host, path, samples, width, height, extent), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(host.OnlyMessageText(),
            LoadText(32839) + " " + FormatText(LoadText(32802).c_str(), path.c_str()));
  EXPECT_TRUE(samples.empty());
}

TEST(FuzzRegression, TiffModelAnnouncingMoreCellsThanItsDataIsRefusedAtOnce) {
  RasterBandData band;
  std::string reason;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(ReadRasterBand(kData + "elevation_tiff_huge_claim.tif", 1, band, reason), GeoReadResult::Ok);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(band.samples.empty());
}

// A 248-byte TIFF announcing 11776 pixel-interleaved bands of 32518 x 6: reading its
// first band would read 1.5 GB strips.
TEST(FuzzRegression, RasterOfManyInterleavedBandsIsRefusedAtOnce) {
  RasterBandData band;
  std::string reason;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadRasterBand(kData + "gdal_many_bands.tif", 1, band, reason), GeoReadResult::Unsupported);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(band.samples.empty());
}

// 346 bytes announcing 65535 bands of 6 x 4: GDAL spent seconds building and
// dropping the band objects.
TEST(FuzzRegression, TiffOfTooManyBandsIsRefusedBeforeGdalOpensIt) {
  RasterBandData band;
  std::string reason;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadRasterBand(kData + "gdal_65535_bands.tif", 1, band, reason), GeoReadResult::Unsupported);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_EQ(reason, "too many bands");
}

}  // namespace
}  // namespace linea
