#pragma once
// The palette commands and the layers derived from a class map: "Палитра" of the
// "Операции" menu (the defaults of maps built later) and of a class map in the
// layers bar (recolouring it), "Изолинии" and "Цветная полоса..." of a class map,
// and the colours the rose and lineament panels draw their next layers in.

#include "app/commands.h"

namespace linea {

class CImageViewerApp;

// 32849: the workspace's default palette settings; nothing is rebuilt.
void EditDefaultPalette(CImageViewerApp& app);
// 32788: the selected class map's own settings and value limits; OK recolours it.
void EditLayerPalette(CImageViewerApp& app);
// 32850: isolines of the selected class map, under a name the user confirms.
void ShowLayerIsolines(CImageViewerApp& app);
// 32852: the colour band dialog over the selected class map; OK builds the band
// or extremum layer under a name the user confirms.
void ShowLayerColorBand(CImageViewerApp& app);
// Enabled while the layers bar's selection is a class map.
CommandState ClassMapSelectedState(CImageViewerApp& app);

// "Задать цвет" of the rose and lineament panels: the colour dialog, then the
// colour of the panel's next layers, kept in the project's parameters.
void ChooseRoseMapColour(CImageViewerApp& app);
void ChooseLineamentColour(CImageViewerApp& app);

}  // namespace linea
