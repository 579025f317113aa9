#include "analysis/stripe_search.h"

#include <algorithm>
#include <cmath>

#include "analysis/window_sums.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "results/calc_parameters.h"

namespace linea {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

// Degrees in [0, 180) of an axis given in degrees.
double AxisDegrees(double degrees) {
  double d = std::fmod(degrees, 180.0);
  if (d < 0) d += 180.0;
  return d >= 180.0 ? 0.0 : d;
}

bool PrepareField(const AnalysisRaster& image, const AnalysisRaster* mask, std::uint32_t gridWidth,
                  std::uint32_t gridHeight, StripeField& out, int& code) {
  code = 0;
  if (!image.Present() || gridWidth == 0 || gridHeight == 0) {
    code = kErrorNoData;
    return false;
  }
  if (mask && mask->Present() && (mask->width != image.width || mask->height != image.height)) {
    code = kErrorNoData;
    return false;
  }
  const std::uint64_t cells = std::uint64_t(gridWidth) * gridHeight;
  StripeField fresh;
  if (!TryResize(fresh.codes, cells) || !TryResize(fresh.directions, cells)) {
    code = kErrorOutOfMemory;
    return false;
  }
  fresh.gridWidth = gridWidth;
  fresh.gridHeight = gridHeight;
  out = std::move(fresh);
  return true;
}

bool CellMasked(const AnalysisRaster* mask, std::uint32_t gx, std::uint32_t gy, double rate) {
  if (!mask || !mask->Present()) return false;
  return mask->At(GridCellCentre(gx, rate, mask->width), GridCellCentre(gy, rate, mask->height)) != 0;
}

}  // namespace

int StripeWindowRadius(double rate) { return std::max(3, int(std::lround(rate))); }

int FindImageStripes(const AnalysisRaster& image, const AnalysisRaster* mask, const CalcParameters& params,
                     std::uint32_t gridWidth, std::uint32_t gridHeight, StripeField& out,
                     const AnalysisProgress& progress) {
  int code = 0;
  StripeField field;
  if (!PrepareField(image, mask, gridWidth, gridHeight, field, code)) return code;
  const double rate = std::max(1.0, params.Rate);
  const int width = image.width, height = image.height;
  // Central differences, y up on screen; each is twice the slope per pixel.
  auto rowValues = [&](int y, std::int64_t* xx, std::int64_t* yy, std::int64_t* xy) {
    const std::uint8_t* row = image.pixels + std::size_t(y) * image.stride;
    const std::uint8_t* above = image.pixels + std::size_t(std::max(0, y - 1)) * image.stride;
    const std::uint8_t* below = image.pixels + std::size_t(std::min(height - 1, y + 1)) * image.stride;
    for (int x = 0; x < width; ++x) {
      const int gx = int(row[std::min(width - 1, x + 1)]) - int(row[std::max(0, x - 1)]);
      const int gy = int(above[x]) - int(below[x]);
      xx[x] = gx * gx;
      yy[x] = gy * gy;
      xy[x] = gx * gy;
    }
  };
  const double linearity = std::clamp(params.TR_Linear, 0, 100) / 100.0;
  // Mean squared central difference = 4 x squared slope.
  const double contrast = std::max(0, params.TR_Contrast);
  const double leastEnergy = 4.0 * contrast * contrast;
  auto visit = [&](std::uint32_t gx, std::uint32_t gy, double jxx, double jyy, double jxy, double pixels) {
    const std::size_t cell = std::size_t(gy) * gridWidth + gx;
    const double trace = jxx + jyy;
    if (trace <= 0 || trace < leastEnergy * pixels || CellMasked(mask, gx, gy, rate)) return;
    const double anisotropy = std::sqrt((jxx - jyy) * (jxx - jyy) + 4 * jxy * jxy);
    if (anisotropy < linearity * trace) return;
    // The gradient's main axis; the feature runs across it.
    const double degrees = AxisDegrees(0.5 * std::atan2(2 * jxy, jxx - jyy) * kDegreesPerRadian + 90.0);
    field.codes[cell] = StripeCodeOfDegrees(degrees);
    field.directions[cell] = std::uint8_t(std::min(179, int(degrees + 0.5) % 180));
  };
  code = SumCellWindows(width, height, rate, gridWidth, gridHeight, StripeWindowRadius(rate), rowValues, visit,
                        progress);
  if (code) return code;
  out = std::move(field);
  return 0;
}

