#pragma once
// Images made in the tests: ridges, valleys and lines with seeded noise.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "analysis/analysis_types.h"

namespace linea::testing_images {

constexpr double kPi = 3.14159265358979323846;

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> levels;
  AnalysisRaster Raster() const { return {levels.data(), std::size_t(width), width, height}; }
};

inline std::uint8_t Clamp(double v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// Distance across a family whose features run at `degrees` (counter-clockwise
// from +x, y up on screen).
inline double Across(double degrees, double x, double y) {
  const double a = degrees * kPi / 180.0;
  return -x * std::sin(a) - y * std::cos(a);
}

// Sum of sinusoidal ridge families plus Gaussian noise of `sigma` grey levels.
inline Picture Ridges(int side, const std::vector<double>& families, double amplitude, double spacing,
                      double sigma, unsigned seed) {
  Picture p{side, side, std::vector<std::uint8_t>(std::size_t(side) * side)};
  std::mt19937 engine(seed);
  std::normal_distribution<double> noise(0.0, sigma);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      double v = 128;
      for (double d : families) v += amplitude * std::sin(2 * kPi * Across(d, x, y) / spacing);
      if (sigma > 0) v += noise(engine);
      p.levels[std::size_t(y) * side + x] = Clamp(v);
    }
  return p;
}

}  // namespace linea::testing_images
