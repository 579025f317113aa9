#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "results/lineaments.h"
#include "support/test_host.h"

namespace linea {
namespace {

LineamentRecord Cell(int row, int column, int direction, int value, int group = 0) {
  LineamentRecord r;
  r.bytes = {std::uint8_t(row), std::uint8_t(row >> 8), std::uint8_t(column), std::uint8_t(column >> 8),
             std::uint8_t(direction), 0, std::uint8_t(value), std::uint8_t(value >> 8),
             std::uint8_t(group), std::uint8_t(group >> 8)};
  return r;
}

std::vector<int> OnDirections(const std::array<std::uint8_t, 180>& mask) {
  std::vector<int> on;
  for (int d = 0; d < 180; ++d)
    if (mask[std::size_t(d)]) on.push_back(d);
  return on;
}

std::vector<int> Range(int first, int last) {
  std::vector<int> r;
  for (int d = first; d <= last; ++d) r.push_back(d);
  return r;
}

std::vector<std::vector<PolylinePoint>> Lines(const CVectorLayer3& layer) {
  std::vector<std::vector<PolylinePoint>> lines;
  for (int g = 0; g < layer.GroupCount(); ++g)
    for (int k = 0; k < layer.Group(g).PolylineCount(); ++k) {
      const auto p = layer.Group(g).Polyline(k);
      lines.emplace_back(p.begin(), p.end());
    }
  return lines;
}

using Points = std::vector<PolylinePoint>;

TEST(LineamentSelectionTest, SectorZeroSelectsEveryDirectionAndWritesTheWholeRange) {
  CalcParameters params;
  params.lineamentSectors = 4;
  params.lineamentSector = 0;
  params.lineamentFrom = 33;
  params.lineamentTo = 44;
  std::array<std::uint8_t, 180> mask{};
  EXPECT_EQ(SelectLineamentDirections(params, mask), 0);
  EXPECT_EQ(OnDirections(mask), Range(0, 179));
  EXPECT_EQ(params.lineamentFrom, 0);
  EXPECT_EQ(params.lineamentTo, 180);
}

TEST(LineamentSelectionTest, FirstOfFourSectorsWrapsAroundZero) {
  CalcParameters params;
  params.lineamentSectors = 4;
  params.lineamentSector = 1;
  std::array<std::uint8_t, 180> mask{};
  EXPECT_EQ(SelectLineamentDirections(params, mask), 0);
  std::vector<int> expected = Range(0, 22);
  for (int d : Range(158, 179)) expected.push_back(d);
  EXPECT_EQ(OnDirections(mask), expected);
  EXPECT_EQ(params.lineamentFrom, 158);
  EXPECT_EQ(params.lineamentTo, 22);
}

TEST(LineamentSelectionTest, ThirdOfFourSectorsRoundsItsEdgesHalfUp) {
  CalcParameters params;
  params.lineamentSectors = 4;
  params.lineamentSector = 3;
  std::array<std::uint8_t, 180> mask{};
  EXPECT_EQ(SelectLineamentDirections(params, mask), 0);
  EXPECT_EQ(OnDirections(mask), Range(68, 112));
  EXPECT_EQ(params.lineamentFrom, 68);
  EXPECT_EQ(params.lineamentTo, 112);
}

TEST(LineamentSelectionTest, ASectorOutsideTheCountIsRefusedAndKeepsFromAndTo) {
  CalcParameters params;
  params.lineamentSectors = 4;
  params.lineamentFrom = 5;
  params.lineamentTo = 7;
  std::array<std::uint8_t, 180> mask{};
  for (int sector : {5, -1}) {
    params.lineamentSector = sector;
    EXPECT_EQ(SelectLineamentDirections(params, mask), 15);
    EXPECT_EQ(params.lineamentFrom, 5);
    EXPECT_EQ(params.lineamentTo, 7);
  }
  // No sectors at all: only sector 0 is possible, and nothing divides by the count.
  params.lineamentSectors = 0;
  params.lineamentSector = 1;
  EXPECT_EQ(SelectLineamentDirections(params, mask), 15);
}

TEST(LineamentSelectionTest, FromToIsExclusiveAtToAndWrapsBeyond180) {
  CalcParameters params;
  params.lineamentSelectionMode = 1;
  std::array<std::uint8_t, 180> mask{};
  params.lineamentFrom = 170;
  params.lineamentTo = 200;
  EXPECT_EQ(SelectLineamentDirections(params, mask), 0);
  std::vector<int> expected = Range(0, 19);
  for (int d : Range(170, 179)) expected.push_back(d);
  EXPECT_EQ(OnDirections(mask), expected);
  EXPECT_EQ(params.lineamentFrom, 170);
  EXPECT_EQ(params.lineamentTo, 200);

  params.lineamentFrom = -20;
  params.lineamentTo = 10;
  EXPECT_EQ(SelectLineamentDirections(params, mask), 0);
  EXPECT_EQ(OnDirections(mask), Range(0, 9));
}

TEST(RankLineamentsTest, RanksPerSectorFrom51DownAndSharesARankWithinOneLineament) {
  // Two sectors: sector 1 covers 45..135, sector 0 the rest.
  std::vector<LineamentRecord> records = {
      Cell(0, 0, 10, 500, 1), Cell(0, 1, 10, 500, 1),  // one lineament, two cells
      Cell(0, 2, 10, 500, 2),                           // same value, other group: next rank
      Cell(0, 3, 170, 40, 3),                           // sector 0 too
      Cell(0, 4, 90, 7, 4),  Cell(0, 5, 90, 9, 5),      // sector 1
      Cell(0, 6, 90, 30001, 6),                         // above the cap: never ranked
      Cell(0, 7, 90, 0, 7),                             // no value: never ranked
  };
  std::vector<std::uint16_t> values(records.size());
  RankLineaments(records, 2, values);
  EXPECT_EQ(values, (std::vector<std::uint16_t>{51, 51, 50, 49, 50, 51, 1, 1}));
}

TEST(RankLineamentsTest, AtMostFiftyRanksPerSector) {
  std::vector<LineamentRecord> records;
  for (int i = 0; i < 60; ++i) records.push_back(Cell(0, i, 0, 100 + i, i));
  std::vector<std::uint16_t> values(records.size());
  RankLineaments(records, 1, values);
  EXPECT_EQ(values[59], 51);
  EXPECT_EQ(values[10], 2);
  EXPECT_EQ(values[9], 1);
  EXPECT_EQ(values[0], 1);
}

class LineamentCellsTest : public ::testing::Test {
 protected:
  LineamentCellsTest() : layer("L", true) {}
  std::vector<std::vector<PolylinePoint>> Trace(int width, int height, const std::vector<PolylinePoint>& cells,
                                                int imageWidth = 0) {
    std::vector<std::uint8_t> marks(std::size_t(width * height), 0);
    for (const auto& c : cells) marks[std::size_t(c.y * width + c.x)] = 1;
    EXPECT_EQ(TraceLineamentCells(marks, width, height, imageWidth ? imageWidth : width, layer, 0xFF, 1), 0);
    for (std::uint8_t m : marks) EXPECT_EQ(m, 0);  // every cell used once
    return Lines(layer);
  }
  CVectorLayer3 layer;
};

TEST_F(LineamentCellsTest, AnIsolatedCellIsATwoPointPolylineAtItsPosition) {
  EXPECT_EQ(Trace(8, 4, {{3, 2}}), (std::vector<Points>{{{3, 2}, {3, 2}}}));
}

TEST_F(LineamentCellsTest, CellsAreScaledToImagePixelsWhenTheGridIsSmaller) {
  EXPECT_EQ(Trace(8, 4, {{3, 2}}, 20), (std::vector<Points>{{{8, 5}, {8, 5}}}));
}

TEST_F(LineamentCellsTest, AStraightChainKeepsItsEnds) {
  EXPECT_EQ(Trace(8, 4, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}), (std::vector<Points>{{{1, 1}, {4, 1}}}));
}

TEST_F(LineamentCellsTest, ATJunctionIsTracedOncePerBranchFromItsStartCell) {
  // The junction (3, 0) comes first in the scan; arms go south-east and east, south,
  // and south-west and west.
  const std::vector<PolylinePoint> cells = {{3, 0}, {4, 1}, {5, 1}, {6, 1}, {3, 1}, {3, 2},
                                            {3, 3}, {2, 1}, {1, 1}, {0, 1}};
  EXPECT_EQ(Trace(8, 4, cells), (std::vector<Points>{{{3, 0}, {4, 1}, {6, 1}},
                                                     {{3, 0}, {3, 3}},
                                                     {{3, 0}, {2, 1}, {0, 1}}}));
}

TEST(LineamentRoseTest, SumWindowOneIsTheCorrectedCountsWithoutSmoothing) {
  CVectorLayer3 layer("R", true);
  std::array<double, 180> counts{};
  counts[0] = 4;
  counts[90] = 2;
  counts[45] = 2;  // times sqrt(2): 2.83 of 4 is 71 %
  std::array<std::uint8_t, 180> rose{};
  ASSERT_EQ(DrawLineamentRose(counts, 4, 1, 100, 80, layer, 0xFF, 1, rose), 0);
  EXPECT_EQ(rose[0], 100);
  EXPECT_EQ(rose[90], 50);
  EXPECT_EQ(rose[45], 71);
  EXPECT_EQ(rose[1], 0);
  // k = 80 / (4 x 4) = 5: beam 0 reaches 20 pixels, a quarter of the shorter side.
  const auto lines = Lines(layer);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 9u);
  EXPECT_EQ(lines[0][0], (PolylinePoint{70, 40}));
  EXPECT_EQ(lines[0][4], (PolylinePoint{30, 40}));  // beam 0 mirrored
  EXPECT_EQ(lines[0][8], lines[0][0]);
  // Beam 2 points north at direction 90: 5 x 2 times sin(1.5707963), truncated.
  EXPECT_EQ(lines[0][2], (PolylinePoint{50, 31}));
  EXPECT_EQ(lines[0][6], (PolylinePoint{50, 49}));
}

