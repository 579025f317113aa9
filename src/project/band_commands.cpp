// The workspace's entry points of the lineament maps and of the layers derived
// from a class map: isolines, colour bands and extremum bands.

#include "base/messages.h"
#include "base/string_table.h"
#include "layers/raster_layer.h"
#include "project/host_progress.h"
#include "project/workspace.h"
#include "results/bands.h"
#include "results/isolines.h"
#include "results/lineaments.h"

namespace linea {
namespace {
constexpr int kRoseMapLayerName = 130;       // "Розы %d"
constexpr int kLineamentsLayerName = 131;    // "Линеаменты %d"
constexpr int kIsolinesTitle = 2111;         // "Изолинии"

int Reported(CAppHost& host, int code) {
  if (code != 0) ShowErrorCode(host, code);
  return code;
}
}  // namespace

std::string CWorkspace::LastRoseMapName() const {
  return FormatText(LoadText(kRoseMapLayerName).c_str(), roseMapCounter);
}

int CWorkspace::ShowLineamentsMap(bool newLayer) {
  if (!results.hasLineaments) return 0;
  const int counter = newLayer ? lineamentMapCounter + 1 : lineamentMapCounter;
  const std::string name = FormatText(LoadText(kLineamentsLayerName).c_str(), counter);
  // What the build writes back, kept for a Cancel.
  const CalcParameters paramsBefore = params;
  const CLineamentSelection selectionBefore = lineamentSelection;
  CHostProgress progress(*host_, name);
  const int code = BuildLineamentsLayer(results, lineamentSelection, layerStack, name, params, defaultLineWidth,
                                        progress.Report());
  progress.End();
  if (code == kErrorStopped) {
    params = paramsBefore;
    lineamentSelection = selectionBefore;
    return code;
  }
  lineamentMapCounter = counter;
  return Reported(*host_, code);
}

int CWorkspace::ShowIsolines(const std::string& sourceName) {
  const std::string source = sourceName.empty() ? LastRoseMapName() : sourceName;
  if (!dynamic_cast<CRasterLayer*>(layerStack.FindLayer(source))) return Reported(*host_, 2);
  const auto name = host_->AskLayerName(source + "_");
  if (!name) return 0;
  CHostProgress progress(*host_, LoadText(kIsolinesTitle));
  const int code = BuildIsolinesLayer(results, layerStack, source, *name, defaultLineWidth, progress.Report());
  progress.End();
  // Cancelled: nothing added, nothing to say.
  return code == kErrorStopped ? code : Reported(*host_, code);
}

int CWorkspace::ShowBandLayer(const std::string& sourceName, const ColorBandDialogValues& values) {
  const auto* map = dynamic_cast<CRasterLayer*>(layerStack.FindLayer(sourceName));
  if (!map) return Reported(*host_, 2);
  const BandParameters band = BandParametersFromDialog(values, *map);
  const auto name = host_->AskLayerName(sourceName + (values.bandMode ? "#" : "*"));
  if (!name) return 0;
  if (values.bandMode) return Reported(*host_, BuildColorBandLayer(results, layerStack, sourceName, *name, band));
  return Reported(*host_, BuildExtremumBandLayer(results, layerStack, sourceName, *name, band, lastRoseGrid));
}

namespace {
// The dialog's values over the class map `source` as the batch entry points set them:
// the band of params.bandFrom .. bandTo, checked like the dialog checks them.
template <typename Preset>
int ShowCheckedBand(CWorkspace& workspace, const std::string& source, Preset preset) {
  const auto* map = dynamic_cast<CRasterLayer*>(workspace.layerStack.FindLayer(source));
  if (!map) return Reported(workspace.Host(), 2);
  ColorBandDialogValues values = OpenColorBandDialog(*map);
  preset(values);
  values.from = workspace.params.bandFrom;
  values.to = workspace.params.bandTo;
  if (const auto failure =
          CheckColorBandDialog(values, workspace.results.imageWidth, workspace.results.imageHeight)) {
    ShowError(workspace.Host(), failure->message);
    return 1;
  }
  return workspace.ShowBandLayer(source, values);
}
}  // namespace

int CWorkspace::ShowColorBand(const std::string& sourceName, std::uint32_t color) {
  return ShowCheckedBand(*this, sourceName.empty() ? LastRoseMapName() : sourceName,
                         [&](ColorBandDialogValues& values) { values.color = color; });
}

int CWorkspace::ShowExtremumBand(bool maxima, int width, double range, const std::string& sourceName,
                                 std::uint32_t color) {
  return ShowCheckedBand(*this, sourceName.empty() ? LastRoseMapName() : sourceName,
                         [&](ColorBandDialogValues& values) {
                           values.bandMode = false;
                           values.color = color;
                           values.maxima = maxima;
                           values.width = width;
                           values.range = range;
                         });
}

}  // namespace linea
