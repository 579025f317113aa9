#include "layers/elevation_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Heights = std::vector<std::uint16_t>;
using Grid = std::vector<std::uint8_t>;

Grid Descent(CTestHost& host, int width, int height, const Heights& heights, int expectedResult = 0) {
  Grid grid(heights.size(), 77);
  EXPECT_EQ(ComputeDescent16(host, width, height, heights, grid), expectedResult);
  return grid;
}

Grid Descent(int width, int height, const Heights& heights) {
  CTestHost host;
  return Descent(host, width, height, heights);
}

Grid ReferenceDescent(int width, int height, const Heights& heights) {
  Grid grid(heights.size(), 77);
  ComputeSteepestDescent16(width, height, heights.data(), grid.data());
  ResolveFlatsByRescan16(width, height, heights.data(), grid.data());
  return grid;
}

std::uint8_t At(const Grid& grid, int width, int x, int y) { return grid[std::size_t(y) * width + x]; }

void ExpectBorderUndetermined(const Grid& grid, int width, int height) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
        EXPECT_EQ(At(grid, width, x, y), kDescentNone) << x << "," << y;
      }
    }
}

TEST(HeightsToGray, StepsThroughTheRangeInIntegers) {
  // Range 511: step 511 / 256 + 1 = 2.
  const Heights samples = {100, 101, 102, 355, 611};
  std::vector<std::uint8_t> gray(samples.size());
  ASSERT_EQ(HeightsToGray(samples, gray), 0);
  EXPECT_EQ(gray, (std::vector<std::uint8_t>{0, 0, 1, 127, 255}));

  const Heights full = {0, 65535, 256};
  std::vector<std::uint8_t> fullGray(3);
  ASSERT_EQ(HeightsToGray(full, fullGray), 0);
  EXPECT_EQ(fullGray, (std::vector<std::uint8_t>{0, 255, 1}));  // step 256 keeps the top at 255
}

TEST(HeightsToGray, RefusesFlatOrTooSmallInputs) {
  std::vector<std::uint8_t> gray(3, 9);
  EXPECT_EQ(HeightsToGray(Heights{5, 5, 5}, gray), 7);
  EXPECT_EQ(HeightsToGray(Heights{5}, gray), 7);
  EXPECT_EQ(gray, (std::vector<std::uint8_t>(3, 9)));
}

TEST(SteepestDescent, PeakTakesTheLowestDirectNeighbourAndBordersStayUndetermined) {
  // 3 x 3 peak; direct neighbours 90 (north), 80 (east), 70 (south), 85 (west); the
  // diagonals fall less than 1.415 times as far.
  const Heights peak = {95, 90, 95,  //
                        85, 100, 80,  //
                        95, 70, 95};
  const Grid grid = Descent(3, 3, peak);
  EXPECT_EQ(At(grid, 3, 1, 1), 2);
  ExpectBorderUndetermined(grid, 3, 3);

  // The lowest neighbour is diagonal (south-west, 50) and falls 50 against the direct 30:
  // 50000 > 1415 x 30, so it wins.
  const Heights diagonal = {95, 90, 95,  //
                            85, 100, 80,  //
                            50, 70, 95};
  EXPECT_EQ(At(Descent(3, 3, diagonal), 3, 1, 1), 7);

  // A pit has nowhere to go.
  const Heights pit = {5, 5, 5, 5, 1, 5, 5, 5, 5};
  EXPECT_EQ(At(Descent(3, 3, pit), 3, 1, 1), kDescentNone);
}

TEST(SteepestDescent, DiagonalMustFallMoreThan1415TimesAsFar) {
  auto centreCode = [](int diagonalDrop) {
    // Direct drop of 10 to the north, diagonal drop to the south-east.
    const Heights h = {200, 90, 200,  //
                       200, 100, 200,  //
                       200, 200, std::uint16_t(100 - diagonalDrop)};
    return At(Descent(3, 3, h), 3, 1, 1);
  };
  EXPECT_EQ(centreCode(14), 0);
  EXPECT_EQ(centreCode(15), 6);
}

TEST(SteepestDescent, TiesGoToTheLowerCode) {
  const Heights h = {9, 1, 9,  //
                     1, 5, 1,  //
                     9, 1, 9};
  EXPECT_EQ(At(Descent(3, 3, h), 3, 1, 1), 0);
  const Heights diagonals = {1, 9, 1,  //
                             9, 5, 9,  //
                             1, 9, 1};
  EXPECT_EQ(At(Descent(3, 3, diagonals), 3, 1, 1), 4);
}

TEST(SteepestDescent, ModelsWithoutInteriorAreAllUndetermined) {
  for (auto [width, height] : {std::pair{5, 2}, std::pair{2, 5}, std::pair{6, 1}, std::pair{1, 1}}) {
    Heights h(std::size_t(width * height));
    for (std::size_t i = 0; i < h.size(); ++i) h[i] = std::uint16_t(i * 7 % 13);
    EXPECT_EQ(Descent(width, height, h), Grid(h.size(), kDescentNone)) << width << "x" << height;
  }
}

