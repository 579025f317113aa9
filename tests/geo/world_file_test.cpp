// World files: the names looked for, the centre-of-pixel convention both ways, and
// agreement with the world files GDAL itself writes.

#include <gtest/gtest.h>

#include <gdal.h>

#include <cstdio>

#include "geo/georeference.h"
#include "support/test_files.h"

namespace linea {
namespace {

TEST(WorldFile, NamesAreTheDescribedOneThenThoseOfGisTools) {
  EXPECT_EQ(WorldFileCandidates("/d/map.bmp"),
            (std::vector<std::string>{"/d/map.bfw", "/d/map.bpw", "/d/map.bmpw", "/d/map.wld"}));
  EXPECT_EQ(WorldFileCandidates("/d/map.tif"),
            (std::vector<std::string>{"/d/map.tfw", "/d/map.tifw", "/d/map.wld"}));  // tfw only once
  EXPECT_EQ(WorldFileCandidates("/d/map.jpg")[1], "/d/map.jgw");
  EXPECT_EQ(WorldFileCandidates("/d/MAP.PNG")[1], "/d/MAP.PGW");
  EXPECT_EQ(ExportWorldFilePath("/d/out.png"), "/d/out.pgw");
  EXPECT_EQ(ExportWorldFilePath("/d/out.jpeg"), "/d/out.jgw");
  EXPECT_EQ(ExportWorldFilePath("/d/out"), "/d/out.wld");
}

TEST(WorldFile, TheFirstNameThatExistsIsRead) {
  CTempFolder folder;
  const std::string image = folder.File("map.png");
  EXPECT_EQ(FindWorldFile(image), "");
  WriteTextFile(folder.File("map.wld"), "1 0 0 -1 0.5 9.5\n");
  EXPECT_EQ(FindWorldFile(image), folder.File("map.wld"));
  WriteTextFile(folder.File("map.pgw"), "1 0 0 -1 0.5 9.5\n");
  EXPECT_EQ(FindWorldFile(image), folder.File("map.pgw"));
  WriteTextFile(folder.File("map.pfw"), "1 0 0 -1 0.5 9.5\n");  // the described name comes first
  EXPECT_EQ(FindWorldFile(image), folder.File("map.pfw"));
}

TEST(WorldFile, FifthAndSixthValuesAreTheUpperLeftPixelsCentre) {
  CTempFolder folder;
  WriteTextFile(folder.File("a.tfw"), "30\n0\n0\n-30\n183572\n8258922\n");
  Georeference g;
  g.crsWkt = "kept";
  ASSERT_TRUE(ReadWorldFile(folder.File("a.tfw"), 382, 422, g));
  EXPECT_TRUE(g.known);
  EXPECT_DOUBLE_EQ(g.left, 183557);
  EXPECT_DOUBLE_EQ(g.top, 8258937);
  EXPECT_DOUBLE_EQ(g.right, 183557 + 382 * 30);
  EXPECT_DOUBLE_EQ(g.bottom, 8258937 - 422 * 30);
  EXPECT_EQ(g.crsWkt, "kept");
  // Written back the same.
  EXPECT_EQ(WorldFileText(GeoTransformOf(g)),
            "30.0000000000\n0.0000000000\n0.0000000000\n-30.0000000000\n183572.0000000000\n8258922.0000000000\n");
  // At zoom 2 the pixels halve and the centre moves with them.
  EXPECT_EQ(WorldFileText(GeoTransformOf(g), 2.0),
            "15.0000000000\n0.0000000000\n0.0000000000\n-15.0000000000\n183564.5000000000\n8258929.5000000000\n");
}

TEST(WorldFile, BadFilesLeaveTheGeoreferenceAsItWas) {
  CTempFolder folder;
  Georeference g;
  g.left = 12;
  for (const char* text : {"", "1 0 0 -1 5", "1 0 0 0 5 6", "0 0 0 -1 5 6", "1 0 0 -1 x 6", "1 0 0 -1 nan 6",
                           "1 0 0 -1 1e999 6"}) {
    WriteTextFile(folder.File("b.wld"), text);
    EXPECT_FALSE(ReadWorldFile(folder.File("b.wld"), 4, 4, g)) << text;
    EXPECT_FALSE(g.known);
    EXPECT_EQ(g.left, 12);
  }
  EXPECT_FALSE(ReadWorldFile(folder.File("missing.wld"), 4, 4, g));
  EXPECT_FALSE(ReadWorldFile(folder.Path(), 4, 4, g));  // a directory
}

// GDAL writes a world file for a PNG it creates; ours and its place the image alike.
TEST(WorldFile, OursAndGdalsGiveTheSameCorner) {
  GDALAllRegister();
  CTempFolder folder;
  GDALDatasetH memory = GDALCreate(GDALGetDriverByName("MEM"), "", 5, 4, 1, GDT_Byte, nullptr);
  double transform[6] = {1000.25, 2.5, 0, 5000.75, 0, -2.5};
  GDALSetGeoTransform(memory, transform);
  const char* const options[] = {"WORLDFILE=YES", nullptr};
  const std::string png = folder.File("g.png");
  GDALDatasetH copy = GDALCreateCopy(GDALGetDriverByName("PNG"), png.c_str(), memory, FALSE,
                                     const_cast<char**>(options), nullptr, nullptr);
  ASSERT_NE(copy, nullptr);
  GDALClose(copy);
  GDALClose(memory);
  const std::string gdalWorld = FindWorldFile(png);
  ASSERT_FALSE(gdalWorld.empty());
  Georeference theirs, ours;
  ASSERT_TRUE(ReadWorldFile(gdalWorld, 5, 4, theirs));
  EXPECT_DOUBLE_EQ(theirs.left, 1000.25);
  EXPECT_DOUBLE_EQ(theirs.top, 5000.75);

  WriteTextFile(folder.File("o.wld"), WorldFileText({1000.25, 2.5, 0, 5000.75, 0, -2.5}));
  ASSERT_TRUE(ReadWorldFile(folder.File("o.wld"), 5, 4, ours));
  EXPECT_DOUBLE_EQ(ours.left, theirs.left);
  EXPECT_DOUBLE_EQ(ours.top, theirs.top);
  // And GDAL reads ours as we meant it.
  std::remove(gdalWorld.c_str());
  WriteTextFile(folder.File("g.pgw"), WorldFileText({1000.25, 2.5, 0, 5000.75, 0, -2.5}));
  GDALDatasetH reopened = GDALOpen(png.c_str(), GA_ReadOnly);
  ASSERT_NE(reopened, nullptr);
  double read[6];
  ASSERT_EQ(GDALGetGeoTransform(reopened, read), CE_None);
  GDALClose(reopened);
  EXPECT_DOUBLE_EQ(read[0], 1000.25);
  EXPECT_DOUBLE_EQ(read[3], 5000.75);
}

TEST(WorldFile, RotatedTransformSurvivesTheRoundTrip) {
  CTempFolder folder;
  const GeoTransform t{100, 2, 0.5, 200, 0.25, -2};
  WriteTextFile(folder.File("r.wld"), WorldFileText(t));
  Georeference g;
  ASSERT_TRUE(ReadWorldFile(folder.File("r.wld"), 10, 8, g));
  const GeoTransform back = GeoTransformOf(g);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(back[i], t[i], 1e-9) << i;
  EXPECT_NEAR(g.right, 100 + 10 * 2 + 8 * 0.5, 1e-9);
  EXPECT_NEAR(g.bottom, 200 + 10 * 0.25 - 8 * 2, 1e-9);
}

}  // namespace
}  // namespace linea
