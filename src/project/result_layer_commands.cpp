// The workspace's entry points of the result layers: each checks that its results
// are present, builds the layer under its fixed name with the workspace's
// parameters and shows a failure by its code.

#include "base/field_kinds.h"
#include "base/messages.h"
#include "base/layer_names.h"
#include "base/string_table.h"
#include "layers/elevation_model.h"
#include "project/host_progress.h"
#include "project/workspace.h"
#include "results/rose_layers.h"
#include "results/rose_map.h"
#include "results/stripes_layer.h"

namespace linea {
namespace {
constexpr int kRoseMapLayerName = 130;  // "Розы %d"

int Reported(CAppHost& host, int code) {
  if (code != 0) ShowErrorCode(host, code);
  return code;
}
}  // namespace

int CWorkspace::ShowStripesLayer() {
  if (!results.hasStripes) return 0;
  return Reported(*host_, BuildStripesLayer(results, layerStack, LoadText(kStripesLayerName), params));
}

int CWorkspace::ShowGlobalRoseLayer() {
  if (!results.hasGlobalRose) return 0;
  return Reported(*host_,
                  BuildGlobalRoseLayer(results, layerStack, LoadText(kGlobalRoseLayerName), params, defaultLineWidth));
}

int CWorkspace::ShowBlockRosesLayer() {
  if (!results.hasBlockRoses) return 0;
  return Reported(*host_, BuildBlockRosesLayer(results, layerStack, LoadText(kBlockRosesLayerName), params,
                                               blocksImagePath, defaultLineWidth));
}

int CWorkspace::ShowHighlightLayer() {
  if (results.imageType != 3) return 0;
  return Reported(*host_, BuildHighlightLayer(layerStack, LoadText(kHighlightLayerName), results.descentGrid,
                                              int(results.imageWidth), int(results.imageHeight), results.sourcePath));
}

int CWorkspace::ShowRoseMap(bool newLayer) {
  if (!results.hasWindowRoses) return 0;
  const int counter = newLayer ? roseMapCounter + 1 : roseMapCounter;
  const std::string name = FormatText(LoadText(kRoseMapLayerName).c_str(), counter);
  // The progress window carries the kind's name, as the rose panel lists it.
  const int kind = MapKindIndex(char(params.mapKind >= 1 && params.mapKind <= 8 ? '0' + params.mapKind
                                                                                 : params.mapKind));
  CHostProgress progress(*host_, kind < 0 ? name : LoadText(FieldKindNameIds()[std::size_t(kind)]));
  const int code =
      BuildRoseMapLayer(results, layerStack, name, params, rosesCombination, defaultLineWidth, progress.Report());
  progress.End();
  // Cancelled: no new map, the project as it was.
  if (code == kErrorStopped) return code;
  roseMapCounter = counter;
  lastRoseGrid = CurrentRoseGrid(results);
  return Reported(*host_, code);
}

}  // namespace linea
