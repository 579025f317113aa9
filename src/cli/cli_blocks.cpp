#include "cli/cli_blocks.h"

#include <charconv>
#include <limits>
#include <optional>

#include "base/layer_names.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "layers/raster_export.h"
#include "layers/vector_layer.h"
#include "project/blocks_editing.h"
#include "project/workspace.h"

namespace linea {

namespace {

constexpr int kCannotWriteFile = 32835;  // "Не удается записать файл."
constexpr int kCannotPerform = 32811;    // "Не удается выполнить операцию."
// Save-filter entries of the raster formats (the window's save dialog order).
constexpr int kTiffEntry = 0;
constexpr int kRawEntry = 1;
constexpr int kBmpEntry = 2;
// Coordinates as the view hands them over: signed 16-bit image points.
constexpr int kLowestCoordinate = std::numeric_limits<std::int16_t>::min();
constexpr int kHighestCoordinate = std::numeric_limits<std::int16_t>::max();

enum class OperationKind { Border, Find, Check, Merge, Exclude, Undo };

struct Operation {
  OperationKind kind = OperationKind::Find;
  std::vector<BlockPoint> points;  // the border's vertices or the picked points
};

struct BlocksRequest {
  std::string project;
  std::string output;
  bool saveProject = false;
  std::vector<Operation> operations;
};

int Usage(std::FILE* errors, const std::string& problem) {
  std::fprintf(errors, "linea-cli: %s\nusage:\n%s", problem.c_str(), kBlocksUsage);
  return 2;
}

std::optional<int> ParseCoordinate(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < kLowestCoordinate || value > kHighestCoordinate) return std::nullopt;
  return value;
}

// "X1,Y1 X2,Y2 ..." with at least two vertices.
bool ParseBorder(const std::string& text, std::vector<BlockPoint>& points) {
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string_view pair = std::string_view(text).substr(at, end - at);
    const std::size_t comma = pair.find(',');
    if (comma == std::string_view::npos) return false;
    const auto x = ParseCoordinate(pair.substr(0, comma)), y = ParseCoordinate(pair.substr(comma + 1));
    if (!x || !y) return false;
    points.push_back({*x, *y});
    at = end;
  }
  return points.size() >= 2;
}

// The points of --merge (2) or --exclude (1), from the words after the option.
bool ParsePoints(const std::vector<std::string>& arguments, std::size_t& i, int count, std::vector<BlockPoint>& points) {
  if (i + 2 * std::size_t(count) >= arguments.size()) return false;
  for (int k = 0; k < count; ++k) {
    const auto x = ParseCoordinate(arguments[i + 1]), y = ParseCoordinate(arguments[i + 2]);
    if (!x || !y) return false;
    points.push_back({*x, *y});
    i += 2;
  }
  return true;
}

std::string ParseBlocksArguments(const std::vector<std::string>& arguments, BlocksRequest& request) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    Operation operation;
    if (a == "-o") {
      if (i + 1 >= arguments.size()) return "-o needs a file";
      request.output = arguments[++i];
      continue;
    }
    if (a == "--save-project") {
      request.saveProject = true;
      continue;
    }
    if (a == "--border") {
      operation.kind = OperationKind::Border;
      if (i + 1 >= arguments.size() || !ParseBorder(arguments[i + 1], operation.points))
        return "--border needs at least two vertices \"X,Y X,Y ...\" of whole numbers from -32768 to 32767";
      ++i;
    } else if (a == "--find") {
      operation.kind = OperationKind::Find;
    } else if (a == "--check") {
      operation.kind = OperationKind::Check;
    } else if (a == "--merge") {
      operation.kind = OperationKind::Merge;
      if (!ParsePoints(arguments, i, 2, operation.points)) return "--merge needs two points X1 Y1 X2 Y2";
    } else if (a == "--exclude") {
      operation.kind = OperationKind::Exclude;
      if (!ParsePoints(arguments, i, 1, operation.points)) return "--exclude needs one point X Y";
    } else if (a == "--undo") {
      operation.kind = OperationKind::Undo;
    } else if (request.project.empty() && a.rfind("--", 0) != 0) {
      request.project = a;
      continue;
    } else {
      return "unexpected argument " + a;
    }
    request.operations.push_back(std::move(operation));
  }
  if (request.project.empty() || request.output.empty()) return "blocks needs PROJECT.orw -o BLOCKS";
  return {};
}

