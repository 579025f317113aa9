#pragma once
// The one-pixel walk of a segment that marking rasters share with the thin lines
// of the drawings: the major axis is stepped one cell at a time from the first
// point, the second point excluded, and the minor coordinate is the start plus the
// truncated slope times the steps. Only cells inside a width x height raster are
// visited, so far-away coordinates cost nothing.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace linea {

// Calls visit(x, y) for each cell of the segment (x0, y0) -> (x1, y1) that lies in
// 0..width-1 x 0..height-1, the end point excluded.
template <typename Visit>
void WalkSegment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int64_t width,
                 std::int64_t height, Visit&& visit) {
  const std::int64_t dx = x1 - x0;
  const std::int64_t dy = y1 - y0;
  const bool horizontal = std::llabs(dy) < std::llabs(dx);
  const std::int64_t steps = horizontal ? std::llabs(dx) : std::llabs(dy);
  if (steps == 0) return;
  const std::int64_t majorStart = horizontal ? x0 : y0;
  const std::int64_t majorSize = horizontal ? width : height;
  const std::int64_t minorStart = horizontal ? y0 : x0;
  const std::int64_t minorSize = horizontal ? height : width;
  const std::int64_t direction = (horizontal ? dx : dy) > 0 ? 1 : -1;
  const double slope = horizontal ? double(dy) / double(dx) : double(dx) / double(dy);
  // Steps whose major coordinate lies inside the raster.
  std::int64_t first, last;
  if (direction > 0) {
    first = std::max<std::int64_t>(0, -majorStart);
    last = std::min<std::int64_t>(steps - 1, majorSize - 1 - majorStart);
  } else {
    first = std::max<std::int64_t>(0, majorStart - (majorSize - 1));
    last = std::min<std::int64_t>(steps - 1, majorStart);
  }
  for (std::int64_t t = first; t <= last; ++t) {
    const std::int64_t offset = direction * t;
    const std::int64_t minor = minorStart + std::int64_t(slope * double(offset));
    if (minor < 0 || minor >= minorSize) continue;
    const std::int64_t major = majorStart + offset;
    if (horizontal)
      visit(major, minor);
    else
      visit(minor, major);
  }
}

}  // namespace linea
