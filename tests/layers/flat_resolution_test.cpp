// The flat resolution on large and awkward plateaus: iterations taken in groups
// over bands of rows must give the grid of one plain ring at a time. The reference
// here is a breadth-first search over same-height neighbours (the iteration that
// drains each cell), then each cell takes its first neighbour in code order drained
// one iteration earlier; cells beyond the iterations allowed stay undetermined.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "layers/elevation_model.h"
#include "layers/flat_distances.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Heights = std::vector<std::uint16_t>;
using Grid = std::vector<std::uint8_t>;

// The plain procedure: steepest descent, then flats by breadth-first levels.
Grid PlainDescent(int width, int height, const Heights& heights, int allowedIterations, int* largest = nullptr) {
  Grid grid(heights.size(), kDescentNone);
  ComputeSteepestDescent16(width, height, heights.data(), grid.data());
  const int kUnreached = -1;
  std::vector<int> level(heights.size(), kUnreached);
  std::deque<int> queue;
  auto interior = [&](int x, int y) { return x > 0 && y > 0 && x < width - 1 && y < height - 1; };
  const int dx[8] = {0, 1, 0, -1, -1, 1, 1, -1};
  const int dy[8] = {-1, 0, 1, 0, -1, -1, 1, 1};
  for (int y = 1; y < height - 1; ++y)
    for (int x = 1; x < width - 1; ++x)
      if (grid[std::size_t(y) * width + x] < kDescentCodes) {
        level[std::size_t(y) * width + x] = 0;
        queue.push_back(y * width + x);
      }
  while (!queue.empty()) {
    const int cell = queue.front();
    queue.pop_front();
    const int x = cell % width, y = cell / width;
    for (int k = 0; k < 8; ++k) {
      const int nx = x + dx[k], ny = y + dy[k];
      const std::size_t n = std::size_t(ny) * width + nx;
      if (!interior(nx, ny) || level[n] != kUnreached || grid[n] != kDescentNone || heights[n] != heights[cell])
        continue;
      level[n] = level[cell] + 1;
      queue.push_back(int(n));
    }
  }
  if (largest) *largest = std::max(0, *std::max_element(level.begin(), level.end()));
  Grid result = grid;
  for (int y = 1; y < height - 1; ++y)
    for (int x = 1; x < width - 1; ++x) {
      const std::size_t cell = std::size_t(y) * width + x;
      if (grid[cell] != kDescentNone || level[cell] <= 0 || level[cell] > allowedIterations) continue;
      for (int k = 0; k < 8; ++k) {
        const std::size_t n = std::size_t(y + dy[k]) * width + std::size_t(x + dx[k]);
        if (heights[n] == heights[cell] && level[n] == level[cell] - 1) {
          result[cell] = std::uint8_t(k);
          break;
        }
      }
    }
  return result;
}

// Ours, answering Yes to every question about going on (or No to all).
Grid OurDescent(int width, int height, const Heights& heights, bool goOn = true) {
  CTestHost host;
  if (goOn) host.yesNoAnswers.assign(1000, true);
  Grid grid(heights.size(), 77);
  EXPECT_EQ(ComputeDescent16(host, width, height, heights, grid), 0);
  return grid;
}

void ExpectSameGrids(int width, int height, const Heights& heights, const char* what) {
  const Grid ours = OurDescent(width, height, heights);
  const Grid plain = PlainDescent(width, height, heights, 1 << 30);
  ASSERT_EQ(ours.size(), plain.size());
  for (std::size_t i = 0; i < ours.size(); ++i)
    ASSERT_EQ(int(ours[i]), int(plain[i])) << what << ": cell " << i % width << "," << i / width << " of " << width
                                           << "x" << height;
}

// A serpentine corridor of height 10 in walls of 90 whose outlet is the rim cell
// above its start: thousands of iterations, rings of a cell or two wandering over
// all rows. Runs along rows, or along columns when `vertical`.
Heights Serpentine(int side, bool vertical) {
  Heights heights(std::size_t(side) * side, 90);
  auto set = [&](int along, int across) {
    const int x = vertical ? across : along, y = vertical ? along : across;
    heights[std::size_t(y) * side + x] = 10;
  };
  for (int across = 1; across < side - 1; across += 2) {
    for (int along = 1; along < side - 1; ++along) set(along, across);
    // The link to the next run, at alternate ends.
    if (across + 2 < side - 1) set((across / 2) % 2 == 0 ? side - 2 : 1, across + 1);
  }
  heights[vertical ? side : 1] = 0;
  return heights;
}

