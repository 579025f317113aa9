#include "layers/elevation_model.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "base/app_host.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"

namespace linea {
namespace {

constexpr int kSlopeTitle = 152;
constexpr int kFlatsTitle = 153;
constexpr int kIterationQuestion = 32846;

// A diagonal step is sqrt(2) times as long as a direct one: it must fall more than
// 1.415 times as far (1415 / 1000) to be the steeper.
constexpr std::int64_t kDiagonalWeight = 1415;
constexpr std::int64_t kDirectWeight = 1000;

// Offsets of the eight neighbours in code order, in a row-major array of `width`.
struct NeighbourOffsets {
  std::ptrdiff_t of[kDescentCodes];
  explicit NeighbourOffsets(int width) {
    const std::ptrdiff_t w = width;
    const std::ptrdiff_t table[kDescentCodes] = {-w, 1, w, -1, -w - 1, -w + 1, w + 1, w - 1};
    std::copy(std::begin(table), std::end(table), of);
  }
};

// The code of an interior cell: the lowest direct neighbour strictly below it, or a
// diagonal one strictly below that which falls more than 1.415 times as far. Only a
// strictly lower height replaces the one found, so ties go to the lower code.
template <typename T>
std::uint8_t SteepestDescentOf(const T* heights, std::size_t cell, const NeighbourOffsets& n) {
  const std::int64_t here = heights[cell];
  std::int64_t direct = here;
  std::uint8_t directCode = kDescentNone;
  for (int k = 0; k < 4; ++k) {
    const std::int64_t h = heights[std::ptrdiff_t(cell) + n.of[k]];
    if (h < direct) {
      direct = h;
      directCode = std::uint8_t(k);
    }
  }
  std::int64_t diagonal = direct;
  std::uint8_t diagonalCode = kDescentNone;
  for (int k = 4; k < 8; ++k) {
    const std::int64_t h = heights[std::ptrdiff_t(cell) + n.of[k]];
    if (h < diagonal) {
      diagonal = h;
      diagonalCode = std::uint8_t(k);
    }
  }
  if (diagonalCode == kDescentNone) return directCode;
  if (directCode == kDescentNone) return diagonalCode;
  return kDirectWeight * (here - diagonal) > kDiagonalWeight * (here - direct) ? diagonalCode : directCode;
}

// Row `row` of the first pass; the first and last cells of a row are border cells.
template <typename T>
void SteepestDescentRow(int width, int row, const T* heights, std::uint8_t* grid, const NeighbourOffsets& n) {
  const std::size_t start = std::size_t(row) * std::size_t(width);
  grid[start] = kDescentNone;
  grid[start + std::size_t(width) - 1] = kDescentNone;
  for (int column = 1; column < width - 1; ++column)
    grid[start + std::size_t(column)] = SteepestDescentOf(heights, start + std::size_t(column), n);
}

void FillRow(int width, int row, std::uint8_t* grid) {
  std::fill_n(grid + std::size_t(row) * std::size_t(width), std::size_t(width), kDescentNone);
}

// A cell drained before the current iteration: it has a direction.
inline bool IsDrained(std::uint8_t code) { return code < 9; }

// Drains flats ring by ring. Iteration t gives every undetermined interior cell that
// has a neighbour of the same height drained before t the first such neighbour in
// code order. Such a cell has a neighbour drained in iteration t - 1 (otherwise it
// would have been drained then), so after a first full scan only the neighbours of
// the previous ring need looking at: the cost is linear in the cells.
//
// Each iteration is one walk over the previous ring. A cell drained in the current
// iteration is written at once, its code tagged with the iteration's parity
// (kTagOdd or kTagEven), so that it does not yet count as drained for the others of
// its ring; the walk of the next iteration strips the tag. Border cells hold
// kBorderMark meanwhile, so that they are never taken for undetermined ones; the
// destructor puts them back to 200 and strips the tags that are left.
template <typename T>
class CFlatResolver {
 public:
  CFlatResolver(int width, int height, const T* heights, std::uint8_t* grid)
      : width_(width), height_(height), heights_(heights), grid_(grid), offsets_(width) {
    SetBorder(kBorderMark);
  }
  ~CFlatResolver() {
    // After an interrupted walk both lists may hold tagged cells.
    for (const std::uint32_t cell : ring_) grid_[cell] &= kCodeBits;
    for (const std::uint32_t cell : next_) grid_[cell] &= kCodeBits;
    SetBorder(kDescentNone);
  }
  CFlatResolver(const CFlatResolver&) = delete;
  CFlatResolver& operator=(const CFlatResolver&) = delete;

