#pragma once
// The handlers and update rules of the "Блоки" menu rows that belong to the
// blocks editor: create, edit and delete the blocks.

#include "app/commands.h"

namespace linea {

class CBlocksEdit;
class CMainFrame;

// "Создать  блоки": an empty blocks layer of the source image's size, then the editor.
void CreateBlocksCommand(CImageViewerApp& app);
CommandState CreateBlocksState(CImageViewerApp& app);
// "Редактировать блоки": the editor, opened modeless at the frame's top-left.
void EditBlocksCommand(CImageViewerApp& app);
CommandState EditBlocksState(CImageViewerApp& app);
// "Удалить блоки": asks whether to save them first (Yes runs "Сохранить блоки,
// растр "), then removes the layer and makes the workspace forget the blocks.
void DeleteBlocksCommand(CImageViewerApp& app);
CommandState DeleteBlocksState(CImageViewerApp& app);

// The open blocks editor, or null.
CBlocksEdit* FindBlocksEditor(CMainFrame& frame);

}  // namespace linea
