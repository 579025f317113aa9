#include "cli/cli_commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "base/atomic_file.h"
#include "base/messages.h"
#include "base/paths.h"
#include "cli/cli_analyse.h"
#include "base/profile_text.h"
#include "base/string_table.h"
#include "cli/cli_draw.h"
#include "cli/cli_blocks.h"
#include "cli/cli_export.h"
#include "cli/cli_host.h"
#include "cli/cli_mask.h"
#include "cli/cli_options.h"
#include "imaging/image.h"
#include "layers/description_file.h"
#include "layers/raster_import.h"
#include "layers/raster_layer.h"
#include "project/base_image_compression.h"
#include "project/palette_rules.h"
#include "project/workspace.h"

namespace linea {

namespace {

constexpr int kCannotWriteFile = 32835;   // "Не удается записать файл."
constexpr int kNoDisplayMemory = 32825;   // "Не хватает памяти для вывода изображения."

void PrintUsage(std::FILE* errors) {
  std::fputs("usage: linea-cli info PROJECT.orw\n"
             "       linea-cli render PROJECT.orw -o OUT.png|.tif|.bmp [LAYER OPTIONS ...] [--zoom Z]"
             " [--describe OUT.txo]\n"
             "       linea-cli compress IMAGE --factor F -o OUT\n"
             "       linea-cli new --greyscale|--elevation|--scheme RASTER -o PROJECT.orw\n"
             "       linea-cli analyse PROJECT.orw [--stripes] [--block-roses] [--window-roses] [--lineaments]"
             " [--set KEY=VALUE ...] [-o OTHER.orw]\n",
             errors);
  // One line (or two) for each editing or export subcommand.
  std::fputs(kDrawUsage, errors);
  std::fputs(kMaskUsageLine, errors);
  std::fputs(kBlocksUsage, errors);
  std::fputs(kExportUsage, errors);
  std::fputs("       linea-cli --version | --formats\n"
             "layer options, built in the order given:\n"
             "  --stripes  --global-rose  --block-roses  --highlight\n"
             "  --map KIND [--local] [--global] [--min-density X] [--scaling auto|no|manual|percent]\n"
             "      [--from N] [--to N] [--vector-step N] [--rose-step N] [--line-step N] [--vector-size X]\n"
             "      [--rose-size X] [--min-elongation X] [--steps N] [--equal-area]\n"
             "      [--palette grey|ramp|table] [--brightness X]\n"
             "  --lineaments [--sector N --sectors N | --range FROM TO] [--order] [--threshold N]\n"
             "      [--rose --beams N --window N]\n"
             "  --isolines  --band FROM TO [--color RRGGBB]\n"
             "  --extremum max|min [--width N] [--range X] [--color RRGGBB]\n"
             "  --hide NAME\n",
             errors);
  // The operations of the editing subcommands.
  std::fputs(kMaskOperationsUsage, errors);
}

int Usage(std::FILE* errors, const std::string& problem) {
  std::fprintf(errors, "linea-cli: %s\n", problem.c_str());
  PrintUsage(errors);
  return 2;
}

// A failure already shown to the user.
constexpr int kReported = 1;

int Reported(CAppHost& host, int code) {
  ShowErrorCode(host, code);
  return kReported;
}

// Phase times of a render, for --timings.
class CPhaseClock {
 public:
  void Mark(const char* phase) {
    const auto now = std::chrono::steady_clock::now();
    phases_.emplace_back(phase, std::chrono::duration<double>(now - last_).count());
    last_ = now;
  }
  void Print(std::FILE* errors) const {
    double total = 0;
    for (const auto& [name, seconds] : phases_) total += seconds;
    for (const auto& [name, seconds] : phases_)
      std::fprintf(errors, "phase %-10s %8.3f s %5.1f %%\n", name, seconds, total > 0 ? 100.0 * seconds / total : 0.0);
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
  std::vector<std::pair<const char*, double>> phases_;
};

int Info(const std::string& project, CAppHost& host, std::FILE* out) {
  CWorkspace workspace(host);
  if (!workspace.LoadProject(project)) return kReported;
  const CResults& r = workspace.results;
  std::fprintf(out, "type: %d\n", int(workspace.imageType));
  std::fprintf(out, "width: %u\nheight: %u\n", r.imageWidth, r.imageHeight);
  std::fprintf(out, "grid width: %u\ngrid height: %u\n", r.gridWidth, r.gridHeight);
  std::fprintf(out, "rate: %g\n", workspace.params.Rate);
  std::fprintf(out, "stripes: %d\nglobal rose: %d\nwindow roses: %d\nblock roses: %d\nlineaments: %d\n",
               int(r.hasStripes), int(r.hasGlobalRose), int(r.hasWindowRoses), int(r.hasBlockRoses),
               int(r.hasLineaments));
  std::fprintf(out, "rose window: %d\n", int(workspace.params.rose_wind));
  for (int i = 0; i < workspace.layerStack.LayerCount(); ++i)
    std::fprintf(out, "layer: %s\n", workspace.layerStack.LayerAt(i)->GetName().c_str());
  return 0;
}

// The colour band dialog over the last map, filled from the options as the user
// would fill it, then checked by the dialog's rules.
int BuildBandStep(const RenderStep& step, CWorkspace& workspace) {
  CAppHost& host = workspace.Host();
  const std::string source = workspace.LastRoseMapName();
  const auto* map = dynamic_cast<const CRasterLayer*>(workspace.layerStack.FindLayer(source));
  if (!map) return Reported(host, kErrorNoRoses);
  ColorBandDialogValues values = OpenColorBandDialog(*map);
  if (step.kind == RenderStepKind::Band) {
    SelectBandMode(values);
    values.from = step.band.from;
    values.to = step.band.to;
    workspace.params.bandFrom = values.from;
    workspace.params.bandTo = values.to;
  } else {
    values.bandMode = false;
    if (step.band.maxima) SelectMaxima(values);
    else SelectMinima(values);
    if (step.band.width) values.width = *step.band.width;
    if (step.band.range) values.range = *step.band.range;
  }
  if (step.band.colour) values.color = *step.band.colour;
  if (const auto failure = CheckColorBandDialog(values, workspace.results.imageWidth, workspace.results.imageHeight)) {
    ShowError(host, failure->message);
    return kReported;
  }
  return workspace.ShowBandLayer(source, values) == 0 ? 0 : kReported;
}

// Builds one layer of the render; 0, or kReported after the message.
int BuildStep(const RenderStep& step, CWorkspace& workspace, int& mapsBuilt, int& lineamentMapsBuilt,
              std::FILE* errors) {
  CAppHost& host = workspace.Host();
  const CResults& r = workspace.results;
  switch (step.kind) {
    case RenderStepKind::Stripes:
      if (!r.hasStripes) return Reported(host, kErrorNoStripes);
      return workspace.ShowStripesLayer() == 0 ? 0 : kReported;
    case RenderStepKind::GlobalRose:
      if (!r.hasGlobalRose) return Reported(host, kErrorNoStripes);
      return workspace.ShowGlobalRoseLayer() == 0 ? 0 : kReported;
    case RenderStepKind::BlockRoses:
      if (!r.hasBlockRoses) return Reported(host, kErrorNoBlocks);
      return workspace.ShowBlockRosesLayer() == 0 ? 0 : kReported;
    case RenderStepKind::Highlight:
      if (r.imageType != kImageTypeElevation) return Reported(host, kErrorNoData);
      return workspace.ShowHighlightLayer() == 0 ? 0 : kReported;
    case RenderStepKind::Map: {
      if (!r.hasWindowRoses) return Reported(host, kErrorNoRoses);
      std::string problem = ApplyMapRequest(step.map, workspace.params);
      if (problem.empty()) {
        // The palette dialog reads its fields as texts.
        const auto failure = CheckPaletteSettings(FormatText("%d", int(workspace.params.paletteSteps)),
                                                  FormatText("%.17g", workspace.params.paletteContrast));
        if (failure) problem = failure->message;
      }
      if (!problem.empty()) {
        ShowError(host, problem);
        return kReported;
      }
      // The first map replaces "Розы 0" like "Показать"; later ones are new layers.
      if (workspace.ShowRoseMap(mapsBuilt > 0) != 0) return kReported;
      ++mapsBuilt;
      return 0;
    }
    case RenderStepKind::Hide: {
      CLayer* layer = workspace.layerStack.FindLayer(step.layerName);
      if (!layer) {
        std::fprintf(errors, "linea-cli: no layer named %s\n", step.layerName.c_str());
        return kReported;
      }
      layer->SetVisible(false);
      layer->MarkChanged();
      return 0;
    }
    case RenderStepKind::Lineaments: {
      if (!r.hasLineaments) return Reported(host, kErrorNoData);
      const std::string problem = ApplyLineamentRequest(step.lineaments, workspace.params);
      if (!problem.empty()) {
        ShowError(host, problem);
        return kReported;
      }
      if (workspace.ShowLineamentsMap(lineamentMapsBuilt > 0) != 0) return kReported;
      ++lineamentMapsBuilt;
      return 0;
    }
    case RenderStepKind::Isolines:
      if (!workspace.layerStack.FindLayer(workspace.LastRoseMapName())) return Reported(host, kErrorNoRoses);
      return workspace.ShowIsolines(workspace.LastRoseMapName()) == 0 ? 0 : kReported;
    case RenderStepKind::Band:
    case RenderStepKind::Extremum:
      return BuildBandStep(step, workspace);
  }
  return 0;
}

int Render(const RenderRequest& request, CAppHost& host, std::FILE* errors, bool timings) {
  CPhaseClock clock;
  CWorkspace workspace(host);
  if (!workspace.LoadProject(request.project)) return kReported;
  clock.Mark("open");
  int mapsBuilt = 0, lineamentMapsBuilt = 0;
  for (const RenderStep& step : request.steps)
    if (int code = BuildStep(step, workspace, mapsBuilt, lineamentMapsBuilt, errors)) return code;
  clock.Mark("layers");
  CLayerStack& stack = workspace.layerStack;
  // Line widths follow the zoom as in the view.
  stack.SetZoom(request.zoom);
  for (int i = 0; i < stack.LayerCount(); ++i) stack.LayerAt(i)->MarkChanged();
  if (!stack.ComposeLayers(workspace.Composition())) {
    ShowError(host, kNoDisplayMemory);
    return kReported;
  }
  clock.Mark("compose");
  const CImage* picture = &stack.CompositionImage();
  CImage scaled;
  if (std::fabs(request.zoom - 1.0) >= 2.220446049250313e-16) {
    if (!ScaleNearest(*picture, request.zoom, scaled)) return Reported(host, kErrorOutOfMemory);
    picture = &scaled;
  }
  if (!picture->Save(request.output, RenderFormatOfPath(request.output))) {
    ShowError(host, LoadText(kCannotWriteFile), request.output);
    return kReported;
  }
  const std::string world = WorldFileText(workspace.saveSettings, request.zoom);
  if (!world.empty() && WriteFileAtomically(ExportWorldFilePath(request.output), world) != 0) {
    ShowError(host, LoadText(kCannotWriteFile), ExportWorldFilePath(request.output));
    return kReported;
  }
  if (!request.description.empty() && !WriteDescription(stack, request.description)) {
    ShowError(host, LoadText(kCannotWriteFile), DescriptionPath(request.description));
    return kReported;
  }
  clock.Mark("write");
  if (timings) clock.Print(errors);
  return 0;
}

int Compress(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors) {
  std::string image, output;
  double factor = 0;
  bool haveFactor = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--factor" && i + 1 < arguments.size()) {
      if (!ParseWholeDouble(arguments[i + 1], factor)) return Usage(errors, "--factor needs a number");
      haveFactor = true;
      ++i;
    } else if (arguments[i] == "-o" && i + 1 < arguments.size()) {
      output = arguments[++i];
    } else if (image.empty() && arguments[i].rfind("--", 0) != 0) {
      image = arguments[i];
    } else {
      return Usage(errors, "unexpected argument " + arguments[i]);
    }
  }
  if (image.empty() || output.empty() || !haveFactor) return Usage(errors, "compress needs IMAGE --factor F -o OUT");
  const int filter = CompressFilterOfPath(output);
  if (filter < 0) return Usage(errors, "the output must end in .tif, .raw, .bmp, .gif, .pcx or .tga");
  CWorkspace workspace(host);
  const bool opened = EqualsNoCase(ExtensionPart(FileNamePart(image)), ".orw") ? workspace.LoadProject(image)
                                                                                : workspace.LoadBaseImage(image, 1);
  if (!opened) return kReported;
  const double rounded = RoundCompressionFactor(factor);
  const int code = CompressBaseImage(host, workspace.layerStack, rounded, output, filter);
  if (code == 0) return 0;
  // A factor that is refused has been told; the window's command shows nothing
  // for the other failures, but here they must be told.
  const bool refusedFactor = !(rounded >= 1.0) || std::trunc(workspace.results.imageWidth / rounded) < 1 ||
                             std::trunc(workspace.results.imageHeight / rounded) < 1;
  if (code == 1 && refusedFactor) return kReported;
  if (code == 1) {
    ShowError(host, LoadText(kCannotWriteFile), output);
    return kReported;
  }
  return Reported(host, code);
}

}  // namespace