  // The first iteration: every interior cell is looked at. True when some changed.
  // May throw std::bad_alloc.
  // `onRow(row)` is called before each row; false stops the walk (the result then
  // means nothing and the caller drops the grid).
  template <typename OnRow>
  bool FirstRing(OnRow&& onRow) {
    ring_.clear();
    tag_ = kTagOdd;
    if (width_ < 3 || height_ < 3) return false;
    const std::size_t w = std::size_t(width_);
    std::vector<std::uint8_t> candidate(w);
    for (int row = 1; row < height_ - 1; ++row) {
      if (!onRow(row)) return false;
      const std::uint8_t* up = grid_ + std::size_t(row - 1) * w;
      const std::uint8_t* here = up + w;
      const std::uint8_t* down = here + w;
      // Only undetermined cells next to a drained one can drain now: a branch-free
      // pass over the row finds them, so that plateau interiors cost little. Cells
      // drained in this iteration carry their tag and so do not count yet.
      for (std::size_t x = 1; x + 1 < w; ++x)
        candidate[x] = std::uint8_t(
            (here[x] == kDescentNone) &
            ((up[x - 1] < kDescentCodes) | (up[x] < kDescentCodes) | (up[x + 1] < kDescentCodes) |
             (here[x - 1] < kDescentCodes) | (here[x + 1] < kDescentCodes) | (down[x - 1] < kDescentCodes) |
             (down[x] < kDescentCodes) | (down[x + 1] < kDescentCodes)));
      const std::size_t start = std::size_t(row) * w;
      for (std::size_t x = 1; x + 1 < w; ++x) {
        if (!candidate[x]) continue;
        const std::uint8_t code = DrainCode(start + x, 0);
        if (code == kDescentNone) continue;  // the drained neighbours lie higher or lower
        grid_[start + x] = code | tag_;
        ring_.push_back(std::uint32_t(start + x));
      }
    }
    return !ring_.empty();
  }

  // One more iteration from the ring drained last. True when some cell changed.
  // May throw std::bad_alloc.
  bool NextRing() {
    const std::uint8_t previous = tag_;
    tag_ = tag_ == kTagOdd ? kTagEven : kTagOdd;
    next_.clear();
    const std::size_t count = ring_.size();
    for (std::size_t i = 0; i < count; ++i) {
      // A ring across many rows touches a new memory page in every cell: asking for
      // the cells ahead early hides most of the wait.
      if (i + kPrefetchDistance < count) {
        const std::uint32_t ahead = ring_[i + kPrefetchDistance];
        __builtin_prefetch(grid_ + ahead, 1);
        __builtin_prefetch(heights_ + ahead, 0);
      }
      const std::uint32_t cell = ring_[i];
      grid_[cell] &= kCodeBits;
      const T height = heights_[cell];
      for (int k = 0; k < kDescentCodes; ++k) {
        const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offsets_.of[k]);
        if (grid_[neighbour] != kDescentNone || heights_[neighbour] != height) continue;
        grid_[neighbour] = DrainCode(neighbour, previous) | tag_;
        next_.push_back(std::uint32_t(neighbour));
      }
    }
    ring_.swap(next_);
    return !ring_.empty();
  }

 private:
  static constexpr std::uint8_t kCodeBits = 0x07;
  static constexpr std::uint8_t kTagOdd = 0x10;
  static constexpr std::uint8_t kTagEven = 0x20;
  static constexpr std::uint8_t kBorderMark = 202;
  static constexpr std::size_t kPrefetchDistance = 64;

  // Drained before this iteration: an untagged code, or one of the previous ring.
  static bool DrainedBefore(std::uint8_t value, std::uint8_t previous) {
    return value < kDescentCodes || (previous != 0 && (value & ~kCodeBits) == previous);
  }

  // The first neighbour in code order of the same height drained before this iteration.
  std::uint8_t DrainCode(std::size_t cell, std::uint8_t previous) const {
    const T height = heights_[cell];
    for (int k = 0; k < kDescentCodes; ++k) {
      const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offsets_.of[k]);
      // The grid first: a byte, and on a plateau most neighbours are not drained yet.
      if (DrainedBefore(grid_[neighbour], previous) && heights_[neighbour] == height) return std::uint8_t(k);
    }
    return kDescentNone;  // not reached for a neighbour of the previous ring
  }

