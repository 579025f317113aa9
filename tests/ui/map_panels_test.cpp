// The rose and lineament panels, the cursor overlay with its readout, vertex
// collection in the view, and the calculation, compression and save-settings
// dialogs, driven in the real window on the demo project.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <memory>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/field_kinds.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "demo_project.h"
#include "imaging/image.h"
#include "layers/cursor_layer.h"
#include "layers/raster_layer.h"
#include "project/workspace.h"
#include "results/lineaments.h"
#include "results/rose_map.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/compress_dlg.h"
#include "ui/cursor_bar.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/lineaments_param_bar.h"
#include "ui/main_calc_dialog.h"
#include "ui/main_frame.h"
#include "ui/roses_param_bar.h"
#include "ui/world_coordinates.h"
#include "ui/ws_dialog_bar.h"

namespace linea {
namespace {

class CRecordingTool : public CViewTool {
 public:
  void ReceiveVertices(std::span<const ImageVertex> vertices) override {
    received.insert(received.end(), vertices.begin(), vertices.end());
  }
  void FinishPolyline(std::span<const ImageVertex> rest) override {
    ++finished;
    received.insert(received.end(), rest.begin(), rest.end());
  }
  void CancelPolyline() override { ++cancelled; }
  std::vector<ImageVertex> received;
  int finished = 0;
  int cancelled = 0;
};

class MapPanelsTest : public ProgramWindowTest {
 protected:
  void Start(const DemoProjectOptions& options = {}) {
    const std::string project = WriteDemo("demo", options);
    ASSERT_FALSE(project.empty());
    StartProgram(project, 1200, 850);
  }
  // Window roses of the demo geometry whose sector counts vary across the image,
  // so that every map kind has something to show.
  void AddWindowRoses() {
    CResults& results = Ws().results;
    const std::uint32_t nx = (results.gridWidth + 7) / 8 + 1, ny = (results.gridHeight + 7) / 8 + 1;
    results.windowRoses.assign(std::size_t(nx) * ny * 8, 0);
    for (std::uint32_t row = 0; row < ny; ++row)
      for (std::uint32_t column = 0; column < nx; ++column)
        for (std::uint32_t k = 0; k < 8; ++k)
          results.windowRoses[8 * (row * nx + column) + k] =
              std::uint16_t(4 + (column * 3 + row * 5 + k * 7) % 40 + (k == (column / 8) % 8 ? 60 : 0));
    results.hasWindowRoses = true;
    Ws().UpdateCalcPanel();
  }
  // Lineament cells along two diagonal runs of different directions.
  void AddLineaments() {
    CResults& results = Ws().results;
    results.lineaments.clear();
    for (int i = 0; i < 60; ++i) {
      for (int family = 0; family < 2; ++family) {
        LineamentRecord record;
        const int row = 40 + i, column = family == 0 ? 50 + i : 300 - i;
        record.bytes[0] = std::uint8_t(row & 0xFF);
        record.bytes[1] = std::uint8_t(row >> 8);
        record.bytes[2] = std::uint8_t(column & 0xFF);
        record.bytes[3] = std::uint8_t(column >> 8);
        record.bytes[4] = family == 0 ? 45 : 135;
        record.bytes[6] = std::uint8_t(20 + i);
        record.bytes[8] = std::uint8_t(family + 1);
        results.lineaments.push_back(record);
      }
    }
    results.hasLineaments = true;
  }

  CRosesParamBar& Roses() { return Frame().RosesBar(); }
  CLineamentsParamBar& Lineaments() { return Frame().LineamentsBar(); }
  CLayer* Layer(const char* name) { return Ws().layerStack.FindLayer(name); }
  void SetText(QLineEdit* edit, const char* text) { edit->setText(QString::fromUtf8(text)); }
  std::string Text(QLineEdit* edit) { return edit->text().toStdString(); }
  // Near the indicator: a radio or check box takes clicks only on its indicator and text.
  void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
  }
  QWidget* Focused(QWidget* any) { return any->window()->focusWidget(); }
  void ClickView(ViewPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(View().viewport(), button, Qt::NoModifier, QPoint(at.x, at.y));
  }
  void SendKey(int key, int repeat) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), false, quint16(repeat));
    QApplication::sendEvent(&View(), &press);
  }
};

