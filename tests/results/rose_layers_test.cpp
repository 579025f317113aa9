#include <gtest/gtest.h>

#include <cmath>

#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "results/rose_layers.h"
#include "support/test_host.h"

namespace linea {
namespace {

class RoseLayersTest : public ::testing::Test {
 protected:
  RoseLayersTest() : stack(host) {
    results.SetImageGeometry(800, 600, 1, 1);
    results.sourcePath = "D:\\maps\\area.bmp";
    results.hasGlobalRose = true;
  }
  const CVectorLayer3& Layer(const char* name) {
    auto* layer = dynamic_cast<CVectorLayer3*>(stack.FindLayer(name));
    EXPECT_NE(layer, nullptr);
    return *layer;
  }
  static std::vector<PolylinePoint> Polygon(const CVectorLayer3& layer, int index) {
    EXPECT_EQ(layer.GroupCount(), 1);
    const auto points = layer.Group(0).Polyline(index);
    return {points.begin(), points.end()};
  }

  CTestHost host;
  CLayerStack stack;
  CResults results;
  CalcParameters params;
};

TEST_F(RoseLayersTest, OneClassGivesABarThroughTheCentreAQuarterOfTheShorterSideEachWay) {
  results.globalRose = {10, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(BuildGlobalRoseLayer(results, stack, "Глобальная Роза", params, 2), 0);
  const CVectorLayer3& layer = Layer("Глобальная Роза");
  EXPECT_EQ(layer.Group(0).GetColor(), MakeColor(255, 0, 0));
  EXPECT_EQ(layer.Group(0).GetWidth(), 2);
  const auto points = Polygon(layer, 0);
  ASSERT_EQ(points.size(), 17u);
  EXPECT_EQ(points[0], (PolylinePoint{550, 300}));
  EXPECT_EQ(points[8], (PolylinePoint{250, 300}));
  EXPECT_EQ(points[16], points[0]);
  for (int k : {1, 2, 3, 4, 5, 6, 7, 9, 10, 15}) EXPECT_EQ(points[std::size_t(k)], (PolylinePoint{400, 300})) << k;
  EXPECT_EQ(layer.GetDescription(), "Global Rose (Linear=20, Contrast=1, GREYSCALE, area.bmp)");
}

TEST_F(RoseLayersTest, TheLongestWeightedBeamIsOneHundredFiftyPixelsOnEightHundredBySixHundred) {
  // Weighted 100, 54.1, 154.6 (class 3 carries 1.288): class 3, at 45 degrees, is longest.
  results.globalRose = {100, 50, 120, 0, 0, 0, 0, 0};
  ASSERT_EQ(BuildGlobalRoseLayer(results, stack, "Глобальная Роза", params), 0);
  const auto points = Polygon(Layer("Глобальная Роза"), 0);
  EXPECT_EQ(points[2], (PolylinePoint{400 + 106, 300 - 106}));  // trunc(150 cos 45)
  EXPECT_EQ(points[10], (PolylinePoint{400 - 106, 300 + 106}));
  EXPECT_EQ(points[0], (PolylinePoint{400 + 97, 300}));  // 100 / 154.56 x 150
  const double beam = std::hypot(points[2].x - 400.0, points[2].y - 300.0);
  EXPECT_NEAR(beam, 150.0, 1.0);
}

TEST_F(RoseLayersTest, AGlobalRoseWithoutCountsShrinksToTheCentre) {
  results.globalRose = {};
  ASSERT_EQ(BuildGlobalRoseLayer(results, stack, "Глобальная Роза", params), 0);
  for (const PolylinePoint& p : Polygon(Layer("Глобальная Роза"), 0)) EXPECT_EQ(p, (PolylinePoint{400, 300}));
}

class BlockRosesTest : public RoseLayersTest {
 protected:
  BlockRosesTest() {
    // 100 x 100 at rate 1: 40 x 100 x Size / (100 x 100) = 0.4 Size pixels per count.
    results.SetImageGeometry(100, 100, 1, 1);
    results.globalRose = {5, 5, 5, 5, 5, 5, 5, 5};
    results.hasGlobalRose = true;
    results.blockRoses.push_back({{7, 30, 40}, {100, 0, 100, 0, 0, 0, 0, 0}});
    results.blockRoses.push_back({{8, 70, 20}, {}});
    results.hasBlockRoses = true;
  }
};

TEST_F(BlockRosesTest, EachBlockGetsARoseAtItsCentreAndSizeTwoDoublesTheRadii) {
  ASSERT_EQ(BuildBlockRosesLayer(results, stack, "Розы По Блокам", params, "D:\\maps\\blocks.bmp"), 0);
  const CVectorLayer3& layer = Layer("Розы По Блокам");
  ASSERT_EQ(layer.Group(0).PolylineCount(), 2);
  auto first = Polygon(layer, 0);
  EXPECT_EQ(first[0], (PolylinePoint{30 + 40, 40}));
  EXPECT_EQ(first[8], (PolylinePoint{30 - 40, 40}));
  // Class 3 with the fixed weight 1.288: 51.52 pixels at 45 degrees.
  EXPECT_EQ(first[2], (PolylinePoint{30 + 36, 40 - 36}));
  // All counts 0: a degenerate polygon at the block centre.
  for (const PolylinePoint& p : Polygon(layer, 1)) EXPECT_EQ(p, (PolylinePoint{70, 20}));
  EXPECT_EQ(layer.GetDescription(), "Block Roses (Linear=20, Contrast=1, GREYSCALE, area.bmp, blocks.bmp)");

  params.blockRoseSize = 2.0;
  ASSERT_EQ(BuildBlockRosesLayer(results, stack, "Розы По Блокам", params, "blocks.bmp"), 0);
  EXPECT_EQ(stack.LayerCount(), 1);
  first = Polygon(Layer("Розы По Блокам"), 0);
  EXPECT_EQ(first[0], (PolylinePoint{30 + 80, 40}));
  EXPECT_EQ(first[2], (PolylinePoint{30 + 72, 40 - 72}));  // trunc(103.04 cos 45)
}

TEST_F(BlockRosesTest, GlobalNormalisationByARoseOfEqualClassesWeighsEveryClassOne) {
  params.blockRoseGlobalNorm = true;
  ASSERT_EQ(BuildBlockRosesLayer(results, stack, "Розы По Блокам", params, "blocks.bmp"), 0);
  const auto first = Polygon(Layer("Розы По Блокам"), 0);
  EXPECT_EQ(first[0], (PolylinePoint{70, 40}));
  EXPECT_EQ(first[2], (PolylinePoint{30 + 28, 40 - 28}));  // 40 pixels at 45 degrees
}

TEST_F(BlockRosesTest, AnEmptyGridOrAbsurdCountsDrawWithoutOverflow) {
  results.gridWidth = 0;
  ASSERT_EQ(BuildBlockRosesLayer(results, stack, "Розы По Блокам", params, "blocks.bmp"), 0);
  for (const PolylinePoint& p : Polygon(Layer("Розы По Блокам"), 0)) EXPECT_EQ(p, (PolylinePoint{30, 40}));
  results.gridWidth = 100;
  params.blockRoseSize = 1e300;
  results.blockRoses[0].header = {0, 2147483647, -2147483647};
  ASSERT_EQ(BuildBlockRosesLayer(results, stack, "Розы По Блокам", params, "blocks.bmp"), 0);
  const auto huge = Polygon(Layer("Розы По Блокам"), 0);
  EXPECT_EQ(huge.size(), 17u);
  EXPECT_GT(huge[0].x, 1000000);
  EXPECT_LT(huge[8].x, huge[0].x);
}

}  // namespace
}  // namespace linea
