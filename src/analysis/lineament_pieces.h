#pragma once
// Joining the pieces the tiles found into whole lineaments: collinear pieces of
// neighbouring tiles that overlap or are apart by no more than the largest gap
// are one lineament, fitted again over all their supporting cells and measured
// from the first piece's end to the last one's.

#include <cstddef>
#include <vector>

#include "analysis/analysis_types.h"
#include "analysis/lineament_search.h"
#include "analysis/lineament_tile_search.h"

namespace linea {

// `pieces` holds the pieces tile by tile: those of tile (column c, row r) are
// [firstPieceOfTile[r * columns + c], firstPieceOfTile[r * columns + c + 1]).
// The lineaments come longest first; a parallel copy beside a longer one is
// dropped. 0, 3 or 11.
int JoinLineamentPieces(const std::vector<LineamentPiece>& pieces, const std::vector<std::size_t>& firstPieceOfTile,
                        std::uint32_t columns, std::uint32_t rows, const LineamentSettings& settings,
                        std::vector<FoundLineament>& lineaments, const AnalysisProgress& progress);

}  // namespace linea
