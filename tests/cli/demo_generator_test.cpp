// The demo-project maker: its stand-in analysis on hand-made rasters, and the
// projects it writes as the program reads them back.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "base/binary_io.h"
#include "cli/cli_host.h"
#include "demo_generator.h"
#include "project/workspace.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Straight ridges running at `degrees` (counter-clockwise from +x, y up).
std::vector<std::uint8_t> Ridges(int width, int height, double degrees, double spacing) {
  std::vector<std::uint8_t> levels(std::size_t(width) * height);
  const double a = degrees * kPi / 180.0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double across = -x * std::sin(a) - y * std::cos(a);  // y up on screen
      levels[std::size_t(y) * width + x] = std::uint8_t(128 + 100 * std::sin(2 * kPi * across / spacing));
    }
  return levels;
}

int MostCommonCode(const std::vector<std::uint8_t>& codes) {
  std::map<int, int> counts;
  for (std::uint8_t c : codes)
    if (c != 0) ++counts[c];
  int best = 0, bestCount = 0;
  for (auto [code, count] : counts)
    if (count > bestCount) best = code, bestCount = count;
  return best;
}

TEST(DemoStripes, RidgesGiveTheCodeOfTheirDirection) {
  // Code c covers [(c - 1) * 11.25, c * 11.25) degrees; directions in the middle of a code.
  for (const auto& [degrees, code] : {std::pair{5.0, 1}, {30.0, 3}, {50.0, 5}, {95.0, 9}, {140.0, 13}, {174.0, 16}}) {
    const auto levels = Ridges(96, 80, degrees, 12.0);
    const auto codes = ComputeDemoStripes(levels.data(), 96, 96, 80, 1.0, 96, 80);
    ASSERT_EQ(codes.size(), 96u * 80u);
    EXPECT_EQ(MostCommonCode(codes), code) << degrees;
    const auto found = std::count_if(codes.begin(), codes.end(), [](std::uint8_t c) { return c != 0; });
    EXPECT_GT(found, 96 * 80 / 2) << degrees;
  }
}

TEST(DemoStripes, FlatImageHasNoStripesAndCoarseGridsSampleCellCentres) {
  const std::vector<std::uint8_t> flat(64 * 48, 77);
  const auto none = ComputeDemoStripes(flat.data(), 64, 64, 48, 1.0, 64, 48);
  EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](std::uint8_t c) { return c == 0; }));

  // Rate 2.5: 160 x 120 pixels give a 64 x 48 grid, still the ridges' direction.
  const auto levels = Ridges(160, 120, 95.0, 14.0);
  std::vector<std::uint8_t> directions;
  const auto codes = ComputeDemoStripes(levels.data(), 160, 160, 120, 2.5, 64, 48, &directions);
  ASSERT_EQ(codes.size(), 64u * 48u);
  ASSERT_EQ(directions.size(), codes.size());
  EXPECT_EQ(MostCommonCode(codes), 9);
  const std::size_t middle = 24 * 64 + 32;
  EXPECT_NEAR(directions[middle], 95, 3);
}

TEST(DemoWindowRoses, DiscCountsOnTheRoseGrid) {
  // 20 x 12 cells all of class 3: roses ceil(20/8)+1 = 4 by ceil(12/8)+1 = 3.
  const std::vector<std::uint8_t> classes(20 * 12, 3);
  const auto roses = CountWindowRoses(classes, 20, 12, 4.0);
  ASSERT_EQ(roses.size(), 4u * 3u * 8u);
  // A disc of radius 2 holds 13 cells; at the corner (0, 0) only 6 of them are inside.
  auto rose = [&](int c, int r) { return &roses[std::size_t(r * 4 + c) * 8]; };
  EXPECT_EQ(rose(1, 1)[2], 13);
  EXPECT_EQ(rose(0, 0)[2], 6);
  for (int k = 0; k < 8; ++k) {
    if (k != 2) {
      EXPECT_EQ(rose(1, 1)[k], 0);
    }
  }
  // Rose (3, 2) is centred at cell (24, 16), beyond the grid: nothing to count.
  EXPECT_EQ(rose(3, 2)[2], 0);
}

TEST(DemoWindowRoses, ClassesShorterThanTheGridCountAsEmpty) {
  const std::vector<std::uint8_t> classes(10, 5);  // the grid says 16 x 16
  const auto roses = CountWindowRoses(classes, 16, 16, 8.0);
  ASSERT_EQ(roses.size(), 3u * 3u * 8u);
  EXPECT_EQ(roses[4], 5);  // rose (0, 0): cells 0..4 of row 0 are within reach and held
  EXPECT_EQ(roses[8 + 4], 6);  // rose (1, 0): cells 4..9 of row 0 held, 10..12 not
}

