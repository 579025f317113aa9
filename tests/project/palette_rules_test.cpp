#include <gtest/gtest.h>

#include <vector>

#include "layers/raster_layer.h"
#include "project/palette_rules.h"

namespace linea {
namespace {

TEST(PaletteSettingsTest, QuantsFrom1To16) {
  EXPECT_FALSE(CheckPaletteSettings("16", "1.0"));
  EXPECT_FALSE(CheckPaletteSettings("1", "1.0"));
  for (const char* steps : {"17", "0", "", "many"}) {
    const auto failure = CheckPaletteSettings(steps, "1.0");
    ASSERT_TRUE(failure) << steps;
    EXPECT_EQ(failure->message, "Значение параметра Quants должно быть от 1 до 16.");
    EXPECT_EQ(failure->control, 1110);
  }
}

TEST(PaletteSettingsTest, BrightnessFrom01To2ThoughTheMessageNames0And2) {
  EXPECT_FALSE(CheckPaletteSettings("8", "2.0"));
  EXPECT_FALSE(CheckPaletteSettings("8", "0.1"));
  for (const char* brightness : {"0.05", "2.01", "x"}) {
    const auto failure = CheckPaletteSettings("8", brightness);
    ASSERT_TRUE(failure) << brightness;
    EXPECT_EQ(failure->message, "Значение параметра Contrast должно быть от 0 до 2.");
    EXPECT_EQ(failure->control, 1124);
  }
  // The steps are checked first.
  EXPECT_EQ(CheckPaletteSettings("0", "9")->control, 1110);
}

TEST(PaletteSwatchesTest, EightColoursShowEightSwatchesAndMoreThan16LeaveThePanelUnchanged) {
  std::vector<std::uint8_t> red(256), green(256), blue(256);
  for (int i = 0; i < 256; ++i) {
    red[std::size_t(i)] = std::uint8_t(i);
    green[std::size_t(i)] = 1;
    blue[std::size_t(i)] = std::uint8_t(255 - i);
  }
  PaletteSwatches panel;
  std::vector<int> list = {1, 2, 3, 4, 5, 6, 7, 255};
  ASSERT_TRUE(SetPaletteColors(panel, 8, list, red, green, blue));
  EXPECT_EQ(panel.inUse, 8);
  EXPECT_EQ(panel.colors[0], MakeColor(1, 1, 254));
  EXPECT_EQ(panel.colors[7], MakeColor(255, 1, 0));

  const PaletteSwatches before = panel;
  std::vector<int> twenty(20, 9);
  EXPECT_FALSE(SetPaletteColors(panel, 20, twenty, red, green, blue));
  EXPECT_EQ(panel.inUse, 8);
  EXPECT_EQ(panel.colors, before.colors);
  // A list shorter than the count, or an index beyond the tables, is refused too.
  EXPECT_FALSE(SetPaletteColors(panel, 3, std::vector<int>{1, 2}, red, green, blue));
  EXPECT_FALSE(SetPaletteColors(panel, 1, std::vector<int>{256}, red, green, blue));
  EXPECT_EQ(panel.inUse, 8);
}

class ColorBandDialogTest : public ::testing::Test {
 protected:
  ColorBandDialogTest() : map("Розы 1", true) {
    map.From = 10;
    map.To = 500;
    map.Min = 3;
    map.Max = 900;
    map.classWidth = 2.0;
    values = OpenColorBandDialog(map);
  }
  CRasterLayer map;
  ColorBandDialogValues values;
};

TEST_F(ColorBandDialogTest, OpensInBandModeHalfWayUpTheMap) {
  EXPECT_TRUE(values.bandMode);
  EXPECT_EQ(values.from, 255);
  EXPECT_EQ(values.to, 500);
  EXPECT_EQ(values.lowest, 10);
  EXPECT_EQ(values.highest, 500);
  EXPECT_EQ(values.mapMin, 3);
  EXPECT_EQ(values.mapMax, 900);
  EXPECT_EQ(values.width, 33);
  EXPECT_DOUBLE_EQ(values.range, 0.9);
  EXPECT_TRUE(values.maxima);
  EXPECT_EQ(values.color, 0x0000FFu);
  EXPECT_FALSE(CheckColorBandDialog(values, 600, 450));
}

TEST_F(ColorBandDialogTest, FromAndToMustLieWithinTheMapAndFromIsCheckedFirst) {
  values.from = 9;
  values.to = 501;
  auto failure = CheckColorBandDialog(values, 600, 450);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра From должно быть от 10 до 500.");
  EXPECT_EQ(failure->control, 1105);
  values.from = 10;
  failure = CheckColorBandDialog(values, 600, 450);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра To должно быть от 10 до 500.");
  EXPECT_EQ(failure->control, 1106);
  // From above To is allowed.
  values.from = 400;
  values.to = 20;
  EXPECT_FALSE(CheckColorBandDialog(values, 600, 450));
}

TEST_F(ColorBandDialogTest, TheLargestExtremumWidthOn600By450Is75) {
  values.bandMode = false;
  values.width = 75;
  EXPECT_FALSE(CheckColorBandDialog(values, 600, 450));
  for (int width : {76, 0}) {
    values.width = width;
    const auto failure = CheckColorBandDialog(values, 600, 450);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "Значение параметра Width должно быть от 1 до 75.");
    EXPECT_EQ(failure->control, 1131);
  }
  // The width is not looked at in band mode.
  values.bandMode = true;
  EXPECT_FALSE(CheckColorBandDialog(values, 600, 450));
}

TEST_F(ColorBandDialogTest, MinimaTakeRange11AndMaximaGiveBack09) {
  values.bandMode = false;
  values.width = 10;
  SelectMinima(values);
  EXPECT_FALSE(values.maxima);
  EXPECT_DOUBLE_EQ(values.range, 1.1);
  EXPECT_EQ(values.from, 10);
  EXPECT_EQ(values.to, 255);
  EXPECT_FALSE(CheckColorBandDialog(values, 600, 450));
  values.range = 0.9;
  auto failure = CheckColorBandDialog(values, 600, 450);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Range должно быть больше или равно 1.");
  EXPECT_EQ(failure->control, 1137);

  SelectMaxima(values);
  EXPECT_TRUE(values.maxima);
  EXPECT_DOUBLE_EQ(values.range, 0.9);
  EXPECT_EQ(values.from, 255);
  EXPECT_EQ(values.to, 500);
  EXPECT_FALSE(CheckColorBandDialog(values, 600, 450));
  values.range = 1.1;
  failure = CheckColorBandDialog(values, 600, 450);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Значение параметра Range должно быть от 0 до 1.");
  EXPECT_EQ(failure->control, 1137);
}

TEST_F(ColorBandDialogTest, BandModeResetsFromAndTo) {
  SelectMinima(values);
  SelectBandMode(values);
  EXPECT_TRUE(values.bandMode);
  EXPECT_EQ(values.from, 255);
  EXPECT_EQ(values.to, 500);
}

TEST_F(ColorBandDialogTest, ValuesBecomeClassesOfTheMap) {
  EXPECT_EQ(BandValueToClass(14, 10, 2.0), 3);
  EXPECT_EQ(BandValueToClass(15, 10, 2.0), 3);
  EXPECT_EQ(BandValueToClass(10, 10, 2.0), 1);
  EXPECT_EQ(BandValueToClass(5, 10, 2.0), -1);  // trunc(-1.5)
  values.from = 14;
  values.to = 18;
  const BandParameters band = BandParametersFromDialog(values, map);
  EXPECT_EQ(band.fromClass, 3);
  EXPECT_EQ(band.toClass, 5);
  EXPECT_EQ(band.mode, 1);
  EXPECT_EQ(band.mapFrom, 10);
  EXPECT_EQ(band.mapMax, 900);
}

}  // namespace
}  // namespace linea
