#include "cli/cli_mask.h"

#include <charconv>
#include <filesystem>
#include <sstream>

#include "base/app_host.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/raster_export.h"
#include "project/mask_range_model.h"
#include "project/region_marker.h"
#include "project/workspace.h"

namespace linea {

const char* const kMaskUsageLine =
    "       linea-cli mask PROJECT.orw -o MASK.bmp|.tif|.png|.raw [MASK OPERATIONS ...] [--save-project]\n";
const char* const kMaskOperationsUsage =
    "mask operations, applied in the order given:\n"
    "  --select FROM TO [--outside] [--grow]  --add  --remove  --undo  --invert\n"
    "  --mark X Y  --delete-marked  --delete-unmarked\n"
    "  --polygon \"X1,Y1 X2,Y2 ...\" --mode mask|not-mask|erase|outline\n";

namespace {

constexpr int kReported = 1;
constexpr int kCannotWriteFile = 32835;  // "Не удается записать файл."
constexpr int kSaveFilterTiff = 0, kSaveFilterRaw = 1, kSaveFilterBmp = 2;
constexpr int kPngOutput = -1;

bool ParseWholeInt(const std::string& text, int& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  int parsed = 0;
  const auto [stop, error] = std::from_chars(begin, end, parsed);
  if (error != std::errc() || stop != end || begin == end) return false;
  value = parsed;
  return true;
}

// The save-filter entry of the output by its extension, kPngOutput, or -2.
int OutputFilterOfPath(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  if (EqualsNoCase(extension, ".tif") || EqualsNoCase(extension, ".tiff")) return kSaveFilterTiff;
  if (EqualsNoCase(extension, ".raw")) return kSaveFilterRaw;
  if (EqualsNoCase(extension, ".bmp")) return kSaveFilterBmp;
  if (EqualsNoCase(extension, ".png")) return kPngOutput;
  return -2;
}

bool ParseMode(const std::string& text, PolygonMode& mode) {
  if (text == "mask")
    mode = PolygonMode::kMask;
  else if (text == "not-mask")
    mode = PolygonMode::kNotMask;
  else if (text == "erase")
    mode = PolygonMode::kErase;
  else if (text == "outline")
    mode = PolygonMode::kOutline;
  else
    return false;
  return true;
}

int Fail(std::FILE* errors, const std::string& problem) {
  std::fprintf(errors, "linea-cli: %s\n", problem.c_str());
  return kReported;
}

// Shows the message of a failed model step; "nothing to do" gets `nothing`.
int StepFailed(CAppHost& host, std::FILE* errors, int code, const std::string& nothing) {
  if (code == kMaskNothingToDo) return Fail(errors, nothing);
  ShowErrorCode(host, code);
  return kReported;
}

int Apply(const MaskOperation& operation, CMaskRangeModel& model, std::unique_ptr<CRegionMarker>& marker,
          CLayerStack& stack, CAppHost& host, std::FILE* errors) {
  const std::string& option = operation.text;
  int code = 0;
  switch (operation.kind) {
    case MaskOperationKind::Select:
      code = model.ShowSelection(operation.range);
      marker = std::make_unique<CRegionMarker>(stack);
      return code ? StepFailed(host, errors, code, option + ": the project has no source image") : 0;
    case MaskOperationKind::Add:
    case MaskOperationKind::Remove:
      code = operation.kind == MaskOperationKind::Add ? model.AddToMask() : model.RemoveFromMask();
      return code ? StepFailed(host, errors, code, option + " needs a selection: use --select first") : 0;
    case MaskOperationKind::Undo:
      code = model.Undo();
      return code ? StepFailed(host, errors, code, "--undo: nothing to undo") : 0;
    case MaskOperationKind::Mark:
      if (!marker) return Fail(errors, option + " needs a selection: use --select first");
      code = marker->MarkAt(operation.x, operation.y);
      return code ? StepFailed(host, errors, code, option + ": no selected pixel there") : 0;
    case MaskOperationKind::DeleteMarked:
    case MaskOperationKind::DeleteUnmarked:
      if (!marker) return Fail(errors, option + " needs a selection: use --select first");
      code = operation.kind == MaskOperationKind::DeleteMarked ? marker->DeleteMarked() : marker->DeleteUnmarked();
      return code ? StepFailed(host, errors, code, option + " needs a selection: use --select first") : 0;
    case MaskOperationKind::Polygon:
      code = model.BeginPolygon(operation.mode);
      if (code == 0) code = model.AppendVertices(operation.vertices);
      if (code == 0)
        code = model.FinishPolygon();
      else
        model.CancelPolygon();
      return code ? StepFailed(host, errors, code, option + " --mode outline needs a selection: use --select first")
                  : 0;
    case MaskOperationKind::Invert:
      InvertMask(stack);
      return 0;
  }
  return 0;
}

int WriteMask(CLayerStack& stack, const std::string& output) {
  const int filter = OutputFilterOfPath(output);
  if (filter == kPngOutput) {
    const CBitmapLayer* mask = FindMaskLayer(stack);
    return mask && mask->Image().Save(output, kImageFormatPng) ? 0 : 1;
  }
  return SaveLayerRaster(stack, output, filter, LoadText(162)) == kSaveLayerSaved ? 0 : 1;
}

}  // namespace

bool ParsePolygonText(const std::string& text, std::vector<MaskVertex>& vertices) {
  std::istringstream words(text);
  std::string word;
  std::vector<MaskVertex> parsed;
  while (words >> word) {
    const auto comma = word.find(',');
    if (comma == std::string::npos) return false;
    MaskVertex vertex;
    int x = 0, y = 0;
    if (!ParseWholeInt(word.substr(0, comma), x) || !ParseWholeInt(word.substr(comma + 1), y)) return false;
    vertex.x = x;
    vertex.y = y;
    parsed.push_back(vertex);
  }
  vertices.swap(parsed);
  return true;
}

std::string ParseMaskArguments(const std::vector<std::string>& arguments, MaskRequest& request) {
  const std::size_t count = arguments.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& a = arguments[i];
    const auto needs = [&](std::size_t values) { return i + values < count; };
    MaskOperation operation;
    operation.text = a;
    if (a == "-o") {
      if (!needs(1)) return "-o needs a file name";
      request.output = arguments[++i];
    } else if (a == "--save-project") {
      request.saveProject = true;
    } else if (a == "--select") {
      if (!needs(2) || !ParseWholeInt(arguments[i + 1], operation.range.from) ||
          !ParseWholeInt(arguments[i + 2], operation.range.to))
        return "--select needs two whole numbers FROM TO";
      operation.kind = MaskOperationKind::Select;
      i += 2;
      while (i + 1 < count && (arguments[i + 1] == "--outside" || arguments[i + 1] == "--grow")) {
        if (arguments[++i] == "--outside")
          operation.range.outside = true;
        else
          operation.range.grow = true;
      }
      request.operations.push_back(operation);
    } else if (a == "--mark") {
      if (!needs(2) || !ParseWholeInt(arguments[i + 1], operation.x) || !ParseWholeInt(arguments[i + 2], operation.y))
        return "--mark needs two whole numbers X Y";
      operation.kind = MaskOperationKind::Mark;
      operation.text = "--mark " + arguments[i + 1] + " " + arguments[i + 2];
      i += 2;
      request.operations.push_back(operation);
    } else if (a == "--polygon") {
      if (!needs(1) || !ParsePolygonText(arguments[i + 1], operation.vertices))
        return "--polygon needs vertices \"X1,Y1 X2,Y2 ...\" of whole numbers";
      if (operation.vertices.size() < 3) return "--polygon needs at least 3 vertices";
      ++i;
      if (!(i + 2 < count && arguments[i + 1] == "--mode")) return "--polygon needs --mode mask|not-mask|erase|outline";
      if (!ParseMode(arguments[i + 2], operation.mode)) return "--mode must be mask, not-mask, erase or outline";
      i += 2;
      operation.kind = MaskOperationKind::Polygon;
      request.operations.push_back(operation);
    } else if (a == "--add" || a == "--remove" || a == "--undo" || a == "--invert" || a == "--delete-marked" ||
               a == "--delete-unmarked") {
      operation.kind = a == "--add"             ? MaskOperationKind::Add
                       : a == "--remove"        ? MaskOperationKind::Remove
                       : a == "--undo"          ? MaskOperationKind::Undo
                       : a == "--invert"        ? MaskOperationKind::Invert
                       : a == "--delete-marked" ? MaskOperationKind::DeleteMarked
                                                : MaskOperationKind::DeleteUnmarked;
      request.operations.push_back(operation);
    } else if (request.project.empty() && a.rfind("-", 0) != 0) {
      request.project = a;
    } else {
      return "unexpected argument " + a;
    }
  }
  if (request.project.empty() || request.output.empty()) return "mask needs PROJECT.orw -o MASK";
  if (OutputFilterOfPath(request.output) == -2) return "the mask must end in .bmp, .tif, .tiff, .png or .raw";
  return {};
}

