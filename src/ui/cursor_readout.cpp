#include "ui/cursor_readout.h"

#include <algorithm>
#include <limits>

#include "layers/band_layer.h"
#include "layers/raster_layer.h"
#include "results/rose_measures.h"

namespace linea {

namespace {

std::int16_t To16(int value) {
  return std::int16_t(std::clamp<int>(value, std::numeric_limits<std::int16_t>::min(),
                                      std::numeric_limits<std::int16_t>::max()));
}

bool Inside(const CImage& image, int x, int y) {
  return x >= 0 && y >= 0 && x < image.GetWidth() && y < image.GetHeight() && image.GetBits() != nullptr;
}

CursorReadout MapReadout(const CRasterLayer& map, int c) {
  CursorReadout readout;
  readout.labels = {"V", ">", "<"};
  if (c <= 0) return readout;
  // Only the boundaries the layer really holds count as steps.
  const int steps = std::min<int>(map.steps, int(map.stepBoundaries.size()));
  int s = 0;
  while (s < steps && int(map.stepBoundaries[std::size_t(s)]) <= c) ++s;
  auto boundary = [&](int i) { return ClassValue(map, map.stepBoundaries[std::size_t(i)]); };
  int lower, upper;
  if (steps <= 0) {
    lower = map.Min;
    upper = map.Max;
  } else if (s == 0) {
    lower = map.Min;
    upper = boundary(0);
  } else if (s < steps - 1) {
    lower = boundary(s - 1);
    upper = boundary(s);
  } else {
    // With a single step there is no boundary before the last one.
    lower = steps >= 2 ? boundary(steps - 2) : map.Min;
    upper = map.Max;
  }
  readout.values = {To16(ClassValue(map, c)), To16(lower), To16(upper)};
  return readout;
}

}  // namespace

int ClassValue(const CRasterLayer& map, int classIndex) {
  return TruncToInt(double(classIndex - 1) * map.classWidth + double(map.From));
}

CursorReadout ReadLayerAt(const CLayer* layer, int x, int y, bool elevationModel, std::string_view sourceLayerName) {
  CursorReadout readout;
  if (layer == nullptr) return readout;
  switch (layer->GetKind()) {
    case kLayerKindRaster: {
      const auto& map = static_cast<const CRasterLayer&>(*layer);
      if (!Inside(map.Image(), x, y)) return readout;
      return MapReadout(map, map.Image().GetIndexFromPixel(x, y));
    }
    case kLayerKindBand: {
      const auto& band = static_cast<const CColorBandLayer&>(*layer);
      if (band.classWidth == -1.0 || !Inside(band.Image(), x, y)) return readout;
      const int c = band.Image().GetIndexFromPixel(x, y);
      readout.values[0] = c <= 0 ? 0 : To16(ClassValue(band, c));
      readout.labels = {"V", "", ""};
      return readout;
    }
    case kLayerKindBitmap: {
      if (elevationModel) return readout;
      const auto& picture = static_cast<const CBitmapLayer&>(*layer);
      if (!Inside(picture.Image(), x, y)) return readout;
      const std::uint32_t colour = picture.Image().GetColorFromPixel(x, y);
      if (layer->GetName() == sourceLayerName) {
        readout.values[0] = std::int16_t(colour & 0xFF);
        readout.labels = {"V", "", ""};
      } else {
        readout.values = {std::int16_t(colour & 0xFF), std::int16_t((colour >> 8) & 0xFF),
                          std::int16_t((colour >> 16) & 0xFF)};
        readout.labels = {"r", "g", "b"};
      }
      return readout;
    }
    default: return readout;
  }
}

}  // namespace linea
