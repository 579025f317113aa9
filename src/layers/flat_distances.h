#pragma once

// Internal to elevation_model.cpp: the iteration at which each flat cell drains,
// found by raster passes instead of ring by ring.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

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
        distances_(Allocate(std::size_t(width) * std::size_t(height))) {
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
  // `grid` are written in place: the distances alone are read. `onRow(row)` is
  // called before each row; false stops (the grid then means nothing).
  template <typename OnRow>
  bool WriteCodes(std::uint8_t* grid, int limit, OnRow&& onRow) const {
    const std::size_t w = std::size_t(width_);
    const std::uint16_t last = std::uint16_t(std::clamp(limit, 0, int(kLongest)));
    constexpr int kRow[kDescentCodes] = {0, 1, 2, 1, 0, 0, 2, 2};
    constexpr int kColumn[kDescentCodes] = {0, 1, 0, -1, -1, 1, 1, -1};
    for (int row = 1; row < height_ - 1; ++row) {
      if (!onRow(row)) return false;
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
    return true;
  }

 private:
  // Row `row` from the row above (already passed) and then from the west. True when
  // a distance changed.
  bool ForwardRow(int row) {
    const std::size_t w = std::size_t(width_);
    std::uint16_t* d = distances_.get() + std::size_t(row) * w;
    const T* h = heights_ + std::size_t(row) * w;
    const bool changed = FromRow(d, d - w, h, h - w);
    return AlongRow<false>(d, h) | changed;
  }

  // Row `row` from the row below (already passed) and then from the east.
  bool BackwardRow(int row) {
    const std::size_t w = std::size_t(width_);
    std::uint16_t* d = distances_.get() + std::size_t(row) * w;
    const T* h = heights_ + std::size_t(row) * w;
    const bool changed = FromRow(d, d + w, h, h + w);
    return AlongRow<true>(d, h) | changed;
  }

  // The interior of row `d` (heights `h`) from the three neighbours of each cell in
  // row `other` (heights `otherHeights`).
  bool FromRow(std::uint16_t* d, const std::uint16_t* other, const T* h, const T* otherHeights) const {
    const std::size_t w = std::size_t(width_);
    unsigned changed = 0;
    for (std::size_t x = 1; x + 1 < w; ++x) {
      // kFar + 1 is above kFar: the far cells lower nothing. Everything is loaded
      // first and selected after: no branch, many cells at once.
      const T height = h[x];
      const std::uint16_t was = d[x];
      const std::uint16_t a = std::uint16_t(other[x - 1] + 1), b = std::uint16_t(other[x] + 1),
                          c = std::uint16_t(other[x + 1] + 1);
      const std::uint16_t a2 = otherHeights[x - 1] == height ? a : kFar;
      const std::uint16_t b2 = otherHeights[x] == height ? b : kFar;
      const std::uint16_t c2 = otherHeights[x + 1] == height ? c : kFar;
      const std::uint16_t ab = a2 < b2 ? a2 : b2;
      const std::uint16_t cw = c2 < was ? c2 : was;
      const std::uint16_t m = ab < cw ? ab : cw;
      changed |= unsigned(m ^ was);
      d[x] = m;
    }
    return changed != 0;
  }

  // The interior of row `d` from each cell's west neighbour in turn (from the east
  // one when `kWestward`): d[x] = min(d[x], d[x -+ 1] + 1) where the heights agree.
  // Also notes the row's largest distance. True when a distance changed.
  template <bool kWestward>
  bool AlongRow(std::uint16_t* d, const T* h) {
    const std::ptrdiff_t w = width_;
    unsigned changed = 0;
    std::uint16_t largest = 0;
    std::ptrdiff_t x = kWestward ? w - 2 : 1;  // the next cell to take
    std::uint16_t previous = kWestward ? d[w - 1] : d[0];
#if defined(__SSE2__)
    // Eight cells at a time; see AlongEight.
    __m128i changedLanes = _mm_setzero_si128(), largestLanes = _mm_setzero_si128();
    if constexpr (kWestward) {
      for (; x - 7 >= 1; x -= 8)
        previous = AlongEight<true>(d + x - 7, h + x - 7, previous, changedLanes, largestLanes);
    } else {
      for (; x + 8 <= w - 1; x += 8) previous = AlongEight<false>(d + x, h + x, previous, changedLanes, largestLanes);
    }
    changed = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(changedLanes, _mm_setzero_si128())) != 0xFFFF);
    alignas(16) std::uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), largestLanes);
    for (const std::uint16_t lane : lanes) largest = std::max(largest, lane);
#endif
    for (; kWestward ? x >= 1 : x + 1 < w; x += kWestward ? -1 : 1) {
      const T before = kWestward ? h[x + 1] : h[x - 1];
      const std::uint16_t from = before == h[x] ? std::uint16_t(previous + 1) : kFar;
      const std::uint16_t m = std::min(from, d[x]);
      changed |= unsigned(m != d[x]);
      d[x] = m;
      previous = m;
      largest = std::max(largest, m == kFar ? std::uint16_t(0) : m);
    }
    largest_ = std::max(largest_, int(largest));
    return changed != 0;
  }

