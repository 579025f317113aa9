#pragma once
// The area reduction computed the plain way, for checking the fast paths: every
// source pixel's overlap with a target cell, in units of 1/newWidth by
// 1/newHeight pixel, summed and divided with truncation.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace linea {

inline std::vector<std::uint8_t> ReferenceResample(const std::vector<std::uint8_t>& source, int width, int height,
                                                   int newWidth, int newHeight) {
  auto overlap = [](std::int64_t pixel, std::int64_t cell, std::int64_t n, std::int64_t m) {
    const std::int64_t low = std::max(pixel * m, cell * n), high = std::min((pixel + 1) * m, (cell + 1) * n);
    return std::max<std::int64_t>(0, high - low);
  };
  std::vector<std::uint8_t> target(std::size_t(newWidth) * newHeight);
  for (int k = 0; k < newHeight; ++k)
    for (int j = 0; j < newWidth; ++j) {
      std::int64_t sum = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          sum += source[std::size_t(y) * width + x] * overlap(x, j, width, newWidth) * overlap(y, k, height, newHeight);
      target[std::size_t(k) * newWidth + j] = std::uint8_t(sum / (std::int64_t(width) * height));
    }
  return target;
}

}  // namespace linea
