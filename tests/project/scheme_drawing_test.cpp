// The scheme drawing tool without its window: layers named by the run's counter,
// polylines that land in one drawing until a new one is asked for, the
// description of the last segment, and the line widths and colours of drawings.
#include <gtest/gtest.h>

#include <vector>

#include "layers/bitmap_layer.h"
#include "layers/vector_layer3.h"
#include "project/line_widths.h"
#include "project/scheme_drawing.h"
#include "project/workspace.h"
#include "support/test_host.h"

namespace linea {
namespace {

std::vector<PolylinePoint16> Points(std::initializer_list<std::pair<int, int>> list) {
  std::vector<PolylinePoint16> points;
  for (auto [x, y] : list) points.push_back({std::int16_t(x), std::int16_t(y)});
  return points;
}

class SchemeDrawing : public ::testing::Test {
 protected:
  SchemeDrawing() : workspace(host) {}

  // One polyline drawn as the view hands it over: `batches` and then the rest with "finish".
  int Draw(const std::vector<std::vector<PolylinePoint16>>& batches, const SchemeStyle& style = {}) {
    if (const int code = drawing.StartPolyline(workspace.layerStack, style)) return code;
    for (std::size_t i = 0; i + 1 < batches.size(); ++i) drawing.AddSchemePoints(workspace, batches[i], false);
    return drawing.AddSchemePoints(workspace, batches.back(), true);
  }
  CVectorLayer3* Drawing(const std::string& name) {
    return dynamic_cast<CVectorLayer3*>(workspace.layerStack.FindLayer(name));
  }

  CTestHost host;
  CWorkspace workspace;
  CSchemeDrawing drawing;
};

TEST(SchemeSegment, LengthAndDirectionOfTheLastSegment) {
  const SegmentMeasure slanted = MeasureSegment(3, 4);
  EXPECT_EQ(slanted.length, 5);
  EXPECT_EQ(slanted.direction, 127);  // 180 - trunc(53.13)
  EXPECT_EQ(MeasureSegment(7, 0).direction, 180);
  EXPECT_EQ(MeasureSegment(-7, 0).direction, 180);
  EXPECT_EQ(MeasureSegment(0, 9).direction, 90);
  EXPECT_EQ(MeasureSegment(0, -9).direction, 90);
  // Up and to the right on screen (rows grow downwards).
  EXPECT_EQ(MeasureSegment(10, -10).direction, 45);
  EXPECT_EQ(MeasureSegment(10, 10).direction, 135);
  EXPECT_EQ(MeasureSegment(-3, -4).direction, 127);
  EXPECT_EQ(MeasureSegment(30000, 30000).length, 42426);
  const SegmentMeasure none = MeasureSegment(0, 0);
  EXPECT_EQ(none.length, 0);
  EXPECT_FALSE(none.hasDirection);
}

TEST(SchemeSegment, DescriptionAddsTheWorldLengthOnlyForAResolutionOtherThanOne) {
  EXPECT_EQ(SchemeDescription(3, 4, 1.0, 1.0), "Drawing Distance 5 Direction 127 ");
  EXPECT_EQ(SchemeDescription(3, 4, 2.0, 2.0), "Drawing Distance 5 Direction 127  ( 10) ");
  EXPECT_EQ(SchemeDescription(3, 4, -1.0, 1.0), "Drawing Distance 5 Direction 127 ");
  EXPECT_EQ(SchemeDescription(3, 4, 1.0, 3.0), "Drawing Distance 5 Direction 127  ( 12) ");  // sqrt(9 + 144)
  EXPECT_EQ(SchemeDescription(0, 0, 1.0, 1.0), "Drawing Distance 0 ");
  EXPECT_EQ(SchemeDescription(0, 0, 2.0, 2.0), "Drawing Distance 0  ( 0) ");
  EXPECT_EQ(SchemeDescription(3, 4, 1e300, 1e300), "Drawing Distance 5 Direction 127  ( 2147483647) ");
}

TEST_F(SchemeDrawing, TwoPolylinesWithoutANewLayerLandInRisunok1DescribingTheLastSegment) {
  ASSERT_EQ(Draw({Points({{10, 10}, {50, 10}})}, {0x0000FF, 1}), 0);
  ASSERT_EQ(workspace.layerStack.LayerCount(), 1);
  EXPECT_FALSE(drawing.NewLayerSwitch());
  ASSERT_EQ(Draw({Points({{40, 40}, {60, 60}}), Points({{0, 0}, {3, 4}})}, {0x0000FF, 1}), 0);
  ASSERT_EQ(workspace.layerStack.LayerCount(), 1);
  CVectorLayer3* layer = Drawing("Рисунок1");
  ASSERT_NE(layer, nullptr);
  EXPECT_TRUE(layer->IsDeletable());
  EXPECT_EQ(layer->GetDescription(), "Drawing Distance 5 Direction 127 ");
  ASSERT_EQ(layer->GroupCount(), 1);
  ASSERT_EQ(layer->Group(0).PolylineCount(), 2);
  // The batches of one polyline join into one line.
  const auto second = layer->Group(0).Polyline(1);
  ASSERT_EQ(second.size(), 4u);
  EXPECT_EQ(second[3], (PolylinePoint{3, 4}));
  EXPECT_EQ(drawing.Counter(), 1);
}

TEST_F(SchemeDrawing, ASinglePointAndARepeatedLastPointHaveNoDirection) {
  ASSERT_EQ(Draw({Points({{20, 30}})}), 0);
  EXPECT_EQ(Drawing("Рисунок1")->GetDescription(), "Drawing Distance 0 ");
  ASSERT_EQ(Draw({Points({{20, 30}, {40, 30}, {40, 30}})}), 0);
  EXPECT_EQ(Drawing("Рисунок1")->GetDescription(), "Drawing Distance 0 ");
}

TEST_F(SchemeDrawing, ANewLayerAndEndingStartNewDrawingsWhoseNumbersAreNeverReused) {
  ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}), 0);
  drawing.StartNewLayer();
  ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}), 0);
  drawing.End();
  // A deleted drawing does not give its number back.
  workspace.layerStack.RemoveLayer(Drawing("Рисунок1"));
  ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}), 0);
  EXPECT_NE(Drawing("Рисунок2"), nullptr);
  EXPECT_NE(Drawing("Рисунок3"), nullptr);
  EXPECT_EQ(Drawing("Рисунок1"), nullptr);
  EXPECT_EQ(drawing.Counter(), 3);
}