TEST_F(MapPanelsTest, ShowTwiceReplacesTheMapAndNewLayerAddsTheNextOne) {
  Start();
  AddWindowRoses();
  Choose(32775);
  ASSERT_FALSE(Frame().RosesDock().isHidden());
  EXPECT_EQ(Roses().KindList()->count(), 21);
  EXPECT_EQ(Roses().KindList()->currentText().toStdString(), MapKindName(false, false, 0));
  EXPECT_TRUE(Roses().ScalingRadio(kScalingPercent)->isChecked());
  EXPECT_FALSE(Roses().Edit("fromEdit")->isEnabled());
  EXPECT_EQ(Text(Roses().Edit("minEdit")), "-");

  Click(Roses().ShowButton());
  Click(Roses().ShowButton());
  EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
  ASSERT_NE(Layer("Розы 0"), nullptr);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 2);
  EXPECT_EQ(Layer("Розы 0")->GetKind(), kLayerKindRaster);
  EXPECT_EQ(Ws().params.mapKind, 'a');
  // The builder's range is written back.
  EXPECT_EQ(Text(Roses().Edit("minEdit")), std::to_string(Ws().params.mapMin));
  EXPECT_EQ(Text(Roses().Edit("maxEdit")), std::to_string(Ws().params.mapMax));
  EXPECT_LT(Ws().params.mapMin, Ws().params.mapMax);
  EXPECT_EQ(Text(Roses().Edit("minDensityEdit")), "40.000000");

  Click(Roses().NewLayerButton());
  EXPECT_NE(Layer("Розы 0"), nullptr);
  EXPECT_NE(Layer("Розы 1"), nullptr);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 3);
}

TEST_F(MapPanelsTest, NormalisationBoxesRefillTheKindListAndVectorKindsSwapTheGroups) {
  Start();
  AddWindowRoses();
  Choose(32775);
  // The demo has a global rose, so global normalisation may be chosen.
  EXPECT_TRUE(Roses().GlobalBox()->isEnabled());
  Click(Roses().LocalBox());
  EXPECT_EQ(Roses().KindList()->count(), 10);
  EXPECT_EQ(Roses().KindList()->currentIndex(), 0);
  Click(Roses().GlobalBox());
  EXPECT_EQ(Roses().KindList()->count(), 2);
  Click(Roses().LocalBox());
  EXPECT_EQ(Roses().KindList()->count(), 12);
  Click(Roses().GlobalBox());
  ASSERT_EQ(Roses().KindList()->count(), 21);

  auto* scaling = Roses().findChild<QGroupBox*>("scalingGroup");
  auto* steps = Roses().findChild<QGroupBox*>("stepGroup");
  auto* sizes = Roses().findChild<QGroupBox*>("sizeGroup");
  EXPECT_FALSE(scaling->isHidden());
  EXPECT_TRUE(steps->isHidden());
  EXPECT_TRUE(Roses().Edit("minElongationEdit")->isHidden());
  const int vectorPosition = MapKindIndex('z');
  Roses().KindList()->setCurrentIndex(vectorPosition);
  EXPECT_TRUE(scaling->isHidden());
  EXPECT_TRUE(Roses().Edit("fromEdit")->isHidden());
  EXPECT_TRUE(Roses().Edit("maxEdit")->isHidden());
  EXPECT_FALSE(steps->isHidden());
  EXPECT_FALSE(sizes->isHidden());
  EXPECT_FALSE(Roses().Edit("minElongationEdit")->isHidden());
  EXPECT_FALSE(Roses().Edit("minDensityEdit")->isHidden());
  Roses().KindList()->setCurrentIndex(0);
  EXPECT_FALSE(scaling->isHidden());
  EXPECT_TRUE(sizes->isHidden());

  // Switching to the rose combination drops global normalisation, and the panel follows.
  Click(Roses().GlobalBox());
  ASSERT_TRUE(Roses().StoreAndValidate(Ws().params));
  EXPECT_TRUE(Ws().params.globalNormalisation);
  host.messageAnswers.push_back(MessageAnswer::Yes);  // the window roses will be erased
  ASSERT_TRUE(Ws().SetCombinationMode(true));
  EXPECT_FALSE(Roses().GlobalBox()->isChecked());
  EXPECT_EQ(Roses().KindList()->count(), 21);
}

