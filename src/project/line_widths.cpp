#include "project/line_widths.h"

#include <charconv>

#include "base/messages.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"

namespace linea {

std::optional<int> ParseWholeNumber(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t");
  std::size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return std::nullopt;
  const char* first = text.data() + begin;
  const char* last = text.data() + end + 1;
  if (*first == '+') ++first;  // from_chars takes only the minus sign
  int value = 0;
  const auto [stop, error] = std::from_chars(first, last, value);
  if (error != std::errc() || stop != last) return std::nullopt;
  return value;
}

std::optional<int> ReadLineWidth(CAppHost& host, const std::string& text, const char* parameterName) {
  const std::optional<int> width = ParseWholeNumber(text);
  if (!width || *width < kMinLineWidth || *width > kMaxLineWidth) {
    ShowError(host, RangeMessage(parameterName, kMinLineWidth, kMaxLineWidth));
    return std::nullopt;
  }
  return width;
}

LineWidthSettings LineWidthsOf(const CWorkspace& workspace) {
  return {workspace.lineWidthScaling, workspace.lineWidth, workspace.defaultLineWidth};
}

bool ApplyLineWidths(CWorkspace& workspace, const LineWidthSettings& before, const LineWidthSettings& confirmed) {
  workspace.lineWidthScaling = confirmed.automatic;
  workspace.lineWidth = confirmed.lineWidth;
  workspace.defaultLineWidth = confirmed.defaultLineWidth;
  const bool redraw = confirmed.automatic != before.automatic ||
                      (confirmed.automatic && confirmed.lineWidth != before.lineWidth);
  if (!redraw) return false;
  CLayerStack& stack = workspace.layerStack;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    CLayer* layer = stack.LayerAt(i);
    if (layer->IsVisible() && layer->GetKind() == kLayerKindVector3) layer->MarkChanged();
  }
  return true;
}

int LayerLineWidth(const CLayer& layer) {
  const auto* drawing = dynamic_cast<const CVectorLayer3*>(&layer);
  if (drawing == nullptr || drawing->GroupCount() == 0) return 0;
  return drawing->Group(0).GetWidth();
}

std::optional<std::uint32_t> DrawingColor(const CLayer& layer) {
  const auto* drawing = dynamic_cast<const CVectorLayer3*>(&layer);
  if (drawing == nullptr || drawing->GroupCount() == 0) return std::nullopt;
  return drawing->Group(0).GetColor();
}

bool SetDrawingColor(CLayer& layer, std::uint32_t color) {
  auto* drawing = dynamic_cast<CVectorLayer3*>(&layer);
  if (drawing == nullptr || drawing->GroupCount() == 0) return false;
  drawing->SetAllColors(color);
  drawing->MarkChanged();
  return true;
}

bool SetDrawingWidth(CLayer& layer, int width) {
  auto* drawing = dynamic_cast<CVectorLayer3*>(&layer);
  if (drawing == nullptr || drawing->GroupCount() == 0) return false;
  drawing->SetAllWidths(width);
  drawing->MarkChanged();
  return true;
}

}  // namespace linea
