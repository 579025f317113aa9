#pragma once
// Elevation models stored as single-band TIFF files (as GDAL and most GIS write
// them) and the georeference in the tags of a GeoTIFF.

#include <cstdint>
#include <string>
#include <vector>

#include "layers/raster_import.h"

namespace linea {

enum class ElevationTiffResult { Ok, CannotOpen, Unsupported, OutOfMemory };

// Reads the first image of a single-band TIFF of 8-, 16- or 32-bit integers or 32-
// or 64-bit floats (strips or tiles) into 16-bit heights: the lowest valid height
// becomes 0 and the highest 63999, as for an ASCII grid. Cells equal to the GDAL
// nodata value, NaN and infinite cells are 0. Sides are 1..32767.
ElevationTiffResult ReadElevationTiff(const std::string& path, std::vector<std::uint16_t>& heights, int& width,
                                      int& height);

// A north-up georeference from the tags ModelPixelScale and ModelTiepoint (or a
// ModelTransformation without rotation) of the first image; the raster type
// "pixel is point" moves the corners by half a pixel. False when the file has none.
bool ReadGeoTiffGeoreference(const std::string& path, Georeference& georeference);

// The tags of the GeoTIFF format.
inline constexpr std::uint32_t kTagModelPixelScale = 33550;
inline constexpr std::uint32_t kTagModelTiepoint = 33922;
inline constexpr std::uint32_t kTagModelTransformation = 34264;
inline constexpr std::uint32_t kTagGeoKeyDirectory = 34735;
inline constexpr std::uint32_t kTagGdalNodata = 42113;

}  // namespace linea
