#pragma once
// Colour and extremum bands: class maps of which only some classes are shown, in
// one colour, tinting the picture below them.

#include "layers/raster_layer.h"

namespace linea {

class CColorBandLayer : public CRasterLayer {
 public:
  CColorBandLayer(std::string_view name, bool deletable);
  int GetKind() const override { return kLayerKindBand; }

  // An 8-bit band never paints pixels whose lookup entry is the transparent colour,
  // whatever the switch, and mixes every other pixel half and half (truncated) with
  // what the target holds. A 24-bit band is copied like any bitmap.
  bool DrawOnImageRows(CImage& target, int firstRow, int endRow) override;

  // Every entry of the red, green and blue tables that is not black becomes the
  // colour (0x00BBGGRR); the tables go to the palette with the used table.
  void SetBandColor(std::uint32_t color);

  // The band's lowest and highest class.
  int bandFrom = 0;
  int bandTo = 0;
};

// An extremum band: the surroundings of local maxima or minima of a map. The mask
// layers are extremum layers too.
class CExtremumLayer : public CColorBandLayer {
 public:
  using CColorBandLayer::CColorBandLayer;
};

}  // namespace linea
