#include "project/workspace.h"

#include "base/layer_names.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "layers/raster_import.h"
#include "project/calc_parameter_rules.h"

namespace linea {
namespace {
constexpr int kResultsWillBeErasedOn = 32815;
constexpr int kCombinationWillBeErasedOff = 32816;
constexpr int kKeepOldResults = 32849;
}  // namespace

CalcPanelEnabling ComputeCalcPanelEnabling(const CalcPanelState& state, bool stripesButtonOn) {
  CalcPanelEnabling e;
  e.stripes = state.hasBaseImage;
  e.blockRoses = state.hasBlocksImage && (state.hasStripes || stripesButtonOn);
  e.windowRoses = state.hasStripes || stripesButtonOn;
  e.lineaments = state.hasStripes || stripesButtonOn;
  e.globalNormalisation = state.hasGlobalRose;
  return e;
}

CWorkspace::CWorkspace(CAppHost& host) : layerStack(host), host_(&host) {}

void CWorkspace::ResetWorkspace() {
  baseImagePath.clear();
  blocksImagePath.clear();
  maskImagePath.clear();
  layerStack.ClearLayers();
  layerStack.SetZoom(1.0);
  host_->ShowZoom(layerStack.GetZoom());
  results.ClearResults(&layerStack);
  params = CalcParameters{};
  // The counts and the lineament data of the previous project do not fit this one.
  lastRoseGrid = RoseGridCounts{};
  lineamentSelection = CLineamentSelection{};
  UpdateCalcPanel();
}

CalcPanelState CWorkspace::CalcPanel() const {
  CalcPanelState s;
  s.hasStripes = results.hasStripes;
  s.hasGlobalRose = results.hasGlobalRose;
  s.hasWindowRoses = results.hasWindowRoses;
  s.hasBlockRoses = results.hasBlockRoses;
  s.hasLineaments = results.hasLineaments;
  s.hasBaseImage = !baseImagePath.empty();
  s.hasBlocksImage = !blocksImagePath.empty();
  s.rosesCombination = rosesCombination;
  return s;
}

void CWorkspace::UpdateCalcPanel() { host_->UpdateCalcPanel(CalcPanel()); }

CompositionSettings CWorkspace::Composition() const {
  CompositionSettings s;
  s.imageWidth = int(results.imageWidth);
  s.imageHeight = int(results.imageHeight);
  s.lineWidthScaling = lineWidthScaling;
  s.lineWidth = lineWidth;
  return s;
}

void CWorkspace::SetBaseGeometry(std::uint32_t width, std::uint32_t height, std::uint16_t bytes,
                                 std::uint8_t type) {
  results.SetImageGeometry(width, height, bytes, type);
}

bool CWorkspace::LoadBaseImage(const std::string& path, int kind) {
  ResetWorkspace();
  host_->RememberFolder("SourcePath", FolderPart(path));
  BaseRasterInfo info;
  int code = OpenBaseImage(*host_, path, layerStack, LoadText(kBaseLayerName), kind, 0, 0, 0, info);
  if (code == 0) {
    SetBaseGeometry(info.width, info.height, info.bytesPerPixel, info.imageType);
    results.descentGrid = std::move(info.descentGrid);
    results.sourcePath = path;
    results.SetGridFromRate(params.Rate);
    if (info.georeference.known) {
      saveSettings.upperLeftX = info.georeference.left;
      saveSettings.upperLeftY = info.georeference.top;
      saveSettings.lowerRightX = info.georeference.right;
      saveSettings.lowerRightY = info.georeference.bottom;
      saveSettings.resolutionX = info.georeference.pixelWidth;
      saveSettings.resolutionY = info.georeference.pixelHeight;
    }
    imageType = std::uint8_t(kind);
    baseImagePath = path;
  }
  UpdateCalcPanel();
  return code == 0;
}

bool CWorkspace::LoadBlocksImage(const std::string& path, int kind) {
  host_->RememberFolder("BlockPath", FolderPart(path));
  int code = OpenBlocks(*host_, path, layerStack, LoadText(kBlocksLayerName), kind,
                        ProjectSize{results.imageWidth, results.imageHeight});
  if (code == 0) {
    blocksImageType = std::uint8_t(kind);
    blocksImagePath = path;
    if (CLayer* layer = layerStack.FindLayer(LoadText(kBlocksLayerName))) layer->SetDeletable(false);
  }
  UpdateCalcPanel();
  return code == 0;
}

bool CWorkspace::LoadMaskImage(const std::string& path) {
  int code = OpenMask(*host_, path, layerStack, LoadText(kMaskLayerName),
                      ProjectSize{results.imageWidth, results.imageHeight});
  if (code == 0) {
    maskImagePath = path;
    if (CLayer* layer = layerStack.FindLayer(LoadText(kMaskLayerName))) layer->SetDeletable(false);
  }
  return code == 0;
}

bool CWorkspace::LoadViewRaster(const std::string& path, bool transparent) {
  host_->RememberFolder("ImagePath", FolderPart(path));
  auto name = host_->AskLayerName(FileNamePart(path));
  if (!name) return false;
  return OpenExtraRaster(*host_, path, layerStack, *name, !transparent,
                         ProjectSize{results.imageWidth, results.imageHeight}) == 0;
}

bool CWorkspace::ApplyCalcParameters(const CalcParameters& edited) {
  CalcParameters before = params;
  if (results.stripesReplaced && ChangesStripeInputs(before, edited) &&
      AskWarningQuestion(*host_, LoadText(kKeepOldResults)))
    return false;
  params = edited;
  if (before.Rate != params.Rate) {
    results.SetGridFromRate(params.Rate);
    if (results.hasStripes) {
      results.ClearDerivedResults(&layerStack);
      UpdateCalcPanel();
    }
  }
  if (before.UseMask != params.UseMask) {
    results.ClearDerivedResults(&layerStack);
    UpdateCalcPanel();
  }
  if (before.rose_wind != params.rose_wind || before.Filled_In != params.Filled_In ||
      (before.Filled_Out != params.Filled_Out && params.UseMask)) {
    results.ClearWindowRoses();
    UpdateCalcPanel();
  }
  host_->SetModified(true);
  return true;
}

bool CWorkspace::SetCombinationMode(bool on) {
  if (rosesCombination == on) return true;
  bool cleared = false;
  if (results.hasWindowRoses) {
    if (!AskContinue(*host_, LoadText(on ? kResultsWillBeErasedOn : kCombinationWillBeErasedOff))) return false;
    results.ClearWindowRoses();
    cleared = true;
  }
  rosesCombination = on;
  if (on) {
    results.hasGlobalRose = false;
    if (params.globalNormalisation) {
      params.globalNormalisation = false;
      host_->RefreshRosePanel();
    }
  }
  if (cleared) UpdateCalcPanel();
  return true;
}

bool CWorkspace::AddCombinedProject(const std::string& path) {
  if (!combinedProjects.empty()) {
    if (!AppendCombinedProject(combinedProjects, path, *host_)) return false;
    host_->RefreshCombinationList();
    return true;
  }
  // The first project of a combination starts a fresh document; the list survives
  // it. The project is read first so that a refused file asks nothing, and the
  // question comes before the list changes so that "Cancel" keeps both as they were.
  std::vector<CombinedProject> first;
  if (!AppendCombinedProject(first, path, *host_)) return false;
  if (!host_->RunNewDocument()) return false;
  combinedProjects = std::move(first);
  host_->RefreshCombinationList();
  return true;
}

void CWorkspace::RemoveCombinedProject(std::size_t index) {
  if (index < combinedProjects.size()) combinedProjects.erase(combinedProjects.begin() + std::ptrdiff_t(index));
  host_->RefreshCombinationList();
}

void CWorkspace::ClearCombinedProjects() {
  std::vector<CombinedProject>().swap(combinedProjects);
  host_->RefreshCombinationList();
}

}  // namespace linea
