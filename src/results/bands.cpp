#include "results/bands.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "base/checked_alloc.h"
#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/layer_stack.h"
#include "results/rose_measures.h"

namespace linea {
namespace {

CRasterLayer* FindClassMap(CLayerStack& stack, const std::string& name) {
  return dynamic_cast<CRasterLayer*>(stack.FindLayer(name));
}

std::uint8_t ClassByte(int value) { return std::uint8_t(std::clamp(value, 0, 255)); }

// The class map `sourceName`, its classes at the project's size and the new layer.
template <typename Layer>
int StartBand(const CResults& results, CLayerStack& stack, const std::string& sourceName, const std::string& name,
              const CRasterLayer*& source, std::vector<std::uint8_t>& raster, std::unique_ptr<Layer>& layer) {
  source = FindClassMap(stack, sourceName);
  if (!source) return 2;
  if (!CopyClassPixels(*source, results.imageWidth, results.imageHeight, raster)) return 3;
  layer.reset(new (std::nothrow) Layer(name, true));
  return layer ? 0 : 3;
}

// The layer's image from the raster and its tables, then into the stack.
template <typename Layer>
int FinishBand(const CResults& results, CLayerStack& stack, std::unique_ptr<Layer> layer,
               const std::vector<std::uint8_t>& raster, std::string description) {
  if (!layer->CreateFromPixels(int(results.imageWidth), int(results.imageHeight), 8, raster, layer->red,
                               layer->green, layer->blue, layer->used, 256))
    return 3;
  layer->SetDescription(std::move(description));
  layer->MarkChanged();
  return stack.AddLayer(std::move(layer)) ? 0 : 3;
}

}  // namespace

RoseGridCounts CurrentRoseGrid(const CResults& results) {
  RoseMeasureContext context;
  if (PrepareRoseMeasures(context, results, 64, 'd', false, false, 0.0, RoseRadii::Field) != 0) return {};
  return {context.nx, context.ny};
}

bool CopyClassPixels(const CRasterLayer& source, std::uint32_t width, std::uint32_t height,
                     std::vector<std::uint8_t>& raster) {
  if (!TryResize(raster, std::uint64_t(width) * height)) return false;
  const CImage& image = source.Image();
  if (image.IsEmpty() || image.GetBitsPerPixel() != 8) return true;  // no classes to copy
  const std::size_t columns = std::min<std::size_t>(width, std::size_t(image.GetWidth()));
  const std::uint32_t rows = std::min<std::uint32_t>(height, std::uint32_t(image.GetHeight()));
  for (std::uint32_t y = 0; y < rows; ++y)
    std::memcpy(raster.data() + std::size_t(y) * width, image.Row(int(y)), columns);
  return true;
}

void MakeBandPalette(PaletteTable& red, PaletteTable& green, PaletteTable& blue, PaletteTable& used,
                     std::uint32_t color, int fromClass, int toClass) {
  red.fill(0);
  green.fill(0);
  blue.fill(0);
  used.fill(1);
  const int first = std::max(1, fromClass), last = std::min(toClass, 255);
  for (int i = first; i <= last; ++i) {
    red[std::size_t(i)] = ColorRed(color);
    green[std::size_t(i)] = ColorGreen(color);
    blue[std::size_t(i)] = ColorBlue(color);
  }
}

void RecolourBand(PaletteTable& red, PaletteTable& green, PaletteTable& blue, std::uint32_t color) {
  for (std::size_t i = 0; i < 256; ++i) {
    if (red[i] == 0 && green[i] == 0 && blue[i] == 0) continue;
    red[i] = ColorRed(color);
    green[i] = ColorGreen(color);
    blue[i] = ColorBlue(color);
  }
}

int FindExtremumBands(int width, int height, std::uint32_t gridWidth, RoseGridCounts grid,
                      std::span<std::uint8_t> raster, int fromClass, int toClass, bool maxima, int windowWidth,
                      double range) {
  if (width <= 0 || height <= 0) return 0;
  const std::int64_t W = width, H = height;
  const std::int64_t size = std::min<std::int64_t>(W * H, std::int64_t(raster.size()));
  std::vector<std::uint8_t> keep;
  if (!TryResize(keep, std::uint64_t(size))) return 3;
  // A window wider than the image is the image.
  const std::int64_t h = std::clamp<std::int64_t>(windowWidth / 2, 0, std::max(W, H));
  const double spacing = gridWidth > 0 ? double(TruncToInt(W * 8.0 / double(gridWidth) + 0.5)) : 0.0;
  const std::int64_t p = std::int64_t(spacing);
  auto at = [&](std::int64_t i) { return int(raster[std::size_t(i)]); };
  for (std::int64_t r = 1; p >= 1 && r + 1 < grid.ny; ++r) {
    for (std::int64_t c = 1; c + 1 < grid.nx; ++c) {
      const std::int64_t y = r * p, x = c * p;
      // Counts of an earlier geometry can name nodes beyond this image.
      if (x >= W || y >= H) continue;
      const std::int64_t i = y * W + x;
      if (i >= size) continue;
      const int v = at(i);
      if (v < fromClass || v > toClass) continue;
      // Pixels before the node count only above index 0, those after it only inside.
      auto before = [&](std::int64_t j, auto test) { return j <= 0 || j >= size || test(at(j)); };
      auto after = [&](std::int64_t j, auto test) { return j >= size || j < 0 || test(at(j)); };
      auto above = [v](int q) { return v > q; };
      auto notBelow = [v](int q) { return v >= q; };
      auto below = [v](int q) { return v < q; };
      auto notAbove = [v](int q) { return v <= q; };
      const std::int64_t up = i - W * p, down = i + W * p;
      bool extremum;
      if (maxima)
        extremum = before(i - p, above) && after(i + p, above) && before(up, above) && before(up - p, above) &&
                   before(up + p, above) && after(down, notBelow) && after(down - p, notBelow) &&
                   after(down + p, notBelow);
      else
        extremum = before(i - p, below) && after(i + p, notAbove) && before(up, below) && before(up - p, below) &&
                   before(up + p, below) && after(down, notAbove) && after(down - p, notAbove) &&
                   after(down + p, notAbove);
      if (!extremum) continue;
      const int t = maxima ? std::max(1, TruncToInt(v * range)) : std::min(255, TruncToInt(v * range));
      const std::int64_t top = y - std::min(y, h), bottom = y + std::min(H - 1 - y, h);
      const std::int64_t left = x - std::min(x, h), right = x + std::min(W - 1 - x, h);
      // A class beyond the node's own anywhere in the window drops the node.
      bool dropped = false;
      for (std::int64_t yy = top; yy <= bottom && !dropped; ++yy)
        for (std::int64_t xx = left; xx <= right; ++xx) {
          const std::int64_t j = yy * W + xx;
          if (j >= size) break;
          const int q = at(j);
          if (maxima ? q > v : q < v) {
            dropped = true;
            break;
          }
        }
      if (dropped) continue;
      for (std::int64_t yy = top; yy <= bottom; ++yy)
        for (std::int64_t xx = left; xx <= right; ++xx) {
          const std::int64_t j = yy * W + xx;
          if (j >= size) break;
          const int q = at(j);
          if (maxima ? q > t : q < t) keep[std::size_t(j)] = 1;
        }
    }
  }
  for (std::int64_t j = 0; j < size; ++j)
    if (!keep[std::size_t(j)]) raster[std::size_t(j)] = 0;
  return 0;
}

int BuildColorBandLayer(const CResults& results, CLayerStack& stack, const std::string& sourceName,
                        std::string name, const BandParameters& band) {
  const CRasterLayer* source = nullptr;
  std::vector<std::uint8_t> raster;
  std::unique_ptr<CColorBandLayer> layer;
  if (const int code = StartBand(results, stack, sourceName, name, source, raster, layer); code != 0) return code;
  MakeBandPalette(layer->red, layer->green, layer->blue, layer->used, band.color, band.fromClass, band.toClass);
  layer->bandFrom = band.fromClass;
  layer->bandTo = band.toClass;
  layer->classWidth = source->classWidth;
  layer->From = source->From;
  layer->steps = 3;
  layer->stepBoundaries = {ClassByte(band.fromClass), ClassByte(band.toClass), 255};
  const int lo = TruncToInt((band.fromClass - 1) * source->classWidth) + source->From;
  const int hi = TruncToInt((band.toClass - 1) * source->classWidth) + source->From;
  return FinishBand(results, stack, std::move(layer), raster,
                    "ColorBand (" + FormatText("%d - %d) (", lo, hi) + source->GetDescription());
}

int BuildExtremumBandLayer(const CResults& results, CLayerStack& stack, const std::string& sourceName,
                           std::string name, const BandParameters& band, RoseGridCounts grid) {
  const CRasterLayer* source = nullptr;
  std::vector<std::uint8_t> raster;
  std::unique_ptr<CExtremumLayer> layer;
  if (const int code = StartBand(results, stack, sourceName, name, source, raster, layer); code != 0) return code;
  layer->red = source->red;
  layer->green = source->green;
  layer->blue = source->blue;
  layer->used = source->used;
  if (const int code = FindExtremumBands(int(results.imageWidth), int(results.imageHeight), results.gridWidth, grid,
                                         raster, band.fromClass, band.toClass, band.maxima != 0, band.width,
                                         band.range);
      code != 0)
    return code;
  RecolourBand(layer->red, layer->green, layer->blue, band.color);
  layer->classWidth = -1.0;
  layer->steps = 2;
  layer->stepBoundaries = {1, 255};
  std::string text = "ExtremumBand (";
  text += band.maxima != 0 ? "Max " : "Min ";
  text += FormatText("%s %d - %d ", "Band", band.fromClass, band.toClass);
  text += FormatText("%s %d %s %2.2f) (", "Width", band.width, "Range", band.range);
  text += source->GetDescription();
  return FinishBand(results, stack, std::move(layer), raster, std::move(text));
}

}  // namespace linea
