#include "layers/elevation_model.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
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
#include "layers/flat_distances.h"
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

// Drains flats ring by ring (the descent tries distance passes first, see
// CFlatDistances, and goes on here when they do not settle). Iteration t gives every undetermined interior cell that
// has a neighbour of the same height drained before t the first such neighbour in
// code order. Such a cell has a neighbour drained in iteration t - 1 (otherwise it
// would have been drained then), so after a first full scan only the neighbours of
// the previous ring need looking at: the cost is linear in the cells.
//
// The rings only find which iteration drains each cell; the cell holds a mark of
// that iteration modulo 3 meanwhile. Neighbours of the same height are at most one
// iteration apart, so once every iteration is done a last pass over the rows can
// tell, from the marks alone, which neighbours were drained in the iteration before
// a cell's own, and give it the first of them in code order. Border cells hold
// kBorderMark meanwhile, so that they are never taken for undetermined ones.
//
// A ring may run across every row (a plateau draining sideways): walked one ring at
// a time it would touch a new memory page in every cell. So iterations go in groups:
// a band of rows is taken through all iterations of the group while it is in the
// cache, each iteration two rows behind the one before. The cells of row r of ring
// t - 1 drain their neighbours in rows r - 1 .. r + 1, which must then hold every
// cell of iterations before t: those come from rows up to r + 2 of the rings before,
// which that order has finished. So the marks are those of one ring at a time. Rings
// are kept sorted by row, so that a row finds its cells of the previous ring in one
// place; a drained cell waits in its row's slot until no later row can reach that row.
template <typename T>
class CFlatResolver {
 public:
  // Iterations taken together, and rows a band.
  static constexpr int kGroupIterations = 64;
  static constexpr int kBandRows = 16;

