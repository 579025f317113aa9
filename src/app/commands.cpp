#include "app/commands.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>

#include "app/combination_commands.h"
#include "app/drawing_commands.h"
#include "app/blocks_commands.h"
#include "app/command_status.h"
#include "app/export_commands.h"
#include "app/calculation_commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "app/mask_commands.h"
#include "app/palette_commands.h"
#include "base/atomic_file.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/cursor_layer.h"
#include "layers/description_file.h"
#include "layers/raster_export.h"
#include "layers/raster_import.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "project/base_image_compression.h"
#include "results/stripes_layer.h"
#include "ui/compress_dlg.h"
#include "ui/cursor_bar.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/lineaments_param_bar.h"
#include "ui/main_calc_dialog.h"
#include "ui/main_frame.h"
#include "ui/palette_show.h"
#include "ui/qt_app_host.h"
#include "ui/roses_combine_dlg.h"
#include "ui/roses_param_bar.h"
#include "ui/world_coordinates.h"
#include "ui/ws_dialog_bar.h"
#include "ui/zoom_toolbar.h"

namespace linea {

namespace {

// Command ids.
enum : int {
  kOpenProject = 57601,
  kSaveProject = 57603,
  kSaveProjectAs = 57604,
  kPrintSetup = 57606,
  kPrint = 57607,
  kPrintPreview = 57609,
  kRecentFirst = 57616,
  kAbout = 57664,
  kExit = 57665,
  kOpenGreyscale = 32786,
  kOpenElevation = 32776,
  kOpenScheme = 32781,
  kOpenViewRaster = 32778,
  kOpenTransparentRaster = 32798,
  kSaveRaster = 32779,
  kSaveVector = 32877,
  kSaveDescription = 32882,
  kSaveSettings = 32884,
  kLayersPanel = 32774,
  kHighlight = 32844,
  kStripes = 32842,
  kGlobalRose = 32841,
  kBlockRoses = 32845,
  kRosesPanel = 32775,
  kLineamentsPanel = 32777,
  kCalcPanel = 32785,
  kCombinePanel = 32782,
  kToolBars = 32840,
  kZoomToolBarToggle = 32783,
  kPanelsToolBarToggle = 1099,
  kPalettePanel = 32891,
  kCursor = 32649,
  kPalette = 32849,
  kCompress = 32851,
  kAddFields = 32858,
  kDrawing = 32876,
  kLineWidths = 32867,
  kCalculate = 32773,
  kUnnamedCommand = 32796,
  kCreateMask = 32859,
  kOpenMask = 32860,
  kEditMask = 32862,
  kSaveMask = 32863,
  kDeleteMask = 32864,
  kUseMask = 32866,
  kInvertMask = 32868,
  kCreateBlocks = 32871,
  kEditBlocks = 32872,
  kSaveBlocks = 32873,
  kDeleteBlocks = 32874,
  kOpenBlocks = 32875,
  kOpenBorders = 32880,
  kOpenSavedBlocks = 32881,
  kHelpContents = 32892,
  kZoomIn = 32771,
  kZoomOut = 32772,
  kActualSize = 32795,
  kFitToWindow = 32797,
  kDisplayFailure = 32799,
};

// Messages.
constexpr int kDisplayFailureMessage = 32825;

constexpr const char* kProjectOpenFilter = "Linea Workspace files(*.orw) | *.orw||";
constexpr const char* kCombinedProjectFilter = "Linea Workspace (*.orw)|*.orw||";
constexpr const char* kProjectDefaultExtension = "*.orw";

// ---- helpers ---------------------------------------------------------------

CWorkspace& Ws(CImageViewerApp& app) { return app.Workspace(); }
CLayerStack& Stack(CImageViewerApp& app) { return app.Workspace().layerStack; }
bool HasLayer(CImageViewerApp& app, int nameId) { return Stack(app).FindLayer(LoadText(nameId)) != nullptr; }
bool HasAnyLayer(CImageViewerApp& app) { return Stack(app).LayerCount() > 0; }

CommandState Enabled(bool on) { return CommandState{on, std::nullopt}; }
CommandState Checked(bool enabled, bool checked) { return CommandState{enabled, checked}; }
CommandState Always(CImageViewerApp&) { return Enabled(true); }
// The commands that never do anything: printing and the unnamed command.
CommandState Disabled(CImageViewerApp&) { return Enabled(false); }
void Nothing(CImageViewerApp&) {}

std::optional<ChosenFile> AskOpen(CImageViewerApp& app, const std::string& filter, const std::string& extension,
                                  const std::string& folderKey) {
  if (auto dropped = app.Host().TakePresetOpenFile()) return dropped;
  FileDialogRequest request;
  request.filter = filter;
  request.defaultExtension = extension;
  request.initialFolder = app.Folder(folderKey);
  if (request.initialFolder.empty()) request.initialFolder = QDir::currentPath().toStdString();
  return app.Host().GetOpenFileName(request);
}

// After a command changed the project: scroll sizes, picture and title follow.
void AfterProjectChange(CImageViewerApp& app) {
  app.View().OnDocumentUpdate();
  app.UpdateTitle();
}

// ---- file commands ---------------------------------------------------------

void OpenProject(CImageViewerApp& app) {
  if (!app.Document().SaveModified()) return;
  auto chosen = AskOpen(app, kProjectOpenFilter, kProjectDefaultExtension, "WorkspacePath");
  if (chosen) app.OpenDocumentFile(chosen->path);
}

template <int Index>
void OpenRecent(CImageViewerApp& app) {
  if (std::size_t(Index) >= app.RecentProjects().size()) return;
  const std::string path = app.RecentProjects()[Index];
  if (!app.Document().SaveModified()) return;
  app.OpenDocumentFile(path);
}

template <int Index>
CommandState RecentState(CImageViewerApp& app) {
  CommandState state;
  state.visible = std::size_t(Index) < app.RecentProjects().size();
  return state;
}

void SaveProject(CImageViewerApp& app) { app.Document().DoSave(false); }
void SaveProjectAs(CImageViewerApp& app) { app.Document().DoSave(true); }

template <int Kind>
void OpenBaseImage(CImageViewerApp& app) {
  CImageViewerDoc& document = app.Document();
  if (!document.SaveModified()) return;
  // The open project stays until a file is chosen: Cancel in the file dialog keeps it.
  const bool elevation = Kind == kImageTypeElevation;
  auto chosen = AskOpen(app, elevation ? ElevationModelOpenFilter() : RasterOpenFilter(),
                        elevation ? kElevationModelDefaultExtension : kRasterDefaultExtension, "SourcePath");
  if (!chosen) return;
  document.NewDocument();
  AfterProjectChange(app);
  bool loaded;
  {
    CWaitCursor wait;
    loaded = Ws(app).LoadBaseImage(chosen->path, Kind);
  }
  if (loaded) {
    document.SetTitle(FileTitle(chosen->path));
    document.SetModifiedFlag(true);
  }
  AfterProjectChange(app);
}

template <int Kind>
void OpenBlocks(CImageViewerApp& app) {
  auto chosen = AskOpen(app, RasterOpenFilter(), kRasterDefaultExtension, "BlockPath");
  if (!chosen) return;
  bool loaded;
  {
    CWaitCursor wait;
    loaded = Ws(app).LoadBlocksImage(chosen->path, Kind);
  }
  if (loaded) {
    app.Document().SetModifiedFlag(true);
    app.View().Refresh();
  }
}

CommandState OpenBlocksState(CImageViewerApp& app) {
  return Enabled(HasAnyLayer(app) && !HasLayer(app, kBlocksLayerName));
}

void OpenMask(CImageViewerApp& app) {
  auto chosen = AskOpen(app, RasterOpenFilter(), kRasterDefaultExtension, "MaskPath");
  if (!chosen) return;
  bool loaded;
  {
    CWaitCursor wait;
    loaded = Ws(app).LoadMaskImage(chosen->path);
  }
  if (loaded) {
    app.Document().SetModifiedFlag(true);
    app.View().Refresh();
  }
}

CommandState OpenMaskState(CImageViewerApp& app) { return Enabled(HasAnyLayer(app) && !HasLayer(app, kMaskLayerName)); }

template <bool Transparent>
void OpenViewRaster(CImageViewerApp& app) {
  auto chosen = AskOpen(app, RasterOpenFilter(), kRasterDefaultExtension, "ImagePath");
  if (!chosen) return;
  bool loaded;
  {
    CWaitCursor wait;
    loaded = Ws(app).LoadViewRaster(chosen->path, Transparent);
  }
  if (loaded) app.View().Refresh();
}

// The save dialog of a raster derived from the base image, proposing its title and "_".
std::optional<ChosenFile> AskRasterSaveFile(CImageViewerApp& app) {
  FileDialogRequest request;
  request.filter = RasterSaveFilter();
  request.initialFolder = QDir::currentPath().toStdString();
  request.proposedName = FileTitle(Ws(app).baseImagePath) + "_";
  return app.Host().GetSaveFileName(request);
}

// The mask or the blocks written as a raster in the format chosen in the dialog.
void SaveLayerAsRaster(CImageViewerApp& app, int layerNameId, std::string CWorkspace::*recordedPath) {
  CWorkspace& workspace = Ws(app);
  auto chosen = AskRasterSaveFile(app);
  if (!chosen) return;
  int result;
  {
    CWaitCursor wait;
    result = SaveLayerRaster(workspace.layerStack, chosen->path, chosen->filterIndex, LoadText(layerNameId));
  }
  // Only a file that was written becomes the project's: the next project save
  // would otherwise name a file that is not there.
  if (result == kSaveLayerSaved) {
    workspace.*recordedPath = chosen->path;
  } else if (result == kSaveLayerFailed) {
    ShowErrorCode(app.Host(), WriteFailureCode(chosen->path));
  }
}

void SaveMask(CImageViewerApp& app) { SaveLayerAsRaster(app, kMaskLayerName, &CWorkspace::maskImagePath); }
void SaveBlocks(CImageViewerApp& app) { SaveLayerAsRaster(app, kBlocksLayerName, &CWorkspace::blocksImagePath); }
CommandState MaskState(CImageViewerApp& app) { return Enabled(HasLayer(app, kMaskLayerName)); }
CommandState BlocksState(CImageViewerApp& app) { return Enabled(HasLayer(app, kBlocksLayerName)); }

// The descriptions of the layers shown, written beside the chosen name as ".txo".
void SaveDescription(CImageViewerApp& app) {
  FileDialogRequest request;
  request.filter = "LineaText (*.txo)|*.txo||";
  request.initialFolder = QDir::currentPath().toStdString();
  request.proposedName = FileTitle(Ws(app).baseImagePath) + "_";
  auto chosen = app.Host().GetSaveFileName(request);
  if (!chosen) return;
  if (!WriteDescription(Stack(app), chosen->path)) ShowErrorCode(app.Host(), kErrorCannotWrite);
}

void UseMask(CImageViewerApp& app) {
  CWorkspace& workspace = Ws(app);
  if (!workspace.params.UseMask) {
    workspace.results.ClearDerivedResults(&workspace.layerStack);
    workspace.UpdateCalcPanel();
  }
  workspace.params.UseMask = true;
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
}

void Exit(CImageViewerApp& app) { app.Frame().close(); }
void About(CImageViewerApp& app) { app.Host().RunAboutDialog(); }

// ---- panels and toolbars -----------------------------------------------------

void ToggleLayersPanel(CImageViewerApp& app) {
  QDockWidget& dock = app.Frame().LayersDock();
  if (dock.isHidden()) {
    app.Frame().LayersBar().Refill();
    dock.show();
  } else {
    dock.hide();
  }
}
CommandState LayersPanelState(CImageViewerApp& app) { return Checked(true, !app.Frame().LayersDock().isHidden()); }

// Only one of the rose and lineament panels is shown at a time.
void TogglePanelHidingOther(QDockWidget& panel, QDockWidget& other) {
  if (panel.isHidden()) {
    other.hide();
    panel.show();
  } else {
    panel.hide();
  }
}
// A panel without the results it shows cannot stay open.
CommandState ResultPanelState(QDockWidget& panel, bool hasResults) {
  if (!hasResults && !panel.isHidden()) panel.hide();
  return Checked(hasResults, !panel.isHidden());
}
void ToggleRosesPanel(CImageViewerApp& app) {
  TogglePanelHidingOther(app.Frame().RosesDock(), app.Frame().LineamentsDock());
}
void ToggleLineamentsPanel(CImageViewerApp& app) {
  TogglePanelHidingOther(app.Frame().LineamentsDock(), app.Frame().RosesDock());
}
CommandState RosesPanelState(CImageViewerApp& app) {
  return ResultPanelState(app.Frame().RosesDock(), Ws(app).results.hasWindowRoses);
}
CommandState LineamentsPanelState(CImageViewerApp& app) {
  return ResultPanelState(app.Frame().LineamentsDock(), Ws(app).results.hasLineaments);
}

// The calculation and combination panels follow the workspace's mode, which the
// workspace may refuse to leave.
void ToggleModePanel(CImageViewerApp& app, bool combination) {
  CMainFrame& frame = app.Frame();
  QDockWidget& panel = combination ? frame.CombineDock() : frame.CalcDock();
  QDockWidget& other = combination ? frame.CalcDock() : frame.CombineDock();
  if (!panel.isHidden()) {
    panel.hide();
    return;
  }
  if (!Ws(app).SetCombinationMode(combination)) return;
  other.hide();
  panel.show();
}
void ToggleCalcPanel(CImageViewerApp& app) { ToggleModePanel(app, false); }
void ToggleCombinePanel(CImageViewerApp& app) { ToggleModePanel(app, true); }
CommandState CalcPanelState(CImageViewerApp& app) { return Checked(true, !app.Frame().CalcDock().isHidden()); }
CommandState CombinePanelState(CImageViewerApp& app) { return Checked(true, !app.Frame().CombineDock().isHidden()); }

void ToggleWidget(QWidget& widget) { widget.setVisible(widget.isHidden()); }
void ToggleZoomToolBar(CImageViewerApp& app) { ToggleWidget(app.Frame().ZoomToolBar()); }
void TogglePanelsToolBar(CImageViewerApp& app) { ToggleWidget(app.Frame().PanelsToolBar()); }
void ToggleToolBars(CImageViewerApp& app) {
  ToggleWidget(app.Frame().MainToolBar());
  ToggleWidget(app.Frame().ZoomToolBar());
  ToggleWidget(app.Frame().PanelsToolBar());
}
CommandState ZoomToolBarState(CImageViewerApp& app) { return Checked(true, !app.Frame().ZoomToolBar().isHidden()); }
CommandState PanelsToolBarState(CImageViewerApp& app) {
  return Checked(true, !app.Frame().PanelsToolBar().isHidden());
}
CommandState ToolBarsState(CImageViewerApp& app) { return Checked(true, !app.Frame().MainToolBar().isHidden()); }

void TogglePalettePanel(CImageViewerApp& app) { ToggleWidget(app.Frame().PaletteShow()); }
CommandState PalettePanelState(CImageViewerApp& app) { return Checked(true, !app.Frame().PaletteShow().isHidden()); }

void DisplayFailure(CImageViewerApp& app) {
  app.Frame().LayersBar().Refill();
  ShowError(app.Host(), kDisplayFailureMessage);
}

// ---- result-layer switches ---------------------------------------------------

// Switches a named result layer: removed when it exists, otherwise built by the
// workspace's entry point.
void SwitchResultLayer(CImageViewerApp& app, int nameId, int (CWorkspace::*build)()) {
  CWorkspace& workspace = Ws(app);
  if (CLayer* layer = workspace.layerStack.FindLayer(LoadText(nameId))) {
    workspace.layerStack.RemoveLayer(layer);
  } else {
    CWaitCursor wait;
    (workspace.*build)();
  }
  app.View().Refresh();
}
void SwitchStripes(CImageViewerApp& app) { SwitchResultLayer(app, kStripesLayerName, &CWorkspace::ShowStripesLayer); }
void SwitchGlobalRose(CImageViewerApp& app) {
  SwitchResultLayer(app, kGlobalRoseLayerName, &CWorkspace::ShowGlobalRoseLayer);
}
void SwitchBlockRoses(CImageViewerApp& app) {
  SwitchResultLayer(app, kBlockRosesLayerName, &CWorkspace::ShowBlockRosesLayer);
}
void SwitchHighlight(CImageViewerApp& app) {
  SwitchResultLayer(app, kHighlightLayerName, &CWorkspace::ShowHighlightLayer);
}
CommandState StripesState(CImageViewerApp& app) {
  return Checked(Ws(app).results.hasStripes, HasLayer(app, kStripesLayerName));
}
CommandState GlobalRoseState(CImageViewerApp& app) {
  return Checked(Ws(app).results.hasGlobalRose, HasLayer(app, kGlobalRoseLayerName));
}
CommandState BlockRosesState(CImageViewerApp& app) {
  return Checked(Ws(app).results.hasBlockRoses, HasLayer(app, kBlockRosesLayerName));
}
CommandState HighlightState(CImageViewerApp& app) {
  return Checked(Ws(app).results.imageType == kImageTypeElevation, HasLayer(app, kHighlightLayerName));
}

// ---- zoom ------------------------------------------------------------------------

void ShowZoom(CImageViewerApp& app) { app.Frame().ZoomToolBar().ShowZoom(Stack(app).GetZoom()); }
void ZoomIn(CImageViewerApp& app) {
  app.View().SetZoom(Stack(app).GetZoom() * kZoomInFactor);
  ShowZoom(app);
}
void ZoomOut(CImageViewerApp& app) {
  app.View().SetZoom(Stack(app).GetZoom() * kZoomOutFactor);
  ShowZoom(app);
}
void ActualSize(CImageViewerApp& app) {
  app.View().SetZoom(1.0);
  ShowZoom(app);
}
void FitToWindow(CImageViewerApp& app) {
  app.View().FitToWindow();
  ShowZoom(app);
}
CommandState ZoomState(CImageViewerApp& app) { return Enabled(HasAnyLayer(app)); }

// ---- the layers bar's context menu -------------------------------------------------

CLayer* Selected(CImageViewerApp& app) { return app.Frame().LayersBar().SelectedLayer(); }
bool SelectedIsKind(CImageViewerApp& app, int kind) {
  const CLayer* layer = Selected(app);
  return layer != nullptr && layer->GetKind() == kind;
}

void DeleteLayer(CImageViewerApp& app) {
  CLayer* layer = Selected(app);
  if (layer == nullptr) return;
  Stack(app).RemoveLayer(layer);
  app.Frame().LayersBar().Refill();
  app.View().Refresh();
}
CommandState DeleteLayerState(CImageViewerApp& app) {
  const CLayer* layer = Selected(app);
  return Enabled(layer != nullptr && layer->IsDeletable());
}

void GreyPalette(CImageViewerApp& app) {
  if (!SelectedIsKind(app, kLayerKindRaster)) return;
  static_cast<CBitmapLayer*>(Selected(app))->SetGrayPalette();
  app.View().Refresh();
}
CommandState GreyPaletteState(CImageViewerApp& app) { return Enabled(SelectedIsKind(app, kLayerKindRaster)); }

void DrawLast(CImageViewerApp& app) {
  CLayer* layer = Selected(app);
  if (layer == nullptr || layer->GetKind() != kLayerKindVector3) return;
  if (Stack(app).MoveToEnd(layer)) {
    app.Frame().LayersBar().Refill();
    app.View().Refresh();
  }
}
CommandState DrawLastState(CImageViewerApp& app) { return Enabled(SelectedIsKind(app, kLayerKindVector3)); }

void ReplaceStripesCommand(CImageViewerApp& app) {
  const auto* drawing = dynamic_cast<const CVectorLayer3*>(Selected(app));
  if (drawing == nullptr) return;
  CWorkspace& workspace = Ws(app);
  const int code = ReplaceStripes(workspace.results, *drawing);
  if (code != 0) {
    ShowErrorCode(app.Host(), code);
  } else if (HasLayer(app, kStripesLayerName)) {
    workspace.ShowStripesLayer();  // the layer shows the stripes that are left
  }
  workspace.UpdateCalcPanel();
  app.Document().SetModifiedFlag(true);
  app.View().Refresh();
}
CommandState ReplaceStripesState(CImageViewerApp& app) { return Enabled(SelectedIsKind(app, kLayerKindVector3)); }

// ---- cursor, dialogs and map panels ----------------------------------------------

void ToggleCursor(CImageViewerApp& app) {
  CCursorLayer& overlay = app.Frame().CursorOverlay();
  overlay.SetVisible(!overlay.IsVisible());
  overlay.MarkChanged();
  app.Frame().CursorDock().setVisible(overlay.IsVisible());
  app.View().Refresh();
  app.Frame().RefreshCursorReadout();
}
CommandState CursorState(CImageViewerApp& app) {
  return Checked(HasAnyLayer(app), app.Frame().CursorOverlay().IsVisible() || app.View().IsCursorCaptured());
}

// The save settings are not part of the project's modified state.
void SaveSettingsCommand(CImageViewerApp& app) {
  CWorkspace& workspace = Ws(app);
  CWorldCoordinates dialog(&app.Frame(), workspace.saveSettings);
  if (app.Host().ExecDialog(dialog) != QDialog::Accepted) return;
  ApplyWorldCoordinates(workspace.saveSettings, dialog.Settings(), workspace.results.imageWidth,
                        workspace.results.imageHeight, app.Host());
}

// A reduced copy of the base image; the project does not change.
void Compress(CImageViewerApp& app) {
  CWorkspace& workspace = Ws(app);
  CCompressDlg dialog(&app.Frame(), app.Host());
  if (app.Host().ExecDialog(dialog) != QDialog::Accepted) return;
  const double factor = dialog.Factor();
  auto chosen = AskRasterSaveFile(app);
  if (!chosen) return;
  CWaitCursor wait;
  CompressBaseImageReported(app.Host(), workspace.layerStack, factor, chosen->path, chosen->filterIndex);
}
CommandState CompressState(CImageViewerApp& app) { return Enabled(HasLayer(app, kBaseLayerName)); }

}  // namespace

void EditCalcParameters(CImageViewerApp& app) {
  CWorkspace& workspace = Ws(app);
  CalcDialogContext context;
  context.imageWidth = workspace.results.imageWidth;
  context.imageHeight = workspace.results.imageHeight;
  context.imageType = workspace.imageType;
  context.maskLayerExists = HasLayer(app, kMaskLayerName);
  CMainCalcDialog dialog(&app.Frame(), app.Host(), workspace.params, context);
  if (app.Host().ExecDialog(dialog) != QDialog::Accepted) return;
  workspace.ApplyCalcParameters(dialog.Result());
  app.UpdateTitle();
}

namespace {
// A panel's show button: the fields stored and checked into the parameters, the
// map built by the workspace (a failure has been shown by its code), and the
// builder's values written back.
template <typename Panel>
void ShowMapFromPanel(CImageViewerApp& app, Panel& panel, bool hasResults, int (CWorkspace::*build)(bool),
                      bool newLayer) {
  CWorkspace& workspace = Ws(app);
  if (!hasResults || !panel.StoreAndValidate(workspace.params)) return;
  int code;
  {
    CWaitCursor wait;
    code = (workspace.*build)(newLayer);
  }
  if (code == 0) panel.WriteBack(workspace.params);
  app.Frame().LayersBar().Refill();
  app.View().Refresh();
}
}  // namespace

void ShowRoseMapFromPanel(CImageViewerApp& app, bool newLayer) {
  ShowMapFromPanel(app, app.Frame().RosesBar(), Ws(app).results.hasWindowRoses, &CWorkspace::ShowRoseMap, newLayer);
}

void ShowLineamentsFromPanel(CImageViewerApp& app, bool newLayer) {
  ShowMapFromPanel(app, app.Frame().LineamentsBar(), Ws(app).results.hasLineaments, &CWorkspace::ShowLineamentsMap,
                   newLayer);
}

namespace {

// ---- the table -----------------------------------------------------------------

constexpr CommandDef kCommands[] = {
    // File
    {kOpenProject, kOpenProject, nullptr, ":/icons/open.xpm", OpenProject, Always},
    {kSaveProject, kSaveProject, nullptr, ":/icons/save.xpm", SaveProject, Always},
    {kSaveProjectAs, kSaveProjectAs, nullptr, nullptr, SaveProjectAs, Always},
    {kOpenGreyscale, kOpenGreyscale, nullptr, nullptr, OpenBaseImage<kImageTypeGreyscale>, Always},
    {kOpenElevation, kOpenElevation, nullptr, nullptr, OpenBaseImage<kImageTypeElevation>, Always},
    {kOpenScheme, kOpenScheme, nullptr, nullptr, OpenBaseImage<kImageTypeScheme>, Always},
    {kOpenViewRaster, kOpenViewRaster, nullptr, nullptr, OpenViewRaster<false>, Always},
    {kOpenTransparentRaster, kOpenTransparentRaster, nullptr, nullptr, OpenViewRaster<true>, Always},
    {kSaveRaster, kSaveRaster, nullptr, nullptr, SaveRasterCommand, SaveRasterState},
    {kSaveVector, kSaveVector, nullptr, nullptr, SaveVectorCommand, SaveVectorState},
    {kSaveDescription, kSaveDescription, nullptr, nullptr, SaveDescription, Always},
    {kSaveSettings, kSaveSettings, nullptr, nullptr, SaveSettingsCommand, Always},
    {kPrint, 0, "&Печать...\tCtrl+P", nullptr, Nothing, Disabled},
    {kPrintPreview, 0, "Пред&варительный просмотр", nullptr, Nothing, Disabled},
    {kPrintSetup, 0, "&Настройка печати...", nullptr, Nothing, Disabled},
    {kRecentFirst, 0, "", nullptr, OpenRecent<0>, RecentState<0>},
    {kRecentFirst + 1, 0, "", nullptr, OpenRecent<1>, RecentState<1>},
    {kRecentFirst + 2, 0, "", nullptr, OpenRecent<2>, RecentState<2>},
    {kRecentFirst + 3, 0, "", nullptr, OpenRecent<3>, RecentState<3>},
    {kExit, kExit, nullptr, nullptr, Exit, Always},
    // View
    {kLayersPanel, kLayersPanel, nullptr, ":/icons/layers.xpm", ToggleLayersPanel, LayersPanelState, true},
    {kRosesPanel, kRosesPanel, nullptr, ":/icons/roses_panel.xpm", ToggleRosesPanel, RosesPanelState, true},
    {kLineamentsPanel, kLineamentsPanel, nullptr, ":/icons/lineaments_panel.xpm", ToggleLineamentsPanel,
     LineamentsPanelState, true},
    {kPalettePanel, kPalettePanel, nullptr, nullptr, TogglePalettePanel, PalettePanelState, true},
    {kCursor, kCursor, nullptr, ":/icons/cursor.xpm", ToggleCursor, CursorState, true},
    {kToolBars, kToolBars, nullptr, nullptr, ToggleToolBars, ToolBarsState, true},
    {kZoomToolBarToggle, kZoomToolBarToggle, nullptr, nullptr, ToggleZoomToolBar, ZoomToolBarState, true},
    {kPanelsToolBarToggle, 0, "Показать/спрятать  панель панелей", nullptr, TogglePanelsToolBar, PanelsToolBarState,
     true},
    {kStripes, kStripes, nullptr, ":/icons/stripes.xpm", SwitchStripes, StripesState, true},
    {kGlobalRose, kGlobalRose, nullptr, ":/icons/global_rose.xpm", SwitchGlobalRose, GlobalRoseState, true},
    {kBlockRoses, kBlockRoses, nullptr, ":/icons/block_roses.xpm", SwitchBlockRoses, BlockRosesState, true},
    {kHighlight, kHighlight, nullptr, ":/icons/relief.xpm", SwitchHighlight, HighlightState, true},
    {kZoomIn, kZoomIn, nullptr, ":/icons/zoom_in.xpm", ZoomIn, ZoomState},
    {kZoomOut, kZoomOut, nullptr, ":/icons/zoom_out.xpm", ZoomOut, ZoomState},
    {kActualSize, kActualSize, nullptr, ":/icons/zoom_actual.xpm", ActualSize, ZoomState},
    {kFitToWindow, kFitToWindow, nullptr, ":/icons/zoom_fit.xpm", FitToWindow, ZoomState},
    {kDisplayFailure, 0, "", nullptr, DisplayFailure, Always},
    // Operations: their dialogs' handlers live in palette_, combination_ and drawing_commands.
    {kPalette, 0, "Палитра", nullptr, EditDefaultPalette, Always},
    {kCompress, 0, "Сжать", nullptr, Compress, CompressState},
    {kAddFields, kAddFields, nullptr, nullptr, AddFieldsCommand, AddFieldsState},
    {kDrawing, kDrawing, nullptr, nullptr, OpenDrawing, DrawingState},
    {kLineWidths, kLineWidths, nullptr, nullptr, EditLineWidths, LineWidthsState},
    {kCalculate, kCalculate, nullptr, nullptr, Calculate, CalculateState},
    {kUnnamedCommand, 0, "", nullptr, Nothing, Disabled},
    // Masks: open, save and use are here; create, edit, invert and delete in mask_commands.
    {kOpenMask, kOpenMask, nullptr, nullptr, OpenMask, OpenMaskState},
    {kCreateMask, kCreateMask, nullptr, nullptr, CreateMaskCommand, CreateMaskState},
    {kEditMask, kEditMask, nullptr, nullptr, EditMaskCommand, EditMaskState},
    {kInvertMask, kInvertMask, nullptr, nullptr, InvertMaskCommand, MaskExistsState},
    {kSaveMask, kSaveMask, nullptr, nullptr, SaveMask, MaskState},
    {kDeleteMask, kDeleteMask, nullptr, nullptr, DeleteMaskCommand, MaskExistsState},
    {kUseMask, kUseMask, nullptr, nullptr, UseMask, MaskState},
    // Blocks: open and save are here; create, edit and delete in blocks_commands.
    {kOpenBlocks, kOpenBlocks, nullptr, nullptr, OpenBlocks<1>, OpenBlocksState},
    {kOpenBorders, kOpenBorders, nullptr, nullptr, OpenBlocks<2>, OpenBlocksState},
    {kOpenSavedBlocks, kOpenSavedBlocks, nullptr, nullptr, OpenBlocks<0>, OpenBlocksState},
    {kCreateBlocks, kCreateBlocks, nullptr, nullptr, CreateBlocksCommand, CreateBlocksState},
    {kEditBlocks, kEditBlocks, nullptr, nullptr, EditBlocksCommand, EditBlocksState},
    {kSaveBlocks, kSaveBlocks, nullptr, nullptr, SaveBlocks, BlocksState},
    {kDeleteBlocks, kDeleteBlocks, nullptr, nullptr, DeleteBlocksCommand, DeleteBlocksState},
    // Calculation panels
    {kCalcPanel, kCalcPanel, nullptr, ":/icons/calc_panel.xpm", ToggleCalcPanel, CalcPanelState, true},
    {kCombinePanel, kCombinePanel, nullptr, ":/icons/combine_panel.xpm", ToggleCombinePanel, CombinePanelState, true},
    // Help
    {kHelpContents, kHelpContents, nullptr, nullptr, Nothing, Always},
    {kAbout, kAbout, nullptr, ":/icons/about.xpm", About, Always},
    // The layers bar's context menu; palettes, isolines and colour bands in
    // palette_commands, colour and width in drawing_commands.
    {kLayerDelete, kLayerDelete, nullptr, nullptr, DeleteLayer, DeleteLayerState},
    {kLayerPalette, kLayerPalette, nullptr, nullptr, EditLayerPalette, ClassMapSelectedState},
    {kLayerGreyPalette, kLayerGreyPalette, nullptr, nullptr, GreyPalette, GreyPaletteState},
    {kLayerChangeColor, kLayerChangeColor, nullptr, nullptr, ChangeLayerColor, ChangeLayerColorState},
    {kLayerChangeWidth, 0, "Изменить Ширину", nullptr, ChangeLayerWidth, ChangeLayerWidthState},
    {kLayerIsolines, 0, "Изолинии", nullptr, ShowLayerIsolines, ClassMapSelectedState},
    {kLayerColorBand, kLayerColorBand, nullptr, nullptr, ShowLayerColorBand, ClassMapSelectedState},
    {kLayerDrawLast, kLayerDrawLast, nullptr, nullptr, DrawLast, DrawLastState},
    {kLayerReplaceStripes, kLayerReplaceStripes, nullptr, nullptr, ReplaceStripesCommand, ReplaceStripesState},
};

constexpr int kRecentPlaceholder = -1;
constexpr int kFileMenu[] = {kOpenProject,   kSaveProject,  kSaveProjectAs,  0,
                             kOpenGreyscale, kOpenElevation, kOpenScheme,   0,
                             kOpenViewRaster, kOpenTransparentRaster, 0,     kSaveRaster,
                             kSaveVector,    kSaveDescription, kSaveSettings, 0,
                             kPrint,         kPrintPreview, kPrintSetup,     0,
                             kRecentFirst,   kRecentFirst + 1, kRecentFirst + 2, kRecentFirst + 3,
                             kRecentPlaceholder, kExit};
constexpr int kViewMenu[] = {kLayersPanel, kRosesPanel, kLineamentsPanel, kPalettePanel, kCursor, 0,
                             kToolBars,    kZoomToolBarToggle, kPanelsToolBarToggle, 0,
                             kStripes,     kGlobalRose, kBlockRoses, kHighlight, 0,
                             kZoomIn,      kZoomOut,    kActualSize, kFitToWindow};
constexpr int kOperationsMenu[] = {kPalette, kCompress, kAddFields, kDrawing, kLineWidths};
constexpr int kMasksMenu[] = {kOpenMask, kCreateMask, kEditMask, kInvertMask, 0, kSaveMask, kDeleteMask, kUseMask};
constexpr int kBlocksMenu[] = {kOpenBlocks, kOpenBorders, kOpenSavedBlocks, 0, kCreateBlocks, kEditBlocks, 0,
                               kSaveBlocks, kDeleteBlocks};
constexpr int kCalcPanelsMenu[] = {kCalcPanel, kCombinePanel};
constexpr int kHelpMenu[] = {kHelpContents, 0, kAbout};

constexpr MenuDef kMenus[] = {
    {"Файл", kFileMenu},          {"Вид", kViewMenu},   {"Операции", kOperationsMenu},
    {"Маски", kMasksMenu},        {"Блоки", kBlocksMenu}, {"Панели Расчетов", kCalcPanelsMenu},
    {"Помощь", kHelpMenu},
};

constexpr int kMainToolBar[] = {kOpenProject, kSaveProject, 0, kAbout};
constexpr int kZoomToolBar[] = {kFitToWindow, kActualSize, 0, kZoomIn, kZoomOut};
constexpr int kPanelsToolBar[] = {kRosesPanel, kLineamentsPanel, kLayersPanel, kCalcPanel, kCombinePanel, kGlobalRose,
                                  kStripes,    kBlockRoses,      kHighlight,   0,          kCursor};
constexpr int kLayerMenu[] = {kLayerDelete,  kLayerPalette, kLayerGreyPalette, kLayerChangeColor,  kLayerChangeWidth,
                              kLayerIsolines, kLayerColorBand, kLayerDrawLast,  kLayerReplaceStripes};

QString RecentText(int index, const std::string& path) {
  return QStringLiteral("&%1 %2").arg(index + 1).arg(QString::fromStdString(path));
}

}  // namespace

std::span<const CommandDef> CommandDefinitions() { return kCommands; }

const CommandDef* FindCommand(int id) {
  for (const CommandDef& command : kCommands)
    if (command.id == id) return &command;
  return nullptr;
}

std::span<const MenuDef> MenuDefinitions() { return kMenus; }

std::string CommandText(const CommandDef& command) {
  return command.textId != 0 ? LoadText(command.textId) : std::string(command.text ? command.text : "");
}

std::string ShortcutOfText(const std::string& text) {
  const auto tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

CCommandTable::CCommandTable(CImageViewerApp& app) : app_(app) {}
CCommandTable::~CCommandTable() = default;

QAction* CCommandTable::Action(int id) const {
  auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

QMenu* CCommandTable::Menu(const std::string& title) const {
  auto found = menus_.find(title);
  return found == menus_.end() ? nullptr : found->second;
}

void CCommandTable::Install(CMainFrame& frame) {
  for (const CommandDef& command : kCommands) {
    const std::string text = CommandText(command);
    auto* action = new QAction(MenuTextWithoutShortcut(text), &frame);
    action->setObjectName(QStringLiteral("command%1").arg(command.id));
    action->setData(command.id);
    const std::string shortcut = ShortcutOfText(text);
    if (!shortcut.empty()) action->setShortcut(QKeySequence(QString::fromStdString(shortcut)));
    if (command.icon) action->setIcon(QIcon(QString::fromLatin1(command.icon)));
    action->setCheckable(command.checkable);
    action->setStatusTip(QString::fromStdString(CommandStatusText(command)));
    const int id = command.id;
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    // Shortcuts work wherever the focus is in the window, menus open or not.
    frame.addAction(action);
    actions_[id] = action;
  }

  for (const MenuDef& menuDef : kMenus) {
    QMenu* menu = frame.menuBar()->addMenu(QString::fromUtf8(menuDef.title));
    menus_[menuDef.title] = menu;
    for (int id : menuDef.ids) {
      if (id == 0 || id == kRecentPlaceholder)
        menu->addSeparator();
      else
        menu->addAction(actions_.at(id));
    }
    connect(menu, &QMenu::aboutToShow, this, &CCommandTable::UpdateCommandStates);
  }

  auto fill = [this](QToolBar& bar, std::span<const int> ids) {
    for (int id : ids) {
      if (id == 0)
        bar.addSeparator();
      else
        bar.addAction(actions_.at(id));
    }
  };
  fill(frame.MainToolBar(), kMainToolBar);
  fill(frame.ZoomToolBar(), kZoomToolBar);
  fill(frame.PanelsToolBar(), kPanelsToolBar);

  std::map<int, QAction*> layerMenu;
  for (int id : kLayerMenu) layerMenu[id] = actions_.at(id);
  CLayersBar& layersBar = frame.LayersBar();
  layersBar.SetMenuActions(std::move(layerMenu));
  layersBar.updateCommands = [this] { UpdateCommandStates(); };
  InstallDrawingCommands(app_);

  CZoomToolBar& zoomBar = frame.ZoomToolBar();
  zoomBar.applyZoom = [this](double zoom) {
    app_.View().SetZoom(zoom);
    return true;
  };
  zoomBar.currentZoom = [this] { return app_.Workspace().layerStack.GetZoom(); };

  CImageViewerView& view = frame.View();
  connect(&view, &CImageViewerView::zoomChanged, this, [this] { ShowZoom(app_); });
  connect(&view, &CImageViewerView::displayFailed, this, [this] { app_.Host().PostDisplayFailure(); });
  connect(&frame, &CMainFrame::stateChanged, this, &CCommandTable::UpdateCommandStates);
  connect(&layersBar, &CLayersBar::currentLayerChanged, this, &CCommandTable::UpdateCommandStates);

  CWSDialogBar& calcBar = frame.CalcBar();
  connect(&calcBar, &CWSDialogBar::stripesClicked, this, [this] { app_.Workspace().UpdateCalcPanel(); });
  connect(&calcBar, &CWSDialogBar::calculateRequested, this, [this] { Run(kCalculate); });
  connect(&calcBar, &CWSDialogBar::settingsRequested, this, [this] {
    EditCalcParameters(app_);
    UpdateCommandStates();
  });
  connect(&frame.RosesBar(), &CRosesParamBar::showRequested, this, [this](bool newLayer) {
    ShowRoseMapFromPanel(app_, newLayer);
    UpdateCommandStates();
  });
  connect(&frame.LineamentsBar(), &CLineamentsParamBar::showRequested, this, [this](bool newLayer) {
    ShowLineamentsFromPanel(app_, newLayer);
    UpdateCommandStates();
  });
  connect(&frame.RosesBar(), &CRosesParamBar::colourRequested, this, [this] { ChooseRoseMapColour(app_); });
  connect(&frame.LineamentsBar(), &CLineamentsParamBar::colourRequested, this, [this] { ChooseLineamentColour(app_); });

  CRosesCombineDlg& combineBar = frame.CombineBar();
  connect(&combineBar, &CRosesCombineDlg::addRequested, this, [this] {
    auto chosen = AskOpen(app_, kCombinedProjectFilter, kProjectDefaultExtension, "WorkspacePath");
    if (!chosen) return;
    app_.Workspace().AddCombinedProject(chosen->path);
    AfterProjectChange(app_);
    UpdateCommandStates();
  });
  connect(&combineBar, &CRosesCombineDlg::removeRequested, this, [this](int index) {
    if (index >= 0) app_.Workspace().RemoveCombinedProject(std::size_t(index));
  });
  connect(&combineBar, &CRosesCombineDlg::clearRequested, this,
          [this] { app_.Workspace().ClearCombinedProjects(); });
  connect(&combineBar, &CRosesCombineDlg::calculateRequested, this, [this] {
    CombineFromPanel(app_);
    UpdateCommandStates();
  });
}

CommandState CCommandTable::State(int id) {
  const CommandDef* command = FindCommand(id);
  return command ? command->update(app_) : Enabled(false);
}

void CCommandTable::UpdateCommandStates() {
  if (updating_) return;  // an update rule that hides a panel reports it back here
  updating_ = true;
  for (const CommandDef& command : kCommands) {
    QAction* action = Action(command.id);
    if (action == nullptr) continue;
    const CommandState state = command.update(app_);
    action->setEnabled(state.enabled);
    action->setVisible(state.visible);
    if (state.checked && action->isCheckable()) action->setChecked(*state.checked);
  }
  const auto& recent = app_.RecentProjects();
  for (std::size_t i = 0; i < recent.size() && i < std::size_t(kRecentProjectCount); ++i)
    if (QAction* action = Action(kRecentFirst + int(i))) action->setText(RecentText(int(i), recent[i]));
  updating_ = false;
}

void CCommandTable::Run(int id) {
  const CommandDef* command = FindCommand(id);
  if (command == nullptr) return;
  command->handler(app_);
  UpdateCommandStates();
}

}  // namespace linea
