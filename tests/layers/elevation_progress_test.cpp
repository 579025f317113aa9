// Progress reports of the long stretches of opening an elevation model: the raw
// samples, the grey conversion and the first flat iteration report through the
// host, in the descent's one window, and change no result.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/elevation_model.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

// Terraces with wide flats, so that the flat resolver has work on every row.
std::vector<std::uint16_t> Terraces(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint16_t> heights(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      heights[std::size_t(y) * width + x] = std::uint16_t(1000 + 300 * ((x + y) / 40) + (random() % 50 == 0 ? 7 : 0));
  return heights;
}

std::vector<std::uint8_t> LittleEndian(const std::vector<std::uint16_t>& heights) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t h : heights) {
    bytes.push_back(std::uint8_t(h & 0xFF));
    bytes.push_back(std::uint8_t(h >> 8));
  }
  return bytes;
}

TEST(HeightsToGrayInSlices, GivesTheSameGreyAndStopsWhenTold) {
  std::mt19937 random(3);
  std::vector<std::uint16_t> samples(3 * 16384 + 17);
  for (auto& s : samples) s = std::uint16_t(random());
  samples[40000] = 0;  // the minimum in a later slice
  std::vector<std::uint8_t> whole(samples.size()), sliced(samples.size());
  ASSERT_EQ(HeightsToGray(samples, whole), 0);
  std::vector<double> fractions;
  ASSERT_EQ(HeightsToGray(samples, sliced, [&](double f) { return fractions.push_back(f), true; }), 0);
  EXPECT_EQ(sliced, whole);
  EXPECT_EQ(fractions.size(), 8u);  // four slices, twice over
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_GE(fractions.front(), 0.0);
  EXPECT_LT(fractions.back(), 1.0);

  int calls = 0;
  EXPECT_EQ(HeightsToGray(samples, sliced, [&](double) { return ++calls < 3; }), 11);
  EXPECT_EQ(calls, 3);
  // Equal heights still convert to nothing.
  std::vector<std::uint16_t> flat(100, 9);
  std::vector<std::uint8_t> grey(100, 1);
  EXPECT_EQ(HeightsToGray(flat, grey, [](double) { return true; }), 7);
}

TEST(FirstFlatIteration, ReportsItsRows) {
  const int width = 120, height = 90;
  const std::vector<std::uint16_t> heights = Terraces(width, height, 5);
  CTestHost host;
  std::vector<std::uint8_t> grid(heights.size());
  ASSERT_EQ(ComputeDescent16(host, width, height, heights, grid), 0);
  // The slope pass stays below half way; the first flat iteration reports every
  // interior row at the start of the flat half (without them, only the half-way
  // report and the first ring's come before 502).
  const auto atHalf = std::count_if(host.progressPositions.begin(), host.progressPositions.end(),
                                    [](int p) { return p >= kDescentProgressRange / 2 && p < kDescentProgressRange / 2 + 2; });
  EXPECT_GE(atHalf, height - 1);
  EXPECT_EQ(host.progressEnds, 1);

  // Cancelled in the first flat iteration: stopped, the window closed.
  CTestHost cancel;
  cancel.cancelAtProgress = kDescentProgressRange / 2 + 1;  // reached only late in the first iteration
  std::vector<std::uint8_t> other(heights.size());
  EXPECT_EQ(ComputeDescent16(cancel, width, height, heights, other), 11);
  EXPECT_EQ(cancel.progressEnds, 1);
  EXPECT_GE(std::count(cancel.progressPositions.begin(), cancel.progressPositions.end(), kDescentProgressRange / 2),
            height / 3);
}

class ElevationOpening : public ::testing::Test {
 protected:
  ElevationOpening() : stack(host) {}

  int Open(const std::vector<std::uint16_t>& heights, int width, int height) {
    const std::string path = folder.File("model.raw");
    WriteBytes(path, LittleEndian(heights));
    return OpenBaseImage(host, path, stack, "Исходное", kImageTypeElevation, width, height, 2, info);
  }

  CTestHost host;
  CLayerStack stack;
  CTempFolder folder;
  BaseRasterInfo info;
};