// The save-filter entry of an output name, -1 for PNG (not in the window's list), or
// nullopt for a format the blocks are not written in.
std::optional<int> OutputFormat(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  if (EqualsNoCase(extension, ".tif") || EqualsNoCase(extension, ".tiff")) return kTiffEntry;
  if (EqualsNoCase(extension, ".raw")) return kRawEntry;
  if (EqualsNoCase(extension, ".bmp")) return kBmpEntry;
  if (EqualsNoCase(extension, ".png")) return -1;
  return std::nullopt;
}

// One operation as the editor runs it; 0, or the model's refusal.
int Apply(const Operation& operation, CBlocksEditing& editing) {
  switch (operation.kind) {
    case OperationKind::Border: {
      const CVectorLayer* layer = editing.Layer();
      if (layer == nullptr) return kBlocksNoLayer;
      if (const int begun = editing.BeginBorder()) return begun;
      std::vector<BlockPoint> snapped;
      for (const BlockPoint& p : operation.points)
        snapped.push_back(SnapBorderPoint(p.x, p.y, layer->GetWidth(), layer->GetHeight()));
      editing.AddBorderVertices(snapped);
      editing.EndBorder();
      return kBlocksDone;
    }
    case OperationKind::Find: return editing.FindBlocks();
    case OperationKind::Check: return editing.CheckBorders();
    case OperationKind::Merge: {
      if (const int copied = editing.TakeUndoCopy()) return copied;
      return editing.Merge(operation.points[0], operation.points[1]);
    }
    case OperationKind::Exclude: return editing.Exclude(operation.points[0]);
    case OperationKind::Undo: return editing.Undo();
  }
  return kBlocksDone;
}

}  // namespace

int RunBlocks(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* errors) {
  BlocksRequest request;
  if (const std::string problem = ParseBlocksArguments(arguments, request); !problem.empty())
    return Usage(errors, problem);
  const std::optional<int> format = OutputFormat(request.output);
  if (!format) return Usage(errors, "the blocks are written as .bmp, .tif, .png or .raw");

  CWorkspace workspace(host);
  if (!workspace.LoadProject(request.project)) return 1;
  CBlocksEditing editing(workspace.layerStack);
  if (editing.Layer() == nullptr) {
    const int created = CreateBlocks(workspace);
    if (created != kBlocksDone) {
      // No source image (or a blocks layer that is not an 8-bit image).
      ShowError(host, created == kBlocksOutOfMemory ? ErrorMessageId(kErrorOutOfMemory) : kCannotPerform);
      return 1;
    }
  }
  // As when the editor opens.
  if (const int copied = editing.TakeUndoCopy()) {
    ShowError(host, BlocksMessageId(copied));
    return 1;
  }
  for (const Operation& operation : request.operations) {
    const int result = Apply(operation, editing);
    if (result != kBlocksDone) {
      const int message = BlocksMessageId(result);
      ShowError(host, message ? message : kCannotPerform);
      return 1;
    }
  }

  const std::string layerName = LoadText(kBlocksLayerName);
  bool written;
  if (*format >= 0) {
    written = SaveLayerRaster(workspace.layerStack, request.output, *format, layerName) == kSaveLayerSaved;
  } else {
    written = editing.Layer()->Image().Save(request.output, kImageFormatPng);
  }
  if (!written) {
    ShowError(host, LoadText(kCannotWriteFile), request.output);
    return 1;
  }
  if (request.saveProject) {
    workspace.blocksImagePath = request.output;
    workspace.blocksImageType = 0;  // blocks saved by this program
    if (const int saved = workspace.SaveProject(request.project)) {
      ShowErrorCode(host, saved);
      return 1;
    }
  }
  return 0;
}

}  // namespace linea
