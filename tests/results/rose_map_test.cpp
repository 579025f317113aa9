#include <gtest/gtest.h>

#include <set>

#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "results/rose_map.h"
#include "results/rose_map_palette.h"
#include "rose_fixture.h"
#include "support/test_host.h"

namespace linea {
namespace {

// Density "a" at rose window 64 of a rose with n counts in class 1 is trunc(3.1085 n).
RoseCounts East(std::uint16_t n) { return {n, 0, 0, 0, 0, 0, 0, 0}; }
constexpr RoseCounts kEmpty{};

class RoseMapTest : public ::testing::Test {
 protected:
  RoseMapTest() : stack(host) {
    params.mapKind = 'a';
    params.scalingMode = kScalingAuto;
    params.minDensity = 0.0;
  }
  int Build(const CResults& results, bool combined = false) {
    return BuildRoseMapLayer(results, stack, "Розы 0", params, combined);
  }
  CRasterLayer& Map() {
    auto* layer = dynamic_cast<CRasterLayer*>(stack.FindLayer("Розы 0"));
    EXPECT_NE(layer, nullptr);
    return *layer;
  }
  int Class(int x, int y) { return Map().Image().GetIndexFromPixel(x, y); }

  CTestHost host;
  CLayerStack stack;
  CalcParameters params;
};

TEST_F(RoseMapTest, AutoWithOneValueEverywhereGivesOneClassOverTheWholeImage) {
  ASSERT_EQ(Build(RoseResults(3, 3, [](int, int) { return East(10); })), 0);
  CRasterLayer& map = Map();
  ASSERT_EQ(map.GetWidth(), 16);
  ASSERT_EQ(map.GetHeight(), 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(Class(x, y), 1) << x << "," << y;
  EXPECT_EQ(map.classes, 1);
  EXPECT_EQ(params.mapFrom, 31);
  EXPECT_EQ(params.mapTo, 31);
  EXPECT_EQ(params.mapMin, 31);
  EXPECT_EQ(params.mapMax, 31);
  EXPECT_EQ(map.From, 31);
  EXPECT_EQ(map.Max, 31);
  EXPECT_EQ(map.classHistogram[1], 9.0);
  EXPECT_FALSE(map.IsTransparent());
  EXPECT_EQ(map.GetDescription(),
            "DENSITY (No Normalization, AUTO scale, From 31 To 31, MinDens = 0.000 Rose Window = 64, Linear=20, "
            "Contrast=1, GREYSCALE, area.bmp)");
}

TEST_F(RoseMapTest, ManualWithFromEqualToPutsEveryValuedPixelInClassOne) {
  params.scalingMode = kScalingManual;
  params.mapFrom = params.mapTo = 50;
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int) { return East(std::uint16_t(5 + 20 * c)); })), 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(Class(x, y), 1);
  EXPECT_EQ(params.mapFrom, 50);  // typed values stay
  EXPECT_EQ(params.mapTo, 50);
  EXPECT_EQ(params.mapMin, 15);
  EXPECT_EQ(params.mapMax, 139);
}

TEST_F(RoseMapTest, NoScaleMapsOneToTwoFiftyFiveAndPutsLargerValuesInTheLastClass) {
  params.scalingMode = kScalingNone;
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int) { return East(c == 0 ? 10 : 100); })), 0);
  EXPECT_EQ(params.mapFrom, 1);
  EXPECT_EQ(params.mapTo, 255);
  EXPECT_EQ(Map().classes, 255);
  EXPECT_EQ(Class(0, 3), 31);
  EXPECT_EQ(Class(8, 3), 255);   // 310
  EXPECT_EQ(Class(12, 3), 255);  // still above 255
  EXPECT_NE(Map().GetDescription().find("NO scale, From 1 To 255, "), std::string::npos);
}

TEST_F(RoseMapTest, RangesOf254And255BothGive255ClassesWithDifferentWidths) {
  const CResults results = RoseResults(3, 3, [](int, int) { return East(10); });
  params.scalingMode = kScalingManual;
  params.mapFrom = 0;
  params.mapTo = 254;
  ASSERT_EQ(Build(results), 0);
  EXPECT_EQ(Map().classes, 255);
  EXPECT_DOUBLE_EQ(Map().classWidth, 1.0);
  EXPECT_EQ(Class(5, 5), 32);  // 31 - 0 + 1
  params.mapTo = 255;
  ASSERT_EQ(Build(results), 0);
  EXPECT_EQ(Map().classes, 255);
  EXPECT_DOUBLE_EQ(Map().classWidth, 255.0 / 254.0);
  EXPECT_EQ(Class(5, 5), 31);  // trunc(31 x 254 / 255 + 1)
}

