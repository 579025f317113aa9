#pragma once
// The zoom toolbar: an editable box of zoom texts ("150 %") followed by the zoom
// commands, which the command table places after the box.

#include <functional>
#include <string>

#include <QToolBar>

#include <QComboBox>

namespace linea {

// The zoom box. Only a zoom picked from its list counts as chosen: the box also
// reports its own text as "activated" when it loses the focus, which must not zoom.
class CZoomBox : public QComboBox {
  Q_OBJECT
 public:
  explicit CZoomBox(QWidget* parent);
  void showPopup() override;
  void hidePopup() override;

 signals:
  // An entry of the list was picked (the list's close-up with a selection).
  void listedZoomChosen(const QString& text);

 private:
  bool listOpen_ = false;
};

class CAppHost;

class CZoomToolBar : public QToolBar {
  Q_OBJECT
 public:
  // Messages go to `host`, which must outlive the toolbar.
  CZoomToolBar(CAppHost& host, QWidget* parent);

  CZoomBox* ZoomBox() const { return zoomBox_; }
  // The box shows the zoom in the standard form.
  void ShowZoom(double zoom);

  // Applies a zoom asked for in the box; false when there is no project to zoom.
  std::function<bool(double)> applyZoom;
  // The zoom in force, for rewriting the box after a zoom typed without " %".
  std::function<double()> currentZoom;

  // Takes a text as if chosen from the list or typed and confirmed with Enter.
  void ApplyText(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CAppHost& host_;
  CZoomBox* zoomBox_;
};

}  // namespace linea
