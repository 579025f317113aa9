#include "analysis/stripe_search.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "analysis/test_images.h"
#include "base/messages.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {
namespace {

using testing_images::Picture;

double CodeCentre(std::uint8_t code) { return (code - 0.5) * 11.25; }

double AxisDistance(double a, double b) {
  double d = std::fabs(std::fmod(a - b, 180.0));
  return d > 90.0 ? 180.0 - d : d;
}

StripeField Stripes(const Picture& p, const CalcParameters& params, const AnalysisRaster* mask = nullptr) {
  StripeField field;
  const std::uint32_t gw = std::uint32_t(p.width / params.Rate), gh = std::uint32_t(p.height / params.Rate);
  EXPECT_EQ(FindImageStripes(p.Raster(), mask, params, gw, gh, field, {}), 0);
  return field;
}

std::size_t StripeCount(const StripeField& f) {
  std::size_t n = 0;
  for (auto c : f.codes) n += c != 0;
  return n;
}

TEST(ImageStripes, ParallelRidgesAtEveryAngleGiveTheirDirection) {
  CalcParameters params;
  for (int step = 0; step < 24; ++step) {
    const double angle = step * 7.5;
    // Noise of a quarter of the amplitude.
    const Picture p = testing_images::Ridges(96, {angle}, 40.0, 12.0, 10.0, 100u + step);
    const StripeField f = Stripes(p, params);
    std::size_t stripes = 0, right = 0;
    for (auto code : f.codes) {
      if (code == 0) continue;
      ++stripes;
      right += AxisDistance(CodeCentre(code), angle) <= 11.25;
    }
    EXPECT_GT(stripes, f.codes.size() / 2) << angle;
    EXPECT_GE(double(right), 0.9 * double(stripes)) << angle;
  }
}

TEST(ImageStripes, DirectionsFollowTheConventionOfTheCodes) {
  // Horizontal ridges run at 0 degrees; ridges rising to the right at 45.
  CalcParameters params;
  for (double angle : {0.0, 45.0, 90.0, 135.0}) {
    const StripeField f = Stripes(testing_images::Ridges(64, {angle}, 40.0, 12.0, 0.0, 1u), params);
    const std::size_t centre = 32 * 64 + 32;
    ASSERT_NE(f.codes[centre], 0) << angle;
    EXPECT_LE(AxisDistance(f.directions[centre], angle), 2.0) << angle;
    EXPECT_EQ(f.codes[centre], StripeCodeOfDegrees(f.directions[centre])) << angle;
  }
}

TEST(ImageStripes, TwoCrossingFamiliesFillTheTwoLargestRoseSectors) {
  // Thin bright lines of two families crossing at 90 degrees on a noisy field.
  for (auto [first, second] : {std::pair{22.5, 112.5}, std::pair{0.0, 67.5}}) {
    Picture p{128, 128, std::vector<std::uint8_t>(128 * 128)};
    std::mt19937 engine(7);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) {
        double v = 100;
        for (double a : {first, second}) {
          const double across = testing_images::Across(a, x, y);
          const double d = across - 20.0 * std::floor(across / 20.0 + 0.5);
          v += 60.0 * std::exp(-d * d / 2.0);
        }
        p.levels[std::size_t(y) * 128 + x] = testing_images::Clamp(v + noise(engine));
      }
    CalcParameters params;
    params.TR_Contrast = 3;
    const StripeField f = Stripes(p, params);
    CResults results;
    results.SetImageGeometry(128, 128, 1, 1);
    results.stripeCodes = f.codes;
    results.DeriveStripeClasses();
    ASSERT_EQ(results.ComputeGlobalRose(), 0);
    std::array<int, 8> order{0, 1, 2, 3, 4, 5, 6, 7};
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return results.globalRose[a] > results.globalRose[b]; });
    const int classA = StripeClassOfCode(StripeCodeOfDegrees(first)) - 1;
    const int classB = StripeClassOfCode(StripeCodeOfDegrees(second)) - 1;
    EXPECT_TRUE((order[0] == classA && order[1] == classB) || (order[0] == classB && order[1] == classA))
        << first << " " << second << ": " << order[0] << ", " << order[1];
  }
}

