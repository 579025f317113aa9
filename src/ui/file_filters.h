#pragma once
// The program's file filters are written "Name|*.a;*.b|Name|*.c||"; the Qt file
// dialogs take "Name (*.a *.b);;Name (*.c)".

#include <string>

namespace linea {

// Each name keeps its text; a closing "(...)" of the name is replaced by the
// patterns (so that "Tagged image file format (*.tif, *.tiff)" filters *.tif and
// *.tiff), and a name without one gets them appended.
std::string QtFilterOf(const std::string& filter);
// "*.tif" or ".tif" -> "tif"; "" for none.
std::string SuffixOfExtension(const std::string& defaultExtension);

}  // namespace linea
