#pragma once
// "Расчет" on a workspace: the search over its base raster, with the progress
// window and its Cancel, then the flags, marks and result layers brought up to
// date. Shared by the main window and linea-cli.

#include "analysis/analysis_run.h"

namespace linea {

class CWorkspace;

// Runs the request over the workspace's base raster (its blocks for block roses,
// its mask when UseMask is set). A failure is shown with its message and leaves
// the results as they were (11 when the user cancelled). On success the document
// is modified, the calculation panel updated and the shown result layers rebuilt.
// 17 without a base raster or in rose-combination mode; 0 for an empty request.
int CalculateResults(CWorkspace& workspace, const AnalysisRequest& request);

}  // namespace linea
