#pragma once
// Where a raster lies in the world: the corners and pixel size of a north-up
// raster, the rotation terms of a geotransform, and the coordinate reference system
// as WKT. World files (six numbers beside an image) are read and written by the
// convention every GIS uses: the fifth and sixth numbers are the centre of the
// upper-left pixel.

#include <array>
#include <string>
#include <vector>

namespace linea {

// Pixel height is negative for north-up rasters. `left`/`top` are the outer edges
// of the upper-left pixel.
struct Georeference {
  bool known = false;
  double left = 0, top = 0, right = 0, bottom = 0;
  double pixelWidth = 1, pixelHeight = 1;
  double rotationX = 0, rotationY = 0;  // geotransform terms 2 and 4; 0 for north-up rasters
  std::string crsWkt;                   // empty when the system is not known
};

// GDAL's order: left, pixel width, rotation X, top, rotation Y, pixel height.
using GeoTransform = std::array<double, 6>;

GeoTransform GeoTransformOf(const Georeference& georeference);
// The georeference of a width x height raster placed by `transform`.
Georeference GeoreferenceOfTransform(const GeoTransform& transform, int width, int height);

// The world file names looked for beside an image, in order: the image path with its
// last two characters replaced by "fw" (map.tif -> map.tfw), then the names GIS
// tools write: first and last letter of the extension + "w" (map.bpw, map.jgw),
// the extension + "w" (map.tifw), and ".wld". No name twice.
std::vector<std::string> WorldFileCandidates(const std::string& imagePath);
// The first candidate that exists, "" when there is none.
std::string FindWorldFile(const std::string& imagePath);
// Reads a world file for a width x height image; false (and `georeference`
// unchanged) when it cannot be read, holds fewer than six numbers, or a pixel size
// of 0 or not finite.
bool ReadWorldFile(const std::string& path, int width, int height, Georeference& georeference);
// The six lines of a world file for `transform`, the pixels scaled by 1/zoom.
std::string WorldFileText(const GeoTransform& transform, double zoom = 1.0);
// The world file written beside an exported image: map.png -> map.pgw, map.jpg ->
// map.jgw, map.tif -> map.tfw (first and last letter of the extension + "w").
std::string ExportWorldFilePath(const std::string& imagePath);

}  // namespace linea
