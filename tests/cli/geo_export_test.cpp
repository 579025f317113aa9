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
#include "layers/raster_layer.h"
#include "imaging/image.h"
#include "layers/vector_layer3.h"
#include "project/geo_export.h"
#include "project/workspace.h"
#include "results/isolines.h"
#include "results/lineaments.h"
#include "support/epsg_wkt.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

constexpr double kLeft = 183557, kTop = 8258937, kCell = 30;
constexpr int kWidth = 60, kHeight = 40;

// Reads every feature of `table` as (class, value_from, value_to, first vertex).
struct IsolineRow {
  int classNumber;
  double from, to, x, y;
};
std::vector<IsolineRow> ReadIsolineRows(OGRLayerH table) {
  std::vector<IsolineRow> rows;
  OGR_L_ResetReading(table);
  while (OGRFeatureH f = OGR_L_GetNextFeature(table)) {
    OGRGeometryH line = OGR_F_GetGeometryRef(f);
    rows.push_back({OGR_F_GetFieldAsInteger(f, OGR_F_GetFieldIndex(f, "class")),
                    OGR_F_GetFieldAsDouble(f, OGR_F_GetFieldIndex(f, "value_from")),
                    OGR_F_GetFieldAsDouble(f, OGR_F_GetFieldIndex(f, "value_to")), OGR_G_GetX(line, 0),
                    OGR_G_GetY(line, 0)});
    OGR_F_Destroy(f);
  }
  return rows;
}


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
  // Exports the project with the layer options through linea-cli, and builds the
  // same layers in process into `rendered`, so that a test knows what was drawn.
  void ExportAndRenderInProcess(const std::vector<std::string>& layerOptions, const std::string& out) {
    std::vector<std::string> arguments{"export", project};
    arguments.insert(arguments.end(), layerOptions.begin(), layerOptions.end());
    arguments.insert(arguments.end(), {"-o", out});
    const CliRun run = RunCliCaptured(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    RenderRequest request;
    std::vector<std::string> renderArguments{project};
    renderArguments.insert(renderArguments.end(), layerOptions.begin(), layerOptions.end());
    renderArguments.insert(renderArguments.end(), {"-o", "x.png"});
    ASSERT_EQ(ParseRenderArguments(renderArguments, request), "");
    ASSERT_EQ(BuildRenderLayers(request, rendered, renderHost, stderr), 0);
  }
  CTempFolder folder;
  std::string project;
  CTestHost renderHost;
  CWorkspace rendered{renderHost};
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
  workspace.saveSettings.crsWkt = WktOfEpsg(32723);
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
  // The same layers built in process, to know the polylines.
  ASSERT_NO_FATAL_FAILURE(ExportAndRenderInProcess({"--lineaments", "--threshold", "0"}, out));
  const CVectorLayer3* drawing = nullptr;
  for (int i = 0; i < rendered.layerStack.LayerCount(); ++i)
    if (auto* d = dynamic_cast<const CVectorLayer3*>(rendered.layerStack.LayerAt(i)); d && d->IsVisible()) drawing = d;
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
  // Value and group: the strongest stored lineament cell on the polyline's vertices.
  const CResults& results = rendered.results;
  ASSERT_EQ(results.gridWidth, results.imageWidth);  // rate 1: vertices are grid cells
  int expectedValue = -1, expectedGroup = -1;
  for (const PolylinePoint& p : group.Polyline(0))
    for (const LineamentRecord& r : results.lineaments)
      if (LineamentColumn(r) == p.x && LineamentRow(r) == p.y && int(r.Length()) > expectedValue) {
        expectedValue = r.Length();
        expectedGroup = LineamentGroup(r);
      }
  EXPECT_GE(expectedValue, 0);
  EXPECT_EQ(OGR_F_GetFieldAsInteger(feature, OGR_F_GetFieldIndex(feature, "value")), expectedValue);
  EXPECT_EQ(OGR_F_GetFieldAsInteger(feature, OGR_F_GetFieldIndex(feature, "group")), expectedGroup);
  const double direction = OGR_F_GetFieldAsDouble(feature, OGR_F_GetFieldIndex(feature, "direction"));
  EXPECT_GE(direction, 0.0);
  EXPECT_LT(direction, 180.0);
  OGR_F_Destroy(feature);
  GDALClose(ds);
}

