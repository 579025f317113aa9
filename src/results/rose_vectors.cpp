#include "results/rose_vectors.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/checked_alloc.h"
#include "imaging/image.h"
#include "layers/vector_layer3.h"
#include "results/polyline_simplify.h"
#include "results/rose_layers.h"
#include "results/segment_walk.h"

namespace linea {
namespace {

constexpr double kEightOverPi = 2.5464791329085763;
constexpr double kFourOverPi = 1.2732395664542882;
constexpr double kCoordinateLimit = 1073741824.0;

std::int32_t Coordinate(double value) {
  if (std::isnan(value)) return 0;
  return std::int32_t(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

// A counter running 1..step over the visited rows or columns; a figure is drawn
// where it stands at 1.
struct StepCounter {
  int step;
  int count = 1;
  bool Selected() const { return count == 1; }
  void Advance() { count = count >= step ? 1 : count + 1; }
};

AxialVector VectorOfKind(const RoseMeasureContext& ctx, std::size_t index, int kind) {
  switch (kind) {
    case 'v':
      return RoseVector(ctx, index);
    case 'u': {
      const int direction = MainDirection(ctx, index);
      if (direction <= 0) return {};
      return {0.3, (direction - 1) * kRoseClassAngle};
    }
    case 'q': {
      const EdgeValue edge = SuppressedEdge(ctx, index);
      if (edge.v < 0.0) return {};
      const double e = (edge.v - 0.75) * ctx.rw * 0.01;
      if (e < 0.0) return {};
      return {e, edge.phi};
    }
    default:
      return {};
  }
}

// Pixel steps of the eight directions, by j + 4 for j = -4..4 (j = 0 east,
// counting counter-clockwise; -4 and 4 are both west).
constexpr int kStepX[9] = {-1, -1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kStepY[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};

class AxisTracer {
 public:
  AxisTracer(const RoseMeasureContext& ctx, int width, int height, int kind, double threshold,
             std::vector<std::uint8_t>& occupancy, std::vector<PolylinePoint>& points)
      : ctx_(ctx), width_(width), height_(height), across_(kind == 'y'), threshold_(threshold),
        spacing_(std::int64_t(ctx.pixelSpacing)), occupancy_(occupancy), points_(points),
        limit_(std::size_t(std::max(width, height))) {}

  // One trace from the seed pixel in the direction `sign`; the line, if it has two
  // points or more, goes to the layer. False when the layer refused it.
  bool Trace(int seedX, int seedY, int sign, CVectorLayer3& layer, std::uint32_t color, int lineWidth) {
    std::int64_t roseColumn = RoundedRose(seedX), roseRow = RoundedRose(seedY);
    AxialVector axis = Axis(roseColumn, roseRow);
    if (!(axis.E >= threshold_)) return true;
    int sector = int(axis.theta * kEightOverPi);
    double error = 0.0;
    std::size_t count = 0;
    int x = seedX, y = seedY;
    Occupied(x, y) = 1;
    for (;;) {
      points_[count++] = {x, y};
      const std::int64_t column = RoundedRose(x), row = RoundedRose(y);
      if (column != roseColumn || row != roseRow) {
        roseColumn = column;
        roseRow = row;
        axis = Axis(column, row);
        if (!(axis.E >= threshold_)) break;
        const int newSector = int(axis.theta * kEightOverPi);
        // The axis wrapped through 0 / pi: keep going the same way on screen.
        if (std::abs(newSector - sector) > 4) sign = -sign;
        sector = newSector;
      }
      error += axis.theta;
      int j = int(error * kFourOverPi + 0.5);
      error -= j * kRoseQuarterPi;
      if (sign < 0) j -= 4;
      if (j < -4 || j > 4) break;
      const int nextX = x + kStepX[j + 4], nextY = y + kStepY[j + 4];
      if (nextX < 0 || nextY < 0 || nextX >= width_ || nextY >= height_) break;
      if (RoundedRose(nextX) >= ctx_.nx || RoundedRose(nextY) >= ctx_.ny) break;
      if (count >= limit_ - 1) break;
      const bool metAnotherLine = Occupied(nextX, nextY) != 0;
      MarkSegment(occupancy_, width_, height_, x, y, nextX, nextY);
      x = nextX;
      y = nextY;
      if (metAnotherLine) break;
    }
    if (count < 2) return true;
    const std::size_t kept = SimplifyPolyline(std::span<PolylinePoint>(points_.data(), count));
    return !layer.AddPolyline32(std::span<const PolylinePoint>(points_.data(), kept), color, lineWidth);
  }

  std::uint8_t& Occupied(int x, int y) { return occupancy_[std::size_t(y) * std::size_t(width_) + std::size_t(x)]; }

 private:
  std::int64_t RoundedRose(int pixel) const { return std::int64_t(double(pixel) / double(spacing_) + 0.5); }

  AxialVector Axis(std::int64_t column, std::int64_t row) const {
    if (column < 0 || row < 0 || column >= ctx_.nx || row >= ctx_.ny) return {};
    AxialVector v = RoseVector(ctx_, std::size_t(8 * (row * ctx_.nx + column)));
    if (across_ && v.E >= 0.0) {
      v.theta -= kRoseHalfPi;
      if (v.theta < 0.0) v.theta += kRosePi;
    }
    return v;
  }

  const RoseMeasureContext& ctx_;
  int width_, height_;
  bool across_;
  double threshold_;
  std::int64_t spacing_;
  std::vector<std::uint8_t>& occupancy_;
  std::vector<PolylinePoint>& points_;
  std::size_t limit_;
};

}  // namespace

double FlowLineThreshold(double minElongation, int roseWindow) {
  const double factor = roseWindow <= 150 ? 4.5 : 6.5;
  return std::min(1.0, minElongation / double(roseWindow) * factor);
}

void MarkSegment(std::span<std::uint8_t> raster, int width, int height, int x0, int y0, int x1, int y1,
                 std::uint8_t value) {
  if (width <= 0 || height <= 0 || raster.size() / std::size_t(width) < std::size_t(height)) return;
  auto mark = [&](std::int64_t x, std::int64_t y) { raster[std::size_t(y) * std::size_t(width) + std::size_t(x)] = value; };
  WalkSegment(x0, y0, x1, y1, width, height, mark);
  if (x1 >= 0 && y1 >= 0 && x1 < width && y1 < height) mark(x1, y1);
}

int TraceAxisLines(const RoseMeasureContext& ctx, int width, int height, int kind, int lineStep, double threshold,
                   CVectorLayer3& layer, std::uint32_t color, int lineWidth, const BuildProgress& progress) {
  if (width <= 0 || height <= 0 || ctx.nx < 1 || ctx.ny < 1 || !(ctx.pixelSpacing >= 1.0)) return 12;
  std::vector<std::uint8_t> occupancy;
  std::vector<PolylinePoint> points;
  if (!TryResize(occupancy, std::uint64_t(width) * std::uint64_t(height))) return 3;
  if (!TryResize(points, std::uint64_t(std::max(width, height)))) return 3;
  AxisTracer tracer(ctx, width, height, kind, threshold, occupancy, points);

  const std::int64_t spacing = std::int64_t(ctx.pixelSpacing);
  const int step = std::max(1, lineStep);
  const double seedStep = double(step) * ctx.pixelSpacing;
  std::int64_t row = 0;
  CBuildStage stage(progress, 0.0, 1.0);
  for (double seedY = 0.0; std::int64_t(seedY) < height; seedY += seedStep, row += step) {
    if (!stage.Report(std::uint64_t(seedY), std::uint64_t(height))) return 11;
    std::int64_t column = 0;
    for (double seedX = 0.0; std::int64_t(seedX) < width; seedX += seedStep, column += step) {
      const std::int64_t x = column * spacing, y = row * spacing;
      if (x >= width || y >= height) return 0;
      if (tracer.Occupied(int(x), int(y)) == 0 && !tracer.Trace(int(x), int(y), 1, layer, color, lineWidth)) return 3;
      if (!tracer.Trace(int(x), int(y), -1, layer, color, lineWidth)) return 3;
    }
  }
  return 0;
}

int DrawRoseVectors(const CResults& results, CVectorLayer3& layer, const RoseVectorSettings& settings,
                    const BuildProgress& progress) {
  RoseMeasureContext ctx;
  const int code = PrepareRoseMeasures(ctx, results, settings.roseWindow, settings.kind, settings.localNormalisation,
                                       settings.globalNormalisation, settings.minDensity, RoseRadii::Vector);
  if (code != 0) return code;
  const int rw = settings.roseWindow;
  if (settings.kind == 'x' || settings.kind == 'y') {
    if (results.imageWidth == 0 || results.imageHeight == 0 || results.imageWidth > std::uint32_t(kMaxImageSide) ||
        results.imageHeight > std::uint32_t(kMaxImageSide))
      return 3;
    const int traced =
        TraceAxisLines(ctx, int(results.imageWidth), int(results.imageHeight), settings.kind, settings.lineStep,
                       FlowLineThreshold(settings.minElongation, rw), layer, settings.color, settings.lineWidth,
                       progress);
    if (traced != 0) return traced;
    return CBuildStage(progress, 0.0, 1.0).Report(1, 1) ? 0 : 11;
  }

  const double p = ctx.pixelSpacing;
  const bool roses = settings.kind == 'z';
  const double roseScale = settings.roseStep * p * 0.5 * settings.roseSize * 6.5 / std::pow(double(rw), 1.625);
  const double vectorScale = settings.vectorStep * p * 0.5 * settings.vectorSize * 2.5;
  const double margin = roses ? double(rw) * settings.roseSize * 6.5 / 448.0 : double(rw) * settings.vectorSize / 128.0;
  // A huge margin simply leaves no rose inside it.
  const std::int64_t m = std::max<std::int64_t>(1, std::int64_t(std::clamp(margin, 0.0, 1e9)));
  const int step = std::max(1, roses ? settings.roseStep : settings.vectorStep);

  StepCounter rows{step};
  double centreY = double(m) * p;
  CBuildStage stage(progress, 0.0, 1.0);
  for (std::int64_t r = m; r <= ctx.ny - m - 1; ++r, centreY += p, rows.Advance()) {
    if (!stage.Report(std::uint64_t(r), std::uint64_t(ctx.ny))) return 11;
    if (!rows.Selected()) continue;
    const double y = std::trunc(centreY + 0.5);
    StepCounter columns{step};
    double centreX = double(m) * p;
    for (std::int64_t c = m; c <= ctx.nx - m - 1; ++c, centreX += p, columns.Advance()) {
      if (!columns.Selected()) continue;
      const double x = std::trunc(centreX + 0.5);
      const std::size_t index = std::size_t(8 * (r * ctx.nx + c));
      if (roses) {
        const double d = WeightedCount(ctx, index);
        if (!(d > ctx.mc)) continue;
        const std::span<const std::uint16_t> all = ctx.counts;
        std::array<double, 8> radii{};
        if (index + 8 <= all.size())
          for (int k = 0; k < 8; ++k) {
            radii[k] = all[index + k] * ctx.w[k] * roseScale;
            if (settings.localNormalisation) radii[k] *= 600.0 / d;
          }
        const auto polygon = RosePolygon(std::int64_t(x), std::int64_t(y), radii);
        if (layer.AddPolyline32(polygon, settings.color, settings.lineWidth)) return 3;
        continue;
      }
      const AxialVector v = VectorOfKind(ctx, index, settings.kind);
      if (v.E < 0.0) continue;
      PolylinePoint bar[2] = {{Coordinate(x), Coordinate(y)}, {Coordinate(x), Coordinate(y)}};
      if (v.E > 0.0) {
        const double length = v.E * vectorScale;
        const double dx = std::trunc(std::cos(v.theta) * length), dy = std::trunc(std::sin(v.theta) * length);
        bar[0] = {Coordinate(x + dx), Coordinate(y - dy)};
        bar[1] = {Coordinate(x - dx), Coordinate(y + dy)};
      }
      if (layer.AddPolyline32(bar, settings.color, settings.lineWidth)) return 3;
    }
  }
  return stage.Report(1, 1) ? 0 : 11;
}

}  // namespace linea
