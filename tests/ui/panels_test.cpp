// The panels and small windows on their own: the progress window, the size and
// name dialogs, the layers bar's menu by layer kind, the calculation and
// combination panels.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/band_layer.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"
#include "support/test_host.h"
#include "ui/layers_bar.h"
#include "ui/progress_window.h"
#include "ui/qt_app_host.h"
#include "ui/roses_combine_dlg.h"
#include "ui/small_dialogs.h"
#include "ui/ws_dialog_bar.h"

namespace linea {
namespace {

TEST(ProgressWindow, ShowsTitleAndPercentAndAnimatesOnlyOnAcceptedReports) {
  CProgressWindow window(nullptr, "Поиск склона", true);
  EXPECT_EQ(window.Text().toStdString(), "Поиск склона 0 %");
  const int start = window.AnimationStep();
  EXPECT_TRUE(window.Set(0.0));
  EXPECT_EQ(window.AnimationStep(), start);
  EXPECT_EQ(window.BarValue(), 0);
  EXPECT_TRUE(window.Set(-1.0));
  EXPECT_EQ(window.AnimationStep(), (start + 1) % kProgressAnimationSteps);
  EXPECT_EQ(window.BarValue(), 0);
  EXPECT_TRUE(window.Set(0.999));
  EXPECT_EQ(window.Text().toStdString(), "Поиск склона 99 %");
  EXPECT_EQ(window.BarValue(), 99);
  window.SetTitle("Поиск склона/Большие фрагменты");
  EXPECT_EQ(window.Text().toStdString(), "Поиск склона/Большие фрагменты 99 %");
}

TEST(ProgressWindow, CancelMakesTheNextReportFalseAndLeavesClosingToTheWork) {
  CProgressWindow window(nullptr, "Поиск склона", true);
  window.show();
  window.reject();  // the Cancel button
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.Set(0.5));
  EXPECT_TRUE(window.Cancelled());
}

TEST(ProgressWindow, TheQtHostShowsProgressOfLongWorkAndReportsCancel) {
  CQtAppHost host;
  host.BeginProgress("Поиск склона", 1000);
  ASSERT_NE(host.ProgressWindow(), nullptr);
  EXPECT_TRUE(host.ProgressWindow()->isVisible());
  EXPECT_TRUE(host.SetProgress(500));
  EXPECT_EQ(host.ProgressWindow()->Text().toStdString(), "Поиск склона 50 %");
  host.SetProgressTitle("Поиск склона/Большие фрагменты");
  EXPECT_TRUE(host.SetProgress(999));
  EXPECT_EQ(host.ProgressWindow()->Text().toStdString(), "Поиск склона/Большие фрагменты 99 %");
  host.ProgressWindow()->reject();
  EXPECT_FALSE(host.SetProgress(1000));
  host.EndProgress();
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  EXPECT_TRUE(host.SetProgress(10));  // nothing runs any more
}

TEST(ImageSizeDialog, ShowsTheProposalAndReadsTheEditsAsIntegers) {
  CImageSizeDialog dialog(nullptr, ImageSizeAnswer{362, 362, 2});
  ImageSizeAnswer unchanged = dialog.Answer();
  EXPECT_EQ(unchanged.width, 362);
  EXPECT_EQ(unchanged.height, 362);
  EXPECT_EQ(unchanged.bytesPerSample, 2);
  dialog.SetTexts("640px", "abc", false);
  const ImageSizeAnswer typed = dialog.Answer();
  EXPECT_EQ(typed.width, 640);
  EXPECT_EQ(typed.height, 0);
  EXPECT_EQ(typed.bytesPerSample, 1);
  EXPECT_EQ(LeadingInteger("99999999999"), 2147483647);
}

TEST(LayerNameDialog, ProposesTheNameAndGivesBackWhatWasTyped) {
  CLayerNameDialog dialog(nullptr, "map.tif");
  EXPECT_EQ(dialog.Name(), "map.tif");
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Выберите Имя Слоя");
  dialog.SetName("Рельеф");
  EXPECT_EQ(dialog.Name(), "Рельеф");
}

TEST(WidthAndAboutDialogs, ShowTheirValues) {
  CVWidthDlg width(nullptr, 3);
  EXPECT_EQ(width.Text(), "3");
  EXPECT_EQ(width.windowTitle().toStdString(), "Изменение ширины");
  CAboutDlg about(nullptr);
  EXPECT_EQ(about.VersionText().toStdString(), "3.1");
}

TEST(LayerMenu, EachKindOffersItsOwnCommands) {
  CBitmapLayer bitmap("b", false);
  EXPECT_EQ(LayerMenuCommands(bitmap), (std::vector<int>{kLayerDelete}));
  CRasterLayer raster("r", true);
  EXPECT_EQ(LayerMenuCommands(raster),
            (std::vector<int>{kLayerDelete, kLayerPalette, kLayerGreyPalette, kLayerIsolines, kLayerColorBand}));
  CColorBandLayer band("c", true);
  EXPECT_EQ(LayerMenuCommands(band), (std::vector<int>{kLayerDelete, kLayerChangeColor, kLayerIsolines}));

  CVectorLayer vector("v", true);
  EXPECT_EQ(LayerMenuCommands(vector), (std::vector<int>{kLayerDelete, kLayerChangeColor}));
  vector.SetFlag(kLayerSeveralColors, true);
  EXPECT_EQ(LayerMenuCommands(vector), (std::vector<int>{kLayerDelete}));
  vector.SetFlag(kLayerSeveralColors, false);
  vector.SetColorChangeable(false);
  EXPECT_EQ(LayerMenuCommands(vector), (std::vector<int>{kLayerDelete}));

  CVectorLayer3 drawing("d", true);
  EXPECT_EQ(LayerMenuCommands(drawing), (std::vector<int>{kLayerDelete, kLayerDrawLast}));
  drawing.holdsStripes = 1;
  EXPECT_EQ(LayerMenuCommands(drawing), (std::vector<int>{kLayerDelete, kLayerDrawLast, kLayerReplaceStripes}));
}

TEST(LayerMenu, KindIconsAreRasterDrawingVectorBand) {
  EXPECT_EQ(LayerIconIndex(kLayerKindBitmap), 0);
  EXPECT_EQ(LayerIconIndex(kLayerKindRaster), 0);
  EXPECT_EQ(LayerIconIndex(kLayerKindVector3), 1);
  EXPECT_EQ(LayerIconIndex(kLayerKindVector), 2);
  EXPECT_EQ(LayerIconIndex(kLayerKindBand), 3);
}

TEST(CalcPanel, MarksFollowTheResultsAndButtonsTheirInputs) {
  CWSDialogBar bar(nullptr);
  bar.show();
  CalcPanelState state;
  state.hasBaseImage = true;
  state.hasStripes = true;
  bar.UpdateCalcPanel(state);
  EXPECT_TRUE(bar.Mark(0)->isVisible());
  EXPECT_FALSE(bar.Mark(1)->isVisible());
  EXPECT_TRUE(bar.StripesBox()->isEnabled());
  EXPECT_FALSE(bar.BlockRosesBox()->isEnabled());  // no blocks image
  EXPECT_TRUE(bar.WindowRosesBox()->isEnabled());
  EXPECT_TRUE(bar.LineamentsBox()->isEnabled());
  EXPECT_FALSE(bar.CalculateButton()->isEnabled());

  // Without stripes the later steps wait for the stripes switch.
  state.hasStripes = false;
  state.hasBlocksImage = true;
  bar.UpdateCalcPanel(state);
  EXPECT_FALSE(bar.Mark(0)->isVisible());
  EXPECT_FALSE(bar.WindowRosesBox()->isEnabled());
  bar.StripesBox()->setChecked(true);
  bar.UpdateCalcPanel(state);
  EXPECT_TRUE(bar.WindowRosesBox()->isEnabled());
  EXPECT_TRUE(bar.BlockRosesBox()->isEnabled());
}

TEST(CombinationPanel, ListsProjectsAndChecksTheCountOfTheMode) {
  CombinedProject first;
  first.fileName = "/data/a.orw";
  first.width = 640;
  first.height = 480;
  first.imageType = 1;
  CombinedProject second = first;
  second.fileName = "b.orw";
  second.imageType = 3;
  CombinedProject third = first;
  third.imageType = 2;
  EXPECT_EQ(CombinedProjectLine(first), "/data/a.orw [640X480] GREY");
  EXPECT_EQ(CombinedProjectLine(second), "b.orw [640X480] DTM");
  EXPECT_EQ(CombinedProjectLine(third), "/data/a.orw [640X480] LINE");

  CRosesCombineDlg panel(nullptr);
  EXPECT_TRUE(panel.UnionMode());
  panel.Refill({first, second});
  ASSERT_EQ(panel.List()->count(), 2);
  EXPECT_EQ(panel.List()->item(1)->text().toStdString(), "b.orw [640X480] DTM");

  EXPECT_EQ(CombinationCountMessage(true, 1), 32813);
  EXPECT_EQ(CombinationCountMessage(true, 3), 0);
  EXPECT_EQ(CombinationCountMessage(false, 2), 0);
  EXPECT_EQ(CombinationCountMessage(false, 3), 32814);
  EXPECT_EQ(LoadText(32813), "Пожалуйста, выберите как минимум два проекта для данной операции.");
}

}  // namespace
}  // namespace linea
