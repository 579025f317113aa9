#pragma once
// The view's state as plain values: zoom, centring offsets, scroll positions and
// the window <-> image conversions. The widget only calls these, so every rule of
// the display can be checked without a window.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace linea {

// The double epsilon: a zoom closer than this to 1.0 shows the image unscaled.
inline constexpr double kZoomEpsilon = 2.220446049250313e-16;
// Largest side, in screen pixels, the display stretches an image to.
inline constexpr double kMaxDisplaySide = 2147483647.0;
inline constexpr double kZoomInFactor = 1.5;
inline constexpr double kZoomOutFactor = 0.6666666666666666;  // 2/3

struct ViewSize {
  int width = 0;
  int height = 0;
  bool operator==(const ViewSize&) const = default;
};

struct ViewPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ViewPoint&) const = default;
};

// A rectangle in client (window) coordinates, right and bottom exclusive.
struct ViewRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const ViewRect&) const = default;
};

bool IsScaled(double zoom);
// True when a side of the image at this zoom would not fit the display's limit.
bool IsTooLarge(ViewSize image, double zoom);
// The size the image covers on screen: truncated image size times zoom when
// scaled, else the image size.
ViewSize TargetSize(ViewSize image, double zoom);
// Where the image's corner lies when it is narrower or lower than the client
// area: half the free space on each axis (integer halves), else 0.
ViewPoint CentringOffset(ViewSize client, ViewSize target);
// The client rectangle the image covers: from the offset, as wide and high as the
// smaller of the client and the scaled image.
ViewRect ImageRect(ViewPoint offset, ViewSize client, ViewSize image, double zoom);

// image = trunc((window + scroll - offset) / zoom)
int WindowToImage(int window, int scroll, int offset, double zoom);
// window = trunc(image * zoom + offset) - scroll
int ImageToWindow(int image, int scroll, int offset, double zoom);

// The zoom that fits the whole image into the client area (the smaller of the
// two ratios); nothing for an empty image or client.
std::optional<double> FitZoom(ViewSize client, ViewSize image);
// The scroll position that keeps the image point under the client centre in the
// centre after the zoom changed by `ratio` (new zoom / old zoom).
ViewPoint ScrollKeepingCentre(ViewPoint scroll, ViewSize client, double ratio);
// The zoom after a blit that could not be made: back to the previous zoom, or to
// 1.0 when the previous one is the same.
double FallbackZoom(double zoom, double previousZoom);

// The zoom box's text of a zoom: trunc(zoom x 100) and " %".
std::string ZoomText(double zoom);
// The zoom a typed text asks for. The text is cut to 49 characters and at " %";
// the rest must be a decimal number of at least the double epsilon with nothing
// after it. `hadPercent` tells whether " %" was found (the box is rewritten in the
// standard form when it was not).
struct ZoomInput {
  double zoom = 0.0;
  bool hadPercent = false;
};
std::optional<ZoomInput> ParseZoomText(std::string_view text);

// Nearest-neighbour copy of 24-bit pixels for the exposed part of the view: each
// of the `target` pixels at client (left + i, top + j) takes the source pixel at
// (WindowToImage(left + i, scroll.x, offset.x, zoom), likewise for rows), clamped
// into the source. Strides are in bytes.
struct BlitSource {
  const std::uint8_t* bits = nullptr;
  std::size_t stride = 0;
  ViewSize size;
};
struct BlitTarget {
  std::uint8_t* bits = nullptr;
  std::size_t stride = 0;
  ViewRect rect;  // client coordinates of the target's pixels
};
void StretchNearest(const BlitSource& source, const BlitTarget& target, ViewPoint scroll, ViewPoint offset,
                    double zoom);

}  // namespace linea
