#pragma once
// What the palette panel shows for the picture being composed: one swatch per
// colour step of the class map at its base with the values that step covers,
// and one row per visible colour band with the values the band shows. The
// colours are those of the pictures' palettes, so the legend always matches the
// screen (a grey palette included).

#include <optional>
#include <span>
#include <string>

#include "base/app_host.h"

namespace linea {

class CColorBandLayer;
class CLayer;
class CRasterLayer;

// The values step `step` of `map` covers, "low - high": a class c spans the values
// From + (c - 1) * class width up to From + c * class width (cut to whole values),
// and the last class ends at To. "" for a map without a class width, or a step
// without classes.
std::string StepValueRangeText(const CRasterLayer& map, int step);
// The values of a colour band, as its description names them; "" for an extremum
// band or a mask, whose classes carry no values.
std::string BandValueRangeText(const CColorBandLayer& band);

// The panel's contents for the base class map `map` (null when the base is not a
// class map) and the layers composed over it; nothing when there is nothing to show.
std::optional<PalettePanelContents> MakePalettePanelContents(const CRasterLayer* map,
                                                            std::span<CLayer* const> composed);

}  // namespace linea
