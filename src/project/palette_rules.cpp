#include "project/palette_rules.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "base/messages.h"
#include "layers/raster_layer.h"
#include "results/rose_measures.h"

namespace linea {
namespace {

const char* SkipBlanks(const std::string& text) {
  const char* p = text.c_str();
  while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

long long LeadingInteger(const std::string& text) {
  const char* p = SkipBlanks(text);
  if (*p == '+') ++p;
  long long value = 0;
  if (std::from_chars(p, text.c_str() + text.size(), value).ec != std::errc()) return 0;
  return value;
}

double LeadingNumber(const std::string& text) {
  const char* p = SkipBlanks(text);
  if (*p == '+') ++p;
  double value = 0.0;
  if (std::from_chars(p, text.c_str() + text.size(), value).ec != std::errc()) return 0.0;
  return value;
}

}  // namespace

PaletteSettings DefaultPaletteSettings(const CalcParameters& params) {
  return PaletteSettings{params.paletteSteps, params.paletteEqualPopulation, params.paletteColours,
                         params.paletteContrast};
}

void SetDefaultPaletteSettings(CalcParameters& params, const PaletteSettings& settings) {
  params.paletteSteps = settings.steps;
  params.paletteEqualPopulation = settings.equalPopulation;
  params.paletteColours = settings.paletteKind;
  params.paletteContrast = settings.brightness;
}

PaletteSettings MapPaletteSettings(const CRasterLayer& map) {
  return PaletteSettings{map.steps, map.equalPopulation != 0, map.paletteKind, map.brightness};
}

int PaletteStepsOfText(const std::string& stepsText) {
  return int(std::clamp<long long>(LeadingInteger(stepsText), -2147483647LL - 1, 2147483647LL));
}

double PaletteBrightnessOfText(const std::string& brightnessText) { return LeadingNumber(brightnessText); }

std::optional<DialogFailure> CheckPaletteSettings(const std::string& stepsText, const std::string& brightnessText) {
  const long long steps = LeadingInteger(stepsText);
  if (steps < 1 || steps > 16) return DialogFailure{RangeMessage("Quants", 1, 16), kControlQuants};
  const double brightness = LeadingNumber(brightnessText);
  if (!(brightness >= 0.1 && brightness <= 2.0))
    return DialogFailure{RangeMessage("Contrast", 0, 2), kControlPaletteContrast};
  return std::nullopt;
}

bool SetPaletteColors(PaletteSwatches& swatches, int count, std::span<const int> list,
                      std::span<const std::uint8_t> red, std::span<const std::uint8_t> green,
                      std::span<const std::uint8_t> blue) {
  if (count < 0 || count > 16 || list.size() < std::size_t(count)) return false;
  const std::size_t entries = std::min({red.size(), green.size(), blue.size()});
  for (int i = 0; i < count; ++i)
    if (list[std::size_t(i)] < 0 || std::size_t(list[std::size_t(i)]) >= entries) return false;
  for (int i = 0; i < count; ++i) {
    const std::size_t k = std::size_t(list[std::size_t(i)]);
    swatches.colors[std::size_t(i)] = MakeColor(red[k], green[k], blue[k]);
  }
  swatches.inUse = count;
  return true;
}

ColorBandDialogValues OpenColorBandDialog(const CRasterLayer& map) {
  ColorBandDialogValues values;
  values.lowest = map.From;
  values.highest = map.To;
  values.mapMin = map.Min;
  values.mapMax = map.Max;
  values.from = std::int32_t((std::int64_t(map.From) + map.To) / 2);
  values.to = map.To;
  return values;
}

void SelectBandMode(ColorBandDialogValues& values) {
  values.bandMode = true;
  values.to = values.highest;
  values.from = std::int32_t((std::int64_t(values.lowest) + values.highest) / 2);
}

void SelectMinima(ColorBandDialogValues& values) {
  values.maxima = false;
  values.range = 1.1;
  values.from = values.lowest;
  values.to = std::int32_t((std::int64_t(values.lowest) + values.highest) / 2);
}

void SelectMaxima(ColorBandDialogValues& values) {
  values.maxima = true;
  values.range = 0.9;
  values.to = values.highest;
  values.from = std::int32_t((std::int64_t(values.lowest) + values.highest) / 2);
}

std::optional<DialogFailure> CheckColorBandDialog(const ColorBandDialogValues& values, std::uint32_t imageWidth,
                                                  std::uint32_t imageHeight) {
  if (values.from < values.lowest || values.from > values.highest)
    return DialogFailure{RangeMessage("From", values.lowest, values.highest), kControlBandFrom};
  if (values.to < values.lowest || values.to > values.highest)
    return DialogFailure{RangeMessage("To", values.lowest, values.highest), kControlBandTo};
  if (values.bandMode) return std::nullopt;
  const int largestWidth = int(std::min(imageWidth, imageHeight) / 6);
  if (values.width < 1 || values.width > largestWidth)
    return DialogFailure{RangeMessage("Width", 1, largestWidth), kControlExtremumWidth};
  if (values.maxima && !(values.range >= 0.0 && values.range <= 1.0))
    return DialogFailure{RangeMessage("Range", 0, 1), kControlExtremumRange};
  if (!values.maxima && !(values.range >= 1.0))
    return DialogFailure{LowerBoundMessage("Range", 1), kControlExtremumRange};
  return std::nullopt;
}

int BandValueToClass(int value, int mapFrom, double classWidth) {
  // A map without a class width (0) would divide by zero; the value then names no class.
  return TruncToInt((double(value) - double(mapFrom)) / classWidth + 1.0);
}

BandParameters BandParametersFromDialog(const ColorBandDialogValues& values, const CRasterLayer& map) {
  BandParameters band;
  band.mode = values.bandMode ? 1 : 0;
  band.color = values.color;
  band.range = values.range;
  band.width = values.width;
  band.maxima = values.maxima ? 1 : 0;
  band.fromClass = BandValueToClass(values.from, map.From, map.classWidth);
  band.toClass = BandValueToClass(values.to, map.From, map.classWidth);
  band.mapFrom = map.From;
  band.mapTo = map.To;
  band.mapMin = map.Min;
  band.mapMax = map.Max;
  return band;
}

}  // namespace linea
