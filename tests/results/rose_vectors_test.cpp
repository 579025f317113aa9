#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "results/polyline_simplify.h"
#include "results/rose_map.h"
#include "results/rose_vectors.h"
#include "rose_fixture.h"
#include "support/test_host.h"

namespace linea {
namespace {

constexpr RoseCounts kEast{10, 0, 0, 0, 0, 0, 0, 0};
constexpr RoseCounts kNorth{0, 0, 0, 0, 10, 0, 0, 0};

class RoseVectorsTest : public ::testing::Test {
 protected:
  RoseVectorsTest() : stack(host) {
    params.minDensity = 0.0;
    params.vectorStep = 1;
  }
  const CVectorLayer3& Build(const CResults& results, int kind) {
    params.mapKind = kind;
    EXPECT_EQ(BuildRoseMapLayer(results, stack, "Розы 0", params, false, 3), 0);
    auto* layer = dynamic_cast<CVectorLayer3*>(stack.FindLayer("Розы 0"));
    EXPECT_NE(layer, nullptr);
    return *layer;
  }
  static std::vector<std::vector<PolylinePoint>> Lines(const CVectorLayer3& layer) {
    std::vector<std::vector<PolylinePoint>> lines;
    for (int g = 0; g < layer.GroupCount(); ++g)
      for (int k = 0; k < layer.Group(g).PolylineCount(); ++k) {
        const auto p = layer.Group(g).Polyline(k);
        lines.emplace_back(p.begin(), p.end());
      }
    return lines;
  }

