// Reduction of a 24-bit image to 8 bits. An image of at most 256 colours keeps
// them exactly; otherwise the palette comes from a median cut over a 5-bit per
// channel histogram (the box with the largest squared error is split next, along
// its widest-spread channel, at the pixel median), and pixels take the nearest
// palette entry.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "base/checked_alloc.h"
#include "imaging/image.h"

namespace linea {
namespace {

constexpr std::uint32_t kNoColor = 0xFFFFFFFFu;  // never a 24-bit colour

// Open-addressed set of up to 256 colours with their palette index.
class CExactColorTable {
 public:
  CExactColorTable() { keys_.fill(kNoColor); }
  // Index of `color`, adding it when new; -1 once more than 256 colours are seen.
  int Find(std::uint32_t color, bool add) {
    std::uint32_t slot = (color * 2654435761u) >> 22;  // 10 bits: 1024 slots
    while (true) {
      if (keys_[slot] == color) return values_[slot];
      if (keys_[slot] == kNoColor) {
        if (!add || count_ == 256) return -1;
        keys_[slot] = color;
        values_[slot] = std::uint8_t(count_);
        colors_[count_] = color;
        return count_++;
      }
      slot = (slot + 1) & 1023u;
    }
  }
  int Count() const { return count_; }
  std::uint32_t Color(int i) const { return colors_[i]; }

 private:
  std::array<std::uint32_t, 1024> keys_;
  std::array<std::uint8_t, 1024> values_{};
  std::array<std::uint32_t, 256> colors_{};
  int count_ = 0;
};

std::uint32_t PixelColor(const std::uint8_t* p) { return MakeColor(p[2], p[1], p[0]); }

// Fills `table` when the image has at most 256 colours.
bool CollectExactColors(const CImage& image, CExactColorTable& table) {
  std::uint32_t last = kNoColor;
  for (int y = 0; y < image.GetHeight(); ++y) {
    const std::uint8_t* p = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x, p += 3) {
      std::uint32_t color = PixelColor(p);
      if (color == last) continue;
      if (table.Find(color, true) < 0) return false;
      last = color;
    }
  }
  return true;
}

constexpr int kLevels = 32;  // histogram cells per channel
constexpr int kCellShift = 3;

struct HistogramCell {
  std::uint64_t count = 0;
  std::uint64_t sum[3] = {0, 0, 0};     // red, green, blue
  std::uint64_t square[3] = {0, 0, 0};  // sums of squares, for the box error
};

int CellIndex(int r, int g, int b) { return (r * kLevels + g) * kLevels + b; }

struct ColorBox {
  int low[3];
  int high[3];  // inclusive cell bounds per channel
  std::uint64_t count = 0;
  double error = 0;         // sum of squared distances to the box mean
  double axisError[3] = {};
  double mean[3] = {};
  bool splittable = false;
};

// Recomputes the statistics of `box` and shrinks it to its occupied cells.
void MeasureBox(const std::vector<HistogramCell>& cells, ColorBox& box) {
  std::uint64_t count = 0;
  double sum[3] = {0, 0, 0}, square[3] = {0, 0, 0};
  int low[3] = {kLevels, kLevels, kLevels}, high[3] = {-1, -1, -1};
  int occupied = 0;
  for (int r = box.low[0]; r <= box.high[0]; ++r)
    for (int g = box.low[1]; g <= box.high[1]; ++g)
      for (int b = box.low[2]; b <= box.high[2]; ++b) {
        const HistogramCell& cell = cells[CellIndex(r, g, b)];
        if (!cell.count) continue;
        ++occupied;
        count += cell.count;
        for (int c = 0; c < 3; ++c) {
          sum[c] += double(cell.sum[c]);
          square[c] += double(cell.square[c]);
        }
        int at[3] = {r, g, b};
        for (int c = 0; c < 3; ++c) {
          low[c] = std::min(low[c], at[c]);
          high[c] = std::max(high[c], at[c]);
        }
      }
  box.count = count;
  box.error = 0;
  if (!count) {
    box.splittable = false;
    return;
  }
  for (int c = 0; c < 3; ++c) {
    box.low[c] = low[c];
    box.high[c] = high[c];
    box.mean[c] = sum[c] / double(count);
    box.axisError[c] = std::max(0.0, square[c] - sum[c] * box.mean[c]);
    box.error += box.axisError[c];
  }
  box.splittable = occupied > 1;
}

// Splits `box` at the pixel median of its widest channel; the upper part goes to `upper`.
void SplitBox(const std::vector<HistogramCell>& cells, ColorBox& box, ColorBox& upper) {
  int axis = 0;
  for (int c = 1; c < 3; ++c)
    if (box.high[c] > box.low[c] &&
        (box.high[axis] == box.low[axis] || box.axisError[c] > box.axisError[axis]))
      axis = c;
  std::array<std::uint64_t, kLevels> marginal{};
  for (int r = box.low[0]; r <= box.high[0]; ++r)
    for (int g = box.low[1]; g <= box.high[1]; ++g)
      for (int b = box.low[2]; b <= box.high[2]; ++b) {
        int at[3] = {r, g, b};
        marginal[at[axis]] += cells[CellIndex(r, g, b)].count;
      }
  // Cut after the cell where half of the pixels are reached, keeping both sides non-empty.
  std::uint64_t half = box.count / 2, running = 0;
  int cut = box.low[axis];
  for (int v = box.low[axis]; v < box.high[axis]; ++v) {
    running += marginal[v];
    cut = v;
    if (running >= half) break;
  }
  upper = box;
  box.high[axis] = cut;
  upper.low[axis] = cut + 1;
  MeasureBox(cells, box);
  MeasureBox(cells, upper);
}

// Number of palette entries made, or -1 when memory is exhausted.
int MedianCutPalette(const CImage& image, std::array<std::uint32_t, 256>& palette) {
  std::vector<HistogramCell> cells;
  if (!TryResize(cells, std::uint64_t(kLevels) * kLevels * kLevels)) return -1;
  for (int y = 0; y < image.GetHeight(); ++y) {
    const std::uint8_t* p = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x, p += 3) {
      int rgb[3] = {p[2], p[1], p[0]};
      HistogramCell& cell = cells[CellIndex(rgb[0] >> kCellShift, rgb[1] >> kCellShift, rgb[2] >> kCellShift)];
      ++cell.count;
      for (int c = 0; c < 3; ++c) {
        cell.sum[c] += std::uint64_t(rgb[c]);
        cell.square[c] += std::uint64_t(rgb[c] * rgb[c]);
      }
    }
  }
  std::vector<ColorBox> boxes(1);  // at most 256 small records
  for (int c = 0; c < 3; ++c) {
    boxes[0].low[c] = 0;
    boxes[0].high[c] = kLevels - 1;
  }
  MeasureBox(cells, boxes[0]);
  boxes.reserve(256);
  while (boxes.size() < 256) {
    int chosen = -1;
    for (int i = 0; i < int(boxes.size()); ++i)
      if (boxes[i].splittable && (chosen < 0 || boxes[i].error > boxes[chosen].error)) chosen = i;
    if (chosen < 0) break;
    ColorBox upper;
    SplitBox(cells, boxes[chosen], upper);
    boxes.push_back(upper);
  }
  palette.fill(0);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    auto channel = [&](int c) { return std::uint8_t(std::clamp(int(boxes[i].mean[c] + 0.5), 0, 255)); };
    palette[i] = MakeColor(channel(0), channel(1), channel(2));
  }
  return int(boxes.size());
}

