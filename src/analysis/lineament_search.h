#pragma once
// Lineaments: long straight alignments of stripes. The stripe field is searched
// in overlapping square tiles of a few least lengths (a Hough transform
// restricted to each stripe's own direction, each candidate checked cell by cell
// across its tile), and the collinear pieces of neighbouring tiles are joined
// into whole lineaments, so the work grows with the area of the field.

#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/analysis_types.h"
#include "analysis/stripe_search.h"
#include "results/results.h"

namespace linea {

struct CalcParameters;

// One lineament in grid cells: end points (x right, y down), direction in degrees
// [0, 180) counter-clockwise from +x with y up, length in cells.
struct FoundLineament {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double degrees = 0;
  double length = 0;
};

// Direction (dx, dy) in grid cells with y down, as degrees [0, 180)
// counter-clockwise from +x with y up.
double DirectionDegrees(double dx, double dy);

// The stretch [lo, hi] of the line through (px, py) along the unit direction
// (dx, dy), grid cells with y down, as a lineament.
FoundLineament SegmentAlong(double px, double py, double dx, double dy, double lo, double hi);

// The search settings that the parameters give, in grid cells and degrees.
struct LineamentSettings {
  int halfWidth = 1;             // cells either side of the line; a lineament fills half of this band
  double leastLength = 3;        // shorter alignments are no lineament
  double toleranceDegrees = 11.25;  // a stripe supports lines within this of its direction
  double rhoStep = 1;            // Hough resolution across the lines, cells
  double thetaStep = 1;          // Hough resolution in direction, degrees
  int largestGap = 1;            // unsupported cells bridged along a line
  int usesPerCell = 1;           // how many lineaments one stripe may support
};

// `windowCells` is the rose window in grid cells (the unit of `Part`).
LineamentSettings LineamentSettingsOf(const CalcParameters& params, double windowCells);

// The tiles of the search, in grid cells: tiles of `side` cells start every
// side - overlap cells, so any stretch of a line up to `overlap` long lies whole
// in at least one tile.
struct LineamentTiling {
  int side = 0;
  int overlap = 0;
};

LineamentTiling LineamentTilingOf(const LineamentSettings& settings);

// Finds the lineaments of `stripes` and writes one record per grid cell of each
// (row, column, direction, length in cells, group number 1.., longest first).
// `found` receives the lineaments themselves when given. `step` is told the title
// of each step as it begins (160 laying out the tiles, 161 searching them, 159
// joining and measuring); `progress` runs 0..100 within each step. 0, 3, 11, or
// 17 (grid too large for the records' 16-bit cell addresses).
int FindLineaments(const StripeField& stripes, const LineamentSettings& settings,
                   std::vector<LineamentRecord>& records, std::vector<FoundLineament>* found,
                   const AnalysisProgress& progress, const std::function<void(int titleId)>& step = {});

}  // namespace linea