TEST(FlatResolution, PlateauDrainsToAnOutletAboveItCompletely) {
  // A 5 x 5 plateau of height 10 inside a rim of 20; the only way out is the rim cell
  // above the plateau's top middle, at height 0.
  const int w = 7, h = 7;
  Heights heights(w * h, 20);
  for (int y = 1; y <= 5; ++y)
    for (int x = 1; x <= 5; ++x) heights[y * w + x] = 10;
  heights[0 * w + 3] = 0;
  const Grid grid = Descent(w, h, heights);
  // Row 1 drains into the outlet directly or through its neighbours.
  EXPECT_EQ(At(grid, w, 3, 1), 0);
  EXPECT_EQ(At(grid, w, 2, 1), 5);
  EXPECT_EQ(At(grid, w, 4, 1), 4);
  EXPECT_EQ(At(grid, w, 1, 1), 1);
  EXPECT_EQ(At(grid, w, 5, 1), 3);
  // The rows below drain north, ring after ring; no plateau cell is left behind.
  EXPECT_EQ(At(grid, w, 2, 2), 0);
  EXPECT_EQ(At(grid, w, 1, 2), 5);
  EXPECT_EQ(At(grid, w, 5, 2), 4);
  for (int y = 1; y <= 5; ++y)
    for (int x = 1; x <= 5; ++x) EXPECT_LT(At(grid, w, x, y), kDescentCodes) << x << "," << y;
  EXPECT_EQ(grid, ReferenceDescent(w, h, heights));
  ExpectBorderUndetermined(grid, w, h);
}

TEST(FlatResolution, PitInsideAPlateauStaysUndetermined) {
  const int w = 7, h = 7;
  Heights heights(w * h, 10);
  heights[3 * w + 3] = 4;
  const Grid grid = Descent(w, h, heights);
  EXPECT_EQ(At(grid, w, 3, 3), kDescentNone);
  EXPECT_EQ(At(grid, w, 3, 2), 2);  // straight down into the pit
  EXPECT_EQ(At(grid, w, 1, 1), 6);  // the corner of the plateau reaches it over a diagonal ring
  EXPECT_EQ(grid, ReferenceDescent(w, h, heights));
}

// A corridor one cell high whose outlet is the rim cell at its left end: column 1
// drains in the first pass and iteration t drains column 1 + t, all to the west.
Heights Corridor(int width) {
  Heights heights(std::size_t(width) * 3, 50);
  for (int x = 1; x < width - 1; ++x) heights[std::size_t(width + x)] = 10;
  heights[std::size_t(width)] = 0;
  return heights;
}

std::string IterationQuestion(int done) {
  return "Проделано " + std::to_string(done) +
         " итераций. Возможно ли сделать еще 200 итераций? \n Если НЕТ то несколько точек будут непросчитаны.\n";
}

TEST(FlatResolution, AsksAfter300IterationsAndNoLeavesTheRestUndetermined) {
  const int width = 400;
  CTestHost host;
  const Grid grid = Descent(host, width, 3, Corridor(width));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, "Warning");
  EXPECT_EQ(host.messages[0].text, IterationQuestion(300));
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
  EXPECT_TRUE(host.messages[0].question);
  for (int x = 1; x <= 301; ++x) EXPECT_EQ(At(grid, width, x, 1), 3) << x;
  for (int x = 302; x < width; ++x) EXPECT_EQ(At(grid, width, x, 1), kDescentNone) << x;
}

TEST(FlatResolution, EachYesAllows200MoreIterations) {
  const int width = 520;  // columns 2..518 need 517 iterations
  CTestHost host;
  host.yesNoAnswers = {true, false};
  const Grid grid = Descent(host, width, 3, Corridor(width));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].text, IterationQuestion(500));
  EXPECT_EQ(At(grid, width, 501, 1), 3);
  EXPECT_EQ(At(grid, width, 502, 1), kDescentNone);

  CTestHost patient;
  patient.yesNoAnswers = {true, true};
  const Grid full = Descent(patient, width, 3, Corridor(width));
  EXPECT_EQ(patient.messages.size(), 2u);
  EXPECT_EQ(At(full, width, 518, 1), 3);
  EXPECT_EQ(full, ReferenceDescent(width, 3, Corridor(width)));
}

TEST(FlatResolution, NoQuestionWhenTheLastIterationChangedNothing) {
  // Columns 2..299 take 298 iterations; the 299th finds nothing to do.
  CTestHost host;
  Descent(host, 301, 3, Corridor(301));
  EXPECT_TRUE(host.messages.empty());
  CTestHost exactly;  // the 300th iteration drains the last column, so more might follow
  Descent(exactly, 303, 3, Corridor(303));
  EXPECT_EQ(exactly.messages.size(), 1u);
}

// Terraced random models: coarse heights with wide plateaus, pits and ridges.
Heights RandomTerraces(std::mt19937& random, int width, int height) {
  std::uniform_int_distribution<int> level(0, 4);
  std::uniform_int_distribution<int> chance(0, 99);
  Heights heights(std::size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int value = (x / 4 + y / 3) % 3 + (chance(random) < 8 ? level(random) : 0);
      heights[std::size_t(y) * width + x] = std::uint16_t(value);
    }
  return heights;
}