int FindReliefStripes(const AnalysisRaster& heights, const AnalysisRaster* mask, const CalcParameters& params,
                      std::uint32_t gridWidth, std::uint32_t gridHeight, StripeField& out,
                      const AnalysisProgress& progress) {
  int code = 0;
  StripeField field;
  if (!PrepareField(heights, mask, gridWidth, gridHeight, field, code)) return code;
  const double rate = std::max(1.0, params.Rate);
  const int width = heights.width, height = heights.height;
  const int radius = StripeWindowRadius(rate);
  // Second differences over a step of half the window, so that a valley as wide as
  // the window is seen as one trough.
  const int step = std::max(1, radius / 2 + 1);
  auto level = [&](int x, int y) {
    return int(heights.At(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1)));
  };
  // hxx, hyy and 4 x hxy with y up on screen.
  auto rowValues = [&](int y, std::int64_t* hxx, std::int64_t* hyy, std::int64_t* hxy) {
    for (int x = 0; x < width; ++x) {
      const int here = level(x, y);
      hxx[x] = level(x + step, y) + level(x - step, y) - 2 * here;
      hyy[x] = level(x, y - step) + level(x, y + step) - 2 * here;
      hxy[x] = level(x + step, y - step) - level(x - step, y - step) - level(x + step, y + step) +
               level(x - step, y + step);
    }
  };
  const double linearity = std::clamp(params.TR_Linear, 0, 100) / 100.0;
  const double contrast = std::max(0, params.TR_Contrast);
  const int choice = params.Calck_DTM;
  const int margin = radius + step;
  auto visit = [&](std::uint32_t gx, std::uint32_t gy, double sxx, double syy, double sxy, double pixels) {
    const std::size_t cell = std::size_t(gy) * gridWidth + gx;
    // Near the edge the window reaches past the model, where no curvature is known.
    const int cx = GridCellCentre(gx, rate, width), cy = GridCellCentre(gy, rate, height);
    if (cx < margin || cy < margin || cx >= width - margin || cy >= height - margin) return;
    const double a = sxx / pixels, c = syy / pixels, b = sxy / (4.0 * pixels);
    const double mean = 0.5 * (a + c), spread = std::sqrt(0.25 * (a - c) * (a - c) + b * b);
    const double larger = mean + spread, smaller = mean - spread;
    // The axis of the larger eigenvalue.
    const double largerDegrees = 0.5 * std::atan2(2 * b, a - c) * kDegreesPerRadian;
    const bool acrossIsLarger = std::fabs(larger) >= std::fabs(smaller);
    const double across = acrossIsLarger ? larger : smaller, along = acrossIsLarger ? smaller : larger;
    const double magnitude = std::fabs(across);
    if (magnitude <= 0 || magnitude < contrast || CellMasked(mask, gx, gy, rate)) return;
    if (magnitude - std::fabs(along) < linearity * (magnitude + std::fabs(along))) return;
    const bool valley = across > 0;
    if ((choice == 1 && !valley) || (choice == 2 && valley)) return;
    // The feature runs along the axis of the other eigenvalue.
    const double degrees = AxisDegrees(acrossIsLarger ? largerDegrees + 90.0 : largerDegrees);
    field.codes[cell] = StripeCodeOfDegrees(degrees);
    field.directions[cell] = std::uint8_t(std::min(179, int(degrees + 0.5) % 180));
  };
  code = SumCellWindows(width, height, rate, gridWidth, gridHeight, radius, rowValues, visit, progress);
  if (code) return code;
  out = std::move(field);
  return 0;
}

}  // namespace linea
