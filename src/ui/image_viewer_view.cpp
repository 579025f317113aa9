#include "ui/image_viewer_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "layers/cursor_layer.h"
#include "project/workspace.h"

namespace linea {

namespace {
constexpr int kScrollLine = 20;
constexpr int kRubberBandPeriodMs = 300;
constexpr int kRubberBandPen = 2;
const QColor kLineColour(255, 0, 0);

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
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  rubberBandTimer_.setInterval(kRubberBandPeriodMs);
  connect(&rubberBandTimer_, &QTimer::timeout, this, [this] {
    if (rubberBandShown_) viewport()->update();
  });
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
  // Another project is another picture under the overlay.
  workspace_.Host().RefreshCursorReadout();
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

namespace linea {

namespace {
QPoint ToQPoint(ViewPoint p) { return QPoint(p.x, p.y); }
ViewPoint ClientPoint(const QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  return {p.x(), p.y()};
}
}  // namespace

ViewPoint CImageViewerView::WindowToImagePoint(ViewPoint window) const {
  const CLayerStack& stack = workspace_.layerStack;
  const ViewPoint scroll = ScrollPosition();
  return {WindowToImage(window.x, scroll.x, stack.GetOffsetX(), stack.GetZoom()),
          WindowToImage(window.y, scroll.y, stack.GetOffsetY(), stack.GetZoom())};
}

ViewPoint CImageViewerView::ImageToWindowPoint(ViewPoint image) const {
  const CLayerStack& stack = workspace_.layerStack;
  const ViewPoint scroll = ScrollPosition();
  return {ImageToWindow(image.x, scroll.x, stack.GetOffsetX(), stack.GetZoom()),
          ImageToWindow(image.y, scroll.y, stack.GetOffsetY(), stack.GetZoom())};
}

void CImageViewerView::SetCursorOverlay(CCursorLayer* overlay) {
  overlay_ = overlay;
  if (overlay_ == nullptr) return;
  overlayPixmap_ = QPixmap(QStringLiteral(":/icons/cursor_marker.xpm"));
  overlay_->cursorWidth = overlayPixmap_.width();
  overlay_->cursorHeight = overlayPixmap_.height();
  overlay_->hotSpotX = overlayPixmap_.width() / 2 - 1;
  overlay_->hotSpotY = overlayPixmap_.height() / 2 - 1;
}

ViewPoint CImageViewerView::CursorImagePoint() const {
  if (overlay_ == nullptr) return {};
  return WindowToImagePoint({overlay_->positionX, overlay_->positionY});
}

bool CImageViewerView::ClampCursorOverlay() {
  if (overlay_ == nullptr) return false;
  const ViewRect rect = GetImageRect();
  if (rect.IsEmpty()) return false;
  const int x = std::clamp(overlay_->positionX, rect.left, rect.right - 1);
  const int y = std::clamp(overlay_->positionY, rect.top, rect.bottom - 1);
  if (x == overlay_->positionX && y == overlay_->positionY) return false;
  overlay_->positionX = x;
  overlay_->positionY = y;
  return true;
}

void CImageViewerView::BeginLineDrawing(bool schemeDrawing) {
  lineDrawing_ = true;
  schemeDrawing_ = schemeDrawing;
  vertices_.Clear();
  polyline_.clear();
  rubberBandShown_ = false;
  rubberBandTimer_.start();
}

void CImageViewerView::EndLineDrawing() {
  lineDrawing_ = false;
  schemeDrawing_ = false;
  vertices_.Clear();
  polyline_.clear();
  rubberBandShown_ = false;
  rubberBandTimer_.stop();
}

void CImageViewerView::RepaintAll() {
  const std::vector<CLayer*> visible = workspace_.layerStack.CollectVisible();
  if (!visible.empty()) visible.front()->MarkChanged();
  viewport()->update();
}

void CImageViewerView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const ViewPoint at = ClientPoint(event);
  if (overlay_ && overlay_->IsVisible() && overlay_->HitTest(at.x, at.y)) {
    captured_ = true;
    savedCursor_ = viewport()->cursor();
    viewport()->setCursor(QCursor(overlayPixmap_, overlay_->hotSpotX, overlay_->hotSpotY));
    overlay_->SetVisible(false);
    overlay_->MarkChanged();
    viewport()->update();
  }
}

void CImageViewerView::mouseMoveEvent(QMouseEvent* event) {
  const ViewPoint at = ClientPoint(event);
  if (captured_) {
    // The mouse cannot be confined to the image here, so the overlay is.
    overlay_->positionX = at.x;
    overlay_->positionY = at.y;
    ClampCursorOverlay();
    workspace_.Host().RefreshCursorReadout();
    return;
  }
  if (lineDrawing_ && vertices_.Count() > 0) {
    const ImageVertex last = vertices_.Last();
    const ViewPoint from = ImageToWindowPoint({last.x, last.y});
    const ViewSize client = ClientSize();
    rubberBandShown_ = from.x >= 0 && from.y >= 0 && from.x < client.width && from.y < client.height;
    rubberBandFrom_ = from;
    rubberBandTo_ = at;
    viewport()->update();
  }
}

void CImageViewerView::mouseReleaseEvent(QMouseEvent* event) {
  const ViewPoint at = ClientPoint(event);
  if (event->button() == Qt::RightButton) {
    if (lineDrawing_ && vertices_.RemoveLast()) {
      polyline_.pop_back();
      rubberBandShown_ = false;
      viewport()->update();
    } else if (!lineDrawing_ && tool_ && tool_->DropPick()) {
      viewport()->update();
    }
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (captured_) {
    captured_ = false;
    viewport()->setCursor(savedCursor_);
    if (!overlay_->IsVisible()) {
      overlay_->SetVisible(true);
      overlay_->MarkChanged();
    }
    viewport()->update();
    return;
  }
  const ViewPoint image = WindowToImagePoint(at);
  if (tool_ && vertices_.Count() == 0 &&
      tool_->PickPoint({std::int16_t(std::clamp(image.x, -32768, 32767)), std::int16_t(std::clamp(image.y, -32768, 32767))})) {
    viewport()->update();
    return;
  }
  if (!lineDrawing_) return;
  const ViewSize size = ProjectSize();
  const ImageVertex vertex = SnapToEdges(image.x, image.y, size.width, size.height);
  vertices_.Append(vertex, tool_);
  polyline_.push_back(vertex);
  viewport()->update();
}

void CImageViewerView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !lineDrawing_) return;
  vertices_.Finish(tool_);
  EndLineDrawing();
  RepaintAll();
}

void CImageViewerView::MoveCursorBy(int dx, int dy) {
  overlay_->positionX += dx;
  overlay_->positionY += dy;
  ClampCursorOverlay();
  workspace_.Host().RefreshCursorReadout();
  overlay_->MarkChanged();
  viewport()->update();
}

void CImageViewerView::keyPressEvent(QKeyEvent* event) {
  if (overlay_ && overlay_->IsVisible()) {
    const int step = std::max(1, event->count());
    switch (event->key()) {
      case Qt::Key_Left: MoveCursorBy(-step, 0); return;
      case Qt::Key_Up: MoveCursorBy(0, -step); return;
      case Qt::Key_Right: MoveCursorBy(step, 0); return;
      case Qt::Key_Down: MoveCursorBy(0, step); return;
      default: break;
    }
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void CImageViewerView::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (tool_) {
        tool_->CloseTool();
        EndLineDrawing();
        RepaintAll();
      }
      return;
    case Qt::Key_Escape:
      if (!tool_) return;
      // A polyline in progress is dropped first; without one the tool closes. A
      // polyline tool counts as drawing from its start button on, before any vertex.
      if (lineDrawing_ && (vertices_.Count() > 0 || schemeDrawing_ || tool_->HasPolylineInProgress())) {
        tool_->CancelPolyline();
      } else {
        tool_->CancelTool();
      }
      EndLineDrawing();
      RepaintAll();
      return;
    default: QAbstractScrollArea::keyReleaseEvent(event);
  }
}

void CImageViewerView::PaintOverlay(QPainter& painter) {
  if (polyline_.size() >= 2) {
    painter.setPen(QPen(kLineColour, 1));
    for (std::size_t i = 1; i < polyline_.size(); ++i) {
      const ViewPoint a = ImageToWindowPoint({polyline_[i - 1].x, polyline_[i - 1].y});
      const ViewPoint b = ImageToWindowPoint({polyline_[i].x, polyline_[i].y});
      painter.drawLine(ToQPoint(a), ToQPoint(b));
    }
  }
  if (lineDrawing_ && rubberBandShown_) {
    painter.setPen(QPen(kLineColour, kRubberBandPen));
    painter.drawLine(ToQPoint(rubberBandFrom_), ToQPoint(rubberBandTo_));
  }
  if (overlay_ && overlay_->IsVisible()) {
    if (ClampCursorOverlay()) workspace_.Host().RefreshCursorReadout();
    overlay_->ClearChanged();
    painter.drawPixmap(overlay_->positionX - overlay_->hotSpotX, overlay_->positionY - overlay_->hotSpotY,
                       overlayPixmap_);
  }
}

}  // namespace linea
