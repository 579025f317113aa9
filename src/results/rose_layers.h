#pragma once
// The stored direction roses drawn as closed polygons: the global rose, large in
// the image centre, and the block roses at their blocks' centres.

#include <array>
#include <cstdint>
#include <string>

#include "layers/vector_layer3.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {

class CLayerStack;

// Result lines and roses are red unless said otherwise (0x00BBGGRR).
inline constexpr std::uint32_t kRoseRed = 0x000000FF;

// The 17-point polygon of a rose centred on (cx, cy) with beam lengths radii[k]
// (pixels) for the classes 1..8, which point (k - 1) x 22.5 degrees counter-
// clockwise from +x (screen y grows downwards), then the mirror half and the first
// point again, so a direction and its opposite share a beam. Offsets are truncated;
// coordinates are held far inside the 32-bit range whatever the radii.
std::array<PolylinePoint, 17> RosePolygon(std::int64_t cx, std::int64_t cy, const std::array<double, 8>& radii);

// The global rose in the image centre, its longest weighted beam a quarter of the
// smaller image side. 0, or 3 when memory runs out.
int BuildGlobalRoseLayer(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params,
                         int lineWidth = 1);

// One rose per block record at its centre, 40 W Size / (W' sqrt(W' H')) pixels per
// weighted count; with `blockRoseGlobalNorm` the weights normalise by the global
// rose. 0, or 3 when memory runs out.
int BuildBlockRosesLayer(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params,
                         std::string blocksImagePath, int lineWidth = 1);

}  // namespace linea