TEST(ImageStripes, UniformImageGivesNoStripe) {
  CalcParameters params;
  params.TR_Contrast = 0;
  params.TR_Linear = 0;
  Picture p{40, 30, std::vector<std::uint8_t>(40 * 30, 77)};
  const StripeField f = Stripes(p, params);
  EXPECT_EQ(f.codes.size(), 40u * 30u);
  EXPECT_EQ(StripeCount(f), 0u);
}

TEST(ImageStripes, ContrastThresholdAboveTheAmplitudeGivesNone) {
  const Picture p = testing_images::Ridges(64, {30.0}, 20.0, 12.0, 5.0, 3u);
  CalcParameters params;
  params.TR_Contrast = 21;
  EXPECT_EQ(StripeCount(Stripes(p, params)), 0u);
  params.TR_Contrast = 1;
  EXPECT_GT(StripeCount(Stripes(p, params)), 64u * 64u / 2);
}

TEST(ImageStripes, LinearityThresholdRejectsIsotropicTexture) {
  // Pure noise: with the full linearity demanded nothing passes.
  const Picture p = testing_images::Ridges(64, {}, 0.0, 12.0, 20.0, 5u);
  CalcParameters params;
  params.TR_Linear = 100;
  EXPECT_EQ(StripeCount(Stripes(p, params)), 0u);
}

TEST(ImageStripes, MaskedHalfGivesNoStripeThere) {
  const Picture p = testing_images::Ridges(64, {60.0}, 40.0, 12.0, 5.0, 9u);
  std::vector<std::uint8_t> maskLevels(64 * 64, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 32; ++x) maskLevels[std::size_t(y) * 64 + x] = 255;
  const AnalysisRaster mask{maskLevels.data(), 64, 64, 64};
  CalcParameters params;
  const StripeField f = Stripes(p, params, &mask);
  std::size_t left = 0, right = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) (x < 32 ? left : right) += f.codes[std::size_t(y) * 64 + x] != 0;
  EXPECT_EQ(left, 0u);
  EXPECT_GT(right, 32u * 64u / 2);
}

TEST(ImageStripes, CompressedGridHasOneCodePerCell) {
  const Picture p = testing_images::Ridges(100, {90.0}, 40.0, 16.0, 0.0, 1u);
  CalcParameters params;
  params.Rate = 2.5;
  const StripeField f = Stripes(p, params);
  EXPECT_EQ(f.gridWidth, 40u);
  EXPECT_EQ(f.gridHeight, 40u);
  std::size_t right = 0;
  for (auto c : f.codes) right += c != 0 && AxisDistance(CodeCentre(c), 90.0) <= 11.25;
  EXPECT_GT(right, f.codes.size() * 8 / 10);
}

