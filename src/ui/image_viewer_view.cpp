#include "ui/image_viewer_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "project/workspace.h"

namespace linea {

namespace {
constexpr int kScrollLine = 20;

QRect ToQRect(const ViewRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
}  // namespace

CImageViewerView::CImageViewerView(CWorkspace& workspace, QWidget* parent)
    : QAbstractScrollArea(parent), workspace_(workspace) {
  setFrameShape(QFrame::NoFrame);
  // Every pixel of the client area is painted: the picture or the white margins.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  horizontalScrollBar()->setSingleStep(kScrollLine);
  verticalScrollBar()->setSingleStep(kScrollLine);
}

double CImageViewerView::Zoom() const { return workspace_.layerStack.GetZoom(); }

ViewSize CImageViewerView::ClientSize() const { return {viewport()->width(), viewport()->height()}; }

ViewPoint CImageViewerView::ScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

ViewSize CImageViewerView::ProjectSize() const {
  const int width = int(std::min<std::uint32_t>(workspace_.results.imageWidth, 1u << 30));
  const int height = int(std::min<std::uint32_t>(workspace_.results.imageHeight, 1u << 30));
  if (width > 0 && height > 0) return {width, height};
  const CImage& picture = workspace_.layerStack.CompositionImage();
  return {picture.GetWidth(), picture.GetHeight()};
}

ViewRect CImageViewerView::GetImageRect() const {
  const CLayerStack& stack = workspace_.layerStack;
  return ImageRect({stack.GetOffsetX(), stack.GetOffsetY()}, ClientSize(), ProjectSize(), stack.GetZoom());
}

void CImageViewerView::SetScrollSizes(ViewSize size) {
  const ViewSize client = ClientSize();
  horizontalScrollBar()->setPageStep(std::max(1, client.width));
  verticalScrollBar()->setPageStep(std::max(1, client.height));
  horizontalScrollBar()->setRange(0, std::max(0, size.width - client.width));
  verticalScrollBar()->setRange(0, std::max(0, size.height - client.height));
}

void CImageViewerView::OnDocumentUpdate() {
  SetScrollSizes(TargetSize(ProjectSize(), Zoom()));
  viewport()->update();
}

void CImageViewerView::Refresh() { viewport()->update(); }

bool CImageViewerView::SetZoom(double zoom) {
  const ViewSize image = ProjectSize();
  if (!(zoom > 0.0) || IsTooLarge(image, zoom)) return false;
  const ViewSize client = ClientSize();
  const ViewPoint scroll = ScrollPosition();
  const double before = Zoom();
  if (!workspace_.layerStack.SetZoom(zoom)) return false;
  const ViewSize target{int(double(image.width) * zoom), int(double(image.height) * zoom)};
  SetScrollSizes(target);
  viewport()->update();
  if (target.width > client.width || target.height > client.height) {
    const ViewPoint centred = ScrollKeepingCentre(scroll, client, zoom / before);
    horizontalScrollBar()->setValue(centred.x);
    verticalScrollBar()->setValue(centred.y);
  }
  workspace_.Host().RefreshCursorReadout();
  return true;
}

bool CImageViewerView::FitToWindow() {
  // Without scroll bars the client area is at its largest.
  horizontalScrollBar()->setRange(0, 0);
  verticalScrollBar()->setRange(0, 0);
  const auto zoom = FitZoom(ClientSize(), ProjectSize());
  if (!zoom) return false;
  return SetZoom(*zoom);
}

void CImageViewerView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  SetScrollSizes(TargetSize(ProjectSize(), Zoom()));
}

void CImageViewerView::scrollContentsBy(int, int) {
  viewport()->update();
  workspace_.Host().RefreshCursorReadout();
}

bool CImageViewerView::BlitScaled(QPainter& painter, const QRect& exposed, ViewPoint scroll, ViewPoint offset,
                                  double zoom) {
  if (exposed.isEmpty()) return true;
  if (blitBuffer_.width() < exposed.width() || blitBuffer_.height() < exposed.height()) {
    blitBuffer_ = QImage(std::max(exposed.width(), blitBuffer_.width()), std::max(exposed.height(), blitBuffer_.height()),
                         QImage::Format_BGR888);
    if (blitBuffer_.isNull()) return false;
  }
  const CImage& picture = workspace_.layerStack.CompositionImage();
  BlitSource source{picture.GetBits(), std::size_t(picture.GetBytesPerLine()), {picture.GetWidth(), picture.GetHeight()}};
  BlitTarget target{blitBuffer_.bits(), std::size_t(blitBuffer_.bytesPerLine()),
                    {exposed.left(), exposed.top(), exposed.left() + exposed.width(), exposed.top() + exposed.height()}};
  StretchNearest(source, target, scroll, offset, zoom);
  painter.drawImage(exposed.topLeft(), blitBuffer_, QRect(0, 0, exposed.width(), exposed.height()));
  return true;
}

void CImageViewerView::paintEvent(QPaintEvent* event) {
  CLayerStack& stack = workspace_.layerStack;
  if (stack.AnyChanged()) {
    ++compositions_;
    stack.ComposeLayers(workspace_.Composition());  // a failure is posted to the frame by the stack
  }
  QPainter painter(viewport());
  const QRect dirty = event->rect();
  const CImage& picture = stack.CompositionImage();
  const ViewSize client = ClientSize();
  if (picture.IsEmpty() || picture.GetBitsPerPixel() != 24) {
    stack.SetOffsets(0, 0);
    painter.fillRect(dirty, Qt::white);
    PaintOverlay(painter);
    return;
  }
  const ViewSize image{picture.GetWidth(), picture.GetHeight()};
  const ViewPoint scroll = ScrollPosition();
  double zoom = stack.GetZoom();
  ViewSize target = TargetSize(image, zoom);
  ViewPoint offset = CentringOffset(client, target);
  stack.SetOffsets(offset.x, offset.y);
  bool drawn = false;
  if (IsScaled(zoom)) {
    const QRect exposed = dirty & ToQRect(GetImageRect());
    drawn = !IsTooLarge(image, zoom) && BlitScaled(painter, exposed, scroll, offset, zoom);
    if (!drawn) {
      // Back to the zoom that worked before, or to one to one.
      SetZoom(FallbackZoom(zoom, stack.GetPreviousZoom()));
      zoom = stack.GetZoom();
      viewport()->update();
      target = TargetSize(image, zoom);
      offset = CentringOffset(client, target);
      stack.SetOffsets(offset.x, offset.y);
      emit zoomChanged(zoom);
      emit displayFailed();
    }
  }
  if (!drawn && !IsScaled(zoom)) {
    // One to one: the picture is shown straight from the stack's pixels.
    const QImage wrapped(picture.GetBits(), image.width, image.height, picture.GetBytesPerLine(),
                         QImage::Format_BGR888);
    const QRect exposed = dirty & ToQRect(GetImageRect());
    if (!exposed.isEmpty())
      painter.drawImage(exposed.topLeft(), wrapped, exposed.translated(scroll.x - offset.x, scroll.y - offset.y));
    drawn = true;
  }
  SetScrollSizes(target);

  const QRect covered = drawn ? ToQRect(GetImageRect()) : QRect();
  const QRect whole = viewport()->rect();
  if (covered.isEmpty()) {
    painter.fillRect(dirty, Qt::white);
  } else {
    const QRect strips[] = {
        QRect(QPoint(whole.left(), whole.top()), QPoint(covered.left() - 1, whole.bottom())),
        QRect(QPoint(covered.left(), whole.top()), QPoint(covered.right(), covered.top() - 1)),
        QRect(QPoint(covered.right() + 1, whole.top()), QPoint(whole.right(), whole.bottom())),
        QRect(QPoint(covered.left(), covered.bottom() + 1), QPoint(covered.right(), whole.bottom())),
    };
    for (const QRect& strip : strips) {
      const QRect part = strip & dirty;
      if (!part.isEmpty()) painter.fillRect(part, Qt::white);
    }
  }
  PaintOverlay(painter);
}

}  // namespace linea
