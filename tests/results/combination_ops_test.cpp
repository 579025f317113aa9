#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "results/combination_ops.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Roses = std::vector<std::uint16_t>;

Roses Repeat(const Roses& rose, int times) {
  Roses all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), rose.begin(), rose.end());
  return all;
}

// Projects of 64 x 48 pixels on a grid 32 wide (rate 2), the first one of type 3.
class CombineWindowRosesTest : public ::testing::Test {
 protected:
  int Combine(int mode, bool normalise, std::vector<Roses> roses) {
    held = std::move(roses);
    std::vector<CombinationInput> inputs;
    for (const Roses& r : held) inputs.push_back(CombinationInput{64, 48, 3, 32, r});
    if (!inputs.empty()) inputs.back().width = 99;  // only the first project's geometry counts
    return CombineWindowRoses(results, mode, normalise, inputs);
  }
  CResults results;
  std::vector<Roses> held;
};

TEST_F(CombineWindowRosesTest, TheDifferenceOfEqualProjectsIsZeroWithTheFirstProjectsGeometry) {
  results.SetImageGeometry(10, 10, 2, 1);
  const Roses a = Repeat({1, 2, 3, 4, 5, 6, 7, 8}, 3);
  ASSERT_EQ(Combine(kCombineDifference, false, {a, a}), 0);
  EXPECT_EQ(results.windowRoses, Roses(24, 0));
  EXPECT_TRUE(results.hasWindowRoses);
  EXPECT_EQ(results.imageWidth, 64u);
  EXPECT_EQ(results.imageHeight, 48u);
  EXPECT_EQ(results.imageType, 3);
  EXPECT_EQ(results.pixelCount, 64u * 48u);
  EXPECT_EQ(results.bytesPerPixel, 1);
  EXPECT_EQ(results.gridWidth, 32u);  // rate 2
  EXPECT_EQ(results.gridHeight, 24u);
}

TEST_F(CombineWindowRosesTest, TheDifferenceIsAbsolute) {
  ASSERT_EQ(Combine(kCombineDifference, false, {{5, 0, 9, 0, 0, 0, 0, 1}, {2, 3, 9, 0, 0, 0, 0, 4}}), 0);
  EXPECT_EQ(results.windowRoses, (Roses{3, 3, 0, 0, 0, 0, 0, 3}));
}

TEST_F(CombineWindowRosesTest, NormalisedRosesThatDifferByAFactorGiveZero) {
  const Roses a = {1, 2, 3, 4, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 1};
  const Roses b = {3, 6, 9, 12, 0, 0, 0, 0, 35, 0, 0, 0, 0, 0, 0, 5};
  ASSERT_EQ(Combine(kCombineDifference, true, {a, b}), 0);
  EXPECT_EQ(results.windowRoses, Roses(16, 0));
  // Without normalisation they differ.
  ASSERT_EQ(Combine(kCombineDifference, false, {a, b}), 0);
  EXPECT_EQ(results.windowRoses[1], 4);
}

TEST_F(CombineWindowRosesTest, TheUnionIsTheTruncatedMean) {
  ASSERT_EQ(Combine(kCombineUnion, false, {{1, 0, 0, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 0, 0, 0},
                                            {4, 0, 0, 0, 0, 0, 0, 3}}),
            0);
  EXPECT_EQ(results.windowRoses, (Roses{2, 0, 0, 0, 0, 0, 0, 1}));
}

TEST_F(CombineWindowRosesTest, TheNormalisedUnionScalesEveryRoseTo400) {
  ASSERT_EQ(Combine(kCombineUnion, true, {{400, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 0, 0, 0, 0}}), 0);
  EXPECT_EQ(results.windowRoses, (Roses{250, 50, 50, 50, 0, 0, 0, 0}));
}

TEST_F(CombineWindowRosesTest, ARoseWithoutCountsStaysZeroWhenNormalised) {
  for (int mode : {kCombineUnion, kCombineDifference}) {
    ASSERT_EQ(Combine(mode, true, {Roses(8, 0), Roses(8, 0)}), 0);
    EXPECT_EQ(results.windowRoses, Roses(8, 0));
  }
}