int RunMaskCommand(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors) {
  MaskRequest request;
  const std::string problem = ParseMaskArguments(arguments, request);
  if (!problem.empty()) {
    std::fprintf(errors, "linea-cli: %s\nusage:\n%s%s", problem.c_str(), kMaskUsageLine, kMaskOperationsUsage);
    return 2;
  }
  CWorkspace workspace(host);
  if (!workspace.LoadProject(request.project)) return kReported;
  CLayerStack& stack = workspace.layerStack;
  if (!FindMaskLayer(stack)) {
    const int code = CreateMask(stack);
    if (code != 0) return StepFailed(host, errors, code, "the project has no source image to make a mask of");
  }
  CMaskRangeModel model(stack);
  if (int code = model.Open()) return StepFailed(host, errors, code, "the project has no source image");
  std::unique_ptr<CRegionMarker> marker;
  for (const MaskOperation& operation : request.operations)
    if (int code = Apply(operation, model, marker, stack, host, errors)) return code;
  // The preview is the dialog's; the mask leaves as the dialog leaves it.
  if (marker) marker->Exit();
  model.Close();
  if (WriteMask(stack, request.output) != 0) {
    ShowError(host, LoadText(kCannotWriteFile), request.output);
    return kReported;
  }
  if (request.saveProject) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(request.output, error);
    workspace.maskImagePath = error ? request.output : absolute.string();
    if (int code = workspace.SaveProject(request.project)) {
      ShowErrorCode(host, code);
      return kReported;
    }
  }
  return 0;
}

}  // namespace linea
