// Scheme drawing in the real window: the drawing dialog driven by clicks in the
// view, the line-width dialog, the colour and width of drawings from the layers
// bar, and merging drawings.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <memory>

#include "app/commands.h"
#include "app/drawing_commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/string_table.h"
#include "demo_project.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/drawing_dialog.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/line_width_dlg.h"
#include "ui/main_frame.h"
#include "ui/tool_help.h"

namespace linea {
namespace {

constexpr int kDrawingCommand = 32876;
constexpr int kLineWidthsCommand = 32867;
const QRgb kRed = qRgb(255, 0, 0);

class DrawingTest : public ProgramWindowTest {
 protected:
  void Start(bool withProject = true) {
    std::optional<std::string> project;
    if (withProject) {
      project = WriteDemo();
      ASSERT_FALSE(project->empty());
    }
    StartProgram(project);
  }

  CDrawing& Dialog() { return DrawingDialog(*app); }
  CVectorLayer3* Drawing(const char* name) {
    return dynamic_cast<CVectorLayer3*>(Ws().layerStack.FindLayer(name));
  }
  QPoint At(int x, int y) {
    const ViewPoint window = View().ImageToWindowPoint({x, y});
    return QPoint(window.x, window.y);
  }
  QRgb Pixel(const QImage& shown, int x, int y) { return shown.pixel(At(x, y)); }
  QImage GrabView() { return View().viewport()->grab().toImage(); }

  // "Рисовать", the vertices clicked, and a double click on the last one.
  void DrawPolyline(std::initializer_list<std::pair<int, int>> vertices) {
    QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
    ASSERT_TRUE(View().IsSchemeDrawing());
    auto last = vertices.end() - 1;
    for (auto v = vertices.begin(); v != last; ++v) Click(v->first, v->second);
    DoubleClick(last->first, last->second);
  }
  void Click(int x, int y) { QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, At(x, y)); }
  // As the mouse does it: a click, then the double click and its release.
  void DoubleClick(int x, int y) {
    QWidget* viewport = View().viewport();
    const QPoint at = At(x, y);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &twice);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
  }
  // The action of a layer's context menu with this text, or null.
  QAction* MenuAction(CLayer& layer, const char* text, std::unique_ptr<QMenu>& menu) {
    menu = Bar().BuildContextMenu(layer);
    for (QAction* action : menu->actions())
      if (action->text() == QString::fromUtf8(text)) return action;
    return nullptr;
  }
};

