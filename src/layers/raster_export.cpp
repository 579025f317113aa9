#include "layers/raster_export.h"

#include <cstring>
#include <vector>

#include "base/atomic_file.h"
#include "base/checked_alloc.h"
#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"

namespace linea {
namespace {

constexpr int kSaveFilterFormats[kSaveFilterEntries] = {
    kImageFormatTiff, kImageFormatRaw, kImageFormatBmp, kImageFormatGif,
    kImageFormatPcx,  kImageFormatTga, kImageFormatGrid,
};

// After the image was reduced to 8 bits, the layer shows it through its new palette.
void TakeImagePalette(CBitmapLayer& layer) {
  std::vector<std::uint8_t> red(256), green(256), blue(256), used(256, 1);
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t color = layer.Image().GetColorFromIndex(i);
    red[std::size_t(i)] = ColorRed(color);
    green[std::size_t(i)] = ColorGreen(color);
    blue[std::size_t(i)] = ColorBlue(color);
  }
  layer.SetPalette(red, green, blue, used, 256);
  layer.MarkChanged();
}

}  // namespace

int SaveFilterFormatCode(int filterIndex) {
  if (filterIndex < 0 || filterIndex >= kSaveFilterEntries) return kNoFormat;
  return kSaveFilterFormats[filterIndex];
}

std::string RasterSaveFilter() {
  std::string filter;
  for (int code : kSaveFilterFormats) filter += FormatFilterText(code);
  return filter + "|";
}

int WriteRaw(const std::string& path, CImage& image) {
  if (image.IsEmpty()) return 0;
  if (image.GetBitsPerPixel() > 8 && !image.Quantize(8)) return 0;
  const int width = image.GetWidth(), height = image.GetHeight();
  std::vector<std::uint8_t> packed;
  if (!TryResize(packed, std::uint64_t(width) * std::uint64_t(height))) return 0;
  for (int y = 0; y < height; ++y)
    std::memcpy(packed.data() + std::size_t(y) * std::size_t(width), image.Row(y), std::size_t(width));
  return WriteFileAtomically(path, packed.data(), packed.size()) == 0 ? 1 : 0;
}

int SaveLayerRaster(CLayerStack& stack, const std::string& path, int filterIndex, const std::string& layerName) {
  const int code = SaveFilterFormatCode(filterIndex);
  CLayer* found = stack.FindLayer(layerName);
  if (!found) return kSaveLayerMissing;
  auto* layer = dynamic_cast<CBitmapLayer*>(found);
  if (!layer || code == kNoFormat) return kSaveLayerFailed;
  if (code == kImageFormatRaw) {
    const int bitsBefore = layer->Image().GetBitsPerPixel();
    const int written = WriteRaw(path, layer->Image());
    if (layer->Image().GetBitsPerPixel() != bitsBefore) TakeImagePalette(*layer);
    return written ? kSaveLayerSaved : kSaveLayerFailed;
  }
  // Our encoders take no options: a BMP is written uncompressed as it is.
  return layer->Image().Save(path, code) ? kSaveLayerSaved : kSaveLayerFailed;
}

}  // namespace linea
