#pragma once
// The georeference given to saved results: world coordinates of the image's
// corners, the world size of a pixel, and two switches. Stored with the project
// in the section "Saving settings".

#include <cstdint>

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
  bool operator==(const CSaveSettings&) const = default;
};

// Takes the values confirmed in the save-settings dialog. When the image has a
// height and a corner is set, resolutions that do not match the corners are
// offered for correction (message 171, Yes/No); Yes takes the computed ones.
void ApplyWorldCoordinates(CSaveSettings& settings, const CSaveSettings& confirmed, std::uint32_t imageWidth,
                           std::uint32_t imageHeight, CAppHost& host);

void ReadSaveSettings(CSaveSettings& settings, const ProfileText& profile);
void WriteSaveSettings(const CSaveSettings& settings, ProfileText& profile);

}  // namespace linea
