#pragma once
// Writing the mask and the blocks image (and reduced base images) back to raster
// files. Every file is written to a temporary file and renamed over the target only
// when complete: a failed save leaves no partial file and keeps the previous one.

#include <string>

namespace linea {

class CImage;
class CLayerStack;

// Entries of the raster save dialog, in the order of its filter.
inline constexpr int kSaveFilterEntries = 7;
// The format code of a save-filter entry (0 TIFF, 1 raw, 2 BMP, 3 GIF, 4 PCX, 5 TGA,
// 6 ASCII grid), or kNoFormat for an index outside the list.
inline constexpr int kNoFormat = -2;
int SaveFilterFormatCode(int filterIndex);
// The filter of the raster save dialogs (no default extension).
std::string RasterSaveFilter();

enum SaveLayerResult : int {
  kSaveLayerFailed = 0,
  kSaveLayerSaved = 1,
  kSaveLayerMissing = 2,  // no layer of that name; no file touched
};

// Saves the image of the layer `layerName` in the format of save-filter entry
// `filterIndex`. A 24-bit layer saved as raw data is reduced to 8 bits first and
// keeps the reduced image.
int SaveLayerRaster(CLayerStack& stack, const std::string& path, int filterIndex, const std::string& layerName);

// Writes the palette indices of `image`, width bytes per row from row 0, with no
// header and no palette; a deeper image is first reduced in place to 8 bits.
// 1 written, 0 failed.
int WriteRaw(const std::string& path, CImage& image);

}  // namespace linea