TEST_F(RoseMapTest, PixelsBetweenRosesAreInterpolatedWithRoundingTowardZero) {
  params.scalingMode = kScalingNone;  // class = value below 255
  // Along a row: 31 at x = 0, 93 at x = 8 and beyond.
  ASSERT_EQ(Build(RoseResults(3, 2, [](int c, int) { return East(c == 0 ? 10 : 30); })), 0);
  const int rising[9] = {31, 39, 47, 54, 62, 70, 78, 85, 93};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(Class(x, y), rising[x]) << x << "," << y;
  // Down a column and falling: 93 at y = 0, 31 from y = 8 on.
  ASSERT_EQ(Build(RoseResults(2, 3, [](int, int r) { return East(r == 0 ? 30 : 10); })), 0);
  const int falling[9] = {93, 86, 78, 71, 63, 55, 47, 40, 31};
  for (int y = 0; y < 9; ++y) EXPECT_EQ(Class(3, y), falling[y]) << y;
  // Roses 10 pixels apart (20 pixels over a 16-cell grid): 31 + trunc(6.2 i + 0.5).
  CResults wider = RoseResults(3, 2, [](int c, int) { return East(c == 0 ? 10 : 30); });
  wider.SetImageGeometry(20, 12, 1, 1);
  wider.gridWidth = 16;
  wider.gridHeight = 8;
  ASSERT_EQ(Build(wider), 0);
  const int tenths[11] = {31, 37, 43, 50, 56, 62, 68, 74, 81, 87, 93};
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) EXPECT_EQ(Class(x, y), tenths[x]) << x << "," << y;
  EXPECT_EQ(Class(0, 11), 0);  // below the last rose row
}

TEST_F(RoseMapTest, MainDirectionTakesTheNearerRoseAndIgnoresTheScalingMode) {
  params.mapKind = 'w';
  params.scalingMode = kScalingManual;
  params.mapFrom = 50;
  params.mapTo = 60;
  // Direction 1 in column 0, direction 5 elsewhere; row 1 turns to direction 3.
  const CResults results = RoseResults(3, 3, [](int c, int r) -> RoseCounts {
    if (r >= 1) return {0, 0, 10, 0, 0, 0, 0, 0};
    return c == 0 ? East(10) : RoseCounts{0, 0, 0, 0, 10, 0, 0, 0};
  });
  ASSERT_EQ(Build(results), 0);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(Class(x, 0), x <= 4 ? 1 : 5) << x;
  // Down column 0: direction 1 until half way, then the lower row's 3.
  for (int y = 0; y < 9; ++y) EXPECT_EQ(Class(0, y), y < 4 ? 1 : 3) << y;
  EXPECT_EQ(Map().classes, 8);
  EXPECT_EQ(params.mapFrom, 50);
  EXPECT_EQ(params.mapTo, 60);
  for (double entry : Map().classHistogram) EXPECT_EQ(entry, 0.0);
}

TEST_F(RoseMapTest, ARoseWithoutValueEmptiesItsGapsInItsRowAndDownToTheNextRoseRow) {
  params.scalingMode = kScalingNone;
  // Replacing a map whose pixels are all valued: the gaps must still come out empty.
  ASSERT_EQ(Build(RoseResults(3, 3, [](int, int) { return East(10); })), 0);
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int r) { return c == 1 && r == 0 ? kEmpty : East(10); })), 0);
  EXPECT_EQ(Class(0, 0), 31);
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(Class(0, y), 31) << y;
    for (int x = 1; x < 16; ++x) ASSERT_EQ(Class(x, y), 0) << x << "," << y;
  }
  for (int y = 8; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(Class(x, y), 31) << x << "," << y;
  EXPECT_EQ(Map().Lookup()[0], 0u);  // "no value" is opaque black
  EXPECT_EQ(Map().used[0], 1);
}

