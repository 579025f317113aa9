#pragma once
// Turning files into layers: the base raster of a project, rasters shown over it,
// the mask and the blocks image. Every failure shows exactly one message through
// the host ("Не удается загрузить изображение." with its reason) and leaves no new
// layer in the stack.

#include <cstdint>
#include <string>
#include <vector>

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

// World coordinates of a raster, from an ASCII grid's extent or a world file.
struct Georeference {
  bool known = false;
  double left = 0, top = 0, right = 0, bottom = 0;
  double pixelWidth = 1, pixelHeight = 1;
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

// Loads the base raster into a layer named `name`. Width, height and bytes per
// sample are 0 when a user opens a file (raw files then ask for the size) and the
// stored project values when a project is reopened. 0 on success.
int OpenBaseImage(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                  int imageType, int width, int height, int bytesPerSample, BaseRasterInfo& info);
// A raster shown over the image: a view raster (`view`) or a transparent one.
// 0, 1 (reported failure), 3 (no memory for the image) or 16 (layer not added).
int OpenExtraRaster(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
                    bool view, ProjectSize project);
int OpenMask(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
             ProjectSize project);
// Blocks image types: 0 saved by this program, 1 a blocks raster, 2 block borders.
// 0 on success, 3 on exhausted memory or too many blocks.
int OpenBlocks(CAppHost& host, const std::string& path, CLayerStack& stack, const std::string& name,
               int blocksImageType, ProjectSize project);

// The type name used in descriptions: "GREYSCALE", "LINE", "DTM" or "Undefined".
const char* ImageTypeName(int imageType);

}  // namespace linea
