#pragma once
// The status bar's readout of the point under the mouse: the image column and
// row, the world coordinates when the project is georeferenced, and the value of
// the current layer there (of the picture shown when no layer is current). It
// follows the mouse over the view and is blank while the mouse is elsewhere.

#include <optional>
#include <string>

#include <QObject>

#include "ui/cursor_readout.h"

class QLabel;
class QStatusBar;

namespace linea {

class CImageViewerView;
class CLayer;
class CWorkspace;
struct CSaveSettings;

struct WorldPoint {
  double x = 0;
  double y = 0;
};

// True when the save settings place the image in the world (a corner is set and
// both pixel sizes are usable).
bool HasGeoreference(const CSaveSettings& settings);
// The world coordinates of the centre of pixel (column, row); nothing without a
// georeference. Corners are the image's outer edges; the pixel sizes are signed.
std::optional<WorldPoint> WorldOfPixel(const CSaveSettings& settings, int column, int row);
// A coordinate with as many decimals as the pixel size needs to tell neighbours
// apart (none for 30 m pixels, five for 0.00083° ones), at most eight.
std::string FormatWorldCoordinate(double value, double pixelSize);
// The readout's value text: "V 123", "r 1  g 2  b 3"; "" when there is none.
std::string ReadoutValueText(const CursorReadout& readout);
// The layer whose value the readout shows: the current one, else the visible
// picture (bitmap or raster) that the view is showing; none in an empty project.
const CLayer* ReadoutLayer(const CWorkspace& workspace);

class CStatusReadout : public QObject {
  Q_OBJECT
 public:
  // Adds its three fields to the status bar and watches the view's client area.
  // The workspace, the view and the status bar must outlive it.
  CStatusReadout(CWorkspace& workspace, CImageViewerView& view, QStatusBar& statusBar);

  // Shows the readout of the image point under client point (x, y) of the view.
  void ShowAt(int x, int y);
  void Clear();

  QString PositionText() const;
  QString WorldText() const;
  QString ValueText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CWorkspace& workspace_;
  CImageViewerView& view_;
  QLabel* position_;
  QLabel* world_;
  QLabel* value_;
};

}  // namespace linea