TEST_F(RoseMapTest, PixelsRightOfTheLastRoseColumnAndBelowTheLastRoseRowStayEmpty) {
  // First a map that covers all of a 1000 x 24 image (126 x 4 roses), whose pixels the
  // next map of the same name and size takes over.
  ASSERT_EQ(Build(RoseResults(126, 4, [](int, int) { return East(10); })), 0);
  ASSERT_EQ(Class(999, 23), 1);
  // 1000 x 24 pixels over a 970 x 8 grid: p = trunc(8.25 + 0.5) = 8, 123 x 2 roses,
  // the last column at x = 976 and the last row at y = 8.
  CResults results = RoseResults(123, 2, [](int, int) { return East(10); });
  results.SetImageGeometry(1000, 24, 1, 1);
  results.gridWidth = 970;
  results.gridHeight = 8;
  ASSERT_EQ(Build(results), 0);
  EXPECT_EQ(Class(999, 23), 0);
  EXPECT_EQ(Class(976, 8), 1);
  EXPECT_EQ(Class(975, 7), 1);
  EXPECT_EQ(Class(977, 0), 0);
  EXPECT_EQ(Class(999, 8), 0);
  EXPECT_EQ(Class(0, 9), 0);
  EXPECT_EQ(Class(500, 19), 0);
  EXPECT_EQ(stack.LayerCount(), 1);
}

TEST_F(RoseMapTest, NoValueAnywhereIsSeventeenWithMinAndMaxZeroAndNoGridIsTwelve) {
  params.mapMin = params.mapMax = 5;
  EXPECT_EQ(Build(RoseResults(3, 3, [](int, int) { return kEmpty; })), 17);
  EXPECT_EQ(params.mapMin, 0);
  EXPECT_EQ(params.mapMax, 0);
  EXPECT_EQ(stack.LayerCount(), 0);
  CResults none = RoseResults(3, 3, [](int, int) { return East(1); });
  none.hasWindowRoses = false;
  EXPECT_EQ(Build(none), 12);
  params.mapKind = 'v';
  EXPECT_EQ(Build(none), 12);
  EXPECT_EQ(stack.LayerCount(), 0);
}

TEST_F(RoseMapTest, PercentCutsTheTailsAndSaysPercentInTheDescription) {
  params.scalingMode = kScalingPercent;
  // Nine roses: eight at 31 and one at 93.
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int r) { return East(c == 2 && r == 2 ? 30 : 10); })), 0);
  EXPECT_EQ(params.mapFrom, 30);
  EXPECT_EQ(params.mapTo, 94);
  EXPECT_NE(Map().GetDescription().find("PERCENT scale, From 30 To 94, "), std::string::npos);
}

TEST_F(RoseMapTest, PercentTakesTheWiderCutWhenTheTopTenthIsALongTail) {
  params.scalingMode = kScalingPercent;
  // 41 x 41 = 1681 roses: 3 at the top, 2 high, the rest at 31. The top 0.1 % (2.2
  // roses) end at the top value, the top 0.3 % (5.5) only at 31, far below.
  auto field = [](int top) {
    return RoseResults(41, 41, [top](int c, int r) {
      if (r == 0 && c < top) return East(300);
      if (r == 1 && c < 2) return East(200);
      return East(10);
    });
  };
  ASSERT_EQ(Build(field(3)), 0);
  EXPECT_EQ(params.mapTo, 32);
  // With six at the top the 0.3 % end there as well: the range stops just above it.
  ASSERT_EQ(Build(field(6)), 0);
  EXPECT_EQ(params.mapTo, params.mapMax + 1);
  EXPECT_EQ(params.mapFrom, 30);
}

TEST_F(RoseMapTest, TheClassHistogramCountsRosesInTheClassesTheMapShows) {
  // Range 31..93 at scale 1.
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int r) { return East(c == 2 && r == 2 ? 30 : 10); })), 0);
  EXPECT_EQ(Map().classes, 63);
  EXPECT_EQ(Map().classHistogram[1], 8.0);
  EXPECT_EQ(Map().classHistogram[63], 1.0);
  // Range 31..932 at scale 254 / 901: 621 falls into class trunc(590 x 254 / 901 + 1) = 167.
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int r) {
              return East(r == 2 ? (c == 2 ? 300 : c == 1 ? 200 : 10) : 10);
            })),
            0);
  EXPECT_EQ(params.mapMax, 932);
  EXPECT_EQ(Map().classes, 255);
  EXPECT_EQ(Map().classHistogram[1], 7.0);
  EXPECT_EQ(Map().classHistogram[167], 1.0);
  EXPECT_EQ(Map().classHistogram[255], 1.0);
}

