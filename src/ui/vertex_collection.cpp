#include "ui/vertex_collection.h"

#include <algorithm>
#include <limits>

namespace linea {

namespace {
std::int16_t To16(int value) {
  return std::int16_t(
      std::clamp<int>(value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}
}  // namespace

ImageVertex SnapToEdges(int x, int y, int imageWidth, int imageHeight) {
  if (x < 10) x = -1;
  if (std::int64_t(x) + 11 > imageWidth) x = imageWidth;
  if (y < 10) y = -1;
  if (std::int64_t(y) + 11 > imageHeight) y = imageHeight;
  return {To16(x), To16(y)};
}

void CVertexCollector::Append(ImageVertex vertex, CViewTool* tool) {
  vertices_[std::size_t(count_++)] = vertex;
  if (count_ < kCapacity) return;
  if (tool) tool->ReceiveVertices(std::span<const ImageVertex>(vertices_.data() + handed_, kHandedOnFull - handed_));
  std::copy(vertices_.begin() + (kHandedOnFull - 1), vertices_.end(), vertices_.begin());
  count_ = kCapacity - kHandedOnFull + 1;
  handed_ = 1;
}

bool CVertexCollector::RemoveLast() {
  if (count_ <= handed_) return false;
  --count_;
  return true;
}

void CVertexCollector::Finish(CViewTool* tool) {
  if (tool) tool->FinishPolyline(std::span<const ImageVertex>(vertices_.data() + handed_, count_ - handed_));
  Clear();
}

void CVertexCollector::Clear() {
  count_ = 0;
  handed_ = 0;
}

}  // namespace linea
