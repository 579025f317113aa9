#pragma once
// "Сохранить Растр..." and "Сохранить Вектор": results written for GIS tools in the
// georeference of the save settings.

#include "app/commands.h"

namespace linea {

// The layer selected in the layers bar (none: the composed picture) as GeoTIFF, or
// PNG/JPEG with a world file.
void SaveRasterCommand(CImageViewerApp& app);
// Every visible drawing as GeoPackage, GeoJSON or Shapefile.
void SaveVectorCommand(CImageViewerApp& app);
// A picture to write exists: any layer.
CommandState SaveRasterState(CImageViewerApp& app);
// A drawing to write exists: a visible polyline layer.
CommandState SaveVectorState(CImageViewerApp& app);

// The file name with the extension of the filter entry chosen, when it has none of
// the entries' extensions. Entries: 0 .tif, 1 .png, 2 .jpg (rasters); 0 .gpkg,
// 1 .geojson, 2 .shp (vectors).
std::string WithRasterExtension(const std::string& path, int filterIndex);
std::string WithVectorExtension(const std::string& path, int filterIndex);

inline constexpr const char* kGeoRasterSaveFilter =
    "GeoTIFF (*.tif)|*.tif|PNG + world file (*.png)|*.png|JPEG + world file (*.jpg)|*.jpg||";
inline constexpr const char* kGeoVectorSaveFilter =
    "GeoPackage (*.gpkg)|*.gpkg|GeoJSON (*.geojson)|*.geojson|ESRI Shapefile (*.shp)|*.shp||";

}  // namespace linea
