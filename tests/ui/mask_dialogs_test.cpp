// The mask dialogs driven as a user would on the demo project: the mask made from
// the menu, a brightness selection shown and added, regions picked with the mouse,
// a polygon clicked in the view, the dialog left, and the mask deleted; with the
// menu rules, Enter and Esc in the view, and the dialogs' own texts.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "base/string_table.h"
#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "demo_project.h"
#include "layers/band_layer.h"
#include "project/mask_editing.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/mark_dialog.h"
#include "ui/mask_range.h"
#include "ui/tool_help.h"

namespace linea {
namespace {

constexpr int kCreateMask = 32859, kOpenMask = 32860, kEditMask = 32862, kSaveMask = 32863, kDeleteMask = 32864,
              kUseMask = 32866, kInvertMask = 32868;
constexpr int kDemoWidth = 480, kDemoHeight = 360;

int CountValue(const CImage& image, std::uint8_t value) {
  int count = 0;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) count += image.Row(y)[x] == value;
  return count;
}

class MaskDialogsTest : public ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    const std::string project = WriteDemo();
    ASSERT_FALSE(project.empty());
    ASSERT_NO_FATAL_FAILURE(StartProgram(project));
  }

  CLayerStack& Stack() { return app->Workspace().layerStack; }
  CMaskRange* Dialog() { return CMaskRange::Find(Frame()); }
  QPushButton* Button(QWidget* dialog, const char* name) {
    auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
  }
  void Press(QWidget* dialog, const char* name) {
    QPushButton* button = Button(dialog, name);
    ASSERT_TRUE(button->isEnabled()) << name;
    button->click();
  }
  void SetRange(const char* from, const char* to) {
    Dialog()->findChild<QLineEdit*>("fromEdit")->setText(QString::fromLatin1(from));
    Dialog()->findChild<QLineEdit*>("toEdit")->setText(QString::fromLatin1(to));
  }
  QPoint WindowPoint(int x, int y) {
    const ViewPoint p = View().ImageToWindowPoint({x, y});
    return {p.x, p.y};
  }
  void ClickImage(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(View().viewport(), button, Qt::NoModifier, WindowPoint(x, y));
  }
  // A double click ends a polyline: its first click adds the last vertex.
  void DoubleClickImage(int x, int y) {
    ClickImage(x, y);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, WindowPoint(x, y),
                            View().viewport()->mapToGlobal(WindowPoint(x, y)), Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    QCoreApplication::sendEvent(View().viewport(), &doubleClick);
    QTest::mouseRelease(View().viewport(), Qt::LeftButton, Qt::NoModifier, WindowPoint(x, y));
  }
  void KeyInView(Qt::Key key) { QTest::keyClick(&View(), key); }
  CImage& Mask() { return FindMaskLayer(Stack())->Image(); }
  CImage& Preview() { return FindPreviewLayer(Stack())->Image(); }
  QRgb ShownAt(int x, int y) {
    const QImage shown = View().viewport()->grab().toImage();
    return shown.pixel(WindowPoint(x, y));
  }
  // The first pixel of the preview holding `value`, away from the edges.
  std::optional<QPoint> FindPreviewPixel(std::uint8_t value) {
    for (int y = 20; y < kDemoHeight - 20; ++y)
      for (int x = 20; x < kDemoWidth - 20; ++x)
        if (Preview().Row(y)[x] == value) return QPoint(x, y);
    return std::nullopt;
  }
};

