#include "analysis/lineament_search.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/test_images.h"
#include "base/messages.h"
#include "results/calc_parameters.h"

namespace linea {
namespace {

using testing_images::Picture;

double AxisDistance(double a, double b) {
  double d = std::fabs(std::fmod(a - b, 180.0));
  return d > 90.0 ? 180.0 - d : d;
}

struct TrueLine {
  double x0, y0, degrees, length;
};

// Dark straight lines, 2 pixels wide, on Gaussian noise.
Picture DarkLines(int side, const std::vector<TrueLine>& lines, double sigma, unsigned seed) {
  Picture p{side, side, std::vector<std::uint8_t>(std::size_t(side) * side)};
  std::mt19937 engine(seed);
  std::normal_distribution<double> noise(0.0, sigma);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      double v = 150;
      for (const TrueLine& l : lines) {
        const double a = l.degrees * testing_images::kPi / 180.0;
        const double dx = std::cos(a), dy = -std::sin(a);
        const double t = (x - l.x0) * dx + (y - l.y0) * dy;
        const double d = std::fabs(-(x - l.x0) * dy + (y - l.y0) * dx);
        if (t >= 0 && t <= l.length) v -= 70.0 * std::exp(-d * d / 2.0);
      }
      p.levels[std::size_t(y) * side + x] = testing_images::Clamp(v + noise(engine));
    }
  return p;
}

TEST(Lineaments, ThreeLongLinesOnNoiseGiveThreeLineaments) {
  const std::vector<TrueLine> lines{{20, 40, 10.0, 200}, {30, 240, 62.0, 180}, {130, 240, 35.0, 140}};
  const Picture p = DarkLines(256, lines, 8.0, 11u);
  CalcParameters params;
  params.TR_Linear = 40;
  StripeField stripes;
  ASSERT_EQ(FindImageStripes(p.Raster(), nullptr, params, 256, 256, stripes, {}), 0);
  std::vector<LineamentRecord> records;
  std::vector<FoundLineament> found;
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, &found, {}), 0);
  ASSERT_EQ(found.size(), 3u);
  for (const TrueLine& l : lines) {
    bool matched = false;
    for (const FoundLineament& f : found) {
      if (AxisDistance(f.degrees, l.degrees) > 3.0) continue;
      // The middle of the true line lies on the lineament.
      const double a = l.degrees * testing_images::kPi / 180.0;
      const double mx = l.x0 + std::cos(a) * l.length / 2, my = l.y0 - std::sin(a) * l.length / 2;
      const double fx = f.x1 - f.x0, fy = f.y1 - f.y0, fl = std::hypot(fx, fy);
      if (std::fabs((mx - f.x0) * fy - (my - f.y0) * fx) / fl > 3.0) continue;
      EXPECT_NEAR(f.length, l.length, 0.1 * l.length) << l.degrees;
      matched = true;
    }
    EXPECT_TRUE(matched) << l.degrees;
  }
}

TEST(Lineaments, RecordsCarryCellDirectionLengthAndGroup) {
  // A straight run of horizontal stripes along row 5, columns 10..49.
  StripeField stripes;
  stripes.gridWidth = 64;
  stripes.gridHeight = 16;
  stripes.codes.assign(64 * 16, 0);
  for (int x = 10; x < 50; ++x) stripes.codes[5 * 64 + x] = 1;
  CalcParameters params;
  params.nb1 = 1;
  std::vector<LineamentRecord> records;
  std::vector<FoundLineament> found;
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, &found, {}), 0);
  ASSERT_EQ(found.size(), 1u);
  ASSERT_EQ(records.size(), 40u);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& b = records[i].bytes;
    EXPECT_EQ(b[0] | (b[1] << 8), 5);              // row
    EXPECT_EQ(b[2] | (b[3] << 8), int(10 + i));    // column
    EXPECT_EQ(records[i].Direction(), 0);
    EXPECT_EQ(records[i].Length(), 40);
    EXPECT_EQ(b[8] | (b[9] << 8), 1);              // group
  }
}

