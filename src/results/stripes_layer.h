#pragma once
// The stripes layer ("Штрихи"): the stored stripe codes drawn over the base image
// in their fixed colours, and the replacement of the stripes by those that lie on
// the lines of a drawing.

#include <cstdint>
#include <span>
#include <string>

#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {

class CLayerStack;
class CVectorLayer3;

// The fixed palette of the stripe codes: pairs of codes share a hue, the odd code
// bright and the even one dim; 16 closes the circle next to 1; codes 17..255 are
// black. Every entry is flagged visible except entry 0 (no stripe). Returns 0.
int MakeStripesPalette(std::span<std::uint8_t, 256> red, std::span<std::uint8_t, 256> green,
                       std::span<std::uint8_t, 256> blue, std::span<std::uint8_t, 256> used);

// Builds the stripes of `results` into a CVectorLayer named `name` of the image's
// size and adds it to `stack` (replacing a layer of that name). At compression
// rates other than 1 each grid cell becomes a square of trunc(r + 0.9) pixels from
// (trunc(i r + 0.5), trunc(j r + 0.5)), r = image width / grid width; later cells
// overwrite earlier ones. Cells the stored array does not hold are empty.
// 0, or 3 when memory runs out or the image size cannot be made.
int BuildStripesLayer(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params);

// Keeps only the stripes that lie on the lines of `layer`, which are marked at
// image coordinates. A grid cell is kept when a marked pixel falls on the pixel
// (or square) the stripes layer draws it on, so at rates other than 1 the cells
// follow the drawing the user traced over. The global rose is counted again and
// the other results lose their flags, since they were derived from the old stripes.
// 0; 3 without stripes or memory; 13 when no stripe is left.
int ReplaceStripes(CResults& results, const CVectorLayer3& layer);

}  // namespace linea
