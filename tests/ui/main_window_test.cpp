// The real window driven as a user would: projects opened by the command line and
// the menus, result layers switched from the menu and the panels toolbar, layers
// checked in the layers bar, the zoom commands and box, the context menu, and
// the pixels the view shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QWindow>

#include <array>
#include <memory>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/string_table.h"
#include "demo_project.h"
#include "imaging/image.h"
#include "project/workspace.h"
#include "results/stripes_layer.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"
#include "ui/roses_combine_dlg.h"
#include "ui/zoom_toolbar.h"

namespace linea {
namespace {

constexpr int kDemoWidth = 480;
const QRgb kWhite = qRgb(255, 255, 255);

class MainWindowTest : public ProgramWindowTest {
 protected:
  std::string Demo(const DemoProjectOptions& options = {}, const std::string& name = "demo") {
    std::string project = WriteDemo(name, options);
    EXPECT_FALSE(project.empty());
    return project;
  }

  QAction* Action(int id) {
    QAction* action = app->Commands().Action(id);
    EXPECT_NE(action, nullptr) << id;
    return action;
  }
  CLayer* Layer(int nameId) { return Ws().layerStack.FindLayer(LoadText(nameId)); }
  // Paints the view (composing first when a layer changed) and returns its pixels.
  QImage GrabView() { return View().viewport()->grab().toImage(); }
  QStringList ListNames() {
    QStringList names;
    for (int i = 0; i < Bar().List()->topLevelItemCount(); ++i) names << Bar().List()->topLevelItem(i)->text(0);
    return names;
  }
  QString ZoomBoxText() { return Frame().ZoomToolBar().ZoomBox()->currentText(); }
  // Types into the zoom box as a person does: the box takes the focus, the old
  // text is selected and replaced key by key, Enter ends it. Every key goes to
  // whichever widget has the focus.
  void TypeZoom(const QString& text) {
    CZoomBox* box = Frame().ZoomToolBar().ZoomBox();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    box->setFocus(Qt::MouseFocusReason);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_TRUE(focused == box || focused == box->lineEdit());
    QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }
  // The title as the window shows it, the modified mark put in.
  std::string ShownTitle() { return Frame().windowHandle()->title().toStdString(); }
  // Resizes the window until the view's client area has the size.
  void SetClientSize(int width, int height) {
    for (int i = 0; i < 6 && View().viewport()->size() != QSize(width, height); ++i) {
      const QSize delta = QSize(width, height) - View().viewport()->size();
      Frame().resize(Frame().size() + delta);
      QCoreApplication::processEvents();
    }
    ASSERT_EQ(View().viewport()->size(), QSize(width, height));
  }
  std::string WriteImage(const std::string& name, int width, int height, int bits, std::uint32_t colour) {
    CImage image;
    EXPECT_TRUE(image.Create(width, height, bits));
    if (bits == 8) image.SetColorForIndex(5, colour);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        if (bits == 8)
          image.SetColorForPixel(x, y, 5);
        else
          image.Fill(x, y, 1, 1, colour);
      }
    const std::string path = folder.File(name);
    EXPECT_TRUE(image.Save(path, kImageFormatBmp));
    return path;
  }
};

QRgb Grey(int level) { return qRgb(level, level, level); }

TEST_F(MainWindowTest, CommandLineProjectIsShownCentredWithItsTitleLayersAndPanel) {
  const std::string project = Demo();
  StartProgram(project);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(ShownTitle(), "demo - [480x360 GREYSCALE] - Linea");
  EXPECT_EQ(ListNames(), QStringList{QStringLiteral("Исходное")});
  EXPECT_EQ(Bar().List()->topLevelItem(0)->checkState(0), Qt::Checked);
  EXPECT_EQ(Frame().StatusText().toStdString(), "Готово");
  EXPECT_FALSE(Frame().CalcDock().isHidden());
  EXPECT_TRUE(Frame().CombineDock().isHidden());
  EXPECT_TRUE(Action(32785)->isChecked());
  EXPECT_EQ(ZoomBoxText().toStdString(), "100 %");

  const QImage shown = GrabView();
  const ViewRect rect = View().GetImageRect();
  ASSERT_EQ(rect.Width(), 480);
  ASSERT_EQ(rect.Height(), 360);
  EXPECT_EQ(rect.left, (View().viewport()->width() - 480) / 2);
  for (auto [x, y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {479, 359}, {100, 57}, {333, 222}}})
    EXPECT_EQ(shown.pixel(rect.left + x, rect.top + y), Grey(DemoImageLevel(x, y, kDemoWidth))) << x << "," << y;
  EXPECT_EQ(shown.pixel(rect.left - 1, rect.top), kWhite);
  EXPECT_EQ(shown.pixel(rect.left, rect.top - 1), kWhite);
  EXPECT_EQ(shown.pixel(rect.right, rect.bottom), kWhite);
  // Repaints copy the picture without composing it again.
  const int compositions = View().CompositionCount();
  GrabView();
  EXPECT_EQ(View().CompositionCount(), compositions);
  // The project's folder is the current one and heads the recent list.
  EXPECT_EQ(app->RecentProjects().front(), project);
  EXPECT_TRUE(Action(57616)->isVisible());
  EXPECT_EQ(Action(57616)->text().toStdString(), "&1 " + project);
}

