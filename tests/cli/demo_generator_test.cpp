// The demo-project maker: the projects it writes as the program reads them back,
// with results that are those of the program's own search.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "base/binary_io.h"
#include "cli/cli_host.h"
#include "demo_generator.h"
#include "project/calculation.h"
#include "project/workspace.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

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
  // Every lineament cell lies in the grid; lineaments bridge short gaps, so most
  // but not all of their cells carry a stripe.
  std::size_t onStripes = 0;
  ASSERT_FALSE(r.lineaments.empty());
  for (const LineamentRecord& l : r.lineaments) {
    const int row = GetLE16(l.bytes.data()), column = GetLE16(l.bytes.data() + 2);
    ASSERT_LT(row, 399);
    ASSERT_LT(column, 400);
    onStripes += r.stripeCodes[std::size_t(row) * 400 + column] != 0;
  }
  EXPECT_GE(onStripes * 4, r.lineaments.size() * 3);
}

TEST(DemoProject, ResultsAreThoseThatCalculationGivesOnTheSameProject) {
  // Every kind: the reopened demo, computed again with all four switches, gives
  // the same results byte for byte, so the demo shows what the program finds.
  CTempFolder folder;
  CTestHost host;
  for (DemoKind kind : {DemoKind::Grey, DemoKind::Elevation, DemoKind::Scheme}) {
    const std::string out = folder.File("k" + std::to_string(int(kind)) + ".orw");
    ASSERT_EQ(GenerateDemoProject(host, Synthetic(kind, 300, 220, out, 1.5, 3)), 0);
    CWorkspace demo(host), again(host);
    ASSERT_TRUE(demo.LoadProject(out));
    ASSERT_TRUE(again.LoadProject(out));
    const CResults& r = demo.results;
    ASSERT_TRUE(r.hasStripes && r.hasWindowRoses && r.hasBlockRoses && r.hasLineaments) << int(kind);
    again.results.hasStripes = false;
    again.results.stripeCodes.assign(again.results.stripeCodes.size(), 0);
    AnalysisRequest all;
    all.stripes = all.blockRoses = all.windowRoses = all.lineaments = true;
    ASSERT_EQ(CalculateResults(again, all), 0);
    EXPECT_EQ(again.results.stripeCodes, r.stripeCodes) << int(kind);
    EXPECT_EQ(again.results.windowRoses, r.windowRoses) << int(kind);
    ASSERT_EQ(again.results.blockRoses.size(), r.blockRoses.size()) << int(kind);
    for (std::size_t i = 0; i < r.blockRoses.size(); ++i) {
      EXPECT_EQ(again.results.blockRoses[i].header, r.blockRoses[i].header);
      EXPECT_EQ(again.results.blockRoses[i].sectors, r.blockRoses[i].sectors);
    }
    ASSERT_EQ(again.results.lineaments.size(), r.lineaments.size()) << int(kind);
    for (std::size_t i = 0; i < r.lineaments.size(); ++i)
      ASSERT_EQ(again.results.lineaments[i].bytes, r.lineaments[i].bytes) << int(kind) << " record " << i;
  }
}

TEST(DemoProject, StripesAndLineamentsLieOnTheSceneFeatures) {
  // The scheme's drawn lines are its only features: the stripes cover a small
  // part of the sheet and every lineament cell lies on or beside a drawn line.
  CTempFolder folder;
  CTestHost host;
  ASSERT_EQ(GenerateDemoProject(host, Synthetic(DemoKind::Scheme, 400, 300, folder.File("s.orw"), 1.0, 7)), 0);
  const std::vector<std::uint8_t> sheet = SyntheticScheme(400, 300, 7);
  CWorkspace workspace(host);
  ASSERT_TRUE(workspace.LoadProject(folder.File("s.orw")));
  const CResults& r = workspace.results;
  const auto striped = std::count_if(r.stripeCodes.begin(), r.stripeCodes.end(), [](std::uint8_t c) { return c; });
  EXPECT_GT(striped, 400 * 300 / 50);
  EXPECT_LT(striped, 400 * 300 / 3);
  ASSERT_GE(r.lineaments.size(), 100u);
  // Distance in pixels (chessboard) from a cell to the nearest drawn pixel, up to 11.
  auto distanceToLine = [&](int column, int row) {
    int best = 11;
    for (int dy = -10; dy <= 10; ++dy)
      for (int dx = -10; dx <= 10; ++dx) {
        const int x = column + dx, y = row + dy;
        if (x >= 0 && y >= 0 && x < 400 && y < 300 && sheet[std::size_t(y) * 400 + x] == 0)
          best = std::min(best, std::max(std::abs(dx), std::abs(dy)));
      }
    return best;
  };
  // Within the stripe window and the lineament band of a line, and mostly on it;
  // the straight fit of a joined lineament may end a cell or two off a line's end.
  std::size_t onTheLine = 0;
  for (const LineamentRecord& l : r.lineaments) {
    const int distance = distanceToLine(GetLE16(l.bytes.data() + 2), GetLE16(l.bytes.data()));
    ASSERT_LE(distance, 10) << GetLE16(l.bytes.data() + 2) << "," << GetLE16(l.bytes.data());
    onTheLine += distance <= 3;
  }
  EXPECT_GE(onTheLine * 10, r.lineaments.size() * 9);

  // The synthetic greyscale scene: stripes on its lines, not on the gentle
  // background and its noise.
  ASSERT_EQ(GenerateDemoProject(host, Synthetic(DemoKind::Grey, 400, 300, folder.File("g.orw"), 1.0, 7)), 0);
  CWorkspace grey(host);
  ASSERT_TRUE(grey.LoadProject(folder.File("g.orw")));
  const auto& codes = grey.results.stripeCodes;
  const auto greyStriped = std::count_if(codes.begin(), codes.end(), [](std::uint8_t c) { return c; });
  EXPECT_GT(greyStriped, 400 * 300 / 50);
  EXPECT_LT(greyStriped, 400 * 300 / 3);
  EXPECT_FALSE(grey.results.lineaments.empty());
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
