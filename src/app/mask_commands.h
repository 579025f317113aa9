#pragma once
// The handlers and update rules of the "Маски" menu rows that edit the mask:
// create, edit, invert and delete (open, save and use are beside the table).

#include "app/commands.h"

namespace linea {

class CImageViewerApp;

// "Создать маску ...": an empty mask, then the mask dialog.
void CreateMaskCommand(CImageViewerApp& app);
// "Редактировать маску ...": the mask dialog over the mask there is.
void EditMaskCommand(CImageViewerApp& app);
// "Инвертировать маску".
void InvertMaskCommand(CImageViewerApp& app);
// "Удалить маску": asks whether to save the mask first; Yes saves it through the
// raster save dialog (a cancelled or failed save keeps the mask), No forgets its file.
void DeleteMaskCommand(CImageViewerApp& app);

// A layer exists, no mask yet, and no editing window is open.
CommandState CreateMaskState(CImageViewerApp& app);
// The mask exists and no editing window is open.
CommandState EditMaskState(CImageViewerApp& app);
// The mask exists.
CommandState MaskExistsState(CImageViewerApp& app);

}  // namespace linea
