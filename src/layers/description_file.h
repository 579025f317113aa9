#pragma once
#include <string>

namespace linea {

class CLayerStack;

// Writes the descriptions of the layers the composition draws, each followed by
// a line feed, to `path` with its extension replaced by ".txo". False when the
// file cannot be written; a previous file is then kept.
bool WriteDescription(const CLayerStack& stack, const std::string& path);
// The file a description is written to: the text before the last '.' of the
// file name, plus ".txo".
std::string DescriptionPath(const std::string& path);

}  // namespace linea