TEST_F(MainWindowTest, StripesSwitchOnFromTheMenuAndOffFromThePanelsToolbar) {
  StartProgram(Demo());
  QAction* stripes = Action(32842);
  EXPECT_TRUE(app->Commands().Menu("Вид")->actions().contains(stripes));
  EXPECT_EQ(stripes->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));
  Choose(32842);
  CLayer* layer = Layer(32818);
  ASSERT_NE(layer, nullptr);
  EXPECT_TRUE(stripes->isChecked());
  auto* button = qobject_cast<QAbstractButton*>(Frame().PanelsToolBar().widgetForAction(stripes));
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->isChecked());
  EXPECT_EQ(ListNames(), (QStringList{QStringLiteral("Исходное"), QStringLiteral("Штрихи")}));

  // A stripe cell shows its code's colour over the image.
  std::array<std::uint8_t, 256> red{}, green{}, blue{}, used{};
  MakeStripesPalette(red, green, blue, used);
  const CResults& results = Ws().results;
  std::size_t cell = 0;
  while (cell < results.stripeCodes.size() && results.stripeCodes[cell] == 0) ++cell;
  ASSERT_LT(cell, results.stripeCodes.size());
  const int x = int(cell % results.gridWidth), y = int(cell / results.gridWidth);
  const int code = results.stripeCodes[cell];
  const QImage shown = GrabView();
  const ViewRect rect = View().GetImageRect();
  EXPECT_EQ(shown.pixel(rect.left + x, rect.top + y), qRgb(red[code], green[code], blue[code]));

  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(Layer(32818), nullptr);
  EXPECT_FALSE(stripes->isChecked());
  EXPECT_FALSE(button->isChecked());
  EXPECT_EQ(GrabView().pixel(rect.left + x, rect.top + y), Grey(DemoImageLevel(x, y, kDemoWidth)));
}

TEST_F(MainWindowTest, GlobalRoseSwitchesOnAndOffAndIsDrawnOverTheImage) {
  StartProgram(Demo());
  const QImage before = GrabView();
  Choose(32841);
  ASSERT_NE(Layer(32819), nullptr);
  EXPECT_TRUE(Action(32841)->isChecked());
  const QImage with = GrabView();
  EXPECT_NE(with, before);  // the rose's lines change pixels of the picture
  auto* button = qobject_cast<QAbstractButton*>(Frame().PanelsToolBar().widgetForAction(Action(32841)));
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(Layer(32819), nullptr);
  EXPECT_EQ(GrabView(), before);
}

TEST_F(MainWindowTest, ResultSwitchesFollowTheResultsTheProjectHolds) {
  DemoProjectOptions options;
  options.stripes = false;
  StartProgram(Demo(options));
  app->Commands().UpdateCommandStates();
  EXPECT_FALSE(Action(32842)->isEnabled());
  EXPECT_FALSE(Action(32841)->isEnabled());
  EXPECT_FALSE(Action(32845)->isEnabled());
  EXPECT_FALSE(Action(32844)->isEnabled());  // not an elevation model
  // Neither result panel can be shown without its results.
  EXPECT_FALSE(Action(32775)->isEnabled());
  EXPECT_FALSE(Action(32777)->isEnabled());
  EXPECT_TRUE(Action(32771)->isEnabled());
}