TEST(ImageStripes, MissingImageOrMismatchedMaskIsRefusedAndChangesNothing) {
  CalcParameters params;
  StripeField f;
  f.codes = {1, 2, 3};
  EXPECT_EQ(FindImageStripes(AnalysisRaster{}, nullptr, params, 4, 4, f, {}), kErrorNoData);
  const Picture p = testing_images::Ridges(16, {0.0}, 40.0, 8.0, 0.0, 1u);
  std::vector<std::uint8_t> small(8 * 8);
  const AnalysisRaster mask{small.data(), 8, 8, 8};
  EXPECT_EQ(FindImageStripes(p.Raster(), &mask, params, 16, 16, f, {}), kErrorNoData);
  EXPECT_EQ(FindImageStripes(p.Raster(), nullptr, params, 0, 16, f, {}), kErrorNoData);
  EXPECT_EQ(f.codes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(ImageStripes, CancelStopsWithCodeElevenAndKeepsTheOutput) {
  const Picture p = testing_images::Ridges(64, {0.0}, 40.0, 8.0, 0.0, 1u);
  CalcParameters params;
  StripeField f;
  f.codes = {9};
  int calls = 0;
  const AnalysisProgress stop = [&](int percent) {
    ++calls;
    return percent < 50;
  };
  EXPECT_EQ(FindImageStripes(p.Raster(), nullptr, params, 64, 64, f, stop), kErrorStopped);
  EXPECT_GT(calls, 1);
  EXPECT_EQ(f.codes, std::vector<std::uint8_t>{9});
}

// A field of parallel valleys cut into a plateau: heights fall by 80 over a
// Gaussian trough of 4 pixels along lines at `degrees`, every 40 pixels.
Picture Valleys(int side, double degrees) {
  Picture p{side, side, std::vector<std::uint8_t>(std::size_t(side) * side)};
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double across = testing_images::Across(degrees, x, y);
      const double d = across - 40.0 * std::floor(across / 40.0 + 0.5);
      p.levels[std::size_t(y) * side + x] = testing_images::Clamp(200.0 - 80.0 * std::exp(-d * d / 32.0));
    }
  return p;
}

TEST(ReliefStripes, ValleysAreFoundAlongThemAndNoneAsRidges) {
  const double angle = 60.0;
  const Picture p = Valleys(96, angle);
  CalcParameters params;
  params.TR_Contrast = 8;
  params.Calck_DTM = 1;
  StripeField valleys;
  ASSERT_EQ(FindReliefStripes(p.Raster(), nullptr, params, 96, 96, valleys, {}), 0);
  std::size_t found = 0, along = 0, onAxis = 0;
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      const std::uint8_t code = valleys.codes[std::size_t(y) * 96 + x];
      if (code == 0) continue;
      ++found;
      along += AxisDistance(CodeCentre(code), angle) <= 11.25;
      const double across = testing_images::Across(angle, x, y);
      onAxis += std::fabs(across - 40.0 * std::floor(across / 40.0 + 0.5)) <= 3.0;
    }
  // Each of the valleys crossing the image leaves a band of stripes.
  EXPECT_GT(found, 96u * 3);
  EXPECT_EQ(along, found);
  EXPECT_EQ(onAxis, found);

  params.Calck_DTM = 2;
  StripeField ridges;
  ASSERT_EQ(FindReliefStripes(p.Raster(), nullptr, params, 96, 96, ridges, {}), 0);
  EXPECT_EQ(StripeCount(ridges), 0u);

  params.Calck_DTM = 0;
  StripeField all;
  ASSERT_EQ(FindReliefStripes(p.Raster(), nullptr, params, 96, 96, all, {}), 0);
  EXPECT_EQ(all.codes, valleys.codes);
}

TEST(ReliefStripes, InvertedReliefTurnsValleysIntoRidges) {
  Picture p = Valleys(64, 150.0);
  for (auto& v : p.levels) v = std::uint8_t(255 - v);
  CalcParameters params;
  params.TR_Contrast = 8;
  params.Calck_DTM = 1;
  StripeField valleys, ridges;
  ASSERT_EQ(FindReliefStripes(p.Raster(), nullptr, params, 64, 64, valleys, {}), 0);
  params.Calck_DTM = 2;
  ASSERT_EQ(FindReliefStripes(p.Raster(), nullptr, params, 64, 64, ridges, {}), 0);
  EXPECT_EQ(StripeCount(valleys), 0u);
  EXPECT_GT(StripeCount(ridges), 64u * 2);
}

TEST(ReliefStripes, FlatModelGivesNoStripe) {
  Picture p{32, 32, std::vector<std::uint8_t>(32 * 32, 120)};
  CalcParameters params;
  params.TR_Contrast = 0;
  StripeField f;
  ASSERT_EQ(FindReliefStripes(p.Raster(), nullptr, params, 32, 32, f, {}), 0);
  EXPECT_EQ(StripeCount(f), 0u);
}

}  // namespace
}  // namespace linea
