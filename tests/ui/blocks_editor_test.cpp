// The blocks editor driven as a user drives it: the "Блоки" menu, the editor's
// buttons, polylines clicked in the view, picks for merging and excluding, Enter
// and Esc in the view, and deleting the blocks with their save question.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "app/blocks_commands.h"
#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/layer_names.h"
#include "base/string_table.h"
#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "demo_project.h"
#include "layers/vector_layer.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/blocks_edit.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/tool_help.h"

namespace linea {
namespace {

enum : int {
  kCreateBlocks = 32871,
  kEditBlocks = 32872,
  kSaveBlocks = 32873,
  kDeleteBlocks = 32874,
  kOpenBlocks = 32875,
  kBlockRoses = 32845,
};

class BlocksEditorTest : public ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    project = WriteDemo();
    ASSERT_FALSE(project.empty());
    ASSERT_NO_FATAL_FAILURE(StartProgram(project, 1300, 900));
    ASSERT_DOUBLE_EQ(View().Zoom(), 1.0);
  }

  CBlocksEdit* Editor() { return FindBlocksEditor(Frame()); }
  QPushButton* Button(const char* name) { return Editor()->findChild<QPushButton*>(name); }
  QCheckBox* AutoBox() { return Editor()->findChild<QCheckBox*>("autoCheck"); }
  void Press(const char* name) {
    QPushButton* button = Button(name);
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isEnabled()) << name;
    button->click();
  }
  CVectorLayer* Blocks() {
    return dynamic_cast<CVectorLayer*>(Ws().layerStack.FindLayer(LoadText(kBlocksLayerName)));
  }
  int At(int x, int y) { return Blocks()->Image().Row(y)[x]; }
  std::set<int> Values() {
    std::set<int> values;
    const CImage& image = Blocks()->Image();
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) values.insert(image.Row(y)[x]);
    return values;
  }
  std::vector<std::uint8_t> Pixels() {
    std::vector<std::uint8_t> pixels;
    const CImage& image = Blocks()->Image();
    for (int y = 0; y < image.GetHeight(); ++y) pixels.insert(pixels.end(), image.Row(y), image.Row(y) + image.GetWidth());
    return pixels;
  }

  QPoint WindowOf(int x, int y) {
    const ViewPoint at = View().ImageToWindowPoint({x, y});
    const ViewPoint back = View().WindowToImagePoint(at);
    EXPECT_EQ(back.x, x);
    EXPECT_EQ(back.y, y);
    return QPoint(at.x, at.y);
  }
  void ClickImage(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(View().viewport(), button, Qt::NoModifier, WindowOf(x, y));
  }
  // A double click as the system delivers it: a click, the double click, a release.
  void DoubleClickImage(int x, int y) {
    ClickImage(x, y);
    const QPointF at(WindowOf(x, y));
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, View().viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(View().viewport(), &twice);
    QMouseEvent release(QEvent::MouseButtonRelease, at, View().viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(View().viewport(), &release);
  }
  void KeyInView(Qt::Key key) { QTest::keyClick(&View(), key); }
  // A polyline from the first point to the last, ended by a double click.
  void DrawLine(std::initializer_list<QPoint> points) {
    Press("bordersButton");
    ASSERT_TRUE(View().IsLineDrawing());
    std::vector<QPoint> all(points);
    for (std::size_t i = 0; i + 1 < all.size(); ++i) ClickImage(all[i].x(), all[i].y());
    DoubleClickImage(all.back().x(), all.back().y());
  }
  std::string project;
};

