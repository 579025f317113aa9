#pragma once
// The scrolling view of the project. It never draws layers itself: when some
// layer is marked changed the layer stack composes the visible layers into its
// 24-bit picture, and every paint copies only the exposed part of that picture to
// the screen at the current zoom (nearest neighbour), with white margins around it.

#include <QAbstractScrollArea>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <vector>

#include "ui/vertex_collection.h"
#include "ui/view_geometry.h"

namespace linea {

class CCursorLayer;
class CWorkspace;

class CImageViewerView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // The workspace must outlive the view.
  explicit CImageViewerView(CWorkspace& workspace, QWidget* parent = nullptr);

  // A new zoom that keeps the image point under the centre of the client area in
  // the centre. False, with nothing changed, when a scaled side would exceed the
  // display's limit.
  bool SetZoom(double zoom);
  double Zoom() const;
  // The zoom that shows the whole image; false for an empty project.
  bool FitToWindow();

  // The client rectangle the image covers (GetImageRect).
  ViewRect GetImageRect() const;
  ViewSize ClientSize() const;
  ViewPoint ScrollPosition() const;
  // The project's size in image pixels.
  ViewSize ProjectSize() const;

  // Repaints; the paint composes first when some layer is marked changed.
  void Refresh();
  // The document changed: the scroll sizes follow the project again.
  void OnDocumentUpdate();

  // How many times a paint has composed the picture (each layer change costs one).
  int CompositionCount() const { return compositions_; }

  // The window <-> image conversions at the present zoom, scroll and offsets.
  ViewPoint WindowToImagePoint(ViewPoint window) const;
  ViewPoint ImageToWindowPoint(ViewPoint image) const;

  // The cursor overlay, owned by the frame (null until it is made). Its position
  // is in client coordinates.
  void SetCursorOverlay(CCursorLayer* overlay);
  CCursorLayer* CursorOverlay() const { return overlay_; }
  bool IsCursorCaptured() const { return captured_; }
  // The overlay's image point.
  ViewPoint CursorImagePoint() const;
  // Keeps the overlay inside the image rectangle; true when it had to move.
  bool ClampCursorOverlay();

  // The tool that receives clicks and polyline vertices (null: none), which must
  // outlive its time here. Line drawing collects vertices for it until a double
  // click, Enter or Esc ends the polyline.
  void SetActiveTool(CViewTool* tool) { tool_ = tool; }
  CViewTool* ActiveTool() const { return tool_; }
  void BeginLineDrawing(bool schemeDrawing = false);
  void EndLineDrawing();
  bool IsLineDrawing() const { return lineDrawing_; }
  bool IsSchemeDrawing() const { return schemeDrawing_; }
  const CVertexCollector& Vertices() const { return vertices_; }
  // The rubber band last drawn, in client coordinates (empty when none).
  bool HasRubberBand() const { return rubberBandShown_; }
  std::pair<ViewPoint, ViewPoint> RubberBand() const { return {rubberBandFrom_, rubberBandTo_}; }

 signals:
  // The picture could not be shown at the zoom; the zoom has fallen back.
  void displayFailed();
  void zoomChanged(double zoom);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  // Drawn over the picture after each paint: the polyline in progress, the
  // rubber band and the cursor overlay.
  virtual void PaintOverlay(QPainter& painter);

 private:
  void SetScrollSizes(ViewSize size);
  // The exposed part of the scaled picture; false when its buffer cannot be made.
  bool BlitScaled(QPainter& painter, const QRect& exposed, ViewPoint scroll, ViewPoint offset, double zoom);

  void EndPolyline();
  // The first visible layer is composed again and the whole view repainted.
  void RepaintAll();
  void MoveCursorBy(int dx, int dy);

  CWorkspace& workspace_;
  int compositions_ = 0;
  QImage blitBuffer_;

  CCursorLayer* overlay_ = nullptr;
  QPixmap overlayPixmap_;
  bool captured_ = false;
  QCursor savedCursor_;

  CViewTool* tool_ = nullptr;
  bool lineDrawing_ = false;
  bool schemeDrawing_ = false;
  CVertexCollector vertices_;
  // Every vertex of the polyline in progress, for drawing it; the collector hands
  // the older ones to the tool.
  std::vector<ImageVertex> polyline_;
  bool rubberBandShown_ = false;
  ViewPoint rubberBandFrom_;
  ViewPoint rubberBandTo_;
  // Draws the rubber band again after repaints while a polyline is drawn.
  QTimer rubberBandTimer_;
};

}  // namespace linea