TEST(FlatResolution, RingQueueGivesTheGridOfTheFullRescan) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> side(1, 40);
  for (int trial = 0; trial < 300; ++trial) {
    const int width = side(random), height = side(random);
    Heights heights = RandomTerraces(random, width, height);
    if (trial % 3 == 0)  // nearly flat: two levels only
      for (auto& v : heights) v = std::uint16_t(v > 2 ? 1 : 0);
    CTestHost host;
    const Grid ours = Descent(host, width, height, heights);
    ASSERT_EQ(ours, ReferenceDescent(width, height, heights)) << "trial " << trial << " " << width << "x" << height;
    ASSERT_TRUE(host.messages.empty());
  }
}

TEST(FlatResolution, EightBitModelsGiveTheSameGrid) {
  std::mt19937 random(7);
  const Heights heights = RandomTerraces(random, 33, 21);
  std::vector<std::uint8_t> bytes(heights.begin(), heights.end());
  CTestHost host;
  Grid grid(bytes.size());
  ASSERT_EQ(ComputeDescent8(host, 33, 21, bytes, grid), 0);
  EXPECT_EQ(grid, Descent(33, 21, heights));
}

TEST(DescentProgress, ShowsBothStagesAndClosesOnEveryExit) {
  CTestHost host;
  Descent(host, 6, 6, Heights(36, 3));
  EXPECT_EQ(host.progressTitles, (std::vector<std::string>{"Поиск склона", "Поиск склона/Большие фрагменты"}));
  EXPECT_EQ(host.progressEnds, 1);
  ASSERT_FALSE(host.progressPositions.empty());
  EXPECT_EQ(host.progressPositions.front(), 0);

  CTestHost cancelFirst;
  cancelFirst.cancelAtProgress = 0;
  Descent(cancelFirst, 6, 6, Heights(36, 3), 11);
  EXPECT_EQ(cancelFirst.progressEnds, 1);

  CTestHost cancelFlats;  // the first pass stays below half way
  cancelFlats.cancelAtProgress = kDescentProgressRange / 2;
  Descent(cancelFlats, 6, 6, Heights(36, 3), 11);
  EXPECT_EQ(cancelFlats.progressTitles.size(), 2u);
  EXPECT_EQ(cancelFlats.progressEnds, 1);
}

TEST(DescentGeometry, ArraysShorterThanTheGeometryAreRefused) {
  CTestHost host;
  Heights heights(8, 1);
  Grid grid(8, 0);
  EXPECT_EQ(ComputeDescent16(host, 3, 3, heights, grid), 17);
  EXPECT_EQ(grid, Grid(8, 0));
  Grid big(9);
  EXPECT_EQ(ComputeDescent16(host, 3, 3, heights, big), 17);
  EXPECT_EQ(ComputeDescent16(host, 0, 3, heights, big), 0);
}

TEST(HighlightLayer, ShadesEachCellByItsDescentCode) {
  CTestHost host;
  CLayerStack stack(host);
  const Grid grid = {0, 1, 2, 3, 4, 5, 6, 7, kDescentNone};
  ASSERT_EQ(BuildHighlightLayer(stack, "Подсвеченное", grid, 3, 3, "/data/models/relief.grd"), 0);
  auto* layer = dynamic_cast<CBitmapLayer*>(stack.FindLayer("Подсвеченное"));
  ASSERT_NE(layer, nullptr);
  const std::uint8_t expected[9] = {196, 196, 64, 64, 128, 255, 128, 0, kHighlightFlatGray};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(layer->Image().Row(i / 3)[i % 3], expected[i]) << i;
  EXPECT_EQ(layer->Image().GetColorFromIndex(255), 0xFFFFFFu);
  EXPECT_TRUE(layer->IsDeletable());
  EXPECT_TRUE(layer->IsVisible());
  EXPECT_EQ(layer->GetDescription(), "Highlighted 3x3x relief.grd");
}

TEST(HighlightLayer, NeedsADescentGridAndReplacesItsNamesake) {
  CTestHost host;
  CLayerStack stack(host);
  EXPECT_EQ(BuildHighlightLayer(stack, "Подсвеченное", {}, 3, 3, "a.raw"), 2);
  EXPECT_EQ(stack.LayerCount(), 0);
  // A grid shorter than the model: the missing cells show as without descent.
  const Grid shortGrid = {5};
  ASSERT_EQ(BuildHighlightLayer(stack, "Подсвеченное", shortGrid, 2, 1, "a.raw"), 0);
  ASSERT_EQ(BuildHighlightLayer(stack, "Подсвеченное", shortGrid, 2, 1, "b.raw"), 0);
  ASSERT_EQ(stack.LayerCount(), 1);
  auto* layer = dynamic_cast<CBitmapLayer*>(stack.LayerAt(0));
  EXPECT_EQ(layer->Image().Row(0)[0], 255);
  EXPECT_EQ(layer->Image().Row(0)[1], kHighlightFlatGray);
  EXPECT_EQ(layer->GetDescription(), "Highlighted 2x1x b.raw");
}

}  // namespace
}  // namespace linea
