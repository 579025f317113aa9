// The window driven where work used to be lost silently: failed raster saves,
// the last layer deleted, a base image dialog cancelled, parameters changed over
// a project whose only layer is the stripes, a flat elevation model, and the
// parameter dialog of an empty project.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <memory>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/string_table.h"
#include "demo_project.h"
#include "imaging/image.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/compress_dlg.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/main_calc_dialog.h"
#include "ui/main_frame.h"

namespace linea {
namespace {

const std::string kCannotOpen = "Не удается открыть файл.";

class NothingLostTest : public ProgramWindowTest {
 protected:
  std::string Demo(const DemoProjectOptions& options = {}) {
    std::string project = WriteDemo("demo", options);
    EXPECT_FALSE(project.empty());
    return project;
  }
  void Start(const std::optional<std::string>& project = std::nullopt) {
    StartProgram(project, 900, 700);
  }
  // The demo project with its base raster gone: the stripes can be its only layer.
  void StartWithoutBaseRaster() {
    Demo();
    std::remove(folder.File("demo.bmp").c_str());
    Start(folder.File("demo.orw"));
    host.messages.clear();  // the missing raster has been told
  }
  CLayer* Layer(int nameId) { return Ws().layerStack.FindLayer(LoadText(nameId)); }
  std::string WriteGrey(const std::string& name, int width, int height, std::uint8_t level) {
    CImage image;
    EXPECT_TRUE(image.Create(width, height, 8));
    for (int i = 0; i < 256; ++i)
      image.SetColorForIndex(i, MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.Row(y)[x] = level;
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.Save(path, kImageFormatBmp));
    return path;
  }
  // The calculation-parameter dialog as the user fills it: `fill` then OK.
  void RunSettings(const std::function<void(CMainCalcDialog&)>& fill, bool pressOk = true) {
    host.dialogSteps.push_back([fill, pressOk](QDialog& dialog) {
      auto& calc = dynamic_cast<CMainCalcDialog&>(dialog);
      fill(calc);
      if (pressOk) calc.accept();
    });
    EditCalcParameters(*app);
  }
};

TEST_F(NothingLostTest, AMaskSaveThatFailsIsToldAndKeepsTheSavedPath) {
  Start(Demo());
  host.OpenFile(WriteGrey("mask.bmp", 480, 360, 0));
  Choose(32860);
  ASSERT_NE(Layer(162), nullptr);
  const std::string good = folder.File("demo_mask.tif");
  host.saveFiles.push_back(ChosenFile{good, 0});
  Choose(32863);
  ASSERT_EQ(Ws().maskImagePath, good);
  EXPECT_TRUE(host.messages.empty());

  host.saveFiles.push_back(ChosenFile{folder.File("no/such/folder/mask.tif"), 0});
  Choose(32863);
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kCannotOpen});
  EXPECT_EQ(Ws().maskImagePath, good);
  // The project saved now names the mask that exists, and opens with it.
  ASSERT_TRUE(app->Document().DoSave(false));
  CTestHost reader;
  CWorkspace reopened(reader);
  ASSERT_TRUE(reopened.LoadProject(folder.File("demo.orw")));
  EXPECT_NE(reopened.layerStack.FindLayer(LoadText(162)), nullptr);
  EXPECT_TRUE(reader.messages.empty());
}

TEST_F(NothingLostTest, ABlocksSaveThatFailsIsToldAndKeepsTheOpenedPath) {
  Start(Demo());
  const std::string blocks = WriteGrey("blocks.bmp", 480, 360, 3);
  host.OpenFile(blocks);
  Choose(32875);
  ASSERT_NE(Layer(32837), nullptr);
  ASSERT_EQ(Ws().blocksImagePath, blocks);
  host.saveFiles.push_back(ChosenFile{folder.File("missing/blocks.raw"), 1});
  Choose(32873);
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kCannotOpen});
  EXPECT_EQ(Ws().blocksImagePath, blocks);
  EXPECT_FALSE(FileExists(folder.File("missing/blocks.raw")));
}

TEST_F(NothingLostTest, ACompressionThatCannotWriteItsFileIsTold) {
  Start(Demo());
  host.dialogSteps.push_back([](QDialog& dialog) {
    dialog.findChild<QLineEdit*>()->setText("2");
    dialog.accept();
  });
  host.saveFiles.push_back(ChosenFile{folder.File("gone/half.tif"), 0});
  Choose(32851);
  EXPECT_EQ(host.dialogsRun, 1);
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kCannotOpen});

  // A file that is written shows nothing.
  host.dialogSteps.push_back([](QDialog& dialog) {
    dialog.findChild<QLineEdit*>()->setText("2");
    dialog.accept();
  });
  host.saveFiles.push_back(ChosenFile{folder.File("half.tif"), 0});
  Choose(32851);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(FileExists(folder.File("half.tif")));
}