TEST_F(MainWindowTest, CheckingASecondRasterUnchecksTheFirstAndComposesOnce) {
  StartProgram(Demo());
  const std::string overlay = WriteImage("overlay.bmp", 480, 360, 8, MakeColor(200, 30, 40));
  host.OpenFile(overlay);
  host.layerNames.push_back("Обзор");
  Choose(32778);
  ASSERT_EQ(ListNames(), (QStringList{QStringLiteral("Исходное"), QStringLiteral("Обзор")}));
  QTreeWidgetItem* base = Bar().List()->topLevelItem(0);
  QTreeWidgetItem* view = Bar().List()->topLevelItem(1);
  EXPECT_EQ(base->checkState(0), Qt::Unchecked);
  EXPECT_EQ(view->checkState(0), Qt::Checked);
  EXPECT_FALSE(app->Document().IsModified());  // a raster for viewing does not change the project
  const ViewRect rect = View().GetImageRect();
  EXPECT_EQ(GrabView().pixel(rect.left + 10, rect.top + 10), qRgb(200, 30, 40));

  const int before = View().CompositionCount();
  base->setCheckState(0, Qt::Checked);  // the user ticks the base image
  EXPECT_EQ(view->checkState(0), Qt::Unchecked);
  EXPECT_FALSE(Ws().layerStack.FindLayer("Обзор")->IsVisible());
  EXPECT_TRUE(Layer(32817)->IsVisible());
  const QImage shown = GrabView();
  GrabView();
  EXPECT_EQ(View().CompositionCount(), before + 1);
  EXPECT_EQ(shown.pixel(rect.left + 10, rect.top + 10), Grey(DemoImageLevel(10, 10, kDemoWidth)));

  // Unticking the only visible raster leaves a white picture of the project's size.
  base->setCheckState(0, Qt::Unchecked);
  EXPECT_FALSE(Layer(32817)->IsVisible());
  EXPECT_EQ(GrabView().pixel(rect.left + 10, rect.top + 10), kWhite);
}

TEST_F(MainWindowTest, WithoutShowAtOnceTheShowButtonAppears) {
  StartProgram(Demo());
  EXPECT_TRUE(Bar().ShowButton()->isHidden());
  Bar().SetShowAtOnce(false);
  EXPECT_FALSE(Bar().ShowButton()->isHidden());
  Bar().SetShowAtOnce(true);
  EXPECT_TRUE(Bar().ShowButton()->isHidden());
}

TEST_F(MainWindowTest, HoveringALayerShowsItsDescriptionInTheBarAndStatusLine) {
  StartProgram(Demo());
  QTreeWidget* list = Bar().List();
  emit list->itemEntered(list->topLevelItem(0), 0);
  const std::string description = Layer(32817)->GetDescription();
  ASSERT_FALSE(description.empty());
  EXPECT_EQ(Bar().DescriptionText().toStdString(), description);
  EXPECT_EQ(Frame().StatusText().toStdString(), description);
}

TEST_F(MainWindowTest, ZoomInThreeTimesGives337AndZoomOutGives66) {
  StartProgram(Demo());
  for (int i = 0; i < 3; ++i) Choose(32771);
  EXPECT_DOUBLE_EQ(View().Zoom(), 3.375);
  EXPECT_TRUE(ZoomBoxText().startsWith(QStringLiteral("337")));
  Choose(32795);
  EXPECT_DOUBLE_EQ(View().Zoom(), 1.0);
  Choose(32772);
  EXPECT_TRUE(ZoomBoxText().startsWith(QStringLiteral("66")));
}