TEST(LineamentRoseTest, SumWindowTenSumsFiveDirectionsBeforeAndFourAfter) {
  CVectorLayer3 layer("R", true);
  std::array<double, 180> counts{};
  counts[0] = 10;
  std::array<std::uint8_t, 180> rose{};
  ASSERT_EQ(DrawLineamentRose(counts, 180, 10, 100, 100, layer, 0xFF, 1, rose), 0);
  for (int d = 0; d < 180; ++d) {
    const bool reached = d <= 5 || d >= 176;
    EXPECT_EQ(rose[std::size_t(d)], reached ? 100 : 0) << d;
  }
  ASSERT_EQ(Lines(layer).size(), 1u);
  EXPECT_EQ(Lines(layer)[0].size(), 361u);
}

TEST(LineamentRoseTest, AWindowWiderThan180DirectionsGoesRoundAgain) {
  CVectorLayer3 layer("R", true);
  std::array<double, 180> counts{};
  counts[0] = 10;
  std::array<std::uint8_t, 180> rose{};
  // 181 directions from d - 90: every count once, and direction d - 90 twice.
  ASSERT_EQ(DrawLineamentRose(counts, 2, 181, 100, 100, layer, 0xFF, 1, rose), 0);
  EXPECT_EQ(rose[90], 100);
  EXPECT_EQ(rose[0], 50);
  EXPECT_EQ(rose[91], 50);
}