TEST(FlatResolutionGroups, SerpentinesOfThousandsOfIterations) {
  const int side = 71;
  for (const bool vertical : {false, true}) {
    const Heights heights = Serpentine(side, vertical);
    ExpectSameGrids(side, side, heights, vertical ? "vertical serpentine" : "serpentine");
    // Answering No at the first question leaves everything beyond 300 iterations.
    const Grid stopped = OurDescent(side, side, heights, false);
    EXPECT_EQ(stopped, PlainDescent(side, side, heights, 300));
    EXPECT_EQ(stopped[std::size_t(side - 2) * side + side / 2], kDescentNone);  // far along: not reached
  }
}

TEST(FlatResolutionGroups, PlateausOfOddShapesNestedAndAtTheBorder) {
  // Wide and tall sides, so that rings cross many bands of rows and groups.
  for (auto [width, height] : {std::pair{300, 260}, std::pair{37, 400}, std::pair{500, 23}, std::pair{3, 200}}) {
    Heights heights(std::size_t(width) * height, 50);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        std::uint16_t& h = heights[std::size_t(y) * width + x];
        const int cx = x - width / 2, cy = y - height / 2;
        // Nested square plateaus of falling heights towards the middle, a diagonal
        // band of height 30 crossing them and a comb of teeth from the top border.
        const int ring = std::max(std::abs(cx), std::abs(cy)) / 17;
        h = std::uint16_t(40 - std::min(ring, 30));
        if (std::abs(x - y) < 3) h = 30;
        if (y < height / 3 && x % 9 < 4) h = 20;
      }
    // Outlets: a few single low cells, one on the border.
    heights[std::size_t(height / 2) * width + width / 2] = 0;
    heights[std::size_t(height - 1) * width + width / 3] = 0;
    heights[std::size_t(1) * width + width - 2] = 1;
    ExpectSameGrids(width, height, heights, "shapes");
  }
}

TEST(FlatResolutionGroups, RandomTerracesAgainstThePlainProcedure) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> side(3, 260);
  std::uniform_int_distribution<int> chance(0, 999);
  for (int trial = 0; trial < 40; ++trial) {
    const int width = side(random), height = side(random);
    const int stepX = 1 + chance(random) % 90, stepY = 1 + chance(random) % 90;
    const int noise = chance(random) % 20;  // per mille of cells raised or lowered
    Heights heights(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        int value = 10 + (x / stepX + 2 * (y / stepY)) % 4;
        if (chance(random) < noise) value += chance(random) % 2 ? 3 : -3;
        heights[std::size_t(y) * width + x] = std::uint16_t(value);
      }
    ExpectSameGrids(width, height, heights, "random terraces");
    if (HasFatalFailure()) return;
  }
}

TEST(FlatResolutionGroups, EightBitModelsOfLongRingsGiveTheSameGrid) {
  const int side = 71;
  const Heights heights = Serpentine(side, true);
  const std::vector<std::uint8_t> bytes(heights.begin(), heights.end());
  CTestHost host;
  host.yesNoAnswers.assign(100, true);
  Grid grid(bytes.size());
  ASSERT_EQ(ComputeDescent8(host, side, side, bytes, grid), 0);
  EXPECT_EQ(grid, OurDescent(side, side, heights));
}

// Distances by raster passes, run until a pass changes nothing. Returns the passes
// taken (the first included); the codes of `limit` go into `grid`.
template <typename T>
int PassesUntilSettled(int width, int height, const std::vector<T>& heights, Grid& grid, int limit, int* largest) {
  CFlatDistances<T> distances(width, height, heights.data());
  const auto always = [](int) { return true; };
  EXPECT_TRUE(distances.FirstPass(grid.data(), always));
  int passes = 1;
  for (int changed = 1; changed == 1; ++passes) {
    changed = distances.Pass(passes % 2 == 1, always);
    EXPECT_GE(changed, 0);
    if (passes > width * height) break;
  }
  *largest = distances.Largest();
  EXPECT_TRUE(distances.WriteCodes(grid.data(), limit, always));
  return passes;
}

