#include "layers/drawing_overlay.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imaging/image.h"
#include "layers/vector_layer3.h"

namespace linea {

static_assert(std::endian::native == std::endian::little, "pixels are stored as the low bytes of words");

namespace {

constexpr std::size_t kMaxColours = 255;  // colour number 0 is "not painted"
constexpr std::size_t kMaxGap = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kMaxLength = std::numeric_limits<std::uint8_t>::max();

// Where the next non-zero byte of row[x .. width) is, width when none: eight bytes
// at a time, the first non-zero one found from the word's lowest set bit.
inline std::size_t SkipZeros(const std::uint8_t* row, std::size_t x, std::size_t width) {
  for (; x + 8 <= width; x += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, row + x, 8);
    if (eight != 0) {
      return x + std::size_t(std::countr_zero(eight)) / 8;  // the lowest byte comes first
    }
  }
  while (x < width && row[x] == 0) ++x;
  return x;
}

}  // namespace

std::vector<CDrawingOverlay::Source> CDrawingOverlay::MakeSources(std::span<const CVectorLayer3* const> drawings,
                                                                 const LineWidthScaling& scaling) {
  std::vector<Source> sources;
  sources.reserve(drawings.size());
  for (const CVectorLayer3* drawing : drawings) {
    Source source{drawing, drawing->Revision(), {}};
    source.widths.reserve(std::size_t(drawing->GroupCount()));
    for (int g = 0; g < drawing->GroupCount(); ++g)
      source.widths.push_back(ScaledLineWidth(drawing->Group(g).GetWidth(), scaling));
    sources.push_back(std::move(source));
  }
  return sources;
}

std::size_t CDrawingOverlay::RunCount() const {
  std::size_t count = 0;
  for (const auto& band : bands_) count += band.size();
  return count;
}

bool CDrawingOverlay::Update(std::span<const CVectorLayer3* const> drawings, const LineWidthScaling& scaling,
                             int width, int height, bool force) {
  if (width <= 0 || height <= 0) return false;
  try {
    std::vector<Source> sources = MakeSources(drawings, scaling);
    if (!force && known_ && width == width_ && height == height_ && sources == sources_) {
      if (!waiting_) return usable_;
      // Unchanged since the last composition: now worth keeping.
      waiting_ = false;
      ++builds_;
      usable_ = Build(drawings, scaling);
      if (!usable_) {
        bands_ = {};
        rowEnds_ = {};
      }
      return usable_;
    }
    Clear();
    sources_ = std::move(sources);
  } catch (const std::bad_alloc&) {
    Clear();
    return false;  // not even the key fits: draw directly and try again next time
  }
  // Drawn directly this time: while the drawings change at every composition (lines
  // drawn one after another) rasterising them twice would only add to the wait.
  width_ = width;
  height_ = height;
  known_ = true;
  waiting_ = true;
  return false;
}

