// The Order ranking with sector counts at and beyond its limits.
#include <gtest/gtest.h>

#include <vector>

#include "layers/layer_stack.h"
#include "results/lineaments.h"
#include "support/test_host.h"

namespace linea {
namespace {

LineamentRecord Cell(int row, int column, int direction, int value, int group) {
  LineamentRecord r;
  r.bytes = {std::uint8_t(row), 0, std::uint8_t(column), 0, std::uint8_t(direction), 0,
             std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(group), 0};
  return r;
}

// One cell per direction 0..179, each its own lineament, value 100 + direction.
std::vector<LineamentRecord> EveryDirection() {
  std::vector<LineamentRecord> records;
  for (int d = 0; d < 180; ++d) records.push_back(Cell(d / 20, d % 20, d, 100 + d, d));
  return records;
}

TEST(LineamentSectorLimits, NoSectorRanksNothing) {
  const auto records = EveryDirection();
  std::vector<std::uint16_t> values(records.size(), 77);
  EXPECT_EQ(RankLineaments(records, 0, values), 0);
  EXPECT_EQ(values, std::vector<std::uint16_t>(records.size(), 1));
  EXPECT_EQ(RankLineaments(records, -3, values), 0);
  EXPECT_EQ(values, std::vector<std::uint16_t>(records.size(), 1));
}

TEST(LineamentSectorLimits, OneSectorPerDirectionRanksEachCellFirst) {
  const auto records = EveryDirection();
  std::vector<std::uint16_t> values(records.size(), 0);
  EXPECT_EQ(RankLineaments(records, 180, values), 0);
  // Sector s covers the directions s .. s + 1 and the next sector takes s + 1 over:
  // every direction is a sector of its own, and each cell the strongest of it.
  EXPECT_EQ(values, std::vector<std::uint16_t>(records.size(), 51));
}

TEST(LineamentSectorLimits, MoreSectorsThanDirectionsAreRefusedAndWriteNothing) {
  const auto records = EveryDirection();
  std::vector<std::uint16_t> values(records.size(), 9);
  EXPECT_EQ(RankLineaments(records, 181, values), 15);
  EXPECT_EQ(RankLineaments(records, 500, values), 15);
  EXPECT_EQ(values, std::vector<std::uint16_t>(records.size(), 9));
}

class LineamentSectorLayer : public ::testing::Test {
 protected:
  LineamentSectorLayer() : stack(host) {
    results.SetImageGeometry(20, 9, 1, 1);
    results.SetGridFromRate(1.0);
    results.lineaments = EveryDirection();
    results.hasLineaments = true;
    params.lineamentOrder = 1;
    params.lineamentSelectionMode = 1;  // From/To, so that the sector box is not looked at
    params.lineamentFrom = 0;
    params.lineamentTo = 90;
  }
  int Build() { return BuildLineamentsLayer(results, selection, stack, "Линеаменты 1", params, 1); }

  CTestHost host;
  CLayerStack stack;
  CResults results;
  CLineamentSelection selection;
  CalcParameters params;
};

TEST_F(LineamentSectorLayer, FiveHundredSectorsBuildNothingAndKeepTheRange) {
  params.lineamentSectors = 500;
  EXPECT_EQ(Build(), 15);
  EXPECT_EQ(stack.LayerCount(), 0);
  EXPECT_EQ(params.lineamentFrom, 0);
  EXPECT_EQ(params.lineamentTo, 90);
  // Back to a count the ranking takes: the map is made.
  params.lineamentSectors = 4;
  EXPECT_EQ(Build(), 0);
  EXPECT_EQ(stack.LayerCount(), 1);
}

TEST_F(LineamentSectorLayer, WithNoSectorAnOrderValueAbove1SelectsNothing) {
  params.lineamentSectors = 0;
  params.lineamentValue = 2;
  params.lineamentRose = true;
  params.lineamentSumWindow = 1;
  ASSERT_EQ(Build(), 0);
  for (std::size_t i = 0; i < results.lineaments.size(); ++i) EXPECT_EQ(selection.selectionValues[i], 1) << i;
  for (std::uint8_t beam : selection.rose) EXPECT_EQ(beam, 0);
}

}  // namespace
}  // namespace linea