TEST_F(DrawingTest, TwoPolylinesWithoutANewLayerLandInOneDrawingDescribingTheLastSegment) {
  Start();
  Choose(kDrawingCommand);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_EQ(Dialog().windowTitle().toStdString(), "Рисование");
  EXPECT_EQ(Dialog().WidthEdit()->text().toStdString(), "1");
  EXPECT_TRUE(Frame().ToolWindows().IsOpen(ToolWindow::kDrawing));
  EXPECT_FALSE(IsEnabled(kDrawingCommand));  // one drawing tool at a time

  QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
  EXPECT_FALSE(Dialog().isVisible());
  EXPECT_TRUE(Frame().LineHelp().isVisible());
  Click(50, 50);
  DoubleClick(150, 60);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  EXPECT_FALSE(View().IsLineDrawing());
  ASSERT_NE(Drawing("Рисунок1"), nullptr);
  EXPECT_EQ(Bar().ItemOf(Drawing("Рисунок1")) != nullptr, true);

  // More than 19 vertices reach the layer as one line, each once.
  QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
  for (int i = 0; i < 25; ++i) Click(100 + 4 * i, 200 + (i % 2));
  Click(300, 300);
  DoubleClick(303, 304);
  ASSERT_EQ(Ws().layerStack.LayerCount(), 2);
  CVectorLayer3* layer = Drawing("Рисунок1");
  ASSERT_EQ(layer->GroupCount(), 1);
  ASSERT_EQ(layer->Group(0).PolylineCount(), 2);
  EXPECT_EQ(layer->Group(0).Polyline(0).size(), 2u);
  EXPECT_EQ(layer->Group(0).Polyline(1).size(), 27u);
  EXPECT_EQ(layer->GetDescription(), "Drawing Distance 5 Direction 127 ");
  EXPECT_EQ(layer->Group(0).GetColor(), 0x0000FFu);  // red by default

  // With a pixel resolution of 2 the length in world units follows.
  Ws().saveSettings.resolutionX = Ws().saveSettings.resolutionY = 2.0;
  DrawPolyline({{300, 100}, {303, 104}});
  EXPECT_EQ(layer->GetDescription(), "Drawing Distance 5 Direction 127  ( 10) ");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(DrawingTest, ARedWidthThreeLineIsDrawnWithTheBrushOfWidthThree) {
  Start();
  Choose(kDrawingCommand);
  Dialog().WidthEdit()->setText("3");
  DrawPolyline({{100, 200}, {140, 200}});
  const QImage shown = GrabView();
  for (int y = 199; y <= 201; ++y) {
    EXPECT_EQ(Pixel(shown, 99, y), kRed) << y;
    EXPECT_EQ(Pixel(shown, 120, y), kRed) << y;
    EXPECT_EQ(Pixel(shown, 141, y), kRed) << y;  // the dot at the end
  }
  for (int x : {98, 120, 142}) {
    EXPECT_NE(Pixel(shown, x, 198), kRed) << x;
    EXPECT_NE(Pixel(shown, x, 202), kRed) << x;
  }
  EXPECT_NE(Pixel(shown, 98, 200), kRed);
  EXPECT_NE(Pixel(shown, 142, 200), kRed);
}

TEST_F(DrawingTest, ChosenColourNewLayerAndExitStartNewDrawings) {
  Start();
  Choose(kDrawingCommand);
  DrawPolyline({{60, 60}, {100, 60}});
  host.colours.push_back(0x00FF00);  // green
  QTest::mouseClick(Dialog().ColourButton(), Qt::LeftButton);
  EXPECT_EQ(Dialog().Colour(), 0x00FF00u);
  QTest::mouseClick(Dialog().NewLayerButton(), Qt::LeftButton);
  DrawPolyline({{60, 100}, {100, 100}});
  ASSERT_NE(Drawing("Рисунок2"), nullptr);
  EXPECT_EQ(Drawing("Рисунок1")->Group(0).PolylineCount(), 1);
  const QImage shown = GrabView();
  EXPECT_EQ(Pixel(shown, 80, 60), kRed);
  EXPECT_EQ(Pixel(shown, 80, 100), qRgb(0, 255, 0));
  // A cancelled colour dialog keeps the colour.
  QTest::mouseClick(Dialog().ColourButton(), Qt::LeftButton);
  EXPECT_EQ(Dialog().Colour(), 0x00FF00u);

  QTest::mouseClick(Dialog().ExitButton(), Qt::LeftButton);
  EXPECT_FALSE(Dialog().isVisible());
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kDrawing));
  EXPECT_EQ(View().ActiveTool(), nullptr);
  // The next use starts a new drawing; numbers are never used twice in a run.
  Choose(kDrawingCommand);
  DrawPolyline({{60, 140}, {100, 140}});
  EXPECT_NE(Drawing("Рисунок3"), nullptr);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 4);
}

TEST_F(DrawingTest, EscCancelsThePolylineAndEnterClosesTheTool) {
  Start();
  Choose(kDrawingCommand);
  // Esc right after "Рисовать": the dialog comes back, the tool stays open.
  QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
  QTest::keyClick(View().viewport(), Qt::Key_Escape);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_TRUE(Dialog().IsToolOpen());
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  // Esc with vertices: nothing of the polyline is kept, even past a batch of 19.
  QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
  for (int i = 0; i < 22; ++i) Click(50 + 5 * i, 80);
  QTest::keyClick(View().viewport(), Qt::Key_Escape);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_EQ(Ws().layerStack.LayerCount(), 1);
  // Enter while drawing closes the tool, dropping the polyline.
  QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
  Click(50, 80);
  QTest::keyClick(View().viewport(), Qt::Key_Return);
  EXPECT_FALSE(Dialog().isVisible());
  EXPECT_FALSE(Dialog().IsToolOpen());
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_EQ(Ws().layerStack.LayerCount(), 1);
  EXPECT_TRUE(IsEnabled(kDrawingCommand));
  // Esc in the dialog itself ends the tool as "Выйти".
  Choose(kDrawingCommand);
  QTest::keyClick(&Dialog(), Qt::Key_Escape);
  EXPECT_FALSE(Dialog().IsToolOpen());
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kDrawing));
}