TEST_F(NothingLostTest, DeletingTheLastLayerAsksFirstAndCancelKeepsEverything) {
  StartWithoutBaseRaster();
  Choose(32842);
  CLayer* stripes = Layer(32818);
  ASSERT_NE(stripes, nullptr);
  ASSERT_EQ(Ws().layerStack.LayerCount(), 1);
  app->Document().SetModifiedFlag(true);
  Frame().LayersBar().Refill();
  Frame().LayersBar().SelectLayer(stripes);

  host.messageAnswers.push_back(MessageAnswer::Cancel);
  Choose(kLayerDelete);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Сохранить изменения в demo.orw?");
  EXPECT_EQ(Layer(32818), stripes);
  EXPECT_TRUE(Ws().results.hasStripes);
  EXPECT_TRUE(app->Document().IsModified());
  EXPECT_EQ(app->Document().PathName(), folder.File("demo.orw"));

  // No: the project is given up for a new one.
  host.messageAnswers.push_back(MessageAnswer::No);
  Frame().LayersBar().Refill();
  Frame().LayersBar().SelectLayer(Layer(32818));
  Choose(kLayerDelete);
  EXPECT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_FALSE(Ws().results.hasStripes);
  EXPECT_FALSE(app->Document().IsModified());
  EXPECT_EQ(app->Document().PathName(), "");
}

TEST_F(NothingLostTest, CancellingTheBaseImageDialogKeepsTheOpenProject) {
  Start(Demo());
  ASSERT_NE(Layer(32817), nullptr);
  for (int command : {32786, 32776, 32781}) {
    Choose(command);  // the file dialog is cancelled
    EXPECT_NE(Layer(32817), nullptr) << command;
    EXPECT_TRUE(Ws().results.hasStripes) << command;
    EXPECT_EQ(app->Document().PathName(), folder.File("demo.orw")) << command;
  }
  EXPECT_EQ(host.openRequests.size(), 3u);
  EXPECT_TRUE(host.messages.empty());

  // A chosen file replaces the project.
  host.OpenFile(WriteGrey("other.bmp", 40, 30, 9));
  Choose(32786);
  EXPECT_EQ(Ws().baseImagePath, folder.File("other.bmp"));
  EXPECT_FALSE(Ws().results.hasStripes);
  EXPECT_EQ(Ws().results.imageWidth, 40u);
}

TEST_F(NothingLostTest, ChangingTheRateOverAStripesOnlyProjectKeepsTheProject) {
  StartWithoutBaseRaster();
  Choose(32842);
  ASSERT_NE(Layer(32818), nullptr);
  ASSERT_EQ(Ws().layerStack.LayerCount(), 1);

  RunSettings([](CMainCalcDialog& dialog) { dialog.Edit(1125)->setText("2"); });
  EXPECT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  EXPECT_DOUBLE_EQ(Ws().params.Rate, 2.0);
  EXPECT_EQ(Ws().results.gridWidth, 240u);
  EXPECT_EQ(Ws().results.gridHeight, 180u);
  EXPECT_FALSE(Ws().results.hasStripes);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_EQ(app->Document().PathName(), folder.File("demo.orw"));
  EXPECT_TRUE(app->Document().IsModified());
}

TEST_F(NothingLostTest, AFlatElevationModelIsShownWithoutAFailure) {
  Start();
  WriteBytes(folder.File("flat.raw"), std::vector<std::uint8_t>(2 * 32 * 32, 7));
  host.OpenFile(folder.File("flat.raw"));
  host.imageSizes.push_back(ImageSizeAnswer{32, 32, 2});
  Choose(32776);
  ASSERT_NE(Layer(32817), nullptr);
  const QImage shown = app->View().viewport()->grab().toImage();
  QCoreApplication::processEvents();
  EXPECT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  const ViewPoint origin = app->View().ImageToWindowPoint(ViewPoint{0, 0});
  EXPECT_EQ(shown.pixel(origin.x + 3, origin.y + 3), qRgb(0, 0, 0));
}

TEST_F(NothingLostTest, SettingsOfAnEmptyProjectAcceptTheirDefaults) {
  Start();
  RunSettings([](CMainCalcDialog&) {});
  EXPECT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  EXPECT_EQ(host.dialogsRun, 1);
  EXPECT_EQ(Ws().params.rose_wind, 64);
  // The bound of every image still holds.
  RunSettings(
      [](CMainCalcDialog& dialog) {
        dialog.Edit(1032)->setText("1504");
        dialog.accept();  // refused: the dialog stays, and is then cancelled
        dialog.reject();
      },
      false);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Значение параметра Rose Window должно быть от 8 до 1500.");
  EXPECT_EQ(Ws().params.rose_wind, 64);
}

}  // namespace
}  // namespace linea