  void SetBorder(std::uint8_t value) {
    if (width_ < 3 || height_ < 3) return;  // no interior: the flat pass touches nothing
    const std::size_t w = std::size_t(width_);
    std::fill_n(grid_, w, value);
    std::fill_n(grid_ + (std::size_t(height_) - 1) * w, w, value);
    for (int row = 1; row < height_ - 1; ++row) {
      grid_[std::size_t(row) * w] = value;
      grid_[std::size_t(row) * w + w - 1] = value;
    }
  }

  int width_;
  int height_;
  const T* heights_;
  std::uint8_t* grid_;
  NeighbourOffsets offsets_;
  std::vector<std::uint32_t> ring_;
  std::vector<std::uint32_t> next_;
  std::uint8_t tag_ = 0;
};

// Closes the progress window on every way out, when it opened it. A window the caller
// began keeps its earlier stage's share: positions run on from `start`.
class CProgressScope {
 public:
  CProgressScope(CAppHost& host, const std::string& title, double start = 0.0, bool begin = true)
      : host_(host), start_(start), owns_(begin) {
    if (owns_) host_.BeginProgress(title, kDescentProgressRange);
    else host_.SetProgressTitle(title);
  }
  ~CProgressScope() {
    if (owns_) host_.EndProgress();
  }
  CProgressScope(const CProgressScope&) = delete;
  CProgressScope& operator=(const CProgressScope&) = delete;
  // False once the user has cancelled.
  bool Set(double fraction) {
    return host_.SetProgress(int((start_ + fraction * (1.0 - start_)) * kDescentProgressRange));
  }

 private:
  CAppHost& host_;
  double start_;
  bool owns_;
};

template <typename T>
void SteepestDescentAll(int width, int height, const T* heights, std::uint8_t* grid) {
  const NeighbourOffsets offsets(width);
  FillRow(width, 0, grid);
  for (int row = 1; row < height - 1; ++row) SteepestDescentRow(width, row, heights, grid, offsets);
  if (height > 1) FillRow(width, height - 1, grid);
}

template <typename T>
int ComputeDescent(CAppHost& host, int width, int height, std::span<const T> heights, std::span<std::uint8_t> grid,
                   double start = 0.0, bool ownWindow = true) {
  if (width <= 0 || height <= 0) return kOk;
  const std::uint64_t cells = std::uint64_t(width) * std::uint64_t(height);
  if (heights.size() < cells || grid.size() < cells) return kErrorNoData;
  if (cells > std::uint64_t(UINT32_MAX)) return kErrorOutOfMemory;  // ring entries are 32-bit cell numbers

  CProgressScope progress(host, LoadText(kSlopeTitle), start, ownWindow);
  const NeighbourOffsets offsets(width);
  FillRow(width, 0, grid.data());
  if (height > 1) FillRow(width, height - 1, grid.data());
  for (int row = 1; row < height - 1; ++row) {
    if (!progress.Set((row - 1) * 0.5 / height)) return kErrorStopped;
    SteepestDescentRow(width, row, heights.data(), grid.data(), offsets);
  }

  host.SetProgressTitle(LoadText(kFlatsTitle));
  if (!progress.Set(0.5)) return kErrorStopped;
  try {
    CFlatResolver<T> flats(width, height, heights.data(), grid.data());
    int iterations = 0;
    int limit = kFlatIterationLimit;
    // The first iteration looks at every interior cell: on large models it takes
    // as long as the slope pass, so it reports its rows too.
    const double perIteration = 0.5 / limit;
    bool stopped = false;
    bool changed = flats.FirstRing([&](int row) {
      stopped = !progress.Set(0.5 + perIteration * row / height);
      return !stopped;
    });
    if (stopped) return kErrorStopped;
    for (;;) {
      ++iterations;
      // Asked only while there is work left: after an iteration that changed nothing
      // every reachable cell is drained.
      if (changed && iterations == limit &&
          AskWarningQuestion(host, FormatText(LoadText(kIterationQuestion).c_str(), iterations, kFlatIterationStep)))
        limit += kFlatIterationStep;
      if (!changed || iterations >= limit) break;
      if (!progress.Set(0.5 + iterations * 0.5 / limit)) return kErrorStopped;
      changed = flats.NextRing();
    }
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  } catch (const std::length_error&) {
    return kErrorOutOfMemory;
  }
  return kOk;
}

}  // namespace

int HeightsToGray(std::span<const std::uint16_t> samples, std::span<std::uint8_t> gray) {
  return HeightsToGray(samples, gray, nullptr);
}