  CTestHost host;
  CLayerStack stack;
  CalcParameters params;
};

TEST(FlowLineThresholdTest, MinimumElongationOverTheRoseWindowScaledAndCappedAtOne) {
  EXPECT_DOUBLE_EQ(FlowLineThreshold(2.0, 64), 0.140625);
  EXPECT_DOUBLE_EQ(FlowLineThreshold(2.0, 200), 0.065);
  EXPECT_DOUBLE_EQ(FlowLineThreshold(2.0, 150), 2.0 / 150 * 4.5);
  EXPECT_DOUBLE_EQ(FlowLineThreshold(10.0, 8), 1.0);
}

TEST_F(RoseVectorsTest, VectorSizeZeroGivesMarginOneAndOnePointFigures) {
  params.vectorSize = 0.0;
  params.vectorStep = 2;
  const CVectorLayer3& layer = Build(RoseResults(5, 5, [](int, int) { return kEast; }), 'v');
  const auto lines = Lines(layer);
  // Rows and columns 1..3, every second one from the first: (1, 1), (3, 1), (1, 3), (3, 3).
  ASSERT_EQ(lines.size(), 4u);
  const PolylinePoint centres[4] = {{8, 8}, {24, 8}, {8, 24}, {24, 24}};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(lines[std::size_t(i)].size(), 2u);
    EXPECT_EQ(lines[std::size_t(i)][0], centres[i]);
    EXPECT_EQ(lines[std::size_t(i)][1], centres[i]);
  }
  EXPECT_EQ(layer.Group(0).GetColor(), MakeColor(255, 0, 0));
  EXPECT_EQ(layer.Group(0).GetWidth(), 3);
  EXPECT_EQ(layer.GetDescription().substr(0, 20), "ELONGATION VECTOR (N");
}

TEST_F(RoseVectorsTest, RoseStepOneDrawsEveryRoseInsideTheMarginAndStepThreeEveryThird) {
  const CResults results = RoseResults(9, 9, [](int, int) { return RoseCounts{1000, 0, 0, 0, 0, 0, 0, 0}; });
  params.roseStep = 1;
  auto lines = Lines(Build(results, 'z'));
  ASSERT_EQ(lines.size(), 49u);  // rows and columns 1..7
  // Sr = 1 x 8 x 0.5 x 6.5 / 64^1.625 = 0.0302 pixels per count: a beam of 30 east and west.
  EXPECT_EQ(lines[0].size(), 17u);
  EXPECT_EQ(lines[0][0], (PolylinePoint{8 + 30, 8}));
  EXPECT_EQ(lines[0][8], (PolylinePoint{8 - 30, 8}));
  EXPECT_EQ(lines[48][0], (PolylinePoint{56 + 30, 56}));

  params.roseStep = 3;
  lines = Lines(Build(results, 'z'));
  ASSERT_EQ(lines.size(), 9u);
  std::set<std::pair<int, int>> centres;
  for (const auto& line : lines) centres.insert({(line[0].x + line[8].x) / 2, line[0].y});
  EXPECT_EQ(centres, (std::set<std::pair<int, int>>{
                         {8, 8}, {32, 8}, {56, 8}, {8, 32}, {32, 32}, {56, 32}, {8, 56}, {32, 56}, {56, 56}}));
  EXPECT_EQ(lines[0][0], (PolylinePoint{8 + 90, 8}));  // three times the scale

  // Locally normalised the radii are scaled by 600 / D.
  params.roseStep = 1;
  params.localNormalisation = true;
  lines = Lines(Build(results, 'z'));
  EXPECT_EQ(lines[0][0], (PolylinePoint{8 + 18, 8}));
}

TEST_F(RoseVectorsTest, MainDirectionBarsAllHaveOneLengthAlongTheirClass) {
  params.vectorSize = 2.0;  // Sv = 1 x 8 x 0.5 x 2 x 2.5 = 20, bars of 0.3 x 20 = 6
  const CResults results = RoseResults(5, 5, [](int c, int) -> RoseCounts {
    if (c == 2) return {0, 0, 10, 0, 0, 0, 0, 0};
    if (c == 3) return kNorth;
    return kEast;
  });
  const auto lines = Lines(Build(results, 'u'));
  ASSERT_EQ(lines.size(), 9u);
  for (const auto& bar : lines) {
    ASSERT_EQ(bar.size(), 2u);
    const PolylinePoint centre{(bar[0].x + bar[1].x) / 2, (bar[0].y + bar[1].y) / 2};
    const int dx = bar[0].x - centre.x, dy = centre.y - bar[0].y;
    if (centre.x == 8) {
      EXPECT_EQ(std::make_pair(dx, dy), std::make_pair(6, 0));
    } else if (centre.x == 16) {
      EXPECT_EQ(std::make_pair(dx, dy), std::make_pair(4, 4));  // trunc(6 cos 45)
    } else {
      // sin(1.5707963) is a hair below 1: trunc(5.99999...) = 5.
      EXPECT_EQ(std::make_pair(dx, dy), std::make_pair(0, 5));
    }
  }
}

TEST_F(RoseVectorsTest, EdgeBarsOnlyAtTheMaximaAcrossTheEdge) {
  const CResults results = RoseResults(15, 15, [](int c, int) { return c <= 6 ? kEast : kNorth; });
  const auto lines = Lines(Build(results, 'q'));
  // Strength 6.2 on columns 4..9, kept at column 9 in rows 4..10; E = 5.45 x 0.64 = 3.488,
  // a vertical bar of trunc(34.88) each way.
  ASSERT_EQ(lines.size(), 8u);
  for (std::size_t i = 0; i < 7; ++i) {
    const int y = 8 * int(i + 4);
    EXPECT_EQ(lines[i][0], (PolylinePoint{72, y - 34}));
    EXPECT_EQ(lines[i][1], (PolylinePoint{72, y + 34}));
  }
  // The weaker diagonal strength of column 10 (2.44) is equal down the column, so it
  // survives only in row 10, whose next row has no strength; E = 1.69 x 0.64.
  EXPECT_EQ(lines[7], (std::vector<PolylinePoint>{{80 + 7, 80 - 7}, {80 - 7, 80 + 7}}));
}

TEST_F(RoseVectorsTest, OrthogonalLinesRunAtRightAnglesToElongationLines) {
  params.lineStep = 1;
  const CResults results = RoseResults(5, 5, [](int, int) { return kEast; });
  const CVectorLayer3& along = Build(results, 'x');
  EXPECT_EQ(along.Group(0).GetColor(), MakeColor(0, 0, 255));
  auto lines = Lines(along);
  ASSERT_EQ(lines.size(), 4u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Straight runs keep their two ends; the buffer of 32 points ends each line at 30.
    const int y = 8 * int(i);
    EXPECT_EQ(lines[i], (std::vector<PolylinePoint>{{0, y}, {30, y}}));
  }
  const CVectorLayer3& across = Build(results, 'y');
  EXPECT_EQ(across.Group(0).GetColor(), MakeColor(255, 0, 0));
  lines = Lines(across);
  ASSERT_EQ(lines.size(), 4u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int x = 8 * int(i);
    EXPECT_EQ(lines[i], (std::vector<PolylinePoint>{{x, 0}, {x, 30}}));
  }
}

// The pixels a stored line passes: its kept points joined by runs of equal unit steps.
std::vector<PolylinePoint> PixelsOf(const std::vector<PolylinePoint>& line) {
  std::vector<PolylinePoint> pixels{line[0]};
  for (std::size_t i = 1; i < line.size(); ++i) {
    const int dx = line[i].x - line[i - 1].x, dy = line[i].y - line[i - 1].y;
    const int n = std::max(std::abs(dx), std::abs(dy));
    EXPECT_TRUE(n > 0 && (dx == 0 || std::abs(dx) == n) && (dy == 0 || std::abs(dy) == n)) << dx << "," << dy;
    for (int s = 1; s <= n; ++s) pixels.push_back({line[i - 1].x + dx / n * s, line[i - 1].y + dy / n * s});
  }
  return pixels;
}

TEST_F(RoseVectorsTest, FlowLinesRoundACentreNeverShareAPixelBeyondTheirCommonSeed) {
  // Axes tangent to circles around the image centre (64, 64).
  const CResults results = RoseResults(17, 17, [](int c, int r) -> RoseCounts {
    const double angle = std::atan2(64.0 - 8 * r, 8.0 * c - 64.0) + 3.1415926 / 2;
    int k = int(std::lround(angle / (3.1415926 / 8))) % 8;
    if (k < 0) k += 8;
    RoseCounts counts{};
    counts[std::size_t(k)] = 10;
    return counts;
  });
  params.lineStep = 2;
  const auto lines = Lines(Build(results, 'x'));
  ASSERT_GT(lines.size(), 8u);
  std::map<std::pair<int, int>, std::vector<std::size_t>> owners;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_GE(lines[i].size(), 2u);
    std::set<std::pair<int, int>> own;
    for (const PolylinePoint& p : PixelsOf(lines[i])) {
      ASSERT_TRUE(p.x >= 0 && p.y >= 0 && p.x < 128 && p.y < 128);
      if (own.insert({p.x, p.y}).second) owners[{p.x, p.y}].push_back(i);
    }
  }
  for (const auto& [pixel, users] : owners) {
    if (users.size() < 2) continue;
    // Only the two halves traced from one seed meet, at the seed itself.
    ASSERT_EQ(users.size(), 2u) << pixel.first << "," << pixel.second;
    for (std::size_t i : users)
      EXPECT_EQ(std::make_pair(lines[i][0].x, lines[i][0].y), pixel) << pixel.first << "," << pixel.second;
  }
}