TEST(LineamentRoseTest, NothingSelectedGivesAnEmptyRoseAtTheCentre) {
  CVectorLayer3 layer("R", true);
  std::array<double, 180> counts{};
  std::array<std::uint8_t, 180> rose;
  rose.fill(7);
  ASSERT_EQ(DrawLineamentRose(counts, 3, 23, 64, 32, layer, 0xFF, 1, rose), 0);
  for (std::uint8_t beam : rose) EXPECT_EQ(beam, 0);
  const auto lines = Lines(layer);
  ASSERT_EQ(lines.size(), 1u);
  for (const auto& p : lines[0]) EXPECT_EQ(p, (PolylinePoint{32, 16}));
  EXPECT_EQ(lines[0].size(), 7u);
}

class LineamentsLayerTest : public ::testing::Test {
 protected:
  LineamentsLayerTest() : stack(host) {
    results.SetImageGeometry(8, 4, 1, 1);
    results.sourcePath = "D:\\maps\\area.bmp";
    results.hasLineaments = true;
  }
  CVectorLayer3* Layer() { return dynamic_cast<CVectorLayer3*>(stack.FindLayer("Линеаменты 1")); }
  int Build() { return BuildLineamentsLayer(results, selection, stack, "Линеаменты 1", params, 2); }

