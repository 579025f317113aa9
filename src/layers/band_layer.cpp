#include "layers/band_layer.h"

#include <algorithm>

namespace linea {

CColorBandLayer::CColorBandLayer(std::string_view name, bool deletable) : CRasterLayer(name, deletable) {}

bool CColorBandLayer::DrawOnImageRows(CImage& target, int firstRow, int endRow) {
  if (image_.GetBitsPerPixel() != 8) return CRasterLayer::DrawOnImageRows(target, firstRow, endRow);
  if (!IsVisible()) return true;
  if (image_.IsEmpty() || target.IsEmpty() || target.GetBitsPerPixel() != 24) return false;
  int width = 0;
  if (!CommonRows(target, firstRow, endRow, width)) return true;
  compose::BlendImageSkipping(image_.Row(firstRow), std::size_t(image_.GetBytesPerLine()), target.Row(firstRow),
                              std::size_t(target.GetBytesPerLine()), width, endRow - firstRow, lookup_,
                              TransparentIndices());
  return true;
}

void CColorBandLayer::SetBandColor(std::uint32_t color) {
  for (int i = 0; i < 256; ++i) {
    if (red[i] == 0 && green[i] == 0 && blue[i] == 0) continue;
    red[i] = ColorRed(color);
    green[i] = ColorGreen(color);
    blue[i] = ColorBlue(color);
  }
  SetPalette(red, green, blue, used, 256);
  MarkChanged();
}

}  // namespace linea
