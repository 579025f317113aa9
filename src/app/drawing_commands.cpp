#include "app/drawing_commands.h"

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/messages.h"
#include "layers/band_layer.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "project/line_widths.h"
#include "project/workspace.h"
#include "ui/drawing_dialog.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/line_width_dlg.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"

namespace linea {

namespace {

constexpr int kCannotDoOperation = 32811;  // "Не удается выполнить операцию."

CommandState Enabled(bool on) { return CommandState{on, std::nullopt}; }
CLayer* Selected(CImageViewerApp& app) { return app.Frame().LayersBar().SelectedLayer(); }

// The colour a layer shows now, offered first by the colour dialog (0x00BBGGRR).
std::uint32_t CurrentColorOf(const CLayer& layer) {
  if (const auto* vector = dynamic_cast<const CVectorLayer*>(&layer))
    return vector->Image().GetColorFromIndex(vector->GetColorIndex());
  if (const auto* band = dynamic_cast<const CColorBandLayer*>(&layer)) {
    for (int i = 0; i < 256; ++i)
      if (band->used[std::size_t(i)] && (band->red[std::size_t(i)] | band->green[std::size_t(i)] | band->blue[std::size_t(i)]))
        return MakeColor(band->red[std::size_t(i)], band->green[std::size_t(i)], band->blue[std::size_t(i)]);
  }
  return DrawingColor(layer).value_or(0);
}

bool IsDrawingWithLines(const CLayer* layer) { return layer != nullptr && LayerLineWidth(*layer) != 0; }

int VisibleDrawingCount(const CLayerStack& stack) {
  int count = 0;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    const CLayer* layer = stack.LayerAt(i);
    if (layer->IsVisible() && layer->GetKind() == kLayerKindVector3) ++count;
  }
  return count;
}

}  // namespace

CDrawing& DrawingDialog(CImageViewerApp& app) {
  CMainFrame& frame = app.Frame();
  if (auto* existing = frame.findChild<CDrawing*>(QString(), Qt::FindDirectChildrenOnly)) return *existing;
  auto* dialog = new CDrawing(frame, app.Host());
  QObject::connect(dialog, &CDrawing::toolStateChanged, &app.Commands(), &CCommandTable::UpdateCommandStates);
  return *dialog;
}

void OpenDrawing(CImageViewerApp& app) {
  if (!DrawingState(app).enabled) return;
  DrawingDialog(app).Open();
}

CommandState DrawingState(CImageViewerApp& app) {
  const CResults& results = app.Workspace().results;
  return Enabled(results.imageWidth != 0 && results.imageHeight != 0 && !app.Frame().ToolWindows().AnyEditorOpen());
}

void EditLineWidths(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  const LineWidthSettings before = LineWidthsOf(workspace);
  CLineWidthDlg dialog(&app.Frame(), app.Host(), before);
  dialog.onAutomaticToggled = [&workspace](bool on) { workspace.lineWidthScaling = on; };
  const bool accepted = app.Host().ExecDialog(dialog) == QDialog::Accepted;
  // A click on the switch is stored even when the dialog is cancelled; the picture
  // follows it then too.
  const LineWidthSettings after =
      accepted ? dialog.Values() : LineWidthSettings{workspace.lineWidthScaling, before.lineWidth, before.defaultLineWidth};
  if (ApplyLineWidths(workspace, before, after)) app.View().Refresh();
  // The widths are kept in the project file.
  if (after != before) app.Document().SetModifiedFlag(true);
}

CommandState LineWidthsState(CImageViewerApp& app) { return Enabled(!app.Workspace().baseImagePath.empty()); }

void ChangeLayerColor(CImageViewerApp& app) {
  CLayer* layer = Selected(app);
  if (!ChangeLayerColorState(app).enabled) return;
  const std::optional<std::uint32_t> colour = app.Host().ChooseColor(CurrentColorOf(*layer));
  if (!colour) return;
  if (auto* vector = dynamic_cast<CVectorLayer*>(layer))
    vector->SetSingleColor(*colour);
  else if (auto* band = dynamic_cast<CColorBandLayer*>(layer))
    band->SetBandColor(*colour);
  else
    SetDrawingColor(*layer, *colour);
  layer->MarkChanged();
  app.View().Refresh();
}

CommandState ChangeLayerColorState(CImageViewerApp& app) {
  const CLayer* layer = Selected(app);
  if (layer == nullptr) return Enabled(false);
  const int kind = layer->GetKind();
  return Enabled(kind == kLayerKindVector || kind == kLayerKindBand || IsDrawingWithLines(layer));
}

void ChangeLayerWidth(CImageViewerApp& app) {
  CLayer* layer = Selected(app);
  if (!IsDrawingWithLines(layer)) return;
  const std::optional<std::string> text = app.Host().AskLineWidth(LayerLineWidth(*layer));
  if (!text) return;
  const std::optional<int> width = ReadLineWidth(app.Host(), *text, kWidthParameter);
  if (!width) return;
  SetDrawingWidth(*layer, *width);
  app.View().Refresh();
}

CommandState ChangeLayerWidthState(CImageViewerApp& app) { return Enabled(IsDrawingWithLines(Selected(app))); }

bool MergeDrawingsCommand(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  // Hidden drawings stay out of a merge; with fewer than two shown there is nothing to merge.
  if (VisibleDrawingCount(workspace.layerStack) < 2) {
    ShowError(app.Host(), kCannotDoOperation);
    return false;
  }
  if (!workspace.MergeDrawings()) return false;
  app.Commands().UpdateCommandStates();
  return true;
}

void InstallDrawingCommands(CImageViewerApp& app) {
  CLayersBar& bar = app.Frame().LayersBar();
  bar.mergeDrawings = [&app] { return MergeDrawingsCommand(app); };
  bar.Refill();
}

}  // namespace linea
