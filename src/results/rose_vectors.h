#pragma once
// The vector and line kinds of the rose maps: small rose polygons (z), direction
// bars of elongation, main direction and rose edge (v, u, q), and flow lines along
// the elongation axis or across it (x, y).

#include <cstdint>
#include <span>

#include "results/build_progress.h"
#include "results/results.h"
#include "results/rose_measures.h"

namespace linea {

class CVectorLayer3;

// Flow lines are blue, every other vector kind red (0x00BBGGRR).
inline constexpr std::uint32_t kFlowLineBlue = 0x00FF0000;

struct RoseVectorSettings {
  int kind = 'v';  // z, v, u, q, x or y
  int roseWindow = 64;
  int vectorStep = 2;  // every n-th rose of the vector kinds
  int roseStep = 4;    // every n-th rose of the roses
  int lineStep = 2;    // every n-th rose seeds flow lines
  double roseSize = 1.0;
  double vectorSize = 1.0;
  bool localNormalisation = false;
  bool globalNormalisation = false;
  double minElongation = 1.0;
  double minDensity = 0.0;
  std::uint32_t color = 0x000000FF;
  int lineWidth = 1;
};

// The elongation below which flow lines stop: min(1, minElongation / rw x 4.5) up to
// a rose window of 150, with 6.5 beyond.
double FlowLineThreshold(double minElongation, int roseWindow);

// Draws the kind's figures from the window roses of `results` into `layer`.
// 0; 12 without a rose grid; 3 when memory runs out; 11 when `progress` (hearing
// the fraction of rose rows drawn) answered false.
int DrawRoseVectors(const CResults& results, CVectorLayer3& layer, const RoseVectorSettings& settings,
                    const BuildProgress& progress = nullptr);

// Flow lines of kind x (along the axis) or y (across it) over a width x height
// image, seeded at every lineStep-th rose row and column; lines stop where they
// meet a traced one, so no two share more than that pixel. 0, 3 out of memory, or
// 11 when `progress` (the fraction of seed rows traced) answered false.
int TraceAxisLines(const RoseMeasureContext& context, int width, int height, int kind, int lineStep,
                   double threshold, CVectorLayer3& layer, std::uint32_t color, int lineWidth,
                   const BuildProgress& progress = nullptr);

// Marks the cells of the segment (x0, y0) - (x1, y1), both ends included, in a
// width x height raster of bytes (row 0 at the top) with `value`; cells outside
// the raster, or beyond what `raster` holds, are left alone.
void MarkSegment(std::span<std::uint8_t> raster, int width, int height, int x0, int y0, int x1, int y1,
                 std::uint8_t value = 1);

}  // namespace linea