TEST_F(BlocksEditorTest, DrawMergeExcludeUndoStopAndDeleteLikeTheBatchTool) {
  EXPECT_FALSE(IsEnabled(kEditBlocks));
  EXPECT_FALSE(IsEnabled(kDeleteBlocks));
  Choose(kCreateBlocks);
  ASSERT_NE(Blocks(), nullptr);
  EXPECT_EQ(Ws().blocksImagePath, "created");
  ASSERT_NE(Editor(), nullptr);
  EXPECT_TRUE(Editor()->isVisible());
  EXPECT_EQ(Editor()->windowTitle().toStdString(), "Рисовать блоки");
  EXPECT_TRUE(AutoBox()->isChecked());
  EXPECT_FALSE(Button("findButton")->isEnabled());
  EXPECT_FALSE(Button("checkButton")->isEnabled());
  EXPECT_TRUE(Frame().ToolWindows().IsOpen(ToolWindow::kBlocksEdit));
  EXPECT_FALSE(IsEnabled(kCreateBlocks));
  EXPECT_FALSE(IsEnabled(kEditBlocks)) << "one editor at a time";
  EXPECT_FALSE(IsEnabled(kOpenBlocks));
  EXPECT_TRUE(IsEnabled(kSaveBlocks));
  EXPECT_TRUE(IsEnabled(kDeleteBlocks));

  // Two crossing polylines, each started and ended near an edge.
  Press("bordersButton");
  EXPECT_FALSE(Editor()->isVisible());
  EXPECT_TRUE(Frame().LineHelp().isVisible());
  ClickImage(5, 180);
  DoubleClickImage(475, 181);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_TRUE(Editor()->isVisible());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  EXPECT_EQ(Values(), (std::set<int>{1, 2, 255})) << "AUTO numbers the blocks after drawing";
  DrawLine({{240, 4}, {241, 356}});
  EXPECT_EQ(Values(), (std::set<int>{1, 2, 3, 4, 255}));
  EXPECT_EQ(At(0, 0), 1);
  EXPECT_EQ(At(479, 0), 2);
  EXPECT_EQ(At(0, 359), 3);
  EXPECT_EQ(At(479, 359), 4);
  EXPECT_FALSE(Button("findButton")->isEnabled());
  const std::vector<std::uint8_t> drawn = Pixels();

  // Merge: a right click drops the first pick; one block twice is refused.
  Press("mergeButton");
  EXPECT_TRUE(Frame().MergeHelp().isVisible());
  EXPECT_FALSE(Editor()->isVisible());
  ClickImage(100, 100);
  ClickImage(100, 100, Qt::RightButton);
  ClickImage(400, 100);
  ClickImage(420, 90);
  EXPECT_EQ(host.MessageTexts().back(), "Обе точки лежат в одном блоке. Блоки не изменены.");
  EXPECT_EQ(Pixels(), drawn);
  EXPECT_TRUE(Editor()->IsMerging());
  ClickImage(400, 100);
  ClickImage(100, 100);
  EXPECT_FALSE(Editor()->IsMerging());
  EXPECT_FALSE(Frame().MergeHelp().isVisible());
  EXPECT_TRUE(Editor()->isVisible());
  EXPECT_EQ(Values(), (std::set<int>{1, 2, 3, 255}));
  EXPECT_EQ(At(100, 100), 1);
  EXPECT_EQ(At(400, 100), 1);

  // Exclude: a click on a border does nothing and the tool stays.
  Press("excludeButton");
  EXPECT_TRUE(Frame().ExcludeHelp().isVisible());
  ClickImage(240, 300);
  EXPECT_TRUE(Editor()->IsExcluding());
  ClickImage(100, 300);
  EXPECT_FALSE(Editor()->IsExcluding());
  EXPECT_FALSE(Frame().ExcludeHelp().isVisible());
  EXPECT_EQ(At(100, 300), 254);
  EXPECT_EQ(At(0, 359), 254);

  // UNDO: back to the start of the last tool that took a copy (the merge).
  Press("undoButton");
  EXPECT_EQ(Pixels(), drawn);

  // Esc during a merge cancels it and leaves the blocks alone.
  Press("mergeButton");
  ClickImage(100, 100);
  KeyInView(Qt::Key_Escape);
  EXPECT_FALSE(Editor()->IsMerging());
  EXPECT_FALSE(Frame().MergeHelp().isVisible());
  EXPECT_TRUE(Editor()->isVisible());
  EXPECT_EQ(Pixels(), drawn);

  // The batch tool makes the same bytes from the same operations.
  CCliHost cliHost(stderr);
  const std::string cliRaw = folder.File("cli.raw");
  ASSERT_EQ(RunCli({"blocks", project, "-o", cliRaw, "--border", "5,180 475,181", "--find", "--check", "--border",
                    "240,4 241,356", "--find", "--check", "--merge", "100", "100", "400", "100", "--exclude", "100",
                    "300", "--undo"},
                   cliHost, stdout, stderr),
            0);
  EXPECT_EQ(ReadBytes(cliRaw), drawn);

  Press("stopButton");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(Frame().findChild<CBlocksEdit*>(), nullptr) << "the window is destroyed";
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kBlocksEdit));
  EXPECT_EQ(View().ActiveTool(), nullptr);
  EXPECT_TRUE(IsEnabled(kEditBlocks));
  EXPECT_FALSE(IsEnabled(kCreateBlocks));

  // The block roses of the project still draw over the edited blocks.
  Ws().results.blockRoses.assign(4, BlockRose{{120, 90, 10}, {5, 3, 2, 1, 4, 6, 2, 1}});
  Ws().results.hasBlockRoses = true;
  const std::size_t messagesBefore = host.messages.size();
  Choose(kBlockRoses);
  EXPECT_NE(Ws().layerStack.FindLayer(LoadText(kBlockRosesLayerName)), nullptr);
  EXPECT_EQ(host.messages.size(), messagesBefore);

  // Delete, saving first: the file is written, then the blocks are forgotten.
  host.messageAnswers.push_back(MessageAnswer::Yes);
  const std::string saved = folder.File("editor.raw");
  host.saveFiles.push_back(ChosenFile{saved, 1});
  Choose(kDeleteBlocks);
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages[messagesBefore].text, "Сохранить ли изображение блоков?");
  EXPECT_EQ(host.messages[messagesBefore].caption, "Warning");
  EXPECT_EQ(ReadBytes(saved), drawn);
  EXPECT_EQ(Blocks(), nullptr);
  EXPECT_TRUE(Ws().blocksImagePath.empty());
  EXPECT_FALSE(Ws().results.hasBlockRoses);
  EXPECT_FALSE(IsEnabled(kBlockRoses));
  EXPECT_TRUE(IsEnabled(kCreateBlocks));
  EXPECT_FALSE(IsEnabled(kDeleteBlocks));
}

