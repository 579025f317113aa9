// "Сохранить Растр..." and "Сохранить Вектор" in the window: the selected layer or
// the composed picture written where the dialog says, the filter's extension added,
// a cancelled dialog writing nothing, and the vector command only with a drawing.

#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

#include <gdal.h>
#include <ogr_api.h>

#include <memory>

#include "app/commands.h"
#include "app/export_commands.h"
#include "app/image_viewer_app.h"
#include "base/string_table.h"
#include "demo_project.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"

namespace linea {
namespace {

class ExportCommands : public ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    const std::string project = WriteDemo();
    ASSERT_FALSE(project.empty());
    app = std::make_unique<CImageViewerApp>(host, *settings);
    ASSERT_TRUE(app->InitInstance(project, false));
    GDALAllRegister();
  }
  QAction* Action(int id) {
    app->Commands().UpdateCommandStates();
    return app->Commands().Action(id);
  }
  // Opens the written raster with GDAL: its band count, 0 when it cannot.
  int Bands(const std::string& path) {
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
    if (!ds) return 0;
    const int bands = GDALGetRasterCount(ds);
    EXPECT_EQ(GDALGetRasterXSize(ds), int(app->Workspace().results.imageWidth));
    GDALClose(ds);
    return bands;
  }
};

TEST_F(ExportCommands, RasterOfTheSelectedLayerOrOfThePicture) {
  ASSERT_TRUE(Action(32779)->isEnabled());
  // The base layer selected: one band of palette indices, ".tif" from the first entry.
  CLayer* base = app->Workspace().layerStack.FindLayer(LoadText(32817));
  ASSERT_NE(base, nullptr);
  app->Frame().LayersBar().SelectLayer(base);
  host.saveFiles.push_back(ChosenFile{folder.File("base"), 0});
  Action(32779)->trigger();
  EXPECT_EQ(Bands(folder.File("base.tif")), 1);
  EXPECT_EQ(host.saveRequests.back().filter, kGeoRasterSaveFilter);

  // Nothing selected: the composed picture in colour, as PNG.
  app->Frame().LayersBar().List()->setCurrentItem(nullptr);
  host.saveFiles.push_back(ChosenFile{folder.File("picture"), 1});
  Action(32779)->trigger();
  EXPECT_EQ(Bands(folder.File("picture.png")), 3);

  // Cancelled: nothing more written, no message.
  const auto before = ListFolder(folder.Path());
  host.saveFiles.push_back(std::nullopt);
  Action(32779)->trigger();
  EXPECT_EQ(ListFolder(folder.Path()), before);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ExportCommands, VectorOnlyWithAVisibleDrawing) {
  CLayerStack& stack = app->Workspace().layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i)
    if (dynamic_cast<CVectorLayer3*>(stack.LayerAt(i))) stack.LayerAt(i)->SetVisible(false);
  EXPECT_FALSE(Action(32877)->isEnabled());
  auto drawing = std::make_unique<CVectorLayer3>("Схема", true);
  const PolylinePoint points[] = {{1, 2}, {30, 40}};
  ASSERT_FALSE(drawing->AddPolyline32(points, 0x0000FF, 2));
  stack.AddLayer(std::move(drawing));
  ASSERT_TRUE(Action(32877)->isEnabled());
  host.saveFiles.push_back(ChosenFile{folder.File("drawings"), 0});
  Action(32877)->trigger();
  GDALDatasetH ds = GDALOpenEx(folder.File("drawings.gpkg").c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(ds, nullptr) << (host.messages.empty() ? "" : host.messages.back().text);
  OGRLayerH table = GDALDatasetGetLayerByName(ds, "Схема");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(OGR_L_GetFeatureCount(table, TRUE), 1);
  GDALClose(ds);
}

TEST(ExportExtensions, TheFilterEntryGivesTheExtensionOfANameWithoutOne) {
  EXPECT_EQ(WithRasterExtension("/d/a", 2), "/d/a.jpg");
  EXPECT_EQ(WithRasterExtension("/d/a.PNG", 0), "/d/a.PNG");
  EXPECT_EQ(WithRasterExtension("/d/a.b", 7), "/d/a.b.tif");
  EXPECT_EQ(WithVectorExtension("/d/a", 1), "/d/a.geojson");
  EXPECT_EQ(WithVectorExtension("/d/a.shp", 0), "/d/a.shp");
}

}  // namespace
}  // namespace linea
