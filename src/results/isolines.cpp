#include "results/isolines.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "base/checked_alloc.h"
#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "results/polyline_simplify.h"

namespace linea {
namespace {

constexpr int kStopped = 11;

// Neighbours in the order the chains look for them, as (dx, dy): N, NE, E, SE, S, SW, W, NW.
constexpr int kStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kStepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

// The step of every class: the number of the first step whose boundary is at least
// the class; 0 for class 0 and for classes beyond the last boundary.
std::array<int, 256> StepTable(int steps, std::span<const std::uint8_t> boundaries) {
  std::array<int, 256> table{};
  const int count = std::clamp<int>(steps, 0, int(boundaries.size()));
  int next = 1;
  for (int k = 0; k < count; ++k) {
    for (int c = next; c <= int(boundaries[std::size_t(k)]); ++c) table[std::size_t(c)] = k + 1;
    next = std::max(next, int(boundaries[std::size_t(k)]) + 1);
  }
  return table;
}

// Notes `classNumber` for the polyline just added to the group of `colour` and `width`.
bool RecordClass(CVectorLayer3& layer, std::uint32_t colour, int width, std::uint8_t classNumber) {
  auto& byGroup = layer.polylineClasses.byGroup;
  try {
    byGroup.resize(std::size_t(layer.GroupCount()));
    for (int g = 0; g < layer.GroupCount(); ++g) {
      if (layer.Group(g).GetColor() != colour || layer.Group(g).GetWidth() != width) continue;
      byGroup[std::size_t(g)].push_back(classNumber);
      return true;
    }
  } catch (const std::bad_alloc&) {
  }
  return false;
}

}  // namespace

int TraceIsolines(int width, int height, std::span<const std::uint8_t> raster, int steps,
                  std::span<const std::uint8_t> boundaries, CVectorLayer3& layer, const PaletteTable& red,
                  const PaletteTable& green, const PaletteTable& blue, int lineWidth,
                  const BuildProgress& progress) {
  // Chains keep 16-bit coordinates; no project image is larger.
  if (width > kMaxImageSide || height > kMaxImageSide) return 0;
  if (width < 3 || height < 3 || raster.size() < std::size_t(width) * std::size_t(height)) return 0;
  const std::array<int, 256> T = StepTable(steps, boundaries);
  const std::size_t W = std::size_t(width);
  const std::size_t limit = 2 * std::size_t(std::max(width, height));
  std::vector<PolylinePoint16> chain;
  std::vector<std::uint8_t> M;
  if (!TryResize(chain, limit) || !TryResize(M, std::uint64_t(W) * std::uint64_t(height))) return 3;

  // Marking, thinning and chaining take about a fifth, a fifth and the rest.
  CBuildStage marking(progress, 0.0, 0.2), thinning(progress, 0.2, 0.4), chaining(progress, 0.4, 1.0);
  const auto rows = std::uint64_t(height);
  // Marking: the higher side of every step border, away from the image border.
  for (int y = 1; y + 1 < height; ++y) {
    if (!marking.Report(std::uint64_t(y), rows)) return kStopped;
    const std::uint8_t* row = raster.data() + std::size_t(y) * W;
    for (int x = 1; x + 1 < width; ++x) {
      const int t = T[row[x]];
      if (t > T[row[x - 1]] || t > T[row[x + 1]] || t > T[*(row + x - std::ptrdiff_t(W))] || t > T[row[x + W]])
        M[std::size_t(y) * W + std::size_t(x)] = row[x];
    }
  }
  // Thinning, in place: corners of two marked edge neighbours lose their middle.
  for (int y = 1; y + 1 < height; ++y) {
    if (!thinning.Report(std::uint64_t(y), rows)) return kStopped;
    for (int x = 1; x + 1 < width; ++x) {
      std::uint8_t* m = &M[std::size_t(y) * W + std::size_t(x)];
      if (!*m) continue;
      const bool above = m[-std::ptrdiff_t(W)], below = m[W], left = m[-1], right = m[1];
      const bool aboveLeft = m[-std::ptrdiff_t(W) - 1], aboveRight = m[-std::ptrdiff_t(W) + 1];
      const bool belowLeft = m[W - 1], belowRight = m[W + 1];
      if ((below && right && !aboveLeft) || (above && left && !belowRight) || (below && left && !aboveRight) ||
          (above && right && !belowLeft))
        *m = 0;
    }
  }
  auto stepAt = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return T[M[std::size_t(y) * W + std::size_t(x)]];
  };
  for (int y = 0; y < height; ++y) {
    if (!chaining.Report(std::uint64_t(y), rows)) return kStopped;
    for (int x = 0; x < width; ++x) {
      std::uint8_t& start = M[std::size_t(y) * W + std::size_t(x)];
      while (start) {
        const std::uint8_t c0 = start;
        const int t0 = T[c0];
        int k0 = 0;
        for (int n = 0; n < 8; ++n) k0 += stepAt(x + kStepX[n], y + kStepY[n]) == t0 ? 1 : 0;
        std::size_t count = 0;
        chain[count++] = {std::int16_t(x), std::int16_t(y)};
        start = 0;
        if (k0 > 0) {
          int cx = x, cy = y;
          while (count < limit) {
            int n = 0;
            while (n < 8 && stepAt(cx + kStepX[n], cy + kStepY[n]) != t0) ++n;
            if (n == 8) break;
            cx += kStepX[n];
            cy += kStepY[n];
            M[std::size_t(cy) * W + std::size_t(cx)] = 0;
            chain[count++] = {std::int16_t(cx), std::int16_t(cy)};
          }
        } else {
          chain[count++] = chain[0];  // a dot
        }
        const PolylinePoint16 last = chain[count - 1];
        count = SimplifyPolyline(std::span<PolylinePoint16>(chain.data(), count));
        const std::uint32_t colour = MakeColor(red[c0], green[c0], blue[c0]);
        if (layer.AddPolyline16(std::span<const PolylinePoint16>(chain.data(), count), colour, lineWidth) ||
            !RecordClass(layer, colour, lineWidth, c0))
          return 3;
        const bool open = std::abs(last.x - x) >= 2 || std::abs(last.y - y) >= 2;
        if (!(k0 >= 3 || (k0 == 2 && open))) break;
        // Each remaining branch starts a chain of its own from here.
        start = c0;
      }
    }
  }
  return chaining.Report(1, 1) ? 0 : kStopped;
}

int BuildIsolinesLayer(const CResults& results, CLayerStack& stack, const std::string& sourceName, std::string name,
                       int lineWidth, const BuildProgress& progress) {
  const auto* source = dynamic_cast<const CRasterLayer*>(stack.FindLayer(sourceName));
  if (!source) return 2;
  std::vector<std::uint8_t> raster;
  if (!CopyClassPixels(*source, results.imageWidth, results.imageHeight, raster)) return 3;
  std::unique_ptr<CVectorLayer3> layer(new (std::nothrow) CVectorLayer3(name, true));
  if (!layer) return 3;
  if (const int code = TraceIsolines(int(results.imageWidth), int(results.imageHeight), raster, source->steps,
                                     source->stepBoundaries, *layer, source->red, source->green, source->blue,
                                     lineWidth, progress);
      code != 0)
    return code;
  layer->polylineClasses.classFrom = source->From;
  layer->polylineClasses.classWidth = source->classWidth;
  layer->SetDescription("Isolines (" + source->GetDescription());
  if (!stack.AddLayer(std::move(layer))) return 3;
  return 0;
}

}  // namespace linea
