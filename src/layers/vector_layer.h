#pragma once
// A one-colour drawing or transparent raster (stripes, blocks, imported drawings):
// an image whose visible pixels all use one palette index.

#include "layers/bitmap_layer.h"

namespace linea {

class CVectorLayer : public CBitmapLayer {
 public:
  CVectorLayer(std::string_view name, bool deletable);
  int GetKind() const override { return kLayerKindVector; }

  // The one palette index the drawing's pixels use.
  std::uint8_t GetColorIndex() const { return colorIndex_; }
  void SetColorIndex(std::uint8_t index) { colorIndex_ = index; }
  // Off for layers whose colour the user may not change (the stripes).
  bool IsColorChangeable() const { return colorChangeable_; }
  void SetColorChangeable(bool on) { colorChangeable_ = on; }

  // Gives the colour index the colour (0x00BBGGRR), in lookup and palette; a
  // 24-bit image is left alone. Marks the layer changed.
  void SetSingleColor(std::uint32_t color);
  // Finds the one non-transparent palette index the pixels use and makes it the
  // colour index. False for a 24-bit image or when two different indices occur;
  // an image without such pixels succeeds and keeps the colour index.
  bool FindSingleColor();

 private:
  std::uint8_t colorIndex_ = 0;
  bool colorChangeable_ = true;
};

}  // namespace linea
