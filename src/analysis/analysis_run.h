#pragma once
// The whole search behind "Расчет": the stages a request asks for, run over the
// base raster into a results holder. The holder changes only when every stage
// succeeded, so a stopped or failed search leaves the previous results as they
// were.

#include <cstdint>
#include <functional>
#include <string>

#include "analysis/analysis_types.h"

namespace linea {

class CResults;
struct CalcParameters;

// Which results to compute (the four switches of the calculation panel).
struct AnalysisRequest {
  bool stripes = false;
  bool blockRoses = false;
  bool windowRoses = false;
  bool lineaments = false;
  bool Any() const { return stripes || blockRoses || windowRoses || lineaments; }
};

// The rasters of the project, all of the base raster's size except where absent.
struct AnalysisInputs {
  AnalysisRaster base;     // grey levels, or heights of an elevation model
  AnalysisRaster blocks;   // block numbers; needed for block roses
  AnalysisRaster mask;     // 0 = analysed; used when UseMask is set
  std::uint8_t imageType = 1;  // 3 = elevation model
  std::string sourcePath;
};

// Progress of the search: `stage(stringId)` names each stage by its title string
// (152 relief, 154 stripes, 155 roses, 156/157/202 lineaments by passes, then
// their steps 160, 161, 159);
// `progress` as for the stages.
struct AnalysisFeedback {
  std::function<void(int titleId)> stage;
  AnalysisProgress progress;
};

// Runs the request. 0, or the first failure: 3 no memory, 8 no memory for
// lineaments, 11 stopped, 12 no rose grid, 13 no stripes to work from, 14 no
// blocks, 17 no base raster or an empty grid.
int RunAnalysis(CResults& results, const CalcParameters& params, const AnalysisInputs& inputs,
                const AnalysisRequest& request, const AnalysisFeedback& feedback);

}  // namespace linea
