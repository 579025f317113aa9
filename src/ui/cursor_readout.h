#pragma once
// The three values and labels the cursor bar shows for the current layer under
// the cursor: class values and the step limits around them for maps, the class
// value of a colour band, the grey level or the colour of a picture.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace linea {

class CLayer;
class CRasterLayer;

struct CursorReadout {
  std::array<std::int16_t, 3> values{};
  std::array<std::string, 3> labels;
  bool operator==(const CursorReadout&) const = default;
};

// The readout of `layer` at image point (x, y); zeros and blank labels when there is
// no layer, the point is outside it, or the layer kind has no readout. Pictures of
// an elevation-model project show nothing (their grey levels are not heights).
CursorReadout ReadLayerAt(const CLayer* layer, int x, int y, bool elevationModel, std::string_view sourceLayerName);

// The value a class of a map stands for: (k - 1) x class width + From, truncated.
int ClassValue(const CRasterLayer& map, int classIndex);

}  // namespace linea
