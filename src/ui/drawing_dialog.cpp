#include "ui/drawing_dialog.h"

#include <QPalette>

#include <vector>

#include "base/messages.h"
#include "project/line_widths.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"
#include "ui/tool_help.h"
#include "ui_drawing_dialog.h"

namespace linea {

namespace {
constexpr int kCannotDoOperation = 32811;  // "Не удается выполнить операцию."

std::vector<PolylinePoint16> ToPoints(std::span<const ImageVertex> vertices) {
  std::vector<PolylinePoint16> points;
  points.reserve(vertices.size());
  for (const ImageVertex& v : vertices) points.push_back({v.x, v.y});
  return points;
}
}  // namespace

CDrawing::CDrawing(CMainFrame& frame, CQtAppHost& host)
    : QDialog(&frame), frame_(frame), host_(host), ui_(new Ui::CDrawingForm), tool_(*this) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("drawingDialog"));
  setModal(false);
  SetColour(colour_);
  connect(ui_->drawButton, &QPushButton::clicked, this, [this] { StartDrawing(); });
  connect(ui_->newLayerButton, &QPushButton::clicked, this, [this] { NewLayer(); });
  connect(ui_->colourButton, &QPushButton::clicked, this, [this] { ChooseColour(); });
  connect(ui_->exitButton, &QPushButton::clicked, this, [this] { Exit(); });
}

CDrawing::~CDrawing() { delete ui_; }

QLineEdit* CDrawing::WidthEdit() const { return ui_->widthEdit; }
QPushButton* CDrawing::DrawButton() const { return ui_->drawButton; }
QPushButton* CDrawing::NewLayerButton() const { return ui_->newLayerButton; }
QPushButton* CDrawing::ColourButton() const { return ui_->colourButton; }
QPushButton* CDrawing::ExitButton() const { return ui_->exitButton; }

void CDrawing::SetColour(std::uint32_t colour) {
  colour_ = colour;
  QPalette palette = ui_->colourSwatch->palette();
  palette.setColor(QPalette::Window, QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)));
  ui_->colourSwatch->setPalette(palette);
}

void CDrawing::Open() {
  open_ = true;
  frame_.ToolWindows().SetOpen(ToolWindow::kDrawing, true);
  frame_.View().SetActiveTool(&tool_);
  show();
  raise();
  activateWindow();
  emit toolStateChanged();
}

bool CDrawing::StartDrawing() {
  if (!open_ || drawing_.IsDrawing()) return false;
  // The project may have been closed while the tool was open: there is nothing to draw on.
  const CWorkspace& workspace = frame_.Workspace();
  if (workspace.results.imageWidth == 0 || workspace.results.imageHeight == 0 ||
      workspace.layerStack.LayerCount() == 0) {
    ShowError(host_, kCannotDoOperation);
    return false;
  }
  const std::optional<int> width =
      ReadLineWidth(host_, ui_->widthEdit->text().toStdString(), kWidthParameter);
  if (!width) {
    ui_->widthEdit->setFocus();
    ui_->widthEdit->selectAll();
    return false;
  }
  const int code = drawing_.StartPolyline(frame_.Workspace().layerStack, SchemeStyle{colour_, *width});
  if (code != 0) {
    ShowErrorCode(host_, code);
    return false;
  }
  CImageViewerView& view = frame_.View();
  view.SetActiveTool(&tool_);
  view.BeginLineDrawing(true);
  hide();
  frame_.LineHelp().show();
  frame_.activateWindow();
  view.setFocus();
  return true;
}

void CDrawing::ChooseColour() {
  const std::optional<std::uint32_t> chosen = host_.ChooseColor(colour_);
  if (chosen) SetColour(*chosen);
}

void CDrawing::PolylineEnded() {
  frame_.LineHelp().hide();
  if (open_) {
    show();
    raise();
  }
}

void CDrawing::Exit() {
  CImageViewerView& view = frame_.View();
  if (view.ActiveTool() == &tool_) view.SetActiveTool(nullptr);
  if (view.IsSchemeDrawing()) view.EndLineDrawing();
  frame_.LineHelp().hide();
  drawing_.End();
  const bool wasOpen = open_;
  open_ = false;
  frame_.ToolWindows().SetOpen(ToolWindow::kDrawing, false);
  hide();
  if (wasOpen) emit toolStateChanged();
}

void CDrawing::reject() { Exit(); }

void CDrawing::CTool::ReceiveVertices(std::span<const ImageVertex> vertices) {
  const int code = owner_.drawing_.AddSchemePoints(owner_.frame_.Workspace(), ToPoints(vertices), false);
  if (code != 0) ShowErrorCode(owner_.host_, code);
}

void CDrawing::CTool::FinishPolyline(std::span<const ImageVertex> rest) {
  const bool wasDrawing = owner_.drawing_.IsDrawing();
  const int code = owner_.drawing_.AddSchemePoints(owner_.frame_.Workspace(), ToPoints(rest), true);
  owner_.PolylineEnded();
  if (code != 0) ShowErrorCode(owner_.host_, code);
  if (wasDrawing) emit owner_.toolStateChanged();
}

void CDrawing::CTool::CancelPolyline() {
  owner_.drawing_.CancelPolyline();
  owner_.PolylineEnded();
}

}  // namespace linea
