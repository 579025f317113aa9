#pragma once
// Widths of lines: the width boxes of the drawing tool and the layers bar, the
// line-width settings of the workspace, and the colour and width of a drawing
// (CVectorLayer3) as the layers bar changes them.

#include <cstdint>
#include <optional>
#include <string>

namespace linea {

class CAppHost;
class CLayer;
class CWorkspace;

// A width box accepts whole pixels in this range; wider brushes would paint most
// of the picture at every step of a line.
inline constexpr int kMinLineWidth = 1;
inline constexpr int kMaxLineWidth = 100;

// Parameter names of the width messages.
inline constexpr const char* kWidthParameter = "Width";
inline constexpr const char* kVisibleWidthParameter = "Visible Width";
inline constexpr const char* kDefaultWidthParameter = "Default Width";

// The whole number a box holds (blanks around it allowed), or nothing.
std::optional<int> ParseWholeNumber(const std::string& text);
// The width typed into a box. Anything but a whole number from kMinLineWidth to
// kMaxLineWidth shows "Значение параметра <name> должно быть от 1 до 100." and
// gives nothing.
std::optional<int> ReadLineWidth(CAppHost& host, const std::string& text, const char* parameterName);

// The values of the line-width dialog.
struct LineWidthSettings {
  bool automatic = true;  // widen result lines when the view is zoomed out
  int lineWidth = 1;      // the visible width
  int defaultLineWidth = 1;
  bool operator==(const LineWidthSettings&) const = default;
};
LineWidthSettings LineWidthsOf(const CWorkspace& workspace);
// Stores confirmed values. When the automatic switch changed since `before`, or it
// is on and the visible width changed, every visible drawing is marked for
// composition and true is returned: the view must be repainted.
bool ApplyLineWidths(CWorkspace& workspace, const LineWidthSettings& before, const LineWidthSettings& confirmed);

// The width a layer reports to the layers bar: a drawing's first line width, 0
// for a drawing without lines and for every other kind of layer.
int LayerLineWidth(const CLayer& layer);
// The colour a drawing shows first (0x00BBGGRR), or nothing.
std::optional<std::uint32_t> DrawingColor(const CLayer& layer);
// Every line of a drawing takes the colour or the width; the layer is marked for
// composition. False for a layer that is not a drawing with lines.
bool SetDrawingColor(CLayer& layer, std::uint32_t color);
bool SetDrawingWidth(CLayer& layer, int width);

}  // namespace linea
