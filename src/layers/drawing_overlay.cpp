#include "layers/drawing_overlay.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "imaging/image.h"
#include "layers/vector_layer3.h"

namespace linea {

namespace {

constexpr std::size_t kMaxColours = 255;  // colour number 0 is "not painted"
constexpr std::uint32_t kMaxRunLength = std::numeric_limits<std::uint16_t>::max();

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};

// Where the next non-zero byte of row[x .. width) is, width when none.
inline std::size_t SkipZeros(const std::uint8_t* row, std::size_t x, std::size_t width) {
  while (x < width && (x & 7) != 0 && row[x] == 0) ++x;
  while (x + 8 <= width) {
    std::uint64_t eight;
    std::memcpy(&eight, row + x, 8);
    if (eight != 0) break;
    x += 8;
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

bool CDrawingOverlay::Update(std::span<const CVectorLayer3* const> drawings, const LineWidthScaling& scaling,
                             int width, int height, bool force) {
  if (width <= 0 || height <= 0) return false;
  try {
    std::vector<Source> sources = MakeSources(drawings, scaling);
    if (!force && known_ && width == width_ && height == height_ && sources == sources_) return usable_;
    Clear();
    sources_ = std::move(sources);
  } catch (const std::bad_alloc&) {
    Clear();
    return false;  // not even the key fits: draw directly and try again next time
  }
  width_ = width;
  height_ = height;
  known_ = true;
  ++builds_;
  usable_ = Build(drawings, scaling);
  if (!usable_) {
    runs_ = {};
    rowStarts_ = {};
  }
  return usable_;
}

bool CDrawingOverlay::Build(std::span<const CVectorLayer3* const> drawings, const LineWidthScaling& scaling) {
  // Colour numbers for every group, 1 .. 255, shared by equal colours.
  std::vector<std::vector<std::uint8_t>> values(drawings.size());
  std::size_t colours = 0;
  colours_.fill(0);
  try {
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
  } catch (const std::bad_alloc&) {
    return false;
  }

  // The drawings paint colour numbers into a zeroed byte per pixel, in the order
  // and with the brushes that they paint the picture: the last painter of a pixel wins.
  const std::size_t pixels = std::size_t(width_) * std::size_t(height_);
  std::unique_ptr<std::uint8_t, FreeDeleter> buffer(static_cast<std::uint8_t*>(std::calloc(pixels, 1)));
  if (!buffer) return false;
  for (std::size_t d = 0; d < drawings.size(); ++d)
    drawings[d]->DrawValues(buffer.get(), width_, width_, height_, scaling, values[d]);
  // Runs of eight bytes are kept only while they take no more than the buffer did.
  return Encode(buffer.get(), pixels / sizeof(Run) + 1024);
}

bool CDrawingOverlay::Encode(const std::uint8_t* values, std::size_t maxRuns) {
  const std::size_t width = std::size_t(width_);
  try {
    rowStarts_.assign(std::size_t(height_) + 1, 0);
    runs_.clear();
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* row = values + std::size_t(y) * width;
      std::size_t x = SkipZeros(row, 0, width);
      while (x < width) {
        const std::uint8_t colour = row[x];
        std::size_t end = x + 1;
        while (end < width && row[end] == colour && end - x < kMaxRunLength) ++end;
        if (runs_.size() == maxRuns) return false;
        runs_.push_back({std::uint32_t(x), std::uint16_t(end - x), colour});
        x = end < width && row[end] != 0 ? end : SkipZeros(row, end, width);
      }
      rowStarts_[std::size_t(y) + 1] = runs_.size();
    }
    runs_.shrink_to_fit();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void CDrawingOverlay::PaintRows(CImage& target, int firstRow, int endRow) const {
  if (!usable_ || target.IsEmpty() || target.GetBitsPerPixel() != 24 || target.GetWidth() != width_ ||
      target.GetHeight() != height_)
    return;
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, height_);
  for (int y = firstRow; y < endRow; ++y) {
    std::uint8_t* row = target.Row(y);
    const Run* run = runs_.data() + rowStarts_[std::size_t(y)];
    const Run* end = runs_.data() + rowStarts_[std::size_t(y) + 1];
    for (; run != end; ++run) {
      const std::uint32_t colour = colours_[run->colour];
      const std::uint8_t blue = ColorBlue(colour), green = ColorGreen(colour), red = ColorRed(colour);
      std::uint8_t* p = row + 3 * std::size_t(run->x);
      for (std::uint32_t i = 0; i < run->length; ++i, p += 3) {
        p[0] = blue;
        p[1] = green;
        p[2] = red;
      }
    }
  }
}

void CDrawingOverlay::Clear() {
  known_ = false;
  usable_ = false;
  sources_ = {};
  width_ = 0;
  height_ = 0;
  rowStarts_ = {};
  runs_ = {};
}

}  // namespace linea