TEST_F(SchemeDrawing, ANewDrawingNeverReplacesALayerOfTheSameName) {
  workspace.layerStack.AddLayer(std::make_unique<CVectorLayer3>("Рисунок1", true));
  CLayer* kept = workspace.layerStack.FindLayer("Рисунок1");
  ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}), 0);
  EXPECT_EQ(workspace.layerStack.FindLayer("Рисунок1"), kept);
  EXPECT_NE(Drawing("Рисунок2"), nullptr);
}

TEST_F(SchemeDrawing, ADrawingDeletedWhileTheToolIsOpenIsNotDrawnIntoAgain) {
  ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}), 0);
  workspace.layerStack.RemoveLayer(Drawing("Рисунок1"));
  workspace.layerStack.AddLayer(std::make_unique<CVectorLayer3>("Объединение", true));
  ASSERT_EQ(Draw({Points({{5, 5}, {9, 9}})}), 0);
  EXPECT_EQ(Drawing("Объединение")->GroupCount(), 0);
  ASSERT_NE(Drawing("Рисунок2"), nullptr);
  EXPECT_EQ(Drawing("Рисунок2")->Group(0).PolylineCount(), 1);
}

TEST_F(SchemeDrawing, ACancelledPolylineLeavesNothingBehind) {
  ASSERT_EQ(drawing.StartPolyline(workspace.layerStack, {}), 0);
  ASSERT_EQ(drawing.AddSchemePoints(workspace, Points({{1, 1}, {5, 5}, {9, 1}}), false), 0);
  drawing.CancelPolyline();
  EXPECT_FALSE(drawing.IsDrawing());
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  // Points that arrive after the cancel are not taken.
  EXPECT_EQ(drawing.AddSchemePoints(workspace, Points({{1, 1}}), true), 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  // Once the drawing is in the stack, a cancelled polyline does not change it.
  ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}), 0);
  CVectorLayer3* layer = Drawing("Рисунок2");
  ASSERT_NE(layer, nullptr);
  layer->ClearChanged();
  ASSERT_EQ(drawing.StartPolyline(workspace.layerStack, {}), 0);
  drawing.AddSchemePoints(workspace, Points({{7, 7}, {8, 8}}), false);
  drawing.CancelPolyline();
  EXPECT_EQ(layer->Group(0).PolylineCount(), 1);
  EXPECT_FALSE(layer->IsChanged());
}

TEST_F(SchemeDrawing, ARefusedPolylineIsReportedAndTheDrawingStaysAsItWas) {
  // 24 colours fill the drawing's table; a 25th is refused.
  for (std::uint32_t c = 0; c < 24; ++c) ASSERT_EQ(Draw({Points({{1, 1}, {2, 2}})}, {c, 1}), 0);
  CVectorLayer3* layer = Drawing("Рисунок1");
  layer->SetDescription("kept");
  EXPECT_EQ(Draw({Points({{3, 3}, {4, 4}})}, {0x123456, 1}), 3);
  EXPECT_EQ(layer->GroupCount(), 24);
  EXPECT_EQ(layer->GetDescription(), "kept");
  EXPECT_EQ(workspace.layerStack.LayerCount(), 1);
}