int BuildRenderLayers(const RenderRequest& request, CWorkspace& workspace, CAppHost& host, std::FILE* errors) {
  if (!workspace.LoadProject(request.project)) return kReported;
  int mapsBuilt = 0, lineamentMapsBuilt = 0;
  for (const RenderStep& step : request.steps)
    if (int code = BuildStep(step, workspace, mapsBuilt, lineamentMapsBuilt, errors)) return code;
  return 0;
}

bool ScaleNearest(const CImage& source, double zoom, CImage& target) {
  const double w = std::trunc(source.GetWidth() * zoom), h = std::trunc(source.GetHeight() * zoom);
  if (!(w >= 1 && h >= 1 && w <= 32767 && h <= 32767)) return false;
  const int bytes = source.GetBytesPerPixel();
  if (bytes < 1 || !target.Create(int(w), int(h), source.GetBitsPerPixel())) return false;
  for (int i = 0; i < 256 && bytes == 1; ++i) target.SetColorForIndex(i, source.GetColorFromIndex(i));
  std::vector<int> columns(static_cast<std::size_t>(w));
  for (int x = 0; x < int(w); ++x) columns[std::size_t(x)] = std::min(source.GetWidth() - 1, int(x / zoom));
  for (int y = 0; y < int(h); ++y) {
    const std::uint8_t* from = source.Row(std::min(source.GetHeight() - 1, int(y / zoom)));
    std::uint8_t* to = target.Row(y);
    for (int x = 0; x < int(w); ++x)
      std::copy_n(from + std::size_t(columns[std::size_t(x)]) * bytes, bytes, to + std::size_t(x) * bytes);
  }
  return true;
}

