#include "layers/vector_layer.h"

namespace linea {

CVectorLayer::CVectorLayer(std::string_view name, bool deletable) : CBitmapLayer(name, deletable) {}

void CVectorLayer::SetSingleColor(std::uint32_t color) {
  if (image_.GetBitsPerPixel() != 24) {
    lookup_[colorIndex_] = LookupEntryOfColor(color);
    image_.SetColorForIndex(colorIndex_, color);
  }
  MarkChanged();
}

bool CVectorLayer::FindSingleColor() {
  if (image_.GetBitsPerPixel() == 24) return false;
  if (image_.IsEmpty()) return true;
  const std::array<bool, 256> transparent = TransparentIndices();
  int found = -1;
  for (int y = 0; y < image_.GetHeight(); ++y) {
    const std::uint8_t* row = image_.Row(y);
    for (int x = 0; x < image_.GetWidth(); ++x) {
      const int index = row[x];
      if (transparent[index] || index == found) continue;
      if (found >= 0) return false;
      found = index;
    }
  }
  if (found >= 0) colorIndex_ = std::uint8_t(found);
  return true;
}

}  // namespace linea
