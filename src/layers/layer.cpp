#include "layers/layer.h"

#include "imaging/image.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace linea {

std::string TruncateLayerName(std::string_view name) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    // A byte that does not continue a UTF-8 sequence starts a new character.
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) {
      if (characters == kMaxLayerNameLength) return std::string(name.substr(0, i));
      ++characters;
    }
  }
  return std::string(name);
}

CLayer::CLayer(std::string_view name, bool deletable)
    : name_(TruncateLayerName(name)),
      flags_(kLayerVisible | kLayerChanged | (deletable ? kLayerDeletable : 0)) {}

CLayer::~CLayer() = default;

bool CLayer::DrawOnImage(CImage& target) { return DrawOnImageRows(target, 0, target.GetHeight()); }

int ScaledLineWidth(int width, const LineWidthScaling& scaling) {
  if (!scaling.enabled) return width;
  // A zoom that is not positive cannot come from the view; it is read as 1:1
  // rather than dividing by it.
  double zoom = scaling.zoom > 0.0 ? std::min(scaling.zoom, 1.0) : 1.0;
  double scale = double(scaling.lineWidth) / zoom;
  double drawn = std::max(double(width) * scale + 0.5, 1.0);
  if (!(drawn < double(std::numeric_limits<int>::max()))) return std::numeric_limits<int>::max();
  return int(drawn);  // truncation
}

}  // namespace linea
