#pragma once
// Rasters read and written through GDAL. No GDAL type appears here: a band comes
// back as plain samples, and a picture goes out as plain bytes.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "geo/georeference.h"

namespace linea {

enum class GeoReadResult {
  Ok,
  CannotOpen,   // missing, not a regular file, or no GDAL driver knows it
  Unsupported,  // no bands, or sides beyond 1..32767
  OutOfMemory,
  ReadError,    // GDAL failed while reading the samples
};

// One band of a raster. Samples row after row, the first row the top one.
struct RasterBandData {
  int width = 0;
  int height = 0;
  int bandCount = 0;
  int bitsPerSample = 0;      // of the stored type: 8, 16, 32 or 64
  bool integerSamples = true;
  bool isUnsigned16 = false;  // UInt16: taken as they are, like 16-bit raw files
  bool colourBand = false;    // a palette index or a colour channel of a picture, no measurement
  bool hasNodata = false;
  double nodata = 0;
  std::vector<double> samples;
  Georeference georeference;  // known when the file (or GDAL's side files) places it; CRS when it names one
};

// Reads band `band` (1 is the first) of any raster GDAL can open. `reason` gets
// GDAL's own words on failure.
GeoReadResult ReadRasterBand(const std::string& path, int band, RasterBandData& out, std::string& reason);

// The geotransform and CRS GDAL finds for a raster (its tags or side files); false,
// and `georeference` unchanged, when it finds no geotransform. A CRS alone is taken.
bool ReadRasterGeoreference(const std::string& path, Georeference& georeference);

// Output formats of a picture, chosen by the file's extension.
enum class RasterFormat { Unknown, GeoTiff, Png, Jpeg };
RasterFormat RasterFormatOfPath(const std::string& path);

// A picture to write: one band of palette indices, or three of red, green, blue.
struct RasterToWrite {
  int width = 0;
  int height = 0;
  int bands = 1;                      // 1 or 3
  std::vector<std::uint8_t> pixels;   // row after row, `bands` bytes per pixel (R, G, B)
  bool hasPalette = false;
  std::array<std::uint32_t, 256> palette{};  // 0x00BBGGRR
  Georeference georeference;          // written when known: geotransform and CRS
  std::vector<std::pair<std::string, std::string>> bandMetadata;  // GeoTIFF only
};

// Writes `raster` as a GeoTIFF, or as PNG/JPEG with a world file beside it (JPEG
// gets the palette applied). The files replace their targets only when all are
// complete. 0; 4 when a file cannot be created; 6 when it cannot be written; 3 when
// memory runs out; 17 when the extension names no format or the picture is empty.
int WriteRasterFile(const std::string& path, const RasterToWrite& raster, std::string& reason);

}  // namespace linea