TEST_F(MainWindowTest, TypedZoomIsTakenAndBadTextsAreRefusedWithTheirMessage) {
  StartProgram(Demo());
  TypeZoom(QStringLiteral("150"));
  EXPECT_DOUBLE_EQ(View().Zoom(), 1.5);
  EXPECT_EQ(ZoomBoxText().toStdString(), "150 %");
  EXPECT_TRUE(host.messages.empty());

  TypeZoom(QStringLiteral("150%"));
  TypeZoom(QStringLiteral("0"));
  ASSERT_EQ(host.messages.size(), 2u);
  for (const ShownMessage& message : host.messages) {
    EXPECT_EQ(message.text, "Недопустимый коэффициент масштабирования.");
    EXPECT_EQ(message.caption, "Linea");
  }
  EXPECT_DOUBLE_EQ(View().Zoom(), 1.5);
  TypeZoom(QStringLiteral("abc"));
  EXPECT_EQ(host.messages.size(), 3u);
  EXPECT_DOUBLE_EQ(View().Zoom(), 1.5);
  EXPECT_EQ(ZoomBoxText().toStdString(), "150 %");  // the box shows the zoom in force
  // A typed number is the number: "20" is not completed to the listed "200 %".
  TypeZoom(QStringLiteral("20"));
  EXPECT_DOUBLE_EQ(View().Zoom(), 0.2);
  EXPECT_EQ(ZoomBoxText().toStdString(), "20 %");
  TypeZoom(QStringLiteral("150"));
  EXPECT_DOUBLE_EQ(View().Zoom(), 1.5);

  // Picking from the list works the same; leaving the box does not zoom.
  CZoomBox* box = Frame().ZoomToolBar().ZoomBox();
  // The list opened right after typing, while the box still has the focus.
  box->showPopup();
  box->view()->setCurrentIndex(box->model()->index(box->findText(QStringLiteral("50 %")), 0));
  QTest::keyClick(box->view(), Qt::Key_Return);
  EXPECT_DOUBLE_EQ(View().Zoom(), 0.5);
  box->setEditText(QStringLiteral("200 %"));
  emit box->activated(box->findText(QStringLiteral("200 %")));
  EXPECT_DOUBLE_EQ(View().Zoom(), 0.5);
}

TEST_F(MainWindowTest, ScaledViewShowsEachImagePixelAsABlockAndKeepsTheCentre) {
  StartProgram(Demo());
  // A client area smaller than the 480 x 360 image, which is then scrolled.
  Frame().resize(Frame().size() - (View().viewport()->size() - QSize(400, 300)));
  QCoreApplication::processEvents();
  const ViewSize client = View().ClientSize();
  ASSERT_LT(client.width, 480);
  ASSERT_LT(client.height, 360);
  GrabView();
  const ViewPoint scrollBefore = View().ScrollPosition();
  const int centreX = scrollBefore.x + client.width / 2, centreY = scrollBefore.y + client.height / 2;
  TypeZoom(QStringLiteral("200 %"));
  ASSERT_DOUBLE_EQ(View().Zoom(), 2.0);
  ASSERT_EQ(View().ClientSize(), client);
  const ViewPoint scroll = View().ScrollPosition();
  EXPECT_EQ(scroll.x, int(centreX * 2 - client.width * 0.5));
  EXPECT_EQ(scroll.y, int(centreY * 2 - client.height * 0.5));
  const QImage shown = GrabView();
  for (int wy = 0; wy < client.height; wy += 37)
    for (int wx = 0; wx < client.width; wx += 41) {
      const int ix = WindowToImage(wx, scroll.x, 0, 2.0), iy = WindowToImage(wy, scroll.y, 0, 2.0);
      EXPECT_EQ(shown.pixel(wx, wy), Grey(DemoImageLevel(ix, iy, kDemoWidth))) << wx << "," << wy;
    }
}

TEST_F(MainWindowTest, FitToWindowOf1000x500In800x600GivesPointEight) {
  DemoProjectOptions options;
  options.width = 1000;
  options.height = 500;
  StartProgram(Demo(options, "wide"));
  Choose(32797);  // without scroll bars first, so that the client area is at its largest
  SetClientSize(800, 600);
  Choose(32795);
  Choose(32797);
  EXPECT_DOUBLE_EQ(View().Zoom(), 0.8);
  EXPECT_EQ(ZoomBoxText().toStdString(), "80 %");
  const QImage shown = GrabView();
  EXPECT_EQ(View().GetImageRect(), (ViewRect{0, 100, 800, 500}));
  EXPECT_EQ(shown.pixel(400, 99), kWhite);
  EXPECT_EQ(shown.pixel(400, 500), kWhite);
  EXPECT_EQ(shown.pixel(0, 100), Grey(DemoImageLevel(0, 0, 1000)));
}

