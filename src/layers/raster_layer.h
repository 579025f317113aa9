#pragma once
// A paletted map of classes with its colour scale: the rose-field maps, field sums
// and (through the band layers) colour and extremum bands. The map record below is
// plain data that the map builders fill and the palette panel, the cursor readout
// and field addition read.

#include <array>
#include <cstdint>
#include <vector>

#include "layers/bitmap_layer.h"

namespace linea {

class CRasterLayer : public CBitmapLayer {
 public:
  CRasterLayer(std::string_view name, bool deletable);
  int GetKind() const override { return kLayerKindRaster; }

  // The palette panel's key of this map's palette: palette kind + 10 x steps.
  std::uint32_t PaletteKey() const;

  // Number of steps of the colour scale, and the last class of each step (one
  // byte per step; the last one is 255 once a palette has been made).
  int steps = 0;
  std::vector<std::uint8_t> stepBoundaries;
  // The palette as the builders made it; `used` 0 marks a transparent entry.
  std::array<std::uint8_t, 256> red{};
  std::array<std::uint8_t, 256> green{};
  std::array<std::uint8_t, 256> blue{};
  std::array<std::uint8_t, 256> used{};
  // Number of classes n; class 0 is "no value".
  int classes = 0;
  // Value range mapped onto the classes, and the smallest and largest measured value.
  int From = 0;
  int To = 0;
  int Min = 0;
  int Max = 0;
  // Value units per class; -1.0 when the map has no values behind its classes (masks).
  double classWidth = -1.0;
  // Pixels (or roses) per class, index = class.
  std::array<double, 256> classHistogram{};
  // Step boundaries by equal population instead of equal width.
  std::uint8_t equalPopulation = 0;
  // 1 grey, 2 colour ramp, 3 stepped table.
  std::uint8_t paletteKind = 3;
  // The factor d of the stepped table.
  double brightness = 1.0;
};

}  // namespace linea