TEST(DemoBlockRoses, HeaderIsNumberAndCentreAndCountsAreTheBlocksClasses) {
  // Two blocks side by side in an 8 x 4 image; every cell class 1 left, class 6 right.
  std::vector<std::uint8_t> blocks(8 * 4), classes(8 * 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      blocks[y * 8 + x] = x < 4 ? 1 : 2;
      classes[y * 8 + x] = x < 4 ? 1 : 6;
    }
  const auto roses = CountBlockRoses(classes, 8, 4, 1.0, blocks.data(), 8, 8, 4);
  ASSERT_EQ(roses.size(), 2u);
  EXPECT_EQ(roses[0].header, (std::array<std::int32_t, 3>{1, 1, 1}));
  EXPECT_EQ(roses[1].header, (std::array<std::int32_t, 3>{2, 5, 1}));
  EXPECT_EQ(roses[0].sectors[0], 16);
  EXPECT_EQ(roses[1].sectors[5], 16);
  EXPECT_EQ(roses[1].sectors[0], 0);
}

TEST(DemoLineaments, ARidgeLineIsOneChainOfItsCells) {
  // One bright horizontal line on row 10 of a dark 40 x 21 image.
  std::vector<std::uint8_t> levels(40 * 21, 20);
  for (int x = 0; x < 40; ++x) levels[10 * 40 + x] = 200;
  std::vector<std::uint8_t> codes(40 * 21, 0), directions(40 * 21, 0);
  for (int x = 5; x < 35; ++x) codes[10 * 40 + x] = 1;
  const auto records = TraceDemoLineaments(levels.data(), 40, 40, 21, 1.0, 40, 21, codes, directions);
  ASSERT_EQ(records.size(), 30u);
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(GetLE16(records[i].bytes.data()), 10);                  // row
    EXPECT_EQ(GetLE16(records[i].bytes.data() + 2), 5 + int(i));      // column
    EXPECT_EQ(records[i].Direction(), 0);
    EXPECT_EQ(records[i].Length(), 30);                                // the chain's cells
    EXPECT_EQ(GetLE16s(records[i].bytes.data() + 8), 1);              // group number
  }
  // Too short a chain is dropped; geometry beyond the arrays gives nothing.
  EXPECT_TRUE(TraceDemoLineaments(levels.data(), 40, 40, 21, 1.0, 40, 21, codes, directions, 31).empty());
  EXPECT_TRUE(TraceDemoLineaments(levels.data(), 40, 40, 21, 1.0, 40, 22, codes, directions).empty());
}

TEST(DemoArguments, RequiredOptionsAndRanges) {
  DemoGeneratorOptions options;
  EXPECT_EQ(ParseDemoArguments({"--kind", "grey", "--size", "64x48", "--rate", "1.3", "--rose-window", "30",
                                "--seed", "9", "--out", "d/x.orw"},
                               options),
            "");
  EXPECT_EQ(options.width, 64);
  EXPECT_EQ(options.height, 48);
  EXPECT_DOUBLE_EQ(options.rate, 1.25);  // to the nearest eighth
  EXPECT_EQ(options.roseWindow, 24);     // a multiple of 8
  EXPECT_EQ(options.seed, 9u);
  auto refused = [](std::vector<std::string> arguments) {
    DemoGeneratorOptions fresh;
    return !ParseDemoArguments(arguments, fresh).empty();
  };
  EXPECT_TRUE(refused({"--kind", "grey", "--out", "x.orw"}));  // no size, no base
  EXPECT_TRUE(refused({"--kind", "map", "--size", "4x4", "--out", "x.orw"}));
  EXPECT_TRUE(refused({"--kind", "grey", "--size", "0x4", "--out", "x.orw"}));
  EXPECT_TRUE(refused({"--kind", "grey", "--size", "4x4", "--out", "x.txt"}));
  EXPECT_TRUE(refused({"--kind", "grey", "--size", "4x4", "--rate", "0.5", "--out", "x.orw"}));
  EXPECT_TRUE(refused({"--kind", "dtm", "--base", "a.raw", "--out", "x.orw"}));
}

DemoGeneratorOptions Synthetic(DemoKind kind, int width, int height, const std::string& out, double rate = 1.0,
                               std::uint32_t seed = 1) {
  DemoGeneratorOptions options;
  options.kind = kind;
  options.width = width;
  options.height = height;
  options.rate = rate;
  options.seed = seed;
  options.outPath = out;
  return options;
}