TEST_F(RoseVectorsTest, WeakRosesStartNoFlowLine) {
  // k = min(1, 10 / 16 x 4.5) = 1: two classes at 45 degrees (E = 0.71) are too weak.
  params.minElongation = 10.0;
  params.rose_wind = 16;
  const CResults results = RoseResults(5, 5, [](int, int) { return RoseCounts{10, 0, 10, 0, 0, 0, 0, 0}; }, 0);
  EXPECT_TRUE(Lines(Build(results, 'x')).empty());
}

TEST(PolylineSimplifyTest, DropsPointsInsideStraightRunsAndKeepsCorners) {
  std::vector<PolylinePoint> line = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 2}, {4, 3}, {5, 3}};
  const std::size_t kept = SimplifyPolyline(std::span<PolylinePoint>(line));
  line.resize(kept);
  EXPECT_EQ(line, (std::vector<PolylinePoint>{{0, 0}, {2, 0}, {4, 2}, {4, 3}, {5, 3}}));
  std::vector<PolylinePoint16> two = {{5, 5}, {6, 5}};
  EXPECT_EQ(SimplifyPolyline(std::span<PolylinePoint16>(two)), 2u);
  std::vector<PolylinePoint> back = {{0, 0}, {1, 0}, {0, 0}};  // a reversal is a change of step
  EXPECT_EQ(SimplifyPolyline(std::span<PolylinePoint>(back)), 3u);
}

TEST(MarkSegmentTest, MarksBothEndsAndTheCellsBetweenClippedToTheRaster) {
  std::vector<std::uint8_t> raster(5 * 3, 0);
  MarkSegment(raster, 5, 3, -2, 0, 3, 2);
  std::vector<std::uint8_t> expected(15, 0);
  // (-2,0) .. (3,2): slope 0.4, x = 0 at y 0, 1..2 at y 1 (trunc 0.8, 1.2), 3 at y 2.
  expected[0] = expected[5 + 1] = expected[5 + 2] = expected[10 + 3] = 1;
  EXPECT_EQ(raster, expected);
  MarkSegment(raster, 5, 3, -1000000, -1000000, 1000000, 1000000);
  EXPECT_EQ(raster[0], 1);
  EXPECT_EQ(raster[5 + 1], 1);
  EXPECT_EQ(raster[10 + 2], 1);
  std::vector<std::uint8_t> tiny(3, 0);
  MarkSegment(tiny, 5, 3, 0, 0, 4, 2);  // the raster holds less than its size: left alone
  EXPECT_EQ(tiny, std::vector<std::uint8_t>(3, 0));
}

}  // namespace
}  // namespace linea
