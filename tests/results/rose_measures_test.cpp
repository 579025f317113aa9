#include <gtest/gtest.h>

#include <cmath>

#include "results/rose_measures.h"
#include "rose_fixture.h"

namespace linea {
namespace {

constexpr RoseCounts kEmpty{};
constexpr RoseCounts kEast{10, 0, 0, 0, 0, 0, 0, 0};   // class 1: axis 0
constexpr RoseCounts kNorth{0, 0, 0, 0, 10, 0, 0, 0};  // class 5: axis 90 degrees

RoseMeasureContext Prepared(const CResults& results, int kind, bool local = false, double minDensity = 0.0,
                            int roseWindow = 64, RoseRadii radii = RoseRadii::Field) {
  RoseMeasureContext ctx;
  EXPECT_EQ(PrepareRoseMeasures(ctx, results, roseWindow, kind, local, false, minDensity, radii), 0);
  return ctx;
}

CResults Single(RoseCounts rose, std::uint8_t imageType = 1) {
  return RoseResults(3, 3, [&](int c, int r) { return c == 1 && r == 1 ? rose : kEmpty; }, imageType);
}

TEST(RoseMeasureContextTest, GridGeometryConstantsAndRadiiFollowTheRoseWindow) {
  CResults results = Single(kEast);
  RoseMeasureContext ctx = Prepared(results, 'a');
  EXPECT_EQ(ctx.nx, 3);
  EXPECT_EQ(ctx.ny, 3);
  EXPECT_EQ(ctx.pixelSpacing, 8.0);
  EXPECT_DOUBLE_EQ(ctx.A, 40000.0 / (64.0 * 64.0 * 3.1415926));
  EXPECT_EQ(ctx.a, 3);
  EXPECT_EQ(ctx.b, 2);
  EXPECT_EQ(Prepared(results, 'a', false, 0.0, 96).a, 5);
  EXPECT_EQ(Prepared(results, 'a', false, 0.0, 96).b, 4);
  EXPECT_EQ(Prepared(results, 'a', false, 0.0, 20).a, 0);
  EXPECT_EQ(Prepared(results, 'a', false, 0.0, 20).b, 1);
  EXPECT_EQ(Prepared(results, 'a', false, 0.0, 96, RoseRadii::Vector).a, 3);
  EXPECT_DOUBLE_EQ(ctx.divisor, 30.0 / 31.0);
  // MinDens is a density: the weighted-count threshold is MinDens / A.
  EXPECT_DOUBLE_EQ(Prepared(results, 'a', false, 31.0).mc, 31.0 / ctx.A);
  EXPECT_EQ(Prepared(results, '3').kind, 3);
  // 161 x 99 cells: ceil(161 / 8) + 1 = 22 columns, ceil(99 / 8) + 1 = 14 rows.
  results.SetImageGeometry(161, 99, 1, 1);
  ctx = Prepared(results, 'a');
  EXPECT_EQ(ctx.nx, 22);
  EXPECT_EQ(ctx.ny, 14);
}

TEST(RoseMeasureContextTest, WithoutARoseGridThereIsNothingToMeasure) {
  RoseMeasureContext ctx;
  CResults results = Single(kEast);
  results.hasWindowRoses = false;
  EXPECT_EQ(PrepareRoseMeasures(ctx, results, 64, 'a', false, false, 0.0, RoseRadii::Field), 12);
  results.hasWindowRoses = true;
  results.gridWidth = 0;
  EXPECT_EQ(PrepareRoseMeasures(ctx, results, 64, 'a', false, false, 0.0, RoseRadii::Field), 12);
  results.gridWidth = 16;
  results.windowRoses.resize(7);
  EXPECT_EQ(PrepareRoseMeasures(ctx, results, 64, 'a', false, false, 0.0, RoseRadii::Field), 12);
}

TEST(DirectionWeightsTest, FixedForTheThreeImageTypesNeutralOtherwiseGlobalByTheRose) {
  const std::array<std::int32_t, 8> rose{10, 20, 0, 40, 10, 10, 10, 60};  // G = 160
  EXPECT_EQ(DirectionWeights(false, rose, 1), kFixedDirectionWeights);
  EXPECT_EQ(DirectionWeights(false, rose, 3), kFixedDirectionWeights);
  EXPECT_EQ(DirectionWeights(false, rose, 0), (std::array<double, 8>{1, 1, 1, 1, 1, 1, 1, 1}));
  const auto global = DirectionWeights(true, rose, 1);
  EXPECT_DOUBLE_EQ(global[0], 2.0);
  EXPECT_DOUBLE_EQ(global[1], 1.0);
  EXPECT_DOUBLE_EQ(global[2], 1.0);  // an empty class
  EXPECT_DOUBLE_EQ(global[3], 0.5);
  EXPECT_EQ(DirectionWeights(true, {}, 1), (std::array<double, 8>{1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(MeasureRoseTest, AnEmptyRoseHasNoDensityUnlessLocallyNormalised) {
  CResults results = Single(kEast);
  const std::size_t empty = RoseIndex(3, 0, 0);
  EXPECT_EQ(MeasureRose(Prepared(results, '4'), empty), -1);
  EXPECT_EQ(MeasureRose(Prepared(results, '4', true), empty), -1);
  EXPECT_EQ(MeasureRose(Prepared(results, 'a'), empty), -1);
  EXPECT_EQ(MeasureRose(Prepared(results, 'a', true), empty), 200);
  EXPECT_EQ(MeasureRose(Prepared(results, 'a', true), RoseIndex(3, 1, 1)), 200);
  EXPECT_EQ(MeasureRose(Prepared(results, 'r'), empty), -1);
  EXPECT_EQ(MeasureRose(Prepared(results, 'w'), empty), -1);
}

TEST(MeasureRoseTest, DensitiesOfTheRoseAndOfOneClass) {
  // Class 1 weighs 1.0 and class 3 1.288: D = 10 + 12.88.
  CResults results = Single({10, 0, 10, 0, 0, 0, 0, 0});
  const std::size_t centre = RoseIndex(3, 1, 1);
  const double A = 40000.0 / (64.0 * 64.0 * 3.1415926);  // 3.1085
  EXPECT_EQ(MeasureRose(Prepared(results, 'a'), centre), int(A * 22.88));  // 71
  EXPECT_EQ(MeasureRose(Prepared(results, '1'), centre), 31);
  EXPECT_EQ(MeasureRose(Prepared(results, '3'), centre), 40);  // 12.88 A
  EXPECT_EQ(MeasureRose(Prepared(results, '2'), centre), 0);
  // Locally: the class's share of 8 x 150.
  EXPECT_EQ(MeasureRose(Prepared(results, '1', true), centre), 524);  // 12000 / 22.88
  // Kinds without a measure give 0.
  EXPECT_EQ(MeasureRose(Prepared(results, 'k'), centre), 0);
}

TEST(MeasureRoseTest, MainDirectionTakesTheLowerClassOnATieAndRespectsMinDensity) {
  EXPECT_EQ(MeasureRose(Prepared(Single({5, 0, 0, 0, 5, 0, 0, 0}), 'w'), RoseIndex(3, 1, 1)), 1);
  EXPECT_EQ(MeasureRose(Prepared(Single({0, 0, 0, 0, 0, 7, 0, 7}), 'u'), RoseIndex(3, 1, 1)), 6);
  // Class 3 (weight 1.288) beats a larger count of class 1.
  EXPECT_EQ(MeasureRose(Prepared(Single({12, 0, 10, 0, 0, 0, 0, 0}), 'w'), RoseIndex(3, 1, 1)), 3);
  // D = 10: a threshold density of 10.5 A leaves it without a value, 9.5 A does not.
  const CResults weak = Single(kEast);
  const double A = 40000.0 / (64.0 * 64.0 * 3.1415926);
  EXPECT_EQ(MeasureRose(Prepared(weak, 'w', false, 10.5 * A), RoseIndex(3, 1, 1)), -1);
  EXPECT_EQ(MeasureRose(Prepared(weak, 'w', false, 9.5 * A), RoseIndex(3, 1, 1)), 1);
}

TEST(RoseVectorTest, ElongationAndAxisOfSimpleRoses) {
  const CResults results = RoseResults(3, 2, [](int c, int r) -> RoseCounts {
    if (r == 1) return kEmpty;
    return c == 0 ? kEast : c == 1 ? kNorth : RoseCounts{10, 0, 0, 0, 10, 0, 0, 0};
  });
  const RoseMeasureContext ctx = Prepared(results, 'r');
  AxialVector v = RoseVector(ctx, RoseIndex(3, 0, 0));
  EXPECT_DOUBLE_EQ(v.E, 1.0);
  EXPECT_DOUBLE_EQ(v.theta, 0.0);
  v = RoseVector(ctx, RoseIndex(3, 1, 0));
  EXPECT_NEAR(v.E, 1.0, 1e-12);
  EXPECT_NEAR(v.theta, 1.5707963, 1e-7);
  // Two classes at right angles cancel: E is close to 0.
  EXPECT_NEAR(RoseVector(ctx, RoseIndex(3, 2, 0)).E, 0.0, 1e-7);
  EXPECT_EQ(RoseVector(ctx, RoseIndex(3, 0, 1)).E, -1.0);
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 0, 0)), 200);
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 2, 0)), 0);
}