TEST(DemoProject, ReopensWithAllFiveResultsInTheirGeometry) {
  CTempFolder folder;
  CTestHost host;
  ASSERT_EQ(GenerateDemoProject(host, Synthetic(DemoKind::Grey, 1001, 999, folder.File("g.orw"), 2.5)), 0);
  EXPECT_TRUE(host.messages.empty());
  CWorkspace workspace(host);
  ASSERT_TRUE(workspace.LoadProject(folder.File("g.orw")));
  const CResults& r = workspace.results;
  EXPECT_EQ(r.imageWidth, 1001u);
  EXPECT_EQ(r.gridWidth, 400u);
  EXPECT_EQ(r.gridHeight, 399u);
  EXPECT_TRUE(r.hasStripes && r.hasGlobalRose && r.hasWindowRoses && r.hasBlockRoses && r.hasLineaments);
  EXPECT_EQ(r.stripeCodes.size(), 400u * 399u);
  EXPECT_EQ(r.windowRoses.size(), std::size_t(51 * 51 * 8));  // ceil(400/8)+1, ceil(399/8)+1
  EXPECT_EQ(r.blockRoses.size(), 6u);
  EXPECT_EQ(workspace.params.rose_wind, 64);
  EXPECT_EQ(workspace.imageType, 1);
  EXPECT_FALSE(workspace.blocksImagePath.empty());
  EXPECT_FALSE(workspace.maskImagePath.empty());
  // The global rose file agrees with the stripes.
  std::int64_t cellsWithStripes = 0, roseTotal = 0;
  for (std::uint8_t c : r.stripeCodes) cellsWithStripes += c != 0;
  for (std::int32_t v : r.globalRose) roseTotal += v;
  EXPECT_EQ(roseTotal, cellsWithStripes);
  // Every lineament cell lies in the grid and carries a stripe.
  for (const LineamentRecord& l : r.lineaments) {
    const int row = GetLE16(l.bytes.data()), column = GetLE16(l.bytes.data() + 2);
    ASSERT_LT(row, 399);
    ASSERT_LT(column, 400);
    EXPECT_NE(r.stripeCodes[std::size_t(row) * 400 + column], 0);
  }
}

TEST(DemoProject, SameSeedSameFilesOtherSeedOtherScene) {
  CTempFolder folder;
  CTestHost host;
  ASSERT_EQ(GenerateDemoProject(host, Synthetic(DemoKind::Scheme, 200, 150, folder.File("a.orw"), 1.0, 4)), 0);
  ASSERT_EQ(GenerateDemoProject(host, Synthetic(DemoKind::Scheme, 200, 150, folder.File("b.orw"), 1.0, 4)), 0);
  ASSERT_EQ(GenerateDemoProject(host, Synthetic(DemoKind::Scheme, 200, 150, folder.File("c.orw"), 1.0, 5)), 0);
  for (const char* extension : {".str", ".ros", ".br", ".orl", ".bmp"}) {
    EXPECT_EQ(ReadBytes(folder.File(std::string("a") + extension)), ReadBytes(folder.File(std::string("b") + extension)))
        << extension;
  }
  EXPECT_NE(ReadBytes(folder.File("a.bmp")), ReadBytes(folder.File("c.bmp")));
  EXPECT_NE(ReadBytes(folder.File("a.str")), ReadBytes(folder.File("c.str")));
}

TEST(DemoProject, ElevationModelIsWrittenRawAndAsAGeoreferencedGrid) {
  CTempFolder folder;
  CTestHost host;
  DemoGeneratorOptions options = Synthetic(DemoKind::Elevation, 60, 40, folder.File("m.orw"));
  options.extent[0] = 1000;
  options.extent[1] = 1600;  // 10 m cells
  options.extent[2] = 5000;
  options.extent[3] = 5400;
  ASSERT_EQ(GenerateDemoProject(host, options), 0);
  EXPECT_EQ(ReadBytes(folder.File("m.raw")).size(), 60u * 40u * 2u);
  const std::string grid = ReadTextFile(folder.File("m.grd"));
  EXPECT_EQ(grid.rfind("DSAA\n60 40\n1005.000000 1595.000000\n5005.000000 5395.000000\n", 0), 0u) << grid.substr(0, 80);
  CWorkspace workspace(host);
  ASSERT_TRUE(workspace.LoadProject(folder.File("m.orw")));
  EXPECT_EQ(workspace.results.imageType, 3);
  EXPECT_DOUBLE_EQ(workspace.saveSettings.upperLeftX, 1000.0);
  EXPECT_DOUBLE_EQ(workspace.saveSettings.upperLeftY, 5400.0);
  EXPECT_DOUBLE_EQ(workspace.saveSettings.resolutionX, 10.0);
  EXPECT_DOUBLE_EQ(workspace.saveSettings.resolutionY, -10.0);
}

TEST(DemoProject, UnwritableFolderIsReported) {
  CTestHost host;
  EXPECT_NE(GenerateDemoProject(host, Synthetic(DemoKind::Grey, 32, 32, "/nonexistent-folder/x.orw")), 0);
  EXPECT_FALSE(host.messages.empty());
}

}  // namespace
}  // namespace linea
