#include "results/rose_layers.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "base/paths.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "results/rose_measures.h"
#include "results/source_summary.h"

namespace linea {
namespace {

// Far from overflowing when the drawing adds brush offsets to it.
constexpr double kCoordinateLimit = 1073741824.0;

std::int32_t Coordinate(double value) {
  if (std::isnan(value)) return 0;
  return std::int32_t(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

std::array<std::int32_t, 8> PresentGlobalRose(const CResults& results) {
  return results.hasGlobalRose ? results.globalRose : std::array<std::int32_t, 8>{};
}

int AddRoseLayer(CLayerStack& stack, std::unique_ptr<CVectorLayer3> layer, std::string description) {
  layer->SetDescription(std::move(description));
  stack.AddLayer(std::move(layer));
  return 0;
}

}  // namespace

std::array<PolylinePoint, 17> RosePolygon(std::int64_t cx, std::int64_t cy, const std::array<double, 8>& radii) {
  std::array<PolylinePoint, 17> points;
  const double x = double(cx), y = double(cy);
  const double a0 = std::trunc(radii[0]);
  points[0] = {Coordinate(x + a0), Coordinate(y)};
  points[8] = {Coordinate(x - a0), Coordinate(y)};
  for (int k = 1; k < 8; ++k) {
    const double angle = k * kRoseClassAngle;
    const double dx = std::trunc(std::cos(angle) * radii[k]);
    const double dy = std::trunc(std::sin(angle) * radii[k]);
    points[k] = {Coordinate(x + dx), Coordinate(y - dy)};
    points[8 + k] = {Coordinate(x - dx), Coordinate(y + dy)};
  }
  points[16] = points[0];
  return points;
}

int BuildGlobalRoseLayer(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params,
                         int lineWidth) {
  std::unique_ptr<CVectorLayer3> layer(new (std::nothrow) CVectorLayer3(name, true));
  if (!layer) return 3;
  const std::array<std::int32_t, 8> g = PresentGlobalRose(results);
  const std::array<double, 8> w = DirectionWeights(false, g, results.imageType);
  double largest = 0.0;
  for (int k = 0; k < 8; ++k) largest = std::max(largest, g[k] * w[k]);
  const double shorterSide = double(std::min(results.imageWidth, results.imageHeight));
  // Without any count the rose shrinks to its centre.
  const double scale = largest > 0.0 ? shorterSide / (4.0 * largest) : 0.0;
  std::array<double, 8> radii;
  for (int k = 0; k < 8; ++k) radii[k] = g[k] * w[k] * scale;
  const auto points = RosePolygon(results.imageWidth / 2, results.imageHeight / 2, radii);
  if (layer->AddPolyline32(points, kRoseRed, lineWidth)) return 3;

  std::string description = "Global Rose (";
  AppendSourceSummary(description, params, results.imageType, results.sourcePath);
  return AddRoseLayer(stack, std::move(layer), std::move(description));
}

int BuildBlockRosesLayer(const CResults& results, CLayerStack& stack, std::string name, const CalcParameters& params,
                         std::string blocksImagePath, int lineWidth) {
  std::unique_ptr<CVectorLayer3> layer(new (std::nothrow) CVectorLayer3(name, true));
  if (!layer) return 3;
  const double gridWidth = results.gridWidth, gridHeight = results.gridHeight;
  const double cells = gridWidth * gridHeight;
  const double scale =
      cells > 0.0 ? 40.0 * double(results.imageWidth) * params.blockRoseSize / (gridWidth * std::sqrt(cells)) : 0.0;
  const std::array<double, 8> w =
      DirectionWeights(params.blockRoseGlobalNorm, PresentGlobalRose(results), results.imageType);
  for (const BlockRose& block : results.blockRoses) {
    std::array<double, 8> radii;
    for (int k = 0; k < 8; ++k) radii[k] = block.sectors[k] * scale * w[k];
    const auto points = RosePolygon(block.header[1], block.header[2], radii);
    if (layer->AddPolyline32(points, kRoseRed, lineWidth)) return 3;
  }

  std::string description = "Block Roses (";
  AppendMaskAndCompression(description, params);
  AppendImageSettings(description, params, results.imageType);
  description += FormatText("%s, %s, %s)", ImageTypeName(results.imageType), FileNamePart(results.sourcePath).c_str(),
                            FileNamePart(blocksImagePath).c_str());
  return AddRoseLayer(stack, std::move(layer), std::move(description));
}

}  // namespace linea