std::string WorldFileText(const CSaveSettings& s, double zoom) {
  if (!HasGeoreference(s) || !(zoom > 0)) return {};
  return WorldFileText(GeoTransformOf(GeoreferenceOfSettings(s)), zoom);
}

int RunCli(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* out, std::FILE* errors) {
  if (arguments.empty()) return Usage(errors, "a command is needed");
  const std::string& command = arguments[0];
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (command == "info") {
    if (rest.size() != 1) return Usage(errors, "info needs one project");
    return Info(rest[0], host, out);
  }
  if (command == "render") {
    std::vector<std::string> options;
    bool timings = false;
    for (const std::string& a : rest) {
      if (a == "--timings") timings = true;
      else options.push_back(a);
    }
    RenderRequest request;
    const std::string problem = ParseRenderArguments(options, request);
    if (!problem.empty()) return Usage(errors, problem);
    return Render(request, host, errors, timings);
  }
  if (command == "compress") return Compress(rest, host, errors);
  if (command == "draw") return RunDraw(rest, host, out, errors);
  if (command == "mask") return RunMaskCommand(rest, host, errors);
  if (command == "blocks") return RunBlocks(rest, host, errors);
  if (command == "export") return Export(rest, host, errors);
  if (command == "new") return RunNewProject(rest, host, errors);
  if (command == "analyse") return RunAnalyse(rest, host, errors);
  return Usage(errors, "unknown command " + command);
}

}  // namespace linea
