#pragma once
// linea-cli export: the project's layers built as for render, then written for GIS
// tools: a raster (GeoTIFF, or PNG/JPEG with a world file) or the visible drawings
// as vectors (GeoPackage, GeoJSON, Shapefile), chosen by the output's extension.

#include <cstdio>
#include <string>
#include <vector>

namespace linea {

class CAppHost;

// The usage line of the subcommand.
inline constexpr const char* kExportUsage =
    "       linea-cli export PROJECT.orw -o OUT.tif|.png|.jpg|.gpkg|.geojson|.shp [LAYER OPTIONS ...]"
    " [--layer NAME]\n";

// The arguments after "export". 0; 1 after the program's message; 2 on a command
// line that cannot be understood.
int Export(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors);

}  // namespace linea
