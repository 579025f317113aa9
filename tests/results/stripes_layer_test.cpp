#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "results/source_summary.h"
#include "results/stripes_layer.h"
#include "support/test_host.h"

namespace linea {
namespace {

CResults StripeResults(std::uint32_t width, std::uint32_t height, std::uint32_t gridWidth, std::uint32_t gridHeight,
                       std::vector<std::uint8_t> codes) {
  CResults results;
  results.SetImageGeometry(width, height, 1, 1);
  results.gridWidth = gridWidth;
  results.gridHeight = gridHeight;
  results.stripeCodes = std::move(codes);
  results.DeriveStripeClasses();
  results.hasStripes = true;
  results.sourcePath = "D:\\maps\\area.bmp";
  return results;
}

class StripesLayerTest : public ::testing::Test {
 protected:
  StripesLayerTest() : stack(host) {}
  CVectorLayer& Build(const CResults& results) {
    EXPECT_EQ(BuildStripesLayer(results, stack, "Штрихи", params), 0);
    auto* layer = dynamic_cast<CVectorLayer*>(stack.FindLayer("Штрихи"));
    EXPECT_NE(layer, nullptr);
    return *layer;
  }
  static int Pixel(const CVectorLayer& layer, int x, int y) { return layer.Image().GetIndexFromPixel(x, y); }

