#include "app/blocks_commands.h"

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "project/blocks_editing.h"
#include "project/workspace.h"
#include "ui/blocks_edit.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"

namespace linea {

namespace {

constexpr int kAskSaveBlocks = 32850;  // "Сохранить ли изображение блоков?"
constexpr int kSaveBlocksCommand = 32873;

bool HasBlocks(CImageViewerApp& app) {
  return app.Workspace().layerStack.FindLayer(LoadText(kBlocksLayerName)) != nullptr;
}

}  // namespace

CBlocksEdit* FindBlocksEditor(CMainFrame& frame) {
  for (CBlocksEdit* editor : frame.findChildren<CBlocksEdit*>(Qt::FindDirectChildrenOnly))
    if (editor->IsOpen()) return editor;
  return nullptr;
}

void CreateBlocksCommand(CImageViewerApp& app) {
  const int result = CreateBlocks(app.Workspace());
  if (result == kBlocksOutOfMemory) ShowErrorCode(app.Host(), kErrorOutOfMemory);
  if (result != kBlocksDone) return;
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
  EditBlocksCommand(app);
}

CommandState CreateBlocksState(CImageViewerApp& app) {
  const CLayerStack& stack = app.Workspace().layerStack;
  return CommandState{stack.LayerCount() > 0 && !HasBlocks(app) && !app.Frame().ToolWindows().AnyEditorOpen(),
                      std::nullopt};
}

void EditBlocksCommand(CImageViewerApp& app) {
  CMainFrame& frame = app.Frame();
  if (FindBlocksEditor(frame) != nullptr) return;
  auto* editor = new CBlocksEdit(frame);
  QObject::connect(editor, &CBlocksEdit::closed, &frame, [&frame] { emit frame.stateChanged(); });
  editor->Open();
  emit frame.stateChanged();
}

CommandState EditBlocksState(CImageViewerApp& app) {
  return CommandState{HasBlocks(app) && !app.Frame().ToolWindows().AnyEditorOpen(), std::nullopt};
}

void DeleteBlocksCommand(CImageViewerApp& app) {
  if (!HasBlocks(app)) return;
  if (AskWarningQuestion(app.Host(), LoadText(kAskSaveBlocks))) app.Host().RunCommand(kSaveBlocksCommand);
  if (!DeleteBlocks(app.Workspace())) return;
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
}

CommandState DeleteBlocksState(CImageViewerApp& app) { return CommandState{HasBlocks(app), std::nullopt}; }

}  // namespace linea
