#pragma once
// The colours chosen with the rose and lineament panels' "Задать цвет", kept in
// the project file as "RRGGBB" beside the parameters of their results. A project
// without them (or with a value that is not six hex digits) keeps the colours a
// new project has.

#include <cstdint>
#include <optional>
#include <string>

#include "results/calc_parameters.h"

namespace linea {

class ProfileText;

// "RRGGBB" of a colour 0x00BBGGRR, and back; nothing for any other text.
std::string ColourText(std::uint32_t colour);
std::optional<std::uint32_t> ColourOfText(const std::string& text);

void ReadMapColours(CalcParameters& params, const ProfileText& profile);
void WriteMapColours(const CalcParameters& params, ProfileText& profile);

}  // namespace linea