TEST_F(MainWindowTest, ContextMenuDeletesADeletableLayerAndGreysOutTheBase) {
  StartProgram(Demo());
  Choose(32842);
  CLayer* stripes = Layer(32818);
  ASSERT_NE(stripes, nullptr);

  std::unique_ptr<QMenu> baseMenu = Bar().BuildContextMenu(*Layer(32817));
  ASSERT_EQ(baseMenu->actions().size(), 1);
  EXPECT_EQ(baseMenu->actions()[0]->text().toStdString(), "Удалить");
  EXPECT_FALSE(baseMenu->actions()[0]->isEnabled());  // the base image cannot be deleted

  std::unique_ptr<QMenu> menu = Bar().BuildContextMenu(*stripes);
  EXPECT_EQ(Bar().SelectedLayer(), stripes);
  QAction* remove = nullptr;
  for (QAction* action : menu->actions())
    if (action->text() == QStringLiteral("Удалить")) remove = action;
  ASSERT_NE(remove, nullptr);
  EXPECT_TRUE(remove->isEnabled());
  remove->trigger();
  EXPECT_EQ(Layer(32818), nullptr);
  EXPECT_EQ(ListNames(), QStringList{QStringLiteral("Исходное")});
  app->Commands().UpdateCommandStates();
  EXPECT_FALSE(Action(32842)->isChecked());
}

TEST_F(MainWindowTest, ChangeColourRecoloursATransparentRaster) {
  StartProgram(Demo());
  const std::string marks = WriteImage("marks.bmp", 480, 360, 8, MakeColor(200, 30, 40));
  host.OpenFile(marks);
  host.layerNames.push_back("Метки");
  Choose(32798);
  CLayer* layer = Ws().layerStack.FindLayer("Метки");
  ASSERT_NE(layer, nullptr);
  ASSERT_EQ(layer->GetKind(), kLayerKindVector);
  const ViewRect rect = View().GetImageRect();
  EXPECT_EQ(GrabView().pixel(rect.left + 20, rect.top + 30), qRgb(200, 30, 40));

  host.colours.push_back(MakeColor(10, 200, 30));
  std::unique_ptr<QMenu> menu = Bar().BuildContextMenu(*layer);
  QAction* colour = nullptr;
  for (QAction* action : menu->actions())
    if (action->text() == QStringLiteral("Изменить Цвет")) colour = action;
  ASSERT_NE(colour, nullptr);
  ASSERT_TRUE(colour->isEnabled());
  colour->trigger();
  EXPECT_TRUE(host.colours.empty());
  EXPECT_EQ(GrabView().pixel(rect.left + 20, rect.top + 30), qRgb(10, 200, 30));
}

TEST_F(MainWindowTest, MissingProjectShowsItsMessageAndLeavesTheWindowUsable) {
  const std::string missing = folder.File("missing.orw");
  StartProgram(missing);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Не удается открыть файл. " + missing);
  EXPECT_EQ(host.messages[0].caption, "Linea");
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_EQ(ShownTitle(), "Без имени - Linea");
  // The window goes on: a project can be opened from the menu.
  host.OpenFile(Demo());
  Choose(57601);
  EXPECT_NE(Layer(32817), nullptr);
  EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(MainWindowTest, ProjectOfVersion4IsRefusedWithItsMessage) {
  const std::string project = Demo();
  std::string text = ReadTextFile(project);
  const auto at = text.find("Number = 3.1");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 12, "Number = 4.0");
  WriteTextFile(project, text);
  StartProgram(project);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Не соответствует версия проекта.");
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_EQ(ShownTitle(), "Без имени - Linea");
  EXPECT_EQ(GrabView().pixel(10, 10), kWhite);
  app->Commands().UpdateCommandStates();
  EXPECT_FALSE(Action(32771)->isEnabled());  // nothing to zoom
  EXPECT_TRUE(Action(57601)->isEnabled());
}

TEST_F(MainWindowTest, ImageThatIsNotEightBitIsRefusedAndTheProjectStaysEmpty) {
  StartProgram();
  const std::string colour = WriteImage("colour.bmp", 64, 48, 24, MakeColor(10, 20, 30));
  host.OpenFile(colour);
  Choose(32786);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Нельзя загрузить изображение отличное от 8 бит на пиксел.");
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_FALSE(app->Document().IsModified());
  // The same command then opens a greyscale image as a new project.
  host.OpenFile(folder.File("demo.bmp"));
  Demo();
  Choose(32786);
  EXPECT_NE(Layer(32817), nullptr);
  EXPECT_TRUE(app->Document().IsModified());
  EXPECT_EQ(ShownTitle(), "demo - [480x360 GREYSCALE]* - Linea");
}

