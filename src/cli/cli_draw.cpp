#include "cli/cli_draw.h"

#include <cstdlib>
#include <optional>

#include "base/messages.h"
#include "base/string_table.h"
#include "cli/cli_options.h"
#include "imaging/image.h"
#include "layers/description_file.h"
#include "project/line_widths.h"
#include "project/scheme_drawing.h"
#include "project/workspace.h"

namespace linea {

namespace {

constexpr int kCannotWriteFile = 32835;  // "Не удается записать файл."
constexpr int kNoDisplayMemory = 32825;  // "Не хватает памяти для вывода изображения."

// One polyline of the command line with the colour, width and layer choice in force.
struct DrawnLine {
  std::vector<PolylinePoint16> points;
  SchemeStyle style;
  bool newLayer = false;
};

struct DrawRequest {
  std::string project;
  std::string output;
  std::string description;
  std::vector<DrawnLine> lines;
};

int Usage(std::FILE* errors, const std::string& problem) {
  std::fprintf(errors, "linea-cli: %s\nusage:%s", problem.c_str(), kDrawUsage + 6);
  return 2;
}

// "RRGGBB" (or "#RRGGBB") as 0x00BBGGRR.
bool ParseColourText(const std::string& text, std::uint32_t& colour) {
  const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
  if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
  const unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
  colour = MakeColor(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
  return true;
}

// "X,Y" with whole numbers that fit image coordinates.
bool ParsePoint(const std::string& text, PolylinePoint16& point) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  const std::optional<int> x = ParseWholeNumber(text.substr(0, comma));
  const std::optional<int> y = ParseWholeNumber(text.substr(comma + 1));
  if (!x || !y || *x < -32768 || *x > 32767 || *y < -32768 || *y > 32767) return false;
  point = {std::int16_t(*x), std::int16_t(*y)};
  return true;
}

std::string ParseDraw(const std::vector<std::string>& arguments, CAppHost& host, DrawRequest& request, bool& refused) {
  SchemeStyle style;
  bool newLayer = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (a == "-o" && hasValue) {
      request.output = arguments[++i];
    } else if (a == "--describe" && hasValue) {
      request.description = arguments[++i];
    } else if ((a == "--color" || a == "--colour") && hasValue) {
      if (!ParseColourText(arguments[++i], style.color)) return "--color needs RRGGBB";
    } else if (a == "--width" && hasValue) {
      // The width box's own check and message.
      const std::optional<int> width = ReadLineWidth(host, arguments[++i], kWidthParameter);
      if (!width) {
        refused = true;
        return {};
      }
      style.width = *width;
    } else if (a == "--new-layer") {
      newLayer = true;
    } else if (a == "--line") {
      DrawnLine line{{}, style, newLayer};
      newLayer = false;
      while (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0 && arguments[i + 1] != "-o") {
        PolylinePoint16 point;
        if (!ParsePoint(arguments[++i], point)) return "--line needs points X,Y, not " + arguments[i];
        line.points.push_back(point);
      }
      if (line.points.empty()) return "--line needs at least one point X,Y";
      request.lines.push_back(std::move(line));
    } else if (request.project.empty() && a.rfind("--", 0) != 0) {
      request.project = a;
    } else {
      return "unexpected argument " + a;
    }
  }
  if (request.project.empty() || request.output.empty() || request.lines.empty())
    return "draw needs PROJECT -o OUT and at least one --line";
  if (RenderFormatOfPath(request.output) == kNoRenderFormat) return "the output must end in .png, .tif or .bmp";
  return {};
}

}  // namespace

int RunDraw(const std::vector<std::string>& arguments, CAppHost& host, std::FILE* out, std::FILE* errors) {
  DrawRequest request;
  bool refused = false;
  const std::string problem = ParseDraw(arguments, host, request, refused);
  if (refused) return 1;
  if (!problem.empty()) return Usage(errors, problem);

  CWorkspace workspace(host);
  if (!workspace.LoadProject(request.project)) return 1;
  CSchemeDrawing drawing;
  for (const DrawnLine& line : request.lines) {
    if (line.newLayer) drawing.StartNewLayer();
    int code = drawing.StartPolyline(workspace.layerStack, line.style);
    if (code == 0) code = drawing.AddSchemePoints(workspace, line.points, true);
    if (code != 0) {
      ShowErrorCode(host, code);
      return 1;
    }
  }
  CLayerStack& stack = workspace.layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i) stack.LayerAt(i)->MarkChanged();
  if (!stack.ComposeLayers(workspace.Composition())) {
    ShowError(host, kNoDisplayMemory);
    return 1;
  }
  if (!stack.CompositionImage().Save(request.output, RenderFormatOfPath(request.output))) {
    ShowError(host, LoadText(kCannotWriteFile), request.output);
    return 1;
  }
  if (!request.description.empty() && !WriteDescription(stack, request.description)) {
    ShowError(host, LoadText(kCannotWriteFile), DescriptionPath(request.description));
    return 1;
  }
  for (int i = 0; i < stack.LayerCount(); ++i) {
    const CLayer* layer = stack.LayerAt(i);
    if (layer->GetKind() == kLayerKindVector3)
      std::fprintf(out, "%s: %s\n", layer->GetName().c_str(), layer->GetDescription().c_str());
  }
  return 0;
}

}  // namespace linea