TEST(RoseVectorTest, AxisWhenTheCosineSumVanishes) {
  const CResults results = RoseResults(3, 2, [](int c, int r) -> RoseCounts {
    if (c == 0) return {0, 0, 10, 0, 0, 0, 0, 0};  // S > 0
    if (c == 1) return {0, 0, 0, 0, 0, 0, 10, 0};  // S < 0
    return kEast;
  });
  RoseMeasureContext ctx = Prepared(results, 'r');
  ctx.c.fill(0.0);  // C = 0 exactly
  EXPECT_NEAR(RoseVector(ctx, RoseIndex(3, 0, 0)).theta, 0.785398, 1e-6);
  EXPECT_NEAR(RoseVector(ctx, RoseIndex(3, 1, 0)).theta, 2.356194, 1e-6);
  // C = S = 0: E = 0 with a finite axis.
  ctx.s.fill(0.0);
  const AxialVector none = RoseVector(ctx, RoseIndex(3, 2, 0));
  EXPECT_EQ(none.E, 0.0);
  EXPECT_TRUE(std::isfinite(none.theta));
}

TEST(CrossLikenessTest, UniformRosesScoreZeroAndTwoClassesAtFortyFiveDegreesScoreByTheFormula) {
  // Image type 0: all weights 1, so equal counts are equal weighted counts.
  EXPECT_EQ(MeasureRose(Prepared(Single({9, 9, 9, 9, 9, 9, 9, 9}, 0), 'd'), RoseIndex(3, 1, 1)), 0);
  // T / D = 12, rho = 0.7071: 50 (12 - rho (8 + 10 (rho - 0.2))) = 137.87.
  EXPECT_EQ(MeasureRose(Prepared(Single({10, 0, 10, 0, 0, 0, 0, 0}, 0), 'd'), RoseIndex(3, 1, 1)), 137);
  // A single class is all axis: negative, shown as 0.
  EXPECT_EQ(MeasureRose(Prepared(Single(kEast, 0), 'd'), RoseIndex(3, 1, 1)), 0);
}