TEST_F(MainWindowTest, ModifiedProjectAsksBeforeItIsReplacedAndCancelKeepsIt) {
  Demo();
  StartProgram();
  host.OpenFile(folder.File("demo.bmp"));
  Choose(32786);
  ASSERT_TRUE(app->Document().IsModified());
  const std::size_t dialogs = host.openRequests.size();

  host.messageAnswers.push_back(MessageAnswer::Cancel);
  Choose(57601);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(host.messages[0].question);
  EXPECT_EQ(host.openRequests.size(), dialogs);  // no file dialog after Cancel
  EXPECT_NE(Layer(32817), nullptr);

  // Yes saves first, under a name asked for, proposing the image's title.
  host.messageAnswers.push_back(MessageAnswer::Yes);
  const std::string saved = folder.File("saved.orw");
  host.saveFiles.push_back(ChosenFile{saved, 0});
  Choose(57601);  // the open dialog is then cancelled
  ASSERT_EQ(host.saveRequests.size(), 1u);
  EXPECT_EQ(host.saveRequests[0].proposedName, "demo.orw");
  EXPECT_TRUE(FileExists(saved));
  EXPECT_FALSE(app->Document().IsModified());
  EXPECT_EQ(ShownTitle(), "saved - [480x360 GREYSCALE] - Linea");
}

TEST_F(MainWindowTest, DescriptionOfTheShownLayersIsWrittenAsTxo) {
  StartProgram(Demo());
  host.saveFiles.push_back(ChosenFile{folder.File("notes.txt"), 0});
  Choose(32882);
  ASSERT_EQ(host.saveRequests.size(), 1u);
  EXPECT_EQ(host.saveRequests[0].proposedName, "demo_");
  EXPECT_EQ(host.saveRequests[0].filter, "LineaText (*.txo)|*.txo||");
  ASSERT_TRUE(FileExists(folder.File("notes.txo")));
  EXPECT_EQ(ReadTextFile(folder.File("notes.txo")), Layer(32817)->GetDescription() + "\n");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(MainWindowTest, ElevationModelOpensWithItsSizeAskedAndItsReliefLayer) {
  StartProgram();
  // 64 x 64 samples of 16 bits: a slope rising to the east.
  std::vector<std::uint8_t> samples;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int height = 1000 + 20 * x + 3 * y;
      samples.push_back(std::uint8_t(height & 0xFF));
      samples.push_back(std::uint8_t(height >> 8));
    }
  WriteBytes(folder.File("relief.raw"), samples);
  host.OpenFile(folder.File("relief.raw"));
  Choose(32776);
  EXPECT_TRUE(host.messages.empty()) << (host.messages.empty() ? "" : host.messages[0].text);
  ASSERT_NE(Layer(32817), nullptr);
  EXPECT_EQ(host.openRequests.back().defaultExtension, "*.raw");
  EXPECT_EQ(ShownTitle(), "relief - [64x64 DTM]* - Linea");
  EXPECT_EQ(host.ProgressWindow(), nullptr);  // closed when the preparation ended
  Choose(32844);
  EXPECT_NE(Layer(32822), nullptr);
  EXPECT_TRUE(Action(32844)->isChecked());
}

TEST_F(MainWindowTest, MaskIsOpenedUsedAndSavedAsRawData) {
  StartProgram(Demo());
  app->Commands().UpdateCommandStates();
  EXPECT_FALSE(Action(32863)->isEnabled());  // no mask yet
  EXPECT_FALSE(Action(32866)->isEnabled());
  host.OpenFile(WriteImage("mask.bmp", 480, 360, 8, MakeColor(0, 0, 0)));
  Choose(32860);
  ASSERT_NE(Layer(162), nullptr);
  EXPECT_TRUE(app->Document().IsModified());
  EXPECT_FALSE(Action(32860)->isEnabled());  // one mask at a time

  Choose(32866);
  EXPECT_TRUE(Ws().params.UseMask);
  EXPECT_FALSE(Ws().results.hasStripes);  // the results made without the mask are gone

  const std::string raw = folder.File("demo_mask.raw");
  host.saveFiles.push_back(ChosenFile{raw, 1});  // the "Raw data" entry of the list
  Choose(32863);
  ASSERT_EQ(host.saveRequests.size(), 1u);
  EXPECT_EQ(host.saveRequests[0].proposedName, "demo_");
  EXPECT_EQ(ReadBytes(raw).size(), std::size_t(480 * 360));
  EXPECT_EQ(Ws().maskImagePath, raw);
}