int HeightsToGray(std::span<const std::uint16_t> samples, std::span<std::uint8_t> gray,
                  const std::function<bool(double)>& progress) {
  const std::size_t count = std::min(samples.size(), gray.size());
  if (count < 2) return 7;
  // Slices of about a row of the largest models: one report per slice, twice over.
  constexpr std::size_t kSlice = std::size_t(1) << 14;
  const double slices = double((count + kSlice - 1) / kSlice);
  unsigned minimum = samples[0], maximum = samples[0];
  for (std::size_t begin = 0, slice = 0; begin < count; begin += kSlice, ++slice) {
    if (progress && !progress(0.5 * double(slice) / slices)) return kErrorStopped;
    const auto first = samples.begin() + std::ptrdiff_t(begin);
    const auto [lowest, highest] = std::minmax_element(first, first + std::ptrdiff_t(std::min(kSlice, count - begin)));
    minimum = std::min<unsigned>(minimum, *lowest);
    maximum = std::max<unsigned>(maximum, *highest);
  }
  if (minimum == maximum) return 7;
  const unsigned step = (maximum - minimum) / 256 + 1;
  for (std::size_t begin = 0, slice = 0; begin < count; begin += kSlice, ++slice) {
    if (progress && !progress(0.5 + 0.5 * double(slice) / slices)) return kErrorStopped;
    const std::size_t end = std::min(count, begin + kSlice);
    for (std::size_t i = begin; i < end; ++i) gray[i] = std::uint8_t((samples[i] - minimum) / step);
  }
  return 0;
}

int ComputeDescent16(CAppHost& host, int width, int height, std::span<const std::uint16_t> heights,
                     std::span<std::uint8_t> grid) {
  return ComputeDescent(host, width, height, heights, grid);
}

int ComputeDescent8(CAppHost& host, int width, int height, std::span<const std::uint8_t> heights,
                    std::span<std::uint8_t> grid) {
  return ComputeDescent(host, width, height, heights, grid);
}

int ComputeDescent16Continuing(CAppHost& host, double startFraction, int width, int height,
                               std::span<const std::uint16_t> heights, std::span<std::uint8_t> grid) {
  return ComputeDescent(host, width, height, heights, grid, std::clamp(startFraction, 0.0, 1.0), false);
}

void ComputeSteepestDescent16(int width, int height, const std::uint16_t* heights, std::uint8_t* grid) {
  if (width <= 0 || height <= 0) return;
  SteepestDescentAll(width, height, heights, grid);
}

int ResolveFlatsByRescan16(int width, int height, const std::uint16_t* heights, std::uint8_t* grid) {
  if (width <= 0 || height <= 0) return 0;
  const std::size_t cells = std::size_t(width) * std::size_t(height);
  const NeighbourOffsets offsets(width);
  std::vector<std::uint8_t> copy(cells);
  int iterations = 0;
  bool changed;
  do {
    std::copy_n(grid, cells, copy.begin());
    changed = false;
    for (int row = 1; row < height - 1; ++row)
      for (int column = 1; column < width - 1; ++column) {
        const std::size_t cell = std::size_t(row) * std::size_t(width) + std::size_t(column);
        if (copy[cell] != kDescentNone) continue;
        for (int k = 0; k < kDescentCodes; ++k) {
          const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offsets.of[k]);
          if (heights[neighbour] == heights[cell] && IsDrained(copy[neighbour])) {
            grid[cell] = std::uint8_t(k);
            changed = true;
            break;
          }
        }
      }
    ++iterations;
  } while (changed);
  return iterations;
}

int BuildHighlightLayer(CLayerStack& stack, const std::string& name, std::span<const std::uint8_t> descentGrid,
                        int width, int height, const std::string& sourcePath) {
  if (descentGrid.empty() || width <= 0 || height <= 0) return 2;
  std::vector<std::uint8_t> pixels;
  if (!TryResize(pixels, std::uint64_t(width) * std::uint64_t(height))) return kErrorOutOfMemory;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint8_t code = i < descentGrid.size() ? descentGrid[i] : kDescentNone;
    pixels[i] = code < kDescentCodes ? kHighlightGray[code] : kHighlightFlatGray;
  }
  std::unique_ptr<CBitmapLayer> layer(new (std::nothrow) CBitmapLayer(name, true));
  if (!layer) return kErrorOutOfMemory;
  const PaletteTables grey = GreyPaletteTables();
  if (!layer->CreateFromPixels(width, height, 8, pixels, grey.red, grey.green, grey.blue, grey.used, 256))
    return kErrorOutOfMemory;
  layer->SetDescription(FormatText("Highlighted %dx%dx %s", width, height, FileNamePart(sourcePath).c_str()));
  if (!stack.AddLayer(std::move(layer))) return kErrorOutOfMemory;
  return kOk;
}

}  // namespace linea