TEST(LocalDifferenceTest, OuterRingHasNoValueAndTheWeightedSumIsDividedByTwelve) {
  // Centre 20 east, every neighbour 10 east; weights 1.
  const CResults results = RoseResults(3, 3, [](int c, int r) -> RoseCounts {
    return c == 1 && r == 1 ? RoseCounts{20, 0, 0, 0, 0, 0, 0, 0} : kEast;
  }, 0);
  const RoseMeasureContext plain = Prepared(results, 'b');
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      if (r == 1 && c == 1) continue;
      EXPECT_EQ(MeasureRose(plain, RoseIndex(3, c, r)), -1) << c << "," << r;
    }
  }
  EXPECT_EQ(MeasureRose(plain, RoseIndex(3, 1, 1)), 280 / 12);  // 28 x 10 / 12 = 23
  // Locally each neighbour is scaled to the centre's count first: no difference.
  EXPECT_EQ(MeasureRose(Prepared(results, 'b', true), RoseIndex(3, 1, 1)), 0);
  // A neighbour too weak for MinDens leaves the centre without a value.
  const double A = 40000.0 / (64.0 * 64.0 * 3.1415926);
  EXPECT_EQ(MeasureRose(Prepared(results, 'b', false, 15.0 * A), RoseIndex(3, 1, 1)), -1);
  EXPECT_EQ(MeasureRose(Prepared(results, 'b', false, 5.0 * A), RoseIndex(3, 1, 1)), 23);
}

