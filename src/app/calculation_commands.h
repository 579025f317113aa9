#pragma once
// "Расчет" (32773): the search over the base raster for the results that the
// switches of the main calculations panel ask for.

#include "app/commands.h"

namespace linea {

class CImageViewerApp;

void Calculate(CImageViewerApp& app);
// Enabled when a base raster is open outside rose-combination mode and a switch
// that is on and enabled asks for a result.
CommandState CalculateState(CImageViewerApp& app);

}  // namespace linea
