#pragma once
// Field kinds of the rose-field maps: their names (Russian and English) and the
// code table behind the rose panel's kind list, which depends on its two
// normalisation switches.

#include <span>
#include <string>

namespace linea {

inline constexpr int kFieldKindCount = 21;

// String ids of the 21 field kinds in kind order, and of their English twins.
std::span<const int> FieldKindNameIds();
std::span<const int> FieldKindEnglishNameIds();
// The three shorter lists: kinds 9..20; densities 1..8 with local difference and
// roses; local difference and roses.
std::span<const int> NonDensityKindNameIds();
std::span<const int> LocallyNormalisedKindNameIds();
std::span<const int> BothNormalisedKindNameIds();

// The 45-entry code table (a code character per entry).
std::span<const char> MapKindCodes();

// Length of the kind list offered for the two switches (21, 12, 10 or 2).
int MapKindCount(bool localNormalisation, bool globalNormalisation);
// Code at a position of that list; 0 for a position outside it.
char MapKindCode(bool localNormalisation, bool globalNormalisation, int position);
// Russian name at a position of that list; empty outside it.
std::string MapKindName(bool localNormalisation, bool globalNormalisation, int position);
// English name of a code (searching the full list), or empty.
std::string MapKindEnglishName(char code);
// Place of a code in the full list (0..20), or -1.
int MapKindIndex(char code);

}  // namespace linea
