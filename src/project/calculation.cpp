#include "project/calculation.h"

#include <vector>

#include "base/app_host.h"
#include "base/checked_alloc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "project/workspace.h"

namespace linea {

namespace {

// The levels of a layer's image: the grey level (green part of the colour) for
// the base raster, the palette index for the blocks and mask rasters, whose
// values are numbers rather than colours.
bool LayerValues(const CImage& image, bool byIndex, std::vector<std::uint8_t>& values) {
  const int w = image.GetWidth(), h = image.GetHeight();
  if (w < 1 || h < 1 || !TryResize(values, std::uint64_t(w) * std::uint64_t(h))) return false;
  const auto& palette = image.Palette();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = image.Row(y);
    std::uint8_t* out = values.data() + std::size_t(y) * std::size_t(w);
    if (image.GetBitsPerPixel() == 8) {
      for (int x = 0; x < w; ++x) out[x] = byIndex ? row[x] : std::uint8_t((palette[row[x]] >> 8) & 0xFF);
    } else {
      const int bytes = image.GetBytesPerPixel();
      for (int x = 0; x < w; ++x) out[x] = row[std::size_t(x) * bytes + 1];
    }
  }
  return true;
}

const CBitmapLayer* BitmapLayer(const CWorkspace& workspace, int nameId) {
  return dynamic_cast<const CBitmapLayer*>(workspace.layerStack.FindLayer(LoadText(nameId)));
}

// A raster of the layer's values when it has the base raster's size.
int ReadLayer(const CWorkspace& workspace, int nameId, bool byIndex, int width, int height,
              std::vector<std::uint8_t>& values, AnalysisRaster& raster) {
  const CBitmapLayer* layer = BitmapLayer(workspace, nameId);
  if (!layer || layer->Image().GetWidth() != width || layer->Image().GetHeight() != height) return 0;
  if (!LayerValues(layer->Image(), byIndex, values)) return kErrorOutOfMemory;
  raster = AnalysisRaster{values.data(), std::size_t(width), width, height};
  return 0;
}

int Failed(CAppHost& host, int code) {
  ShowErrorCode(host, code);
  return code;
}

}  // namespace

int CalculateResults(CWorkspace& workspace, const AnalysisRequest& request) {
  CAppHost& host = workspace.Host();
  if (!request.Any()) return 0;
  const CBitmapLayer* base = BitmapLayer(workspace, kBaseLayerName);
  if (workspace.rosesCombination || workspace.baseImagePath.empty() || !base) return Failed(host, kErrorNoData);
  const int width = base->Image().GetWidth(), height = base->Image().GetHeight();
  std::vector<std::uint8_t> baseValues, blockValues, maskValues;
  AnalysisInputs inputs;
  if (!LayerValues(base->Image(), false, baseValues)) return Failed(host, kErrorOutOfMemory);
  inputs.base = AnalysisRaster{baseValues.data(), std::size_t(width), width, height};
  inputs.imageType = workspace.imageType;
  inputs.sourcePath = workspace.baseImagePath;
  if (request.blockRoses && !workspace.blocksImagePath.empty())
    if (int code = ReadLayer(workspace, kBlocksLayerName, true, width, height, blockValues, inputs.blocks))
      return Failed(host, code);
  if (workspace.params.UseMask)
    if (int code = ReadLayer(workspace, kMaskLayerName, true, width, height, maskValues, inputs.mask))
      return Failed(host, code);

  AnalysisFeedback feedback;
  bool begun = false;
  feedback.stage = [&](int titleId) {
    if (!begun) host.BeginProgress(LoadText(titleId), 100);
    else host.SetProgressTitle(LoadText(titleId));
    begun = true;
  };
  feedback.progress = [&](int percent) { return host.SetProgress(percent); };
  const int code = RunAnalysis(workspace.results, workspace.params, inputs, request, feedback);
  if (begun) host.EndProgress();
  if (code) return Failed(host, code);

  // Shown result layers follow the new results; those whose result is gone go.
  struct Shown {
    int nameId;
    bool present;
    int (CWorkspace::*show)();
  };
  const CResults& r = workspace.results;
  for (const Shown& s : {Shown{kStripesLayerName, r.hasStripes, &CWorkspace::ShowStripesLayer},
                         Shown{kGlobalRoseLayerName, r.hasGlobalRose, &CWorkspace::ShowGlobalRoseLayer},
                         Shown{kBlockRosesLayerName, r.hasBlockRoses, &CWorkspace::ShowBlockRosesLayer}}) {
    CLayer* layer = workspace.layerStack.FindLayer(LoadText(s.nameId));
    if (!layer) continue;
    if (s.present) (workspace.*s.show)();
    else workspace.layerStack.RemoveLayer(layer);
  }
  host.SetModified(true);
  host.RefreshLayersBar();
  workspace.UpdateCalcPanel();
  return 0;
}

}  // namespace linea
