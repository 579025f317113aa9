#pragma once
// The scrolling view of the project. It never draws layers itself: when some
// layer is marked changed the layer stack composes the visible layers into its
// 24-bit picture, and every paint copies only the exposed part of that picture to
// the screen at the current zoom (nearest neighbour), with white margins around it.

#include <QAbstractScrollArea>
#include <QImage>

#include "ui/view_geometry.h"

namespace linea {

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

 signals:
  // The picture could not be shown at the zoom; the zoom has fallen back.
  void displayFailed();
  void zoomChanged(double zoom);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  // Drawn over the picture after each paint (the cursor overlay); nothing here.
  virtual void PaintOverlay(QPainter& painter) {}

 private:
  void SetScrollSizes(ViewSize size);
  // The exposed part of the scaled picture; false when its buffer cannot be made.
  bool BlitScaled(QPainter& painter, const QRect& exposed, ViewPoint scroll, ViewPoint offset, double zoom);

  CWorkspace& workspace_;
  int compositions_ = 0;
  QImage blitBuffer_;
};

}  // namespace linea