TEST_F(CombineWindowRosesTest, AWrongNumberOfProjectsChangesNothing) {
  results.windowRoses = Roses(8, 9);
  results.hasWindowRoses = true;
  const Roses a = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Combine(kCombineDifference, false, {a, a, a}), 2);
  EXPECT_EQ(Combine(kCombineUnion, false, {a}), 2);
  EXPECT_EQ(Combine(kCombineUnion, false, {}), kErrorGeneralFailure);
  EXPECT_EQ(results.windowRoses, Roses(8, 9));
  EXPECT_TRUE(results.hasWindowRoses);
}

TEST_F(CombineWindowRosesTest, AShorterProjectCountsAsZeroBeyondItsEnd) {
  ASSERT_EQ(Combine(kCombineUnion, false, {{4, 4, 4, 4, 4, 4, 4, 4}, {2, 2}}), 0);
  EXPECT_EQ(results.windowRoses, (Roses{3, 3, 2, 2, 2, 2, 2, 2}));
}

class FieldAdditionTest : public ::testing::Test {
 protected:
  FieldAdditionTest() : stack(host) {}
  void AddMap(const std::string& name, int width, int height, const std::function<int(int, int)>& classOf,
              double classWidth, int from) {
    auto layer = std::make_unique<CRasterLayer>(name, true);
    std::vector<std::uint8_t> pixels(std::size_t(width * height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[std::size_t(y * width + x)] = std::uint8_t(classOf(x, y));
    layer->used.fill(1);
    ASSERT_TRUE(layer->CreateFromPixels(width, height, 8, pixels, layer->red, layer->green, layer->blue, layer->used,
                                        256));
    layer->classWidth = classWidth;
    layer->From = from;
    layer->SetDescription("map " + name);
    stack.AddLayer(std::move(layer));
  }
  CRasterLayer* Result() { return dynamic_cast<CRasterLayer*>(stack.FindLayer("Add")); }
  int Class(int x, int y) { return Result()->Image().Row(y)[x]; }

  CTestHost host;
  CLayerStack stack;
  PaletteSettings palette;
};

TEST_F(FieldAdditionTest, OneMapOfClasses1To10) {
  AddMap("a", 10, 2, [](int x, int) { return x + 1; }, 1.0, 0);
  const std::vector<std::string> plus = {"a"};
  ASSERT_EQ(AddFields(stack, plus, {}, "Add", palette), 0);
  ASSERT_NE(Result(), nullptr);
  EXPECT_EQ(Result()->classes, 10);
  EXPECT_EQ(Class(0, 0), 1);  // value 1 comes out as 0
  EXPECT_EQ(Class(1, 0), 1);
  EXPECT_EQ(Class(5, 1), 5);
  EXPECT_EQ(Class(9, 0), 9);
  EXPECT_EQ(Result()->From, 1);
  EXPECT_EQ(Result()->To, 10);
  EXPECT_EQ(Result()->Min, 1);
  EXPECT_EQ(Result()->Max, 10);
  EXPECT_DOUBLE_EQ(Result()->classWidth, 1.0);
  EXPECT_EQ(Result()->classHistogram[1], 4.0);
  EXPECT_EQ(Result()->classHistogram[9], 2.0);
  EXPECT_EQ(Result()->steps, 8);
  EXPECT_EQ(Result()->stepBoundaries.size(), 8u);
  EXPECT_EQ(Result()->GetDescription(), "AUTO scale, From 1 To 10, \n Add : map a");
}

TEST_F(FieldAdditionTest, AnEmptyPixelOfAnyMapStaysEmpty) {
  AddMap("a", 4, 1, [](int x, int) { return x + 1; }, 1.0, 0);
  AddMap("b", 4, 1, [](int x, int) { return x == 2 ? 0 : 5; }, 1.0, 0);
  const std::vector<std::string> plus = {"a"}, minus = {"b"};
  ASSERT_EQ(AddFields(stack, plus, minus, "Add", palette), 0);
  // Values 1 - 5, 2 - 5, empty, 4 - 5.
  EXPECT_EQ(Class(2, 0), 0);
  EXPECT_EQ(Result()->From, -4);
  EXPECT_EQ(Result()->To, -1);
  EXPECT_EQ(Class(0, 0), 1);
  EXPECT_EQ(Class(3, 0), 3);
  EXPECT_EQ(Result()->GetDescription(), "AUTO scale, From -4 To -1, \n Add : map a\n Subtract : map b");
}

TEST_F(FieldAdditionTest, ARangeOf1000Gives255ClassesAtScale0254) {
  AddMap("a", 3, 1, [](int x, int) { return x == 0 ? 1 : 2; }, 1000.0, 0);
  const std::vector<std::string> plus = {"a"};
  ASSERT_EQ(AddFields(stack, plus, {}, "Add", palette), 0);
  EXPECT_EQ(Result()->classes, 255);
  EXPECT_DOUBLE_EQ(Result()->classWidth, 1.0 / 0.254);
  EXPECT_EQ(Class(0, 0), 1);
  EXPECT_EQ(Class(1, 0), 254);  // trunc(1000 x 0.254 + 0.5)
}

TEST_F(FieldAdditionTest, OnlySubtractedMapsAreTakenFromZero) {
  AddMap("m", 2, 2, [](int, int) { return 3; }, 1.0, 0);
  const std::vector<std::string> minus = {"m"};
  ASSERT_EQ(AddFields(stack, {}, minus, "Add", palette), 0);
  EXPECT_EQ(Result()->From, -3);
  EXPECT_EQ(Result()->To, -3);
  EXPECT_EQ(Result()->classes, 1);
  EXPECT_EQ(Class(1, 1), 1);
  EXPECT_EQ(Result()->GetDescription(), "AUTO scale, From -3 To -3, \n Subtract : map m");
}

TEST_F(FieldAdditionTest, MissingMapsAndEmptyListsAddNothing) {
  AddMap("a", 2, 2, [](int, int) { return 3; }, 1.0, 0);
  const std::vector<std::string> plus = {"a", "gone"};
  EXPECT_EQ(AddFields(stack, plus, {}, "Add", palette), 2);
  EXPECT_EQ(AddFields(stack, {}, {}, "Add", palette), 1);
  EXPECT_EQ(stack.LayerCount(), 1);
  EXPECT_EQ(FieldAdditionCandidates(stack), std::vector<std::string>{});  // one layer only
  AddMap("b", 2, 2, [](int, int) { return 3; }, 1.0, 0);
  stack.AddLayer(std::make_unique<CVectorLayer3>("drawing", true));
  EXPECT_EQ(FieldAdditionCandidates(stack), (std::vector<std::string>{"a", "b"}));
}

TEST_F(FieldAdditionTest, AMapOfAnotherSizeIsReadAsFarAsItReaches) {
  AddMap("a", 4, 2, [](int, int) { return 2; }, 1.0, 0);
  AddMap("b", 2, 1, [](int, int) { return 2; }, 1.0, 0);
  const std::vector<std::string> plus = {"a", "b"};
  ASSERT_EQ(AddFields(stack, plus, {}, "Add", palette), 0);
  EXPECT_EQ(Result()->Image().GetWidth(), 4);
  EXPECT_EQ(Result()->Image().GetHeight(), 2);
  EXPECT_EQ(Class(1, 0), 1);
  EXPECT_EQ(Class(2, 0), 0);
  EXPECT_EQ(Class(0, 1), 0);
}

class MergeDrawingsTest : public ::testing::Test {
 protected:
  MergeDrawingsTest() : stack(host) {}
  CVectorLayer3* AddDrawing(const std::string& name, std::uint32_t color, bool visible = true,
                            std::uint8_t stripes = 0) {
    auto layer = std::make_unique<CVectorLayer3>(name, true);
    const PolylinePoint points[] = {{1, 2}, {3, int(color & 0xFF)}};
    EXPECT_FALSE(layer->AddPolyline32(points, color, 1));
    layer->SetDescription("d" + name);
    layer->SetVisible(visible);
    layer->holdsStripes = stripes;
    return static_cast<CVectorLayer3*>(stack.AddLayer(std::move(layer)));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < stack.LayerCount(); ++i) names.push_back(stack.LayerAt(i)->GetName());
    return names;
  }
  CTestHost host;
  CLayerStack stack;
};

TEST_F(MergeDrawingsTest, ThreeVisibleDrawingsBecomeOneAndHiddenOnesStay) {
  AddDrawing("a", 1, true, 1);
  AddDrawing("hidden", 2, false);
  AddDrawing("b", 3, true, 1);
  stack.SetCurrentLayer(AddDrawing("c", 1, true, 1));
  host.layerNameAnswers.push_back("Объединение");
  ASSERT_TRUE(MergeVectorLayers(stack, host));
  EXPECT_EQ(Names(), (std::vector<std::string>{"hidden", "Объединение"}));
  auto* merged = dynamic_cast<CVectorLayer3*>(stack.FindLayer("Объединение"));
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(merged->GetDescription(), "Combine layers\n Layer 0 da\n Layer 1 db\n Layer 2 dc");
  ASSERT_EQ(merged->GroupCount(), 2);  // colours 1 and 3
  EXPECT_EQ(merged->Group(0).PolylineCount(), 2);
  EXPECT_EQ(merged->Group(1).PolylineCount(), 1);
  EXPECT_EQ(merged->Group(1).Polyline(0)[1], (PolylinePoint{3, 3}));
  EXPECT_EQ(merged->holdsStripes, 1);
  EXPECT_EQ(stack.GetCurrentLayer(), nullptr);
}

TEST_F(MergeDrawingsTest, TheStripesFlagNeedsEveryDrawingToHaveIt) {
  AddDrawing("a", 1, true, 1);
  AddDrawing("b", 2, true, 0);
  host.layerNameAnswers.push_back("m");
  ASSERT_TRUE(MergeVectorLayers(stack, host));
  EXPECT_EQ(dynamic_cast<CVectorLayer3*>(stack.FindLayer("m"))->holdsStripes, 0);
}

TEST_F(MergeDrawingsTest, FewerThanTwoVisibleDrawingsOrACancelLeaveTheStack) {
  AddDrawing("a", 1);
  AddDrawing("b", 2, false);
  host.layerNameAnswers.push_back("m");
  EXPECT_FALSE(MergeVectorLayers(stack, host));
  EXPECT_EQ(host.layerNameAnswers.size(), 1u);  // not even asked
  AddDrawing("c", 3);
  host.layerNameAnswers.clear();
  host.layerNameAnswers.push_back(std::nullopt);
  EXPECT_FALSE(MergeVectorLayers(stack, host));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(MergeDrawingsTest, TheNameOfALayerThatStaysIsRefusedThatOfAMergedOneTaken) {
  AddDrawing("a", 1);
  AddDrawing("b", 2, false);
  AddDrawing("c", 3);
  host.layerNameAnswers.push_back("b");
  EXPECT_FALSE(MergeVectorLayers(stack, host));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  host.layerNameAnswers.push_back("a");
  ASSERT_TRUE(MergeVectorLayers(stack, host));
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(stack.FindLayer("a")->GetDescription(), "Combine layers\n Layer 0 da\n Layer 1 dc");
}

TEST_F(MergeDrawingsTest, ATableOverflowDiscardsTheMergedDrawing) {
  // 13 + 12 colours: more groups than one drawing holds.
  auto first = std::make_unique<CVectorLayer3>("a", true);
  auto second = std::make_unique<CVectorLayer3>("b", true);
  const PolylinePoint points[] = {{0, 0}, {1, 1}};
  for (std::uint32_t c = 0; c < 13; ++c) EXPECT_FALSE(first->AddPolyline32(points, c, 1));
  for (std::uint32_t c = 100; c < 112; ++c) EXPECT_FALSE(second->AddPolyline32(points, c, 1));
  stack.AddLayer(std::move(first));
  stack.AddLayer(std::move(second));
  host.layerNameAnswers.push_back("m");
  EXPECT_FALSE(MergeVectorLayers(stack, host));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace linea
