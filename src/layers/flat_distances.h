#pragma once

// Internal to elevation_model.cpp: the iteration at which each flat cell drains,
// found by raster passes instead of ring by ring.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "layers/elevation_model.h"

namespace linea {

// Iteration t of the flat resolution drains every undetermined interior cell that has
// a neighbour of the same height drained before t. So the iteration of a cell is its
// distance, in steps between same-height neighbours (eight of them), from the cells
// the slope pass gave a code: 0 for those, 1 + the least of its same-height
// neighbours' for the others. Raster passes find it the way a distance transform
// does: a forward pass takes the neighbours already passed (west and the row above),
// a backward pass the others; once a pass changes nothing every cell holds its
// distance. Plateaus of simple shape need two or three passes, each of which streams
// through the rows once; a winding plateau needs about one pass per bend, so the
// caller gives up after a few and drains rings instead.
template <typename T>
class CFlatDistances {
 public:
  // Cells no drained cell reaches (and the border cells, which never drain).
  static constexpr std::uint16_t kFar = 0x7FFF;
  // Longer distances are not told apart from kFar: the caller drains rings instead.
  static constexpr int kLongest = kFar - 1;

  // May throw std::bad_alloc (two bytes a cell). Width and height are at least 3.
  CFlatDistances(int width, int height, const T* heights)
      : width_(width), height_(height), heights_(heights),
        distances_(new std::uint16_t[std::size_t(width) * std::size_t(height)]) {
    // The interior is written by the first pass; the border cells hold kFar for good.
    const std::size_t w = std::size_t(width);
    std::fill_n(distances_.get(), w, kFar);
    std::fill_n(distances_.get() + (std::size_t(height) - 1) * w, w, kFar);
    for (int row = 1; row < height - 1; ++row) {
      distances_[std::size_t(row) * w] = kFar;
      distances_[std::size_t(row) * w + w - 1] = kFar;
    }
  }

  // The first forward pass: distances start as 0 for coded cells (codes below
  // kDescentCodes in `grid`) and kFar for the rest. `onRow(row)` is called before
  // each row; false stops the pass (and the result means nothing).
  template <typename OnRow>
  bool FirstPass(const std::uint8_t* grid, OnRow&& onRow) {
    const std::size_t w = std::size_t(width_);
    largest_ = 0;
    for (int row = 1; row < height_ - 1; ++row) {
      if (!onRow(row)) return false;
      const std::uint8_t* codes = grid + std::size_t(row) * w;
      std::uint16_t* d = distances_.get() + std::size_t(row) * w;
      for (std::size_t x = 1; x + 1 < w; ++x) d[x] = codes[x] < kDescentCodes ? 0 : kFar;
      ForwardRow(row);
    }
    return true;
  }

  // One more pass, backward when `backward`. Returns 1 when it changed some distance,
  // 0 when not (every distance is final), -1 when `onRow` stopped it. `onRow(n)` is
  // called before the n-th row passed (1 .. height - 2), whatever the direction.
  template <typename OnRow>
  int Pass(bool backward, OnRow&& onRow) {
    bool changed = false;
    largest_ = 0;
    if (backward) {
      for (int row = height_ - 2; row >= 1; --row) {
        if (!onRow(height_ - 1 - row)) return -1;
        changed |= BackwardRow(row);
      }
    } else {
      for (int row = 1; row < height_ - 1; ++row) {
        if (!onRow(row)) return -1;
        changed |= ForwardRow(row);
      }
    }
    return changed ? 1 : 0;
  }

  // The largest distance below kFar found by the last pass (0 when no flat cell
  // drains): after a pass that changed nothing, the largest of all.
  int Largest() const { return largest_; }

  // Gives every flat cell of distance 1 .. `limit` its first same-height neighbour
  // in code order of a smaller distance (the one drained in the iteration before its
  // own); flat cells beyond `limit` or never reached get kDescentNone. Rows of
  // `grid` are written in place: the distances alone are read.
  void WriteCodes(std::uint8_t* grid, int limit) const {
    const std::size_t w = std::size_t(width_);
    const std::uint16_t last = std::uint16_t(std::clamp(limit, 0, int(kLongest)));
    constexpr int kRow[kDescentCodes] = {0, 1, 2, 1, 0, 0, 2, 2};
    constexpr int kColumn[kDescentCodes] = {0, 1, 0, -1, -1, 1, 1, -1};
    for (int row = 1; row < height_ - 1; ++row) {
      const std::size_t start = std::size_t(row) * w;
      const std::uint16_t* d[3] = {distances_.get() + start - w, distances_.get() + start,
                                   distances_.get() + start + w};
      const T* h[3] = {heights_ + start - w, heights_ + start, heights_ + start + w};
      const std::uint16_t* here = d[1];
      const T* height = h[1];
      std::uint8_t* out = grid + start;
      for (std::size_t x = 1; x + 1 < w; ++x) out[x] = here[x] == 0 ? out[x] : kDescentNone;
      // The last neighbour first, so that the first in code order is written last.
      for (int k = kDescentCodes - 1; k >= 0; --k) {
        const std::uint16_t* other = d[kRow[k]] + kColumn[k];
        const T* otherHeight = h[kRow[k]] + kColumn[k];
        for (std::size_t x = 1; x + 1 < w; ++x) {
          const bool take = (other[x] < here[x]) & (otherHeight[x] == height[x]) & (here[x] <= last);
          out[x] = take ? std::uint8_t(k) : out[x];
        }
      }
    }
  }

