#include "cli/cli_export.h"

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "layers/layer_stack.h"
#include "project/geo_export.h"
#include "project/workspace.h"

namespace linea {
namespace {

int ExportUsage(std::FILE* errors, const std::string& problem) {
  std::fprintf(errors,
               "linea-cli: %s\n"
               "usage:%s"
               "  a raster output gets the layer NAME, or the composed picture; a vector output every\n"
               "  visible drawing; both in the project's georeference (see linea-cli for LAYER OPTIONS)\n",
               problem.c_str(), kExportUsage + 6);  // without the indent's first six blanks
  return 2;
}

}  // namespace

int Export(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors) {
  std::string output, layerName;
  std::vector<std::string> options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if ((a == "-o" || a == "--output" || a == "--layer") && i + 1 >= arguments.size())
      return ExportUsage(errors, a + " needs a value");
    if (a == "-o" || a == "--output") output = arguments[++i];
    else if (a == "--layer") layerName = arguments[++i];
    else options.push_back(a);
  }
  if (output.empty()) return ExportUsage(errors, "export needs -o OUT");
  const bool raster = RasterFormatOfPath(output) != RasterFormat::Unknown;
  if (!raster && VectorFormatOfPath(output) == VectorFormat::Unknown)
    return ExportUsage(errors, "the output must end in .tif, .tiff, .png, .jpg, .gpkg, .geojson or .shp");
  if (!raster && !layerName.empty()) return ExportUsage(errors, "--layer is for raster outputs");
  // The layer options are render's; its parser wants an output of its own.
  options.push_back("-o");
  options.push_back("export.png");
  RenderRequest request;
  const std::string problem = ParseRenderArguments(options, request);
  if (!problem.empty()) return ExportUsage(errors, problem);
  CWorkspace workspace(host);
  if (int code = BuildRenderLayers(request, workspace, host, errors)) return code;
  const CLayer* layer = nullptr;
  if (!layerName.empty()) {
    layer = workspace.layerStack.FindLayer(layerName);
    if (!layer) return ExportUsage(errors, "no layer named " + layerName);
  }
  if (raster) {
    for (int i = 0; i < workspace.layerStack.LayerCount(); ++i) workspace.layerStack.LayerAt(i)->MarkChanged();
    return ExportRaster(workspace, layer, output) == 0 ? 0 : 1;
  }
  return ExportVectors(workspace, output) == 0 ? 0 : 1;
}

}  // namespace linea