TEST_F(MaskDialogsTest, MaskMadeFromSelectionMarkedRegionsAndAPolygonThenDeletedWithItsFileWritten) {
  EXPECT_TRUE(IsEnabled(kCreateMask));
  EXPECT_TRUE(IsEnabled(kOpenMask));
  for (int id : {kEditMask, kSaveMask, kDeleteMask, kUseMask, kInvertMask}) EXPECT_FALSE(IsEnabled(id)) << id;

  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Stack().FindLayer("Маска")->GetDescription(), "Mask image");
  EXPECT_TRUE(Frame().ToolWindows().IsOpen(ToolWindow::kMaskRange));
  // While the dialog is open it cannot be opened again, nor another mask made.
  EXPECT_FALSE(IsEnabled(kCreateMask));
  EXPECT_FALSE(IsEnabled(kEditMask));
  EXPECT_FALSE(IsEnabled(kOpenMask));
  for (int id : {kSaveMask, kDeleteMask, kUseMask, kInvertMask}) EXPECT_TRUE(IsEnabled(id)) << id;
  for (const char* name : {"markButton", "outlinePolygonButton", "addButton", "removeButton", "undoButton"})
    EXPECT_FALSE(Button(dialog, name)->isEnabled()) << name;
  EXPECT_EQ(dialog->findChild<QLineEdit*>("fromEdit")->text(), "0");
  EXPECT_EQ(dialog->findChild<QLineEdit*>("toEdit")->text(), "10");

  // The dark troughs of the ridges: every pixel of level 0..100, shown in blue.
  SetRange("0", "100");
  Press(dialog, "showButton");
  for (const char* name : {"markButton", "outlinePolygonButton", "addButton", "removeButton"})
    EXPECT_TRUE(Button(dialog, name)->isEnabled()) << name;
  EXPECT_FALSE(Button(dialog, "undoButton")->isEnabled());
  int expectedSelected = 0;
  for (int y = 0; y < kDemoHeight; ++y)
    for (int x = 0; x < kDemoWidth; ++x) {
      const bool selected = DemoImageLevel(x, y, kDemoWidth) <= 100;
      expectedSelected += selected;
      ASSERT_EQ(Preview().Row(y)[x], selected ? kSelected : kNotSelected) << x << "," << y;
    }
  ASSERT_GT(expectedSelected, 0);
  const std::optional<QPoint> first = FindPreviewPixel(kSelected);
  ASSERT_TRUE(first);
  const int level = DemoImageLevel(first->x(), first->y(), kDemoWidth);
  EXPECT_EQ(ShownAt(first->x(), first->y()), qRgb(level / 2, level / 2, (255 + level) / 2));

  // Two regions picked with the mouse; only they stay selected.
  Press(dialog, "markButton");
  MarkDialog* mark = dialog->Marking();
  ASSERT_NE(mark, nullptr);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(mark->isVisible());
  EXPECT_TRUE(Frame().ToolWindows().IsOpen(ToolWindow::kMarkDialog));
  for (const char* name : {"undoMarkButton", "unmarkAllButton", "deleteMarkedButton", "deleteUnmarkedButton"})
    EXPECT_FALSE(Button(mark, name)->isEnabled()) << name;
  ClickImage(first->x(), first->y());
  const int firstRegion = CountValue(Preview(), kMarkedRegion);
  ASSERT_GT(firstRegion, 0);
  for (const char* name : {"undoMarkButton", "unmarkAllButton", "deleteMarkedButton", "deleteUnmarkedButton"})
    EXPECT_TRUE(Button(mark, name)->isEnabled()) << name;
  const std::optional<QPoint> second = FindPreviewPixel(kSelected);
  ASSERT_TRUE(second);
  ClickImage(second->x(), second->y());
  const int marked = CountValue(Preview(), kMarkedRegion);
  EXPECT_GT(marked, firstRegion);
  ASSERT_GT(CountValue(Preview(), kSelected), 0) << "a third region is needed";
  EXPECT_EQ(ShownAt(second->x(), second->y()), qRgb((128 + DemoImageLevel(second->x(), second->y(), kDemoWidth)) / 2,
                                                    (128 + DemoImageLevel(second->x(), second->y(), kDemoWidth)) / 2,
                                                    DemoImageLevel(second->x(), second->y(), kDemoWidth) / 2));
  Press(mark, "deleteUnmarkedButton");
  EXPECT_EQ(CountValue(Preview(), kSelected), marked);
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 0);
  EXPECT_FALSE(Button(mark, "deleteUnmarkedButton")->isEnabled());
  EXPECT_TRUE(Button(mark, "undoMarkButton")->isEnabled());
  Press(mark, "exitButton");
  QCoreApplication::processEvents();
  EXPECT_EQ(dialog->Marking(), nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kMarkDialog));

  Press(dialog, "addButton");
  EXPECT_EQ(CountValue(Mask(), kInMask), marked);
  EXPECT_EQ(Mask().Row(first->y())[first->x()], kInMask);
  EXPECT_EQ(Mask().Row(second->y())[second->x()], kInMask);
  EXPECT_TRUE(Button(dialog, "undoButton")->isEnabled());

  // A pentagon clicked in the view in mode "МАСКУ".
  const std::vector<QPoint> pentagon{{200, 100}, {260, 140}, {240, 200}, {160, 200}, {140, 140}};
  Press(dialog, "maskPolygonButton");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(Frame().LineHelp().isVisible());
  EXPECT_TRUE(View().IsLineDrawing());
  for (std::size_t i = 0; i + 1 < pentagon.size(); ++i) ClickImage(pentagon[i].x(), pentagon[i].y());
  DoubleClickImage(pentagon.back().x(), pentagon.back().y());
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->Model().IsDrawingPolygon());
  for (const QPoint& corner : pentagon) EXPECT_EQ(Mask().Row(corner.y())[corner.x()], kInMask);
  EXPECT_EQ(Mask().Row(150)[200], kInMask);
  EXPECT_EQ(Mask().Row(180)[200], kInMask);
  EXPECT_GT(CountValue(Mask(), kInMask), marked + 5000);
  std::vector<std::uint8_t> maskPixels;
  for (int y = 0; y < kDemoHeight; ++y) maskPixels.insert(maskPixels.end(), Mask().Row(y), Mask().Row(y) + kDemoWidth);

  // Leaving takes the preview away; the mask shows as a red tint.
  Press(dialog, "exitButton");
  QCoreApplication::processEvents();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(Stack().FindLayer("Изменение маски"), nullptr);
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kMaskRange));
  EXPECT_EQ(View().ActiveTool(), nullptr);
  EXPECT_TRUE(IsEnabled(kEditMask));
  const int centre = DemoImageLevel(200, 150, kDemoWidth);
  EXPECT_EQ(ShownAt(200, 150), qRgb((255 + centre) / 2, centre / 2, centre / 2));

  // Delete: Yes saves the mask as raw data first.
  const std::string saved = folder.File("demo_mask.raw");
  host.messageAnswers.push_back(MessageAnswer::Yes);
  host.saveFiles.push_back(ChosenFile{saved, 1});
  Choose(kDeleteMask);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().caption, "Warning");
  EXPECT_EQ(host.messages.back().text, "Сохранить ли изображение маски?");
  EXPECT_EQ(Stack().FindLayer("Маска"), nullptr);
  EXPECT_NE(Stack().FindLayer("Исходное"), nullptr);
  EXPECT_EQ(app->Workspace().maskImagePath, saved);
  std::ifstream file(saved, std::ios::binary);
  const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, maskPixels);
  EXPECT_TRUE(IsEnabled(kCreateMask));
  EXPECT_FALSE(IsEnabled(kDeleteMask));
}

