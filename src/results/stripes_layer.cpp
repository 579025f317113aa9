#include "results/stripes_layer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "base/checked_alloc.h"
#include "imaging/image.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "results/segment_walk.h"
#include "results/source_summary.h"

namespace linea {
namespace {

struct StripeColor {
  std::uint8_t red, green, blue;
};
// Codes 0..16; the odd code of a pair is bright (255), the even one dim (150).
constexpr StripeColor kStripeColors[17] = {
    {0, 0, 0},      {255, 0, 0},    {150, 150, 0},  {255, 255, 0},  {150, 0, 150}, {255, 0, 255},
    {0, 0, 150},    {0, 0, 255},    {0, 150, 150},  {0, 255, 255},  {0, 150, 0},   {0, 255, 0},
    {120, 20, 150}, {180, 25, 255}, {20, 120, 150}, {25, 180, 255}, {150, 0, 0}};

constexpr std::uint8_t kOnLine = 100;

// Where the stripes layer draws grid cell (i, j): its top-left pixel and the side
// of its square (below 2: the one pixel).
struct CellPlacement {
  double rate;  // image pixels per grid cell
  std::int64_t side;
  std::int64_t X(std::uint64_t i) const { return std::int64_t(double(i) * rate + 0.5); }
  std::int64_t Y(std::uint64_t j) const { return std::int64_t(double(j) * rate + 0.5); }
};
CellPlacement PlacementOf(std::uint64_t imageWidth, std::uint64_t gridWidth) {
  const double rate = double(imageWidth) / double(gridWidth);
  return {rate, std::int64_t(rate + 0.9)};
}

}  // namespace

int MakeStripesPalette(std::span<std::uint8_t, 256> red, std::span<std::uint8_t, 256> green,
                       std::span<std::uint8_t, 256> blue, std::span<std::uint8_t, 256> used) {
  for (int i = 0; i < 256; ++i) {
    const StripeColor c = i <= 16 ? kStripeColors[i] : StripeColor{0, 0, 0};
    red[i] = c.red;
    green[i] = c.green;
    blue[i] = c.blue;
    used[i] = i == 0 ? 0 : 1;
  }
  return 0;
}

int BuildStripesLayer(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params) {
  const std::uint64_t width = results.imageWidth, height = results.imageHeight;
  const std::uint64_t gridWidth = results.gridWidth, gridHeight = results.gridHeight;
  const std::vector<std::uint8_t>& codes = results.stripeCodes;
  if (width == 0 || height == 0 || width > std::uint64_t(kMaxImageSide) || height > std::uint64_t(kMaxImageSide))
    return 3;

  std::array<std::uint8_t, 256> red, green, blue, used;
  MakeStripesPalette(red, green, blue, used);

  std::unique_ptr<CVectorLayer> layer(new (std::nothrow) CVectorLayer(name, true));
  if (!layer) return 3;
  layer->SetTransparentColor(0);
  layer->SetColorChangeable(false);

  const std::uint64_t pixels = width * height;
  std::span<const std::uint8_t> source;
  std::vector<std::uint8_t> buffer;
  if (gridWidth == width && gridHeight == height && codes.size() >= pixels) {
    source = codes;  // shown pixel for pixel
  } else {
    if (!TryResize(buffer, pixels)) return 3;
    if (gridWidth == width) {
      // No compression, but a grid or an array that does not cover the image:
      // what is held is shown, the rest stays empty.
      const std::uint64_t rows = std::min(gridHeight, height);
      for (std::uint64_t j = 0; j < rows && j * width < codes.size(); ++j) {
        const std::uint64_t n = std::min<std::uint64_t>(width, codes.size() - j * width);
        std::memcpy(buffer.data() + j * width, codes.data() + j * width, n);
      }
    } else if (gridWidth > 0) {
      const CellPlacement place = PlacementOf(width, gridWidth);
      const std::uint64_t cells = std::min<std::uint64_t>(codes.size(), gridWidth * gridHeight);
      for (std::uint64_t index = 0; index < cells; ++index) {
        const std::uint8_t code = codes[index];
        if (code == 0) continue;
        const std::int64_t x = place.X(index % gridWidth), y = place.Y(index / gridWidth);
        if (x >= std::int64_t(width) || y >= std::int64_t(height)) continue;
        if (place.side < 2) {
          buffer[std::uint64_t(y) * width + std::uint64_t(x)] = code;
          continue;
        }
        const std::int64_t right = std::min<std::int64_t>(x + place.side, std::int64_t(width));
        const std::int64_t bottom = std::min<std::int64_t>(y + place.side, std::int64_t(height));
        for (std::int64_t row = y; row < bottom; ++row)
          std::memset(buffer.data() + std::uint64_t(row) * width + std::uint64_t(x), code, std::size_t(right - x));
      }
    }
    source = buffer;
  }
  if (!layer->CreateFromPixels(int(width), int(height), 8, source, red, green, blue, used, 256)) return 3;
  std::vector<std::uint8_t>().swap(buffer);

  std::string description = "Stripes (";
  AppendSourceSummary(description, params, results.imageType, results.sourcePath);
  layer->SetDescription(std::move(description));
  stack.AddLayer(std::move(layer));
  return 0;
}

int ReplaceStripes(CResults& results, const CVectorLayer3& layer) {
  if (!results.hasStripes || results.stripeCodes.empty()) return 3;
  const std::uint64_t width = results.imageWidth, height = results.imageHeight;
  std::vector<std::uint8_t> marks;
  auto pixels = CheckedMultiply(width, height);
  if (!pixels || !TryResize(marks, *pixels)) return 3;

  results.stripesReplaced = false;
  results.hasStripes = results.hasGlobalRose = results.hasWindowRoses = results.hasBlockRoses =
      results.hasLineaments = false;

  auto mark = [&](std::int64_t x, std::int64_t y) { marks[std::uint64_t(y) * width + std::uint64_t(x)] = kOnLine; };
  for (int g = 0; g < layer.GroupCount(); ++g) {
    const CPolylineGroup& group = layer.Group(g);
    for (int k = 0; k < group.PolylineCount(); ++k) {
      const auto points = group.Polyline(k);
      if (points.size() == 1) {
        const PolylinePoint p = points[0];
        if (p.x >= 0 && p.y >= 0 && std::uint64_t(p.x) < width && std::uint64_t(p.y) < height) mark(p.x, p.y);
        continue;
      }
      for (std::size_t i = 0; i + 1 < points.size(); ++i)
        WalkSegment(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, std::int64_t(width),
                    std::int64_t(height), mark);
    }
  }

  // A cell survives when a marked pixel lies where the stripes layer draws it; at
  // rate 1 that is the pixel of the same index.
  const std::uint64_t gridWidth = results.gridWidth, gridHeight = results.gridHeight;
  const std::uint64_t length = std::max(results.stripeCodes.size(), results.stripeClasses.size());
  const CellPlacement place = gridWidth > 0 ? PlacementOf(width, gridWidth) : CellPlacement{0.0, 0};
  auto onLine = [&](std::uint64_t index) {
    if (gridWidth == 0 || index / gridWidth >= gridHeight) return false;
    const std::int64_t x = place.X(index % gridWidth), y = place.Y(index / gridWidth);
    if (x >= std::int64_t(width) || y >= std::int64_t(height)) return false;
    const std::int64_t side = std::max<std::int64_t>(place.side, 1);
    const std::int64_t right = std::min<std::int64_t>(x + side, std::int64_t(width));
    const std::int64_t bottom = std::min<std::int64_t>(y + side, std::int64_t(height));
    for (std::int64_t row = y; row < bottom; ++row)
      for (std::int64_t column = x; column < right; ++column)
        if (marks[std::uint64_t(row) * width + std::uint64_t(column)] == kOnLine) return true;
    return false;
  };
  for (std::uint64_t index = 0; index < length; ++index) {
    if (onLine(index)) continue;
    if (index < results.stripeCodes.size()) results.stripeCodes[index] = 0;
    if (index < results.stripeClasses.size()) results.stripeClasses[index] = 0;
  }

  results.stripesReplaced = true;
  results.hasStripes = true;
  if (results.ComputeGlobalRose() != 0) return 13;
  results.hasGlobalRose = true;
  return 0;
}

}  // namespace linea
