#pragma once
// Turning files into layers: the base raster of a project, rasters shown over it,
// the mask and the blocks image. Every failure shows exactly one message through
// the host ("Не удается загрузить изображение." with its reason) and leaves no new
// layer in the stack.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "geo/georeference.h"

namespace linea {

class CAppHost;
class CLayerStack;

// Image types of a base raster.
enum ImageType : std::uint8_t {
  kImageTypeNone = 0,
  kImageTypeGreyscale = 1,
  kImageTypeScheme = 2,
  kImageTypeElevation = 3,
};

// What a base-raster import tells the workspace about the raster it loaded.
struct BaseRasterInfo {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t imageType = 0;
  std::uint16_t bytesPerPixel = 0;
  std::vector<std::uint8_t> descentGrid;  // elevation models: one direction per pixel
  Georeference georeference;
};

// The size of the project the other rasters must match.
struct ProjectSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Palette tables of 256 entries as the imports give them, every entry used.
struct PaletteTables {
  std::array<std::uint8_t, 256> red{}, green{}, blue{}, used{};
};
PaletteTables GreyPaletteTables();    // entry i is grey level i
PaletteTables SchemePaletteTables();  // entry 0 black, all others white
PaletteTables MaskPaletteTables();    // entry 0 (in the mask) red, all others black
PaletteTables BlocksPaletteTables();  // entry 255 (border) red, all others black

// The filter text of a format code ("Tagged image file format (*.tif, *.tiff)|*.tif; *.tiff|"
// for 8), "" for codes that have none.
std::string FormatFilterText(int formatCode);
// The filters of the raster open dialogs (default extension kRasterDefaultExtension)
// and of the elevation-model dialog (kElevationModelDefaultExtension); both end with
// "Все растры GDAL", every file, which GDAL reads when our own readers do not.
std::string RasterOpenFilter();
inline constexpr const char* kAllGdalRastersFilter = "Все растры GDAL (*)|*|";
std::string ElevationModelOpenFilter();
inline constexpr const char* kRasterDefaultExtension = "*.tif";
inline constexpr const char* kElevationModelDefaultExtension = "*.raw";

// Reads a headerless raw file of width x height samples of 1 or 2 bytes (16-bit
// little-endian). When width or height is 0 the host is asked for the size, proposed
// as the square root of the file's samples, 16-bit preset for elevation models;
// otherwise the given size is used with `bytesPerSample` (1 or 2; anything else is the
// type's default). `data` receives the file's bytes. 0, or 1 after showing the message
// (1 without one when the user cancelled the size prompt).
int ReadRaw(CAppHost& host, const std::string& path, int imageType, std::vector<std::uint8_t>& data, int& width,
            int& height, int& bytesPerSample);

// The extent of an ASCII grid as its header gives it: cell centres.
struct GridExtent {
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};
// Reads a "DSAA" ASCII grid into 16-bit samples scaled so that z minimum .. z maximum
// become 0 .. 63999; blank cells and values below z minimum are 0. The buffer's first
// row is the grid's highest y. 0, or 1 after showing the message. `progress` (when
// given) hears the fraction done while the file is read (in slices) and before each
// row; false stops the reading with 11 and no message, `samples` untouched.
int ReadGrid(CAppHost& host, const std::string& path, std::vector<std::uint16_t>& samples, int& width, int& height,
             GridExtent& extent, const std::function<bool(double)>& progress = nullptr);

// The text of the description file beside a raster (its extension replaced by
// ".txo"); false when there is none.
bool ReadDescriptionFile(const std::string& path, std::string& text);

// The world file beside an image: its path with the last two characters replaced by
// "fw" (map.tif -> map.tfw). The reader also looks for the names GIS tools write
// (WorldFileCandidates).
std::string WorldFilePath(const std::string& imagePath);

// Heights of any sample type to 16-bit heights as an ASCII grid gives them: the
// lowest valid height becomes 0, the highest 63999; nodata, NaN and infinite cells
// are 0 (blank). `samples` and `heights` have the same count.
void HeightsOfSamples(const std::vector<double>& samples, bool hasNodata, double nodata,
                      std::vector<std::uint16_t>& heights);

// Loads the base raster into a layer named `name`. Width, height and bytes per
// sample are 0 when a user opens a file (raw files then ask for the size) and the
// stored project values when a project is reopened. Elevation models come from raw
// files, ASCII grids (".grd") or the first band of any raster GDAL reads (GeoTIFF,
// SRTM .hgt, ...); their descent grid is computed (progress and questions through
// the host). Greyscale and scheme rasters our own codecs cannot read are read by
// GDAL too. The georeference comes from the world file, else from GDAL. 0 on success.
int OpenBaseImage(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                  int imageType, int width, int height, int bytesPerSample, BaseRasterInfo& info);
// A raster shown over the image: a view raster (`view`) or a transparent one.
// 0, 1 (reported failure), 3 (no memory for the image) or 16 (layer not added).
int OpenExtraRaster(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                    bool view, ProjectSize project);
// The mask: 0 inside it, 255 outside. 0 on success.
int OpenMask(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
             ProjectSize project);
// Blocks image types: 0 saved by this program, 1 a blocks raster, 2 block borders.
// 0 on success, 3 on exhausted memory or too many blocks, 1 on other failures.
int OpenBlocks(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
               int blocksImageType, ProjectSize project);

// Regions a borders raster may have: block numbers 1..253, 255 marks the borders.
inline constexpr int kMaxBorderRegions = 253;

// The type name used in descriptions: "GREYSCALE", "LINE", "DTM" or "Undefined".
const char* ImageTypeName(int imageType);

}  // namespace linea
