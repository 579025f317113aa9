#include "analysis/rose_counts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "base/checked_alloc.h"
#include "base/messages.h"

namespace linea {

int UsableCells(const AnalysisRaster& mask, double rate, std::uint32_t gridWidth, std::uint32_t gridHeight,
                std::vector<std::uint8_t>& usable) {
  std::vector<std::uint8_t> fresh;
  if (!TryResize(fresh, std::uint64_t(gridWidth) * gridHeight)) return kErrorOutOfMemory;
  if (!mask.Present()) return kErrorNoData;
  for (std::uint32_t gy = 0; gy < gridHeight; ++gy) {
    const int y = GridCellCentre(gy, rate, mask.height);
    for (std::uint32_t gx = 0; gx < gridWidth; ++gx)
      fresh[std::size_t(gy) * gridWidth + gx] = mask.At(GridCellCentre(gx, rate, mask.width), y) == 0;
  }
  usable.swap(fresh);
  return 0;
}

int CountWindowRoses(const std::vector<std::uint8_t>& classes, const std::vector<std::uint8_t>& usable,
                     std::uint32_t gridWidth, std::uint32_t gridHeight, double windowCells, double leastShare,
                     std::vector<std::uint16_t>& roses, const AnalysisProgress& progress) {
  if (gridWidth == 0 || gridHeight == 0) return kErrorNoRoses;
  const std::uint64_t cells = std::uint64_t(gridWidth) * gridHeight;
  if (classes.size() < cells || (!usable.empty() && usable.size() < cells)) return kErrorNoData;
  const std::uint64_t nx = (std::uint64_t(gridWidth) + 7) / 8 + 1, ny = (std::uint64_t(gridHeight) + 7) / 8 + 1;
  std::vector<std::uint16_t> fresh;
  if (!TryResize(fresh, nx * ny * 8)) return kErrorOutOfMemory;
  const double r = std::max(0.0, windowCells / 2);
  const int reach = int(r);
  // Per grid row, running counts up to each column: eight classes and the usable
  // cells, interleaved. A row's prefix is made once and kept in a ring while later
  // rose rows still reach it.
  constexpr std::size_t kChannels = 9;
  const std::size_t ringRows = std::size_t(2 * reach + 1);
  const std::size_t rowValues = (std::size_t(gridWidth) + 1) * kChannels;
  std::vector<std::uint32_t> ring;
  std::vector<std::int64_t> ringRow;
  if (!TryResize(ring, std::uint64_t(ringRows) * rowValues) || !TryResize(ringRow, ringRows))
    return kErrorOutOfMemory;
  std::fill(ringRow.begin(), ringRow.end(), -1);
  auto prefixOf = [&](std::int64_t y) -> const std::uint32_t* {
    const std::size_t slot = std::size_t(y) % ringRows;
    std::uint32_t* prefix = ring.data() + slot * rowValues;
    if (ringRow[slot] == y) return prefix;
    ringRow[slot] = y;
    std::fill(prefix, prefix + kChannels, 0);
    for (std::uint32_t x = 0; x < gridWidth; ++x) {
      const std::size_t cell = std::size_t(y) * gridWidth + x;
      std::uint32_t* next = prefix + std::size_t(x + 1) * kChannels;
      std::copy_n(prefix + std::size_t(x) * kChannels, kChannels, next);
      const bool use = usable.empty() || usable[cell] != 0;
      if (!use) continue;
      ++next[8];
      const int k = classes[cell];
      if (k >= 1 && k <= 8) ++next[k - 1];
    }
    return prefix;
  };
  // The disc's cells wherever it lies, for the share of usable cells.
  std::uint64_t discCells = 0;
  for (int dy = -reach; dy <= reach; ++dy)
    discCells += 2 * std::uint64_t(std::sqrt(std::max(0.0, r * r - double(dy) * dy))) + 1;
  std::vector<std::uint64_t> counts(std::size_t(nx) * kChannels);
  CProgressTicker ticker(progress, ny);
  for (std::uint64_t rr = 0; rr < ny; ++rr) {
    std::fill(counts.begin(), counts.end(), 0);
    const std::int64_t cy = std::int64_t(rr) * 8;
    for (int dy = -reach; dy <= reach; ++dy) {
      const std::int64_t y = cy + dy;
      if (y < 0 || y >= std::int64_t(gridHeight)) continue;
      const std::uint32_t* prefix = prefixOf(y);
      const std::int64_t half = std::int64_t(std::sqrt(std::max(0.0, r * r - double(dy) * dy)));
      for (std::uint64_t c = 0; c < nx; ++c) {
        const std::int64_t x0 = std::max<std::int64_t>(0, std::int64_t(c) * 8 - half);
        const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(gridWidth) - 1, std::int64_t(c) * 8 + half);
        if (x1 < x0) continue;
        for (std::size_t k = 0; k < kChannels; ++k)
          counts[c * kChannels + k] += prefix[std::size_t(x1 + 1) * kChannels + k] - prefix[std::size_t(x0) * kChannels + k];
      }
    }
    for (std::uint64_t c = 0; c < nx; ++c) {
      const std::uint64_t* count = counts.data() + c * kChannels;
      if (double(count[8]) < leastShare * double(discCells)) continue;
      for (std::size_t k = 0; k < 8; ++k)
        fresh[(rr * nx + c) * 8 + k] = std::uint16_t(std::min<std::uint64_t>(count[k], 65535));
    }
    if (!ticker.Report(rr + 1)) return kErrorStopped;
  }
  roses.swap(fresh);
  return 0;
}

