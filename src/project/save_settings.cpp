#include "project/save_settings.h"

#include "base/messages.h"
#include "base/profile_text.h"
#include "base/string_table.h"

#include <cstdio>
#include <sstream>

namespace linea {
namespace {
constexpr const char* kSection = "Saving settings";
constexpr int kResolutionMismatch = 171;

// One line of text: WKT as GDAL gives it may be pretty-printed.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
  return line;
}
}  // namespace

bool HasGeoreference(const CSaveSettings& s) {
  return s.upperLeftX != 0 || s.upperLeftY != 0 || s.lowerRightX != 0 || s.lowerRightY != 0;
}

Georeference GeoreferenceOfSettings(const CSaveSettings& s) {
  Georeference g;
  g.known = HasGeoreference(s);
  g.left = s.upperLeftX;
  g.top = s.upperLeftY;
  g.right = s.lowerRightX;
  g.bottom = s.lowerRightY;
  g.pixelWidth = s.resolutionX;
  g.pixelHeight = s.resolutionY;
  g.rotationX = s.rotationX;
  g.rotationY = s.rotationY;
  g.crsWkt = s.crsWkt;
  return g;
}

void TakeGeoreference(CSaveSettings& s, const Georeference& g) {
  s.upperLeftX = g.left;
  s.upperLeftY = g.top;
  s.lowerRightX = g.right;
  s.lowerRightY = g.bottom;
  s.resolutionX = g.pixelWidth;
  s.resolutionY = g.pixelHeight;
  s.rotationX = g.rotationX;
  s.rotationY = g.rotationY;
  s.crsWkt = g.crsWkt;
}

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
  // Projects written before the geotransform was kept have neither key.
  settings.rotationX = settings.rotationY = 0.0;
  if (auto text = profile.GetText(kSection, "GeoTransform")) {
    std::istringstream in(*text);
    double t[6];
    if (in >> t[0] >> t[1] >> t[2] >> t[3] >> t[4] >> t[5]) {
      settings.rotationX = t[2];
      settings.rotationY = t[4];
    }
  }
  settings.crsWkt = profile.GetText(kSection, "CoordinateSystem").value_or(std::string());
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
  if (HasGeoreference(settings)) {
    const GeoTransform t = GeoTransformOf(GeoreferenceOfSettings(settings));
    profile.SetText(kSection, "GeoTransform",
                    FormatText("%.17g %.17g %.17g %.17g %.17g %.17g", t[0], t[1], t[2], t[3], t[4], t[5]));
  }
  if (!settings.crsWkt.empty()) profile.SetText(kSection, "CoordinateSystem", OneLine(settings.crsWkt));
}

}  // namespace linea
