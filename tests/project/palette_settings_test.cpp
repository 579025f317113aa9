// The settings the palette dialog shows and stores: the workspace's defaults,
// a map's own settings, and the texts read the way the dialog's checks read them.
#include <gtest/gtest.h>

#include "layers/raster_layer.h"
#include "project/palette_rules.h"

namespace linea {
namespace {

TEST(PaletteSettingsOfDialog, DefaultsGoToTheParametersAndMapsKeepTheirOwn) {
  CalcParameters params;
  const PaletteSettings defaults = DefaultPaletteSettings(params);
  EXPECT_EQ(defaults.steps, 8);
  EXPECT_FALSE(defaults.equalPopulation);
  EXPECT_EQ(defaults.paletteKind, 3);
  EXPECT_EQ(defaults.brightness, 1.0);
  SetDefaultPaletteSettings(params, PaletteSettings{16, true, 2, 2.0});
  EXPECT_EQ(params.paletteSteps, 16);
  EXPECT_TRUE(params.paletteEqualPopulation);
  EXPECT_EQ(params.paletteColours, 2);
  EXPECT_EQ(params.paletteContrast, 2.0);

  CRasterLayer map("Розы 0", true);
  map.steps = 5;
  map.equalPopulation = 1;
  map.paletteKind = 1;
  map.brightness = 0.5;
  const PaletteSettings own = MapPaletteSettings(map);
  EXPECT_EQ(own.steps, 5);
  EXPECT_TRUE(own.equalPopulation);
  EXPECT_EQ(own.paletteKind, 1);
  EXPECT_EQ(own.brightness, 0.5);
}

TEST(PaletteSettingsOfDialog, TextsReadAsTheChecksReadThem) {
  EXPECT_EQ(PaletteStepsOfText("16"), 16);
  EXPECT_EQ(PaletteStepsOfText("  +4 steps"), 4);
  EXPECT_EQ(PaletteStepsOfText("many"), 0);
  EXPECT_EQ(PaletteStepsOfText("99999999999999"), 2147483647);
  EXPECT_EQ(PaletteBrightnessOfText("2.0"), 2.0);
  EXPECT_EQ(PaletteBrightnessOfText("0.05x"), 0.05);
  EXPECT_EQ(PaletteBrightnessOfText(""), 0.0);
  // Whatever the reading gives, the check agrees with it.
  for (const char* steps : {"0", "17", "many", "99999999999999"})
    EXPECT_TRUE(CheckPaletteSettings(steps, "1")) << steps;
  EXPECT_FALSE(CheckPaletteSettings("  +4 steps", "0.1"));
}

}  // namespace
}  // namespace linea
