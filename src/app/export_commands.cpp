#include "app/export_commands.h"

#include <QDir>

#include "app/image_viewer_app.h"
#include "base/paths.h"
#include "geo/gdal_raster.h"
#include "geo/gdal_vector.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer3.h"
#include "project/geo_export.h"
#include "project/workspace.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"

namespace linea {
namespace {

std::optional<ChosenFile> AskExportFile(CImageViewerApp& app, const char* filter, const char* extension) {
  FileDialogRequest request;
  request.filter = filter;
  request.defaultExtension = extension;
  request.initialFolder = app.Folder("ExportPath");
  if (request.initialFolder.empty()) request.initialFolder = QDir::currentPath().toStdString();
  request.proposedName = WithoutExtension(FileNamePart(app.Workspace().baseImagePath));
  auto chosen = app.Host().GetSaveFileName(request);
  if (chosen) app.Host().RememberFolder("ExportPath", FolderPart(chosen->path));
  return chosen;
}

std::string WithExtension(const std::string& path, bool known, int filterIndex, const char* const (&extensions)[3]) {
  if (known) return path;
  return path + extensions[filterIndex >= 0 && filterIndex < 3 ? filterIndex : 0];
}

}  // namespace

std::string WithRasterExtension(const std::string& path, int filterIndex) {
  static const char* const kExtensions[3] = {".tif", ".png", ".jpg"};
  return WithExtension(path, RasterFormatOfPath(path) != RasterFormat::Unknown, filterIndex, kExtensions);
}

std::string WithVectorExtension(const std::string& path, int filterIndex) {
  static const char* const kExtensions[3] = {".gpkg", ".geojson", ".shp"};
  return WithExtension(path, VectorFormatOfPath(path) != VectorFormat::Unknown, filterIndex, kExtensions);
}

void SaveRasterCommand(CImageViewerApp& app) {
  const CLayer* layer = app.Frame().LayersBar().SelectedLayer();
  auto chosen = AskExportFile(app, kGeoRasterSaveFilter, "*.tif");
  if (!chosen) return;
  CWaitCursor wait;
  ExportRaster(app.Workspace(), layer, WithRasterExtension(chosen->path, chosen->filterIndex));
}

void SaveVectorCommand(CImageViewerApp& app) {
  auto chosen = AskExportFile(app, kGeoVectorSaveFilter, "*.gpkg");
  if (!chosen) return;
  CWaitCursor wait;
  ExportVectors(app.Workspace(), WithVectorExtension(chosen->path, chosen->filterIndex));
}

CommandState SaveRasterState(CImageViewerApp& app) {
  return CommandState{app.Workspace().layerStack.LayerCount() > 0, std::nullopt};
}

CommandState SaveVectorState(CImageViewerApp& app) {
  const CLayerStack& stack = app.Workspace().layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i)
    if (stack.LayerAt(i)->IsVisible() && dynamic_cast<const CVectorLayer3*>(stack.LayerAt(i)))
      return CommandState{true, std::nullopt};
  return CommandState{false, std::nullopt};
}

}  // namespace linea
