#include "project/map_colours.h"

#include <cctype>

#include "base/profile_text.h"
#include "base/string_table.h"

namespace linea {

namespace {
// Sections the project file has anyway: a file holds only a few sections.
constexpr const char* kRoseSection = "Calc window roses";
constexpr const char* kRoseKey = "RoseMapColour";
constexpr const char* kLineamentSection = "Calc lineaments";
constexpr const char* kLineamentKey = "LineamentColour";
}  // namespace

std::string ColourText(std::uint32_t colour) {
  return FormatText("%02X%02X%02X", unsigned(colour & 0xFF), unsigned((colour >> 8) & 0xFF),
                    unsigned((colour >> 16) & 0xFF));
}

std::optional<std::uint32_t> ColourOfText(const std::string& text) {
  if (text.size() != 6) return std::nullopt;
  std::uint32_t rgb = 0;
  for (unsigned char c : text) {
    if (!std::isxdigit(c)) return std::nullopt;
    rgb = rgb * 16 + std::uint32_t(std::isdigit(c) ? c - '0' : std::toupper(c) - 'A' + 10);
  }
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

void ReadMapColours(CalcParameters& params, const ProfileText& profile) {
  if (const auto text = profile.GetText(kRoseSection, kRoseKey)) {
    if (const auto colour = ColourOfText(*text)) {
      params.roseMapColour = *colour;
      params.roseMapColourSet = true;
    }
  }
  if (const auto text = profile.GetText(kLineamentSection, kLineamentKey))
    if (const auto colour = ColourOfText(*text)) params.lineamentColour = *colour;
}

void WriteMapColours(const CalcParameters& params, ProfileText& profile) {
  // Until a colour is chosen the maps keep their kinds' own colours.
  if (params.roseMapColourSet) profile.SetText(kRoseSection, kRoseKey, ColourText(params.roseMapColour));
  profile.SetText(kLineamentSection, kLineamentKey, ColourText(params.lineamentColour));
}

}  // namespace linea
