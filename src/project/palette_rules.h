#pragma once
// The rules of the palette settings dialog, the palette panel's swatches and the
// colour band dialog, kept apart from the widgets so that every dialog and the
// batch tool apply the same checks.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "results/bands.h"
#include "results/calc_parameters.h"
#include "results/combination_ops.h"  // PaletteSettings

namespace linea {

class CRasterLayer;

// Controls a failed check gives the focus to.
enum PaletteDialogControl : int {
  kControlQuants = 1110,
  kControlPaletteContrast = 1124,
  kControlBandFrom = 1105,
  kControlBandTo = 1106,
  kControlExtremumWidth = 1131,
  kControlExtremumRange = 1137,
};

struct DialogFailure {
  std::string message;
  int control = 0;
};

// OK of the palette settings: the steps text read as an integer must be 1..16
// ("Quants"), the brightness text read as a number 0.1..2.0 ("Contrast", the
// message naming 0 and 2). Texts that are not numbers read as 0.
std::optional<DialogFailure> CheckPaletteSettings(const std::string& stepsText, const std::string& brightnessText);

// The workspace's defaults for new maps, and a map's own settings.
PaletteSettings DefaultPaletteSettings(const CalcParameters& params);
void SetDefaultPaletteSettings(CalcParameters& params, const PaletteSettings& settings);
PaletteSettings MapPaletteSettings(const CRasterLayer& map);
// The settings dialog's texts read the way CheckPaletteSettings reads them.
int PaletteStepsOfText(const std::string& stepsText);
double PaletteBrightnessOfText(const std::string& brightnessText);

// The palette panel: up to 16 swatches and how many are in use.
struct PaletteSwatches {
  std::array<std::uint32_t, 16> colors{};  // 0x00BBGGRR
  int inUse = 0;
};
// Swatch i (i < count) takes the colour of palette index list[i]. Refused (false,
// the swatches unchanged) when count is above 16 or below 0, when `list` holds
// fewer than count indices, or an index lies outside the tables.
bool SetPaletteColors(PaletteSwatches& swatches, int count, std::span<const int> list,
                      std::span<const std::uint8_t> red, std::span<const std::uint8_t> green,
                      std::span<const std::uint8_t> blue);

// The fields of the colour band dialog. `lowest` and `highest` are the map's From
// and To (the valid range of From and To), `mapMin` and `mapMax` shown beside them.
struct ColorBandDialogValues {
  bool bandMode = true;  // "Полоса"; false "Экстремумы"
  std::uint32_t color = 0x000000FF;
  std::int32_t from = 0;
  std::int32_t to = 0;
  std::int32_t lowest = 0;
  std::int32_t highest = 0;
  std::int32_t mapMin = 0;
  std::int32_t mapMax = 0;
  std::int32_t width = 33;
  double range = 0.9;
  bool maxima = true;
};

// The dialog as it opens on a class map: From half way, To the map's To.
ColorBandDialogValues OpenColorBandDialog(const CRasterLayer& map);
// The radio switches: "Полоса", "Минимумы" (range 1.1, From the lowest, To half
// way) and "Максимумы" (range 0.9, From half way, To the highest).
void SelectBandMode(ColorBandDialogValues& values);
void SelectMinima(ColorBandDialogValues& values);
void SelectMaxima(ColorBandDialogValues& values);
// OK: From and To within lowest..highest; in extremum mode the width within 1..
// min(image side) / 6 and the range within 0..1 for maxima, at least 1 for minima.
std::optional<DialogFailure> CheckColorBandDialog(const ColorBandDialogValues& values, std::uint32_t imageWidth,
                                                  std::uint32_t imageHeight);

// The class of a map value: trunc((value - map From) / class width + 1).
int BandValueToClass(int value, int mapFrom, double classWidth);
// The builders' parameters from confirmed dialog values over `map`.
BandParameters BandParametersFromDialog(const ColorBandDialogValues& values, const CRasterLayer& map);

}  // namespace linea
