// Region labelling: the numbering in raster order of first cells, both
// connectivities, the label limit, and identity with the plain two-pass procedure
// whose equivalence table is rewritten at every merge.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "layers/region_labelling.h"

namespace linea {
namespace {

using Grid = std::vector<std::uint16_t>;

// The procedure as it is stated: provisional labels in raster order, the
// representative of each neighbour read from the equivalence table, merges that
// rewrite every entry from R up to the counter, then renumbering in label order.
int ReferenceLabel(int width, int height, int connectivity, Grid& grid, int& count) {
  std::vector<std::uint16_t> equivalence(63999, 0), renumber(63999, 0);
  int counter = 0;
  const bool eight = connectivity == 4;
  auto at = [&](int x, int y) -> std::uint16_t {
    if (x < 0 || y < 0 || x >= width) return 0;
    return grid[std::size_t(y) * width + x];
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint16_t& cell = grid[std::size_t(y) * width + x];
      if (cell == 0) continue;
      std::vector<int> neighbours = {at(x - 1, y), at(x, y - 1)};
      if (eight) {
        neighbours.push_back(at(x - 1, y - 1));
        neighbours.push_back(at(x + 1, y - 1));
      }
      int smallest = 0;
      for (int& label : neighbours) {
        label = equivalence[label];  // background reads entry 0, which stays 0
        if (label != 0 && (smallest == 0 || label < smallest)) smallest = label;
      }
      if (smallest == 0) {
        if (++counter == 63998) return 2;
        equivalence[counter] = std::uint16_t(counter);
        cell = std::uint16_t(counter);
        continue;
      }
      cell = std::uint16_t(smallest);
      for (int representative : neighbours) {
        if (representative == 0 || representative == smallest) continue;
        for (int i = representative; i <= counter; ++i)
          if (equivalence[i] == representative) equivalence[i] = std::uint16_t(smallest);
      }
    }
  }
  int next = 0;
  for (int label = 1; label <= counter; ++label) {
    const int representative = equivalence[label];
    if (renumber[representative] == 0) renumber[representative] = std::uint16_t(++next);
  }
  for (std::uint16_t& cell : grid)
    if (cell != 0) cell = renumber[equivalence[cell]];
  count = next;
  return 0;
}

// Rows of '#' (foreground) and '.' cells.
Grid Parse(const std::vector<std::string>& rows) {
  Grid grid;
  for (const std::string& row : rows)
    for (char c : row) grid.push_back(c == '#' ? 7 : 0);
  return grid;
}

Grid Label(const std::vector<std::string>& rows, int connectivity, int& count) {
  Grid grid = Parse(rows);
  EXPECT_EQ(LabelRegions(int(rows[0].size()), int(rows.size()), connectivity, grid.data(), count), 0);
  return grid;
}

TEST(LabelRegions, OneRowNumbersRunsFromLeftToRight) {
  int count = -1;
  Grid grid = Label({"##..#.###.#"}, 2, count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(grid, (Grid{1, 1, 0, 0, 2, 0, 3, 3, 3, 0, 4}));
}

TEST(LabelRegions, AUShapeJoinedBelowIsOneRegion) {
  int count = -1;
  Grid grid = Label({"#..#.#",
                     "#..#..",
                     "####.."}, 2, count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(grid, (Grid{1, 0, 0, 1, 0, 2,
                        1, 0, 0, 1, 0, 0,
                        1, 1, 1, 1, 0, 0}));
}

TEST(LabelRegions, CornerContactJoinsOnlyWithEightConnectivity) {
  const std::vector<std::string> rows = {"#...",
                                         ".#.#",
                                         "..#."};
  int count = -1;
  Grid four = Label(rows, 2, count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(four, (Grid{1, 0, 0, 0, 0, 2, 0, 3, 0, 0, 4, 0}));
  Grid eight = Label(rows, 4, count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(eight, (Grid{1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 0}));
  Label(rows, 8, count);  // anything but 4 is four-connected
  EXPECT_EQ(count, 4);
}

TEST(LabelRegions, RegionsAreNumberedByTheirFirstCellNotTheirLowestLabel) {
  // The region whose first cell comes first gets 1 even when a later region's
  // arm reaches up further to the left.
  int count = -1;
  Grid grid = Label({"...#",
                     "#..#",
                     "#.##",
                     "####"}, 2, count);
  EXPECT_EQ(count, 1);
  for (std::uint16_t cell : grid) EXPECT_TRUE(cell == 0 || cell == 1);
  grid = Label({"..#.#",
                "#.#.#",
                "#...#",
                "#####"}, 2, count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(grid[2], 1);
  EXPECT_EQ(grid[4], 2);
  EXPECT_EQ(grid[5], 2);
}

TEST(LabelRegions, AllBackgroundSucceedsWithNoRegions) {
  int count = -1;
  Grid grid = Label({"....", "...."}, 4, count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(grid, Grid(8, 0));
  count = -1;
  EXPECT_EQ(LabelRegions(0, 5, 2, nullptr, count), 0);
  EXPECT_EQ(count, 0);
}

Grid Checkerboard(int side) {
  Grid grid(std::size_t(side) * side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) grid[std::size_t(y) * side + x] = (x + y) % 2 == 0 ? 1 : 0;
  return grid;
}

TEST(LabelRegions, A400By400CheckerboardRunsOutOfLabelsWithFourConnectivity) {
  Grid grid = Checkerboard(400);
  int count = -1;
  EXPECT_EQ(LabelRegions(400, 400, 2, grid.data(), count), 2);
  EXPECT_EQ(count, -1);
  // Eight-connected, every square touches the next at a corner: one region.
  grid = Checkerboard(400);
  EXPECT_EQ(LabelRegions(400, 400, 4, grid.data(), count), 0);
  EXPECT_EQ(count, 1);
}

TEST(LabelRegions, TheLimitIs63997ProvisionalLabels) {
  for (int dots : {63997, 63998}) {
    Grid row(std::size_t(dots) * 2, 0);
    for (int i = 0; i < dots; ++i) row[std::size_t(i) * 2] = 1;
    int count = -1;
    const int result = LabelRegions(int(row.size()), 1, 2, row.data(), count);
    if (dots == 63997) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(count, 63997);
      EXPECT_EQ(row[row.size() - 2], 63997);
    } else {
      EXPECT_EQ(result, 2);
    }
  }
}

TEST(LabelRegions, MergedLabelsStillCountTowardsTheLimit) {
  // A comb: every tooth starts a label of its own that a bar later merges, so one
  // region still needs one provisional label per tooth.
  for (int teeth : {63997, 63998}) {
    const int width = teeth * 2;
    Grid grid(std::size_t(width) * 2, 0);
    for (int i = 0; i < teeth; ++i) grid[std::size_t(i) * 2] = 1;
    for (int x = 0; x < width; ++x) grid[std::size_t(width) + x] = 1;
    int count = -1;
    EXPECT_EQ(LabelRegions(width, 2, 2, grid.data(), count), teeth == 63997 ? 0 : 2);
    if (teeth == 63997) {
      EXPECT_EQ(count, 1);
    }
  }
}

// Noise, or a smooth field cut at a level (blobs with ragged, bent borders).
Grid RandomGrid(std::mt19937& random, int width, int height, double density, bool blobs) {
  Grid grid(std::size_t(width) * height);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  if (!blobs) {
    for (auto& cell : grid) cell = uniform(random) < density ? std::uint16_t(1 + random() % 65535) : 0;
    return grid;
  }
  const int spacing = 2 + int(random() % 6);
  const int nodesX = width / spacing + 2, nodesY = height / spacing + 2;
  std::vector<double> nodes(std::size_t(nodesX) * nodesY);
  for (double& node : nodes) node = uniform(random);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double fx = double(x) / spacing, fy = double(y) / spacing;
      const int ix = int(fx), iy = int(fy);
      const double tx = fx - ix, ty = fy - iy;
      auto node = [&](int i, int j) { return nodes[std::size_t(j) * nodesX + i]; };
      const double value = (node(ix, iy) * (1 - tx) + node(ix + 1, iy) * tx) * (1 - ty) +
                           (node(ix, iy + 1) * (1 - tx) + node(ix + 1, iy + 1) * tx) * ty;
      grid[std::size_t(y) * width + x] = value < density ? 1 : 0;
    }
  return grid;
}

void ExpectSameAsReference(const Grid& input, int width, int height, int connectivity, const std::string& what) {
  Grid ours = input, reference = input;
  int ourCount = -1, referenceCount = -1;
  const int ourResult = LabelRegions(width, height, connectivity, ours.data(), ourCount);
  const int referenceResult = ReferenceLabel(width, height, connectivity, reference, referenceCount);
  ASSERT_EQ(ourResult, referenceResult) << what;
  if (referenceResult != 0) return;  // the grid must be discarded
  ASSERT_EQ(ourCount, referenceCount) << what;
  ASSERT_EQ(ours, reference) << what;
}

TEST(LabelRegions, MatchesTheStatedProcedureOnRandomGrids) {
  std::mt19937 random(20240611);
  const double densities[] = {0.05, 0.2, 0.4, 0.5, 0.6, 0.8, 0.95};
  for (int round = 0; round < 600; ++round) {
    const int width = 1 + int(random() % 70);
    const int height = 1 + int(random() % 70);
    const double density = densities[round % 7];
    const bool blobs = round % 2 == 1;
    const Grid grid = RandomGrid(random, width, height, density, blobs);
    for (int connectivity : {2, 4}) {
      ExpectSameAsReference(grid, width, height, connectivity,
                            "round " + std::to_string(round) + " " + std::to_string(width) + "x" +
                                std::to_string(height) + " connectivity " + std::to_string(connectivity));
    }
  }
}

TEST(LabelRegions, MatchesTheStatedProcedureAroundTheLabelLimit) {
  // Noise of these sizes and densities needs from about 20 000 to 76 000
  // provisional labels, so both sides of the limit come up.
  std::mt19937 random(7);
  int failures = 0, successes = 0;
  for (int side : {520, 580, 620, 660, 720}) {
    for (double density : {0.2, 0.3}) {
      const Grid grid = RandomGrid(random, side, side, density, false);
      for (int connectivity : {2, 4}) {
        Grid probe = grid;
        int count = 0;
        (LabelRegions(side, side, connectivity, probe.data(), count) == 0 ? successes : failures)++;
        ExpectSameAsReference(grid, side, side, connectivity,
                              std::to_string(side) + " density " + std::to_string(density) + " connectivity " +
                                  std::to_string(connectivity));
      }
    }
  }
  EXPECT_GT(failures, 0);
  EXPECT_GT(successes, 0);
}

}  // namespace
}  // namespace linea
