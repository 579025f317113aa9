#include "analysis/rose_counts.h"

#include <gtest/gtest.h>

#include "base/messages.h"

namespace linea {
namespace {

TEST(WindowRoses, CountEachClassAroundEveryNodeOfTheRoseGrid) {
  // 17 x 9 cells: nodes ceil(17/8)+1 = 4 by ceil(9/8)+1 = 3.
  std::vector<std::uint8_t> classes(17 * 9, 0);
  classes[0] = 3;                 // at node (0, 0)
  classes[8 * 17 + 16] = 5;       // at node (2, 1)
  classes[8 * 17 + 15] = 5;       // one cell left of it
  std::vector<std::uint16_t> roses;
  ASSERT_EQ(CountWindowRoses(classes, {}, 17, 9, 3.0, 0.0, roses, {}), 0);
  ASSERT_EQ(roses.size(), 4u * 3u * 8u);
  EXPECT_EQ(roses[2], 1);                       // node (0,0), class 3
  EXPECT_EQ(roses[(1 * 4 + 2) * 8 + 4], 2);     // node (2,1), class 5
  int total = 0;
  for (auto v : roses) total += v;
  EXPECT_EQ(total, 3);
}

TEST(WindowRoses, TooFewUsableCellsLeaveTheRoseEmpty) {
  std::vector<std::uint8_t> classes(16 * 16, 1);
  std::vector<std::uint8_t> usable(16 * 16, 1);
  // The left half is masked out.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 8; ++x) usable[std::size_t(y) * 16 + x] = 0;
  std::vector<std::uint16_t> roses;
  ASSERT_EQ(CountWindowRoses(classes, usable, 16, 16, 9.0, 0.5, roses, {}), 0);
  const std::size_t nx = 3;
  EXPECT_EQ(roses[(1 * nx + 0) * 8], 0);   // node on column 0: under a fifth usable
  // Node (1,1) sits on the mask's edge: about half the disc is usable and counted.
  EXPECT_GT(roses[(1 * nx + 1) * 8], 0);
  ASSERT_EQ(CountWindowRoses(classes, usable, 16, 16, 9.0, 0.9, roses, {}), 0);
  EXPECT_EQ(roses[(1 * nx + 1) * 8], 0);
}

TEST(WindowRoses, CountsSaturateAtSixteenBits) {
  std::vector<std::uint8_t> classes(300 * 300, 2);
  std::vector<std::uint16_t> roses;
  ASSERT_EQ(CountWindowRoses(classes, {}, 300, 300, 400.0, 0.0, roses, {}), 0);
  EXPECT_EQ(roses[(20 * 39 + 20) * 8 + 1], 65535);
}

TEST(WindowRoses, EmptyGridAndShortInputAreRefused) {
  std::vector<std::uint16_t> roses{7};
  EXPECT_EQ(CountWindowRoses({}, {}, 0, 5, 8.0, 0.1, roses, {}), kErrorNoRoses);
  EXPECT_EQ(CountWindowRoses(std::vector<std::uint8_t>(10), {}, 5, 5, 8.0, 0.1, roses, {}), kErrorNoData);
  EXPECT_EQ(roses, std::vector<std::uint16_t>{7});
}

TEST(BlockRoses, OneRosePerNumberedBlockWithItsCentre) {
  // 8 x 4 pixels: block 1 on the left half, block 7 on the right, one border
  // column of 255, and 254 (excluded) in the last column.
  std::vector<std::uint8_t> blocks(8 * 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) blocks[std::size_t(y) * 8 + x] = x < 3 ? 1 : (x == 3 ? 255 : (x == 7 ? 254 : 7));
  std::vector<std::uint8_t> classes(8 * 4, 0);
  classes[0] = 2;
  classes[1 * 8 + 2] = 2;
  classes[2 * 8 + 5] = 8;
  classes[3 * 8 + 7] = 4;  // in the excluded area
  classes[3 * 8 + 3] = 4;  // on a border
  std::vector<BlockRose> roses;
  ASSERT_EQ(CountBlockRoses(classes, 8, 4, 1.0, AnalysisRaster{blocks.data(), 8, 8, 4}, roses, {}), 0);
  ASSERT_EQ(roses.size(), 2u);
  EXPECT_EQ(roses[0].header, (std::array<std::int32_t, 3>{1, 1, 1}));
  EXPECT_EQ(roses[0].sectors, (std::array<std::int32_t, 8>{0, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(roses[1].header, (std::array<std::int32_t, 3>{7, 5, 1}));
  EXPECT_EQ(roses[1].sectors, (std::array<std::int32_t, 8>{0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(BlockRoses, ARasterWithoutBlocksIsCodeFourteen) {
  std::vector<std::uint8_t> blocks(4 * 4, 255);
  std::vector<std::uint8_t> classes(16, 1);
  std::vector<BlockRose> roses(1);
  EXPECT_EQ(CountBlockRoses(classes, 4, 4, 1.0, AnalysisRaster{blocks.data(), 4, 4, 4}, roses, {}), kErrorNoBlocks);
  EXPECT_EQ(roses.size(), 1u);
  EXPECT_EQ(CountBlockRoses(classes, 4, 4, 1.0, AnalysisRaster{}, roses, {}), kErrorNoData);
}

}  // namespace
}  // namespace linea
