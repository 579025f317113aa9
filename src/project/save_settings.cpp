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

// A project value is one word: the blanks of a WKT (and '%') are written as %20 (%25).
std::string EncodeWord(const std::string& text) {
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') word += "%20";
    else if (c == '%') word += "%25";
    else word += c;
  }
  return word;
}

std::string DecodeWord(const std::string& word) {
  std::string text;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (word[i] == '%' && word.compare(i, 3, "%20") == 0) {
      text += ' ';
      i += 2;
    } else if (word[i] == '%' && word.compare(i, 3, "%25") == 0) {
      text += '%';
      i += 2;
    } else {
      text += word[i];
    }
  }
  return text;
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
    std::string values = *text;
    for (char& c : values)
      if (c == ',') c = ' ';
    std::istringstream in(values);
    double t[6];
    if (in >> t[0] >> t[1] >> t[2] >> t[3] >> t[4] >> t[5]) {
      settings.rotationX = t[2];
      settings.rotationY = t[4];
    }
  }
  settings.crsWkt = DecodeWord(profile.GetText(kSection, "CoordinateSystem").value_or(std::string()));
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
                    FormatText("%.17g,%.17g,%.17g,%.17g,%.17g,%.17g", t[0], t[1], t[2], t[3], t[4], t[5]));
  }
  // A value longer than a project line holds would come back cut: no system is
  // better than a wrong one.
  const std::string crs = EncodeWord(settings.crsWkt);
  if (!crs.empty() && crs.size() <= std::size_t(ProfileText::kMaxValueLength))
    profile.SetText(kSection, "CoordinateSystem", crs);
}

}  // namespace linea
