#include "app/calculation_commands.h"

#include "app/image_viewer_app.h"
#include "project/calculation.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/ws_dialog_bar.h"

namespace linea {

void Calculate(CImageViewerApp& app) {
  if (!CalculateState(app).enabled) return;
  // A failure or a cancel has been shown inside and changed nothing.
  if (CalculateResults(app.Workspace(), app.Frame().CalcBar().Request()) != 0) return;
  app.UpdateTitle();
  app.View().Refresh();
}

CommandState CalculateState(CImageViewerApp& app) {
  const CWorkspace& workspace = app.Workspace();
  const bool on = !workspace.rosesCombination && !workspace.baseImagePath.empty() &&
                  app.Frame().CalcBar().Request().Any();
  return CommandState{on, std::nullopt};
}

}  // namespace linea
