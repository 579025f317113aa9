#pragma once
// Direction roses counted from the stripe classes: the window roses on the
// window grid of the rose-field maps, and one rose per block of a blocks raster.

#include <cstdint>
#include <vector>

#include "analysis/analysis_types.h"
#include "results/results.h"

namespace linea {

// Usable cells for the window roses: 1 where a cell may be counted (inside the
// analysed area), 0 where the mask excludes it. Empty = every cell usable.
// With `mask` present, a cell is usable when its centre pixel is 0 in the mask.
int UsableCells(const AnalysisRaster& mask, double rate, std::uint32_t gridWidth, std::uint32_t gridHeight,
                std::vector<std::uint8_t>& usable);

// Window roses: for the node (c, r) of the rose grid (ceil(W'/8) + 1 by
// ceil(H'/8) + 1 nodes, node on cell (8c, 8r)), the class counts of the cells
// within a disc of diameter `windowCells` around it, each count at most 65535.
// When fewer than `leastShare` of the disc's cells are inside the grid and usable,
// the rose stays empty (all 0). 0, 3, 11 or 12 (no rose grid).
int CountWindowRoses(const std::vector<std::uint8_t>& classes, const std::vector<std::uint8_t>& usable,
                     std::uint32_t gridWidth, std::uint32_t gridHeight, double windowCells, double leastShare,
                     std::vector<std::uint16_t>& roses, const AnalysisProgress& progress);

// Block roses: for every block number 1..253 present in `blocks` (the image's
// size; 254 is excluded area, 255 borders), the header (number, centre x, centre
// y in pixels, the mean of the block's pixels) and the class counts of the cells
// whose centre pixel lies in the block. 0, 11, 14 (no block) or 17 (no raster).
int CountBlockRoses(const std::vector<std::uint8_t>& classes, std::uint32_t gridWidth, std::uint32_t gridHeight,
                    double rate, const AnalysisRaster& blocks, std::vector<BlockRose>& roses,
                    const AnalysisProgress& progress);

}  // namespace linea