TEST_F(MapPanelsTest, GlobalNormalisationNeedsAGlobalRose) {
  DemoProjectOptions options;
  options.stripes = false;  // a global rose would be counted from the stripes
  Start(options);
  EXPECT_FALSE(Roses().GlobalBox()->isEnabled());
}

TEST_F(MapPanelsTest, ManualRangeFromAboveToIsRefusedWithFocusOnFrom) {
  Start();
  AddWindowRoses();
  Choose(32775);
  Click(Roses().ScalingRadio(kScalingManual));
  EXPECT_TRUE(Roses().Edit("fromEdit")->isEnabled());
  SetText(Roses().Edit("fromEdit"), "200");
  SetText(Roses().Edit("toEdit"), "100");
  Click(Roses().ShowButton());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Значение параметра From должно быть меньше значения параметра To.");
  EXPECT_EQ(Focused(&Roses()), Roses().Edit("fromEdit"));
  EXPECT_EQ(Layer("Розы 0"), nullptr);
  // Hidden by a vector kind, the range is still checked.
  Roses().KindList()->setCurrentIndex(MapKindIndex('z'));
  Click(Roses().ShowButton());
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].text, host.messages[0].text);
  SetText(Roses().Edit("fromEdit"), "-1");
  Click(Roses().ShowButton());
  EXPECT_EQ(host.messages.back().text, "Значение параметра From должно быть больше или равно 0.");
}

