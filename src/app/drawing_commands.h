#pragma once
// The commands of scheme drawing and line widths: "Рисование", "Ширина", the
// layers bar's "Изменить Цвет" and "Изменить Ширину", and "Объединить".

#include "app/commands.h"

namespace linea {

class CDrawing;

// The frame's drawing dialog, made on first use; it lives as long as the frame.
CDrawing& DrawingDialog(CImageViewerApp& app);

void OpenDrawing(CImageViewerApp& app);  // 32876 "Рисование"
CommandState DrawingState(CImageViewerApp& app);
void EditLineWidths(CImageViewerApp& app);  // 32867 "Ширина"
CommandState LineWidthsState(CImageViewerApp& app);
// 32790 "Изменить Цвет": one-colour vector layers, bands and drawings.
void ChangeLayerColor(CImageViewerApp& app);
CommandState ChangeLayerColorState(CImageViewerApp& app);
// 32848 "Изменить Ширину": drawings with lines, through "Изменение ширины".
void ChangeLayerWidth(CImageViewerApp& app);
CommandState ChangeLayerWidthState(CImageViewerApp& app);
// 1141 "Объединить": the visible drawings merged into one layer named by the user.
// True when the stack changed.
bool MergeDrawingsCommand(CImageViewerApp& app);

// Gives the layers bar its "Объединить".
void InstallDrawingCommands(CImageViewerApp& app);

}  // namespace linea
