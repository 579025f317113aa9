#pragma once
// Stripes: the direction of the linear features in every cell of the analysis
// grid, from a greyscale or scheme image (structure tensor) or from the relief
// of an elevation model (curvature across valleys and ridges).

#include <cstdint>
#include <vector>

#include "analysis/analysis_types.h"

namespace linea {

struct CalcParameters;

// The stripes of one grid: a code 0..16 per cell and, where the code is not 0,
// the direction in whole degrees 0..179 (counter-clockwise from +x, y up) that the
// code was made from, for the lineament search.
struct StripeField {
  std::uint32_t gridWidth = 0;
  std::uint32_t gridHeight = 0;
  std::vector<std::uint8_t> codes;
  std::vector<std::uint8_t> directions;
};

// Half side in pixels of the square window a cell's stripe is measured in.
int StripeWindowRadius(double rate);

// Stripes of an image: a cell gets a stripe when the coherence of the gradient
// structure tensor over its window is at least TR_Linear / 100 and the
// root-mean-square slope of the levels is at least TR_Contrast grey levels per
// pixel; the stripe runs across the dominant gradient. With `mask` present (the
// image's size), cells whose centre pixel is not 0 in it get no stripe.
// 0, 3 (no memory), 11 (stopped), 17 (no image or an empty grid).
int FindImageStripes(const AnalysisRaster& image, const AnalysisRaster* mask, const CalcParameters& params,
                     std::uint32_t gridWidth, std::uint32_t gridHeight, StripeField& out,
                     const AnalysisProgress& progress);

// Stripes of an elevation model (levels = heights): a cell gets a stripe along the
// axis of least curvature when the curvature across it is at least TR_Contrast
// grey levels (second difference over the window radius) and the curvatures
// differ by at least TR_Linear percent of their sum; Calck_DTM 1 keeps only
// valleys (curving up across), 2 only ridges, 0 both. Codes as above.
int FindReliefStripes(const AnalysisRaster& heights, const AnalysisRaster* mask, const CalcParameters& params,
                      std::uint32_t gridWidth, std::uint32_t gridHeight, StripeField& out,
                      const AnalysisProgress& progress);

}  // namespace linea