TEST_F(GeoExport, IsolinesAsGeoPackageCarryTheClassAndRangeOfTheirMap) {
  const std::string out = folder.File("isolines.gpkg");
  // The class map built in process, to know its classes and scale.
  ASSERT_NO_FATAL_FAILURE(ExportAndRenderInProcess({"--map", "density", "--isolines"}, out));
  const auto* map = dynamic_cast<const CRasterLayer*>(rendered.layerStack.FindLayer(rendered.LastRoseMapName()));
  ASSERT_NE(map, nullptr);
  ASSERT_GT(map->classWidth, 0.0);

  GDALDatasetH ds = GDALOpenEx(out.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(ds, nullptr);
  OGRLayerH table = GDALDatasetGetLayerByName(ds, (rendered.LastRoseMapName() + "_").c_str());
  ASSERT_NE(table, nullptr);
  const std::vector<IsolineRow> rows = ReadIsolineRows(table);
  ASSERT_FALSE(rows.empty());
  for (const IsolineRow& row : rows) {
    ASSERT_GE(row.classNumber, 1);
    ASSERT_LE(row.classNumber, map->classes);
    EXPECT_NEAR(row.from, map->From + (row.classNumber - 1) * map->classWidth, 1e-9);
    EXPECT_NEAR(row.to - row.from, map->classWidth, 1e-9);
    // The line starts on a pixel of its class.
    const int x = int(std::floor((row.x - kLeft) / kCell)), y = int(std::floor((kTop - row.y) / kCell));
    ASSERT_TRUE(x >= 0 && y >= 0 && x < map->Image().GetWidth() && y < map->Image().GetHeight());
    EXPECT_EQ(map->Image().Row(y)[x], row.classNumber);
  }
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

namespace linea {
namespace {

// Upper left corner (1000, 2000), cells of 10 m.
Georeference TenMetreGeoreference() {
  Georeference g;
  g.known = true;
  g.left = 1000;
  g.top = 2000;
  g.pixelWidth = 10;
  g.pixelHeight = -10;
  return g;
}

TEST(GeoExportPieces, ClassMapCarriesItsPaletteAndClassRanges) {
  CTestHost host;
  CLayerStack stack(host);
  CRasterLayer map("Карта", true);
  ASSERT_TRUE(map.Image().Create(4, 2, 8));
  map.Image().SetColorForIndex(3, MakeColor(10, 20, 30));
  map.Image().Row(1)[2] = 3;
  map.classes = 3;
  map.From = 10;
  map.classWidth = 2.5;
  RasterToWrite raster;
  ASSERT_TRUE(RasterOfLayer(&map, stack, raster));
  EXPECT_EQ(raster.bands, 1);
  EXPECT_TRUE(raster.hasPalette);
  EXPECT_EQ(raster.palette[3], MakeColor(10, 20, 30));
  EXPECT_EQ(raster.pixels[1 * 4 + 2], 3);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"FROM", "10"}, {"CLASS_WIDTH", "2.5"}, {"CLASSES", "3"}, {"CLASS_1", "10 12.5"}, {"CLASS_2", "12.5 15"},
      {"CLASS_3", "15 17.5"}};
  EXPECT_EQ(raster.bandMetadata, expected);
  // A mask (no values behind its classes) has no ranges.
  map.classWidth = -1.0;
  ASSERT_TRUE(RasterOfLayer(&map, stack, raster));
  EXPECT_TRUE(raster.bandMetadata.empty());
  // A drawing is no raster.
  CVectorLayer3 drawing("Схема", true);
  EXPECT_FALSE(RasterOfLayer(&drawing, stack, raster));
}

TEST(GeoExportPieces, DrawingsBecomeTablesOfVisibleLayersInWorldCoordinates) {
  CTestHost host;
  CLayerStack stack(host);
  auto drawing = std::make_unique<CVectorLayer3>("Схема", true);
  const PolylinePoint north[] = {{10, 20}, {10, 10}};  // up the image: north
  const PolylinePoint east[] = {{0, 0}, {3, 0}, {3, 4}};
  ASSERT_FALSE(drawing->AddPolyline32(north, MakeColor(255, 0, 16), 3));
  ASSERT_FALSE(drawing->AddPolyline32(east, MakeColor(0, 0, 255), 1));
  drawing->SetDescription("Разлом");
  stack.AddLayer(std::move(drawing));
  auto hidden = std::make_unique<CVectorLayer3>("Скрытый", true);
  ASSERT_FALSE(hidden->AddPolyline32(north, 0, 1));
  hidden->SetVisible(false);
  stack.AddLayer(std::move(hidden));

  const std::vector<VectorTable> tables = DrawingTables(stack, TenMetreGeoreference());
  ASSERT_EQ(tables.size(), 1u);
  const VectorTable& t = tables[0];
  EXPECT_EQ(t.name, "Схема");
  ASSERT_EQ(t.features.size(), 2u);
  const VectorFeature& up = t.features[0];
  EXPECT_EQ(up.points[0], (std::array<double, 2>{1105, 1795}));  // pixel centres
  EXPECT_EQ(up.points[1], (std::array<double, 2>{1105, 1895}));
  ASSERT_EQ(up.values.size(), t.fields.size());
  EXPECT_EQ(std::get<std::string>(up.values[1]), "#ff0010");
  EXPECT_EQ(std::get<std::int64_t>(up.values[2]), 3);
  EXPECT_DOUBLE_EQ(std::get<double>(up.values[3]), 0.0);    // direction: north
  EXPECT_DOUBLE_EQ(std::get<double>(up.values[4]), 100.0);  // length in metres
  EXPECT_EQ(std::get<std::string>(up.values[5]), "Разлом");
  const VectorFeature& bend = t.features[1];
  EXPECT_DOUBLE_EQ(std::get<double>(bend.values[4]), 70.0);  // 30 east, then 40 south
  // From (0,0) to (3,4) pixels: 30 m east, 40 m south: azimuth 143.13 degrees.
  EXPECT_NEAR(std::get<double>(bend.values[3]), 143.1301, 1e-3);
}

TEST(GeoExportPieces, IsolinesCarryTheirClassAndItsValueRange) {
  GDALAllRegister();
  CTestHost host;
  CLayerStack stack(host);
  // 12 x 12: class 1 on the left, class 3 on the right of column 6; From 100, width 5.
  auto map = std::make_unique<CRasterLayer>("Розы 1", true);
  ASSERT_TRUE(map->Image().Create(12, 12, 8));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) map->Image().Row(y)[x] = x < 6 ? 1 : 3;
  map->classes = 3;
  map->From = 100;
  map->classWidth = 5;
  map->steps = 3;
  map->stepBoundaries = {1, 2, 3};
  map->red[1] = 200;
  map->green[3] = 200;
  stack.AddLayer(std::move(map));
  CResults results;
  results.imageWidth = results.imageHeight = 12;
  // Named by the user: nothing in the name tells the source map.
  ASSERT_EQ(BuildIsolinesLayer(results, stack, "Розы 1", "Граница"), 0);
  // A drawing that is no isoline drawing gets no class fields.
  auto scheme = std::make_unique<CVectorLayer3>("Схема", true);
  const PolylinePoint line[] = {{1, 1}, {2, 2}};
  ASSERT_FALSE(scheme->AddPolyline32(line, 0, 1));
  stack.AddLayer(std::move(scheme));

  const std::vector<VectorTable> tables = DrawingTables(stack, TenMetreGeoreference());
  ASSERT_EQ(tables.size(), 2u);
  CTempFolder folder;
  for (const char* name : {"iso.gpkg", "iso.shp"}) {
    const std::string out = folder.File(name);
    std::string reason;
    ASSERT_EQ(WriteVectorFile(out, tables, {}, reason), 0) << reason;
    GDALDatasetH ds = GDALOpenEx(out.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr) << name;
    const bool shapefile = std::string(name).ends_with(".shp");
    OGRLayerH table = shapefile ? GDALDatasetGetLayer(ds, 0) : GDALDatasetGetLayerByName(ds, "Граница");
    ASSERT_NE(table, nullptr) << name;
    if (shapefile) OGR_L_SetAttributeFilter(table, "\"layer\" = 'Граница'");
    const std::vector<IsolineRow> rows = ReadIsolineRows(table);
    ASSERT_FALSE(rows.empty()) << name;
    for (const IsolineRow& row : rows) {
      // The border is traced on its higher side: class 3, values 110 .. 115, at column 6.
      EXPECT_EQ(row.classNumber, 3) << name;
      EXPECT_DOUBLE_EQ(row.from, 110.0) << name;
      EXPECT_DOUBLE_EQ(row.to, 115.0) << name;
      EXPECT_DOUBLE_EQ(row.x, 1000 + 6.5 * 10) << name;
    }
    if (shapefile) {
      OGR_L_SetAttributeFilter(table, "\"layer\" = 'Схема'");
      OGR_L_ResetReading(table);
      OGRFeatureH f = OGR_L_GetNextFeature(table);
      ASSERT_NE(f, nullptr);
      EXPECT_FALSE(OGR_F_IsFieldSetAndNotNull(f, OGR_F_GetFieldIndex(f, "class")) &&
                   OGR_F_GetFieldAsInteger(f, OGR_F_GetFieldIndex(f, "class")) != 0);
      OGR_F_Destroy(f);
    } else {
      OGRLayerH other = GDALDatasetGetLayerByName(ds, "Схема");
      ASSERT_NE(other, nullptr);
      EXPECT_LT(OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(other), "class"), 0);
    }
    GDALClose(ds);
  }

  // Lines drawn onto the isolines afterwards, into a traced group and a new one, have
  // no class; the traced lines keep theirs.
  auto* isolines = dynamic_cast<CVectorLayer3*>(stack.FindLayer("Граница"));
  ASSERT_NE(isolines, nullptr);
  ASSERT_FALSE(isolines->AddPolyline32(line, MakeColor(0, 200, 0), 1));
  ASSERT_FALSE(isolines->AddPolyline32(line, MakeColor(9, 9, 9), 1));
  const VectorTable after = DrawingTables(stack, TenMetreGeoreference())[0];
  ASSERT_EQ(after.name, "Граница");
  ASSERT_EQ(after.features.size(), tables[0].features.size() + 2);
  const std::size_t classField = after.fields.size() - 3;
  ASSERT_EQ(after.fields[classField].name, "class");
  for (std::size_t i = 0; i < after.features.size(); ++i)
    EXPECT_EQ(std::get<std::int64_t>(after.features[i].values[classField]),
              i + 2 < after.features.size() ? 3 : -1)
        << i;
}

}  // namespace
}  // namespace linea