TEST_F(DrawingTest, ABadWidthIsRefusedWithItsMessageAndNothingStarts) {
  Start();
  Choose(kDrawingCommand);
  for (const char* bad : {"0", "abc", "101", "-3"}) {
    Dialog().WidthEdit()->setText(bad);
    QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
    EXPECT_FALSE(View().IsLineDrawing()) << bad;
    EXPECT_TRUE(Dialog().isVisible()) << bad;
  }
  ASSERT_EQ(host.messages.size(), 4u);
  EXPECT_EQ(host.messages[0].text, "Значение параметра Width должно быть от 1 до 100.");
  EXPECT_EQ(Dialog().Model().Counter(), 0);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 1);
}

TEST_F(DrawingTest, DrawingNeedsAnImageAndNoOtherEditor) {
  Start(false);
  EXPECT_FALSE(IsEnabled(kDrawingCommand));
  EXPECT_FALSE(IsEnabled(kLineWidthsCommand));
  app.reset();
  Start();
  EXPECT_TRUE(IsEnabled(kDrawingCommand));
  EXPECT_TRUE(IsEnabled(kLineWidthsCommand));
  Frame().ToolWindows().SetOpen(ToolWindow::kBlocksEdit, true);
  EXPECT_FALSE(IsEnabled(kDrawingCommand));
  // Run anyway (a stale menu), it opens nothing.
  Action(kDrawingCommand)->trigger();
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kDrawing));
  Frame().ToolWindows().SetOpen(ToolWindow::kBlocksEdit, false);

  // A project closed while the tool is open leaves nothing to draw on.
  Choose(kDrawingCommand);
  Ws().ResetWorkspace();
  QTest::mouseClick(Dialog().DrawButton(), Qt::LeftButton);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"Не удается выполнить операцию."});
  EXPECT_EQ(Dialog().Model().Counter(), 0);
}

TEST_F(DrawingTest, LineWidthDialogWithTheSwitchOffChangesNothingOnScreen) {
  Start();
  Choose(kDrawingCommand);
  DrawPolyline({{100, 200}, {140, 200}});
  Ws().lineWidthScaling = false;
  const QImage before = GrabView();
  const int compositions = View().CompositionCount();
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& widths = static_cast<CLineWidthDlg&>(dialog);
    EXPECT_FALSE(widths.AutomaticCheck()->isChecked());
    EXPECT_EQ(widths.VisibleWidthEdit()->text().toStdString(), "1");
    widths.VisibleWidthEdit()->setText("3");
    widths.DefaultWidthEdit()->setText("2");
    widths.accept();
  });
  ASSERT_FALSE(app->Document().IsModified());
  Choose(kLineWidthsCommand);
  EXPECT_EQ(Ws().lineWidth, 3);
  EXPECT_EQ(Ws().defaultLineWidth, 2);
  EXPECT_TRUE(app->Document().IsModified());  // the widths are kept with the project
  EXPECT_EQ(GrabView(), before);
  EXPECT_EQ(View().CompositionCount(), compositions);

  // Switching it on (stored at the click) widens the line to 3 pixels.
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& widths = static_cast<CLineWidthDlg&>(dialog);
    widths.AutomaticCheck()->click();
    widths.accept();
  });
  Choose(kLineWidthsCommand);
  EXPECT_TRUE(Ws().lineWidthScaling);
  const QImage wide = GrabView();
  EXPECT_EQ(Pixel(wide, 120, 201), kRed);
  EXPECT_NE(Pixel(before, 120, 201), kRed);
}

TEST_F(DrawingTest, LineWidthDialogRefusesBadWidthsAndCancelKeepsOnlyTheSwitch) {
  Start();
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& widths = static_cast<CLineWidthDlg&>(dialog);
    widths.DefaultWidthEdit()->setText("0");
    widths.accept();  // refused: the dialog stays open and is then cancelled
    widths.AutomaticCheck()->click();
  });
  const QImage before = GrabView();
  Choose(kLineWidthsCommand);
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"Значение параметра Default Width должно быть от 1 до 100."});
  EXPECT_EQ(Ws().defaultLineWidth, 1);
  EXPECT_FALSE(Ws().lineWidthScaling);  // the click was stored at once
  // A cancelled dialog with nothing else changed leaves the picture as it was.
  host.dialogSteps.push_back([](QDialog& dialog) { dialog.reject(); });
  const int compositions = View().CompositionCount();
  Choose(kLineWidthsCommand);
  EXPECT_EQ(GrabView(), before);
  EXPECT_EQ(View().CompositionCount(), compositions);
}