int NearestEntry(const std::array<std::uint32_t, 256>& palette, int count, int r, int g, int b) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < count; ++i) {
    int dr = ColorRed(palette[i]) - r, dg = ColorGreen(palette[i]) - g, db = ColorBlue(palette[i]) - b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

}  // namespace

bool CImage::Quantize(int bitsPerPixel) {
  if (bitsPerPixel != 8 || IsEmpty()) return false;
  if (bitsPerPixel_ == 8) return true;

  CImage result;
  if (!result.Create(width_, height_, 8)) return false;

  CExactColorTable exact;
  if (CollectExactColors(*this, exact)) {
    result.palette_.fill(0);
    for (int i = 0; i < exact.Count(); ++i) result.palette_[i] = exact.Color(i);
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* p = Row(y);
      std::uint8_t* q = result.Row(y);
      for (int x = 0; x < width_; ++x, p += 3) q[x] = std::uint8_t(exact.Find(PixelColor(p), false));
    }
  } else {
    std::array<std::uint32_t, 256> palette;
    int count = MedianCutPalette(*this, palette);
    if (count < 0) return false;
    result.palette_ = palette;
    // Nearest entry per 6-bit cell, found on first use; the cell centre stands for
    // its 64 colours, which costs at most 2 levels per channel.
    std::vector<std::int16_t> nearest;
    if (!TryResize(nearest, std::uint64_t(1) << 18)) return false;
    std::fill(nearest.begin(), nearest.end(), std::int16_t(-1));
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* p = Row(y);
      std::uint8_t* q = result.Row(y);
      for (int x = 0; x < width_; ++x, p += 3) {
        int key = ((p[2] >> 2) << 12) | ((p[1] >> 2) << 6) | (p[0] >> 2);
        if (nearest[key] < 0)
          nearest[key] = std::int16_t(NearestEntry(palette, count, (p[2] & ~3) + 2, (p[1] & ~3) + 2, (p[0] & ~3) + 2));
        q[x] = std::uint8_t(nearest[key]);
      }
    }
  }
  *this = std::move(result);
  return true;
}

}  // namespace linea
