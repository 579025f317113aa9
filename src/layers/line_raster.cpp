#include "layers/line_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/image.h"

namespace linea {
namespace {

// A 24-bit buffer painted in one colour. Rows firstRow .. lastRow may be painted.
struct PaintTarget {
  std::uint8_t* bits;
  std::int64_t bytesPerLine;
  std::int64_t bytesPerPixel;
  std::int64_t width;
  std::int64_t firstRow;
  std::int64_t lastRow;
  std::uint8_t blue, green, red;

  void Span(std::int64_t row, std::int64_t left, std::int64_t right) const {
    std::uint8_t* p = bits + row * bytesPerLine + left * bytesPerPixel;
    for (std::int64_t column = left; column <= right; ++column, p += bytesPerPixel) {
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
};

// A window of rows firstRow .. lastRow of a picture of one byte per pixel, painted
// with one value; `bits` holds row firstRow.
struct ByteTarget {
  std::uint8_t* bits;
  std::int64_t bytesPerLine;
  std::int64_t width;
  std::int64_t firstRow;
  std::int64_t lastRow;
  std::uint8_t value;

  void Span(std::int64_t row, std::int64_t left, std::int64_t right) const {
    std::uint8_t* p = bits + (row - firstRow) * bytesPerLine + left;
    const std::size_t count = std::size_t(right - left + 1);
    if (count > 16) {
      std::memset(p, value, count);
      return;
    }
    for (std::size_t i = 0; i < count; ++i) p[i] = value;  // the usual brush: a call costs more
  }
};

struct Brush {
  std::int64_t lo;
  std::int64_t hi;
};

Brush BrushOfWidth(int width) {
  const std::int64_t lo = -(std::int64_t(width) / 2);
  return {lo, std::int64_t(width) + lo - 1};
}

bool MakeTarget(std::uint8_t* bits, int bytesPerLine, int bytesPerPixel, std::uint32_t color, int imageWidth,
                int imageHeight, PaintTarget& target) {
  if (bits == nullptr || imageWidth <= 0 || imageHeight <= 0 || bytesPerPixel < 3) return false;
  if (std::int64_t(bytesPerLine) < std::int64_t(imageWidth) * bytesPerPixel) return false;
  target = {bits, bytesPerLine, bytesPerPixel, imageWidth, 0, std::int64_t(imageHeight) - 1,
            ColorBlue(color), ColorGreen(color), ColorRed(color)};
  return true;
}

bool MakeTarget(std::uint8_t* bits, int bytesPerLine, std::uint8_t value, int imageWidth, int imageHeight,
                int firstRow, int endRow, ByteTarget& target) {
  if (bits == nullptr || imageWidth <= 0 || imageHeight <= 0) return false;
  if (bytesPerLine < imageWidth) return false;
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, imageHeight);
  if (firstRow >= endRow) return false;
  target = {bits, bytesPerLine, imageWidth, firstRow, std::int64_t(endRow) - 1, value};
  return true;
}

// The brush at (x, y), clipped to the image's paintable rows.
template <typename Target>
inline void PaintBrush(const Target& t, std::int64_t x, std::int64_t y, const Brush& brush) {
  const std::int64_t top = std::max<std::int64_t>(y + brush.lo, t.firstRow);
  const std::int64_t bottom = std::min<std::int64_t>(y + brush.hi, t.lastRow);
  const std::int64_t left = std::max<std::int64_t>(x + brush.lo, 0);
  const std::int64_t right = std::min<std::int64_t>(x + brush.hi, t.width - 1);
  if (top > bottom || left > right) return;
  for (std::int64_t row = top; row <= bottom; ++row) t.Span(row, left, right);
}

// Steps t = 0 .. count - 1 along the major axis put the brush's major coordinate at
// start + direction x t. Only the steps whose brush can reach low .. high on that
// axis are worth walking; the others paint nothing.
void ClipSteps(std::int64_t start, std::int64_t direction, std::int64_t count, std::int64_t low, std::int64_t high,
               const Brush& brush, std::int64_t& first, std::int64_t& last) {
  const std::int64_t lowest = low - brush.hi;   // smallest major coordinate that paints
  const std::int64_t highest = high - brush.lo;  // largest
  if (direction > 0) {
    first = std::max<std::int64_t>(0, lowest - start);
    last = std::min<std::int64_t>(count - 1, highest - start);
  } else {
    first = std::max<std::int64_t>(0, start - highest);
    last = std::min<std::int64_t>(count - 1, start - lowest);
  }
}

// The same for the minor axis of a line stepped along x, when only some rows may be
// painted: the minor coordinate is within one of minor0 + slope x offset, so steps
// whose exact value lies two rows or more outside the reachable rows paint nothing.
// Only narrows [first, last]; two steps of margin cover rounding.
void ClipMinorSteps(std::int64_t minor0, double slope, std::int64_t direction, std::int64_t low, std::int64_t high,
                    const Brush& brush, std::int64_t& first, std::int64_t& last) {
  const double lowest = double(low - brush.hi) - 2.0;
  const double highest = double(high - brush.lo) + 2.0;
  if (slope == 0.0) {
    // Every step is on row minor0.
    if (double(minor0) < lowest || double(minor0) > highest) last = first - 1;
    return;
  }
  const double a = (lowest - double(minor0)) / slope;
  const double b = (highest - double(minor0)) / slope;
  constexpr double kLimit = 4.0e18;  // keeps the conversions defined
  const double from = std::clamp(std::floor(std::min(a, b)) - 2.0, -kLimit, kLimit);
  const double to = std::clamp(std::ceil(std::max(a, b)) + 2.0, -kLimit, kLimit);
  // offset = direction x t
  const std::int64_t tFrom = direction > 0 ? std::int64_t(from) : -std::int64_t(to);
  const std::int64_t tTo = direction > 0 ? std::int64_t(to) : -std::int64_t(from);
  first = std::max(first, tFrom);
  last = std::min(last, tTo);
}

// Every writer of a segment steps the same way; only what a brush position paints differs.
template <typename Target>
void Segment(const Target& target, int x0, int y0, int x1, int y1, int width, bool window) {
  const Brush brush = BrushOfWidth(width);
  const std::int64_t dx = std::int64_t(x1) - x0;
  const std::int64_t dy = std::int64_t(y1) - y0;
  // Thin lines add the truncated offset to the start; wide ones truncate the sum.
  // The two differ for negative coordinates, and both are kept as they draw.
  const bool thin = width == 1;
  // Steps along the longer axis; `paint` gets (major, minor) coordinates.
  const auto walk = [&](int major0, int minor0, std::int64_t dMajor, std::int64_t dMinor, std::int64_t low,
                        std::int64_t high, bool clipMinor, auto paint) {
    const double slope = double(dMinor) / double(dMajor);
    const std::int64_t direction = dMajor > 0 ? 1 : -1;
    std::int64_t first, last;
    ClipSteps(major0, direction, std::llabs(dMajor), low, high, brush, first, last);
    if (clipMinor) ClipMinorSteps(minor0, slope, direction, target.firstRow, target.lastRow, brush, first, last);
    for (std::int64_t t = first; t <= last; ++t) {
      const std::int64_t offset = direction * t;
      const std::int64_t minor = thin ? minor0 + std::int64_t(slope * double(offset))
                                      : std::int64_t(double(minor0) + slope * double(offset));
      paint(major0 + offset, minor);
    }
  };
  if (std::llabs(dy) < std::llabs(dx)) {
    walk(x0, y0, dx, dy, 0, target.width - 1, window,
         [&](std::int64_t x, std::int64_t y) { PaintBrush(target, x, y, brush); });
  } else {
    if (dy == 0) return;  // both ends coincide
    walk(y0, x0, dy, dx, target.firstRow, target.lastRow, false,
         [&](std::int64_t y, std::int64_t x) { PaintBrush(target, x, y, brush); });
  }
}

}  // namespace

void DrawSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits, int bytesPerLine, int bytesPerPixel,
                 std::uint32_t color, int width, int imageWidth, int imageHeight) {
  PaintTarget target;
  if (width < 1 || !MakeTarget(bits, bytesPerLine, bytesPerPixel, color, imageWidth, imageHeight, target)) return;
  Segment(target, x0, y0, x1, y1, width, false);
}

void DrawDot(int x, int y, std::uint8_t* bits, int bytesPerLine, int bytesPerPixel, std::uint32_t color,
             int width, int imageWidth, int imageHeight) {
  PaintTarget target;
  if (width < 1 || !MakeTarget(bits, bytesPerLine, bytesPerPixel, color, imageWidth, imageHeight, target)) return;
  PaintBrush(target, x, y, BrushOfWidth(width));
}

void DrawSegmentBytes(int x0, int y0, int x1, int y1, std::uint8_t* bits, int bytesPerLine, std::uint8_t value,
                      int width, int imageWidth, int imageHeight, int firstRow, int endRow) {
  ByteTarget target;
  if (width < 1 || !MakeTarget(bits, bytesPerLine, value, imageWidth, imageHeight, firstRow, endRow, target)) return;
  const bool window = target.firstRow > 0 || target.lastRow < std::int64_t(imageHeight) - 1;
  Segment(target, x0, y0, x1, y1, width, window);
}

void DrawDotBytes(int x, int y, std::uint8_t* bits, int bytesPerLine, std::uint8_t value, int width,
                  int imageWidth, int imageHeight, int firstRow, int endRow) {
  ByteTarget target;
  if (width < 1 || !MakeTarget(bits, bytesPerLine, value, imageWidth, imageHeight, firstRow, endRow, target)) return;
  PaintBrush(target, x, y, BrushOfWidth(width));
}

}  // namespace linea
