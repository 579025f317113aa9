#include <gtest/gtest.h>

#include <memory>

#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer.h"
#include "results/results.h"
#include "support/test_host.h"

namespace linea {
namespace {

TEST(StripeClasses, CodesFoldIntoEightClassesClosingTheCircle) {
  const std::pair<int, int> expected[] = {{0, 0},  {1, 1},  {2, 2},  {3, 2},  {4, 3},  {5, 3},
                                          {6, 4},  {7, 4},  {8, 5},  {9, 5},  {10, 6}, {11, 6},
                                          {12, 7}, {13, 7}, {14, 8}, {15, 8}, {16, 1}, {17, 0}, {255, 0}};
  for (auto [code, cls] : expected) EXPECT_EQ(StripeClassOfCode(std::uint8_t(code)), cls) << "code " << code;
}

TEST(GridSize, FollowsTheRateWithTruncation) {
  CResults results;
  results.SetImageGeometry(1001, 999, 1, 1);
  EXPECT_EQ(results.gridWidth, 1001u);
  results.SetGridFromRate(2.5);
  EXPECT_EQ(results.gridWidth, 400u);
  EXPECT_EQ(results.gridHeight, 399u);
  results.SetGridFromRate(1.0);
  EXPECT_EQ(results.gridWidth, 1001u);
  EXPECT_EQ(results.gridHeight, 999u);
  // A rate of 0 (a project without the key) must not divide by zero.
  results.SetGridFromRate(0.0);
  EXPECT_EQ(results.gridWidth, 1001u);
  EXPECT_EQ(results.pixelCount, 1001u * 999u);
}

TEST(GlobalRose, CountsClassesOverTheGridAndRefusesAnEmptyOne) {
  CResults results;
  results.SetImageGeometry(3, 2, 1, 1);
  results.stripeCodes = {0, 1, 16, 15, 4, 0};
  results.DeriveStripeClasses();
  EXPECT_EQ(results.ComputeGlobalRose(), 0);
  EXPECT_EQ(results.globalRose, (std::array<std::int32_t, 8>{2, 0, 1, 0, 0, 0, 0, 1}));
  results.stripeCodes.assign(6, 0);
  results.DeriveStripeClasses();
  EXPECT_EQ(results.ComputeGlobalRose(), 13);
}

TEST(GlobalRose, NeverReadsPastAStripeArrayShorterThanTheGrid) {
  CResults results;
  results.SetImageGeometry(100, 100, 1, 1);
  results.stripeCodes = {2, 2};
  results.DeriveStripeClasses();
  EXPECT_EQ(results.ComputeGlobalRose(), 0);
  EXPECT_EQ(results.globalRose[1], 2);
}

TEST(ClearResults, FullClearDropsEverythingAndTheStripesLayer) {
  CTestHost host;
  CLayerStack stack(host);
  stack.AddLayer(std::make_unique<CVectorLayer>(LoadText(32818), true));
  stack.AddLayer(std::make_unique<CVectorLayer>("Other", true));
  CResults results;
  results.SetImageGeometry(4, 4, 1, 1);
  results.sourcePath = "/data/a.tif";
  results.stripeCodes.assign(16, 3);
  results.DeriveStripeClasses();
  results.descentGrid.assign(16, 1);
  results.windowRoses.assign(8, 1);
  results.hasStripes = results.hasWindowRoses = results.hasGlobalRose = true;
  results.stripesReplaced = true;

  CResults partial = results;
  partial.ClearDerivedResults(nullptr);
  EXPECT_FALSE(partial.hasStripes);
  EXPECT_TRUE(partial.stripeCodes.empty());
  EXPECT_EQ(partial.pixelCount, 16u);
  EXPECT_EQ(partial.descentGrid.size(), 16u);
  EXPECT_EQ(partial.sourcePath, "/data/a.tif");

  results.ClearResults(&stack);
  EXPECT_EQ(stack.FindIndex(LoadText(32818)), -1);
  EXPECT_EQ(stack.FindIndex("Other"), 0);
  EXPECT_EQ(results.pixelCount, 0u);
  EXPECT_TRUE(results.descentGrid.empty());
  EXPECT_TRUE(results.sourcePath.empty());
  EXPECT_FALSE(results.hasWindowRoses || results.hasGlobalRose || results.stripesReplaced);
  EXPECT_EQ(results.windowRoseCount(), 0u);
}

TEST(ClearResults, WindowRosesAloneCanBeCleared) {
  CResults results;
  results.windowRoses.assign(16, 2);
  results.hasWindowRoses = results.hasStripes = true;
  results.ClearWindowRoses();
  EXPECT_FALSE(results.hasWindowRoses);
  EXPECT_EQ(results.windowRoseCount(), 0u);
  EXPECT_TRUE(results.hasStripes);
}

}  // namespace
}  // namespace linea
