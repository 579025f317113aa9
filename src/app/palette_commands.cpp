#include "app/palette_commands.h"

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/messages.h"
#include "layers/raster_layer.h"
#include "project/palette_rules.h"
#include "project/workspace.h"
#include "results/rose_map_palette.h"
#include "ui/color_band_dlg.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/lineaments_param_bar.h"
#include "ui/main_frame.h"
#include "ui/palette_settings_dlg.h"
#include "ui/qt_app_host.h"
#include "ui/roses_param_bar.h"

namespace linea {

namespace {

constexpr std::uint32_t kRed = 0x0000FF;

// The selected layer when it is a class map (band layers are of their own kind).
CRasterLayer* SelectedClassMap(CImageViewerApp& app) {
  CLayer* layer = app.Frame().LayersBar().SelectedLayer();
  if (layer == nullptr || layer->GetKind() != kLayerKindRaster) return nullptr;
  return dynamic_cast<CRasterLayer*>(layer);
}

// After a layer was added: the list shows it, the source map stays selected (a new
// layer given the source's name has replaced it), and the picture is composed again.
void AfterLayerAdded(CImageViewerApp& app, const std::string& source) {
  CLayersBar& bar = app.Frame().LayersBar();
  bar.Refill();
  if (const CLayer* map = app.Workspace().layerStack.FindLayer(source)) bar.SelectLayer(map);
  app.View().Refresh();
}

}  // namespace

void EditDefaultPalette(CImageViewerApp& app) {
  CalcParameters& params = app.Workspace().params;
  CPaletteSettingsDlg dialog(&app.Frame(), app.Host(), DefaultPaletteSettings(params));
  if (app.Host().ExecDialog(dialog) != QDialog::Accepted) return;
  SetDefaultPaletteSettings(params, dialog.Settings());
}

void EditLayerPalette(CImageViewerApp& app) {
  CRasterLayer* map = SelectedClassMap(app);
  if (map == nullptr) return;
  CPaletteSettingsDlg dialog(&app.Frame(), app.Host(), MapPaletteSettings(*map), map);
  if (app.Host().ExecDialog(dialog) != QDialog::Accepted) return;
  const PaletteSettings settings = dialog.Settings();
  const int code = RecolourRoseMap(app.Workspace().layerStack, map->GetName(), settings.steps,
                                   settings.equalPopulation, settings.paletteKind, settings.brightness);
  if (code != 0) ShowErrorCode(app.Host(), code);
  app.View().Refresh();
}

void ShowLayerIsolines(CImageViewerApp& app) {
  const CRasterLayer* map = SelectedClassMap(app);
  if (map == nullptr) return;
  const std::string source = map->GetName();
  {
    CWaitCursor wait;
    if (app.Workspace().ShowIsolines(source) != 0) return;  // shown by its code
  }
  AfterLayerAdded(app, source);
}

void ShowLayerColorBand(CImageViewerApp& app) {
  const CRasterLayer* map = SelectedClassMap(app);
  if (map == nullptr) return;
  CWorkspace& workspace = app.Workspace();
  const std::string source = map->GetName();
  CColorBand dialog(&app.Frame(), app.Host(), OpenColorBandDialog(*map), workspace.results.imageWidth,
                    workspace.results.imageHeight);
  if (app.Host().ExecDialog(dialog) != QDialog::Accepted) return;
  {
    CWaitCursor wait;
    if (workspace.ShowBandLayer(source, dialog.Values()) != 0) return;
  }
  AfterLayerAdded(app, source);
}

CommandState ClassMapSelectedState(CImageViewerApp& app) {
  return CommandState{SelectedClassMap(app) != nullptr, std::nullopt};
}

void ChooseRoseMapColour(CImageViewerApp& app) {
  CalcParameters& params = app.Workspace().params;
  const auto colour = app.Host().ChooseColor(params.roseMapColourSet ? params.roseMapColour : kRed);
  if (!colour) return;
  params.roseMapColour = *colour;
  params.roseMapColourSet = true;
  app.Frame().RosesBar().SetColour(*colour);
  app.Document().SetModifiedFlag(true);
}

void ChooseLineamentColour(CImageViewerApp& app) {
  CalcParameters& params = app.Workspace().params;
  const auto colour = app.Host().ChooseColor(params.lineamentColour);
  if (!colour) return;
  params.lineamentColour = *colour;
  app.Frame().LineamentsBar().SetColour(*colour);
  app.Document().SetModifiedFlag(true);
}

}  // namespace linea
