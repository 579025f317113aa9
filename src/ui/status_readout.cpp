#include "ui/status_readout.h"

#include <QEnterEvent>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

#include "base/layer_names.h"
#include "base/string_table.h"
#include "layers/layer.h"
#include "project/save_settings.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"

namespace linea {

namespace {
constexpr int kPositionText = 2101;
constexpr int kWorldText = 2102;
constexpr int kMaxDecimals = 8;
constexpr std::uint8_t kElevationModel = 3;

bool UsablePixelSize(double size) { return std::isfinite(size) && size != 0.0; }
}  // namespace

bool HasGeoreference(const CSaveSettings& settings) {
  const bool anyCorner = settings.upperLeftX != 0 || settings.upperLeftY != 0 || settings.lowerRightX != 0 ||
                         settings.lowerRightY != 0;
  return anyCorner && std::isfinite(settings.upperLeftX) && std::isfinite(settings.upperLeftY) &&
         UsablePixelSize(settings.resolutionX) && UsablePixelSize(settings.resolutionY);
}

std::optional<WorldPoint> WorldOfPixel(const CSaveSettings& settings, int column, int row) {
  if (!HasGeoreference(settings)) return std::nullopt;
  return WorldPoint{settings.upperLeftX + (column + 0.5) * settings.resolutionX,
                    settings.upperLeftY + (row + 0.5) * settings.resolutionY};
}

std::string FormatWorldCoordinate(double value, double pixelSize) {
  const double size = std::fabs(pixelSize);
  int decimals = 0;
  if (size > 0 && size < 1) decimals = std::min(kMaxDecimals, int(std::ceil(-std::log10(size) - 1e-9)) + 1);
  return FormatText("%.*f", decimals, value);
}

std::string ReadoutValueText(const CursorReadout& readout) {
  std::string text;
  for (std::size_t i = 0; i < readout.labels.size(); ++i) {
    if (readout.labels[i].empty() || readout.labels[i] == " ") continue;
    if (!text.empty()) text += "  ";
    text += readout.labels[i] + " " + std::to_string(readout.values[i]);
  }
  return text;
}

const CLayer* ReadoutLayer(const CWorkspace& workspace) {
  const CLayerStack& stack = workspace.layerStack;
  if (const CLayer* current = stack.GetCurrentLayer()) return current;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    const CLayer* layer = stack.LayerAt(i);
    const int kind = layer->GetKind();
    if (layer->IsVisible() && (kind == kLayerKindBitmap || kind == kLayerKindRaster)) return layer;
  }
  return nullptr;
}

CStatusReadout::CStatusReadout(CWorkspace& workspace, CImageViewerView& view, QStatusBar& statusBar)
    : QObject(&statusBar), workspace_(workspace), view_(view) {
  position_ = new QLabel(&statusBar);
  position_->setObjectName(QStringLiteral("statusPosition"));
  world_ = new QLabel(&statusBar);
  world_->setObjectName(QStringLiteral("statusWorld"));
  value_ = new QLabel(&statusBar);
  value_->setObjectName(QStringLiteral("statusValue"));
  // Wide enough for the usual texts, so that the fields do not jump as the mouse moves.
  const QFontMetrics metrics = position_->fontMetrics();
  position_->setMinimumWidth(metrics.horizontalAdvance(QString::fromStdString(FormatText(
      LoadText(kPositionText).c_str(), 99999, 99999))));
  world_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("X 0000000.00, Y 0000000.00")));
  value_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("V 00000  > 00000  < 00000")));
  statusBar.addPermanentWidget(position_);
  statusBar.addPermanentWidget(world_);
  statusBar.addPermanentWidget(value_);
  view_.viewport()->installEventFilter(this);
}

void CStatusReadout::ShowAt(int x, int y) {
  const ViewPoint image = view_.WindowToImagePoint({x, y});
  const ViewSize size = view_.ProjectSize();
  if (workspace_.layerStack.LayerCount() == 0 || image.x < 0 || image.y < 0 || image.x >= size.width ||
      image.y >= size.height) {
    Clear();
    return;
  }
  position_->setText(QString::fromStdString(FormatText(LoadText(kPositionText).c_str(), image.x, image.y)));
  const CSaveSettings& settings = workspace_.saveSettings;
  if (const auto world = WorldOfPixel(settings, image.x, image.y)) {
    world_->setText(QString::fromStdString(FormatText(LoadText(kWorldText).c_str(),
                                                      FormatWorldCoordinate(world->x, settings.resolutionX).c_str(),
                                                      FormatWorldCoordinate(world->y, settings.resolutionY).c_str())));
  } else {
    world_->clear();
  }
  const CursorReadout readout = ReadLayerAt(ReadoutLayer(workspace_), image.x, image.y,
                                            workspace_.imageType == kElevationModel, LoadText(kBaseLayerName));
  value_->setText(QString::fromStdString(ReadoutValueText(readout)));
}

void CStatusReadout::Clear() {
  position_->clear();
  world_->clear();
  value_->clear();
}

QString CStatusReadout::PositionText() const { return position_->text(); }
QString CStatusReadout::WorldText() const { return world_->text(); }
QString CStatusReadout::ValueText() const { return value_->text(); }

bool CStatusReadout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_.viewport()) {
    auto* pointer = dynamic_cast<QSinglePointEvent*>(event);
    if (pointer && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)) {
      // Enter too: a window that opens under a still mouse reads out at once.
      const QPoint at = pointer->position().toPoint();
      ShowAt(at.x(), at.y());
    } else if (event->type() == QEvent::Leave) {
      Clear();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace linea
