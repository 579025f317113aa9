#include "ui/wheel_zoom.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

#include "layers/layer_stack.h"
#include "ui/image_viewer_view.h"

namespace linea {

namespace {
constexpr int kNotch = 120;  // eighths of a degree in one wheel notch
}  // namespace

ViewPoint ScrollKeepingPoint(ViewPoint mouse, ViewPoint scroll, ViewPoint offsetBefore, double before, double after,
                             ViewSize client, ViewSize image) {
  if (!(before > 0.0) || !(after > 0.0)) return scroll;
  // The image point under the mouse, in fractions of a pixel so that repeated
  // steps do not drift.
  const double ix = (mouse.x + scroll.x - offsetBefore.x) / before;
  const double iy = (mouse.y + scroll.y - offsetBefore.y) / before;
  const ViewPoint offsetAfter = CentringOffset(client, TargetSize(image, after));
  return {int(std::lround(ix * after + offsetAfter.x - mouse.x)), int(std::lround(iy * after + offsetAfter.y - mouse.y))};
}

double WheelZoom(double zoom, int notches) {
  for (; notches > 0; --notches) zoom *= kZoomInFactor;
  for (; notches < 0; ++notches) zoom *= kZoomOutFactor;
  return zoom;
}

CWheelZoom::CWheelZoom(CImageViewerView& view) : QObject(&view), view_(view), viewport_(view.viewport()) {
  viewport_->installEventFilter(this);
}

bool CWheelZoom::eventFilter(QObject* watched, QEvent* event) {
  // The type first: events still reach the viewport while the view is being
  // destroyed, when the view may no longer be asked anything.
  if (event->type() != QEvent::Wheel || watched != viewport_) return QObject::eventFilter(watched, event);
  auto* wheel = static_cast<QWheelEvent*>(event);
  if (!(wheel->modifiers() & Qt::ControlModifier)) {
    pendingDelta_ = 0;
    return false;  // the view scrolls
  }
  wheel->accept();
  pendingDelta_ += wheel->angleDelta().y();
  const int notches = pendingDelta_ / kNotch;
  if (notches == 0) return true;
  pendingDelta_ -= notches * kNotch;
  const ViewSize image = view_.ProjectSize();
  if (image.width <= 0 || image.height <= 0) return true;
  const double before = view_.Zoom();
  const ViewPoint scroll = view_.ScrollPosition();
  const ViewRect shown = view_.GetImageRect();
  const ViewPoint offset{shown.left, shown.top};
  const QPoint at = wheel->position().toPoint();
  if (!view_.SetZoom(WheelZoom(before, notches))) return true;  // beyond the display's limit: no change
  const double after = view_.Zoom();
  const ViewPoint target =
      ScrollKeepingPoint({at.x(), at.y()}, scroll, offset, before, after, view_.ClientSize(), image);
  view_.horizontalScrollBar()->setValue(target.x);
  view_.verticalScrollBar()->setValue(target.y);
  emit view_.zoomChanged(after);
  return true;
}

}  // namespace linea
