#include "ui/main_frame.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QStatusBar>
#include <QToolBar>

#include "base/layer_names.h"
#include "base/string_table.h"
#include "layers/cursor_layer.h"
#include "project/workspace.h"
#include "ui/cursor_bar.h"
#include "ui/cursor_readout.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/lineaments_param_bar.h"
#include "ui/palette_show.h"
#include "ui/roses_combine_dlg.h"
#include "ui/roses_param_bar.h"
#include "ui/tool_help.h"
#include "ui/ws_dialog_bar.h"
#include "ui/zoom_toolbar.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitLineaResources() { Q_INIT_RESOURCE(icons); }

namespace linea {

namespace {
constexpr int kReadyText = 57345;
constexpr int kLayersTitle = 32774;
constexpr int kCalcTitle = 32785;
constexpr int kCombineTitle = 32782;
constexpr int kRosesTitle = 32775;
constexpr int kLineamentsTitle = 32777;
constexpr int kCursorTitle = 32649;
constexpr std::uint8_t kElevationModel = 3;
}  // namespace

QString MenuTextWithoutShortcut(const std::string& text) {
  const auto tab = text.find('\t');
  return QString::fromStdString(tab == std::string::npos ? text : text.substr(0, tab));
}

CMainFrame::CMainFrame(CWorkspace& workspace, CAppHost& host) : workspace_(workspace) {
  InitLineaResources();
  setObjectName(QStringLiteral("mainFrame"));
  setWindowTitle(QString::fromStdString(LoadText(32807)));
  setDockNestingEnabled(true);

  mainToolBar_ = MakeToolBar(new QToolBar(this), "mainToolBar");
  zoomToolBar_ = static_cast<CZoomToolBar*>(MakeToolBar(new CZoomToolBar(host, this), "zoomToolBar"));
  panelsToolBar_ = MakeToolBar(new QToolBar(this), "panelsToolBar");

  statusBar()->setObjectName(QStringLiteral("statusBar"));
  connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
    if (text.isEmpty()) statusBar()->showMessage(QString::fromStdString(LoadText(kReadyText)));
  });
  statusBar()->showMessage(QString::fromStdString(LoadText(kReadyText)));

  view_ = new CImageViewerView(workspace_, this);
  view_->setObjectName(QStringLiteral("view"));
  setCentralWidget(view_);

  layersBar_ = new CLayersBar(workspace_, this);
  layersDock_ = MakeDock(kLayersTitle, "layersDock", layersBar_, Qt::LeftDockWidgetArea);
  layersBar_->showStatus = [this](const QString& text) { ShowStatus(text); };
  layersBar_->refreshView = [this] { view_->Refresh(); };

  calcBar_ = new CWSDialogBar(this);
  calcDock_ = MakeDock(kCalcTitle, "calcDock", calcBar_, Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  combineBar_ = new CRosesCombineDlg(this);
  combineDock_ = MakeDock(kCombineTitle, "combineDock", combineBar_, Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  rosesBar_ = new CRosesParamBar(host, this);
  rosesDock_ = MakeDock(kRosesTitle, "rosesDock", rosesBar_, Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  lineamentsBar_ = new CLineamentsParamBar(host, this);
  lineamentsDock_ =
      MakeDock(kLineamentsTitle, "lineamentsDock", lineamentsBar_, Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  cursorBar_ = new CCursorBar(this);
  cursorDock_ = MakeDock(kCursorTitle, "cursorDock", cursorBar_, Qt::RightDockWidgetArea);
  // Shown exactly while the overlay is: "Курсор" (32649) is its only switch.
  cursorDock_->setFeatures(QDockWidget::NoDockWidgetFeatures);

  addDockWidget(Qt::LeftDockWidgetArea, layersDock_);
  splitDockWidget(layersDock_, calcDock_, Qt::Vertical);
  splitDockWidget(calcDock_, combineDock_, Qt::Vertical);
  addDockWidget(Qt::RightDockWidgetArea, rosesDock_);
  addDockWidget(Qt::RightDockWidgetArea, lineamentsDock_);
  addDockWidget(Qt::RightDockWidgetArea, cursorDock_);
  for (QDockWidget* dock : {calcDock_, combineDock_, rosesDock_, lineamentsDock_, cursorDock_}) dock->hide();

  lineHelp_ = new CToolHelp(ToolHelpKind::kPolyline, this);
  mergeHelp_ = new CToolHelp(ToolHelpKind::kMergeBlocks, this);
  excludeHelp_ = new CToolHelp(ToolHelpKind::kExcludeBlock, this);
  // Docked beside the view, so that the legend never covers the menus or the picture.
  paletteShow_ = new CPalleteShow(this);
  paletteShow_->setObjectName(QStringLiteral("paletteShow"));
  connect(paletteShow_, &QDockWidget::visibilityChanged, this, &CMainFrame::stateChanged);
  addDockWidget(Qt::RightDockWidgetArea, paletteShow_);
  paletteShow_->hide();

  cursorOverlay_ = std::make_unique<CCursorLayer>();
  view_->SetCursorOverlay(cursorOverlay_.get());
}

CMainFrame::~CMainFrame() {
  // The children outlive this part of the frame while they are destroyed; what
  // they report on their way out must not reach it.
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  layersBar_->showStatus = nullptr;
  layersBar_->refreshView = nullptr;
  layersBar_->updateCommands = nullptr;
  layersBar_->mergeDrawings = nullptr;
  view_->SetCursorOverlay(nullptr);
}

QToolBar* CMainFrame::MakeToolBar(QToolBar* bar, const char* name) {
  bar->setObjectName(QString::fromLatin1(name));
  bar->setIconSize(QSize(16, 16));
  addToolBar(Qt::TopToolBarArea, bar);
  connect(bar, &QToolBar::visibilityChanged, this, &CMainFrame::stateChanged);
  return bar;
}

QDockWidget* CMainFrame::MakeDock(int titleId, const char* name, QWidget* contents, Qt::DockWidgetAreas areas) {
  auto* dock = new QDockWidget(MenuTextWithoutShortcut(LoadText(titleId)), this);
  dock->setObjectName(QString::fromLatin1(name));
  dock->setAllowedAreas(areas);
  dock->setWidget(contents);
  connect(dock, &QDockWidget::visibilityChanged, this, &CMainFrame::stateChanged);
  return dock;
}

void CMainFrame::UpdateCalcPanel(const CalcPanelState& state) {
  calcBar_->UpdateCalcPanel(state);
  rosesBar_->SetGlobalNormalisationAvailable(ComputeCalcPanelEnabling(state, calcBar_->StripesOn()).globalNormalisation);
  calcDock_->setVisible(!state.rosesCombination);
  combineDock_->setVisible(state.rosesCombination);
  // The panels show the colours the project keeps for their next layers.
  const CalcParameters& params = workspace_.params;
  rosesBar_->SetColour(params.roseMapColourSet ? std::optional<std::uint32_t>(params.roseMapColour) : std::nullopt);
  lineamentsBar_->SetColour(params.lineamentColour);
  emit stateChanged();
}

void CMainFrame::RefreshCursorReadout() {
  const ViewPoint at = view_->CursorImagePoint();
  const CursorReadout readout = ReadLayerAt(workspace_.layerStack.GetCurrentLayer(), at.x, at.y,
                                            workspace_.imageType == kElevationModel, LoadText(kBaseLayerName));
  cursorBar_->Show(at.x, at.y, readout);
}

void CMainFrame::RefreshRosePanel() { rosesBar_->RefreshNormalisation(workspace_.params); }

void CMainFrame::RefreshCombinationList() { combineBar_->Refill(workspace_.combinedProjects); }

void CMainFrame::ShowStatus(const QString& text) {
  if (text.isEmpty())
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(text);
}

QString CMainFrame::StatusText() const { return statusBar()->currentMessage(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (canClose && !canClose()) {
    event->ignore();
    return;
  }
  paletteShow_->hide();
  event->accept();
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    if (onFirstShown) onFirstShown();
  }
}

}  // namespace linea
