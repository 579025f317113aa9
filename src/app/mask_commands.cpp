#include "app/mask_commands.h"

#include <QDir>

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/raster_export.h"
#include "project/mask_editing.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/mask_range.h"
#include "ui/qt_app_host.h"

namespace linea {

namespace {

constexpr int kSaveMaskQuestion = 32851;  // "Сохранить ли изображение маски?"
constexpr int kCannotWriteFile = 32835;   // "Не удается записать файл."

bool HasMask(CImageViewerApp& app) { return app.Workspace().layerStack.FindLayer(LoadText(kMaskLayerName)) != nullptr; }

// Writes the mask through the raster save dialog. False when the user cancelled
// or the file could not be written (then told); the recorded path follows a
// successful save only.
bool SaveMaskBeforeDeleting(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  FileDialogRequest request;
  request.filter = RasterSaveFilter();
  request.initialFolder = QDir::currentPath().toStdString();
  request.proposedName = FileTitle(workspace.baseImagePath) + "_";
  const auto chosen = app.Host().GetSaveFileName(request);
  if (!chosen) return false;
  int saved;
  {
    CWaitCursor wait;
    saved = SaveLayerRaster(workspace.layerStack, chosen->path, chosen->filterIndex, LoadText(kMaskLayerName));
  }
  if (saved != kSaveLayerSaved) {
    ShowError(app.Host(), LoadText(kCannotWriteFile), chosen->path);
    return false;
  }
  workspace.maskImagePath = chosen->path;
  return true;
}

}  // namespace

void CreateMaskCommand(CImageViewerApp& app) {
  const int code = CreateMask(app.Workspace().layerStack);
  if (code != 0) {
    // Without a source image there is nothing to make a mask of; other failures are told.
    if (code != kMaskNothingToDo) ShowErrorCode(app.Host(), code);
    return;
  }
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
  CMaskRange::Open(app.Frame(), app.Host());
}

void EditMaskCommand(CImageViewerApp& app) { CMaskRange::Open(app.Frame(), app.Host()); }

void InvertMaskCommand(CImageViewerApp& app) {
  if (InvertMask(app.Workspace().layerStack) != 0) return;
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
}

void DeleteMaskCommand(CImageViewerApp& app) {
  CWorkspace& workspace = app.Workspace();
  if (AskWarningQuestion(app.Host(), LoadText(kSaveMaskQuestion))) {
    if (!SaveMaskBeforeDeleting(app)) return;
  } else {
    workspace.maskImagePath.clear();
  }
  if (DeleteMask(workspace) != 0) return;
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
}

CommandState CreateMaskState(CImageViewerApp& app) {
  const bool anyLayer = app.Workspace().layerStack.LayerCount() > 0;
  return CommandState{anyLayer && !HasMask(app) && !app.Frame().ToolWindows().AnyEditorOpen(), std::nullopt};
}

CommandState EditMaskState(CImageViewerApp& app) {
  return CommandState{HasMask(app) && !app.Frame().ToolWindows().AnyEditorOpen(), std::nullopt};
}

CommandState MaskExistsState(CImageViewerApp& app) { return CommandState{HasMask(app), std::nullopt}; }

}  // namespace linea