TEST_F(SchemeDrawing, FinishingWithoutVerticesAddsNoLayer) {
  ASSERT_EQ(Draw({Points({})}), 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  EXPECT_TRUE(drawing.NewLayerSwitch());
}

TEST(LineWidthBoxes, OnlyWholeNumbersFromOneToOneHundredAreTaken) {
  CTestHost host;
  EXPECT_EQ(ReadLineWidth(host, "3", kWidthParameter), 3);
  EXPECT_EQ(ReadLineWidth(host, " 100 ", kWidthParameter), 100);
  EXPECT_EQ(ReadLineWidth(host, "+1", kWidthParameter), 1);
  EXPECT_TRUE(host.messages.empty());
  for (const char* bad : {"0", "-2", "101", "abc", "3px", "", "99999999999", "2.5"})
    EXPECT_EQ(ReadLineWidth(host, bad, kWidthParameter), std::nullopt) << bad;
  ASSERT_EQ(host.messages.size(), 8u);
  EXPECT_EQ(host.messages[0].text, "Значение параметра Width должно быть от 1 до 100.");
}

TEST(LineWidthValues, DrawingsAreRecomposedOnlyWhenTheirDrawnWidthCanChange) {
  CTestHost host;
  CWorkspace workspace(host);
  CVectorLayer3* shown = static_cast<CVectorLayer3*>(
      workspace.layerStack.AddLayer(std::make_unique<CVectorLayer3>("shown", true)));
  CVectorLayer3* hidden = static_cast<CVectorLayer3*>(
      workspace.layerStack.AddLayer(std::make_unique<CVectorLayer3>("hidden", true)));
  hidden->SetVisible(false);
  auto clear = [&] {
    shown->ClearChanged();
    hidden->ClearChanged();
  };
  const LineWidthSettings automaticOff{false, 1, 1};
  workspace.lineWidthScaling = false;
  clear();
  // Switch off: a new visible width is stored but draws nothing new.
  EXPECT_FALSE(ApplyLineWidths(workspace, automaticOff, {false, 4, 2}));
  EXPECT_EQ(workspace.lineWidth, 4);
  EXPECT_EQ(workspace.defaultLineWidth, 2);
  EXPECT_FALSE(shown->IsChanged());
  // Switching it on redraws the visible drawings only.
  EXPECT_TRUE(ApplyLineWidths(workspace, LineWidthsOf(workspace), {true, 4, 2}));
  EXPECT_TRUE(workspace.lineWidthScaling);
  EXPECT_TRUE(shown->IsChanged());
  EXPECT_FALSE(hidden->IsChanged());
  clear();
  // With the switch on a new visible width redraws; a new default width does not.
  EXPECT_FALSE(ApplyLineWidths(workspace, LineWidthsOf(workspace), {true, 4, 5}));
  EXPECT_FALSE(shown->IsChanged());
  EXPECT_TRUE(ApplyLineWidths(workspace, LineWidthsOf(workspace), {true, 2, 5}));
  EXPECT_TRUE(shown->IsChanged());
}

TEST(DrawingStyle, ColourAndWidthApplyToEveryLineOfADrawingOnly) {
  CVectorLayer3 layer("d", true);
  EXPECT_EQ(LayerLineWidth(layer), 0);
  EXPECT_FALSE(SetDrawingColor(layer, 0x00FF00));
  const std::vector<PolylinePoint16> line = Points({{0, 0}, {5, 5}});
  ASSERT_FALSE(layer.AddPolyline16(line, 0x0000FF, 3));
  ASSERT_FALSE(layer.AddPolyline16(line, 0xFF0000, 1));
  EXPECT_EQ(LayerLineWidth(layer), 3);
  EXPECT_EQ(DrawingColor(layer), 0x0000FFu);
  layer.ClearChanged();
  EXPECT_TRUE(SetDrawingWidth(layer, 7));
  EXPECT_TRUE(layer.IsChanged());
  EXPECT_TRUE(SetDrawingColor(layer, 0x00FF00));
  ASSERT_EQ(layer.GroupCount(), 2);
  for (int g = 0; g < 2; ++g) {
    EXPECT_EQ(layer.Group(g).GetWidth(), 7);
    EXPECT_EQ(layer.Group(g).GetColor(), 0x00FF00u);
    EXPECT_EQ(layer.Group(g).PolylineCount(), 1);
  }
  // New lines of the same colour and width join the first such group.
  ASSERT_FALSE(layer.AddPolyline16(line, 0x00FF00, 7));
  EXPECT_EQ(layer.GroupCount(), 2);
  EXPECT_EQ(layer.Group(0).PolylineCount(), 2);

  CBitmapLayer picture("p", true);
  EXPECT_EQ(LayerLineWidth(picture), 0);
  EXPECT_FALSE(SetDrawingWidth(picture, 2));
  EXPECT_EQ(DrawingColor(picture), std::nullopt);
}

}  // namespace
}  // namespace linea