TEST(AxialTest, SumFlipsOpposedAxesAndDifferenceFadesWeakRoses) {
  // Axes at 40 and 160 degrees are 60 degrees apart: the second is flipped to -20
  // before adding, and the sum lies on the bisector at 10 degrees.
  const double degree = 3.1415926 / 180;
  const AxialVector sum = AxialSum({1.0, 40 * degree}, {1.0, 160 * degree});
  EXPECT_NEAR(sum.theta, 10 * degree, 1e-9);
  EXPECT_NEAR(sum.E, 2.0 * std::cos(30 * degree), 1e-9);
  EXPECT_DOUBLE_EQ(AxialDifference({0.5, 0.3}, {0.5, 0.3}), 0.0);
  EXPECT_DOUBLE_EQ(AxialDifference({-1.0, 0.0}, {1.0, 1.0}), 0.0);
  EXPECT_DOUBLE_EQ(AxialDifference({0.07, 0.0}, {0.05, 1.5}), 0.0);
  // Axes 90 degrees apart: |v1 - v2| of the doubled angles, E1 + E2.
  EXPECT_NEAR(AxialDifference({1.0, 0.0}, {1.0, 1.5707963}), 2.0, 1e-9);
  // Between 0.08 and 0.24 the difference is scaled by (M - 0.08) x 6.25.
  EXPECT_NEAR(AxialDifference({0.16, 0.0}, {0.16, 1.5707963}), 0.32 * 0.5, 1e-9);
}

// Left columns (0..6) have an east axis, the rest a north one.
CResults Boundary() {
  return RoseResults(15, 15, [](int c, int) { return c <= 6 ? kEast : kNorth; });
}

TEST(EdgeTest, AVerticalBoundaryIsFoundLeftAgainstRightAndMaximaSurviveSuppression) {
  const CResults results = Boundary();
  const RoseMeasureContext ctx = Prepared(results, 'p', false, 0.0, 64, RoseRadii::Vector);
  for (int c = 4; c <= 9; ++c) {
    const EdgeValue e = EdgeStrength(ctx, RoseIndex(15, c, 7));
    EXPECT_NEAR(e.v, 6.0 * 31.0 / 30.0, 1e-9) << c;
    EXPECT_EQ(e.phi, 1.5707963) << c;
  }
  // Too near the border for the outer roses (2b = 4).
  EXPECT_EQ(EdgeStrength(ctx, RoseIndex(15, 3, 7)).v, -1.0);
  EXPECT_EQ(EdgeStrength(ctx, RoseIndex(15, 7, 11)).v, -1.0);
  // Uniform surroundings: no edge.
  const CResults flat = RoseResults(15, 15, [](int, int) { return kEast; });
  EXPECT_EQ(EdgeStrength(Prepared(flat, 'p'), RoseIndex(15, 7, 7)).v, -1.0);
  // Across the edge (along the row) only the last of the equal strengths survives.
  for (int c = 0; c < 15; ++c) EXPECT_EQ(SuppressedEdge(ctx, RoseIndex(15, c, 7)).v >= 0.0, c == 9) << c;
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(15, 7, 7)), 595);  // trunc(64 x 6.2 x 1.5)
}

TEST(RoseDifferenceTest, WithRoseWindowTwentyTheRowAndColumnPairsAreTheCentreItself) {
  // a = 0, b = 1: the diagonal pairs are one rose away; NW east against SE at 45 degrees.
  const CResults results = RoseResults(3, 3, [](int c, int r) -> RoseCounts {
    if (c == 2 && r == 2) return {0, 0, 10, 0, 0, 0, 0, 0};
    return kEast;
  });
  const RoseMeasureContext ctx = Prepared(results, '{', false, 0.0, 20);
  ASSERT_EQ(ctx.a, 0);
  EXPECT_NEAR(RoseDifference(ctx, RoseIndex(3, 1, 1)), std::sqrt(2.0), 1e-7);
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 1, 1)), 42);  // trunc(20 x 1.414 x 1.5)
  // At the border the diagonal neighbours are missing: no value.
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 0, 0)), -1);
  // Uniform roses: all four pairs agree.
  const CResults flat = RoseResults(3, 3, [](int, int) { return kEast; });
  EXPECT_EQ(RoseDifference(Prepared(flat, '{', false, 0.0, 20), RoseIndex(3, 1, 1)), 0.0);
}

TEST(MeasureRoseTest, RosesBeyondAShortArrayAreEmpty) {
  CResults results = RoseResults(3, 3, [](int, int) { return kEast; });
  results.windowRoses.resize(8 * 4 + 3);  // four complete roses and a partial one
  const RoseMeasureContext ctx = Prepared(results, 'a');
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 0, 1)), 31);
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 1, 1)), -1);
  EXPECT_EQ(MeasureRose(ctx, RoseIndex(3, 2, 2)), -1);
  EXPECT_EQ(MeasureRose(Prepared(results, 'b'), RoseIndex(3, 1, 1)), -1);
}

}  // namespace
}  // namespace linea