TEST_F(MaskDialogsTest, UndoRestoresTheMaskBeforeTheLastAddAndInvertWorksFromTheMenu) {
  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  SetRange("0", "90");
  Press(dialog, "showButton");
  Press(dialog, "addButton");
  const int first = CountValue(Mask(), kInMask);
  SetRange("200", "255");
  Dialog()->findChild<QCheckBox*>("growBox")->setChecked(true);
  Press(dialog, "showButton");
  Press(dialog, "addButton");
  EXPECT_GT(CountValue(Mask(), kInMask), first);
  Press(dialog, "undoButton");
  EXPECT_EQ(CountValue(Mask(), kInMask), first);
  EXPECT_FALSE(Button(dialog, "undoButton")->isEnabled());
  Press(dialog, "exitButton");
  Choose(kInvertMask);
  EXPECT_EQ(CountValue(Mask(), kInMask), kDemoWidth * kDemoHeight - first);
  Choose(kInvertMask);
  EXPECT_EQ(CountValue(Mask(), kInMask), first);
}

TEST_F(MaskDialogsTest, EscCancelsAPolygonInProgressAndThenClosesTheDialogs) {
  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  Press(dialog, "showButton");
  Press(dialog, "notMaskPolygonButton");
  // Esc before the first vertex cancels the polygon, not the dialog.
  KeyInView(Qt::Key_Escape);
  EXPECT_EQ(Dialog(), dialog);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->Model().IsDrawingPolygon());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  Press(dialog, "notMaskPolygonButton");
  ClickImage(100, 100);
  ClickImage(200, 100);
  ClickImage(150, 200);
  KeyInView(Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_EQ(CountValue(Mask(), kInMask), 0);
  // Without a polygon Esc closes the marking dialog and the mask dialog.
  Press(dialog, "markButton");
  ASSERT_NE(dialog->Marking(), nullptr);
  KeyInView(Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kMarkDialog));
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kMaskRange));
  EXPECT_EQ(Stack().FindLayer("Изменение маски"), nullptr);
  EXPECT_EQ(CountValue(Mask(), kInMask), 0);
}