TEST_F(DrawingTest, SchemeInTwoColoursOverTheDemoImage) {
  Start();
  Choose(kDrawingCommand);
  Dialog().move(Frame().geometry().right() - 260, Frame().geometry().top() + 160);
  Dialog().WidthEdit()->setText("2");
  DrawPolyline({{40, 300}, {120, 220}, {200, 260}, {280, 150}, {400, 120}});
  DrawPolyline({{60, 60}, {160, 120}, {240, 80}});
  host.colours.push_back(0xFF0000);  // blue
  QTest::mouseClick(Dialog().ColourButton(), Qt::LeftButton);
  QTest::mouseClick(Dialog().NewLayerButton(), Qt::LeftButton);
  Dialog().WidthEdit()->setText("4");
  DrawPolyline({{100, 340}, {220, 180}, {330, 330}, {440, 200}});
  ASSERT_NE(Drawing("Рисунок1"), nullptr);
  ASSERT_NE(Drawing("Рисунок2"), nullptr);
  EXPECT_EQ(Drawing("Рисунок2")->GetDescription(), "Drawing Distance 170 Direction 49 ");
  const QImage shown = GrabView();
  EXPECT_EQ(Pixel(shown, 40, 300), kRed);
  EXPECT_EQ(Pixel(shown, 160, 120), kRed);
  EXPECT_EQ(Pixel(shown, 220, 180), qRgb(0, 0, 255));
  EXPECT_EQ(Pixel(shown, 440, 200), qRgb(0, 0, 255));
  EXPECT_TRUE(Dialog().isVisible());
  // Under Xvfb the whole screen, dialog included, can be kept for a look.
  if (const char* path = std::getenv("LINEA_DRAWING_SCREENSHOT")) {
    QTest::qWait(200);
    EXPECT_TRUE(Frame().screen()->grabWindow(0).save(QString::fromLocal8Bit(path)));
  }
}

// The dialogs show the program's own texts, as the dialog-text list has them.
TEST_F(DrawingTest, DialogsShowTheProgramsTexts) {
  Start();
  std::ifstream file(std::string(LINEA_RESOURCES_DIR) + "/dialog_texts.txt");
  ASSERT_TRUE(file.good());
  CLineWidthDlg widths(&Frame(), host, LineWidthSettings{});
  const std::map<std::string, QWidget*> dialogs{{"199", &Dialog()}, {"191", &widths}};
  int checked = 0;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string id, control, kind, text;
    std::getline(fields, id, '\t');
    std::getline(fields, control, '\t');
    std::getline(fields, kind, '\t');
    std::getline(fields, text);
    auto found = dialogs.find(id);
    if (found == dialogs.end()) continue;
    QWidget* dialog = found->second;
    const QString expected = QString::fromStdString(text);
    bool shown = false;
    if (kind == "title") shown = dialog->windowTitle() == expected;
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) shown |= button->text() == expected;
    for (QLabel* label : dialog->findChildren<QLabel*>()) shown |= kind == "edit" && label->text() == expected;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) shown |= kind == "init" && edit->text() == expected;
    EXPECT_TRUE(shown) << id << " " << kind << " " << text;
    ++checked;
  }
  EXPECT_EQ(checked, 9);
}

class DrawingStyleTest : public DrawingTest {
 protected:
  // A lineament map of the demo geometry: two diagonal runs of lineament cells.
  CVectorLayer3* ShowLineaments() {
    CResults& results = Ws().results;
    for (int i = 0; i < 60; ++i) {
      LineamentRecord record;
      const int row = 40 + i, column = 50 + i;
      record.bytes[0] = std::uint8_t(row & 0xFF);
      record.bytes[2] = std::uint8_t(column & 0xFF);
      record.bytes[4] = 45;
      record.bytes[6] = std::uint8_t(20 + i);
      record.bytes[8] = 1;
      results.lineaments.push_back(record);
    }
    results.hasLineaments = true;
    Ws().params.lineamentValue = 0;
    EXPECT_EQ(Ws().ShowLineamentsMap(true), 0);
    auto* layer = Drawing("Линеаменты 1");
    EXPECT_NE(layer, nullptr);
    if (layer) {
      EXPECT_GT(layer->GroupCount(), 0);
    }
    Bar().Refill();
    return layer;
  }
  // The pixels of the view that differ between two grabs.
  static int Differences(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (a.pixel(x, y) != b.pixel(x, y)) ++count;
    return count;
  }
};

