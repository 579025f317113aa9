#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "layers/band_layer.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "results/bands.h"
#include "results/isolines.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Points16 = std::vector<std::pair<int, int>>;

// A class map of the project's size whose pixel (x, y) has class classOf(x, y);
// palette entry c is (c, 255 - c, 7) for every class but 0.
class ClassMapTest : public ::testing::Test {
 protected:
  ClassMapTest() : stack(host) {}

  CRasterLayer& AddMap(int width, int height, const std::function<int(int, int)>& classOf,
                       std::vector<std::uint8_t> boundaries = {255}) {
    results.SetImageGeometry(std::uint32_t(width), std::uint32_t(height), 1, 1);
    auto layer = std::make_unique<CRasterLayer>("Розы 1", true);
    for (int c = 1; c < 256; ++c) {
      layer->red[std::size_t(c)] = std::uint8_t(c);
      layer->green[std::size_t(c)] = std::uint8_t(255 - c);
      layer->blue[std::size_t(c)] = 7;
    }
    layer->used.fill(1);
    std::vector<std::uint8_t> pixels(std::size_t(width * height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[std::size_t(y * width + x)] = std::uint8_t(classOf(x, y));
    EXPECT_TRUE(layer->CreateFromPixels(width, height, 8, pixels, layer->red, layer->green, layer->blue,
                                        layer->used, 256));
    layer->steps = int(boundaries.size());
    layer->stepBoundaries = std::move(boundaries);
    layer->From = 10;
    layer->To = 500;
    layer->classWidth = 2.0;
    layer->SetDescription("Density (AUTO scale)");
    return *static_cast<CRasterLayer*>(stack.AddLayer(std::move(layer)));
  }

  static std::vector<Points16> Lines(const CVectorLayer3& layer) {
    std::vector<Points16> lines;
    for (int g = 0; g < layer.GroupCount(); ++g)
      for (int k = 0; k < layer.Group(g).PolylineCount(); ++k) {
        Points16 line;
        for (const auto& p : layer.Group(g).Polyline(k)) line.emplace_back(p.x, p.y);
        lines.push_back(line);
      }
    return lines;
  }

  const CVectorLayer3& Isolines() {
    EXPECT_EQ(BuildIsolinesLayer(results, stack, "Розы 1", "Розы 1_", 2), 0);
    auto* layer = dynamic_cast<CVectorLayer3*>(stack.FindLayer("Розы 1_"));
    EXPECT_NE(layer, nullptr);
    return *layer;
  }

  CTestHost host;
  CLayerStack stack;
  CResults results;
};

TEST_F(ClassMapTest, AMapOfOneStepHasNoIsolinesButTheLayerIsAdded) {
  AddMap(12, 9, [](int x, int) { return x < 6 ? 3 : 9; }, {100, 255});
  const CVectorLayer3& layer = Isolines();
  EXPECT_EQ(layer.GroupCount(), 0);
  EXPECT_EQ(layer.GetDescription(), "Isolines (Density (AUTO scale)");
}

TEST_F(ClassMapTest, TheBorderBetweenStepsIsTracedOnItsHigherSideInThatClassColour) {
  AddMap(12, 9, [](int x, int) { return x < 6 ? 2 : 3; }, {2, 255});
  const CVectorLayer3& layer = Isolines();
  EXPECT_EQ(Lines(layer), (std::vector<Points16>{{{6, 1}, {6, 7}}}));
  EXPECT_EQ(layer.Group(0).GetColor(), MakeColor(3, 252, 7));
  EXPECT_EQ(layer.Group(0).GetWidth(), 2);
}

TEST_F(ClassMapTest, ASingleMarkedPixelIsADot) {
  AddMap(7, 7, [](int x, int y) { return x == 3 && y == 3 ? 200 : 1; }, {100, 255});
  const CVectorLayer3& layer = Isolines();
  EXPECT_EQ(Lines(layer), (std::vector<Points16>{{{3, 3}, {3, 3}}}));
  EXPECT_EQ(layer.Group(0).GetColor(), MakeColor(200, 55, 7));
}

TEST_F(ClassMapTest, AClosedBorderIsTracedOnce) {
  // A 3 x 3 block: its ring is thinned at the corners to a diamond and traced once.
  AddMap(9, 9, [](int x, int y) { return x >= 3 && x <= 5 && y >= 3 && y <= 5 ? 200 : 1; }, {100, 255});
  EXPECT_EQ(Lines(Isolines()), (std::vector<Points16>{{{4, 3}, {5, 4}, {4, 5}, {3, 4}}}));
}

TEST_F(ClassMapTest, ABranchingBorderIsTracedFromTheBranchPointOncePerBranch) {
  // A one-pixel V of high classes opening downwards from (5, 2).
  auto onV = [](int x, int y) { return y >= 2 && y <= 5 && (x == 5 + (y - 2) || x == 5 - (y - 2)); };
  AddMap(11, 8, [&](int x, int y) { return onV(x, y) ? 200 : 1; }, {100, 255});
  EXPECT_EQ(Lines(Isolines()), (std::vector<Points16>{{{5, 2}, {8, 5}}, {{5, 2}, {2, 5}}}));
}

TEST_F(ClassMapTest, IsolinesOfAMissingMapAreCode2) {
  AddMap(4, 4, [](int, int) { return 1; });
  EXPECT_EQ(BuildIsolinesLayer(results, stack, "nothing", "x", 1), 2);
  EXPECT_EQ(stack.FindLayer("x"), nullptr);
}

TEST(BandPaletteTest, ClassZeroStaysBlackAndTheRangeIsCutAt255) {
  PaletteTable r, g, b, used;
  MakeBandPalette(r, g, b, used, MakeColor(10, 20, 30), 0, 300);
  EXPECT_EQ(r[0] + g[0] + b[0], 0);
  EXPECT_EQ(r[1], 10);
  EXPECT_EQ(g[128], 20);
  EXPECT_EQ(b[255], 30);
  for (std::uint8_t u : used) EXPECT_EQ(u, 1);

  MakeBandPalette(r, g, b, used, MakeColor(10, 20, 30), 4, 6);
  EXPECT_EQ(r[3], 0);
  EXPECT_EQ(r[4], 10);
  EXPECT_EQ(r[6], 10);
  EXPECT_EQ(r[7], 0);
}

TEST(BandPaletteTest, RecolourBandKeepsBlackEntriesBlack) {
  PaletteTable r{}, g{}, b{};
  r[1] = 5;
  b[2] = 1;
  RecolourBand(r, g, b, MakeColor(9, 8, 7));
  EXPECT_EQ(r[0] + g[0] + b[0], 0);
  EXPECT_EQ(MakeColor(r[1], g[1], b[1]), MakeColor(9, 8, 7));
  EXPECT_EQ(MakeColor(r[2], g[2], b[2]), MakeColor(9, 8, 7));
  EXPECT_EQ(r[3] + g[3] + b[3], 0);
}

TEST_F(ClassMapTest, AColourBandShowsItsValueRangeAndKeepsTheClasses) {
  AddMap(6, 4, [](int x, int) { return x; });
  BandParameters band;
  band.color = MakeColor(0, 255, 0);
  band.fromClass = 3;
  band.toClass = 5;
  ASSERT_EQ(BuildColorBandLayer(results, stack, "Розы 1", "Розы 1#", band), 0);
  auto* layer = dynamic_cast<CColorBandLayer*>(stack.FindLayer("Розы 1#"));
  ASSERT_NE(layer, nullptr);
  // (3 - 1) x 2.0 + 10 and (5 - 1) x 2.0 + 10.
  EXPECT_EQ(layer->GetDescription(), "ColorBand (14 - 18) (Density (AUTO scale)");
  EXPECT_EQ(layer->Image().Row(2)[4], 4);
  EXPECT_EQ(layer->Lookup()[2], 0u);
  EXPECT_EQ(layer->Lookup()[3], LookupEntry(0, 255, 0));
  EXPECT_EQ(layer->Lookup()[5], LookupEntry(0, 255, 0));
  EXPECT_EQ(layer->Lookup()[6], 0u);
  EXPECT_EQ(layer->bandFrom, 3);
  EXPECT_EQ(layer->bandTo, 5);
  EXPECT_EQ(layer->steps, 3);
  EXPECT_EQ(layer->stepBoundaries, (std::vector<std::uint8_t>{3, 5, 255}));
  EXPECT_DOUBLE_EQ(layer->classWidth, 2.0);
  EXPECT_EQ(layer->From, 10);
}

TEST_F(ClassMapTest, AColourBandFromAboveToShowsNothing) {
  AddMap(6, 4, [](int x, int) { return x; });
  BandParameters band;
  band.fromClass = 5;
  band.toClass = 3;
  ASSERT_EQ(BuildColorBandLayer(results, stack, "Розы 1", "b", band), 0);
  auto* layer = dynamic_cast<CColorBandLayer*>(stack.FindLayer("b"));
  ASSERT_NE(layer, nullptr);
  for (std::uint32_t entry : layer->Lookup()) EXPECT_EQ(entry, 0u);  // all transparent black
  EXPECT_EQ(BuildColorBandLayer(results, stack, "missing", "c", band), 2);
}

TEST_F(ClassMapTest, AMapSmallerThanTheProjectIsReadAsFarAsItGoes) {
  AddMap(4, 3, [](int, int) { return 9; });
  results.SetImageGeometry(7, 5, 1, 1);  // the project grew since
  BandParameters band;
  band.fromClass = 1;
  band.toClass = 255;
  ASSERT_EQ(BuildColorBandLayer(results, stack, "Розы 1", "b", band), 0);
  auto* layer = dynamic_cast<CColorBandLayer*>(stack.FindLayer("b"));
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->Image().GetWidth(), 7);
  EXPECT_EQ(layer->Image().Row(2)[3], 9);
  EXPECT_EQ(layer->Image().Row(2)[4], 0);
  EXPECT_EQ(layer->Image().Row(4)[0], 0);
}

// The extremum search over a 40 x 40 map at rate 1: nodes every 8 pixels.
class ExtremumTest : public ::testing::Test {
 protected:
  ExtremumTest() : raster(40 * 40, 10) {}
  std::uint8_t& At(int x, int y) { return raster[std::size_t(y * 40 + x)]; }
  int Find(bool maxima, int width, double range, RoseGridCounts grid = {5, 5}, int from = 1, int to = 255) {
    return FindExtremumBands(40, 40, 40, grid, raster, from, to, maxima, width, range);
  }
  int NonZero() const {
    int n = 0;
    for (std::uint8_t c : raster) n += c != 0;
    return n;
  }
  std::vector<std::uint8_t> raster;
};

TEST_F(ExtremumTest, TheSecondNodeRowAndColumnAreTestedTheOutermostNever) {
  At(8, 8) = 200;    // node (1, 1)
  At(0, 0) = 200;    // node (0, 0)
  At(32, 32) = 200;  // node (4, 4), the last row and column
  ASSERT_EQ(Find(true, 3, 0.9), 0);
  EXPECT_EQ(At(8, 8), 200);
  EXPECT_EQ(NonZero(), 1);
}

TEST_F(ExtremumTest, BeforeAnyMapWasBuiltNoNodeIsVisitedAndNothingShows) {
  At(8, 8) = 200;
  ASSERT_EQ(Find(true, 3, 0.9, RoseGridCounts{}), 0);
  EXPECT_EQ(NonZero(), 0);
}

TEST_F(ExtremumTest, EqualMaximaSideBySideBothFail) {
  At(8, 8) = 200;
  At(16, 8) = 200;
  ASSERT_EQ(Find(true, 3, 0.9), 0);
  EXPECT_EQ(NonZero(), 0);
}

TEST_F(ExtremumTest, OfEqualMaximaInSuccessiveNodeRowsTheUpperStays) {
  At(8, 8) = 200;
  At(8, 16) = 200;
  ASSERT_EQ(Find(true, 3, 0.9), 0);
  EXPECT_EQ(At(8, 8), 200);
  EXPECT_EQ(At(8, 16), 0);
  EXPECT_EQ(NonZero(), 1);
}

TEST_F(ExtremumTest, Range09AroundClass200KeepsClasses181To200) {
  At(16, 16) = 200;
  At(17, 16) = 181;
  At(16, 17) = 180;
  At(15, 15) = 200;
  At(18, 18) = 190;  // corner of the 5 x 5 window
  At(19, 16) = 250;  // outside it
  ASSERT_EQ(Find(true, 5, 0.9), 0);
  EXPECT_EQ(At(16, 16), 200);
  EXPECT_EQ(At(17, 16), 181);
  EXPECT_EQ(At(15, 15), 200);
  EXPECT_EQ(At(18, 18), 190);
  EXPECT_EQ(At(16, 17), 0);
  EXPECT_EQ(NonZero(), 4);
}

TEST_F(ExtremumTest, AHigherClassInTheWindowDropsTheNode) {
  At(16, 16) = 200;
  At(18, 18) = 201;
  ASSERT_EQ(Find(true, 5, 0.9), 0);
  EXPECT_EQ(NonZero(), 0);
}

TEST_F(ExtremumTest, NodesOutsideTheBandRangeAreSkipped) {
  At(8, 8) = 200;
  ASSERT_EQ(Find(true, 3, 0.9, {5, 5}, 1, 199), 0);
  EXPECT_EQ(NonZero(), 0);
}

TEST_F(ExtremumTest, MinimaKeepTheClassesBelowTheThreshold) {
  std::fill(raster.begin(), raster.end(), std::uint8_t(100));
  At(16, 16) = 20;
  At(17, 16) = 21;  // below trunc(20 x 1.1) = 22
  At(15, 16) = 22;
  ASSERT_EQ(Find(false, 3, 1.1), 0);
  EXPECT_EQ(At(16, 16), 20);
  EXPECT_EQ(At(17, 16), 21);
  EXPECT_EQ(NonZero(), 2);
}

TEST_F(ExtremumTest, CountsOfALargerGridNeverReachBeyondTheImage) {
  At(8, 8) = 200;
  ASSERT_EQ(Find(true, 1000, 0.9, {400, 400}), 0);
  // Only the nodes that lie in the image are visited; the window is the whole image.
  EXPECT_EQ(At(8, 8), 200);
  EXPECT_EQ(NonZero(), 1);
}

TEST_F(ClassMapTest, AnExtremumLayerIsRecolouredAndDescribedByClasses) {
  AddMap(40, 40, [](int x, int y) { return x == 8 && y == 8 ? 200 : 10; });
  results.gridWidth = 40;
  BandParameters band;
  band.mode = 0;
  band.color = MakeColor(0, 0, 255);
  band.fromClass = 3;
  band.toClass = 250;
  band.width = 3;
  ASSERT_EQ(BuildExtremumBandLayer(results, stack, "Розы 1", "Розы 1*", band, {5, 5}), 0);
  auto* layer = dynamic_cast<CExtremumLayer*>(stack.FindLayer("Розы 1*"));
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetDescription(), "ExtremumBand (Max Band 3 - 250 Width 3 Range 0.90) (Density (AUTO scale)");
  EXPECT_EQ(layer->Image().Row(8)[8], 200);
  EXPECT_EQ(layer->Image().Row(8)[9], 0);
  EXPECT_EQ(layer->Lookup()[200], LookupEntry(0, 0, 255));
  EXPECT_EQ(layer->Lookup()[0], 0u);
  EXPECT_DOUBLE_EQ(layer->classWidth, -1.0);
  EXPECT_EQ(layer->stepBoundaries, (std::vector<std::uint8_t>{1, 255}));
}

}  // namespace
}  // namespace linea