TEST_F(MainWindowTest, RememberedFoldersSurviveTheProgramAndSeedTheDialogs) {
  Demo();
  StartProgram();
  host.OpenFile(folder.File("demo.bmp"));
  Choose(32786);
  app->ExitInstance();
  app.reset();
  const std::string stored = settings->value(QStringLiteral("SourcePath")).toString().toStdString();
  EXPECT_EQ(stored, folder.Path());

  StartProgram();
  Choose(32781);  // cancelled
  ASSERT_FALSE(host.openRequests.empty());
  EXPECT_EQ(host.openRequests.back().initialFolder, folder.Path());
  EXPECT_EQ(host.openRequests.back().defaultExtension, "*.tif");
}

TEST_F(MainWindowTest, CalculationAndCombinationPanelsFollowTheMode) {
  StartProgram(Demo());
  Choose(32782);
  EXPECT_TRUE(Ws().rosesCombination);
  EXPECT_FALSE(Frame().CombineDock().isHidden());
  EXPECT_TRUE(Frame().CalcDock().isHidden());
  EXPECT_TRUE(Action(32782)->isChecked());
  EXPECT_FALSE(Action(32785)->isChecked());

  // "Расчет" of a union needs two projects at least.
  QTest::mouseClick(Frame().CombineBar().CalculateButton(), Qt::LeftButton);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, LoadText(32813));

  Choose(32785);
  EXPECT_FALSE(Ws().rosesCombination);
  EXPECT_FALSE(Frame().CalcDock().isHidden());
  EXPECT_TRUE(Frame().CombineDock().isHidden());
}

TEST_F(MainWindowTest, LayersPanelAndToolbarsAreShownAndHiddenWithTheirChecks) {
  StartProgram(Demo());
  EXPECT_TRUE(Action(32774)->isChecked());
  Choose(32774);
  EXPECT_TRUE(Frame().LayersDock().isHidden());
  EXPECT_FALSE(Action(32774)->isChecked());
  Choose(32774);
  EXPECT_FALSE(Frame().LayersDock().isHidden());
  EXPECT_EQ(ListNames(), QStringList{QStringLiteral("Исходное")});

  Choose(32783);
  EXPECT_TRUE(Frame().ZoomToolBar().isHidden());
  EXPECT_FALSE(Action(32783)->isChecked());
  Choose(32840);
  EXPECT_TRUE(Frame().MainToolBar().isHidden());
  EXPECT_FALSE(Frame().ZoomToolBar().isHidden());
  EXPECT_FALSE(Action(32840)->isChecked());
}

TEST_F(MainWindowTest, RosesAndLineamentsPanelsExcludeEachOtherAndNeedTheirResults) {
  StartProgram(Demo());
  CResults& results = Ws().results;
  results.windowRoses.assign(8, 1);
  results.hasWindowRoses = true;
  results.lineaments.resize(1);
  results.hasLineaments = true;
  Choose(32775);
  EXPECT_FALSE(Frame().RosesDock().isHidden());
  EXPECT_TRUE(Action(32775)->isChecked());
  Choose(32777);
  EXPECT_FALSE(Frame().LineamentsDock().isHidden());
  EXPECT_TRUE(Frame().RosesDock().isHidden());
  Choose(32775);
  EXPECT_TRUE(Frame().LineamentsDock().isHidden());
  // Without window roses the open rose panel closes and cannot be opened again.
  results.ClearWindowRoses();
  app->Commands().UpdateCommandStates();
  EXPECT_TRUE(Frame().RosesDock().isHidden());
  EXPECT_FALSE(Action(32775)->isEnabled());
  EXPECT_FALSE(Action(32775)->isChecked());
}

TEST_F(MainWindowTest, DisplayFailureIsReportedAfterThePaint) {
  StartProgram(Demo());
  host.PostDisplayFailure();
  EXPECT_TRUE(host.messages.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Не хватает памяти для вывода изображения.");
}

TEST_F(MainWindowTest, AboutAndAlwaysDisabledCommands) {
  StartProgram();
  Choose(57664);
  EXPECT_EQ(host.aboutDialogs, 1);
  app->Commands().UpdateCommandStates();
  for (int id : {32779, 32877, 32773, 57607, 57609, 57606}) EXPECT_FALSE(Action(id)->isEnabled()) << id;
  EXPECT_TRUE(Action(32892)->isEnabled());
}

}  // namespace
}  // namespace linea