  CTestHost host;
  CLayerStack stack;
  CResults results;
  CLineamentSelection selection;
  CalcParameters params;
};

TEST_F(LineamentsLayerTest, TheDescriptionOfAllDirectionsShowsTheRange0To180) {
  results.lineaments = {Cell(1, 1, 30, 120), Cell(2, 5, 100, 300)};
  params.lineamentValue = 99;
  ASSERT_EQ(Build(), 0);
  ASSERT_NE(Layer(), nullptr);
  EXPECT_EQ(Layer()->GetDescription(),
            "Lineaments (Long, Real value=99, Dir. {0 - 180}, DoubleCalc, RelRes, (ro=1.00, fi=1.00,) width=3, "
            "Sector =2, Small line=0.50, Linear=20, Contrast=1, GREYSCALE, area.bmp)");
  EXPECT_EQ(params.lineamentLargestValue, 300);
  EXPECT_EQ(Lines(*Layer()), (std::vector<Points>{{{1, 1}, {1, 1}}, {{5, 2}, {5, 2}}}));
  EXPECT_EQ(Layer()->Group(0).GetColor(), 0x0000FFu);
  EXPECT_EQ(Layer()->Group(0).GetWidth(), 2);
}

TEST_F(LineamentsLayerTest, ShortLineamentsMaskAndCompressionInTheDescription) {
  results.lineaments = {Cell(1, 1, 30, 120)};
  params.LONG = false;
  params.UseMask = true;
  params.Rate = 2.0;
  params.Calck = 2;
  params.RelRez = false;
  params.lineamentSelectionMode = 1;
  params.lineamentFrom = 20;
  params.lineamentTo = 40;
  ASSERT_EQ(Build(), 0);
  EXPECT_EQ(Layer()->GetDescription(),
            "Lineaments (Masked Compressed   2.000 Short, Short=0.50, Real value=99, Dir. {20 - 40}, MultyCalc, "
            "AbsRes, (ro=1.00, fi=1.00,) width=3, Sector =2, Linear=20, Contrast=1, GREYSCALE, area.bmp)");
}

