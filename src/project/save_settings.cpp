#include "project/save_settings.h"

#include "base/messages.h"
#include "base/profile_text.h"
#include "base/string_table.h"

namespace linea {
namespace {
constexpr const char* kSection = "Saving settings";
constexpr int kResolutionMismatch = 171;
}  // namespace

void ApplyWorldCoordinates(CSaveSettings& settings, const CSaveSettings& confirmed, std::uint32_t imageWidth,
                           std::uint32_t imageHeight, CAppHost& host) {
  settings.upperLeftY = confirmed.upperLeftY;
  settings.upperLeftX = confirmed.upperLeftX;
  settings.lowerRightX = confirmed.lowerRightX;
  settings.lowerRightY = confirmed.lowerRightY;
  settings.resolutionX = confirmed.resolutionX;
  settings.resolutionY = confirmed.resolutionY;
  bool anyCorner = settings.upperLeftX != 0 || settings.upperLeftY != 0 || settings.lowerRightX != 0 ||
                   settings.lowerRightY != 0;
  // The width is a divisor too: an image without width has no resolution to compare.
  if (imageHeight != 0 && imageWidth != 0 && anyCorner) {
    double rx = (settings.lowerRightX - settings.upperLeftX) / double(imageWidth);
    double ry = (settings.lowerRightY - settings.upperLeftY) / double(imageHeight);
    if ((rx != settings.resolutionX || ry != settings.resolutionY) &&
        AskWarningQuestion(host, LoadText(kResolutionMismatch))) {
      settings.resolutionX = rx;
      settings.resolutionY = ry;
    }
  }
  settings.useCoordinates = confirmed.useCoordinates;
  settings.drawFrame = confirmed.drawFrame;
}

void ReadSaveSettings(CSaveSettings& settings, const ProfileText& profile) {
  settings.upperLeftX = profile.GetDouble(kSection, "UpperLeftX");
  settings.upperLeftY = profile.GetDouble(kSection, "UpperLeftY");
  settings.lowerRightX = profile.GetDouble(kSection, "LowerRightX");
  settings.lowerRightY = profile.GetDouble(kSection, "LowerRightY");
  settings.resolutionX = profile.GetDouble(kSection, "ResolutionX");
  settings.resolutionY = profile.GetDouble(kSection, "ResolutionY");
  if (settings.resolutionX == 0) settings.resolutionX = 1.0;
  if (settings.resolutionY == 0) settings.resolutionY = 1.0;
  settings.useCoordinates = profile.GetInt(kSection, "UseCoordinates") != 0;
  settings.drawFrame = profile.GetInt(kSection, "DrawFrame") != 0;
}

void WriteSaveSettings(const CSaveSettings& settings, ProfileText& profile) {
  profile.SetDouble(kSection, "UpperLeftX", settings.upperLeftX);
  profile.SetDouble(kSection, "UpperLeftY", settings.upperLeftY);
  profile.SetDouble(kSection, "LowerRightX", settings.lowerRightX);
  profile.SetDouble(kSection, "LowerRightY", settings.lowerRightY);
  profile.SetDouble(kSection, "ResolutionX", settings.resolutionX);
  profile.SetDouble(kSection, "ResolutionY", settings.resolutionY);
  profile.SetInt(kSection, "UseCoordinates", settings.useCoordinates);
  profile.SetInt(kSection, "DrawFrame", settings.drawFrame);
}

}  // namespace linea
