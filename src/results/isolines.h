#pragma once
// Isolines of a class map: the borders between its colour steps traced as
// polylines in the colours of the higher side.

#include <cstdint>
#include <span>
#include <string>

#include "results/bands.h"
#include "results/build_progress.h"
#include "results/results.h"

namespace linea {

class CLayerStack;
class CVectorLayer3;

// Traces the step borders of the width x height class raster (row 0 at the top)
// into `layer`: the pixels on the higher side of every border, thinned, chained
// once per branch, simplified; each chain in the colour of its first pixel's class.
// `boundaries` holds the last class of each of the `steps` steps. 0, 3 when
// memory runs out or the layer refuses a polyline, or 11 when `progress` (the
// fraction done) answered false.
int TraceIsolines(int width, int height, std::span<const std::uint8_t> raster, int steps,
                  std::span<const std::uint8_t> boundaries, CVectorLayer3& layer, const PaletteTable& red,
                  const PaletteTable& green, const PaletteTable& blue, int lineWidth,
                  const BuildProgress& progress = nullptr);

// Adds the isolines of the class map `sourceName` as the drawing `name`, at the
// image size of `results`. 0; 2 no class map of that name; 3 out of memory; 11
// stopped by `progress`, the stack as it was.
int BuildIsolinesLayer(const CResults& results, CLayerStack& stack, const std::string& sourceName, std::string name,
                       int lineWidth = 1, const BuildProgress& progress = nullptr);

}  // namespace linea
