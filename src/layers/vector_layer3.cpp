#include "layers/vector_layer3.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include "imaging/image.h"
#include "layers/line_raster.h"

namespace linea {

std::span<const PolylinePoint> CPolylineGroup::Polyline(int index) const {
  const std::size_t begin = starts_[std::size_t(index)];
  const std::size_t end = starts_[std::size_t(index) + 1];
  return std::span<const PolylinePoint>(points_.data() + begin, end - begin);
}

CVectorLayer3::CVectorLayer3(std::string_view name, bool deletable) : CLayer(name, deletable) {}

CPolylineGroup* CVectorLayer3::GroupFor(std::uint32_t color, int width, bool& created) {
  created = false;
  for (CPolylineGroup& group : groups_)
    if (group.color_ == color && group.width_ == width) return &group;
  if (int(groups_.size()) == kMaxGroups) return nullptr;
  try {
    groups_.reserve(kMaxGroups);  // so that adding a group never moves the others
    CPolylineGroup group;
    group.color_ = color;
    group.width_ = width;
    group.capacity_ = kInitialCapacity;
    group.starts_.reserve(std::size_t(kInitialCapacity) + 1);
    groups_.push_back(std::move(group));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  created = true;
  return &groups_.back();
}

template <typename Point>
bool CVectorLayer3::AddPolyline(std::span<const Point> points, std::uint32_t color, int width) {
  if (points.size() > std::size_t(std::numeric_limits<int>::max())) return true;
  ++revision_;  // also on failure: cheaper than proving nothing moved
  bool created = false;
  CPolylineGroup* group = GroupFor(color, width, created);
  if (group == nullptr) return true;
  try {
    // A group always keeps one spare entry: the polyline that would fill it first
    // enlarges it by the growth step. The vectors underneath grow geometrically so
    // that a long list is not copied every hundred polylines.
    int capacity = group->capacity_;
    if (group->PolylineCount() == capacity - 1) {
      if (capacity > std::numeric_limits<int>::max() - kGrowthStep) throw std::bad_alloc();
      capacity += kGrowthStep;
    }
    auto& starts = group->starts_;
    if (starts.capacity() < std::size_t(capacity) + 1)
      starts.reserve(std::max(std::size_t(capacity) + 1, 2 * starts.capacity()));
    auto& stored = group->points_;
    const std::size_t needed = stored.size() + points.size();
    if (stored.capacity() < needed) stored.reserve(std::max(needed, 2 * stored.capacity()));
    // Nothing below can fail.
    for (const Point& p : points) stored.push_back({std::int32_t(p.x), std::int32_t(p.y)});
    starts.push_back(stored.size());
    group->capacity_ = capacity;
    return false;
  } catch (const std::bad_alloc&) {
    if (created) groups_.pop_back();
    return true;
  } catch (const std::length_error&) {
    if (created) groups_.pop_back();
    return true;
  }
}

bool CVectorLayer3::AddPolyline16(std::span<const PolylinePoint16> points, std::uint32_t color, int width) {
  return AddPolyline(points, color, width);
}

bool CVectorLayer3::AddPolyline32(std::span<const PolylinePoint> points, std::uint32_t color, int width) {
  return AddPolyline(points, color, width);
}

bool CVectorLayer3::PolylineClass(int group, int polyline, int& classNumber) const {
  const auto& byGroup = polylineClasses.byGroup;
  if (!HoldsPolylineClasses() || group < 0 || group >= GroupCount() || polyline < 0) return false;
  if (std::size_t(group) >= byGroup.size()) return false;  // a group begun after tracing
  const auto& classes = byGroup[std::size_t(group)];
  // Lines are only ever appended: the record covers the group's first lines, and
  // one longer than the group is not trusted at all.
  if (classes.size() > std::size_t(groups_[std::size_t(group)].PolylineCount())) return false;
  if (std::size_t(polyline) >= classes.size()) return false;  // drawn later by hand
  classNumber = classes[std::size_t(polyline)];
  return true;
}

void CVectorLayer3::SetAllColors(std::uint32_t color) {
  ++revision_;
  for (CPolylineGroup& group : groups_) group.color_ = color;
}

void CVectorLayer3::SetAllWidths(int width) {
  ++revision_;
  for (CPolylineGroup& group : groups_) group.width_ = width;
}

bool CVectorLayer3::DrawOverImage(CImage& target, const LineWidthScaling& scaling) {
  if (!IsVisible()) return true;
  if (target.IsEmpty() || target.GetBitsPerPixel() != 24) return false;
  std::uint8_t* bits = target.GetBits();
  const int bytesPerLine = target.GetBytesPerLine();
  const int bytesPerPixel = target.GetBytesPerPixel();
  const int imageWidth = target.GetWidth();
  const int imageHeight = target.GetHeight();
  for (const CPolylineGroup& group : groups_) {
    const int width = ScaledLineWidth(group.width_, scaling);
    const std::uint32_t color = group.color_;
    for (int k = 0; k < group.PolylineCount(); ++k) {
      const std::span<const PolylinePoint> points = group.Polyline(k);
      if (points.empty()) continue;
      const PolylinePoint& last = points.back();
      DrawDot(last.x, last.y, bits, bytesPerLine, bytesPerPixel, color, width, imageWidth, imageHeight);
      for (std::size_t i = 0; i + 1 < points.size(); ++i)
        DrawSegment(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, bits, bytesPerLine,
                    bytesPerPixel, color, width, imageWidth, imageHeight);
    }
  }
  return true;
}

void CVectorLayer3::DrawValues(std::uint8_t* bits, int bytesPerLine, int imageWidth, int imageHeight, int firstRow,
                               int endRow, const LineWidthScaling& scaling,
                               std::span<const std::uint8_t> values) const {
  for (std::size_t g = 0; g < groups_.size() && g < values.size(); ++g) {
    const CPolylineGroup& group = groups_[g];
    const int width = ScaledLineWidth(group.width_, scaling);
    if (width < 1) continue;
    // A polyline paints no row beyond its points' rows widened by the brush (and one
    // for good measure); those outside the window are passed over.
    const std::int64_t above = std::int64_t(width) / 2 + 1;
    const std::int64_t below = std::int64_t(width) - std::int64_t(width) / 2;
    const std::uint8_t value = values[g];
    for (int k = 0; k < group.PolylineCount(); ++k) {
      const std::span<const PolylinePoint> points = group.Polyline(k);
      if (points.empty()) continue;
      std::int32_t top = points.front().y, bottom = top;
      for (const PolylinePoint& p : points) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
      }
      if (std::int64_t(bottom) + below < firstRow || std::int64_t(top) - above >= endRow) continue;
      const PolylinePoint& last = points.back();
      DrawDotBytes(last.x, last.y, bits, bytesPerLine, value, width, imageWidth, imageHeight, firstRow, endRow);
      for (std::size_t i = 0; i + 1 < points.size(); ++i)
        DrawSegmentBytes(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, bits, bytesPerLine, value,
                         width, imageWidth, imageHeight, firstRow, endRow);
    }
  }
}

}  // namespace linea