 private:
  // Row `row` from the row above (already passed) and then from the west, cell by
  // cell. True when a distance changed.
  bool ForwardRow(int row) {
    const std::size_t w = std::size_t(width_);
    const std::size_t start = std::size_t(row) * w;
    std::uint16_t* d = distances_.get() + start;
    const std::uint16_t* up = d - w;
    const T* h = heights_ + start;
    const T* hu = h - w;
    unsigned changed = 0;
    std::uint16_t largest = 0;
    for (std::size_t x = 1; x + 1 < w; ++x) {
      // kFar + 1 is above kFar: the far cells lower nothing.
      // Everything loaded first and selected after: no branch, many cells at once.
      const T height = h[x];
      const std::uint16_t was = d[x];
      const std::uint16_t a = std::uint16_t(up[x - 1] + 1), b = std::uint16_t(up[x] + 1),
                          c = std::uint16_t(up[x + 1] + 1);
      const std::uint16_t a2 = hu[x - 1] == height ? a : kFar;
      const std::uint16_t b2 = hu[x] == height ? b : kFar;
      const std::uint16_t c2 = hu[x + 1] == height ? c : kFar;
      const std::uint16_t ab = a2 < b2 ? a2 : b2;
      const std::uint16_t cw = c2 < was ? c2 : was;
      const std::uint16_t m = ab < cw ? ab : cw;
      changed |= unsigned(m ^ was);
      d[x] = m;
    }
    std::uint16_t previous = d[0];
    for (std::size_t x = 1; x + 1 < w; ++x) {
      const std::uint16_t from = h[x - 1] == h[x] ? std::uint16_t(previous + 1) : kFar;
      const std::uint16_t m = std::min(from, d[x]);
      changed |= unsigned(m != d[x]);
      d[x] = m;
      previous = m;
      largest = std::max(largest, m == kFar ? std::uint16_t(0) : m);
    }
    largest_ = std::max(largest_, int(largest));
    return changed != 0;
  }

  // Row `row` from the row below (already passed) and then from the east.
  bool BackwardRow(int row) {
    const std::size_t w = std::size_t(width_);
    const std::size_t start = std::size_t(row) * w;
    std::uint16_t* d = distances_.get() + start;
    const std::uint16_t* down = d + w;
    const T* h = heights_ + start;
    const T* hd = h + w;
    unsigned changed = 0;
    std::uint16_t largest = 0;
    for (std::size_t x = 1; x + 1 < w; ++x) {
      // Everything loaded first and selected after: no branch, many cells at once.
      const T height = h[x];
      const std::uint16_t was = d[x];
      const std::uint16_t a = std::uint16_t(down[x - 1] + 1), b = std::uint16_t(down[x] + 1),
                          c = std::uint16_t(down[x + 1] + 1);
      const std::uint16_t a2 = hd[x - 1] == height ? a : kFar;
      const std::uint16_t b2 = hd[x] == height ? b : kFar;
      const std::uint16_t c2 = hd[x + 1] == height ? c : kFar;
      const std::uint16_t ab = a2 < b2 ? a2 : b2;
      const std::uint16_t cw = c2 < was ? c2 : was;
      const std::uint16_t m = ab < cw ? ab : cw;
      changed |= unsigned(m ^ was);
      d[x] = m;
    }
    std::uint16_t previous = d[w - 1];
    for (std::size_t x = w - 2; x >= 1; --x) {
      const std::uint16_t from = h[x + 1] == h[x] ? std::uint16_t(previous + 1) : kFar;
      const std::uint16_t m = std::min(from, d[x]);
      changed |= unsigned(m != d[x]);
      d[x] = m;
      previous = m;
      largest = std::max(largest, m == kFar ? std::uint16_t(0) : m);
    }
    largest_ = std::max(largest_, int(largest));
    return changed != 0;
  }

  int width_;
  int height_;
  const T* heights_;
  std::unique_ptr<std::uint16_t[]> distances_;
  int largest_ = 0;
};

}  // namespace linea
