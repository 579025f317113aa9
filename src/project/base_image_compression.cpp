#include "project/base_image_compression.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/atomic_file.h"
#include "base/checked_alloc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_export.h"

namespace linea {
namespace {

constexpr int kInvalidFactor = 32808;

// How the n source pixels of one axis fall into its m target cells (m <= n). In units
// of 1/m pixel a source pixel is m units wide and a target cell n units, so every
// boundary lies on a whole unit and the weights are exact integers: a pixel lies in
// one cell with weight m, or is split between two neighbouring cells.
struct AxisCoverage {
  std::vector<std::int32_t> firstPixel;  // per cell: the first source pixel it covers
  std::vector<std::int32_t> firstWeight;  // per cell: where its weights start
  std::vector<std::int32_t> weights;      // per cell, per covered pixel, in units

  // Per source pixel, for the row pass: its cell, its weight there and its weight
  // in the next cell (0 when it is not split).
  std::vector<std::int32_t> cellOf;
  std::vector<std::int32_t> weightHere;
  std::vector<std::int32_t> weightNext;

  bool Build(int n, int m) {
    if (!TryResize(firstPixel, std::uint64_t(m) + 1) || !TryResize(firstWeight, std::uint64_t(m) + 1) ||
        !TryResize(cellOf, std::uint64_t(n)) || !TryResize(weightHere, std::uint64_t(n)) ||
        !TryResize(weightNext, std::uint64_t(n)))
      return false;
    std::int64_t splits = 0;
    for (int i = 0; i < n; ++i) {
      const std::int64_t cell = std::int64_t(i) * m / n;
      const std::int64_t cellEnd = (cell + 1) * n;  // in units
      const std::int64_t pixelStart = std::int64_t(i) * m, pixelEnd = pixelStart + m;
      cellOf[std::size_t(i)] = std::int32_t(cell);
      if (cellEnd < pixelEnd) {
        // cellEnd < pixelEnd <= n * m, so the next cell exists.
        weightHere[std::size_t(i)] = std::int32_t(cellEnd - pixelStart);
        weightNext[std::size_t(i)] = std::int32_t(pixelEnd - cellEnd);
        ++splits;
      } else {
        weightHere[std::size_t(i)] = m;
        weightNext[std::size_t(i)] = 0;
      }
    }
    if (!TryResize(weights, std::uint64_t(n + splits))) return false;
    // Cell by cell: the split pixel at its start (if any), then those it holds.
    std::size_t w = 0;
    int pixel = 0;
    for (int cell = 0; cell < m; ++cell) {
      firstWeight[std::size_t(cell)] = std::int32_t(w);
      if (pixel > 0 && weightNext[std::size_t(pixel - 1)] != 0 && cellOf[std::size_t(pixel - 1)] == cell - 1) {
        firstPixel[std::size_t(cell)] = pixel - 1;
        weights[w++] = weightNext[std::size_t(pixel - 1)];
      } else {
        firstPixel[std::size_t(cell)] = pixel;
      }
      while (pixel < n && cellOf[std::size_t(pixel)] == cell) weights[w++] = weightHere[std::size_t(pixel++)];
    }
    firstWeight[std::size_t(m)] = std::int32_t(w);
    return true;
  }
};

// trunc(sum / divisor) for 0 <= sum, computed through the reciprocal and corrected
// to the exact quotient, clamped to a byte.
inline std::uint8_t Quotient(std::int64_t sum, std::int64_t divisor, double reciprocal) {
  std::int64_t q = std::int64_t(double(sum) * reciprocal);
  if ((q + 1) * divisor <= sum) ++q;
  else if (q * divisor > sum) --q;
  return std::uint8_t(std::clamp<std::int64_t>(q, 0, 255));
}

// Whole factors (each target pixel the truncated mean of an fx x fy block): the
// column sums of a block's rows fit 16 bits, and with the factors known to the
// compiler the block sums and the division vectorise. Gives exactly what the
// general path gives, where every weight is the same.
template <int FX, int FY>
void ResampleWhole(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                   std::size_t targetStride, int newWidth, int newHeight, std::uint16_t* sums) {
  const int width = newWidth * FX;
  for (int j = 0; j < newHeight; ++j) {
    const std::uint8_t* row = source + std::size_t(j) * FY * sourceStride;
    for (int x = 0; x < width; ++x) sums[x] = row[x];
    for (int k = 1; k < FY; ++k) {
      row += sourceStride;
      for (int x = 0; x < width; ++x) sums[x] = std::uint16_t(sums[x] + row[x]);
    }
    std::uint8_t* out = target + std::size_t(j) * targetStride;
    for (int i = 0; i < newWidth; ++i) {
      unsigned sum = 0;
      for (int k = 0; k < FX; ++k) sum += sums[i * FX + k];
      out[i] = std::uint8_t(sum / unsigned(FX * FY));
    }
  }
}

// Any other whole factors: the same with the factors as values. A block of up to
// 257 pixels keeps its sum within 16 bits.
void ResampleWholeAny(const std::uint8_t* source, std::size_t sourceStride, std::uint8_t* target,
                      std::size_t targetStride, int newWidth, int newHeight, int fx, int fy,
                      std::vector<std::uint16_t>& sums) {
  const int width = newWidth * fx;
  const unsigned divisor = unsigned(fx) * unsigned(fy);
  for (int j = 0; j < newHeight; ++j) {
    const std::uint8_t* row = source + std::size_t(j) * std::size_t(fy) * sourceStride;
    std::uint16_t* s = sums.data();
    for (int x = 0; x < width; ++x) s[x] = row[x];
    for (int k = 1; k < fy; ++k) {
      row += sourceStride;
      for (int x = 0; x < width; ++x) s[x] = std::uint16_t(s[x] + row[x]);
    }
    std::uint8_t* out = target + std::size_t(j) * targetStride;
    for (int i = 0; i < newWidth; ++i) {
      unsigned sum = 0;
      for (int k = 0; k < fx; ++k) sum += s[std::size_t(i) * std::size_t(fx) + std::size_t(k)];
      out[i] = std::uint8_t(sum / divisor);
    }
  }
}

}  // namespace

double RoundCompressionFactor(double typed) { return std::trunc(typed * 8 + 0.5) * 0.125; }

int ResampleArea(std::span<const std::uint8_t> source, std::size_t sourceStride, int width, int height,
                 std::span<std::uint8_t> target, std::size_t targetStride, int newWidth, int newHeight) {
  if (width < 1 || height < 1 || newWidth < 1 || newHeight < 1 || newWidth > width || newHeight > height ||
      sourceStride < std::size_t(width) || targetStride < std::size_t(newWidth))
    return kErrorNoData;
  if (source.size() < (std::size_t(height) - 1) * sourceStride + std::size_t(width) ||
      target.size() < (std::size_t(newHeight) - 1) * targetStride + std::size_t(newWidth))
    return kErrorNoData;

  if (width % newWidth == 0 && height % newHeight == 0) {
    const int fx = width / newWidth, fy = height / newHeight;
    if (std::int64_t(fx) * fy <= 257) {
      std::vector<std::uint16_t> sums;
      if (!TryResize(sums, std::uint64_t(width))) return kErrorOutOfMemory;
      const std::uint8_t* in = source.data();
      std::uint8_t* out = target.data();
      if (fx == 2 && fy == 2)
        ResampleWhole<2, 2>(in, sourceStride, out, targetStride, newWidth, newHeight, sums.data());
      else if (fx == 3 && fy == 3)
        ResampleWhole<3, 3>(in, sourceStride, out, targetStride, newWidth, newHeight, sums.data());
      else if (fx == 4 && fy == 4)
        ResampleWhole<4, 4>(in, sourceStride, out, targetStride, newWidth, newHeight, sums.data());
      else
        ResampleWholeAny(in, sourceStride, out, targetStride, newWidth, newHeight, fx, fy, sums);
      return kOk;
    }
  }

  // Source rows are summed down into column sums first (a plain loop over the row
  // that the compiler vectorises); the columns are summed across once per target row.
  AxisCoverage across, down;
  std::vector<std::int32_t> current;    // column sums of the target row being made, in units
  std::vector<std::int32_t> following;  // what split source rows leave for the next target row
  if (!across.Build(width, newWidth) || !down.Build(height, newHeight) ||
      !TryResize(current, std::uint64_t(width)) || !TryResize(following, std::uint64_t(width)))
    return kErrorOutOfMemory;

  // Every target pixel gathers width x height units of weight.
  const std::int64_t divisor = std::int64_t(width) * std::int64_t(height);
  const double reciprocal = 1.0 / double(divisor);
  const std::int32_t* weights = across.weights.data();
  int targetRow = 0;
  auto emit = [&] {
    std::uint8_t* out = target.data() + std::size_t(targetRow) * targetStride;
    for (int j = 0; j < newWidth; ++j) {
      const std::int32_t* column = current.data() + across.firstPixel[std::size_t(j)];
      const std::int32_t* w = weights + across.firstWeight[std::size_t(j)];
      const int count = across.firstWeight[std::size_t(j) + 1] - across.firstWeight[std::size_t(j)];
      std::int64_t sum = 0;
      for (int k = 0; k < count; ++k) sum += std::int64_t(column[k]) * w[k];
      out[j] = Quotient(sum, divisor, reciprocal);
    }
    ++targetRow;
  };

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* pixels = source.data() + std::size_t(y) * sourceStride;
    if (down.cellOf[std::size_t(y)] > targetRow) {  // source rows move on by at most one target row
      emit();
      current.swap(following);
      std::fill(following.begin(), following.end(), 0);
    }
    // A column sum stays below 255 x height units, far inside 32 bits.
    // Weights are at most newHeight <= 32767, so pixel and weight multiply as 16-bit
    // values into 32 bits, which vectorises without wider instructions.
    const auto here = std::int16_t(down.weightHere[std::size_t(y)]);
    const auto next = std::int16_t(down.weightNext[std::size_t(y)]);
    std::int32_t* c = current.data();
    for (int x = 0; x < width; ++x) c[x] += std::int32_t(std::int16_t(pixels[x])) * here;
    if (next != 0) {
      std::int32_t* f = following.data();
      for (int x = 0; x < width; ++x) f[x] += std::int32_t(std::int16_t(pixels[x])) * next;
    }
  }
  emit();  // the last source row always lies in the last target row
  return kOk;
}

