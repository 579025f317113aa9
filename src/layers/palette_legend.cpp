#include "layers/palette_legend.h"

#include <algorithm>
#include <cmath>

#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/raster_layer.h"

namespace linea {
namespace {

// Truncation towards zero that cannot overflow an int.
int Truncated(double value) {
  if (!(value == value)) return 0;
  return int(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

}  // namespace

std::string StepValueRangeText(const CRasterLayer& map, int step) {
  if (!(map.classWidth > 0.0) || map.classes < 1 || step < 0 || step >= map.steps ||
      std::size_t(step) >= map.stepBoundaries.size())
    return {};
  const int first = step == 0 ? 1 : map.stepBoundaries[std::size_t(step) - 1] + 1;
  const int last = std::min<int>(map.stepBoundaries[std::size_t(step)], map.classes);
  if (first > last) return {};
  // Whole values, cut as the colour band's description cuts them.
  const int low = map.From + Truncated((first - 1) * map.classWidth);
  const int high = last >= map.classes ? map.To : map.From + Truncated(last * map.classWidth);
  return FormatText("%d - %d", low, high);
}

std::string BandValueRangeText(const CColorBandLayer& band) {
  if (dynamic_cast<const CExtremumLayer*>(&band) != nullptr || !(band.classWidth > 0.0)) return {};
  const int low = Truncated((band.bandFrom - 1) * band.classWidth) + band.From;
  const int high = Truncated((band.bandTo - 1) * band.classWidth) + band.From;
  return FormatText("%d - %d", low, high);
}

std::optional<PalettePanelContents> MakePalettePanelContents(const CRasterLayer* map,
                                                            std::span<CLayer* const> composed) {
  PalettePanelContents contents;
  if (map != nullptr) {
    const CImage& image = map->Image();
    contents.red.resize(256);
    contents.green.resize(256);
    contents.blue.resize(256);
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t colour = image.GetColorFromIndex(i);
      contents.red[std::size_t(i)] = std::uint8_t(colour & 0xFF);
      contents.green[std::size_t(i)] = std::uint8_t((colour >> 8) & 0xFF);
      contents.blue[std::size_t(i)] = std::uint8_t((colour >> 16) & 0xFF);
    }
    // One swatch per step, in the colour of the step's last class.
    const std::size_t swatches = std::min(std::size_t(std::max(map->steps, 0)), map->stepBoundaries.size());
    contents.count = int(swatches);
    contents.indices.assign(map->stepBoundaries.begin(), map->stepBoundaries.begin() + swatches);
    for (std::size_t k = 0; k < swatches; ++k) contents.ranges.push_back(StepValueRangeText(*map, int(k)));
  }
  for (CLayer* layer : composed) {
    const auto* band = dynamic_cast<const CColorBandLayer*>(layer);
    if (band == nullptr || layer->GetKind() != kLayerKindBand) continue;
    std::string range = BandValueRangeText(*band);
    if (range.empty()) continue;
    // The band's colour is that of its lowest shown class; class 0 never shows.
    const int shown = std::max(1, band->bandFrom);
    if (shown > 255 || shown > band->bandTo) continue;
    contents.bands.push_back({band->Image().GetColorFromIndex(shown), std::move(range)});
  }
  if (map == nullptr && contents.bands.empty()) return std::nullopt;
  return contents;
}

}  // namespace linea
