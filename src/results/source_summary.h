#pragma once
// The common tail of every result layer's description: how the results were
// obtained (mask, compression, stripe thresholds or relief mode) and from which
// image. The map builders take the pieces one by one because they insert their
// own between them.

#include <cstdint>
#include <string>

#include "results/calc_parameters.h"

namespace linea {

// "GREYSCALE", "LINE", "DTM" for image types 1, 2, 3; "Undefined" otherwise.
const char* ImageTypeName(std::uint8_t imageType);

// "Masked " when the mask is used; "Compressed " and the rate as "%7.3f " when the
// rate is not exactly 1.
void AppendMaskAndCompression(std::string& text, const CalcParameters& params);
// "Linear=%d, Contrast=%d, " for greyscale images; "Valley" or "Ridge" for an
// elevation model whose lineament mode is not 0.
void AppendImageSettings(std::string& text, const CalcParameters& params, std::uint8_t imageType);

// All of it, closed by "%s, %s)" with the image type name and the file name of
// `sourcePath` (the text after its last separator).
void AppendSourceSummary(std::string& text, const CalcParameters& params, std::uint8_t imageType,
                         const std::string& sourcePath);

}  // namespace linea