// Plateaus of random shapes: blobs of a few levels grown from random seeds, so that
// plateaus wind, hold holes and touch the border.
Heights RandomBlobs(std::mt19937& random, int width, int height) {
  std::uniform_int_distribution<int> level(0, 3), chance(0, 99);
  Heights heights(std::size_t(width) * height);
  for (auto& h : heights) h = std::uint16_t(level(random));
  for (int round = 0; round < 3; ++round)  // neighbours copied: the levels gather into blobs
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int nx = std::clamp(x + chance(random) % 3 - 1, 0, width - 1);
        const int ny = std::clamp(y + chance(random) % 3 - 1, 0, height - 1);
        if (chance(random) < 70) heights[std::size_t(y) * width + x] = heights[std::size_t(ny) * width + nx];
      }
  return heights;
}

TEST(FlatDistancePasses, GiveTheBreadthFirstLevelsAndTheirCodesAtEveryLimit) {
  std::mt19937 random(9122026);
  std::uniform_int_distribution<int> side(3, 90);
  int settledLate = 0;
  for (int trial = 0; trial < 120; ++trial) {
    const int width = side(random), height = side(random);
    const Heights heights = RandomBlobs(random, width, height);
    int largest = 0;
    const Grid full = PlainDescent(width, height, heights, 1 << 30, &largest);
    for (const int limit : {1, 2, 5, largest - 1, largest, 1 << 20}) {
      Grid grid(heights.size());
      ComputeSteepestDescent16(width, height, heights.data(), grid.data());
      int found = -1;
      const int passes = PassesUntilSettled(width, height, heights, grid, limit, &found);
      settledLate += passes > 4;
      ASSERT_EQ(found, largest) << "trial " << trial;
      ASSERT_EQ(grid, PlainDescent(width, height, heights, limit)) << "trial " << trial << " limit " << limit;
    }
    // 8-bit heights: the same grid.
    const std::vector<std::uint8_t> bytes(heights.begin(), heights.end());
    Grid grid(heights.size());
    ComputeSteepestDescent16(width, height, heights.data(), grid.data());
    int found = -1;
    PassesUntilSettled(width, height, bytes, grid, 1 << 20, &found);
    ASSERT_EQ(grid, full) << "8-bit trial " << trial;
    // And the whole descent, whichever way it drains the flats.
    ExpectSameGrids(width, height, heights, "random blobs");
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(settledLate, 0);  // some plateaus wind enough to need more than four passes
}

TEST(FlatDistancePasses, TerracesSettleInTwoPassesWindingCorridorsDoNot) {
  // Terraces draining west or north: the first pass finds every distance.
  for (const bool ringsAreRows : {false, true}) {
    const int side = 120;
    Heights heights(std::size_t(side) * side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        heights[std::size_t(y) * side + x] = std::uint16_t((ringsAreRows ? y : x) / 50 * 7);
    Grid grid(heights.size());
    ComputeSteepestDescent16(side, side, heights.data(), grid.data());
    int largest = 0;
    EXPECT_EQ(PassesUntilSettled(side, side, heights, grid, 1 << 20, &largest), 2);
    EXPECT_EQ(grid, PlainDescent(side, side, heights, 1 << 20));
  }
  // A serpentine turns back at every run: one pass or so a run, so the descent
  // gives up on passes and drains rings (the serpentine tests above check its grid).
  const Heights winding = Serpentine(71, false);
  Grid grid(winding.size());
  ComputeSteepestDescent16(71, 71, winding.data(), grid.data());
  int largest = 0;
  EXPECT_GT(PassesUntilSettled(71, 71, winding, grid, 1 << 20, &largest), 4);
  EXPECT_EQ(grid, PlainDescent(71, 71, winding, 1 << 20));
}

// A corridor one cell high draining at its west end: column x drains in iteration x.
Heights LongCorridor(int width) {
  Heights heights(std::size_t(width) * 3, 50);
  for (int x = 1; x < width - 1; ++x) heights[std::size_t(width + x)] = 10;
  heights[std::size_t(width)] = 0;
  return heights;
}

TEST(FlatDistancePasses, DistancesBeyondTheirRangeAreDrainedByRingsWithTheSameQuestions) {
  // Largest distances 32765 (passes) and 32769 (beyond two bytes: rings).
  for (const int width : {32767, 32771}) {
    const Heights heights = LongCorridor(width);
    const int largest = width - 2;
    CTestHost host;
    host.yesNoAnswers.assign(1000, true);
    Grid grid(heights.size(), 77);
    ASSERT_EQ(ComputeDescent16(host, width, 3, heights, grid), 0);
    EXPECT_EQ(grid, PlainDescent(width, 3, heights, 1 << 30)) << width;
    // Asked after 300, 500, ... iterations while the last of them drained cells.
    const std::size_t questions = std::size_t((largest - 300) / 200 + 1);
    ASSERT_EQ(host.messages.size(), questions) << width;
    EXPECT_NE(host.messages.back().text.find(std::to_string(300 + 200 * int(questions - 1))), std::string::npos);
    // No at the third question: nothing beyond 700 iterations.
    CTestHost impatient;
    impatient.yesNoAnswers = {true, true, false};
    Grid stopped(heights.size(), 77);
    ASSERT_EQ(ComputeDescent16(impatient, width, 3, heights, stopped), 0);
    EXPECT_EQ(impatient.messages.size(), 3u);
    EXPECT_EQ(stopped, PlainDescent(width, 3, heights, 700)) << width;
  }
}

TEST(FlatDistancePasses, ProgressRunsOnThroughPassesCodesAndRingsAndCancelStopsAnywhere) {
  const int width = 200, height = 150;
  Heights terraces(std::size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) terraces[std::size_t(y) * width + x] = std::uint16_t(x / 60 * 5);
  // Settled by passes: the bar runs on to the end through the rows of the codes.
  CTestHost host;
  Grid grid(terraces.size());
  ASSERT_EQ(ComputeDescent16(host, width, height, terraces, grid), 0);
  EXPECT_TRUE(std::is_sorted(host.progressPositions.begin(), host.progressPositions.end()));
  EXPECT_GE(host.progressPositions.back(), kDescentProgressRange * 99 / 100);
  EXPECT_GE(std::count_if(host.progressPositions.begin(), host.progressPositions.end(),
                          [](int p) { return p > kDescentProgressRange * 3 / 4; }),
            height / 4);
  EXPECT_EQ(grid, PlainDescent(width, height, terraces, 1 << 20));
  // Cancelled in the passes, or while the codes are written: stopped, the window closed.
  for (const int at : {kDescentProgressRange * 6 / 10, kDescentProgressRange * 8 / 10}) {
    CTestHost cancel;
    cancel.cancelAtProgress = at;
    Grid other(terraces.size());
    EXPECT_EQ(ComputeDescent16(cancel, width, height, terraces, other), 11) << at;
    EXPECT_EQ(cancel.progressEnds, 1);
    EXPECT_LE(cancel.progressPositions.back(), at + 2);
  }
  // Drained by rings after the passes gave up (fewer than 300 iterations, so no
  // question sets the bar back): still in order.
  const int side = 21;
  const Heights winding = Serpentine(side, true);
  Grid passes(winding.size());
  ComputeSteepestDescent16(side, side, winding.data(), passes.data());
  int largest = 0;
  ASSERT_GT(PassesUntilSettled(side, side, winding, passes, 1 << 20, &largest), 4);
  ASSERT_LT(largest, 300);
  CTestHost rings;
  Grid serpentine(winding.size());
  ASSERT_EQ(ComputeDescent16(rings, side, side, winding, serpentine), 0);
  EXPECT_TRUE(rings.messages.empty());
  EXPECT_TRUE(std::is_sorted(rings.progressPositions.begin(), rings.progressPositions.end()));
  EXPECT_EQ(serpentine, passes);
}

}  // namespace
}  // namespace linea
