#pragma once
// Lineaments: long straight alignments of stripes, found by a Hough transform
// restricted to each stripe's own direction, then checked cell by cell along the
// candidate line.

#include <cstdint>
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

// Finds the lineaments of `stripes` and writes one record per grid cell of each
// (row, column, direction, length in cells, group number 1..). `found` receives
// the lineaments themselves when given. 0, 3, 11, or 17 (grid too large for the
// records' 16-bit cell addresses).
int FindLineaments(const StripeField& stripes, const LineamentSettings& settings,
                   std::vector<LineamentRecord>& records, std::vector<FoundLineament>* found,
                   const AnalysisProgress& progress);

}  // namespace linea
