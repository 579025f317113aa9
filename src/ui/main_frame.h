#pragma once
// The program's single window: three toolbars (main, zoom, panels), the status
// bar, the view in the middle, and the panels as docks — the layers bar on the
// left with the calculation and combination panels below it, the rose, lineament
// and cursor panels on the right. Panels are shown and hidden, never destroyed.
// The command table fills the menus and toolbars with its actions.

#include <functional>
#include <memory>

#include <QMainWindow>

#include "base/app_host.h"
#include "ui/tool_windows.h"

class QDockWidget;
class QToolBar;

namespace linea {

class CCursorBar;
class CCursorLayer;
class CImageViewerView;
class CLayersBar;
class CLineamentsParamBar;
class CRosesParamBar;
class CPalleteShow;
class CRosesCombineDlg;
class CToolHelp;
class CWSDialogBar;
class CWorkspace;
class CZoomToolBar;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  // The workspace and the host must outlive the frame.
  CMainFrame(CWorkspace& workspace, CAppHost& host);
  ~CMainFrame() override;

  CWorkspace& Workspace() const { return workspace_; }
  CImageViewerView& View() const { return *view_; }
  QToolBar& MainToolBar() const { return *mainToolBar_; }
  CZoomToolBar& ZoomToolBar() const { return *zoomToolBar_; }
  QToolBar& PanelsToolBar() const { return *panelsToolBar_; }
  CLayersBar& LayersBar() const { return *layersBar_; }
  CWSDialogBar& CalcBar() const { return *calcBar_; }
  CRosesCombineDlg& CombineBar() const { return *combineBar_; }
  QDockWidget& LayersDock() const { return *layersDock_; }
  QDockWidget& CalcDock() const { return *calcDock_; }
  QDockWidget& CombineDock() const { return *combineDock_; }
  QDockWidget& RosesDock() const { return *rosesDock_; }
  QDockWidget& LineamentsDock() const { return *lineamentsDock_; }
  QDockWidget& CursorDock() const { return *cursorDock_; }
  CPalleteShow& PaletteShow() const { return *paletteShow_; }
  CRosesParamBar& RosesBar() const { return *rosesBar_; }
  CLineamentsParamBar& LineamentsBar() const { return *lineamentsBar_; }
  CCursorBar& CursorBar() const { return *cursorBar_; }
  CCursorLayer& CursorOverlay() const { return *cursorOverlay_; }
  // The one record of which editing windows are open.
  CToolWindows& ToolWindows() { return toolWindows_; }
  // The help windows of the view tools (dialogs 197, 204, 205), hidden until a tool shows one.
  CToolHelp& LineHelp() const { return *lineHelp_; }
  CToolHelp& MergeHelp() const { return *mergeHelp_; }
  CToolHelp& ExcludeHelp() const { return *excludeHelp_; }
  const CToolWindows& ToolWindows() const { return toolWindows_; }

  // The cursor bar shows the overlay's image point and the current layer's values there.
  void RefreshCursorReadout();
  // The rose panel takes the workspace's normalisation choice again.
  void RefreshRosePanel();

  // The workspace's view of the calculation panel: its marks and enabling, and
  // which of the calculation and combination panels is shown.
  void UpdateCalcPanel(const CalcPanelState& state);
  void RefreshCombinationList();
  // A text in the message line of the status bar ("Готово" when empty).
  void ShowStatus(const QString& text);
  QString StatusText() const;

  // Asked before the window closes (the save-changes question); true lets it close.
  std::function<bool()> canClose;
  // Called when the window is first shown.
  std::function<void()> onFirstShown;

 signals:
  // A panel or toolbar was shown or hidden, so command states must follow.
  void stateChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QDockWidget* MakeDock(int titleId, const char* name, QWidget* contents, Qt::DockWidgetAreas areas);
  QToolBar* MakeToolBar(QToolBar* bar, const char* name);

  CWorkspace& workspace_;
  CImageViewerView* view_;
  QToolBar* mainToolBar_;
  CZoomToolBar* zoomToolBar_;
  QToolBar* panelsToolBar_;
  CLayersBar* layersBar_;
  CWSDialogBar* calcBar_;
  CRosesCombineDlg* combineBar_;
  QDockWidget* layersDock_;
  QDockWidget* calcDock_;
  QDockWidget* combineDock_;
  QDockWidget* rosesDock_;
  QDockWidget* lineamentsDock_;
  QDockWidget* cursorDock_;
  CPalleteShow* paletteShow_;
  CRosesParamBar* rosesBar_;
  CLineamentsParamBar* lineamentsBar_;
  CCursorBar* cursorBar_;
  // Not in the layer stack: the view draws it over the picture.
  std::unique_ptr<CCursorLayer> cursorOverlay_;
  CToolWindows toolWindows_;
  CToolHelp* lineHelp_;
  CToolHelp* mergeHelp_;
  CToolHelp* excludeHelp_;
  bool shownOnce_ = false;
};

// The text of a menu command without its shortcut part ("Слои\tCtrl+A" -> "Слои").
QString MenuTextWithoutShortcut(const std::string& text);

}  // namespace linea
