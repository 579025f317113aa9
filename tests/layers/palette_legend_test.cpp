// The palette panel's legend: the values each colour step of a class map covers,
// and the values and colour of the colour bands composed over it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "imaging/image.h"
#include "layers/band_layer.h"
#include "layers/palette_legend.h"
#include "layers/raster_layer.h"

namespace linea {
namespace {

// A 2 x 2 class map with a palette whose entry i is (i, 0, 255 - i).
template <typename T>
std::unique_ptr<T> MapLayer(const char* name) {
  auto layer = std::make_unique<T>(name, true);
  std::array<std::uint8_t, 256> red{}, green{}, blue{}, used{};
  for (int i = 0; i < 256; ++i) {
    red[std::size_t(i)] = std::uint8_t(i);
    blue[std::size_t(i)] = std::uint8_t(255 - i);
    used[std::size_t(i)] = 1;
  }
  std::vector<std::uint8_t> pixels{1, 2, 3, 4};
  EXPECT_TRUE(layer->CreateFromPixels(2, 2, 8, pixels, red, green, blue, used, 256));
  return layer;
}

TEST(PaletteLegend, StepsOfAWholeUnitMapCoverConsecutiveValuesUpToTo) {
  auto map = MapLayer<CRasterLayer>("Розы 0");
  // Values 10..25 in 16 classes of one unit, in 4 steps.
  map->classes = 16;
  map->From = 10;
  map->To = 25;
  map->classWidth = 1.0;
  map->steps = 4;
  map->stepBoundaries = {3, 7, 11, 255};
  EXPECT_EQ(StepValueRangeText(*map, 0), "10 - 13");
  EXPECT_EQ(StepValueRangeText(*map, 1), "13 - 17");
  EXPECT_EQ(StepValueRangeText(*map, 2), "17 - 21");
  EXPECT_EQ(StepValueRangeText(*map, 3), "21 - 25");  // the last class ends at To
  EXPECT_EQ(StepValueRangeText(*map, 4), "");
  EXPECT_EQ(StepValueRangeText(*map, -1), "");
}

TEST(PaletteLegend, WideClassesAndMapsWithoutValues) {
  auto map = MapLayer<CRasterLayer>("Розы 0");
  map->classes = 255;
  map->From = 100;
  map->To = 608;
  map->classWidth = 2.0;
  map->steps = 2;
  map->stepBoundaries = {127, 255};
  EXPECT_EQ(StepValueRangeText(*map, 0), "100 - 354");
  EXPECT_EQ(StepValueRangeText(*map, 1), "354 - 608");
  // Fractional boundaries are cut to whole values.
  map->classWidth = 1.386;
  EXPECT_EQ(StepValueRangeText(*map, 0), "100 - 276");  // 100 + trunc(127 * 1.386 = 176.02)
  // A step beyond the classes (more steps than classes) covers nothing.
  map->classes = 2;
  map->stepBoundaries = {127, 255};
  map->To = 104;
  EXPECT_EQ(StepValueRangeText(*map, 0), "100 - 104");
  map->stepBoundaries = {1, 2, 255};
  map->steps = 3;
  EXPECT_EQ(StepValueRangeText(*map, 2), "");
  // Masks and extremum bands have no class width: colours only.
  map->classWidth = -1.0;
  EXPECT_EQ(StepValueRangeText(*map, 0), "");
  map->classWidth = 0.0;
  EXPECT_EQ(StepValueRangeText(*map, 0), "");
}

TEST(PaletteLegend, BandRowsNameTheirValuesAndColour) {
  auto band = MapLayer<CColorBandLayer>("Розы 0#");
  band->From = 10;
  band->classWidth = 2.0;
  band->bandFrom = 3;
  band->bandTo = 5;
  EXPECT_EQ(BandValueRangeText(*band), "14 - 18");
  auto extremum = MapLayer<CExtremumLayer>("Розы 0*");
  extremum->classWidth = -1.0;
  EXPECT_EQ(BandValueRangeText(*extremum), "");

  auto map = MapLayer<CRasterLayer>("Розы 0");
  map->classes = 8;
  map->From = 0;
  map->To = 7;
  map->classWidth = 1.0;
  map->steps = 2;
  map->stepBoundaries = {4, 255};
  std::vector<CLayer*> composed{map.get(), band.get(), extremum.get()};
  const auto contents = MakePalettePanelContents(map.get(), composed);
  ASSERT_TRUE(contents);
  EXPECT_EQ(contents->count, 2);
  EXPECT_EQ(contents->indices, (std::vector<int>{4, 255}));
  EXPECT_EQ(contents->ranges, (std::vector<std::string>{"0 - 4", "4 - 7"}));
  EXPECT_EQ(contents->red[4], 4);
  EXPECT_EQ(contents->blue[4], 251);
  ASSERT_EQ(contents->bands.size(), 1u);  // the extremum band has no values to name
  EXPECT_EQ(contents->bands[0].range, "14 - 18");
  EXPECT_EQ(contents->bands[0].colour, MakeColor(3, 0, 252));

  // A band over a plain picture still has a legend; with nothing at all, none.
  std::vector<CLayer*> bandOnly{band.get()};
  const auto bandLegend = MakePalettePanelContents(nullptr, bandOnly);
  ASSERT_TRUE(bandLegend);
  EXPECT_EQ(bandLegend->count, 0);
  EXPECT_EQ(bandLegend->bands.size(), 1u);
  // An empty band (From above To) shows nothing and is left out.
  band->bandFrom = 6;
  band->bandTo = 5;
  EXPECT_FALSE(MakePalettePanelContents(nullptr, bandOnly));
}

}  // namespace
}  // namespace linea