TEST_F(DrawingStyleTest, ChangeWidthAndColourOfALineamentLayerChangeItsPixels) {
  Start();
  CVectorLayer3* layer = ShowLineaments();
  ASSERT_NE(layer, nullptr);
  const QImage before = GrabView();
  std::unique_ptr<QMenu> menu;
  QAction* width = MenuAction(*layer, "Изменить Ширину", menu);
  ASSERT_NE(width, nullptr);
  ASSERT_TRUE(width->isEnabled());
  host.lineWidths.push_back("5");
  width->trigger();
  for (int g = 0; g < layer->GroupCount(); ++g) EXPECT_EQ(layer->Group(g).GetWidth(), 5);
  const QImage wide = GrabView();
  EXPECT_GT(Differences(before, wide), 0);

  // A bad width is refused with its message and changes nothing.
  host.lineWidths.push_back("0");
  MenuAction(*layer, "Изменить Ширину", menu)->trigger();
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Width должно быть от 1 до 100.");
  EXPECT_EQ(layer->Group(0).GetWidth(), 5);
  EXPECT_EQ(GrabView(), wide);

  QAction* colour = MenuAction(*layer, "Изменить Цвет", menu);
  ASSERT_NE(colour, nullptr);
  ASSERT_TRUE(colour->isEnabled());
  host.colours.push_back(0xFF0000);  // blue
  colour->trigger();
  const QImage blue = GrabView();
  EXPECT_GT(Differences(wide, blue), 0);
  int bluePixels = 0;
  for (int y = 0; y < blue.height(); ++y)
    for (int x = 0; x < blue.width(); ++x)
      if (blue.pixel(x, y) == qRgb(0, 0, 255)) ++bluePixels;
  EXPECT_GT(bluePixels, 0);
  for (int g = 0; g < layer->GroupCount(); ++g) EXPECT_EQ(layer->Group(g).GetColor(), 0xFF0000u);
}

TEST_F(DrawingStyleTest, DrawingsWithoutLinesOfferNeitherColourNorWidth) {
  Start();
  auto* empty = static_cast<CVectorLayer3*>(
      Ws().layerStack.AddLayer(std::make_unique<CVectorLayer3>("пусто", true)));
  EXPECT_EQ(LayerMenuCommands(*empty), (std::vector<int>{kLayerDelete, kLayerDrawLast}));
  const std::vector<PolylinePoint16> line{{10, 10}, {20, 20}};
  ASSERT_FALSE(empty->AddPolyline16(line, 0x0000FF, 2));
  EXPECT_EQ(LayerMenuCommands(*empty),
            (std::vector<int>{kLayerDelete, kLayerDrawLast, kLayerChangeColor, kLayerChangeWidth}));
}

TEST_F(DrawingStyleTest, MergeJoinsTheVisibleGlobalRoseAndBlockRoses) {
  Start();
  CResults& results = Ws().results;
  results.blockRoses.push_back({{0, 120, 120}, {5, 1, 1, 1, 5, 1, 1, 1}});
  results.blockRoses.push_back({{1, 320, 220}, {1, 5, 1, 1, 1, 5, 1, 1}});
  results.hasBlockRoses = true;
  Choose(32841);
  Choose(32845);
  CLayer* rose = Ws().layerStack.FindLayer(LoadText(32819));
  CLayer* blocks = Ws().layerStack.FindLayer(LoadText(32820));
  ASSERT_NE(rose, nullptr);
  ASSERT_NE(blocks, nullptr);
  ASSERT_TRUE(Bar().MergeButton()->isEnabled());
  const QImage before = GrabView();

  // With one of them hidden there is nothing to merge: said, and nothing changes.
  blocks->SetVisible(false);
  QTest::mouseClick(Bar().MergeButton(), Qt::LeftButton);
  EXPECT_EQ(host.MessageTexts().back(), "Не удается выполнить операцию.");
  EXPECT_EQ(Ws().layerStack.LayerCount(), 3);
  blocks->SetVisible(true);

  host.layerNames.push_back("Объединение");
  QTest::mouseClick(Bar().MergeButton(), Qt::LeftButton);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 2);
  EXPECT_EQ(Ws().layerStack.FindLayer(LoadText(32819)), nullptr);
  EXPECT_EQ(Ws().layerStack.FindLayer(LoadText(32820)), nullptr);
  CVectorLayer3* merged = Drawing("Объединение");
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(merged->GetDescription().rfind("Combine layers", 0), 0u);
  EXPECT_NE(Bar().ItemOf(merged), nullptr);
  EXPECT_FALSE(Bar().MergeButton()->isEnabled());
  EXPECT_EQ(GrabView(), before);  // the same lines, now in one layer
}

}  // namespace
}  // namespace linea
