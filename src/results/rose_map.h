#pragma once
// Rose-field maps: one measure per window rose, interpolated to every pixel, cut
// into classes by a scaling mode and coloured by a stepped palette; and, through
// the same entry point, the vector and line kinds drawn as polylines.

#include <cstdint>
#include <string>

#include "results/build_progress.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {

class CLayerStack;

// Measured values are held in 1..kRoseValueLimit - 1; a larger one is clamped.
inline constexpr int kRoseValueLimit = 800000;

// True for the kinds drawn as polylines: z, v, u, q, x, y.
bool IsRoseVectorKind(int kindCode);

// The value range mapped onto the classes, the number of classes n and the scale
// (classes per value unit beyond the first).
struct RoseClassScale {
  std::int64_t lo = 0;
  std::int64_t hi = 0;
  int classes = 0;
  double scale = 1.0;
};
// Class of a value: 0 for 0 (no value), 1 up to lo, n from hi on, and
// trunc((v - lo) scale + 1) between.
int RoseValueClass(std::int64_t value, const RoseClassScale& scale);

// Builds the map of the kind `params.mapKind` from the window roses of `results` and
// adds it to `stack` as `name`, replacing a layer of that name. Writes Min and Max
// (and From and To in the AUTO, NO and PERCENT modes) back into `params`; the line
// width is that of the vector and line kinds. `progress` (when given) hears the
// fraction done; when it answers false the build stops with 11, leaving `stack` and
// `params` as they were. 0; 3 out of memory; 11 stopped; 12 no rose grid; 17 no rose
// with a value.
int BuildRoseMapLayer(const CResults& results, CLayerStack& stack, std::string name, CalcParameters& params,
                      bool combinedRoses, int lineWidth = 1, const BuildProgress& progress = nullptr);

// The description of a map of `params.mapKind` built with these parameters.
std::string RoseMapDescription(const CResults& results, const CalcParameters& params, bool combinedRoses);

}  // namespace linea