TEST_F(RoseMapTest, DescriptionsOfTheDensityExampleAndOfCombinedRoses) {
  const CResults results = RoseResults(3, 3, [](int c, int r) -> RoseCounts {
    if (c == 0 && r == 0) return East(1);                // 3
    if (c == 2 && r == 2) return {57, 3, 0, 0, 0, 0, 0, 0};  // 187
    return East(10);
  });
  ASSERT_EQ(Build(results), 0);
  EXPECT_EQ(Map().GetDescription(),
            "DENSITY (No Normalization, AUTO scale, From 3 To 187, MinDens = 0.000 Rose Window = 64, Linear=20, "
            "Contrast=1, GREYSCALE, area.bmp)");
  params.UseMask = true;
  params.Rate = 2.0;
  // Without a global rose the global weights are all 1: the largest rose drops to 186.
  params.globalNormalisation = true;
  ASSERT_EQ(Build(results, true), 0);
  EXPECT_EQ(Map().GetDescription(),
            "DENSITY (Masked Compressed   2.000 CombinedRoses, Global Normalization, AUTO scale, From 3 To 186, "
            "MinDens = 0.000 Rose Window = 64, Linear=20, Contrast=1, GREYSCALE)");
}

TEST_F(RoseMapTest, DescriptionsOfTheVectorAndLineKinds) {
  const CResults results = RoseResults(3, 3, [](int, int) { return East(10); });
  params.localNormalisation = true;
  params.globalNormalisation = true;
  params.mapKind = 'v';
  EXPECT_EQ(RoseMapDescription(results, params, false),
            "ELONGATION VECTOR (Local & Global Normalization, Step=2, Size=1.00, Rose Window = 64, Linear=20, "
            "Contrast=1, GREYSCALE, area.bmp)");
  params.globalNormalisation = false;
  params.mapKind = 'z';
  params.roseSize = 2.5;
  EXPECT_EQ(RoseMapDescription(results, params, false),
            "ROSES (Local Normalization, Step=4, Size=2.50, Rose Window = 64, Linear=20, Contrast=1, GREYSCALE, "
            "area.bmp)");
  params.mapKind = 'y';
  params.minElongation = 2.0;
  EXPECT_EQ(RoseMapDescription(results, params, true),
            "ORTOGONAL LINE (CombinedRoses, Local Normalization, MinElong = 2.00, Step=2, Rose Window = 64, "
            "Linear=20, Contrast=1, GREYSCALE)");
  params.mapKind = '3';
  params.scalingMode = kScalingManual;
  EXPECT_EQ(RoseMapDescription(results, params, false).substr(0, 41), "DENSITY 3 (Local Normalization, MANUAL sc");
}

