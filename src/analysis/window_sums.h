#pragma once
// Sums of three per-pixel values over the square window around the centre of
// every grid cell, for the stripe searches. One image row of values is made at a
// time and column sums slide down the image, so the cost is linear in the pixels
// and the memory a few rows.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "analysis/analysis_types.h"
#include "base/checked_alloc.h"
#include "base/messages.h"

namespace linea {

// `rowValues(y, a, b, c)` fills three arrays of `width` values for image row y.
// `visit(gx, gy, sa, sb, sc, pixels)` receives the window sums of one cell.
// 0, 3 (no memory) or 11 (stopped through `progress`).
template <typename RowValues, typename Visit>
int SumCellWindows(int width, int height, double rate, std::uint32_t gridWidth, std::uint32_t gridHeight,
                   int radius, RowValues rowValues, Visit visit, const AnalysisProgress& progress) {
  if (width < 1 || height < 1 || gridWidth == 0 || gridHeight == 0) return 0;
  const std::size_t w = std::size_t(width);
  std::vector<std::int64_t> sumA, sumB, sumC, rowA, rowB, rowC, prefixA, prefixB, prefixC;
  for (auto* v : {&sumA, &sumB, &sumC, &rowA, &rowB, &rowC})
    if (!TryResize(*v, w)) return kErrorOutOfMemory;
  for (auto* v : {&prefixA, &prefixB, &prefixC})
    if (!TryResize(*v, w + 1)) return kErrorOutOfMemory;
  auto addRow = [&](int y, int sign) {
    if (y < 0 || y >= height) return;
    rowValues(y, rowA.data(), rowB.data(), rowC.data());
    for (std::size_t x = 0; x < w; ++x) {
      sumA[x] += sign * rowA[x];
      sumB[x] += sign * rowB[x];
      sumC[x] += sign * rowC[x];
    }
  };
  CProgressTicker ticker(progress, gridHeight);
  for (int y = 0; y < radius && y < height; ++y) addRow(y, 1);
  std::uint32_t nextRow = 0;
  for (int y = 0; y < height && nextRow < gridHeight; ++y) {
    addRow(y + radius, 1);
    addRow(y - radius - 1, -1);
    if (GridCellCentre(nextRow, rate, height) != y) continue;
    for (std::size_t x = 0; x < w; ++x) {
      prefixA[x + 1] = prefixA[x] + sumA[x];
      prefixB[x + 1] = prefixB[x] + sumB[x];
      prefixC[x + 1] = prefixC[x] + sumC[x];
    }
    const int rows = std::min(height - 1, y + radius) - std::max(0, y - radius) + 1;
    while (nextRow < gridHeight && GridCellCentre(nextRow, rate, height) == y) {
      for (std::uint32_t gx = 0; gx < gridWidth; ++gx) {
        const int cx = GridCellCentre(gx, rate, width);
        const int x0 = std::max(0, cx - radius), x1 = std::min(width - 1, cx + radius);
        visit(gx, nextRow, double(prefixA[x1 + 1] - prefixA[x0]), double(prefixB[x1 + 1] - prefixB[x0]),
              double(prefixC[x1 + 1] - prefixC[x0]), double(rows) * (x1 - x0 + 1));
      }
      ++nextRow;
      if (!ticker.Report(nextRow)) return kErrorStopped;
    }
  }
  return 0;
}

}  // namespace linea
