#include "layers/cursor_layer.h"

#include <algorithm>
#include <cstdint>

#include "base/string_table.h"

namespace linea {

namespace {
constexpr int kCursorLayerNameId = 61444;
}

CCursorLayer::CCursorLayer() : CLayer(LoadText(kCursorLayerNameId), false) {
  SetVisible(false);
  SetFlag(kLayerCursor, true);
}

int CCursorLayer::GetHeight() const { return std::max(0, cursorHeight); }
int CCursorLayer::GetWidth() const { return std::max(0, cursorWidth); }

bool CCursorLayer::HitTest(int x, int y) const {
  // 64 bits: position and hot spot are the GUI's and may be anything.
  const std::int64_t left = std::int64_t(positionX) - hotSpotX;
  const std::int64_t top = std::int64_t(positionY) - hotSpotY;
  return x >= left && x < left + cursorWidth && y >= top && y < top + cursorHeight;
}

}  // namespace linea