TEST(Lineaments, ShorterThanTheLeastLengthIsNoLineament) {
  StripeField stripes;
  stripes.gridWidth = 64;
  stripes.gridHeight = 64;
  stripes.codes.assign(64 * 64, 0);
  // 20 cells at 90 degrees (code 9), column 30.
  for (int y = 10; y < 30; ++y) stripes.codes[std::size_t(y) * 64 + 30] = 9;
  CalcParameters params;
  params.nb1 = 1;
  params.Part = 0.5;  // half of a 64-cell window: 32 cells
  std::vector<LineamentRecord> records{LineamentRecord{}};
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, nullptr, {}), 0);
  EXPECT_TRUE(records.empty());
  params.Part = 0.25;  // 16 cells
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, nullptr, {}), 0);
  EXPECT_EQ(records.size(), 20u);
  EXPECT_EQ(records[0].Direction(), 90);
}

TEST(Lineaments, LongBridgesGapsThatShortDoesNot) {
  StripeField stripes;
  stripes.gridWidth = 80;
  stripes.gridHeight = 8;
  stripes.codes.assign(80 * 8, 0);
  // Two pieces of 20 cells on row 4 with a gap of 3 cells.
  for (int x = 5; x < 25; ++x) stripes.codes[4 * 80 + x] = 1;
  for (int x = 28; x < 48; ++x) stripes.codes[4 * 80 + x] = 1;
  CalcParameters params;
  params.nb1 = 1;
  params.Part = 0.5;
  std::vector<FoundLineament> found;
  std::vector<LineamentRecord> records;
  params.LONG = true;
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, &found, {}), 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NEAR(found[0].length, 43.0, 0.5);
  params.LONG = false;
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, &found, {}), 0);
  EXPECT_TRUE(found.empty());
}

TEST(Lineaments, SettingsFollowTheParameters) {
  CalcParameters params;
  params.nb1 = 5;
  params.Part = 1.0;
  params.AngW = 3;
  params.RelRez = false;
  params.dnh = 2.0;
  params.dfi = 0.5;
  params.Calck = 2;
  params.LONG = false;
  const LineamentSettings s = LineamentSettingsOf(params, 40.0);
  EXPECT_EQ(s.halfWidth, 2);
  EXPECT_DOUBLE_EQ(s.leastLength, 40.0);
  EXPECT_DOUBLE_EQ(s.toleranceDegrees, 16.875);
  EXPECT_DOUBLE_EQ(s.rhoStep, 2.0);
  EXPECT_DOUBLE_EQ(s.thetaStep, 0.5);
  EXPECT_EQ(s.largestGap, 1);
  EXPECT_EQ(s.usesPerCell, 255);
  // Absurd values are brought into range rather than trusted.
  params.nb1 = 0;
  params.dnh = 0;
  params.dfi = -3;
  params.Part = 99;
  const LineamentSettings t = LineamentSettingsOf(params, 40.0);
  EXPECT_EQ(t.halfWidth, 0);
  EXPECT_DOUBLE_EQ(t.leastLength, 80.0);
  EXPECT_DOUBLE_EQ(t.rhoStep, 0.5);
  EXPECT_DOUBLE_EQ(t.thetaStep, 0.25);
}

TEST(Lineaments, GridBeyondSixteenBitAddressesIsRefused) {
  StripeField stripes;
  stripes.gridWidth = 70000;
  stripes.gridHeight = 1;
  stripes.codes.assign(70000, 0);
  std::vector<LineamentRecord> records{LineamentRecord{}};
  EXPECT_EQ(FindLineaments(stripes, LineamentSettings{}, records, nullptr, {}), kErrorNoData);
  EXPECT_EQ(records.size(), 1u);
}

}  // namespace
}  // namespace linea

namespace linea {
namespace {

TEST(Lineaments, ScatteredStripesOfOneDirectionAreNoLineament) {
  // Every third cell of a line: the band of width 3 is filled far below half.
  StripeField stripes;
  stripes.gridWidth = 100;
  stripes.gridHeight = 20;
  stripes.codes.assign(100 * 20, 0);
  for (int x = 0; x < 100; x += 3) stripes.codes[10 * 100 + x] = 1;
  CalcParameters params;
  std::vector<FoundLineament> found;
  std::vector<LineamentRecord> records;
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, &found, {}), 0);
  EXPECT_TRUE(found.empty());
  // Filled, the same line is one.
  for (int x = 0; x < 100; ++x)
    for (int y = 9; y <= 11; ++y) stripes.codes[std::size_t(y) * 100 + x] = 1;
  ASSERT_EQ(FindLineaments(stripes, LineamentSettingsOf(params, 64.0), records, &found, {}), 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NEAR(found[0].length, 100.0, 1.0);
  EXPECT_NEAR(found[0].degrees, 0.0, 0.5);
}

}  // namespace
}  // namespace linea
