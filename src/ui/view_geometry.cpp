#include "ui/view_geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/string_table.h"

namespace linea {

namespace {
constexpr std::size_t kZoomTextLimit = 49;

int Truncated(double value) {
  if (!(value > -kMaxDisplaySide)) return int(-kMaxDisplaySide);
  if (!(value < kMaxDisplaySide)) return int(kMaxDisplaySide);
  return int(value);
}
}  // namespace

bool IsScaled(double zoom) { return std::fabs(zoom - 1.0) >= kZoomEpsilon; }

bool IsTooLarge(ViewSize image, double zoom) {
  return !(double(image.width) * zoom <= kMaxDisplaySide) || !(double(image.height) * zoom <= kMaxDisplaySide);
}

ViewSize TargetSize(ViewSize image, double zoom) {
  if (!IsScaled(zoom)) return image;
  return {Truncated(double(image.width) * zoom), Truncated(double(image.height) * zoom)};
}

ViewPoint CentringOffset(ViewSize client, ViewSize target) {
  return {std::max(0, client.width - target.width) / 2, std::max(0, client.height - target.height) / 2};
}

ViewRect ImageRect(ViewPoint offset, ViewSize client, ViewSize image, double zoom) {
  const double width = std::min(double(client.width), double(image.width) * zoom);
  const double height = std::min(double(client.height), double(image.height) * zoom);
  return {offset.x, offset.y, Truncated(width + offset.x), Truncated(height + offset.y)};
}

int WindowToImage(int window, int scroll, int offset, double zoom) {
  if (!(zoom > 0.0)) return 0;
  return Truncated((double(window) + scroll - offset) / zoom);
}

int ImageToWindow(int image, int scroll, int offset, double zoom) {
  return Truncated(double(image) * zoom + offset) - scroll;
}

std::optional<double> FitZoom(ViewSize client, ViewSize image) {
  if (image.width <= 0 || image.height <= 0 || client.width <= 0 || client.height <= 0) return std::nullopt;
  const double rw = double(client.width) / image.width;
  const double rh = double(client.height) / image.height;
  return rh <= rw ? rh : rw;
}

ViewPoint ScrollKeepingCentre(ViewPoint scroll, ViewSize client, double ratio) {
  const int centreX = scroll.x + client.width / 2;
  const int centreY = scroll.y + client.height / 2;
  return {Truncated(centreX * ratio - client.width * 0.5), Truncated(centreY * ratio - client.height * 0.5)};
}

double FallbackZoom(double zoom, double previousZoom) {
  return std::fabs(zoom - previousZoom) < kZoomEpsilon ? 1.0 : previousZoom;
}

std::string ZoomText(double zoom) { return FormatText("%d", Truncated(zoom * 100.0)) + " %"; }

std::optional<ZoomInput> ParseZoomText(std::string_view text) {
  text = text.substr(0, std::min(text.size(), kZoomTextLimit));
  ZoomInput input;
  if (const auto percent = text.find(" %"); percent != std::string_view::npos) {
    text = text.substr(0, percent);
    input.hadPercent = true;
  }
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;  // the C library's reading allows a sign
  double number = 0.0;
  const auto [end, error] = std::from_chars(first, last, number, std::chars_format::general);
  if (error != std::errc() || end != last) return std::nullopt;
  if (!(number >= kZoomEpsilon)) return std::nullopt;
  input.zoom = number * 0.01;
  return input;
}

void StretchNearest(const BlitSource& source, const BlitTarget& target, ViewPoint scroll, ViewPoint offset,
                    double zoom) {
  const int width = target.rect.Width(), height = target.rect.Height();
  if (width <= 0 || height <= 0 || source.size.width <= 0 || source.size.height <= 0 || source.bits == nullptr ||
      target.bits == nullptr)
    return;
  // One source column per target column, computed once for the whole rectangle.
  std::vector<std::size_t> columns(static_cast<std::size_t>(width));
  for (int i = 0; i < width; ++i) {
    const int x = std::clamp(WindowToImage(target.rect.left + i, scroll.x, offset.x, zoom), 0, source.size.width - 1);
    columns[std::size_t(i)] = std::size_t(x) * 3;
  }
  int previousRow = -1;
  for (int j = 0; j < height; ++j) {
    std::uint8_t* out = target.bits + std::size_t(j) * target.stride;
    const int y = std::clamp(WindowToImage(target.rect.top + j, scroll.y, offset.y, zoom), 0, source.size.height - 1);
    if (y == previousRow) {
      std::memcpy(out, out - target.stride, std::size_t(width) * 3);
      continue;
    }
    const std::uint8_t* in = source.bits + std::size_t(y) * source.stride;
    for (int i = 0; i < width; ++i) std::memcpy(out + std::size_t(i) * 3, in + columns[std::size_t(i)], 3);
    previousRow = y;
  }
}

}  // namespace linea