TEST_F(BlocksEditorTest, EnterStopsEscDropsTheLineAndWithoutAutoTheButtonsWait) {
  Choose(kCreateBlocks);
  const std::vector<std::uint8_t> empty = Pixels();
  // Enter in the view while drawing acts as "Стоп"; the unfinished line is not written.
  Press("bordersButton");
  ClickImage(5, 100);
  ClickImage(200, 100);
  KeyInView(Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_FALSE(Frame().LineHelp().isVisible());
  EXPECT_FALSE(Frame().ToolWindows().IsOpen(ToolWindow::kBlocksEdit));
  EXPECT_EQ(Pixels(), empty);

  Choose(kEditBlocks);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_TRUE(AutoBox()->isChecked()) << "AUTO is on whenever the editor opens";
  AutoBox()->setChecked(false);
  // Esc drops the vertices not yet handed over and ends the drawing.
  Press("bordersButton");
  ClickImage(5, 100);
  ClickImage(200, 100);
  KeyInView(Qt::Key_Escape);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_TRUE(Editor()->isVisible());
  EXPECT_EQ(Pixels(), empty);
  EXPECT_TRUE(Button("findButton")->isEnabled());
  EXPECT_TRUE(Button("checkButton")->isEnabled());

  DrawLine({{5, 100}, {475, 100}});
  EXPECT_EQ(Values(), (std::set<int>{0, 255})) << "without AUTO nothing is numbered";
  Press("findButton");
  EXPECT_EQ(Values(), (std::set<int>{1, 2, 255}));
  EXPECT_FALSE(Button("findButton")->isEnabled());
  Press("checkButton");
  EXPECT_FALSE(Button("checkButton")->isEnabled());
  EXPECT_TRUE(app->Document().IsModified());

  // Esc with no tool running closes the editor as "Стоп".
  KeyInView(Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(Editor(), nullptr);

  // Deleting without saving writes nothing.
  host.messageAnswers.push_back(MessageAnswer::No);
  Choose(kDeleteBlocks);
  EXPECT_TRUE(host.saveRequests.empty());
  EXPECT_EQ(Blocks(), nullptr);
}

TEST_F(BlocksEditorTest, TooManyBlocksAreRefusedWithAMessageAndTheLayerKept) {
  Choose(kCreateBlocks);
  AutoBox()->setChecked(false);
  // One-pixel blocks in a grid of borders: far more than 253.
  CImage& image = Blocks()->Image();
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) image.Row(y)[x] = (x % 2 == 1 || y % 2 == 1) ? 255 : 0;
  DrawLine({{300, 50}, {301, 60}});  // any drawing enables the buttons
  const std::vector<std::uint8_t> before = Pixels();
  Press("findButton");
  EXPECT_EQ(host.MessageTexts().back(), "Блоков больше 253. Блоки не изменены.");
  EXPECT_EQ(Pixels(), before);
}

TEST_F(BlocksEditorTest, EditorShowsItsOwnTexts) {
  Choose(kCreateBlocks);
  std::ifstream file(std::string(LINEA_RESOURCES_DIR) + "/dialog_texts.txt");
  ASSERT_TRUE(file.good());
  std::set<std::string> shown{Editor()->windowTitle().toStdString()};
  for (const QAbstractButton* button : Editor()->findChildren<QAbstractButton*>())
    shown.insert(button->text().toStdString());
  std::string line;
  int checked = 0;
  while (std::getline(file, line)) {
    if (line.rfind("195\t", 0) != 0) continue;
    EXPECT_TRUE(shown.count(line.substr(line.rfind('\t') + 1))) << line;
    ++checked;
  }
  EXPECT_EQ(checked, 9);
  EXPECT_EQ(Frame().MergeHelp().windowTitle().toStdString(), "Слить блоки");
  EXPECT_EQ(Frame().ExcludeHelp().windowTitle().toStdString(), "Не учитывать блок");
}

TEST_F(BlocksEditorTest, BlocksDeletedUnderTheOpenEditorAreNeverTouched) {
  Choose(kCreateBlocks);
  ASSERT_NE(Editor(), nullptr);
  host.messageAnswers.push_back(MessageAnswer::No);
  Choose(kDeleteBlocks);
  ASSERT_EQ(Blocks(), nullptr);
  const std::size_t messages = host.messages.size();
  Press("bordersButton");
  EXPECT_FALSE(View().IsLineDrawing());
  Press("mergeButton");
  EXPECT_FALSE(Editor()->IsMerging());
  Press("excludeButton");
  EXPECT_FALSE(Editor()->IsExcluding());
  Press("undoButton");
  EXPECT_TRUE(Editor()->isVisible());
  EXPECT_EQ(host.messages.size(), messages) << "nothing to do, nothing to say";
  Press("stopButton");
  EXPECT_TRUE(IsEnabled(kCreateBlocks));
}

TEST_F(BlocksEditorTest, ALongPolylineIsWrittenWithoutGapsAcrossTheBatches) {
  Choose(kCreateBlocks);
  AutoBox()->setChecked(false);
  Press("bordersButton");
  // 30 vertices: the view hands them over in batches while the line grows.
  std::vector<QPoint> zigzag;
  for (int i = 0; i < 30; ++i) zigzag.push_back(QPoint(20 + 14 * i, i % 2 ? 60 : 120));
  for (std::size_t i = 0; i + 1 < zigzag.size(); ++i) ClickImage(zigzag[i].x(), zigzag[i].y());
  EXPECT_NE(Values(), std::set<int>{0}) << "written as the view hands the vertices over";
  DoubleClickImage(zigzag.back().x(), zigzag.back().y());
  for (std::size_t i = 0; i + 1 < zigzag.size(); ++i) {
    const QPoint a = zigzag[i], b = zigzag[i + 1];
    // The start of every segment and a pixel halfway along it.
    EXPECT_EQ(At(a.x(), a.y()), 255) << i;
    const int dy = b.y() - a.y(), offset = dy / 2;
    EXPECT_EQ(At(a.x() + offset * (b.x() - a.x()) / dy, a.y() + offset), 255) << i;
  }
}

}  // namespace
}  // namespace linea
