#pragma once
// Ctrl + mouse wheel zooms the view about the point under the mouse, one zoom step
// (x 1.5 or x 2/3) per notch; the wheel alone scrolls as it always does.

#include <QObject>

#include "ui/view_geometry.h"

namespace linea {

class CImageViewerView;

// The scroll position that keeps the image point under client point `mouse` under
// it after the zoom changes from `before` to `after`. `offsetBefore` is the centring
// offset in force; the one after follows from the client and image sizes. The
// result is not clamped to the scroll range (the scroll bars do that).
ViewPoint ScrollKeepingPoint(ViewPoint mouse, ViewPoint scroll, ViewPoint offsetBefore, double before, double after,
                             ViewSize client, ViewSize image);
// The zoom after `notches` wheel notches (positive: towards the user's screen, in).
double WheelZoom(double zoom, int notches);

class CWheelZoom : public QObject {
  Q_OBJECT
 public:
  // Watches the view's client area; the view must outlive it.
  explicit CWheelZoom(CImageViewerView& view);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CImageViewerView& view_;
  QObject* viewport_;  // compared only, never called through
  // Eighths of a degree not yet turned into a notch (touchpads send small steps).
  int pendingDelta_ = 0;
};

}  // namespace linea
