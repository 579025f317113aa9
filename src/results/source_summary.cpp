#include "results/source_summary.h"

#include "base/paths.h"
#include "base/string_table.h"

namespace linea {

const char* ImageTypeName(std::uint8_t imageType) {
  switch (imageType) {
    case 1: return "GREYSCALE";
    case 2: return "LINE";
    case 3: return "DTM";
    default: return "Undefined";
  }
}

void AppendMaskAndCompression(std::string& text, const CalcParameters& params) {
  if (params.UseMask) text += "Masked ";
  if (params.Rate != 1.0) {
    text += "Compressed ";
    text += FormatText("%7.3f ", params.Rate);
  }
}

void AppendImageSettings(std::string& text, const CalcParameters& params, std::uint8_t imageType) {
  if (imageType == 1) text += FormatText("Linear=%d, Contrast=%d, ", params.TR_Linear, params.TR_Contrast);
  if (imageType == 3 && params.Calck != 0) {
    if (params.Calck_DTM == 1) text += "Valley";
    if (params.Calck_DTM == 2) text += "Ridge";
  }
}

void AppendSourceSummary(std::string& text, const CalcParameters& params, std::uint8_t imageType,
                         const std::string& sourcePath) {
  AppendMaskAndCompression(text, params);
  AppendImageSettings(text, params, imageType);
  text += FormatText("%s, %s)", ImageTypeName(imageType), FileNamePart(sourcePath).c_str());
}

}  // namespace linea