TEST_F(MapPanelsTest, RosePanelChecksRunInOrderAndStopAtTheFirst) {
  Start();
  CalcParameters params;
  SetText(Roses().Edit("roseStepEdit"), "0");
  SetText(Roses().Edit("lineStepEdit"), "101");
  EXPECT_FALSE(Roses().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Rose Step должно быть от 1 до 100.");
  // The fields were stored before they were checked.
  EXPECT_EQ(params.lineStep, 101);
  SetText(Roses().Edit("roseStepEdit"), "4");
  EXPECT_FALSE(Roses().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Line Step должно быть от 1 до 100.");
  EXPECT_EQ(Focused(&Roses()), Roses().Edit("lineStepEdit"));
  SetText(Roses().Edit("lineStepEdit"), "2");
  SetText(Roses().Edit("roseSizeEdit"), "-0.5");
  EXPECT_FALSE(Roses().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Rose Size должно быть больше или равно 0.");
  SetText(Roses().Edit("roseSizeEdit"), "1.0");
  SetText(Roses().Edit("minDensityEdit"), "10001");
  EXPECT_FALSE(Roses().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Min Density должно быть от 0 до 10000.");
  SetText(Roses().Edit("minDensityEdit"), "40");
  SetText(Roses().Edit("minElongationEdit"), "0");
  EXPECT_FALSE(Roses().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Min Elongation должно быть от 0 до 10.");
  SetText(Roses().Edit("minElongationEdit"), "10");
  Click(Roses().ScalingRadio(kScalingAuto));
  EXPECT_TRUE(Roses().StoreAndValidate(params));
  EXPECT_EQ(params.scalingMode, kScalingAuto);
  EXPECT_EQ(params.minElongation, 10.0);
}

TEST_F(MapPanelsTest, LineamentMapBySectorWritesBackItsRange) {
  Start();
  AddLineaments();
  Choose(32777);
  ASSERT_FALSE(Frame().LineamentsDock().isHidden());
  EXPECT_TRUE(Lineaments().AllDirectionsRadio()->isChecked());
  EXPECT_FALSE(Lineaments().Edit("sectorEdit")->isEnabled());
  EXPECT_FALSE(Lineaments().Edit("fromEdit")->isEnabled());
  Click(Lineaments().SectorRadio());
  EXPECT_TRUE(Lineaments().Edit("sectorEdit")->isEnabled());
  EXPECT_TRUE(Lineaments().Edit("sectorsEdit")->isEnabled());
  EXPECT_FALSE(Lineaments().Edit("toEdit")->isEnabled());
  SetText(Lineaments().Edit("sectorEdit"), "2");
  SetText(Lineaments().Edit("sectorsEdit"), "4");
  SetText(Lineaments().Edit("thresholdEdit"), "0");
  Click(Lineaments().ShowButton());
  EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
  ASSERT_NE(Layer("Линеаменты 0"), nullptr);
  EXPECT_EQ(Ws().params.lineamentSector, 2);
  EXPECT_EQ(Ws().params.lineamentSelectionMode, 0);
  // The sector's directions, as the builder set them, are shown.
  EXPECT_EQ(Text(Lineaments().Edit("fromEdit")), std::to_string(Ws().params.lineamentFrom));
  EXPECT_EQ(Text(Lineaments().Edit("toEdit")), std::to_string(Ws().params.lineamentTo));
  EXPECT_NE(Text(Lineaments().Edit("fromEdit")) + Text(Lineaments().Edit("toEdit")), "0180");
  EXPECT_EQ(Text(Lineaments().Edit("largestEdit")), std::to_string(Ws().params.lineamentLargestValue));
  Click(Lineaments().NewLayerButton());
  EXPECT_NE(Layer("Линеаменты 1"), nullptr);
  EXPECT_NE(Layer("Линеаменты 0"), nullptr);
}

TEST_F(MapPanelsTest, LineamentSelectionModesOrderAndChecks) {
  Start();
  EXPECT_EQ(LineamentSelectionValue(true, 5), 47);
  EXPECT_EQ(LineamentSelectionValue(true, 60), 0);
  EXPECT_EQ(LineamentSelectionValue(false, 60), 60);
  CalcParameters params;
  Lineaments().OrderBox()->setChecked(true);
  SetText(Lineaments().Edit("thresholdEdit"), "5");
  ASSERT_TRUE(Lineaments().StoreAndValidate(params));
  EXPECT_EQ(params.lineamentValue, 47);
  EXPECT_EQ(params.lineamentOrder, 1);
  EXPECT_EQ(params.lineamentColour, 0x0000FFu);

  Click(Lineaments().RangeRadio());
  EXPECT_FALSE(Lineaments().OrderBox()->isChecked());
  EXPECT_FALSE(Lineaments().OrderBox()->isEnabled());
  EXPECT_TRUE(Lineaments().Edit("fromEdit")->isEnabled());
  SetText(Lineaments().Edit("fromEdit"), "100");
  SetText(Lineaments().Edit("toEdit"), "90");
  EXPECT_FALSE(Lineaments().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра From должно быть меньше значения параметра To.");
  EXPECT_EQ(params.lineamentSelectionMode, 1);
  SetText(Lineaments().Edit("toEdit"), "361");
  EXPECT_FALSE(Lineaments().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра To должно быть от 0 до 360.");
  EXPECT_EQ(Focused(&Lineaments()), Lineaments().Edit("toEdit"));

  Click(Lineaments().SectorRadio());
  EXPECT_TRUE(Lineaments().OrderBox()->isEnabled());
  SetText(Lineaments().Edit("sectorEdit"), "9");
  SetText(Lineaments().Edit("sectorsEdit"), "8");
  EXPECT_FALSE(Lineaments().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Select должно быть от 0 до 8.");
  Click(Lineaments().AllDirectionsRadio());
  EXPECT_EQ(Text(Lineaments().Edit("sectorEdit")), "0");
  SetText(Lineaments().Edit("beamsEdit"), "3");
  EXPECT_FALSE(Lineaments().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Beams должно быть от 4 до 180.");
  SetText(Lineaments().Edit("beamsEdit"), "180");
  SetText(Lineaments().Edit("windowEdit"), "91");
  EXPECT_FALSE(Lineaments().StoreAndValidate(params));
  EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Window должно быть от 1 до 90.");
}

TEST_F(MapPanelsTest, CursorOverAMapPixelOfClassZeroReadsZeros) {
  Start();
  AddWindowRoses();
  Choose(32775);
  Click(Roses().ShowButton());
  auto* map = dynamic_cast<CRasterLayer*>(Layer("Розы 0"));
  ASSERT_NE(map, nullptr);
  map->Image().SetColorForPixel(100, 80, 0);
  map->Image().SetColorForPixel(101, 80, 3);
  Ws().layerStack.SetCurrentLayer(map);

  EXPECT_FALSE(Frame().CursorOverlay().IsVisible());
  Choose(32649);
  EXPECT_TRUE(Frame().CursorOverlay().IsVisible());
  EXPECT_TRUE(Action(32649)->isChecked());
  EXPECT_FALSE(Frame().CursorDock().isHidden());
  View().grab();
  const ViewPoint at = View().ImageToWindowPoint({100, 80});
  Frame().CursorOverlay().positionX = at.x;
  Frame().CursorOverlay().positionY = at.y;
  Frame().RefreshCursorReadout();
  CCursorBar& bar = Frame().CursorBar();
  EXPECT_EQ(Text(bar.XEdit()), "100");
  EXPECT_EQ(Text(bar.YEdit()), "80");
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Text(bar.ValueEdit(row)), "0") << row;
  EXPECT_EQ(bar.ValueLabel(0)->text().toStdString(), "V");
  EXPECT_EQ(bar.ValueLabel(1)->text().toStdString(), ">");
  EXPECT_EQ(bar.ValueLabel(2)->text().toStdString(), "<");
  // One pixel to the right, class 3 reads its value.
  SendKey(Qt::Key_Right, 1);
  EXPECT_EQ(Text(bar.XEdit()), "101");
  EXPECT_EQ(Text(bar.ValueEdit(0)), std::to_string(ClassValue(*map, 3)));

  Choose(32649);
  EXPECT_FALSE(Frame().CursorOverlay().IsVisible());
  EXPECT_TRUE(Frame().CursorDock().isHidden());
}

TEST_F(MapPanelsTest, ArrowKeysMoveTheOverlayByTheRepeatCountAndStopAtTheEdge) {
  Start();
  Ws().layerStack.SetCurrentLayer(Layer("Исходное"));
  Choose(32649);
  View().grab();
  const ViewRect rect = View().GetImageRect();
  CCursorLayer& overlay = Frame().CursorOverlay();
  // Shown for the first time, the overlay is put into the image.
  EXPECT_GE(overlay.positionX, rect.left);
  EXPECT_GE(overlay.positionY, rect.top);
  overlay.positionX = rect.left + 100;
  overlay.positionY = rect.top + 50;
  SendKey(Qt::Key_Right, 5);
  EXPECT_EQ(overlay.positionX, rect.left + 105);
  SendKey(Qt::Key_Down, 5);
  EXPECT_EQ(overlay.positionY, rect.top + 55);
  SendKey(Qt::Key_Left, 1);
  EXPECT_EQ(overlay.positionX, rect.left + 104);
  EXPECT_EQ(Text(Frame().CursorBar().XEdit()), "104");
  // The source image reads its grey level.
  EXPECT_EQ(Frame().CursorBar().ValueLabel(0)->text().toStdString(), "V");
  EXPECT_EQ(Text(Frame().CursorBar().ValueEdit(0)), std::to_string(DemoImageLevel(104, 55, 480)));
  overlay.positionX = rect.right - 3;
  SendKey(Qt::Key_Right, 5);
  EXPECT_EQ(overlay.positionX, rect.right - 1);
  overlay.positionY = rect.top + 2;
  SendKey(Qt::Key_Up, 5);
  EXPECT_EQ(overlay.positionY, rect.top);
}

TEST_F(MapPanelsTest, DraggingTheOverlayMovesItAndKeepsItInTheImage) {
  Start();
  Choose(32649);
  View().grab();
  const ViewRect rect = View().GetImageRect();
  CCursorLayer& overlay = Frame().CursorOverlay();
  overlay.positionX = rect.left + 40;
  overlay.positionY = rect.top + 40;
  QWidget* viewport = View().viewport();
  QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(rect.left + 42, rect.top + 41));
  EXPECT_TRUE(View().IsCursorCaptured());
  EXPECT_FALSE(overlay.IsVisible());
  EXPECT_TRUE(Action(32649)->isEnabled());
  QMouseEvent move(QEvent::MouseMove, QPointF(rect.left + 200, rect.top + 120), QPointF(), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &move);
  EXPECT_EQ(overlay.positionX, rect.left + 200);
  EXPECT_EQ(Text(Frame().CursorBar().XEdit()), "200");
  QMouseEvent outside(QEvent::MouseMove, QPointF(rect.right + 50, rect.top - 30), QPointF(), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &outside);
  EXPECT_EQ(overlay.positionX, rect.right - 1);
  EXPECT_EQ(overlay.positionY, rect.top);
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(rect.right - 1, rect.top));
  EXPECT_FALSE(View().IsCursorCaptured());
  EXPECT_TRUE(overlay.IsVisible());
}

TEST_F(MapPanelsTest, APolylineOfFortyClicksReachesTheToolInOrder) {
  Start();
  View().grab();
  const ViewRect rect = View().GetImageRect();
  CRecordingTool tool;
  View().SetActiveTool(&tool);
  View().BeginLineDrawing();
  std::vector<ImageVertex> expected;
  for (int i = 0; i < 40; ++i) {
    const int x = 20 + (i * 37) % 430, y = 15 + (i * 23) % 320;
    ClickView({rect.left + x, rect.top + y});
    expected.push_back(SnapToEdges(x, y, 480, 360));
  }
  // The rubber band follows the mouse from the last vertex.
  QMouseEvent move(QEvent::MouseMove, QPointF(rect.left + 240, rect.top + 180), QPointF(), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(View().viewport(), &move);
  ASSERT_TRUE(View().HasRubberBand());
  EXPECT_EQ(View().RubberBand().second, (ViewPoint{rect.left + 240, rect.top + 180}));
  // A right click takes the last vertex back; the next click replaces it.
  ClickView({rect.left + 5, rect.top + 5}, Qt::RightButton);
  expected.pop_back();
  ClickView({rect.left + 5, rect.top + 200});
  expected.push_back({-1, 200});
  QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(rect.left + 5, rect.top + 200), QPointF(), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(View().viewport(), &twice);
  EXPECT_EQ(tool.finished, 1);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_EQ(tool.received, expected);
  // Esc drops a polyline in progress.
  View().BeginLineDrawing();
  ClickView({rect.left + 100, rect.top + 100});
  QTest::keyRelease(&View(), Qt::Key_Escape);
  EXPECT_EQ(tool.cancelled, 1);
  EXPECT_FALSE(View().IsLineDrawing());
  EXPECT_EQ(View().Vertices().Count(), 0);
  View().SetActiveTool(nullptr);
}

// ---- dialogs ----------------------------------------------------------------------

// Questions are asked only while there is a main window; these dialogs run alone.
class CFramedHost : public CScriptedQtHost {
 public:
  bool HasMainFrame() const override { return true; }
};

TEST(MainCalcDialog, RoseWindowIsCheckedBeforeItIsRoundedAndTheRoundingGoesIntoTheBox) {
  CFramedHost host;
  CalcDialogContext context{480, 360, 1, false};
  CMainCalcDialog dialog(nullptr, host, CalcParameters{}, context);
  EXPECT_EQ(dialog.Edit(1032)->text().toStdString(), "64");
  EXPECT_EQ(dialog.Edit(1124)->text().toStdString(), "0.090000");
  dialog.Edit(1032)->setText("7");
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Значение параметра Rose Window должно быть от 8 до 343.");
  EXPECT_EQ(dialog.focusWidget(), dialog.Edit(1032));

  dialog.Edit(1032)->setText("70");
  host.messageAnswers.push_back(MessageAnswer::No);
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(dialog.Edit(1032)->text().toStdString(), "70");
  host.messageAnswers.push_back(MessageAnswer::Yes);
  dialog.accept();
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[2].text.substr(0, host.messages[2].text.find('\n')),
            "Параметр RoseWind будет автоматически изменен на ближайшее корректное значение (64).");
  EXPECT_EQ(dialog.Edit(1032)->text().toStdString(), "64");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().rose_wind, 64);
}

TEST(MainCalcDialog, FieldsFollowTheImageTypeAndCompareReportsStripeInputs) {
  CScriptedQtHost host;
  CMainCalcDialog scheme(nullptr, host, CalcParameters{}, CalcDialogContext{480, 360, 2, false});
  for (int id : {1030, 1031, 1125}) EXPECT_FALSE(scheme.Control(id)->isEnabled()) << id;
  for (int id : {1130, 1214, 1215}) EXPECT_FALSE(scheme.Control(id)->isEnabled()) << id;
  EXPECT_TRUE(scheme.Control(1032)->isEnabled());
  CMainCalcDialog elevation(nullptr, host, CalcParameters{}, CalcDialogContext{480, 360, 3, false});
  for (int id : {1030, 1031}) EXPECT_FALSE(elevation.Control(id)->isEnabled()) << id;
  for (int id : {1125, 1130, 1214, 1215}) EXPECT_TRUE(elevation.Control(id)->isEnabled()) << id;
  CMainCalcDialog greyscale(nullptr, host, CalcParameters{}, CalcDialogContext{480, 360, 1, false});
  for (int id : {1030, 1031, 1125}) EXPECT_TRUE(greyscale.Control(id)->isEnabled()) << id;
  for (int id : {1130, 1214, 1215}) EXPECT_FALSE(greyscale.Control(id)->isEnabled()) << id;
  EXPECT_TRUE(static_cast<QRadioButton*>(greyscale.Control(1078))->isChecked());

  const CalcParameters defaults;
  EXPECT_EQ(greyscale.Compare(defaults), 0);
  greyscale.Edit(1032)->setText("32");
  EXPECT_EQ(greyscale.Compare(defaults), 0);
  greyscale.Edit(1030)->setText("21");
  EXPECT_EQ(greyscale.Compare(defaults), 1);
  greyscale.Edit(1030)->setText("20");
  static_cast<QCheckBox*>(greyscale.Control(1154))->setChecked(true);
  EXPECT_EQ(greyscale.Compare(defaults), 1);
  // Using the mask needs a mask.
  greyscale.accept();
  EXPECT_EQ(host.messages.back().text, "Маска не подготовлена");
  EXPECT_EQ(greyscale.focusWidget(), greyscale.Control(1154));
  static_cast<QRadioButton*>(greyscale.Control(1079))->setChecked(true);
  static_cast<QCheckBox*>(greyscale.Control(1154))->setChecked(false);
  greyscale.accept();
  EXPECT_EQ(greyscale.result(), QDialog::Accepted);
  EXPECT_EQ(greyscale.Result().Calck, 2);
  EXPECT_EQ(greyscale.Result().rose_wind, 32);
}

TEST_F(MapPanelsTest, SettingsButtonEditsTheParametersThroughTheDialog) {
  Start();
  AddWindowRoses();
  host.dialogSteps.push_back([](QDialog& dialog) { dialog.reject(); });
  Click(Frame().CalcBar().SettingsButton());
  EXPECT_EQ(host.dialogsRun, 1);
  EXPECT_EQ(Ws().params, CalcParameters{});
  EXPECT_TRUE(Ws().results.hasWindowRoses);

  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& calc = static_cast<CMainCalcDialog&>(dialog);
    calc.Edit(1032)->setText("32");
    calc.Edit(1125)->setText("1.3");
    calc.accept();
  });
  host.messageAnswers.push_back(MessageAnswer::Yes);  // 1.3 offered as 1.25
  Click(Frame().CalcBar().SettingsButton());
  EXPECT_EQ(Ws().params.rose_wind, 32);
  EXPECT_EQ(Ws().params.Rate, 1.25);
  // A new rose window invalidates the window roses.
  EXPECT_FALSE(Ws().results.hasWindowRoses);
  EXPECT_TRUE(app->Document().IsModified());
}

TEST(CompressDialog, FactorIsRoundedToEighthsAndBelowOneIsRefused) {
  CScriptedQtHost host;
  CCompressDlg dialog(nullptr, host);
  EXPECT_EQ(dialog.Text(), "");
  dialog.SetText("1.3");
  EXPECT_EQ(dialog.Factor(), 1.25);
  dialog.SetText("2.06");
  EXPECT_EQ(dialog.Factor(), 2.0);
  dialog.SetText("0.5");
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Значение параметра Compression должно быть больше или равно 1.");
}

TEST_F(MapPanelsTest, CompressWritesAReducedCopyOfTheBaseImage) {
  Start();
  host.dialogSteps.push_back([](QDialog& dialog) {
    static_cast<CCompressDlg&>(dialog).SetText("2");
    dialog.accept();
  });
  const std::string target = folder.File("small.bmp");
  host.saveFiles.push_back(ChosenFile{target, 2});  // BMP
  Choose(32851);
  ASSERT_EQ(host.saveRequests.size(), 1u);
  EXPECT_EQ(host.saveRequests[0].proposedName, "demo_");
  CImage written;
  ASSERT_TRUE(written.Load(target));
  EXPECT_EQ(written.GetWidth(), 240);
  EXPECT_EQ(written.GetHeight(), 180);
  EXPECT_FALSE(app->Document().IsModified());
  // Cancelled in the dialog, nothing is asked further.
  Choose(32851);
  EXPECT_EQ(host.saveRequests.size(), 1u);
}

TEST_F(MapPanelsTest, SaveSettingsOfferToCorrectMismatchedResolutions) {
  Start();
  app->Document().SetModifiedFlag(false);
  const CSaveSettings before = Ws().saveSettings;
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& world = static_cast<CWorldCoordinates&>(dialog);
    world.UpperLeftXEdit()->setText("0");
    world.UpperLeftYEdit()->setText("360");
    world.LowerRightXEdit()->setText("480");
    dialog.reject();
  });
  Choose(32884);
  EXPECT_EQ(Ws().saveSettings, before);

  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& world = static_cast<CWorldCoordinates&>(dialog);
    EXPECT_EQ(world.ResolutionXEdit()->text().toStdString(), "1");
    world.UpperLeftYEdit()->setText("360");
    world.LowerRightXEdit()->setText("480");
    world.UseCoordinatesBox()->setChecked(true);
    dialog.accept();
  });
  host.messageAnswers.push_back(MessageAnswer::Yes);
  Choose(32884);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, LoadText(171));
  EXPECT_EQ(host.messages[0].caption, "Warning");
  EXPECT_EQ(Ws().saveSettings.resolutionX, 1.0);
  EXPECT_EQ(Ws().saveSettings.resolutionY, -1.0);
  EXPECT_TRUE(Ws().saveSettings.useCoordinates);
  EXPECT_EQ(Ws().saveSettings.lowerRightX, 480.0);
  EXPECT_FALSE(app->Document().IsModified());

  // Consistent now: no question.
  host.dialogSteps.push_back([](QDialog& dialog) {
    EXPECT_EQ(static_cast<CWorldCoordinates&>(dialog).ResolutionYEdit()->text().toStdString(), "-1");
    dialog.accept();
  });
  Choose(32884);
  EXPECT_EQ(host.messages.size(), 1u);
}

// With LINEA_SCREENSHOT set, the window with a rose-field map and the rose panel
// is written there as a PNG (run under Xvfb for a real window).
TEST_F(MapPanelsTest, ScreenshotOfARoseFieldMapWithTheRosePanel) {
  Start();
  AddWindowRoses();
  Choose(32775);
  Roses().KindList()->setCurrentIndex(MapKindIndex('r'));
  Click(Roses().ShowButton());
  ASSERT_NE(Layer("Розы 0"), nullptr);
  Ws().layerStack.SetCurrentLayer(Layer("Розы 0"));
  Choose(32649);
  View().grab();
  const ViewPoint at = View().ImageToWindowPoint({200, 150});
  Frame().CursorOverlay().positionX = at.x;
  Frame().CursorOverlay().positionY = at.y;
  Frame().RefreshCursorReadout();
  EXPECT_EQ(Text(Frame().CursorBar().XEdit()), "200");
  QCoreApplication::processEvents();
  const QImage shot = Frame().grab().toImage();
  EXPECT_FALSE(shot.isNull());
  const QByteArray path = qgetenv("LINEA_SCREENSHOT");
  if (!path.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(path)));
  }
}

}  // namespace
}  // namespace linea
