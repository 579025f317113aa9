// The lineament search works in overlapping tiles; these cases check that the
// tiles do not show in the result: a lineament is whole whatever tiles it
// crosses, gaps split it as they would without tiles, and moving the tile
// borders moves nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/lineament_search.h"
#include "analysis/test_images.h"
#include "base/messages.h"
#include "results/calc_parameters.h"

namespace linea {
namespace {

constexpr double kPi = testing_images::kPi;

double AxisDistance(double a, double b) {
  double d = std::fabs(std::fmod(a - b, 180.0));
  return d > 90.0 ? 180.0 - d : d;
}

StripeField EmptyField(std::uint32_t width, std::uint32_t height) {
  StripeField f;
  f.gridWidth = width;
  f.gridHeight = height;
  f.codes.assign(std::size_t(width) * height, 0);
  f.directions.assign(std::size_t(width) * height, 0);
  return f;
}

// Stripes of `degrees` along a straight band three cells wide, from (x0, y0) for
// `length` cells (x right, y down, degrees counter-clockwise with y up).
void DrawStripes(StripeField& f, double x0, double y0, double degrees, double length) {
  const double a = degrees * kPi / 180.0, dx = std::cos(a), dy = -std::sin(a);
  for (double t = 0; t <= length - 1; t += 0.25)
    for (int s = -1; s <= 1; ++s) {
      const long x = std::lround(x0 + t * dx - s * dy), y = std::lround(y0 + t * dy + s * dx);
      if (x < 0 || y < 0 || x >= long(f.gridWidth) || y >= long(f.gridHeight)) continue;
      const std::size_t cell = std::size_t(y) * f.gridWidth + std::size_t(x);
      f.codes[cell] = StripeCodeOfDegrees(degrees);
      f.directions[cell] = std::uint8_t(std::lround(degrees) % 180);
    }
}

// Scattered stripes of random directions on `share` of the cells.
void Scatter(StripeField& f, double share, unsigned seed) {
  std::mt19937 engine(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (std::size_t cell = 0; cell < f.codes.size(); ++cell) {
    const double degrees = 180.0 * unit(engine);
    if (unit(engine) >= share || f.codes[cell] != 0) continue;
    f.codes[cell] = StripeCodeOfDegrees(degrees);
    f.directions[cell] = std::uint8_t(int(degrees) % 180);
  }
}

CalcParameters Parameters() {
  CalcParameters params;
  params.nb1 = 3;
  params.Part = 0.5;  // least length 32 cells in a 64-cell window
  params.LONG = true;
  return params;
}

std::vector<FoundLineament> Lineaments(const StripeField& f, const CalcParameters& params,
                                       std::vector<LineamentRecord>* records = nullptr) {
  std::vector<LineamentRecord> own;
  std::vector<FoundLineament> found;
  EXPECT_EQ(FindLineaments(f, LineamentSettingsOf(params, 64.0), records ? *records : own, &found, {}), 0);
  return found;
}

TEST(LineamentTiles, ALineCrossingManyTilesIsOneLineamentOfItsWholeLength) {
  const CalcParameters params = Parameters();
  const LineamentTiling tiling = LineamentTilingOf(LineamentSettingsOf(params, 64.0));
  ASSERT_GT(tiling.side, 0);
  // Shallow and steep, each crossing at least five tiles, with scattered
  // stripes around them.
  for (double degrees : {7.0, 33.0, 90.0, 151.0}) {
    const double length = 5.5 * tiling.side;
    StripeField f = EmptyField(std::uint32_t(6 * tiling.side), std::uint32_t(6 * tiling.side));
    const double a = degrees * kPi / 180.0;
    const double x0 = 3 * tiling.side - std::cos(a) * length / 2, y0 = 3 * tiling.side + std::sin(a) * length / 2;
    DrawStripes(f, x0, y0, degrees, length);
    Scatter(f, 0.05, 7u);
    std::vector<LineamentRecord> records;
    const std::vector<FoundLineament> found = Lineaments(f, params, &records);
    ASSERT_EQ(found.size(), 1u) << degrees;
    EXPECT_NEAR(AxisDistance(found[0].degrees, degrees), 0.0, 0.5) << degrees;
    EXPECT_NEAR(found[0].length, length, 0.02 * length) << degrees;
    // Every record is of that one lineament and carries its whole length.
    // One record a cell along the longer axis of the segment.
    ASSERT_GT(records.size(), std::size_t(0.9 * length * std::max(std::fabs(std::cos(a)), std::fabs(std::sin(a)))));
    for (const LineamentRecord& r : records) {
      ASSERT_EQ(r.bytes[8] | (r.bytes[9] << 8), 1);
      ASSERT_EQ(r.Length(), int(std::floor(found[0].length + 0.5)));
    }
  }
}

TEST(LineamentTiles, CollinearLinesApartByMoreThanTheLargestGapStayTwo) {
  for (bool longGaps : {true, false}) {
    CalcParameters params = Parameters();
    params.LONG = longGaps;
    const LineamentSettings settings = LineamentSettingsOf(params, 64.0);
    const LineamentTiling tiling = LineamentTilingOf(settings);
    const int stride = tiling.side - tiling.overlap;
    // The gap falls on a tile border, inside the overlap of two tiles and in the
    // middle of a tile.
    for (int gapAt : {stride, stride + tiling.overlap / 2, stride + tiling.overlap + 7, stride / 2}) {
      for (int gap : {settings.largestGap + 3, settings.largestGap}) {
        StripeField f = EmptyField(std::uint32_t(4 * tiling.side), 64);
        DrawStripes(f, 2, 30, 0.0, gapAt - 2);
        const double second = 4.0 * tiling.side - 3 - (gapAt + gap);
        DrawStripes(f, gapAt + gap, 30, 0.0, second);
        const std::vector<FoundLineament> found = Lineaments(f, params);
        const std::string where = "gap " + std::to_string(gap) + " at " + std::to_string(gapAt);
        if (gap > settings.largestGap + 1) {
          ASSERT_EQ(found.size(), 2u) << where;
          // Longest first.
          EXPECT_NEAR(found[0].length, std::max<double>(gapAt - 2, second), 2.0) << where;
          EXPECT_NEAR(found[1].length, std::min<double>(gapAt - 2, second), 2.0) << where;
        } else {
          ASSERT_EQ(found.size(), 1u) << where;
          EXPECT_NEAR(found[0].length, 4.0 * tiling.side - 4, 2.0) << where;
        }
      }
    }
  }
}

TEST(LineamentTiles, AParallelCopyBesideALongerLineamentIsDroppedAcrossTiles) {
  const CalcParameters params = Parameters();
  const LineamentTiling tiling = LineamentTilingOf(LineamentSettingsOf(params, 64.0));
  const double length = 4.0 * tiling.side - 10;
  // Beside it within three bands (3 x 1.5 + 3 cells): the same feature, as long
  // as the longer one and lying along it (stripes this close may be fitted
  // together, as the two flanks of a dark line are); further away: a feature of
  // its own.
  for (auto [offset, expected] : {std::pair{7, 1u}, std::pair{6, 1u}, std::pair{14, 2u}}) {
    StripeField f = EmptyField(std::uint32_t(4 * tiling.side), 64);
    DrawStripes(f, 5, 20, 0.0, length);
    DrawStripes(f, tiling.side / 2 + 3, 20 + offset, 0.0, 2.0 * tiling.side);
    const std::vector<FoundLineament> found = Lineaments(f, params);
    ASSERT_EQ(found.size(), expected) << offset;
    EXPECT_NEAR(found[0].length, length, 2.0) << offset;
    EXPECT_LT(AxisDistance(found[0].degrees, 0.0), 0.5) << offset;
    for (double y : {found[0].y0, found[0].y1}) {
      EXPECT_GE(y, 19.5) << offset;
      EXPECT_LE(y, 20.0 + offset) << offset;
    }
    if (expected == 2) {
      EXPECT_NEAR(found[1].length, 2.0 * tiling.side, 2.0);
      EXPECT_NEAR(found[1].y0, 20.0 + offset, 0.5);
    }
  }
}

TEST(LineamentTiles, CrossingLineamentsAreBothWholeWhateverTheUsesOfAStripe) {
  const LineamentTiling tiling = LineamentTilingOf(LineamentSettingsOf(Parameters(), 64.0));
  const int stride = tiling.side - tiling.overlap;
  // They cross on a tile border, in the overlap of four tiles.
  StripeField f = EmptyField(std::uint32_t(3 * tiling.side), std::uint32_t(3 * tiling.side));
  const double length = 2.5 * tiling.side;
  DrawStripes(f, 10, stride + 2, 0.0, length);
  DrawStripes(f, stride + 2, 10 + length, 90.0, length);
  for (int calck : {0, 1, 2}) {
    CalcParameters params = Parameters();
    params.Calck = std::uint8_t(calck);
    const std::vector<FoundLineament> found = Lineaments(f, params);
    ASSERT_EQ(found.size(), 2u) << calck;
    for (const FoundLineament& l : found) EXPECT_NEAR(l.length, length, 2.0) << calck << " " << l.degrees;
    EXPECT_NEAR(AxisDistance(found[0].degrees, found[1].degrees), 90.0, 0.5) << calck;
  }
}

TEST(LineamentTiles, MovingTheTileBordersMovesNoLineament) {
  const CalcParameters params = Parameters();
  const LineamentTiling tiling = LineamentTilingOf(LineamentSettingsOf(params, 64.0));
  const int stride = tiling.side - tiling.overlap;
  // Long and short lines, two of them crossing, on scattered stripes.
  const int side = 3 * tiling.side;
  StripeField scene = EmptyField(std::uint32_t(side), std::uint32_t(side));
  struct Drawn {
    double x0, y0, degrees, length;
  };
  const std::vector<Drawn> drawn{{20, 40, 3.0, 400},   {30, 400, 48.0, 380}, {200, 300, 121.0, 200},
                                 {250, 420, 95.0, 60}, {300, 200, 20.0, 45}, {340, 150, 170.0, 300}};
  for (const Drawn& d : drawn) DrawStripes(scene, d.x0, d.y0, d.degrees, d.length);
  Scatter(scene, 0.04, 3u);
  const std::vector<FoundLineament> reference = Lineaments(scene, params);
  ASSERT_EQ(reference.size(), drawn.size());
  // Each drawn line is found; scattered stripes of its direction within the
  // largest gap beyond an end may lengthen it.
  const int largestGap = LineamentSettingsOf(params, 64.0).largestGap;
  for (const Drawn& d : drawn) {
    bool matched = false;
    for (const FoundLineament& r : reference)
      if (AxisDistance(r.degrees, d.degrees) <= 1.0 && std::fabs(r.length - d.length) <= 0.02 * d.length + largestGap)
        matched = true;
    EXPECT_TRUE(matched) << d.degrees;
  }

  // The same scene shifted within a larger field: every tile border falls
  // elsewhere on its lines.
  for (auto [dx, dy] : {std::pair{stride / 2, 0}, std::pair{0, stride / 3}, std::pair{stride - 5, 17},
                        std::pair{tiling.overlap / 2, stride / 2 + 3}}) {
    StripeField moved = EmptyField(std::uint32_t(side + stride), std::uint32_t(side + stride));
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const std::size_t from = std::size_t(y) * side + x;
        const std::size_t to = std::size_t(y + dy) * moved.gridWidth + std::size_t(x + dx);
        moved.codes[to] = scene.codes[from];
        moved.directions[to] = scene.directions[from];
      }
    const std::vector<FoundLineament> found = Lineaments(moved, params);
    const std::string where = "shift " + std::to_string(dx) + "," + std::to_string(dy);
    ASSERT_EQ(found.size(), reference.size()) << where;
    for (const FoundLineament& r : reference) {
      bool matched = false;
      for (const FoundLineament& f : found) {
        if (AxisDistance(f.degrees, r.degrees) > 1.0) continue;
        const double mx = 0.5 * (r.x0 + r.x1) + dx, my = 0.5 * (r.y0 + r.y1) + dy;
        if (std::hypot(0.5 * (f.x0 + f.x1) - mx, 0.5 * (f.y0 + f.y1) - my) > 2.0) continue;
        EXPECT_NEAR(f.length, r.length, std::max(2.0, 0.02 * r.length)) << where;
        matched = true;
      }
      EXPECT_TRUE(matched) << where << ": " << r.degrees << " degrees, " << r.length << " cells";
    }
  }
}

TEST(LineamentTiles, EachStepIsTitledAndCanBeStopped) {
  const CalcParameters params = Parameters();
  const LineamentSettings settings = LineamentSettingsOf(params, 64.0);
  StripeField f = EmptyField(700, 700);
  DrawStripes(f, 10, 600, 40.0, 750);
  DrawStripes(f, 10, 100, 0.0, 650);
  std::vector<int> titles;
  std::vector<std::pair<int, int>> reports;  // title, percent
  auto step = [&](int id) { titles.push_back(id); };
  auto progress = [&](int percent) {
    reports.emplace_back(titles.empty() ? 0 : titles.back(), percent);
    return true;
  };
  std::vector<LineamentRecord> records;
  ASSERT_EQ(FindLineaments(f, settings, records, nullptr, progress, step), 0);
  EXPECT_EQ(titles, (std::vector<int>{160, 161, 159}));
  // Each step reports its own progress from its beginning.
  for (int id : {160, 161, 159}) {
    std::vector<int> percents;
    for (auto [title, percent] : reports)
      if (title == id) percents.push_back(percent);
    ASSERT_FALSE(percents.empty()) << id;
    EXPECT_EQ(percents.front(), 0) << id;
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << id;
    EXPECT_LE(percents.back(), 100) << id;
  }
  const std::vector<LineamentRecord> kept = records;
  ASSERT_FALSE(kept.empty());

  // Stopped in any step: code 11 and the records as they were.
  for (int stopIn : {160, 161, 159}) {
    std::vector<int> seen;
    auto stopping = [&](int percent) { return !(seen.size() && seen.back() == stopIn && percent > 0); };
    auto stepSeen = [&](int id) { seen.push_back(id); };
    std::vector<LineamentRecord> again = kept;
    EXPECT_EQ(FindLineaments(f, settings, again, nullptr, stopping, stepSeen), kErrorStopped) << stopIn;
    EXPECT_EQ(again.size(), kept.size()) << stopIn;
    EXPECT_EQ(seen.back(), stopIn);
  }
}

}  // namespace
}  // namespace linea