TEST_F(LineamentsLayerTest, OrderValue47ShowsTheFiveStrongestOfEachSector) {
  // Sector 0 (around 0 degrees) and sector 1 (around 90), seven lineaments each, one per row.
  for (int i = 0; i < 7; ++i) {
    results.lineaments.push_back(Cell(i % 4, i, 0, 100 + i, i));
    results.lineaments.push_back(Cell(i % 4, i, 90, 200 + i, 10 + i));
  }
  results.SetImageGeometry(8, 4, 1, 1);
  params.lineamentOrder = 1;
  params.lineamentSectors = 2;
  params.lineamentValue = 47;
  params.lineamentRose = true;
  params.lineamentSumWindow = 1;
  ASSERT_EQ(Build(), 0);
  // Five cells of each direction selected: equal beams at 0 and 90.
  EXPECT_EQ(selection.rose[0], 100);
  EXPECT_EQ(selection.rose[90], 100);
  std::size_t selected = 0;
  for (std::size_t i = 0; i < results.lineaments.size(); ++i) selected += selection.selectionValues[i] >= 47;
  EXPECT_EQ(selected, 10u);
  EXPECT_EQ(selection.selectionValues[0], 45);  // the weakest two of sector 0 are out
  EXPECT_EQ(selection.selectionValues[2], 46);
  EXPECT_EQ(selection.selectionValues[12], 51);  // the strongest of sector 0
  const std::string& text = Layer()->GetDescription();
  EXPECT_EQ(text.rfind("LineamentRose (Beams 180 Sum in   1 Long, Order value=5, Dir. {0 - 180}, ", 0), 0u) << text;
  // Listed by azimuth: a = 0 (north) is direction 90.
  EXPECT_NE(text.find("area.bmp)\n Beams\n 0 100\n 1 0\n"), std::string::npos);
  EXPECT_NE(text.find("\n 90 100\n 91 0"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "\n 179 0");
}

TEST_F(LineamentsLayerTest, SwitchingToOrderRecomputesTheCachedValues) {
  results.lineaments = {Cell(0, 0, 10, 120), Cell(0, 2, 10, 90)};
  params.lineamentValue = 100;
  ASSERT_EQ(Build(), 0);
  EXPECT_EQ(Lines(*Layer()).size(), 1u);
  params.lineamentOrder = 1;
  params.lineamentValue = 50;  // the two strongest of the sector
  ASSERT_EQ(Build(), 0);
  EXPECT_EQ(Lines(*Layer()).size(), 2u);
  // New lineaments with the same count are taken once the changed flag is set.
  results.lineaments = {Cell(3, 7, 10, 5), Cell(0, 2, 10, 90)};
  selection.changed = true;
  params.lineamentOrder = 0;
  params.lineamentValue = 80;
  ASSERT_EQ(Build(), 0);
  EXPECT_EQ(Lines(*Layer()), (std::vector<Points>{{{2, 0}, {2, 0}}}));
  EXPECT_EQ(params.lineamentLargestValue, 90);
}

TEST_F(LineamentsLayerTest, CellsOutsideTheGridAndDirectionsBeyond179AreLeftOut) {
  results.lineaments = {Cell(4, 0, 10, 500), Cell(0, 8, 10, 500), Cell(60000, 60000, 10, 500),
                        Cell(1, 1, 200, 500), Cell(3, 7, 10, 500)};
  ASSERT_EQ(Build(), 0);
  EXPECT_EQ(Lines(*Layer()), (std::vector<Points>{{{7, 3}, {7, 3}}}));
}

TEST_F(LineamentsLayerTest, AtRate2TheCellsAreDrawnAtImagePixels) {
  results.SetImageGeometry(16, 8, 1, 1);
  results.SetGridFromRate(2.0);
  results.lineaments = {Cell(1, 3, 10, 500), Cell(1, 4, 10, 500)};
  ASSERT_EQ(Build(), 0);
  EXPECT_EQ(Lines(*Layer()), (std::vector<Points>{{{6, 2}, {8, 2}}}));
}

TEST_F(LineamentsLayerTest, ABadSectorBuildsNothing) {
  results.lineaments = {Cell(0, 0, 10, 120)};
  params.lineamentSector = 9;
  EXPECT_EQ(Build(), 15);
  EXPECT_EQ(stack.LayerCount(), 0);
}

}  // namespace
}  // namespace linea

namespace linea {
namespace {

TEST_F(LineamentsLayerTest, TheChosenColourDrawsTheLineamentsAndTheirRose) {
  results.lineaments = {Cell(1, 1, 30, 120), Cell(2, 5, 100, 300)};
  params.lineamentColour = 0x0000FF00;
  ASSERT_EQ(Build(), 0);
  ASSERT_EQ(Layer()->GroupCount(), 1);
  EXPECT_EQ(Layer()->Group(0).GetColor(), 0x0000FF00u);
  params.lineamentRose = true;
  ASSERT_EQ(Build(), 0);
  ASSERT_EQ(Layer()->GroupCount(), 1);
  EXPECT_EQ(Layer()->Group(0).GetColor(), 0x0000FF00u);
}

}  // namespace
}  // namespace linea