#if defined(__SSE2__)
  // Shifts lanes towards the later cells of the scan (higher lanes eastwards, lower
  // ones westwards) by `kLanes`, the first ones getting zero.
  template <bool kWestward, int kLanes>
  static __m128i Later(__m128i v) {
    if constexpr (kWestward) return _mm_srli_si128(v, 2 * kLanes);
    else return _mm_slli_si128(v, 2 * kLanes);
  }

  // Eight cells d[0..7] of the scan along a row, `previous` being the distance of the
  // cell before them in the scan; returns that of the last of them. The scan
  // d[x] = min(d[x], d[x - 1] + 1) over runs of equal heights is a running minimum
  // of t = d - x within each run: three doubling steps find it for the eight cells
  // at once, independently of the cells before, and only then does `previous` enter
  // (the lanes whose heights agree all the way back to it), so the chain from one
  // group of eight to the next is a few instructions long.
  template <bool kWestward>
  static std::uint16_t AlongEight(std::uint16_t* d, const T* h, std::uint16_t previous, __m128i& changedLanes,
                                  __m128i& largestLanes) {
    // The order of the cells in the scan: lane i is the cell `step[i]` after the first.
    const __m128i step = kWestward ? _mm_setr_epi16(7, 6, 5, 4, 3, 2, 1, 0) : _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    const __m128i far = _mm_set1_epi16(std::int16_t(kFar));
    const __m128i ones = _mm_set1_epi16(-1);
    __m128i here, before;  // heights of the cells and of the cells before them in the scan
    if constexpr (sizeof(T) == 2) {
      here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
      before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + (kWestward ? 1 : -1)));
    } else {
      const __m128i zero = _mm_setzero_si128();
      here = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(h)), zero);
      before = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(h + (kWestward ? 1 : -1))), zero);
    }
    const __m128i link = _mm_cmpeq_epi16(here, before);  // joined to the cell before
    const __m128i was = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    // Distances up to kFar, less at most 7: the signed minimum serves.
    __m128i t = _mm_sub_epi16(was, step);
    // Runs of 1, 2, 4 links ending at each lane; lanes before the first take nothing.
    const __m128i run1 = link;
    const __m128i run2 = _mm_and_si128(run1, Later<kWestward, 1>(run1));
    const __m128i run4 = _mm_and_si128(run2, Later<kWestward, 2>(run2));
    const auto merge = [&](__m128i run, __m128i shifted, __m128i valid) {
      const __m128i take = _mm_and_si128(run, valid);
      const __m128i candidate = _mm_or_si128(_mm_and_si128(take, shifted), _mm_andnot_si128(take, far));
      t = _mm_min_epi16(t, candidate);
    };
    merge(run1, Later<kWestward, 1>(t), Later<kWestward, 1>(ones));
    merge(run2, Later<kWestward, 2>(t), Later<kWestward, 2>(ones));
    merge(run4, Later<kWestward, 4>(t), Later<kWestward, 4>(ones));
    // Lanes joined to the cell before the eight: every link up to them.
    // (the first lanes, having nothing shifted in, keep what they have).
    __m128i joined = link;
    const auto extend = [&](__m128i shifted, __m128i valid) {
      joined = _mm_and_si128(joined, _mm_or_si128(shifted, _mm_andnot_si128(valid, ones)));
    };
    extend(Later<kWestward, 1>(joined), Later<kWestward, 1>(ones));
    extend(Later<kWestward, 2>(joined), Later<kWestward, 2>(ones));
    extend(Later<kWestward, 4>(joined), Later<kWestward, 4>(ones));
    // previous + 1 + step as t is previous + 1 (kFar at most: kFar lowers nothing).
    const __m128i carried = _mm_set1_epi16(std::int16_t(std::min<int>(previous + 1, kFar)));
    t = _mm_min_epi16(t, _mm_or_si128(_mm_and_si128(joined, carried), _mm_andnot_si128(joined, far)));
    const __m128i result = _mm_add_epi16(t, step);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), result);
    changedLanes = _mm_or_si128(changedLanes, _mm_xor_si128(result, was));
    largestLanes = _mm_max_epi16(largestLanes, _mm_andnot_si128(_mm_cmpeq_epi16(result, far), result));
    return std::uint16_t(kWestward ? _mm_extract_epi16(result, 0) : _mm_extract_epi16(result, 7));
  }
#endif

  int width_;
  int height_;
  const T* heights_;
  // The distances go on huge pages where the system offers them: a pass reads three
  // rows of 16 KB at 8192 cells wide, four small pages each, and on small pages the
  // address translations cost a third of the pass.
  struct CRelease {
    void operator()(std::uint16_t* cells) const {
#if defined(__linux__)
      std::free(cells);
#else
      delete[] cells;
#endif
    }
  };
  static std::uint16_t* Allocate(std::size_t cells) {
#if defined(__linux__)
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    const std::size_t bytes = (cells * sizeof(std::uint16_t) + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, bytes);
    if (memory == nullptr) throw std::bad_alloc();
    madvise(memory, bytes, MADV_HUGEPAGE);  // a refusal costs speed only
    return static_cast<std::uint16_t*>(memory);
#else
    return new std::uint16_t[cells];
#endif
  }

  std::unique_ptr<std::uint16_t[], CRelease> distances_;
  int largest_ = 0;
};

}  // namespace linea