  CFlatResolver(int width, int height, const T* heights, std::uint8_t* grid)
      : width_(width), height_(height), heights_(heights), grid_(grid) {
    // The last pass runs in the destructor: its rows are taken now (may throw std::bad_alloc).
    for (auto* row : {&before_, &afterCodes_, &done_[0], &done_[1]}) row->assign(std::size_t(std::max(width, 0)), 0);
    SetBorder(kBorderMark);
  }
  // Turns the marks into codes (also after an interrupted run: no mark is left).
  ~CFlatResolver() {
    CodesOfMarks();
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
    rings_.assign(kGroupIterations + 1, {});
    pending_.assign(std::size_t(kGroupIterations + 1) * 3 * std::size_t(width_), 0);
    std::vector<std::uint32_t>& ring = rings_[0];
    iteration_ = 1;
    if (width_ < 3 || height_ < 3) return false;
    const std::size_t w = std::size_t(width_);
    const std::ptrdiff_t offsets[kDescentCodes] = {-std::ptrdiff_t(w), 1, std::ptrdiff_t(w), -1,
                                                   -std::ptrdiff_t(w) - 1, -std::ptrdiff_t(w) + 1,
                                                   std::ptrdiff_t(w) + 1, std::ptrdiff_t(w) - 1};
    std::vector<std::uint8_t> candidate(w);
    for (int row = 1; row < height_ - 1; ++row) {
      if (!onRow(row)) return false;
      const std::uint8_t* up = grid_ + std::size_t(row - 1) * w;
      const std::uint8_t* here = up + w;
      const std::uint8_t* down = here + w;
      // Only undetermined cells next to a drained one can drain now: a branch-free
      // pass over the row finds them, so that plateau interiors cost little. Cells
      // drained in this iteration carry their mark and so do not count.
      for (std::size_t x = 1; x + 1 < w; ++x)
        candidate[x] = std::uint8_t(
            (here[x] == kDescentNone) &
            ((up[x - 1] < kDescentCodes) | (up[x] < kDescentCodes) | (up[x + 1] < kDescentCodes) |
             (here[x - 1] < kDescentCodes) | (here[x + 1] < kDescentCodes) | (down[x - 1] < kDescentCodes) |
             (down[x] < kDescentCodes) | (down[x + 1] < kDescentCodes)));
      const std::size_t start = std::size_t(row) * w;
      for (std::size_t x = 1; x + 1 < w; ++x) {
        if (!candidate[x]) continue;
        const std::size_t cell = start + x;
        const T height = heights_[cell];
        for (const std::ptrdiff_t offset : offsets) {
          const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offset);
          // The drained neighbours may lie higher or lower.
          if (grid_[neighbour] < kDescentCodes && heights_[neighbour] == height) {
            grid_[cell] = MarkOf(1);
            ring.push_back(std::uint32_t(cell));
            break;
          }
        }
      }
    }
    NoteRows(ring);
    return !ring.empty();
  }

  // Up to `count` (1 .. kGroupIterations) more iterations from the ring drained last.
  // Returns how many of them drained some cell; when fewer than `count`, nothing is
  // left to drain. May throw std::bad_alloc.
  int NextRings(int count) {
    count = std::clamp(count, 1, kGroupIterations);
    if (rings_.empty() || rings_[0].empty()) return 0;
    for (int i = 1; i <= count; ++i) {
      rings_[std::size_t(i)].clear();
      std::fill(std::begin(pendingCount_[i]), std::end(pendingCount_[i]), std::size_t(0));
    }
    std::size_t cursor[kGroupIterations + 1] = {};
    // Iteration i starts from cells at most i - 1 rows beyond the rows of the last ring.
    const int lowRow = std::max(1, RowOf(rings_[0].front()) - count);
    const int highRow = std::min(height_ - 2, RowOf(rings_[0].back()) + count);
    for (int band = lowRow; band - 2 * (count - 1) <= highRow; band += kBandRows)
      for (int i = 1; i <= count; ++i) {
        const int from = std::max(lowRow, band - 2 * (i - 1));
        const int to = std::min(highRow, band + kBandRows - 1 - 2 * (i - 1));
        if (from <= to) DrainRows(i, from, to, cursor[i], MarkOf(iteration_ + i));
        if (from <= to && to == highRow) {  // the iteration is complete: its last rows too
          for (int row = highRow - 1; row <= highRow + 1; ++row) FlushRow(row, i);
        }
      }
    int drained = 0;
    while (drained < count && !rings_[std::size_t(drained) + 1].empty()) {
      NoteRows(rings_[std::size_t(drained) + 1]);
      ++drained;
    }
    // The last ring of the group starts the next group.
    if (drained == count) {
      rings_[0].swap(rings_[std::size_t(count)]);
      iteration_ += count;
    }
    return drained;
  }

  // The marks were replaced by codes some other way: nothing is left to turn.
  void MarksReplaced() {
    firstMarkedRow_ = INT_MAX;
    lastMarkedRow_ = -1;
  }

 private:
  // Marks of the iterations modulo 3: kMark0 + t % 3. Codes are below them, 200 and
  // kBorderMark above.
  static constexpr std::uint8_t kMark0 = 0x40;
  static constexpr std::uint8_t kBorderMark = 202;

  static std::uint8_t MarkOf(int iteration) { return std::uint8_t(kMark0 + iteration % 3); }

  int RowOf(std::uint32_t cell) const { return int(cell / std::uint32_t(width_)); }

  void NoteRows(const std::vector<std::uint32_t>& ring) {
    if (ring.empty()) return;
    firstMarkedRow_ = std::min(firstMarkedRow_, RowOf(ring.front()));
    lastMarkedRow_ = std::max(lastMarkedRow_, RowOf(ring.back()));
  }

  // Iteration `i` of the group from the cells of the previous ring in rows `from` ..
  // `to`: their undetermined neighbours of the same height are drained. They wait in
  // the slot of their row (row modulo 3) and join the ring in row order once no later
  // row of the previous ring can reach them: row r - 2 when row r starts. `cursor`
  // walks the previous ring row by row. Reading rows r - 1 .. r + 1 needs them
  // complete for the previous iteration, whose cells come from rows up to r + 2.
  void DrainRows(int i, int from, int to, std::size_t& cursor, std::uint8_t mark) {
    const std::vector<std::uint32_t>& source = rings_[std::size_t(i) - 1];
    std::vector<std::uint32_t>& ring = rings_[std::size_t(i)];
    const std::size_t size = source.size();
    const std::size_t w = std::size_t(width_);
    const std::ptrdiff_t wide = std::ptrdiff_t(w);
    const std::ptrdiff_t offsets[kDescentCodes] = {-wide, 1, wide, -1, -wide - 1, -wide + 1, wide + 1, wide - 1};
    // Local copies: the grid's bytes could otherwise alias the members.
    std::uint8_t* const grid = grid_;
    const T* const heights = heights_;
    std::size_t* const counts = pendingCount_[i];
    for (int row = from; row <= to; ++row) {
      // Slots of rows row - 1, row, row + 1; the last held row - 2 until now.
      const int aboveSlot = (row + 2) % 3, sameSlot = row % 3, belowSlot = (row + 1) % 3;
      std::uint32_t* const below = PendingSlot(i, belowSlot);
      std::size_t belowCount = counts[belowSlot];
      if (belowCount != 0) {
        ring.insert(ring.end(), below, below + belowCount);
        belowCount = 0;
      }
      const std::size_t rowStart = std::size_t(row) * w;
      if (cursor == size || source[cursor] >= rowStart + w) {
        counts[belowSlot] = 0;
        // Nothing in this row: with nothing pending either, on to the next row of
        // the previous ring at once (a ring may be a few rows far apart).
        if (counts[aboveSlot] == 0 && counts[sameSlot] == 0) {
          const std::int64_t next = cursor < size ? std::int64_t(RowOf(source[cursor])) : INT_MAX;
          row = int(std::min<std::int64_t>(next, std::int64_t(to) + 1)) - 1;
        }
        continue;
      }
      std::uint32_t* const above = PendingSlot(i, aboveSlot);
      std::uint32_t* const same = PendingSlot(i, sameSlot);
      std::size_t aboveCount = counts[aboveSlot], sameCount = counts[sameSlot];
      for (; cursor < size && source[cursor] < rowStart + w; ++cursor) {
        const std::size_t cell = source[cursor];
        const std::uint8_t* g = grid + cell;
        // Most neighbours are drained already: find the undetermined ones without a
        // branch a neighbour.
        const unsigned undetermined =
            unsigned(g[-wide] == kDescentNone) | unsigned(g[1] == kDescentNone) << 1 |
            unsigned(g[wide] == kDescentNone) << 2 | unsigned(g[-1] == kDescentNone) << 3 |
            unsigned(g[-wide - 1] == kDescentNone) << 4 | unsigned(g[-wide + 1] == kDescentNone) << 5 |
            unsigned(g[wide + 1] == kDescentNone) << 6 | unsigned(g[wide - 1] == kDescentNone) << 7;
        if (undetermined == 0) continue;
        const T height = heights[cell];
        // By the row they lie in: above (codes 0, 4, 5), the same (1, 3), below (2, 6, 7).
        // A slot holds no more than its row's cells: each is drained once.
        for (unsigned bits = undetermined & 0x31u; bits != 0; bits &= bits - 1) {
          const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offsets[std::countr_zero(bits)]);
          if (heights[neighbour] != height) continue;
          grid[neighbour] = mark;
          above[aboveCount++] = std::uint32_t(neighbour);
        }
        for (unsigned bits = undetermined & 0x0Au; bits != 0; bits &= bits - 1) {
          const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offsets[std::countr_zero(bits)]);
          if (heights[neighbour] != height) continue;
          grid[neighbour] = mark;
          same[sameCount++] = std::uint32_t(neighbour);
        }
        for (unsigned bits = undetermined & 0xC4u; bits != 0; bits &= bits - 1) {
          const std::size_t neighbour = std::size_t(std::ptrdiff_t(cell) + offsets[std::countr_zero(bits)]);
          if (heights[neighbour] != height) continue;
          grid[neighbour] = mark;
          below[belowCount++] = std::uint32_t(neighbour);
        }
      }
      counts[aboveSlot] = aboveCount;
      counts[sameSlot] = sameCount;
      counts[belowSlot] = belowCount;
    }
  }

  std::uint32_t* PendingSlot(int i, int slot) {
    return pending_.data() + (std::size_t(i) * 3 + std::size_t(slot)) * std::size_t(width_);
  }

  // Moves the cells pending for `row` into ring `i`.
  void FlushRow(int row, int i) {
    if (row < 0) return;
    std::size_t& count = pendingCount_[i][row % 3];
    if (count == 0) return;
    const std::uint32_t* cells = PendingSlot(i, row % 3);
    rings_[std::size_t(i)].insert(rings_[std::size_t(i)].end(), cells, cells + count);
    count = 0;
  }

  // The code of every marked cell: its first neighbour in code order of the same
  // height drained in the iteration before its own (a mark one lower modulo 3, or,
  // for the first iteration, a code). Rows are written back one row late, so that
  // the row below still reads the marks of the row above.
  void CodesOfMarks() {
    if (firstMarkedRow_ > lastMarkedRow_) return;
    const std::size_t w = std::size_t(width_);
    for (int row = firstMarkedRow_; row <= lastMarkedRow_ + 1; ++row) {
      if (row <= lastMarkedRow_) CodesOfRow(row, done_[row & 1].data());
      if (row > firstMarkedRow_)  // the previous row is read no more
        std::copy(done_[(row - 1) & 1].begin() + 1, done_[(row - 1) & 1].end() - 1,
                  grid_ + std::size_t(row - 1) * w + 1);
    }
    firstMarkedRow_ = INT_MAX;
    lastMarkedRow_ = -1;
  }

  // One simple pass over the row a code, so that the compiler takes many cells at
  // once; `out` gets the row with the codes in place of the marks.
  void CodesOfRow(int row, std::uint8_t* out) {
    const std::size_t w = std::size_t(width_);
    const std::uint8_t* g[3] = {grid_ + std::size_t(row - 1) * w, grid_ + std::size_t(row) * w,
                                grid_ + std::size_t(row + 1) * w};
    const T* h[3] = {heights_ + std::size_t(row - 1) * w, heights_ + std::size_t(row) * w,
                     heights_ + std::size_t(row + 1) * w};
    std::uint8_t* before = before_.data();
    std::uint8_t* afterCodes = afterCodes_.data();
    const std::uint8_t* here = g[1];
    for (std::size_t x = 1; x + 1 < w; ++x) {
      const std::uint8_t mark = std::uint8_t(here[x] - kMark0);  // 0..2 for a marked cell
      // The mark of the iteration before: 2 before 0, 0 before 1, 1 before 2. The
      // first iteration drains into coded cells (a mark of 1 never follows a code
      // otherwise: that cell would have drained in the first iteration).
      before[x] = std::uint8_t(kMark0 + (mark == 0 ? 2 : mark - 1));
      afterCodes[x] = mark == 1 ? 0xFF : 0;
      out[x] = mark < 3 ? kDescentNone : here[x];
    }
    // Neighbours in code order as (row of the three, column offset), the last first
    // so that the first drained one in code order is written last.
    constexpr int kRow[kDescentCodes] = {0, 1, 2, 1, 0, 0, 2, 2};
    constexpr int kColumn[kDescentCodes] = {0, 1, 0, -1, -1, 1, 1, -1};
    for (int k = kDescentCodes - 1; k >= 0; --k) {
      const std::uint8_t* other = g[kRow[k]] + kColumn[k];
      const T* otherHeight = h[kRow[k]] + kColumn[k];
      const T* height = h[1];
      for (std::size_t x = 1; x + 1 < w; ++x) {
        const bool drained = (other[x] == before[x]) | ((other[x] < kDescentCodes) & (afterCodes[x] != 0));
        const bool take = drained & (otherHeight[x] == height[x]) & (std::uint8_t(here[x] - kMark0) < 3);
        out[x] = take ? std::uint8_t(k) : out[x];
      }
    }
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
  // rings_[0]: the ring drained last (iteration iteration_); rings_[i]: iteration
  // iteration_ + i of the group under way.
  std::vector<std::vector<std::uint32_t>> rings_;
  // Cells of iteration i drained but not yet in rings_[i], by row modulo 3.
  // (three slots of a row's width an iteration).
  std::vector<std::uint32_t> pending_;
  std::size_t pendingCount_[kGroupIterations + 1][3] = {};
  // Per column of the row under CodesOfRow: the mark of the iteration before, and
  // whether codes count as drained before.
  std::vector<std::uint8_t> before_;
  std::vector<std::uint8_t> afterCodes_;
  // Two rows of codes written back one row late.
  std::vector<std::uint8_t> done_[2];
  int iteration_ = 0;
  int firstMarkedRow_ = INT_MAX;
  int lastMarkedRow_ = -1;
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

// Passes a flat resolution may take before it drains rings instead.
constexpr int kFlatPasses = 4;
// Where the passes start on the progress bar (after the first ring's share), and
// their share.
constexpr double kFlatPassesFrom = 0.5 + 0.5 / kFlatIterationLimit;
constexpr double kFlatPassesShare = 0.2;

// The flats drained by distance passes (see CFlatDistances) after the first ring of
// `flats`: kOk when the grid is complete, kErrorStopped, or -1 when the passes did not
// settle (or their memory is not there) and the rings must go on from the first.
// The iteration question is asked as the rings would ask it: after the limit's
// iteration when it drained cells, then after every further step.
template <typename T>
int DrainFlatsByPasses(CAppHost& host, CProgressScope& progress, int width, int height, const T* heights,
                       std::uint8_t* grid, CFlatResolver<T>& flats) {
  std::unique_ptr<CFlatDistances<T>> distances;
  try {
    distances = std::make_unique<CFlatDistances<T>>(width, height, heights);
  } catch (const std::bad_alloc&) {
    return -1;
  } catch (const std::length_error&) {
    return -1;
  }
  int pass = 0;
  const auto onRow = [&](int row) {
    return progress.Set(kFlatPassesFrom + kFlatPassesShare * (pass + double(row) / height) / kFlatPasses);
  };
  if (!distances->FirstPass(grid, onRow)) return kErrorStopped;
  int changed = 1;
  for (pass = 1; pass < kFlatPasses && changed == 1; ++pass) changed = distances->Pass(pass % 2 == 1, onRow);
  if (changed < 0) return kErrorStopped;
  if (changed != 0 || distances->Largest() >= CFlatDistances<T>::kLongest) return -1;
  int limit = kFlatIterationLimit;
  while (distances->Largest() >= limit &&
         AskWarningQuestion(host, FormatText(LoadText(kIterationQuestion).c_str(), limit, kFlatIterationStep)))
    limit += kFlatIterationStep;
  // The codes take the rest of the bar.
  const double codesFrom = kFlatPassesFrom + kFlatPassesShare;
  flats.MarksReplaced();
  const auto onCodesRow = [&](int row) { return progress.Set(codesFrom + (1.0 - codesFrom) * (row - 1) / height); };
  if (!distances->WriteCodes(grid, limit, onCodesRow)) return kErrorStopped;
  return kOk;
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
    double ringsFrom = 0.5;
    if (changed) {
      const int result = DrainFlatsByPasses(host, progress, width, height, heights.data(), grid.data(), flats);
      if (result >= 0) return result;
      ringsFrom = kFlatPassesFrom + kFlatPassesShare;
    }
    // `iterations` were done, the last of them changing cells when `changed`.
    for (int iterations = 1;;) {
      // Asked only while there is work left: after an iteration that changed nothing
      // every reachable cell is drained.
      if (changed && iterations == limit &&
          AskWarningQuestion(host, FormatText(LoadText(kIterationQuestion).c_str(), iterations, kFlatIterationStep)))
        limit += kFlatIterationStep;
      if (!changed || iterations >= limit) break;
      if (!progress.Set(ringsFrom + iterations * (1.0 - ringsFrom) / limit)) return kErrorStopped;
      const int count = std::min(limit - iterations, int(CFlatResolver<T>::kGroupIterations));
      const int drained = flats.NextRings(count);
      iterations += drained;
      changed = drained == count;
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