TEST_F(MaskDialogsTest, EnterClosesTheDialogAndDropsThePolygonInProgress) {
  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  Press(dialog, "maskPolygonButton");
  ClickImage(100, 100);
  ClickImage(200, 100);
  ClickImage(150, 200);
  KeyInView(Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  EXPECT_EQ(CountValue(Mask(), kInMask), 0);
  EXPECT_TRUE(IsEnabled(kEditMask));
}

TEST_F(MaskDialogsTest, AnotherOpenEditorKeepsTheMaskCommandsOff) {
  Frame().ToolWindows().SetOpen(ToolWindow::kBlocksEdit, true);
  EXPECT_FALSE(IsEnabled(kCreateMask));
  Frame().ToolWindows().SetOpen(ToolWindow::kBlocksEdit, false);
  Choose(kCreateMask);
  Press(Dialog(), "exitButton");
  QCoreApplication::processEvents();
  Frame().ToolWindows().SetOpen(ToolWindow::kDrawing, true);
  EXPECT_FALSE(IsEnabled(kEditMask));
  EXPECT_TRUE(IsEnabled(kInvertMask));
  Frame().ToolWindows().SetOpen(ToolWindow::kDrawing, false);
  EXPECT_TRUE(IsEnabled(kEditMask));
}

TEST_F(MaskDialogsTest, AMaskOpenedFromAFileIsEditedAndDeletedWithNoForgettingItsFile) {
  // A mask file with its left half in the mask.
  CImage image;
  ASSERT_TRUE(image.Create(kDemoWidth, kDemoHeight, 8));
  for (int y = 0; y < kDemoHeight; ++y)
    for (int x = 0; x < kDemoWidth; ++x) image.Row(y)[x] = x < kDemoWidth / 2 ? 0 : 255;
  const std::string path = folder.File("half.bmp");
  ASSERT_TRUE(image.Save(path, kImageFormatBmp));
  host.OpenFile(path);
  Choose(kOpenMask);
  ASSERT_EQ(CountValue(Mask(), kInMask), kDemoWidth * kDemoHeight / 2);
  Choose(kEditMask);
  Press(Dialog(), "erasePolygonButton");
  ClickImage(100, 100);
  ClickImage(300, 100);
  ClickImage(300, 200);
  DoubleClickImage(100, 200);
  EXPECT_EQ(Mask().Row(150)[150], kOutsideMask);
  EXPECT_EQ(Mask().Row(50)[150], kInMask);
  EXPECT_EQ(Mask().Row(150)[350], kOutsideMask);
  Press(Dialog(), "exitButton");
  QCoreApplication::processEvents();

  // Yes, then the save dialog cancelled: the mask stays.
  host.messageAnswers.push_back(MessageAnswer::Yes);
  Choose(kDeleteMask);
  EXPECT_NE(Stack().FindLayer("Маска"), nullptr);
  EXPECT_EQ(app->Workspace().maskImagePath, path);
  // No: the mask goes and its file is forgotten; the calculation stops using it.
  app->Workspace().params.UseMask = true;
  host.messageAnswers.push_back(MessageAnswer::No);
  Choose(kDeleteMask);
  EXPECT_EQ(Stack().FindLayer("Маска"), nullptr);
  EXPECT_TRUE(app->Workspace().maskImagePath.empty());
  EXPECT_FALSE(app->Workspace().params.UseMask);
}

TEST_F(MaskDialogsTest, TheDialogsAndTheBatchToolMakeByteIdenticalMasks) {
  const std::vector<QPoint> pentagon{{200, 100}, {260, 140}, {240, 200}, {160, 200}, {140, 140}};
  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  SetRange("0", "100");
  dialog->findChild<QCheckBox*>("growBox")->setChecked(true);
  Press(dialog, "showButton");
  Press(dialog, "addButton");
  Press(dialog, "maskPolygonButton");
  for (std::size_t i = 0; i + 1 < pentagon.size(); ++i) ClickImage(pentagon[i].x(), pentagon[i].y());
  DoubleClickImage(pentagon.back().x(), pentagon.back().y());
  SetRange("150", "255");
  dialog->findChild<QCheckBox*>("growBox")->setChecked(false);
  Press(dialog, "showButton");
  Press(dialog, "markButton");
  const std::optional<QPoint> first = FindPreviewPixel(kSelected);
  ASSERT_TRUE(first);
  ClickImage(first->x(), first->y());
  const std::optional<QPoint> second = FindPreviewPixel(kSelected);
  ASSERT_TRUE(second);
  ClickImage(second->x(), second->y());
  Press(dialog->Marking(), "deleteUnmarkedButton");
  Press(dialog->Marking(), "exitButton");
  Press(dialog, "removeButton");
  Press(dialog, "exitButton");
  Choose(kInvertMask);
  const std::string shown = folder.File("gui.raw");
  host.saveFiles.push_back(ChosenFile{shown, 1});
  Choose(kSaveMask);

  const std::string batch = folder.File("cli.raw");
  std::string polygon;
  for (const QPoint& p : pentagon) polygon += std::to_string(p.x()) + "," + std::to_string(p.y()) + " ";
  CCliHost cliHost(stderr);
  const std::vector<std::string> arguments = {"mask",
                                              folder.File("demo.orw"),
                                              "-o",
                                              batch,
                                              "--select",
                                              "0",
                                              "100",
                                              "--grow",
                                              "--add",
                                              "--polygon",
                                              polygon,
                                              "--mode",
                                              "mask",
                                              "--select",
                                              "150",
                                              "255",
                                              "--mark",
                                              std::to_string(first->x()),
                                              std::to_string(first->y()),
                                              "--mark",
                                              std::to_string(second->x()),
                                              std::to_string(second->y()),
                                              "--delete-unmarked",
                                              "--remove",
                                              "--invert"};
  ASSERT_EQ(RunCli(arguments, cliHost, stdout, stderr), 0);
  const auto read = [](const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  };
  const std::vector<std::uint8_t> fromDialogs = read(shown), fromBatch = read(batch);
  ASSERT_EQ(fromDialogs.size(), std::size_t(kDemoWidth * kDemoHeight));
  EXPECT_EQ(fromDialogs, fromBatch);
  // Every step left its trace: the pentagon is out of the (inverted) mask, the
  // marked bright regions in it.
  EXPECT_EQ(fromDialogs[std::size_t(150 * kDemoWidth + 200)], 255);
  EXPECT_EQ(fromDialogs[std::size_t(first->y() * kDemoWidth + first->x())], 0);
  EXPECT_EQ(fromDialogs[std::size_t(second->y() * kDemoWidth + second->x())], 0);
}

TEST_F(MaskDialogsTest, ARegionThatCannotBeLabelledIsToldAndLeavesTheSelectionAlone) {
  // A checkerboard selection has more regions than the labelling can number.
  CImage board;
  ASSERT_TRUE(board.Create(400, 400, 8));
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) board.Row(y)[x] = (x + y) % 2 ? 0 : 200;
  const std::string path = folder.File("board.bmp");
  ASSERT_TRUE(board.Save(path, kImageFormatBmp));
  host.OpenFile(path);
  Choose(32786);  // "Открыть изображение" as a new greyscale project
  ASSERT_EQ(FindSourceLayer(Stack())->GetWidth(), 400);
  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  Press(dialog, "showButton");
  Press(dialog, "markButton");
  const std::size_t shown = host.messages.size();
  ClickImage(101, 100);
  ASSERT_EQ(host.messages.size(), shown + 1);
  EXPECT_EQ(host.messages.back().text, "Непредусмотренная ошибка.");
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 80000);
  EXPECT_FALSE(Button(dialog->Marking(), "deleteUnmarkedButton")->isEnabled());
}

