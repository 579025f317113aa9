#pragma once
// The cursor marker of the view. It holds no pixels and is not composed; the GUI
// sets its size and hot spot from the cursor image it shows, and draws it.

#include "layers/layer.h"

namespace linea {

class CCursorLayer : public CLayer {
 public:
  // Named by string 61444, not deletable, hidden, with the cursor flag.
  CCursorLayer();

  int GetHeight() const override;
  int GetWidth() const override;
  bool Load(const std::string&) override { return true; }
  bool DrawOverImage(CImage&, const LineWidthScaling&) override { return true; }
  bool DrawOnImageRows(CImage&, int, int) override { return true; }
  int GetKind() const override { return kLayerKindCursor; }

  // True when (x, y) lies in the cursor's rectangle, whose top-left corner is the
  // position minus the hot spot.
  bool HitTest(int x, int y) const;

  int cursorWidth = 0;
  int cursorHeight = 0;
  int hotSpotX = 0;
  int hotSpotY = 0;
  // In the view's client (window) coordinates.
  int positionX = 0;
  int positionY = 0;
};

}  // namespace linea
