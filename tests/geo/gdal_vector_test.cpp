// Line features through GDAL: GeoPackage with a table per drawing, the one-table
// formats with the drawings merged, read back with OGR.

#include <gtest/gtest.h>

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>
#include <cpl_conv.h>

#include "geo/gdal_vector.h"
#include "support/test_files.h"

namespace linea {
namespace {

std::vector<VectorTable> TwoDrawings() {
  VectorTable lines;
  lines.name = "Линеаменты";
  lines.fields = {{"color", VectorFieldKind::Text}, {"width", VectorFieldKind::Integer}};
  lines.features.push_back({{{100.5, 200.5}, {130.5, 170.5}}, {std::string("#ff0000"), std::int64_t(2)}});
  lines.features.push_back({{{1, 2}, {3, 4}, {5, 6}}, {std::string("#00ff00"), std::int64_t(1)}});
  VectorTable iso;
  iso.name = "Изолинии";
  iso.fields = {{"color", VectorFieldKind::Text}, {"value", VectorFieldKind::Real}};
  iso.features.push_back({{{7, 8}}, {std::string("#0000ff"), 2.5}});  // a dot
  return {lines, iso};
}

const char* kUtm = "EPSG:32723";

TEST(GdalVector, GeoPackageHasOneTablePerDrawingWithItsFields) {
  CTempFolder folder;
  const std::string path = folder.File("out.gpkg");
  std::string reason;
  ASSERT_EQ(WriteVectorFile(path, TwoDrawings(), "", reason), 0) << reason;
  GDALAllRegister();
  GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(ds, nullptr);
  ASSERT_EQ(GDALDatasetGetLayerCount(ds), 2);
  OGRLayerH lines = GDALDatasetGetLayerByName(ds, "Линеаменты");
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(OGR_L_GetFeatureCount(lines, TRUE), 2);
  OGR_L_ResetReading(lines);
  OGRFeatureH first = OGR_L_GetNextFeature(lines);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(OGR_F_GetFieldAsString(first, OGR_F_GetFieldIndex(first, "color")), "#ff0000");
  EXPECT_EQ(OGR_F_GetFieldAsInteger64(first, OGR_F_GetFieldIndex(first, "width")), 2);
  OGRGeometryH line = OGR_F_GetGeometryRef(first);
  ASSERT_EQ(OGR_G_GetPointCount(line), 2);
  EXPECT_EQ(OGR_G_GetX(line, 1), 130.5);
  EXPECT_EQ(OGR_G_GetY(line, 1), 170.5);
  OGR_F_Destroy(first);
  OGRLayerH iso = GDALDatasetGetLayerByName(ds, "Изолинии");
  ASSERT_NE(iso, nullptr);
  OGR_L_ResetReading(iso);
  OGRFeatureH dot = OGR_L_GetNextFeature(iso);
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(OGR_G_GetPointCount(OGR_F_GetGeometryRef(dot)), 2);  // one vertex twice
  EXPECT_EQ(OGR_F_GetFieldAsDouble(dot, OGR_F_GetFieldIndex(dot, "value")), 2.5);
  OGR_F_Destroy(dot);
  GDALClose(ds);
}

TEST(GdalVector, OneTableFormatsMergeTheDrawingsAndKeepTheCrs) {
  CTempFolder folder;
  GDALAllRegister();
  // The CRS comes as WKT; make it from the EPSG code with OGR.
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  ASSERT_EQ(OSRSetFromUserInput(srs, kUtm), OGRERR_NONE);
  char* wkt = nullptr;
  OSRExportToWkt(srs, &wkt);
  const std::string crs = wkt;
  CPLFree(wkt);
  OSRRelease(srs);
  for (const char* name : {"out.geojson", "out.shp"}) {
    const std::string path = folder.File(name);
    std::string reason;
    ASSERT_EQ(WriteVectorFile(path, TwoDrawings(), crs, reason), 0) << name << ": " << reason;
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr) << name;
    ASSERT_EQ(GDALDatasetGetLayerCount(ds), 1) << name;
    OGRLayerH layer = GDALDatasetGetLayer(ds, 0);
    EXPECT_EQ(OGR_L_GetFeatureCount(layer, TRUE), 3) << name;
    OGRSpatialReferenceH read = OGR_L_GetSpatialRef(layer);
    ASSERT_NE(read, nullptr) << name;
    EXPECT_STREQ(OSRGetAuthorityCode(read, nullptr), "32723") << name;
    OGR_L_ResetReading(layer);
    int isolines = 0;
    while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
      if (std::string(OGR_F_GetFieldAsString(f, OGR_F_GetFieldIndex(f, "layer"))) == "Изолинии") ++isolines;
      OGR_F_Destroy(f);
    }
    EXPECT_EQ(isolines, 1) << name;
    GDALClose(ds);
  }
  for (const char* part : {"out.shp", "out.shx", "out.dbf", "out.prj"})
    EXPECT_TRUE(FileExists(folder.File(part))) << part;
}

TEST(GdalVector, RefusalsWriteNothing) {
  CTempFolder folder;
  std::string reason;
  EXPECT_EQ(WriteVectorFile(folder.File("out.kml"), TwoDrawings(), "", reason), 17);
  EXPECT_EQ(WriteVectorFile(folder.File("out.gpkg"), {}, "", reason), 17);
  reason.clear();
  EXPECT_NE(WriteVectorFile(folder.File("none/out.gpkg"), TwoDrawings(), "", reason), 0);
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(ListFolder(folder.Path()).empty());
  // A CRS that is no WKT is not looked up as a file or an address: the features
  // are written without one.
  ASSERT_EQ(WriteVectorFile(folder.File("out.geojson"), TwoDrawings(), "/etc/passwd", reason), 0) << reason;
}

}  // namespace
}  // namespace linea