TEST_F(MaskDialogsTest, DialogsShowTheProgramsTexts) {
  Choose(kCreateMask);
  CMaskRange* dialog = Dialog();
  EXPECT_EQ(dialog->windowTitle(), "Создание маски");
  const std::vector<std::pair<const char*, const char*>> buttons{
      {"showButton", "Показать"},           {"addButton", "Добавить в маску"},
      {"removeButton", "Убрать из маски"},  {"undoButton", "UNDO"},
      {"markButton", "Указать их"},         {"maskPolygonButton", "МАСКУ"},
      {"notMaskPolygonButton", "НЕ МАСКУ"}, {"erasePolygonButton", "Стереть в маске"},
      {"outlinePolygonButton", "Обвести"},  {"exitButton", "ВЫЙТИ"}};
  for (const auto& [name, text] : buttons) EXPECT_EQ(Button(dialog, name)->text().toStdString(), text);
  EXPECT_EQ(dialog->findChild<QCheckBox*>("growBox")->text(), "Включая границы");
  EXPECT_EQ(dialog->findChild<QCheckBox*>("outsideBox")->text(), "Вне диапазона");
  EXPECT_EQ(dialog->findChild<QLabel*>("fromLabel")->text(), "От");
  EXPECT_EQ(dialog->findChild<QLabel*>("toLabel")->text(), "До");
  Press(dialog, "showButton");
  Press(dialog, "markButton");
  MarkDialog* mark = dialog->Marking();
  EXPECT_EQ(mark->windowTitle(), "Удалить области");
  EXPECT_EQ(Button(mark, "undoMarkButton")->text(), "с предыдущей");
  EXPECT_EQ(Button(mark, "unmarkAllButton")->text(), "со всех");
  EXPECT_EQ(Button(mark, "deleteMarkedButton")->text(), "Отмеченные");
  EXPECT_EQ(Button(mark, "deleteUnmarkedButton")->text(), "НЕ отмеченные");
  EXPECT_EQ(Button(mark, "exitButton")->text(), "Выход");
  EXPECT_EQ(mark->findChild<QGroupBox*>("unmarkGroup")->title(), "Снять пометки с области");
  EXPECT_EQ(mark->findChild<QGroupBox*>("deleteGroup")->title(), "УДАЛИТЬ ОБЛАСТИ");
  EXPECT_EQ(mark->findChild<QLabel*>("instructionLabel")->text().toStdString(),
            "        Чтобы отметить область, подведите к ней курсор и нажмите            на ЛЕВУЮ КНОПКУ мыши");
}

}  // namespace
}  // namespace linea
