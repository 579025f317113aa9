#pragma once
// Results out to GIS tools: a layer or the composed picture as a georeferenced
// raster, and the visible drawings as vector features in world coordinates. Both
// take the georeference (corners, resolution, rotation, CRS) of the save settings.

#include <string>
#include <vector>

#include "geo/gdal_raster.h"
#include "geo/gdal_vector.h"

namespace linea {

class CLayer;
class CLayerStack;
class CResults;
class CWorkspace;

// The picture `layer` gives (null: the composed picture as RGB). A class map is
// written with its palette as the colour table and, as band metadata, From, the
// class width and each class's value range; any other bitmap layer as it is. False
// when there is no picture (nothing composed, or not a raster layer).
bool RasterOfLayer(const CLayer* layer, const CLayerStack& stack, RasterToWrite& raster);

// One table per visible drawing layer: a feature per polyline, its points at pixel
// centres mapped by `georeference` (pixel coordinates, y up, when it is not known),
// with the fields layer, color (#rrggbb), width, direction (degrees clockwise from
// north, 0..180, of the line from its first to its last point) and length (world
// units); and description (the layer's) for every drawing. Lineament maps ("Линеаменты
// N") with `results` also get value and group: those of the strongest stored
// lineament cell among the polyline's vertices (-1 when none is found). Isoline
// drawings also get class (of the higher side, from the class map they were traced
// from), value_from and value_to (that class's value range).
std::vector<VectorTable> DrawingTables(const CLayerStack& stack, const Georeference& georeference,
                                       const CResults* results = nullptr);

// The commands behind "Сохранить Растр..." and "Сохранить Вектор": 0 on success;
// otherwise the program's message has been shown (the file's name and GDAL's
// reason after "Не удается открыть файл." or "Не удается записать файл.") and no
// file has been replaced. `layer` null exports the composed picture.
int ExportRaster(CWorkspace& workspace, const CLayer* layer, const std::string& path);
int ExportVectors(CWorkspace& workspace, const std::string& path);

}  // namespace linea
