#pragma once
// The handlers of the combining operations the window reaches: "Расчет" of the
// rose-combination panel and "Сложить поля" (the field addition dialog).

#include "app/commands.h"

namespace linea {

class CImageViewerApp;

// "Расчет" of the combination panel: the mode and normalisation of the panel, the
// count of projects checked (32813 / 32814), the window roses replaced by the
// workspace's combination (a failure is shown by its code) and the rose panel
// shown so that maps can be built from them. True when the roses were combined.
bool CombineFromPanel(CImageViewerApp& app);

// "Сложить поля": the dialog over the class maps of the stack; the addition runs
// through the workspace when OK is pressed.
void AddFieldsCommand(CImageViewerApp& app);
// Enabled while the stack holds a class map.
CommandState AddFieldsState(CImageViewerApp& app);

}  // namespace linea