  CTestHost host;
  CLayerStack stack;
  CalcParameters params;
};

TEST(StripesPalette, PairsShareAHueOddBrightEvenDimAndOnlyCodeZeroIsTransparent) {
  std::array<std::uint8_t, 256> red, green, blue, used;
  EXPECT_EQ(MakeStripesPalette(red, green, blue, used), 0);
  const std::array<std::array<int, 3>, 17> expected = {{{0, 0, 0},      {255, 0, 0},    {150, 150, 0},
                                                        {255, 255, 0},  {150, 0, 150},  {255, 0, 255},
                                                        {0, 0, 150},    {0, 0, 255},    {0, 150, 150},
                                                        {0, 255, 255},  {0, 150, 0},    {0, 255, 0},
                                                        {120, 20, 150}, {180, 25, 255}, {20, 120, 150},
                                                        {25, 180, 255}, {150, 0, 0}}};
  for (int code = 0; code <= 16; ++code) {
    EXPECT_EQ(red[code], expected[code][0]) << code;
    EXPECT_EQ(green[code], expected[code][1]) << code;
    EXPECT_EQ(blue[code], expected[code][2]) << code;
  }
  EXPECT_EQ(used[0], 0);
  for (int code = 1; code < 256; ++code) EXPECT_EQ(used[code], 1) << code;
  for (int code = 17; code < 256; ++code) EXPECT_EQ(red[code] | green[code] | blue[code], 0) << code;
}

TEST_F(StripesLayerTest, WithoutCompressionTheGridIsShownPixelForPixel) {
  const std::vector<std::uint8_t> codes = {0, 1, 2, 3, 16, 15, 0, 4, 5, 6, 7, 8};
  CVectorLayer& layer = Build(StripeResults(4, 3, 4, 3, codes));
  ASSERT_EQ(layer.GetWidth(), 4);
  ASSERT_EQ(layer.GetHeight(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(layer, x, y), codes[std::size_t(y * 4 + x)]);
  EXPECT_TRUE(layer.IsTransparent());
  EXPECT_EQ(layer.GetTransparentColor(), 0u);
  EXPECT_FALSE(layer.IsColorChangeable());
  // Bright red code 1 and dim magenta code 4 through the lookup.
  EXPECT_EQ(layer.Lookup()[1], LookupEntry(255, 0, 0));
  EXPECT_EQ(layer.Lookup()[4], LookupEntry(150, 0, 150));
}

TEST_F(StripesLayerTest, RateTwoAndAHalfFillsThreePixelSquaresLaterCellsOverwriting) {
  // 10 x 5 pixels, grid 4 x 2: r = 2.5, squares of trunc(3.4) = 3.
  std::vector<std::uint8_t> codes(8, 0);
  codes[1] = 5;  // cell (1, 0): square from x = 3
  codes[2] = 7;  // cell (2, 0): square from x = trunc(5.5) = 5, over the previous one
  codes[7] = 9;  // cell (3, 1): from (8, 3), cut at the right and bottom edges
  CVectorLayer& layer = Build(StripeResults(10, 5, 4, 2, codes));
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(Pixel(layer, 2, y), 0);
    EXPECT_EQ(Pixel(layer, 3, y), 5);
    EXPECT_EQ(Pixel(layer, 4, y), 5);
    EXPECT_EQ(Pixel(layer, 5, y), 7);
    EXPECT_EQ(Pixel(layer, 7, y), 7);
    EXPECT_EQ(Pixel(layer, 8, y), 0);
  }
  EXPECT_EQ(Pixel(layer, 3, 3), 0);
  for (int y = 3; y < 5; ++y)
    for (int x = 8; x < 10; ++x) EXPECT_EQ(Pixel(layer, x, y), 9);
  EXPECT_EQ(Pixel(layer, 7, 3), 0);
}

TEST_F(StripesLayerTest, RateOnePointZeroFiveSetsOnePixelPerCellAndLeavesTheSkippedOnesTransparent) {
  // r = 21 / 20 = 1.05, s = 1: cell i lands on trunc(1.05 i + 0.5), which skips pixel 10.
  CVectorLayer& layer = Build(StripeResults(21, 21, 20, 20, std::vector<std::uint8_t>(400, 3)));
  for (int x = 0; x < 21; ++x) EXPECT_EQ(Pixel(layer, x, 0), x == 10 ? 0 : 3) << x;
  for (int y = 0; y < 21; ++y) EXPECT_EQ(Pixel(layer, 0, y), y == 10 ? 0 : 3) << y;
  EXPECT_EQ(Pixel(layer, 20, 20), 3);
}

TEST_F(StripesLayerTest, CodesAboveSixteenAreKeptAndGetTheOpaqueBlackEntries) {
  CVectorLayer& layer = Build(StripeResults(3, 1, 3, 1, {17, 200, 255}));
  EXPECT_EQ(Pixel(layer, 0, 0), 17);
  EXPECT_EQ(Pixel(layer, 1, 0), 200);
  EXPECT_EQ(Pixel(layer, 2, 0), 255);
  for (int code : {17, 200, 255}) EXPECT_EQ(layer.Image().GetColorFromIndex(code), 0u);
}

TEST_F(StripesLayerTest, AnEmptyGridStillGivesAFullyTransparentDescribedLayer) {
  CVectorLayer& layer = Build(StripeResults(6, 4, 3, 2, std::vector<std::uint8_t>(6, 0)));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(layer, x, y), 0);
  EXPECT_EQ(layer.GetDescription(), "Stripes (Linear=20, Contrast=1, GREYSCALE, area.bmp)");
  EXPECT_EQ(stack.LayerCount(), 1);
}

TEST_F(StripesLayerTest, AStoredArrayShorterThanTheGridShowsWhatItHolds) {
  CVectorLayer& same = Build(StripeResults(4, 3, 4, 3, {1, 2, 3, 4, 5}));
  EXPECT_EQ(Pixel(same, 0, 1), 5);
  EXPECT_EQ(Pixel(same, 1, 1), 0);
  EXPECT_EQ(Pixel(same, 3, 2), 0);
  CVectorLayer& compressed = Build(StripeResults(8, 8, 4, 4, {1, 2}));
  EXPECT_EQ(Pixel(compressed, 3, 1), 2);
  EXPECT_EQ(Pixel(compressed, 4, 0), 0);
  EXPECT_EQ(stack.LayerCount(), 1);  // the second build replaced the first
}

TEST_F(StripesLayerTest, AnImageTooLargeForARasterIsOutOfMemoryAndAddsNothing) {
  CResults results = StripeResults(40000, 2, 40000, 2, std::vector<std::uint8_t>(80000, 1));
  EXPECT_EQ(BuildStripesLayer(results, stack, "Штрихи", params), 3);
  EXPECT_EQ(stack.LayerCount(), 0);
}

TEST_F(StripesLayerTest, DescriptionSummarisesMaskCompressionThresholdsTypeAndSource) {
  params.UseMask = true;
  params.Rate = 2.0;
  CVectorLayer& layer = Build(StripeResults(8, 8, 4, 4, std::vector<std::uint8_t>(16, 1)));
  EXPECT_EQ(layer.GetDescription(), "Stripes (Masked Compressed   2.000 Linear=20, Contrast=1, GREYSCALE, area.bmp)");
}

TEST(SourceSummary, RateExactlyOneHasNoCompressionPieceAndOnePointZeroZeroZeroOneHas) {
  CalcParameters params;
  std::string text;
  AppendSourceSummary(text, params, 1, "area.bmp");
  EXPECT_EQ(text, "Linear=20, Contrast=1, GREYSCALE, area.bmp)");
  params.Rate = 1.0001;
  text.clear();
  AppendSourceSummary(text, params, 1, "C:/data/area.bmp");
  EXPECT_EQ(text, "Compressed   1.000 Linear=20, Contrast=1, GREYSCALE, area.bmp)");
}

TEST(SourceSummary, ReliefModeAndTypeNamesFollowTheImageType) {
  CalcParameters params;
  params.Calck = 1;
  params.Calck_DTM = 1;
  std::string text;
  AppendSourceSummary(text, params, 3, "dem.grd");
  EXPECT_EQ(text, "ValleyDTM, dem.grd)");
  params.Calck_DTM = 2;
  text.clear();
  AppendSourceSummary(text, params, 3, "dem.grd");
  EXPECT_EQ(text, "RidgeDTM, dem.grd)");
  params.Calck = 0;
  text.clear();
  AppendSourceSummary(text, params, 3, "dem.grd");
  EXPECT_EQ(text, "DTM, dem.grd)");
  text.clear();
  AppendSourceSummary(text, params, 2, "scheme.bmp");
  EXPECT_EQ(text, "LINE, scheme.bmp)");
  text.clear();
  AppendSourceSummary(text, params, 0, "");
  EXPECT_EQ(text, "Undefined, )");
}

class ReplaceStripesTest : public ::testing::Test {
 protected:
  ReplaceStripesTest() : drawing("Рисунок1", true) {}
  void Line(std::vector<PolylinePoint> points) { ASSERT_FALSE(drawing.AddPolyline32(points, 0xFF, 1)); }
  CVectorLayer3 drawing;
};

TEST_F(ReplaceStripesTest, KeepsOnlyStripesUnderTheLinesAndRecountsTheGlobalRose) {
  CResults results = StripeResults(6, 4, 6, 4, std::vector<std::uint8_t>(24, 1));
  results.stripeCodes[8] = 4;  // (2, 1), class 3
  results.DeriveStripeClasses();
  results.hasWindowRoses = results.hasBlockRoses = results.hasLineaments = true;
  Line({{0, 1}, {4, 1}});  // marks (0..3, 1); the end point is not part of the segment
  Line({{5, 3}});
  EXPECT_EQ(ReplaceStripes(results, drawing), 0);
  for (int i = 0; i < 24; ++i) {
    const bool kept = (i >= 6 && i <= 9) || i == 23;
    EXPECT_EQ(results.stripeCodes[std::size_t(i)] != 0, kept) << i;
    EXPECT_EQ(results.stripeClasses[std::size_t(i)] != 0, kept) << i;
  }
  EXPECT_EQ(results.globalRose, (std::array<std::int32_t, 8>{4, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(results.hasStripes);
  EXPECT_TRUE(results.stripesReplaced);
  EXPECT_TRUE(results.hasGlobalRose);
  EXPECT_FALSE(results.hasWindowRoses);
  EXPECT_FALSE(results.hasBlockRoses);
  EXPECT_FALSE(results.hasLineaments);
}

TEST_F(ReplaceStripesTest, AtOtherRatesACellIsKeptWhenTheLineCrossesTheSquareItIsDrawnOn) {
  // 8 x 8 pixels over a 4 x 4 grid: cell (i, j) is drawn on the 2 x 2 square at (2i, 2j).
  CResults results = StripeResults(8, 8, 4, 4, std::vector<std::uint8_t>(16, 3));
  Line({{3, 3}});
  Line({{7, 0}, {7, 2}});  // (7, 0) and (7, 1): cell (3, 0) only
  EXPECT_EQ(ReplaceStripes(results, drawing), 0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(results.stripeCodes[std::size_t(i)] != 0, i == 5 || i == 3) << i;
  EXPECT_EQ(results.globalRose[1], 2);
}

TEST_F(ReplaceStripesTest, NoStripeLeftIsThirteenAndNoStripesAtAllIsThree) {
  CResults results = StripeResults(4, 4, 4, 4, std::vector<std::uint8_t>(16, 2));
  Line({{100, 100}, {200, 300}});  // entirely outside
  EXPECT_EQ(ReplaceStripes(results, drawing), 13);
  EXPECT_FALSE(results.hasGlobalRose);
  EXPECT_TRUE(results.hasStripes);
  for (std::uint8_t code : results.stripeCodes) EXPECT_EQ(code, 0);

  CResults none;
  none.SetImageGeometry(4, 4, 1, 1);
  none.hasGlobalRose = true;
  EXPECT_EQ(ReplaceStripes(none, drawing), 3);
  EXPECT_TRUE(none.hasGlobalRose);  // nothing was touched
}

TEST_F(ReplaceStripesTest, CellsBeyondTheGridAreClearedWithoutReadingPastTheMarks) {
  // A stored array longer than the grid and a line far outside the image.
  CResults results = StripeResults(4, 2, 4, 2, std::vector<std::uint8_t>(12, 1));
  Line({{-1000000, 0}, {1000000, 0}});
  EXPECT_EQ(ReplaceStripes(results, drawing), 0);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(results.stripeCodes[std::size_t(i)], i < 4 ? 1 : 0) << i;
}

}  // namespace
}  // namespace linea
