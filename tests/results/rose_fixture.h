#pragma once
// Results of a small greyscale project at rate 1 whose window roses are given
// rose by rose, so that tests can build exactly the field they reason about.

#include <array>
#include <cstdint>
#include <functional>

#include "results/results.h"

namespace linea {

using RoseCounts = std::array<std::uint16_t, 8>;

// An image of 8 (nx - 1) x 8 (ny - 1) pixels at rate 1, so that its rose grid is
// nx x ny roses 8 pixels apart; rose (c, r) gets rose(c, r).
inline CResults RoseResults(int nx, int ny, const std::function<RoseCounts(int, int)>& rose,
                            std::uint8_t imageType = 1) {
  CResults results;
  results.SetImageGeometry(std::uint32_t(8 * (nx - 1)), std::uint32_t(8 * (ny - 1)), 1, imageType);
  results.sourcePath = "D:\\maps\\area.bmp";
  results.windowRoses.resize(std::size_t(8 * nx * ny));
  for (int r = 0; r < ny; ++r)
    for (int c = 0; c < nx; ++c) {
      const RoseCounts counts = rose(c, r);
      for (int k = 0; k < 8; ++k) results.windowRoses[std::size_t(8 * (r * nx + c) + k)] = counts[k];
    }
  results.hasWindowRoses = true;
  return results;
}

inline std::size_t RoseIndex(int nx, int c, int r) { return std::size_t(8 * (r * nx + c)); }

}  // namespace linea
