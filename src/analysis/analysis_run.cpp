#include "analysis/analysis_run.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/lineament_search.h"
#include "analysis/rose_counts.h"
#include "analysis/stripe_search.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace linea {

namespace {

constexpr int kTitleRelief = 152;
constexpr int kTitleStripes = 154;
constexpr int kTitleRoses = 155;
constexpr int kTitleLineamentsSingle = 156;
constexpr int kTitleLineamentsDouble = 157;
constexpr int kTitleLineamentsMultiple = 202;

}  // namespace

int RunAnalysis(CResults& results, const CalcParameters& params, const AnalysisInputs& inputs,
                const AnalysisRequest& request, const AnalysisFeedback& feedback) {
  auto stage = [&](int title) {
    if (feedback.stage) feedback.stage(title);
  };
  const double rate = std::max(1.0, params.Rate);
  const bool useMask = params.UseMask && inputs.mask.Present();
  const AnalysisRaster* mask = useMask ? &inputs.mask : nullptr;

  // Everything is computed into these and moved into `results` at the end.
  StripeField stripes;
  std::vector<std::uint8_t> classes;
  if (request.stripes) {
    if (!inputs.base.Present()) return kErrorNoData;
    const std::uint32_t gridWidth = std::uint32_t(double(std::uint32_t(inputs.base.width)) / rate);
    const std::uint32_t gridHeight = std::uint32_t(double(std::uint32_t(inputs.base.height)) / rate);
    if (gridWidth == 0 || gridHeight == 0) return kErrorNoData;
    const bool relief = inputs.imageType == 3;
    stage(relief ? kTitleRelief : kTitleStripes);
    const int code = relief ? FindReliefStripes(inputs.base, mask, params, gridWidth, gridHeight, stripes,
                                                feedback.progress)
                            : FindImageStripes(inputs.base, mask, params, gridWidth, gridHeight, stripes,
                                               feedback.progress);
    if (code) return code;
  } else if (request.Any()) {
    if (!results.hasStripes || results.stripeCodes.size() < results.GridCellCount() ||
        results.GridCellCount() == 0)
      return kErrorNoStripes;
    stripes.gridWidth = results.gridWidth;
    stripes.gridHeight = results.gridHeight;
    stripes.codes = results.stripeCodes;
  }
  if (!TryResize(classes, stripes.codes.size())) return kErrorOutOfMemory;
  for (std::size_t i = 0; i < classes.size(); ++i) classes[i] = StripeClassOfCode(stripes.codes[i]);

  std::vector<BlockRose> blockRoses;
  std::vector<std::uint16_t> windowRoses;
  if (request.blockRoses || request.windowRoses) stage(kTitleRoses);
  if (request.blockRoses) {
    if (!inputs.blocks.Present()) return kErrorNoBlocks;
    if (int code = CountBlockRoses(classes, stripes.gridWidth, stripes.gridHeight, rate, inputs.blocks, blockRoses,
                                   feedback.progress))
      return code;
  }
  if (request.windowRoses) {
    std::vector<std::uint8_t> usable;
    if (useMask)
      if (int code = UsableCells(inputs.mask, rate, stripes.gridWidth, stripes.gridHeight, usable)) return code;
    const double share = useMask ? params.Filled_Out : params.Filled_In;
    if (int code = CountWindowRoses(classes, usable, stripes.gridWidth, stripes.gridHeight,
                                    std::max(0, params.rose_wind) / rate, std::clamp(share, 0.0, 1.0),
                                    windowRoses, feedback.progress))
      return code;
  }
  std::vector<LineamentRecord> lineaments;
  if (request.lineaments) {
    stage(params.Calck == 0 ? kTitleLineamentsSingle
                            : (params.Calck == 1 ? kTitleLineamentsDouble : kTitleLineamentsMultiple));
    const LineamentSettings settings = LineamentSettingsOf(params, std::max(0, params.rose_wind) / rate);
    if (int code = FindLineaments(stripes, settings, lineaments, nullptr, feedback.progress, feedback.stage)) return code;
  }

  // Commit. New stripes make every result derived from the old ones stale.
  if (request.stripes) {
    if (!request.blockRoses) {
      results.blockRoses.clear();
      results.hasBlockRoses = false;
    }
    if (!request.windowRoses) results.ClearWindowRoses();
    if (!request.lineaments) {
      results.lineaments.clear();
      results.hasLineaments = false;
    }
    results.SetGridFromRate(rate);
    results.gridWidth = stripes.gridWidth;
    results.gridHeight = stripes.gridHeight;
    results.stripeCodes = std::move(stripes.codes);
    results.DeriveStripeClasses();
    results.hasStripes = true;
    results.stripesReplaced = false;
    results.hasGlobalRose = results.ComputeGlobalRose() == 0;
    results.sourcePath = inputs.sourcePath;
  }
  if (request.blockRoses) {
    results.blockRoses = std::move(blockRoses);
    results.hasBlockRoses = true;
  }
  if (request.windowRoses) {
    results.windowRoses = std::move(windowRoses);
    results.hasWindowRoses = true;
  }
  if (request.lineaments) {
    results.lineaments = std::move(lineaments);
    results.hasLineaments = true;
  }
  return 0;
}

}  // namespace linea