int ResampleArea(std::span<const std::uint8_t> source, int width, int height, std::span<std::uint8_t> target,
                 int newWidth, int newHeight) {
  return ResampleArea(source, std::size_t(std::max(width, 0)), width, height, target,
                      std::size_t(std::max(newWidth, 0)), newWidth, newHeight);
}

namespace {
// The resampler only reduces; a factor that leaves no pixel reduces to nothing.
bool FactorLeavesPixels(double factor, int width, int height) {
  return factor >= 1.0 && std::trunc(width / factor) >= 1.0 && std::trunc(height / factor) >= 1.0;
}
}  // namespace

int CompressBaseImage(CAppHost& host, CLayerStack& stack, double factor, const std::string& path, int filterIndex) {
  auto* base = dynamic_cast<CBitmapLayer*>(stack.FindLayer(LoadText(kBaseLayerName)));
  if (!base || base->Image().IsEmpty() || base->Image().GetBitsPerPixel() != 8) return kErrorOutOfMemory;
  const CImage& image = base->Image();
  const int width = image.GetWidth(), height = image.GetHeight();
  if (!FactorLeavesPixels(factor, width, height)) {
    ShowError(host, kInvalidFactor);
    return 1;
  }
  const int code = SaveFilterFormatCode(filterIndex);
  if (code == kNoFormat) return 1;

  CImage reduced;
  if (!reduced.Create(int(std::trunc(width / factor)), int(std::trunc(height / factor)), 8)) return kErrorOutOfMemory;
  const std::span<const std::uint8_t> pixels(image.GetBits(),
                                             std::size_t(image.GetBytesPerLine()) * std::size_t(height));
  const std::span<std::uint8_t> out(reduced.GetBits(),
                                    std::size_t(reduced.GetBytesPerLine()) * std::size_t(reduced.GetHeight()));
  if (int result = ResampleArea(pixels, std::size_t(image.GetBytesPerLine()), width, height, out,
                                std::size_t(reduced.GetBytesPerLine()), reduced.GetWidth(), reduced.GetHeight()))
    return result;
  // Raw data reports 1 for written; here, as for every format, 0 is success.
  if (code == kImageFormatRaw) return WriteRaw(path, reduced) == 1 ? 0 : 1;
  return reduced.Save(path, code) ? 0 : 1;
}

int CompressBaseImageReported(CAppHost& host, CLayerStack& stack, double factor, const std::string& path,
                              int filterIndex) {
  int code = CompressBaseImage(host, stack, factor, path, filterIndex);
  if (code == 0) return 0;
  if (code == 1) {
    const auto* base = dynamic_cast<const CBitmapLayer*>(stack.FindLayer(LoadText(kBaseLayerName)));
    if (base && !FactorLeavesPixels(factor, base->Image().GetWidth(), base->Image().GetHeight()))
      return 1;  // its message has been shown
    code = WriteFailureCode(path);
  }
  ShowErrorCode(host, code);
  return code;
}

}  // namespace linea