TEST_F(ElevationOpening, ReportsTheConversionInTheDescentWindowWithTheSameResults) {
  const int width = 300, height = 200;  // 60000 cells: four slices of each conversion
  const std::vector<std::uint16_t> heights = Terraces(width, height, 11);
  ASSERT_EQ(Open(heights, width, height), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.progressEnds, 1);  // one window for the whole preparation
  ASSERT_GE(host.progressTitles.size(), 2u);
  EXPECT_EQ(host.progressTitles.front(), "Поиск склона");
  EXPECT_EQ(host.progressTitles.back(), "Поиск склона/Большие фрагменты");
  EXPECT_TRUE(std::is_sorted(host.progressPositions.begin(), host.progressPositions.end()));
  // The raw samples and the grey levels report before the slope pass (below 200).
  const auto early = std::count_if(host.progressPositions.begin(), host.progressPositions.end(),
                                   [](int p) { return p < kDescentProgressRange / 5; });
  EXPECT_GE(early, 12);

  // The descent grid is the one the descent alone computes.
  CTestHost plain;
  std::vector<std::uint8_t> grid(heights.size());
  ASSERT_EQ(ComputeDescent16(plain, width, height, heights, grid), 0);
  EXPECT_EQ(info.descentGrid, grid);

  // The picture holds the grey levels of the unsliced conversion.
  std::vector<std::uint8_t> grey(heights.size());
  ASSERT_EQ(HeightsToGray(heights, grey), 0);
  auto* layer = dynamic_cast<CBitmapLayer*>(stack.FindLayer("Исходное"));
  ASSERT_NE(layer, nullptr);
  ASSERT_EQ(layer->Image().GetWidth(), width);
  ASSERT_EQ(layer->Image().GetHeight(), height);
  int differences = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) differences += layer->Image().Row(y)[x] != grey[std::size_t(y) * width + x];
  EXPECT_EQ(differences, 0);
}

TEST_F(ElevationOpening, CancelInEveryNewStageLeavesTheStackAsItWas) {
  const int width = 300, height = 200;
  const std::vector<std::uint16_t> heights = Terraces(width, height, 13);
  // 0: the raw samples; 150: the grey levels; 601: late in the first flat iteration.
  for (const int at : {0, 150, 601}) {
    SCOPED_TRACE(at);
    host.messages.clear();
    host.progressPositions.clear();
    host.progressEnds = 0;
    host.cancelAtProgress = at;
    info = BaseRasterInfo();
    EXPECT_EQ(Open(heights, width, height), 11);
    EXPECT_EQ(host.messages.size(), 1u);  // the descent's own cancel message
    EXPECT_EQ(host.progressEnds, 1);
    EXPECT_EQ(stack.LayerCount(), 0);
    EXPECT_TRUE(info.descentGrid.empty());
    ASSERT_FALSE(host.progressPositions.empty());
    EXPECT_GE(host.progressPositions.back(), at);
    EXPECT_LT(host.progressPositions.back(), at + 50);  // stopped where it was asked
  }
}

TEST_F(ElevationOpening, GridRowsReportAndCancelCleanly) {
  const int width = 60, height = 50;
  const std::vector<std::uint16_t> heights = Terraces(width, height, 17);
  std::string text = "DSAA\n60 50\n0 590\n0 490\n1000 3000\n";
  for (const std::uint16_t h : heights) text += std::to_string(h) + " ";
  const std::string path = folder.File("model.grd");
  WriteTextFile(path, text);

  // The samples ReadGrid gives without progress, and their descent.
  std::vector<std::uint16_t> samples;
  int w = 0, h = 0;
  GridExtent extent;
  CTestHost plain;
  ASSERT_EQ(ReadGrid(plain, path, samples, w, h, extent), 0);
  std::vector<std::uint8_t> grid(samples.size());
  ASSERT_EQ(ComputeDescent16(plain, w, h, samples, grid), 0);

  ASSERT_EQ(OpenBaseImage(host, path, stack, "Исходное", kImageTypeElevation, 0, 0, 0, info), 0);
  EXPECT_EQ(info.descentGrid, grid);
  EXPECT_EQ(host.progressEnds, 1);
  const auto rows = std::count_if(host.progressPositions.begin(), host.progressPositions.end(),
                                  [](int p) { return p < kDescentProgressRange / 10; });
  EXPECT_GE(rows, height);

  // Cancelled among the rows: nothing opened, the window closed, one message.
  CTestHost cancel;
  cancel.cancelAtProgress = 50;
  CLayerStack other(cancel);
  BaseRasterInfo none;
  EXPECT_EQ(OpenBaseImage(cancel, path, other, "Исходное", kImageTypeElevation, 0, 0, 0, none), 11);
  EXPECT_EQ(cancel.messages.size(), 1u);
  EXPECT_EQ(cancel.progressEnds, 1);
  EXPECT_EQ(other.LayerCount(), 0);
  EXPECT_LT(cancel.progressPositions.back(), kDescentProgressRange / 10);  // still among the rows
}

}  // namespace
}  // namespace linea
