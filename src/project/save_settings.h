#pragma once
// The georeference given to saved results: world coordinates of the image's
// corners, the world size of a pixel, and two switches. Stored with the project
// in the section "Saving settings".

#include <cstdint>
#include <string>

#include "geo/georeference.h"

namespace linea {

class CAppHost;
class ProfileText;

struct CSaveSettings {
  double upperLeftY = 0.0;
  double upperLeftX = 0.0;
  double lowerRightX = 0.0;
  double lowerRightY = 0.0;
  double resolutionX = 1.0;  // world units per pixel
  double resolutionY = 1.0;
  bool useCoordinates = false;
  bool drawFrame = false;
  // Kept from the base raster for exports: the rotation terms of its geotransform
  // (0 for north-up rasters) and its coordinate reference system as WKT ("" unknown).
  double rotationX = 0.0;
  double rotationY = 0.0;
  std::string crsWkt;
  bool operator==(const CSaveSettings&) const = default;
};

// Takes the values confirmed in the save-settings dialog. When the image has a
// height and a corner is set, resolutions that do not match the corners are
// offered for correction (message 171, Yes/No); Yes takes the computed ones.
void ApplyWorldCoordinates(CSaveSettings& settings, const CSaveSettings& confirmed, std::uint32_t imageWidth,
                           std::uint32_t imageHeight, CAppHost& host);

// True when a corner is set: the settings then place the image in the world.
bool HasGeoreference(const CSaveSettings& settings);
// The georeference of the image the settings place (corners, resolution, rotation, CRS).
Georeference GeoreferenceOfSettings(const CSaveSettings& settings);
// Takes a raster's georeference into the settings (corners, resolutions, rotation, CRS).
void TakeGeoreference(CSaveSettings& settings, const Georeference& georeference);

void ReadSaveSettings(CSaveSettings& settings, const ProfileText& profile);
void WriteSaveSettings(const CSaveSettings& settings, ProfileText& profile);

}  // namespace linea
