// The workspace's entry points of the operations that combine what exists: the
// rose combination, field addition and merging drawings.

#include <cmath>

#include "base/messages.h"
#include "layers/raster_layer.h"
#include "project/workspace.h"
#include "results/combination_ops.h"

namespace linea {
namespace {
constexpr int kAtLeastTwoProjects = 32813;
constexpr int kExactlyTwoProjects = 32814;

// A rate that gives `grid` cells across `width` pixels: the projects' own rates
// are multiples of 1/8, which the project file keeps exactly; otherwise the
// quotient the combination measured with.
double RateOfGrid(std::int32_t width, std::int32_t grid) {
  const double quotient = double(width) / double(grid);
  const double eighths = std::floor(quotient * 8.0) / 8.0;
  if (eighths >= 1.0 && std::trunc(double(width) / eighths) == double(grid)) return eighths;
  return quotient;
}
}  // namespace

int CWorkspace::CombineRoses(bool unionMode, bool normalise) {
  const std::size_t count = combinedProjects.size();
  if (unionMode ? count < 2 : count != 2) {
    ShowError(*host_, unionMode ? kAtLeastTwoProjects : kExactlyTwoProjects);
    return 2;
  }
  std::vector<CombinationInput> inputs;
  inputs.reserve(count);
  for (const CombinedProject& project : combinedProjects)
    inputs.push_back({project.width, project.height, project.imageType, project.gridWidth, project.windowRoses});
  const int code =
      CombineWindowRoses(results, unionMode ? kCombineUnion : kCombineDifference, normalise, inputs);
  if (code == 0) {
    // The project is now one of the combined kind, measured as those projects were:
    // their rose window, and the rate that gives their grid again when it is
    // saved and reopened.
    const CombinedProject& first = combinedProjects.front();
    imageType = results.imageType;
    if (first.roseWindow > 0) params.rose_wind = first.roseWindow;
    if (first.gridWidth > 0) params.Rate = RateOfGrid(first.width, first.gridWidth);
  }
  UpdateCalcPanel();
  if (code != 0) ShowErrorCode(*host_, code);
  return code;
}

int CWorkspace::AddFieldLayers(const std::vector<std::string>& plus, const std::vector<std::string>& minus) {
  if (plus.empty() && minus.empty()) return 1;
  // A name that is not a class map ends it before the name is asked for.
  for (const auto* list : {&plus, &minus})
    for (const std::string& name : *list) {
      CLayer* layer = layerStack.FindLayer(name);
      if (!layer || layer->GetKind() != kLayerKindRaster) return 2;
    }
  const auto name = host_->AskLayerName("Add");
  if (!name) return 0;
  PaletteSettings palette;
  palette.steps = params.paletteSteps;
  palette.equalPopulation = params.paletteEqualPopulation;
  palette.paletteKind = params.paletteColours;
  palette.brightness = params.paletteContrast;
  return AddFields(layerStack, plus, minus, *name, palette);
}

bool CWorkspace::MergeDrawings() { return MergeVectorLayers(layerStack, *host_); }

}  // namespace linea