TEST_F(RoseMapTest, SteppedPaletteOfEightStepsColoursTheClassesAndOtherStepCountsAreBlack) {
  params.scalingMode = kScalingManual;
  params.mapFrom = 0;
  params.mapTo = 300;  // 255 classes
  const CResults results = RoseResults(3, 3, [](int, int) { return East(10); });
  ASSERT_EQ(Build(results), 0);
  CRasterLayer& map = Map();
  EXPECT_EQ(map.steps, 8);
  EXPECT_EQ(map.stepBoundaries, (std::vector<std::uint8_t>{31, 63, 95, 127, 158, 190, 222, 255}));
  EXPECT_EQ(map.PaletteKey(), 83u);
  // Step 1 is blue at level 3 (153), step 2 red 153, step 8 red and blue 255.
  EXPECT_EQ(map.Lookup()[1], LookupEntry(0, 0, 153));
  EXPECT_EQ(map.Lookup()[31], LookupEntry(0, 0, 153));
  EXPECT_EQ(map.Lookup()[32], LookupEntry(153, 0, 0));
  EXPECT_EQ(map.Lookup()[255], LookupEntry(255, 0, 255));
  EXPECT_EQ(map.Lookup()[0], 0u);
  for (int steps : {1, 17}) {
    params.paletteSteps = steps;
    ASSERT_EQ(Build(results), 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(Map().Lookup()[i], 0u) << steps << ": " << i;
  }
}

TEST(RoseMapPaletteTest, EqualWidthAndEqualPopulationBoundaries) {
  std::array<double, 256> histogram{};
  histogram[1] = histogram[2] = histogram[3] = histogram[4] = 10.0;
  RoseMapPalette palette = MakeRoseMapPalette(false, 1, 8, 4, histogram, 1.0);
  EXPECT_EQ(palette.boundaries, (std::vector<std::uint8_t>{1, 3, 5, 255}));  // f = 7 / 4
  palette = MakeRoseMapPalette(false, 1, 3, 4, histogram, 1.0);
  EXPECT_EQ(palette.boundaries, (std::vector<std::uint8_t>{1, 2, 3, 255}));  // f raised to 1
  // 40 in all, 20 a step: the sum crosses 20 at class 3, which opens the second step.
  palette = MakeRoseMapPalette(true, 1, 4, 2, histogram, 1.0);
  EXPECT_EQ(palette.boundaries, (std::vector<std::uint8_t>{2, 255}));
  palette = MakeRoseMapPalette(true, 1, 4, 4, histogram, 1.0);
  EXPECT_EQ(palette.boundaries, (std::vector<std::uint8_t>{1, 2, 3, 255}));
  // Nothing to do without steps or classes.
  palette = MakeRoseMapPalette(false, 1, 0, 4, histogram, 1.0);
  EXPECT_EQ(palette.boundaries, (std::vector<std::uint8_t>(4, 0)));
  EXPECT_EQ(palette.red[5], 0);
  EXPECT_EQ(palette.used[5], 1);
}

TEST(RoseMapPaletteTest, GreyAndColourRampStepColours) {
  const std::array<double, 256> histogram{};
  RoseMapPalette grey = MakeRoseMapPalette(false, 1, 8, 4, histogram, 1.0);
  EXPECT_EQ(grey.red[1], 63);
  EXPECT_EQ(grey.green[2], 127);
  EXPECT_EQ(grey.blue[4], 191);
  EXPECT_EQ(grey.red[200], 255);
  EXPECT_EQ(grey.red[0], 0);
  // n = 8: q = 2, a = 6; boundaries 1, 3, 5, 255.
  RoseMapPalette ramp = MakeRoseMapPalette(false, 2, 8, 4, histogram, 1.0);
  EXPECT_EQ(ramp.green[1], 124);  // 83 + 83 / 2
  EXPECT_EQ(ramp.red[1], 0);
  EXPECT_EQ(ramp.green[3], 166);
  EXPECT_EQ(ramp.red[3], 63);  // 255 / 4
  EXPECT_EQ(ramp.red[5], 191);
  EXPECT_EQ(ramp.red[9], 64);
  EXPECT_EQ(ramp.green[9], 43);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(ramp.blue[i], 0);
  // Stepped table brightness: levels 255 - d t 255, clamped.
  RoseMapPalette dark = MakeRoseMapPalette(false, 3, 8, 2, histogram, 2.0);
  EXPECT_EQ(dark.blue[1], 51);  // 255 - 2 x 0.4 x 255
  EXPECT_EQ(dark.red[8], 255);
  RoseMapPalette black = MakeRoseMapPalette(false, 3, 8, 2, histogram, 5.0);
  EXPECT_EQ(black.blue[1], 0);
}

TEST_F(RoseMapTest, RecolouringKeepsTheClassesAndReplacesTheScale) {
  ASSERT_EQ(Build(RoseResults(3, 3, [](int c, int) { return East(std::uint16_t(10 + 10 * c)); })), 0);
  const int before = Class(4, 4);
  EXPECT_EQ(RecolourRoseMap(stack, "Розы 1", 4, false, 1, 1.0), 2);
  Map().ClearChanged();
  ASSERT_EQ(RecolourRoseMap(stack, "Розы 0", 4, true, 1, 1.0), 0);
  CRasterLayer& map = Map();
  EXPECT_EQ(Class(4, 4), before);
  EXPECT_EQ(map.steps, 4);
  EXPECT_EQ(map.stepBoundaries.size(), 4u);
  EXPECT_EQ(map.paletteKind, 1);
  EXPECT_EQ(map.equalPopulation, 1);
  EXPECT_EQ(map.PaletteKey(), 41u);
  EXPECT_TRUE(map.IsChanged());
  EXPECT_EQ(map.Lookup()[255], LookupEntry(255, 255, 255));
  EXPECT_EQ(map.Image().GetColorFromIndex(255), MakeColor(255, 255, 255));
}

}  // namespace
}  // namespace linea