int CountBlockRoses(const std::vector<std::uint8_t>& classes, std::uint32_t gridWidth, std::uint32_t gridHeight,
                    double rate, const AnalysisRaster& blocks, std::vector<BlockRose>& roses,
                    const AnalysisProgress& progress) {
  if (!blocks.Present()) return kErrorNoData;
  const std::uint64_t cells = std::uint64_t(gridWidth) * gridHeight;
  if (classes.size() < cells) return kErrorNoData;
  std::array<std::array<std::int64_t, 8>, 256> counts{};
  std::array<std::int64_t, 256> pixels{}, sumX{}, sumY{};
  CProgressTicker ticker(progress, std::uint64_t(blocks.height) + gridHeight);
  for (int y = 0; y < blocks.height; ++y) {
    for (int x = 0; x < blocks.width; ++x) {
      const int b = blocks.At(x, y);
      ++pixels[b];
      sumX[b] += x;
      sumY[b] += y;
    }
    if (!ticker.Report(std::uint64_t(y) + 1)) return kErrorStopped;
  }
  for (std::uint32_t gy = 0; gy < gridHeight; ++gy) {
    const int y = GridCellCentre(gy, rate, blocks.height);
    for (std::uint32_t gx = 0; gx < gridWidth; ++gx) {
      const int k = classes[std::size_t(gy) * gridWidth + gx];
      if (k < 1 || k > 8) continue;
      ++counts[blocks.At(GridCellCentre(gx, rate, blocks.width), y)][k - 1];
    }
    if (!ticker.Report(std::uint64_t(blocks.height) + gy + 1)) return kErrorStopped;
  }
  std::vector<BlockRose> fresh;
  for (int b = 1; b <= 253; ++b) {
    if (pixels[b] == 0) continue;
    BlockRose rose;
    rose.header = {b, std::int32_t(sumX[b] / pixels[b]), std::int32_t(sumY[b] / pixels[b])};
    for (int k = 0; k < 8; ++k)
      rose.sectors[k] = std::int32_t(std::min<std::int64_t>(counts[b][k], std::numeric_limits<std::int32_t>::max()));
    fresh.push_back(rose);
  }
  if (fresh.empty()) return kErrorNoBlocks;
  roses.swap(fresh);
  return 0;
}

}  // namespace linea
