#include "layers/raster_layer.h"

namespace linea {

CRasterLayer::CRasterLayer(std::string_view name, bool deletable) : CBitmapLayer(name, deletable) {}

std::uint32_t CRasterLayer::PaletteKey() const {
  return std::uint32_t(paletteKind) + 10u * std::uint32_t(steps);
}

}  // namespace linea
