#include "layers/region_labelling.h"

#include <cstring>
#include <memory>

#include "base/checked_alloc.h"

namespace linea {
namespace {

// Entries 0 .. 63 998: label 0 is background, 63 998 is where the counter fails.
constexpr int kTableSize = kMaxProvisionalLabels + 2;

// Equivalences as a union-find forest whose root is always the smallest label of
// its class - the representative the numbering is based on. This replaces
// rewriting the table from R up to the counter at each merge, with the same classes.
class CEquivalences {
 public:
  explicit CEquivalences(std::uint16_t* parent) : parent_(parent) {}

  std::uint16_t Find(std::uint16_t label) const {
    while (parent_[label] != label) {
      parent_[label] = parent_[parent_[label]];  // path halving
      label = parent_[label];
    }
    return label;
  }

  void Merge(std::uint16_t a, std::uint16_t b) {
    a = Find(a);
    b = Find(b);
    if (a < b)
      parent_[b] = a;
    else if (b < a)
      parent_[a] = b;
  }

  // The next provisional label, or 0 when the limit is passed.
  std::uint16_t NewLabel() {
    if (++counter_ > kMaxProvisionalLabels) return 0;
    parent_[counter_] = std::uint16_t(counter_);
    return std::uint16_t(counter_);
  }

  int Counter() const { return counter_; }

 private:
  std::uint16_t* parent_;
  int counter_ = 0;
};

// Four cells at a time: regions are usually large and the background wide.
inline std::uint64_t Load4(const std::uint16_t* cells) {
  std::uint64_t word;
  std::memcpy(&word, cells, sizeof word);
  return word;
}
inline bool FourZeros(const std::uint16_t* cells) { return Load4(cells) == 0; }
// True when one of the four 16-bit cells in `word` is 0.
inline bool HasZeroCell(std::uint64_t word) {
  return ((word - 0x0001000100010001ull) & ~word & 0x8000800080008000ull) != 0;
}

// First pass over one row. `above` is the previous row, already provisionally
// labelled, or null for the first row. False when the labels run out.
template <bool kEightConnected>
bool LabelRow(std::uint16_t* row, const std::uint16_t* above, int width, CEquivalences& equivalences) {
  // The last pair merged: along two touching runs the same pair comes up cell after cell.
  std::uint16_t mergedA = 0, mergedB = 0;
  auto merge = [&](std::uint16_t a, std::uint16_t b) {
    if (a == mergedA && b == mergedB) return;
    equivalences.Merge(a, b);
    mergedA = a;
    mergedB = b;
  };
  // Under a foreground stretch of the upper row every foreground cell is joined to
  // the cell above it, and the upper cells are joined to each other: the stretch
  // takes the upper labels, four cells at a time while both rows are foreground.
  auto copyUpperStretch = [&](int x) {
    while (x + 4 <= width) {
      const std::uint64_t cells = Load4(row + x), upper = Load4(above + x);
      if (HasZeroCell(cells) || HasZeroCell(upper)) break;
      std::memcpy(row + x, &upper, sizeof upper);
      x += 4;
    }
    for (; x < width && row[x] != 0 && above[x] != 0; ++x) row[x] = above[x];
    return x;
  };
  int x = 0;
  while (x < width) {
    if (row[x] == 0) {
      for (++x; x + 4 <= width && FourZeros(row + x);) x += 4;
      continue;
    }
    const std::uint16_t left = x > 0 ? row[x - 1] : 0;
    std::uint16_t label;
    if (above == nullptr) {
      label = left;
    } else if constexpr (kEightConnected) {
      // Any foreground neighbour of the upper cell is already joined to it, and the
      // left and upper-left cells are joined when both are foreground.
      if (above[x] != 0) {
        x = copyUpperStretch(x);
        continue;
      }
      const std::uint16_t upRight = x + 1 < width ? above[x + 1] : 0;
      const std::uint16_t upLeft = x > 0 ? above[x - 1] : 0;
      if (upRight != 0) {
        label = upRight;
        if (upLeft != 0)
          merge(upRight, upLeft);
        else if (left != 0)
          merge(upRight, left);
      } else {
        label = upLeft != 0 ? upLeft : left;
      }
    } else {
      const std::uint16_t up = above[x];
      if (up != 0) {
        if (left != 0 && left != up) merge(up, left);
        x = copyUpperStretch(x);
        continue;
      }
      label = left;
    }
    if (label == 0) {
      label = equivalences.NewLabel();
      if (label == 0) return false;
    }
    row[x] = label;
    ++x;
  }
  return true;
}

template <bool kEightConnected>
bool FirstPass(int width, int height, std::uint16_t* grid, CEquivalences& equivalences) {
  const std::size_t stride = std::size_t(width);
  for (int y = 0; y < height; ++y) {
    std::uint16_t* row = grid + std::size_t(y) * stride;
    if (!LabelRow<kEightConnected>(row, y > 0 ? row - stride : nullptr, width, equivalences)) return false;
  }
  return true;
}

}  // namespace

int LabelRegions(int width, int height, int connectivity, std::uint16_t* grid, int& count) {
  if (width <= 0 || height <= 0 || grid == nullptr) {
    count = 0;
    return kLabelOk;
  }
  std::unique_ptr<std::uint16_t[]> parent = TryAllocateArray<std::uint16_t>(kTableSize);
  std::unique_ptr<std::uint16_t[]> finalNumber = TryAllocateArray<std::uint16_t>(kTableSize);
  if (!parent || !finalNumber) return kLabelOutOfMemory;

  CEquivalences equivalences(parent.get());
  const bool complete = connectivity == 4 ? FirstPass<true>(width, height, grid, equivalences)
                                          : FirstPass<false>(width, height, grid, equivalences);
  if (!complete) return kLabelTooManyRegions;

  // A class's root is its smallest label, met before every other label of the
  // class, so numbering the roots in label order numbers the regions in the raster
  // order of their first cells.
  int regions = 0;
  for (int label = 1; label <= equivalences.Counter(); ++label) {
    const std::uint16_t root = equivalences.Find(std::uint16_t(label));
    finalNumber[label] = root == label ? std::uint16_t(++regions) : finalNumber[root];
  }

  const std::size_t cells = std::size_t(width) * std::size_t(height);
  std::size_t i = 0;
  // Entry 0 stays 0, so background needs no test.
  for (; i + 4 <= cells; i += 4) {
    if (FourZeros(grid + i)) continue;
    for (std::size_t k = i; k < i + 4; ++k) grid[k] = finalNumber[grid[k]];
  }
  for (; i < cells; ++i)
    if (grid[i] != 0) grid[i] = finalNumber[grid[i]];
  count = regions;
  return kLabelOk;
}

}  // namespace linea
