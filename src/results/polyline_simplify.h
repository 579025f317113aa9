#pragma once
// The simplification every traced line goes through before it is stored
// (flow lines, lineaments, isolines): a point in the middle of a straight run
// of equal steps adds nothing to the drawing, so it is dropped.

#include <cstddef>
#include <span>

namespace linea {

// Keeps the first and the last point and every interior point at which the step
// changes: an interior point is dropped when the step that reaches it equals the
// step that leaves it. Works in place on any point type with x and y; returns
// the number of points kept at the front of `points`. Lines of two points or
// fewer are left as they are.
template <typename Point>
std::size_t SimplifyPolyline(std::span<Point> points) {
  const std::size_t count = points.size();
  if (count <= 2) return count;
  std::size_t kept = 1;
  for (std::size_t i = 1; i + 1 < count; ++i) {
    const auto inX = points[i].x - points[i - 1].x;
    const auto inY = points[i].y - points[i - 1].y;
    const auto outX = points[i + 1].x - points[i].x;
    const auto outY = points[i + 1].y - points[i].y;
    if (inX == outX && inY == outY) continue;
    points[kept++] = points[i];
  }
  points[kept++] = points[count - 1];
  return kept;
}

}  // namespace linea