bool CDrawingOverlay::Build(std::span<const CVectorLayer3* const> drawings, const LineWidthScaling& scaling) {
  // Colour numbers for every group, 1 .. 255, shared by equal colours.
  std::size_t colours = 0;
  colours_.fill(0);
  try {
    std::vector<std::vector<std::uint8_t>> values(drawings.size());
    for (std::size_t d = 0; d < drawings.size(); ++d) {
      const CVectorLayer3& drawing = *drawings[d];
      values[d].resize(std::size_t(drawing.GroupCount()));
      for (int g = 0; g < drawing.GroupCount(); ++g) {
        const std::uint32_t colour = drawing.Group(g).GetColor();
        std::size_t number = 1;
        while (number <= colours && colours_[number] != colour) ++number;
        if (number > colours) {
          if (colours == kMaxColours) return false;
          colours_[++colours] = colour;
        }
        values[d][std::size_t(g)] = std::uint8_t(number);
      }
    }

    // The drawings paint colour numbers into a zeroed band of a byte per pixel, in
    // the order and with the brushes that they paint the picture: the last painter
    // of a pixel wins. A band stays in the cache while it is painted and read.
    const std::size_t width = std::size_t(width_);
    bandRows_ = int(std::clamp<std::size_t>(bandBytes_ / width, 1, std::size_t(height_)));
    std::vector<std::uint8_t> band(width * std::size_t(bandRows_));
    std::vector<Run> runs;
    rowEnds_.assign(std::size_t(height_), 0);
    bands_.reserve(std::size_t((height_ + bandRows_ - 1) / bandRows_));
    // Runs are kept only while they take no more than a byte a pixel.
    std::size_t budget = width * std::size_t(height_) / sizeof(Run) + 1024;
    for (int top = 0; top < height_; top += bandRows_) {
      const int rows = std::min(bandRows_, height_ - top);
      std::fill(band.begin(), band.end(), std::uint8_t(0));
      for (std::size_t d = 0; d < drawings.size(); ++d)
        drawings[d]->DrawValues(band.data(), width_, width_, height_, top, top + rows, scaling, values[d]);
      runs.clear();
      if (!Encode(band.data(), top, rows, runs, budget)) return false;
      budget -= runs.size();
      bands_.emplace_back(runs.begin(), runs.end());
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool CDrawingOverlay::Encode(const std::uint8_t* values, int firstRow, int rows, std::vector<Run>& runs,
                             std::size_t maxRuns) {
  const std::size_t width = std::size_t(width_);
  // Pushes a run unless the budget is spent.
  const auto push = [&](std::size_t gap, std::size_t length, std::uint8_t colour) {
    if (runs.size() == maxRuns) return false;
    runs.push_back({std::uint16_t(gap), std::uint8_t(length), colour});
    return true;
  };
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* row = values + std::size_t(r) * width;
    std::size_t done = 0;  // where the last run ended
    std::size_t x = SkipZeros(row, 0, width);
    while (x < width) {
      const std::uint8_t colour = row[x];
      std::size_t end = x + 1;
      while (end < width && row[end] == colour) ++end;
      std::size_t gap = x - done;
      for (; gap > kMaxGap; gap -= kMaxGap)
        if (!push(kMaxGap, 0, 0)) return false;
      for (std::size_t left = end - x; left > 0; gap = 0) {
        const std::size_t length = std::min(left, kMaxLength);
        if (!push(gap, length, colour)) return false;
        left -= length;
      }
      done = end;
      x = end < width && row[end] != 0 ? end : SkipZeros(row, end, width);
    }
    rowEnds_[std::size_t(firstRow + r)] = std::uint32_t(runs.size());
  }
  return true;
}

void CDrawingOverlay::PaintRows(CImage& target, int firstRow, int endRow) const {
  if (!usable_ || target.IsEmpty() || target.GetBitsPerPixel() != 24 || target.GetWidth() != width_ ||
      target.GetHeight() != height_)
    return;
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, height_);
  // Local copies: byte stores into the picture could alias anything the compiler
  // cannot see is distinct, and would make it reload the runs and colours.
  std::uint32_t colours[256];  // the pixel's bytes blue, green, red as a little-endian word
  for (int i = 0; i < 256; ++i)
    colours[i] = std::uint32_t(ColorBlue(colours_[std::size_t(i)])) |
                 std::uint32_t(ColorGreen(colours_[std::size_t(i)])) << 8 |
                 std::uint32_t(ColorRed(colours_[std::size_t(i)])) << 16;
#if defined(__SSE2__)
  // Sixteen bytes at a time: five pixels of the colour merged under a mask with
  // what the picture holds, so that short runs of any length take no branch. The
  // bytes past the run are written back as they were read; a store would run past
  // the picture's last byte only at its very end, where the bytes go one by one.
  alignas(16) std::uint8_t patterns[256][16];
  for (int i = 0; i < 256; ++i)
    for (int k = 0; k < 16; ++k) patterns[i][k] = std::uint8_t(colours[i] >> (8 * (k % 3)));
  alignas(16) std::uint8_t masks[6][16] = {};
  for (int length = 0; length <= 5; ++length)
    for (int k = 0; k < 3 * length; ++k) masks[length][k] = 0xFF;
  const std::uint8_t* const last16 =
      target.GetBits() + std::size_t(target.GetBytesPerLine()) * std::size_t(height_) - 16;
#endif
  for (int y = firstRow; y < endRow; ++y) {
    std::uint8_t* const row = target.Row(y);
    const std::vector<Run>& band = bands_[std::size_t(y / bandRows_)];
    const std::uint32_t begin = y % bandRows_ == 0 ? 0 : rowEnds_[std::size_t(y) - 1];
    const Run* run = band.data() + begin;
    const Run* const end = band.data() + rowEnds_[std::size_t(y)];
    std::uint8_t* p = row;
    for (; run != end; ++run) {
      const Run r = *run;
      p += 3 * std::size_t(r.gap);
      unsigned length = r.length;
#if defined(__SSE2__)
      if (p + 3 * std::size_t(length) + 1 <= last16) {
        const __m128i pattern = _mm_load_si128(reinterpret_cast<const __m128i*>(patterns[r.colour]));
        for (; length > 5; length -= 5, p += 15) {
          const __m128i mask = _mm_load_si128(reinterpret_cast<const __m128i*>(masks[5]));
          const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                           _mm_or_si128(_mm_and_si128(mask, pattern), _mm_andnot_si128(mask, old)));
        }
        const __m128i mask = _mm_load_si128(reinterpret_cast<const __m128i*>(masks[length]));
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                         _mm_or_si128(_mm_and_si128(mask, pattern), _mm_andnot_si128(mask, old)));
        p += 3 * std::size_t(length);
        continue;
      }
#endif
      if (length == 0) continue;
      const std::uint32_t colour = colours[r.colour];
      // Four bytes a pixel while the next pixel is the run's own (its first byte is
      // written again next), the last one as two bytes and one.
      for (unsigned i = 1; i < length; ++i, p += 3) std::memcpy(p, &colour, 4);
      const std::uint16_t blueGreen = std::uint16_t(colour);
      std::memcpy(p, &blueGreen, 2);
      p[2] = std::uint8_t(colour >> 16);
      p += 3;
    }
  }
}

void CDrawingOverlay::Clear() {
  known_ = false;
  waiting_ = false;
  usable_ = false;
  sources_ = {};
  width_ = 0;
  height_ = 0;
  bands_ = {};
  rowEnds_ = {};
}

}  // namespace linea
