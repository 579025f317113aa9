// linea-cli export and the export of the window's commands, read back with GDAL's
// own API: the elevation model's base in its grid's extent and CRS, the composed
// picture with a world file, the lineaments as GeoPackage features in world
// coordinates.

#include <gtest/gtest.h>

#include <gdal.h>
#include <cpl_conv.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cmath>

#include "base/string_table.h"
#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli_support.h"
#include "demo_generator.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "project/geo_export.h"
#include "project/workspace.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

constexpr double kLeft = 183557, kTop = 8258937, kCell = 30;
constexpr int kWidth = 60, kHeight = 40;

class GeoExport : public ::testing::Test {
 protected:
  void SetUp() override {
    DemoGeneratorOptions options;
    project = folder.File("dtm.orw");
    const std::string problem = ParseDemoArguments(
        {"--kind", "dtm", "--size", "60x40", "--seed", "3", "--extent", "183557", "185357", "8257737", "8258937",
         "--out", project},
        options);
    ASSERT_EQ(problem, "");
    CCliHost host;
    ASSERT_EQ(GenerateDemoProject(host, options), 0);
    GDALAllRegister();
  }
  CTempFolder folder;
  std::string project;
};

TEST_F(GeoExport, ElevationBaseAsGeoTiffHasTheGridsExtentAndTheProjectsCrs) {
  const std::string out = folder.File("base.tif");
  const CliRun run = RunCliCaptured({"export", project, "-o", out, "--layer", "Исходное"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  GDALDatasetH ds = GDALOpen(out.c_str(), GA_ReadOnly);
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(GDALGetRasterXSize(ds), kWidth);
  EXPECT_EQ(GDALGetRasterYSize(ds), kHeight);
  double t[6];
  ASSERT_EQ(GDALGetGeoTransform(ds, t), CE_None);
  EXPECT_DOUBLE_EQ(t[0], kLeft);
  EXPECT_DOUBLE_EQ(t[3], kTop);
  EXPECT_DOUBLE_EQ(t[1], kCell);
  EXPECT_DOUBLE_EQ(t[5], -kCell);
  EXPECT_EQ(GDALGetRasterCount(ds), 1);
  EXPECT_NE(GDALGetRasterColorTable(GDALGetRasterBand(ds, 1)), nullptr);
  GDALClose(ds);

  // With a CRS in the save settings, the GeoTIFF names it.
  CTestHost host;
  CWorkspace workspace(host);
  ASSERT_TRUE(workspace.LoadProject(project));
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, 32723);
  char* wkt = nullptr;
  OSRExportToWkt(srs, &wkt);
  workspace.saveSettings.crsWkt = wkt;
  CPLFree(wkt);
  OSRRelease(srs);
  const std::string placed = folder.File("placed.tif");
  ASSERT_EQ(ExportRaster(workspace, workspace.layerStack.FindLayer("Исходное"), placed), 0)
      << host.OnlyMessageText();
  ds = GDALOpen(placed.c_str(), GA_ReadOnly);
  ASSERT_NE(ds, nullptr);
  const OGRSpatialReferenceH read = GDALGetSpatialRef(ds);
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(OSRGetAuthorityCode(read, nullptr), "32723");
  GDALClose(ds);
}

TEST_F(GeoExport, ComposedPictureAsPngGetsAStandardWorldFile) {
  const std::string out = folder.File("picture.png");
  const CliRun run = RunCliCaptured({"export", project, "--highlight", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(ReadTextFile(folder.File("picture.pgw")),
            "30.0000000000\n0.0000000000\n0.0000000000\n-30.0000000000\n183572.0000000000\n8258922.0000000000\n");
  GDALDatasetH ds = GDALOpen(out.c_str(), GA_ReadOnly);
  ASSERT_NE(ds, nullptr);
  EXPECT_EQ(GDALGetRasterCount(ds), 3);  // RGB
  double t[6];
  ASSERT_EQ(GDALGetGeoTransform(ds, t), CE_None);  // GDAL reads our world file
  EXPECT_DOUBLE_EQ(t[0], kLeft);
  EXPECT_DOUBLE_EQ(t[3], kTop);
  GDALClose(ds);
}

TEST_F(GeoExport, LineamentsAsGeoPackageOneFeaturePerPolylineInWorldCoordinates) {
  const std::string out = folder.File("lineaments.gpkg");
  const CliRun run = RunCliCaptured({"export", project, "--lineaments", "--threshold", "0", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  // The same layers built in process, to know the polylines.
  RenderRequest request;
  ASSERT_EQ(ParseRenderArguments({project, "--lineaments", "--threshold", "0", "-o", "x.png"}, request), "");
  CTestHost host;
  CWorkspace workspace(host);
  ASSERT_EQ(BuildRenderLayers(request, workspace, host, stderr), 0);
  const CVectorLayer3* drawing = nullptr;
  for (int i = 0; i < workspace.layerStack.LayerCount(); ++i)
    if (auto* d = dynamic_cast<const CVectorLayer3*>(workspace.layerStack.LayerAt(i)); d && d->IsVisible()) drawing = d;
  ASSERT_NE(drawing, nullptr);
  int polylines = 0;
  for (int g = 0; g < drawing->GroupCount(); ++g)
    for (int p = 0; p < drawing->Group(g).PolylineCount(); ++p) polylines += !drawing->Group(g).Polyline(p).empty();
  ASSERT_GT(polylines, 0);

  GDALDatasetH ds = GDALOpenEx(out.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(ds, nullptr);
  OGRLayerH table = GDALDatasetGetLayerByName(ds, drawing->GetName().c_str());
  ASSERT_NE(table, nullptr) << drawing->GetName();
  EXPECT_EQ(OGR_L_GetFeatureCount(table, TRUE), polylines);
  OGR_L_ResetReading(table);
  OGRFeatureH feature = OGR_L_GetNextFeature(table);
  ASSERT_NE(feature, nullptr);
  const CPolylineGroup& group = drawing->Group(0);
  const PolylinePoint first = group.Polyline(0)[0];
  OGRGeometryH line = OGR_F_GetGeometryRef(feature);
  ASSERT_EQ(OGR_G_GetPointCount(line), int(std::max<std::size_t>(group.Polyline(0).size(), 2)));
  // The centre of the vertex's cell, to the metre.
  EXPECT_NEAR(OGR_G_GetX(line, 0), kLeft + (first.x + 0.5) * kCell, 1.0);
  EXPECT_NEAR(OGR_G_GetY(line, 0), kTop - (first.y + 0.5) * kCell, 1.0);
  const std::uint32_t c = group.GetColor();
  EXPECT_EQ(std::string(OGR_F_GetFieldAsString(feature, OGR_F_GetFieldIndex(feature, "color"))),
            FormatText("#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
  EXPECT_EQ(OGR_F_GetFieldAsInteger(feature, OGR_F_GetFieldIndex(feature, "width")), group.GetWidth());
  const double direction = OGR_F_GetFieldAsDouble(feature, OGR_F_GetFieldIndex(feature, "direction"));
  EXPECT_GE(direction, 0.0);
  EXPECT_LT(direction, 180.0);
  OGR_F_Destroy(feature);
  GDALClose(ds);
}

TEST_F(GeoExport, RefusalsTellWhyAndWriteNothing) {
  CliRun run = RunCliCaptured({"export", project, "-o", folder.File("x.bmp")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errors.find("the output must end in"), std::string::npos);
  run = RunCliCaptured({"export", project, "-o", folder.File("x.gpkg")});  // no drawing built
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "Массив данных пуст.\n");
  run = RunCliCaptured({"export", project, "-o", folder.File("x.tif"), "--layer", "Нет такого"});
  EXPECT_EQ(run.exitCode, 2);
  const std::string unwritable = folder.File("no-folder/x.tif");
  run = RunCliCaptured({"export", project, "-o", unwritable});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors.rfind("Не удается ", 0), 0u) << run.errors;
  EXPECT_NE(run.errors.find(unwritable), std::string::npos) << run.errors;
  for (const char* name : {"x.bmp", "x.gpkg", "x.tif"}) EXPECT_FALSE(FileExists(folder.File(name))) << name;
}

}  // namespace
}  // namespace linea
