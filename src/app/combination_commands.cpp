#include "app/combination_commands.h"

#include <QDialog>
#include <QDockWidget>

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/messages.h"
#include "layers/layer.h"
#include "project/workspace.h"
#include "results/combination_ops.h"
#include "ui/add_layers_dlg.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"
#include "ui/roses_combine_dlg.h"

namespace linea {

namespace {

// The layers of a project opened from a file were built on its geometry; roses of
// another size make a new project, so the open one is offered for saving first
// (and a later "Сохранить" cannot write the combination over it).
bool LeaveProjectOfOtherSize(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  if (app.Document().PathName().empty() || workspace.combinedProjects.empty()) return true;
  const CombinedProject& first = workspace.combinedProjects.front();
  if (std::int64_t(first.width) == std::int64_t(workspace.results.imageWidth) &&
      std::int64_t(first.height) == std::int64_t(workspace.results.imageHeight))
    return true;
  return app.Host().RunNewDocument();
}

// The window after the roses changed: the view follows the new geometry, the
// layers bar the stack, and the rose panel is offered for building maps.
void ShowCombinedRoses(CImageViewerApp& app) {
  CMainFrame& frame = app.Frame();
  CLayerStack& stack = app.Workspace().layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i) stack.LayerAt(i)->MarkChanged();
  app.View().OnDocumentUpdate();
  frame.LayersBar().Refill();
  frame.LineamentsDock().hide();
  frame.RosesDock().show();
  app.View().Refresh();
}

}  // namespace

bool CombineFromPanel(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  const CRosesCombineDlg& panel = app.Frame().CombineBar();
  const bool unionMode = panel.UnionMode();
  if (const int message = CombinationCountMessage(unionMode, workspace.combinedProjects.size())) {
    ShowError(app.Host(), message);
    return false;
  }
  if (!LeaveProjectOfOtherSize(app)) return false;
  int code;
  {
    CWaitCursor wait;
    code = workspace.CombineRoses(unionMode, panel.Normalisation());
  }
  if (code != 0) {
    // The earlier roses may be gone; what the window shows follows the workspace.
    app.Frame().LayersBar().Refill();
    app.View().Refresh();
    return false;
  }
  app.Document().SetModifiedFlag(true);
  ShowCombinedRoses(app);
  return true;
}

void AddFieldsCommand(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  CAddLayers dialog(&app.Frame(), FieldAdditionCandidates(workspace.layerStack));
  // The workspace asks for the new map's name itself, so no wait cursor here.
  dialog.addFields = [&workspace](const std::vector<std::string>& plus, const std::vector<std::string>& minus) {
    workspace.AddFieldLayers(plus, minus);
  };
  app.Host().ExecDialog(dialog);
  app.Frame().LayersBar().Refill();
  app.View().Refresh();
}

CommandState AddFieldsState(CImageViewerApp& app) {
  const CLayerStack& stack = app.Workspace().layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i)
    if (stack.LayerAt(i)->GetKind() == kLayerKindRaster) return CommandState{true, std::nullopt};
  return CommandState{false, std::nullopt};
}

}  // namespace linea
